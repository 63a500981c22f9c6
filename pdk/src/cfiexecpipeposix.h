// CFiExecPipePosix: the child-process pipe on POSIX systems.
//
// How a run goes:
// - The command line is split into arguments (see SplitCommandLine); no
//   shell is involved, so no text inside an argument can run anything. A
//   line that cannot be split is QLB_EXEC_PIPE_PARSE_COMMAND_FAILED (6); an
//   executable that does not exist (a name without "/" is looked up in
//   PATH, a relative path is taken from the caller's directory) is
//   QLB_EXEC_PIPE_EXE_DOES_NOT_EXIST (7).
// - A file that exists but cannot be started (not executable, an
//   interpreter that is missing, a format the system does not run, no
//   resources) or a working directory that does not exist fails the
//   child's creation: the last error is QLB_EXEC_PIPE_CREATE_CHILD_PROCESS_FAILED
//   (4) with the system's reason as its message and the system error as
//   its exit status, traced at level 1, and ExecPipe returns 3 as for any
//   failure of the child's creation.
// - The child gets /dev/null as standard input and one pipe as standard
//   output and standard error, so both arrive merged and in order. It runs
//   in a process group of its own with default signal handling, and no
//   other descriptor of this process reaches it.
// - ReadLine waits with poll: the time-out is the longest silence allowed,
//   not the length of the run. Once the child has ended, what it left in
//   the pipe is still read, without waiting for descendants that keep the
//   pipe open.
// - WaitPid makes three attempts; when an attempt runs out it sends SIGINT,
//   then SIGTERM to the child's process group, and on the third SIGKILL,
//   reporting the exit status 1067. After the first time-out every attempt
//   waits at most 30 time units. The child is always reaped: no zombie
//   remains after Close or the destructor.
// - The exit status is always examined by Close, even when the child ended
//   before the last read began: a command that failed is never reported as
//   a success. A child ended by a signal this pipe did not send is
//   QLB_EXEC_PIPE_CMD_KILLED (12) with the exit status 128 + signal; a
//   SIGPIPE from writing after the pipe was closed early (abort, time-out)
//   counts as this pipe's doing.
// - A child this pipe had to signal takes its whole process group along:
//   what remains of the group gets SIGKILL once the child has ended.
// - With a user name the child switches to that account (supplementary
//   groups, group, user) before exec; this needs the right to change
//   identity (root). The password is not checked. An unknown user or a
//   switch that fails is QLB_EXEC_PIPE_CANNOT_IMPERSONATE (10), held as the
//   last error while ExecPipe returns 3, as for any failure of the child's
//   creation. m_Lock serialises the user lookup and the child's creation;
//   it is released as soon as the child runs. Waiting for it is bounded
//   (10 s): QLB_EXEC_PIPE_IMPERSONATION_TIMEOUT (9).
// - Every descriptor of a run (the two ends of the output pipe, the
//   child's handle, /dev/null, the status pipe of a user switch) and the
//   hold of m_Lock is owned by an object that closes or releases it, so no
//   way out of a run can leave one behind.
// - In a process that ignores SIGCHLD the system reaps children itself:
//   the output is still read to its end, but the exit status is lost and
//   Close reports QLB_EXEC_PIPE_ERROR_UNEXPECTED (8).
// - QLB_EXEC_PIPE_DUPLICATE_HANDLE_FAILED (2) is not raised on POSIX.
//
// Time-outs are given in seconds. The length of that unit can be changed
// for tests (setTimeUnitMs), so that escalation can be exercised without
// real multi-second waits.
#ifndef QLB_PDK_CFIEXECPIPEPOSIX_H
#define QLB_PDK_CFIEXECPIPEPOSIX_H

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cfiexecpipebase.h"
#include "cfiexport.h"
#include "cfiuniquefdposix.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiExecPipePosix : public CFiExecPipeBase {
 public:
  explicit CFiExecPipePosix(int autoClose);
  CFiExecPipePosix(const std::vector<std::string>& list, int autoClose);
  // Closes a run still open (Close(10)).
  ~CFiExecPipePosix() override;

  // Splits a command line into arguments. Blanks and tabs separate
  // arguments outside double quotes; a double quote starts or ends a quoted
  // part and is removed; quoted and unquoted parts that touch form one
  // argument ("" alone is an empty argument); a backslash before a double
  // quote makes it a plain character; other backslashes are plain. Fails
  // on an unterminated quote or a line without arguments.
  static bool SplitCommandLine(const std::string& line, std::vector<std::string>& args);

  // The exit status reported for a child this pipe had to kill.
  static const int KILLED_EXIT_STATUS = 1067;

 protected:
  // The account a child switches to.
  struct SUserSwitch {
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups;
  };

  int ExecPipe(const std::string& command, const std::string& workDir) override;
  int WaitPid(uint32_t timeoutSec) override;
  int Close(uint32_t timeoutSec) override;
  int ReadLine(char* buf, std::size_t size, int& timedOut, uint32_t timeoutSec) override;
  void Init() override;

  // Starts `path` with `args`, writing to outFd; with `user` (non-null) as
  // that account. Returns the child's process id; throws EFiExecPipe with
  // QLB_EXEC_PIPE_CREATE_CHILD_PROCESS_FAILED (4), _EXE_DOES_NOT_EXIST (7)
  // or _CANNOT_IMPERSONATE (10) and the system error as exit status.
  virtual pid_t CreateChildProcess(const std::string& path, const std::vector<std::string>& args,
                                   int outFd, const std::string& workDir, const SUserSwitch* user);
  // Closes the child's end of the pipe, when held.
  virtual void FlushHandles();
  // Takes m_Lock into `hold` and looks up the account of the user name.
  // Returns true when the child must switch (false when it already runs as
  // that user). Throws EFiExecPipe(user name, 9 or 10). The lock stays
  // taken for as long as the caller keeps `hold`.
  virtual bool Impersonate(SUserSwitch& user, CFiLockHold& hold);

  // Test hook: the length of one time-out unit in milliseconds (1000 by
  // default, so that time-outs are seconds).
  void setTimeUnitMs(unsigned long ms) { m_timeUnitMs = ms; }
  // Test hook: how long Impersonate waits for m_Lock, in milliseconds.
  void setLockWaitMs(unsigned long ms) { m_lockWaitMs = ms; }

  // Serialises the user switches of all pipes of the process.
  static CFiLock m_Lock;

 private:
  enum WaitResult { CHILD_ENDED = 1, WAIT_TIMED_OUT = 0, WAIT_FAILED = -1 };
  enum FillResult { FILL_DATA = 1, FILL_END = 0, FILL_TIMED_OUT = -1 };

  // Waits up to `ms` for the child to end and reaps it.
  WaitResult waitForChild(uint64_t ms);
  // Reaps the child when it has ended: 1 ended (now or before), 0 still
  // running, -1 the child cannot be waited for (errno tells why).
  int checkChild();
  bool reapIfEnded();
  // Refills the read buffer, waiting at most `ms` for silence to end.
  FillResult fillBuffer(uint64_t ms);
  void signalChild(int sig);
  // The exit status of the reaped child; sets m_killedByForeignSignal.
  int decodedStatus();

  pid_t m_childPid;
  CFiUniqueFd m_pidFd;         // pollable handle of the child, when available
  CFiUniqueFd m_readFd;        // parent's end of the merged output
  CFiUniqueFd m_childWriteFd;  // child's end, held until the child runs
  bool m_childReaped;
  bool m_statusUnknown;  // the child was reaped by someone else
  int m_waitStatus;      // raw status of the reaped child
  bool m_signalSent;     // this pipe signalled the child
  bool m_killedByForeignSignal;
  bool m_readClosedEarly;  // Close came before the end of the output
  std::string m_command;

  std::vector<char> m_buffer;
  std::size_t m_bufferPos;
  std::size_t m_bufferEnd;
  bool m_outputEnded;

  unsigned long m_timeUnitMs;
  unsigned long m_lockWaitMs;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIEXECPIPEPOSIX_H
