#include "cfiexecpipewindows.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "cfiplatform.h"
#include "cfisleep.h"
#include "cfistringtool.h"
#include "utf8.h"

namespace quelb_pdk_4_4 {

namespace {

const std::size_t kReadChunk = 4096;
const DWORD kMaxEscalationUnits = 30;
const int kWaitAttempts = 3;
// How long Impersonate waits for m_Lock.
const long kLockWaitMs = 10000;
const wchar_t kBatchLogonRight[] = L"SeBatchLogonRight";

// "<prefix>_<object address>_<seconds since the epoch>_<process id>"; the
// names are machine-wide, hence the process id (see the header).
std::string uniqueName(const char* prefix, const void* object) {
  char address[32];
  std::snprintf(address, sizeof address, "%p", object);
  char name[256];
  std::snprintf(name, sizeof name, "%s_%s_%lu_%lu", prefix, address,
                static_cast<unsigned long>(std::time(nullptr)),
                static_cast<unsigned long>(GetCurrentProcessId()));
  return name;
}

std::wstring systemText(DWORD error) {
  return boundedtext::utf8ToWide(fiSystemErrorText(static_cast<int>(error)));
}

bool valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }

}  // namespace

CFiLock CFiExecPipeWindows::m_Lock;

std::unique_ptr<CFiExecPipeBase> CFiExecPipeBase::create(int autoClose) {
  return std::unique_ptr<CFiExecPipeBase>(new CFiExecPipeWindows(autoClose));
}

CFiExecPipeWindows::CFiExecPipeWindows(int autoClose)
    : CFiExecPipeBase(autoClose), m_readEvent(nullptr), m_timeUnitMs(1000) {
  Init();
}

CFiExecPipeWindows::CFiExecPipeWindows(const std::vector<std::string>& list, int autoClose)
    : CFiExecPipeBase(list, autoClose), m_readEvent(nullptr), m_timeUnitMs(1000) {
  Init();
}

CFiExecPipeWindows::~CFiExecPipeWindows() {
  Close(10);
  closeHandle(m_readEvent);
}

void CFiExecPipeWindows::Init() {
  if (!m_readEvent) {
    const std::string name = uniqueName("CFiExecPipeWindows_ReadEvent", this);
    m_readEvent = CreateEventA(nullptr, FALSE, FALSE, name.c_str());
  }
  m_lastWinError = 0;
  m_childPid = static_cast<DWORD>(-1);
  m_childHandle = INVALID_HANDLE_VALUE;
  m_writeHandle = INVALID_HANDLE_VALUE;
  m_readHandle = INVALID_HANDLE_VALUE;
  m_rightsAdded = 0;
  m_sid.clear();
  m_policy = INVALID_HANDLE_VALUE;
  m_token = INVALID_HANDLE_VALUE;
  m_buffer.assign(kReadChunk, '\0');
  m_bufferPos = 0;
  m_bufferEnd = 0;
  m_outputEnded = false;
}

void CFiExecPipeWindows::closeHandle(HANDLE& handle) {
  if (valid(handle)) CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
}

DWORD CFiExecPipeWindows::waitMs(uint32_t timeoutSec) const {
  unsigned long long ms = static_cast<unsigned long long>(timeoutSec) * m_timeUnitMs;
  return ms >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(ms);
}

DWORD CFiExecPipeWindows::GetNamedPipeHandles(const std::string& name, HANDLE& client,
                                              HANDLE& server, SECURITY_ATTRIBUTES& security) {
  server = CreateNamedPipeA(
      name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | WRITE_DAC | WRITE_OWNER,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 4, 0, 0, 3000, &security);
  if (server == INVALID_HANDLE_VALUE) {
    m_lastWinError = GetLastError();
    trace(FI_TRACE_ERROR,
          "CFiExecPipeWindows::GetNamedPipeHandles ERROR: CreateNamedPipeA failed, Error Code: "
          "%d, Reason: %S",
          static_cast<int>(m_lastWinError), systemText(m_lastWinError).c_str());
    return m_lastWinError;
  }
  client =
      CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, &security, OPEN_EXISTING,
                  FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_READONLY, nullptr);
  if (client == INVALID_HANDLE_VALUE) {
    m_lastWinError = GetLastError();
    trace(FI_TRACE_ERROR,
          "CFiExecPipeWindows::GetNamedPipeHandles ERROR: CreateFileA failed, Error Code: %d, "
          "Reason: %S",
          static_cast<int>(m_lastWinError), systemText(m_lastWinError).c_str());
    closeHandle(server);
    return m_lastWinError;
  }
  return 0;
}

int CFiExecPipeWindows::ExecPipe(const std::string& command, const std::string& workDir) {
  if (valid(m_readHandle) || valid(m_childHandle)) Close(10);  // a run left open
  Init();
  m_command = command;
  SECURITY_ATTRIBUTES security;
  security.nLength = sizeof security;
  security.lpSecurityDescriptor = nullptr;
  security.bInheritHandle = TRUE;

  const std::string inputName = uniqueName("\\\\.\\pipe\\CFiExecPipeWindows_InputPipeName", this);
  const std::string outputName = uniqueName("\\\\.\\pipe\\CFiExecPipeWindows_OutputPipeName", this);
  HANDLE outClient = INVALID_HANDLE_VALUE;  // parent reads (first, inheritable)
  HANDLE outServer = INVALID_HANDLE_VALUE;  // child's standard output
  HANDLE errServer = INVALID_HANDLE_VALUE;  // child's standard error
  HANDLE inClient = INVALID_HANDLE_VALUE;   // child's standard input
  HANDLE inServer = INVALID_HANDLE_VALUE;   // parent writes (first, inheritable)
  const HANDLE self = GetCurrentProcess();

  DWORD error = GetNamedPipeHandles(outputName, outClient, outServer, security);
  if (error != 0) {
    trace(FI_TRACE_ERROR, "GetNamedPipeHandles() FAILED with error code (%d)\n",
          static_cast<int>(error));
    m_lastError = EFiExecPipe(command, QLB_EXEC_PIPE_CREATE_PIPE_FAILED);
    return QLB_EXEC_PIPE_CREATE_PIPE_FAILED;
  }
  if (!DuplicateHandle(self, outServer, self, &errServer, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
    errServer = INVALID_HANDLE_VALUE;
    FlushHandles(outClient, outServer, errServer, inClient, inServer);
    m_lastError = EFiExecPipe(command, QLB_EXEC_PIPE_DUPLICATE_HANDLE_FAILED);
    trace(FI_TRACE_ERROR, "DuplicateHandle() FAILED to duplicate handle");
    return QLB_EXEC_PIPE_DUPLICATE_HANDLE_FAILED;
  }
  error = GetNamedPipeHandles(inputName, inClient, inServer, security);
  if (error != 0) {
    FlushHandles(outClient, outServer, errServer, inClient, inServer);
    trace(FI_TRACE_ERROR, "GetNamedPipeHandles() FAILED with error code (%d)\n",
          static_cast<int>(error));
    m_lastError = EFiExecPipe(command, QLB_EXEC_PIPE_CREATE_PIPE_FAILED);
    return QLB_EXEC_PIPE_CREATE_PIPE_FAILED;
  }
  if (!DuplicateHandle(self, inServer, self, &m_writeHandle, 0, FALSE, DUPLICATE_SAME_ACCESS) ||
      !DuplicateHandle(self, outClient, self, &m_readHandle, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    FlushHandles(outClient, outServer, errServer, inClient, inServer);
    closeHandle(m_writeHandle);
    closeHandle(m_readHandle);
    m_lastError = EFiExecPipe(command, QLB_EXEC_PIPE_DUPLICATE_HANDLE_FAILED);
    trace(FI_TRACE_ERROR, "DuplicateHandle() FAILED to duplicate handle");
    return QLB_EXEC_PIPE_DUPLICATE_HANDLE_FAILED;
  }
  // The inheritable first handles of the parent's ends must not reach the
  // child, or the pipe would never report the end of the output.
  bool closedIn = CloseHandle(inServer) != 0;
  bool closedOut = CloseHandle(outClient) != 0;
  inServer = INVALID_HANDLE_VALUE;
  outClient = INVALID_HANDLE_VALUE;
  if (!closedIn || !closedOut) {
    trace(FI_TRACE_WARNING, "Close failed with error code [%d]", static_cast<int>(GetLastError()));
    FlushHandles(outClient, outServer, errServer, inClient, inServer);
    m_lastError = EFiExecPipe(command, QLB_EXEC_PIPE_CLOSE_HANDLE_FAILED);
    return QLB_EXEC_PIPE_CLOSE_HANDLE_FAILED;
  }

  try {
    m_token = INVALID_HANDLE_VALUE;
    if (!m_user.empty()) m_token = Impersonate();
    CreateChildProcess(command, inClient, outServer, errServer, workDir);
    FlushHandles(outClient, outServer, errServer, inClient, inServer);
    return QLB_EXEC_PIPE_SUCCESS;
  } catch (const EFiExecPipe& failure) {
    FlushHandles(outClient, outServer, errServer, inClient, inServer);
    m_lastError = failure;
    trace(FI_TRACE_WARNING, "Execption occured while closing handles");
    return QLB_EXEC_PIPE_CLOSE_HANDLE_FAILED;
  } catch (...) {
    FlushHandles(outClient, outServer, errServer, inClient, inServer);
    trace(FI_TRACE_WARNING, "Unexpected error encountered.");
    m_lastError = EFiExecPipe(command, QLB_EXEC_PIPE_ERROR_UNEXPECTED);
    return QLB_EXEC_PIPE_ERROR_UNEXPECTED;
  }
}

int CFiExecPipeWindows::CreateChildProcess(const std::string& command, HANDLE input, HANDLE output,
                                           HANDLE error, const std::string& workDir) {
  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof process);
  // CreateProcess may write into the command line: a private copy.
  std::wstring line = boundedtext::utf8ToWide(command);
  std::vector<wchar_t> commandLine(line.begin(), line.end());
  commandLine.push_back(L'\0');
  const std::wstring directory = boundedtext::utf8ToWide(workDir);
  const DWORD flags = CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS;
  const wchar_t* cwd = workDir.empty() ? nullptr : directory.c_str();
  BOOL created = valid(m_token)
                     ? CreateProcessAsUserW(m_token, nullptr, commandLine.data(), nullptr, nullptr,
                                            TRUE, flags, nullptr, cwd, &startup, &process)
                     : CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags,
                                      nullptr, cwd, &startup, &process);
  if (!created) {
    DWORD code = GetLastError();
    trace(FI_TRACE_ERROR, "Failed to create child process");
    throw EFiExecPipe(command, QLB_EXEC_PIPE_CREATE_CHILD_PROCESS_FAILED, systemText(code),
                      static_cast<int32_t>(code));
  }
  m_childPid = process.dwProcessId;
  m_childHandle = process.hProcess;
  CloseHandle(process.hThread);
  return 0;
}

void CFiExecPipeWindows::FlushHandles(HANDLE& h1, HANDLE& h2, HANDLE& h3, HANDLE& h4, HANDLE& h5) {
  closeHandle(h1);
  closeHandle(h2);
  closeHandle(h3);
  closeHandle(h4);
  closeHandle(h5);
}

void CFiExecPipeWindows::InitLsaString(const wchar_t* text, LSA_UNICODE_STRING& lsa) {
  std::size_t length = text ? std::wcslen(text) : 0;
  lsa.Buffer = const_cast<wchar_t*>(text);
  lsa.Length = static_cast<USHORT>(length * sizeof(wchar_t));
  lsa.MaximumLength = static_cast<USHORT>(lsa.Length + sizeof(wchar_t));
}

HANDLE CFiExecPipeWindows::Impersonate() {
  // Every 64-bit Windows is of the NT family, with a build far beyond the
  // oldest one the batch logon needs.
  const std::wstring user = boundedtext::utf8ToWide(m_user);
  const std::wstring password = boundedtext::utf8ToWide(m_password);
  HANDLE network = INVALID_HANDLE_VALUE;
  if (!LogonUserW(user.c_str(), L".", password.c_str(), LOGON32_LOGON_NETWORK,
                  LOGON32_PROVIDER_DEFAULT, &network))
    return network;
  unsigned char tokenUser[512];
  DWORD size = 0;
  bool haveSid = GetTokenInformation(network, TokenUser, tokenUser, sizeof tokenUser, &size) != 0;
  CloseHandle(network);
  if (haveSid) {
    PSID sid = reinterpret_cast<TOKEN_USER*>(tokenUser)->User.Sid;
    m_sid.assign(static_cast<unsigned char*>(sid),
                 static_cast<unsigned char*>(sid) + GetLengthSid(sid));
    LSA_OBJECT_ATTRIBUTES attributes;
    ZeroMemory(&attributes, sizeof attributes);
    LSA_HANDLE policy = nullptr;
    if (LsaOpenPolicy(nullptr, &attributes, POLICY_LOOKUP_NAMES | POLICY_CREATE_ACCOUNT, &policy) ==
        0) {
      m_policy = policy;
      bool hasRight = false;
      PLSA_UNICODE_STRING rights = nullptr;
      ULONG count = 0;
      if (LsaEnumerateAccountRights(m_policy, m_sid.data(), &rights, &count) == 0) {
        for (ULONG i = 0; i < count; ++i) {
          std::wstring right(rights[i].Buffer, rights[i].Length / sizeof(wchar_t));
          if (right == kBatchLogonRight) hasRight = true;
        }
        LsaFreeMemory(rights);
      }
      if (!hasRight) {
        auto start = std::chrono::steady_clock::now();
        while (!m_Lock.take()) {
          if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(kLockWaitMs)) {
            trace(FI_TRACE_ERROR, "CEFiExecPipe could not impersonate");
            throw EFiExecPipe(m_user, QLB_EXEC_PIPE_IMPERSONATION_TIMEOUT);
          }
          fiSleep(0);
        }
        LSA_UNICODE_STRING right;
        InitLsaString(kBatchLogonRight, right);
        if (LsaAddAccountRights(m_policy, m_sid.data(), &right, 1) == 0) {
          m_rightsAdded = 1;
        } else {
          m_Lock.release();
        }
      }
    }
  }
  HANDLE batch = INVALID_HANDLE_VALUE;
  if (!LogonUserW(user.c_str(), L".", password.c_str(), LOGON32_LOGON_BATCH,
                  LOGON32_PROVIDER_DEFAULT, &batch))
    throw EFiExecPipe(m_user, QLB_EXEC_PIPE_CANNOT_IMPERSONATE);
  return batch;
}

void CFiExecPipeWindows::releaseRights() {
  if (m_rightsAdded) {
    m_Lock.release();
    LSA_UNICODE_STRING right;
    InitLsaString(kBatchLogonRight, right);
    LsaRemoveAccountRights(m_policy, m_sid.data(), FALSE, &right, 1);
    m_rightsAdded = 0;
  }
  if (m_policy != INVALID_HANDLE_VALUE && m_policy != nullptr) LsaClose(m_policy);
  m_policy = INVALID_HANDLE_VALUE;
  closeHandle(m_token);
}

bool CFiExecPipeWindows::childEnded() const {
  return !valid(m_childHandle) || WaitForSingleObject(m_childHandle, 0) == WAIT_OBJECT_0;
}

int CFiExecPipeWindows::fillBuffer(DWORD wait) {
  if (m_outputEnded || !valid(m_readHandle) || !m_readEvent) return 0;
  OVERLAPPED overlapped;
  ZeroMemory(&overlapped, sizeof overlapped);
  overlapped.hEvent = m_readEvent;
  DWORD got = 0;
  if (!ReadFile(m_readHandle, m_buffer.data(), static_cast<DWORD>(m_buffer.size()), nullptr,
                &overlapped)) {
    DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
      if (error != ERROR_BROKEN_PIPE)
        trace(FI_TRACE_ERROR,
              "CFiExecPipeWindows::ReadLine ERROR: ReadFile failed, Error Code: %d, Reason: %S",
              static_cast<int>(error), systemText(error).c_str());
      m_outputEnded = true;
      return 0;
    }
    bool cancelled = false;
    bool timedOut = false;
    if (wait == 0) {
      if (WaitForSingleObject(m_readEvent, 0) != WAIT_OBJECT_0) cancelled = true;
    } else {
      HANDLE waitOn[2] = {m_childHandle, m_readEvent};
      const bool withChild = valid(m_childHandle);
      DWORD which = withChild ? WaitForMultipleObjects(2, waitOn, FALSE, wait)
                              : WaitForSingleObject(m_readEvent, wait);
      if (which == WAIT_TIMEOUT) {
        cancelled = timedOut = true;
      } else if (withChild && which == WAIT_OBJECT_0) {
        cancelled = true;  // the child ended: what it left is read without waiting
      } else if (which == WAIT_FAILED) {
        cancelled = true;
      }
    }
    if (cancelled) CancelIo(m_readHandle);
    // After a cancel the read either completed before it or was aborted.
    if (!GetOverlappedResult(m_readHandle, &overlapped, &got, TRUE)) {
      error = GetLastError();
      if (error == ERROR_OPERATION_ABORTED) {
        if (timedOut) return -1;
        if (wait != 0) return fillBuffer(0);  // the child ended: drain without waiting
        m_outputEnded = true;
        return 0;
      }
      if (error != ERROR_BROKEN_PIPE)
        trace(FI_TRACE_ERROR,
              "CFiExecPipeWindows::ReadLine ERROR: GetOverlappedResult failed, Error Code: %d, "
              "Reason: %S",
              static_cast<int>(error), systemText(error).c_str());
      m_outputEnded = true;
      return 0;
    }
  } else if (!GetOverlappedResult(m_readHandle, &overlapped, &got, TRUE)) {
    m_outputEnded = true;
    return 0;
  }
  if (got == 0) {
    m_outputEnded = true;
    return 0;
  }
  m_bufferPos = 0;
  m_bufferEnd = got;
  return 1;
}

int CFiExecPipeWindows::ReadLine(char* buf, std::size_t size, int& timedOut, uint32_t timeoutSec) {
  timedOut = 0;
  if (!buf || size == 0) return 0;
  buf[0] = '\0';
  if (!valid(m_readHandle) || !m_readEvent) return 0;
  std::size_t length = 0;
  while (length < size) {
    if (m_bufferPos == m_bufferEnd) {
      // Once the child has ended, its output is drained without waiting.
      int filled = fillBuffer(childEnded() ? 0 : waitMs(timeoutSec));
      if (filled < 0) {
        timedOut = 1;
        break;
      }
      if (filled == 0) break;
    }
    char c = m_buffer[m_bufferPos++];
    if (c == '\n') {
      if (length > 0 && buf[length - 1] == '\r') --length;
      buf[length] = '\0';
      return 1;
    }
    buf[length++] = c;
  }
  buf[length] = '\0';
  if (timedOut) return 0;
  return length > 0 ? 1 : 0;
}

int CFiExecPipeWindows::WaitPid(uint32_t timeoutSec) {
  if (!valid(m_childHandle)) return -1;
  DWORD wait = waitMs(timeoutSec);
  for (int attempt = 1; attempt <= kWaitAttempts; ++attempt) {
    DWORD result = WaitForSingleObject(m_childHandle, wait);
    if (result == WAIT_OBJECT_0) {
      DWORD code = 0;
      return GetExitCodeProcess(m_childHandle, &code) ? static_cast<int>(code) : -1;
    }
    if (result == WAIT_ABANDONED) continue;
    if (result == WAIT_FAILED) {
      TerminateProcess(m_childHandle, KILLED_EXIT_STATUS);
      return KILLED_EXIT_STATUS;
    }
    // Timed out: ask, insist, then end it.
    if (attempt == 1) {
      GenerateConsoleCtrlEvent(CTRL_C_EVENT, m_childPid);
    } else if (attempt == 2) {
      GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, m_childPid);
    } else {
      TerminateProcess(m_childHandle, KILLED_EXIT_STATUS);
      WaitForSingleObject(m_childHandle, INFINITE);
      return KILLED_EXIT_STATUS;
    }
    DWORD cap = kMaxEscalationUnits * m_timeUnitMs;
    if (wait > cap) wait = cap;
  }
  return -1;
}

int CFiExecPipeWindows::Close(uint32_t timeoutSec) {
  releaseRights();
  closeHandle(m_readHandle);
  closeHandle(m_writeHandle);
  int result = QLB_EXEC_PIPE_SUCCESS;
  if (valid(m_childHandle)) {
    int status = WaitPid(timeoutSec);
    if (status < 0) {
      trace(FI_TRACE_WARNING, "Unexpected error encountered.");
      m_lastError = EFiExecPipe(m_command, QLB_EXEC_PIPE_ERROR_UNEXPECTED, L"Error in WaitPid()");
      result = QLB_EXEC_PIPE_ERROR_UNEXPECTED;
    } else if (status > 0) {
      wchar_t text[64];
      std::swprintf(text, sizeof text / sizeof text[0], L"Command exited with status %d", status);
      m_lastError = EFiExecPipe(m_command, QLB_EXEC_PIPE_CMD_FAILED, text, status);
      result = QLB_EXEC_PIPE_CMD_FAILED;
    }
    closeHandle(m_childHandle);
  }
  m_childPid = static_cast<DWORD>(-1);
  m_bufferPos = m_bufferEnd = 0;
  m_outputEnded = false;
  return result;
}

}  // namespace quelb_pdk_4_4
