// CFiExecPipeWindows: the child-process pipe on Windows.
//
// How a run goes:
// - Two named pipes are made per run ("\\.\pipe\CFiExecPipeWindows_
//   InputPipeName_<object>_<time>_<process id>" and "..._OutputPipeName_
//   ..."); the read event is named the same way. The process id is added
//   on purpose: object address and time alone repeat across processes
//   (always under Wine, where two processes of one program have the same
//   heap layout), and a second process would join the first one's pipes
//   and event and take its output. The child gets the client end of the
//   input pipe as standard input and the server end of the output pipe as
//   standard output and, duplicated, as standard error, so both streams
//   arrive merged and in order. The parent keeps non-inheritable
//   duplicates of its ends only.
// - The child is made by CreateProcess with the command line as given (no
//   shell), CREATE_NO_WINDOW, CREATE_NEW_PROCESS_GROUP and
//   NORMAL_PRIORITY_CLASS, inheriting the handles, in workDir when one is
//   given. A child that cannot be made is QLB_EXEC_PIPE_CREATE_CHILD_
//   PROCESS_FAILED (4) with the system's text and error as message and
//   exit status; ExecPipe returns 3 as for any exception of the child's
//   creation.
// - ReadLine reads with overlapped reads and the object's read event,
//   waiting on the child and the event together: the time-out is the
//   longest silence allowed. Once the child has ended, what it left in the
//   pipe is still read without waiting. Reads take what the pipe holds (up
//   to 4 KiB) into a buffer from which lines are served, rather than one
//   byte per read: the lines are the same, the calls far fewer. A line
//   longer than the caller's size arrives in pieces; a last line without a
//   line feed is still returned; a carriage return before the line feed
//   is dropped.
// - WaitPid makes three attempts; when an attempt runs out it sends
//   CTRL_C_EVENT, then CTRL_BREAK_EVENT to the child's process group, and
//   on the third terminates the child with exit code 1067. After the first
//   time-out every attempt waits at most 30 time units.
// - Close always examines the child's exit status when a child was
//   started, also when the child ended before the last read began: a
//   command that failed is never reported as a success.
// - With a user name the child runs as that user: a network logon checks
//   the password, the account is given "SeBatchLogonRight" for the run
//   when it lacks it (taken back by Close; m_Lock lets one pipe of the
//   process do that at a time, waited for at most 10 s,
//   QLB_EXEC_PIPE_IMPERSONATION_TIMEOUT), and a batch logon gives the token
//   the child is made with. A logon that fails is
//   QLB_EXEC_PIPE_CANNOT_IMPERSONATE (10).
// - QLB_EXEC_PIPE_PARSE_COMMAND_FAILED, _EXE_DOES_NOT_EXIST, _CMD_KILLED and
//   _CMD_ERROR_UNEXPECTED are not raised on Windows.
//
// Time-outs are given in seconds. The length of that unit can be changed
// for tests (setTimeUnitMs), so that escalation can be exercised without
// real multi-second waits.
#ifndef QLB_PDK_CFIEXECPIPEWINDOWS_H
#define QLB_PDK_CFIEXECPIPEWINDOWS_H

#include <winsock2.h>  // before windows.h, as ACE includes it too
#include <windows.h>
#include <ntsecapi.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cfiexecpipebase.h"
#include "cfiexport.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiExecPipeWindows : public CFiExecPipeBase {
 public:
  explicit CFiExecPipeWindows(int autoClose);
  CFiExecPipeWindows(const std::vector<std::string>& list, int autoClose);
  // Closes a run still open (Close(10)).
  ~CFiExecPipeWindows() override;

  // The exit status reported for a child this pipe had to terminate.
  static constexpr int KILLED_EXIT_STATUS = 1067;

 protected:
  int ExecPipe(const std::string& command, const std::string& workDir) override;
  int WaitPid(uint32_t timeoutSec) override;
  int Close(uint32_t timeoutSec) override;
  int ReadLine(char* buf, std::size_t size, int& timedOut, uint32_t timeoutSec) override;
  void Init() override;

  // Starts the child of `command` with the given standard handles; throws
  // EFiExecPipe(command, 4, system text, Windows error) on failure.
  virtual int CreateChildProcess(const std::string& command, HANDLE input, HANDLE output,
                                 HANDLE error, const std::string& workDir);
  // Makes the named pipe `name`: the server end (duplex, overlapped) and a
  // client end opened for reading. 0, or the Windows error.
  virtual DWORD GetNamedPipeHandles(const std::string& name, HANDLE& client, HANDLE& server,
                                    SECURITY_ATTRIBUTES& security);
  // Closes each of the five handles that is valid, and marks it invalid.
  virtual void FlushHandles(HANDLE& h1, HANDLE& h2, HANDLE& h3, HANDLE& h4, HANDLE& h5);
  virtual void InitLsaString(const wchar_t* text, LSA_UNICODE_STRING& lsa);
  // The batch-logon token of m_user; INVALID_HANDLE_VALUE without one.
  // Throws EFiExecPipe(user, 9 or 10).
  virtual HANDLE Impersonate();

  // Test hook: the length of one time-out unit in milliseconds (1000 by
  // default, so that time-outs are seconds).
  void setTimeUnitMs(unsigned long ms) { m_timeUnitMs = ms; }

  // Lets one pipe of the process at a time hold an added batch-logon right.
  static CFiLock m_Lock;

 private:
  // Reads what the pipe holds into m_buffer. 1 data, 0 end of output, -1
  // the time-out ran out.
  int fillBuffer(DWORD waitMs);
  // Whether the child has ended (or none is held).
  bool childEnded() const;
  void releaseRights();
  void closeHandle(HANDLE& handle);
  DWORD waitMs(uint32_t timeoutSec) const;

  DWORD m_lastWinError;
  DWORD m_childPid;
  HANDLE m_childHandle;
  HANDLE m_writeHandle;  // parent's end of the child's standard input
  HANDLE m_readHandle;   // parent's end of the merged output
  int32_t m_rightsAdded;
  std::vector<unsigned char> m_sid;
  LSA_HANDLE m_policy;
  HANDLE m_token;
  std::string m_command;
  HANDLE m_readEvent;

  std::vector<char> m_buffer;
  std::size_t m_bufferPos;
  std::size_t m_bufferEnd;
  bool m_outputEnded;
  unsigned long m_timeUnitMs;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIEXECPIPEWINDOWS_H
