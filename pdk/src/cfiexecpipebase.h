// CFiExecPipeBase: platform-neutral driver of one command run through a
// child process. Exec starts the command, collects its merged standard
// output and standard error line by line and closes the run; the platform
// class supplies the pipe, the child and the waiting (ExecPipe, ReadLine,
// Close, WaitPid).
//
// Every step traces through the pipe's trace log when one is attached.
// A pipe object is used by one thread at a time; Abort may come from any
// thread.
#ifndef QLB_PDK_CFIEXECPIPEBASE_H
#define QLB_PDK_CFIEXECPIPEBASE_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cfiexecpipe.h"
#include "cfiexport.h"
#include "cfitraceable.h"

namespace quelb_pdk_4_4 {

// Bounds on what one run may print; 0 leaves a bound off. Each stored line
// costs its bytes, its line end and a string object of its own, so the
// size and the count together bound the memory of a run's output.
struct SFiOutputLimits {
  std::size_t maxBytes = 0;      // all lines, one byte each for their ends
  std::size_t maxLineBytes = 0;  // one line, however many pieces it came in
  std::size_t maxLines = 0;      // lines stored, a long line's pieces each
};

class QLB_PDK_EXPORT CFiExecPipeBase : public virtual CFiTraceable {
 public:
  // Size of the line buffer of a run; ReadLine receives one byte less.
  static const std::size_t LINE_BUFFER_SIZE = 8192;

  // The platform's pipe (CFiExecPipePosix on POSIX systems,
  // CFiExecPipeWindows on Windows), with the auto-close flag of the
  // constructors below.
  static std::unique_ptr<CFiExecPipeBase> create(int autoClose);

  // autoClose non-zero: Exec ends every run with Close(10).
  explicit CFiExecPipeBase(int autoClose);
  // `list` is kept for the caller; the pipe does not read it.
  CFiExecPipeBase(const std::vector<std::string>& list, int autoClose);
  ~CFiExecPipeBase() override;
  // A pipe owns a child and its descriptors: not copyable.
  CFiExecPipeBase(const CFiExecPipeBase&) = delete;
  CFiExecPipeBase& operator=(const CFiExecPipeBase&) = delete;

  // Declared in the order of the class's virtual slots.
 protected:
  // Starts the child of `command` in `workDir` (empty: the caller's).
  // Returns a QLB_EXEC_PIPE_* code; a failure is also the last error.
  virtual int ExecPipe(const std::string& command, const std::string& workDir) = 0;
  // Waits for the child, escalating when it does not end; returns its exit
  // status, or a negative value when it could not be had.
  virtual int WaitPid(uint32_t timeoutSec) = 0;
  // Ends the run: closes the pipe, waits for the child and examines its
  // exit status. Closing a closed pipe does nothing and returns 0.
  virtual int Close(uint32_t timeoutSec) = 0;
  // Reads one line of at most `size` bytes into buf (which holds size + 1),
  // without its line end. Returns 1 for a line, 0 at the end of the output;
  // sets timedOut to 1 when no byte came within the time-out.
  virtual int ReadLine(char* buf, std::size_t size, int& timedOut, uint32_t timeoutSec) = 0;
  virtual int IsAbortRequested();
  // 0 here: commands always run as a child process.
  virtual int IsChildContext();
  // Does nothing and returns 0 here.
  virtual int ExecCommandInChildContext(const std::string& command,
                                        std::vector<std::string>& output);
  // The body of Exec without the final auto-close.
  virtual int ExecMain(const std::string& command, std::vector<std::string>& output,
                       const std::string& reserved, uint32_t timeoutSec, const std::string& workDir,
                       const std::string& user, const std::string& password);

 public:
  // Runs one command; `output` receives its lines. Returns ExecMain's
  // result (0 on success, a QLB_EXEC_PIPE_* code otherwise); the details of
  // a failure are in getLastError(). `reserved` is stored and not used.
  // A non-empty `user` runs the child under that account.
  virtual int Exec(const std::string& command, std::vector<std::string>& output,
                   const std::string& reserved, uint32_t timeoutSec, const std::string& workDir,
                   const std::string& user, const std::string& password);
  // Asks the running Exec to stop before its next line and close the run.
  virtual void Abort();

  // The limits of the next runs (none by default). A run whose output
  // breaks one is stopped at once: the lines read so far stay in the
  // output, the child is closed (and killed if it goes on), and Exec
  // returns QLB_EXEC_PIPE_OUTPUT_LIMIT with a last error whose message
  // names the limit.
  void setOutputLimits(const SFiOutputLimits& limits) { m_outputLimits = limits; }
  const SFiOutputLimits& getOutputLimits() const { return m_outputLimits; }

 protected:
  // Resets the platform state of a run; nothing here.
  virtual void Init();

 public:
  virtual EFiExecPipe getLastError() const;

  const std::vector<std::string>& getList() const { return m_list; }

 protected:
  std::atomic<int32_t> m_abortRequested;
  std::vector<std::string> m_list;
  EFiExecPipe m_lastError;
  std::string m_user;
  std::string m_password;
  std::string m_reserved;
  bool m_autoClose;
  SFiOutputLimits m_outputLimits;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIEXECPIPEBASE_H
