#include "cfiexecpipebase.h"

namespace quelb_pdk_4_4 {

namespace {
// Every run ends with a close that waits this long per attempt.
const uint32_t kCloseTimeoutSec = 10;
}  // namespace

CFiExecPipeBase::CFiExecPipeBase(int autoClose)
    : m_abortRequested(0), m_autoClose(autoClose != 0) {}

CFiExecPipeBase::CFiExecPipeBase(const std::vector<std::string>& list, int autoClose)
    : m_abortRequested(0), m_list(list), m_autoClose(autoClose != 0) {}

CFiExecPipeBase::~CFiExecPipeBase() {}

int CFiExecPipeBase::IsAbortRequested() { return m_abortRequested.load(); }

int CFiExecPipeBase::IsChildContext() { return 0; }

int CFiExecPipeBase::ExecCommandInChildContext(const std::string&, std::vector<std::string>&) {
  return 0;
}

void CFiExecPipeBase::Init() {}

void CFiExecPipeBase::Abort() { m_abortRequested.store(1); }

EFiExecPipe CFiExecPipeBase::getLastError() const { return m_lastError; }

int CFiExecPipeBase::Exec(const std::string& command, std::vector<std::string>& output,
                          const std::string& reserved, uint32_t timeoutSec,
                          const std::string& workDir, const std::string& user,
                          const std::string& password) {
  int result = ExecMain(command, output, reserved, timeoutSec, workDir, user, password);
  if (m_autoClose) {
    int closed = Close(kCloseTimeoutSec);
    if (closed != 0) trace(FI_TRACE_WARNING, "Close of the process returned %d", closed);
  }
  return result;
}

int CFiExecPipeBase::ExecMain(const std::string& command, std::vector<std::string>& output,
                              const std::string& reserved, uint32_t timeoutSec,
                              const std::string& workDir, const std::string& user,
                              const std::string& password) {
  std::vector<char> line(LINE_BUFFER_SIZE);
  m_user = user;
  m_password = password;
  m_reserved = reserved;
  if (IsChildContext() != 0) return ExecCommandInChildContext(command, output);

  int result = ExecPipe(command, workDir);
  if (result != QLB_EXEC_PIPE_SUCCESS) return result;

  output.clear();
  while (true) {
    line[0] = '\0';
    if (IsAbortRequested() != 0) break;
    int timedOut = 0;
    int got = ReadLine(line.data(), LINE_BUFFER_SIZE - 1, timedOut, timeoutSec);
    if (timedOut == 1) {
      // Left open: the auto-close (or the destructor) stops the child.
      m_lastError = EFiExecPipe(command, QLB_EXEC_PIPE_READ_TIMEOUT);
      trace(FI_TRACE_ERROR, "Process has timmedout (%d sec)", static_cast<int>(timeoutSec));
      return QLB_EXEC_PIPE_READ_TIMEOUT;
    }
    if (got != 1) break;
    output.emplace_back(line.data());
  }
  return Close(kCloseTimeoutSec);
}

}  // namespace quelb_pdk_4_4
