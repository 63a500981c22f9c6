// EEmcSymCliFailure: one SYMCLI run that failed, as the runner reports it:
// the pipe's record (result code, full command line, exit status) and the
// lines the tool printed. It is an EFiExecPipe, so every handler of pipe
// failures still takes it; the operation guard catches it first and shows
// the tool's own words.
//
// This is also how the provider shows the cause of a failure it does not
// end the operation for: take the runner's lastFailure() after a command
// that returned non-zero and push() it as a warning.
//
// The message pushed is MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION with seven
// arguments: the four every pipe failure carries ({0} the name of the
// result code, for QLB_EXEC_PIPE_OUTPUT_LIMIT followed by ": " and the
// pipe's message that names the limit; {1} the command, {2} the source
// file, {3} the line) and three more that name the cause ({4} the exit
// status, {5} the output lines, each trimmed and ended by a line feed,
// {6} the number of output lines). A pipe failure without a run record
// (EFiExecPipe alone) carries exit status 0 and no output.
//
// A failure keeps only the first lines of a long output, as
// CEmcSymCliException does (its QUOTED_LINES and QUOTED_BYTES), and
// "[... N more lines]" for the rest; {6} still counts every line.
#ifndef EMCSYM_CLIFAILURE_H
#define EMCSYM_CLIFAILURE_H

#include <quelb/quelb_records.h>

#include <cstddef>
#include <string>
#include <vector>

#include "cfierrormgr.h"
#include "cfiexecpipe.h"

class EEmcSymCliFailure : public quelb_pdk_4_4::EFiExecPipe {
 public:
  // No failure: code QLB_EXEC_PIPE_SUCCESS, no output.
  EEmcSymCliFailure() {}
  EEmcSymCliFailure(const quelb_pdk_4_4::EFiExecPipe& run, const std::vector<std::string>& output);

  const std::vector<std::string>& getOutput() const { return m_output; }

  // Pushes the message of `failure` (with `output`, of `lineCount` lines
  // in all) on `errors` with the severity, the raising source file and
  // line; nothing when `errors` is null.
  static void push(quelb_pdk_4_4::CFiErrorManager* errors,
                   const quelb_pdk_4_4::EFiExecPipe& failure,
                   const std::vector<std::string>& output, qlb_eseverity severity,
                   const std::string& sourceFile, int line);
  void push(quelb_pdk_4_4::CFiErrorManager* errors, qlb_eseverity severity,
            const std::string& sourceFile, int line) const;

 private:
  static void push(quelb_pdk_4_4::CFiErrorManager* errors,
                   const quelb_pdk_4_4::EFiExecPipe& failure,
                   const std::vector<std::string>& output, std::size_t lineCount,
                   qlb_eseverity severity, const std::string& sourceFile, int line);

  std::vector<std::string> m_output;
  std::size_t m_lineCount = 0;
};

// Output lines as a message shows them: each trimmed of " \n\t\r" and
// followed by a line feed.
std::string emcsymOutputText(const std::vector<std::string>& output);

#endif  // EMCSYM_CLIFAILURE_H
