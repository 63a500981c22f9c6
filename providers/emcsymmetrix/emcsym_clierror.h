// CEmcSymCliException: a SYMCLI command, or what the provider made of its
// output, failed. Thrown by value; the provider's operation guard reports
// it with pushCliError as the user message MSG_ERROR_CLI_COMMAND_FAILED.
#ifndef EMCSYM_CLIERROR_H
#define EMCSYM_CLIERROR_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The message of a CEmcSymCliException (severity 3). Its arguments:
// {0} the command, {1} the source file, {2} the line, {3} the where text,
// {4} the output lines, each trimmed and ended by a line feed, and {5} the
// number of output lines, by which the catalog words the two forms apart
// (a command whose output could not be used, or a check of an operation).
extern const char* const MSG_ERROR_CLI_COMMAND_FAILED;

class CEmcSymCliException {
 public:
  // What is kept of a command's output: its first lines, at most this many
  // and this many bytes, then one line "[... N more lines]". The message
  // shows the user where the output went wrong; a tool gone wrong may
  // print up to CEmcSymCliTool::MAX_OUTPUT_BYTES, and a copy of all of it
  // (and of its text in the message, and of its wide form) would cost
  // many times that.
  static constexpr std::size_t QUOTED_LINES = 200;
  static constexpr std::size_t QUOTED_BYTES = 16 * 1024;
  // How many of the first lines of `output` fit those bounds.
  static std::size_t quotedCount(const std::vector<std::string>& output);

  // The form of cleanXML: the command, where it failed ("[cleanXML]") and
  // the output that could not be used (its first lines, see QUOTED_LINES).
  CEmcSymCliException(int32_t code, const std::wstring& command, const std::string& where,
                      const std::vector<std::string>& output, const std::string& sourceFile,
                      int32_t line);
  // The form of the operations: `command` is the operation's name in
  // brackets ("[symMirEstablish]"); no where text, no output. The runner
  // makes its operations' exceptions with the cleanXML form instead, the
  // check that failed as the where text and no output
  // (CEmcSymCliTool::checkFailed), so that the user reads which check
  // failed ("Pair is not in split state (bad state = Synchronized)").
  CEmcSymCliException(int32_t code, const std::wstring& command, const std::string& sourceFile,
                      int32_t line);

  const std::wstring& getCommand() const { return m_command; }
  int32_t getCode() const { return m_code; }
  const std::vector<std::string>& getOutput() const { return m_output; }
  const std::string& getWhere() const { return m_where; }
  const std::string& getSourceFile() const { return m_sourceFile; }
  int32_t getLine() const { return m_line; }

  // The output as argument {4}: every line trimmed of " \n\t\r" and
  // followed by a line feed.
  std::string outputText() const;

  // Pushes MSG_ERROR_CLI_COMMAND_FAILED with the six arguments on the
  // process-wide error manager and returns 6, the status of a failed
  // operation. The cleanXML and parseXML forms of a command that printed
  // nothing quote its output as the one line "[no output]", so that the
  // user reads the command and its exit status, not a provider step.
  int pushCliError() const;

 private:
  std::wstring m_command;
  int32_t m_code;
  std::vector<std::string> m_output;
  std::string m_where;
  std::string m_sourceFile;
  int32_t m_line;
};

// The first lines of `output` within CEmcSymCliException's quoting bounds
// (the start of a first line too long for them), then "[... N more lines]"
// when lines were left out.
std::vector<std::string> emcsymQuotedOutput(const std::vector<std::string>& output);

#endif  // EMCSYM_CLIERROR_H
