// Result codes of the child-process pipe, their names, the pipe's error
// record EFiExecPipe, the one-byte lock CFiLock and its holder CFiLockHold.
#ifndef QLB_PDK_CFIEXECPIPE_H
#define QLB_PDK_CFIEXECPIPE_H

#include <atomic>
#include <cstdint>
#include <string>

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

enum EFiExecPipeCode {
  QLB_EXEC_PIPE_SUCCESS = 0,
  QLB_EXEC_PIPE_CREATE_PIPE_FAILED = 1,
  QLB_EXEC_PIPE_DUPLICATE_HANDLE_FAILED = 2,
  QLB_EXEC_PIPE_CLOSE_HANDLE_FAILED = 3,
  QLB_EXEC_PIPE_CREATE_CHILD_PROCESS_FAILED = 4,
  QLB_EXEC_PIPE_READ_TIMEOUT = 5,
  QLB_EXEC_PIPE_PARSE_COMMAND_FAILED = 6,
  QLB_EXEC_PIPE_EXE_DOES_NOT_EXIST = 7,
  QLB_EXEC_PIPE_ERROR_UNEXPECTED = 8,
  QLB_EXEC_PIPE_IMPERSONATION_TIMEOUT = 9,
  QLB_EXEC_PIPE_CANNOT_IMPERSONATE = 10,
  QLB_EXEC_PIPE_CMD_FAILED = 11,
  QLB_EXEC_PIPE_CMD_KILLED = 12,
  QLB_EXEC_PIPE_CMD_ERROR_UNEXPECTED = 13,
  // Added to the framework's table: the output broke one of the limits the
  // caller set (CFiExecPipeBase::setOutputLimits); the run was stopped.
  QLB_EXEC_PIPE_OUTPUT_LIMIT = 14
};

enum { QLB_EXEC_PIPE_CODE_COUNT = 15 };

// The names of the codes above, indexed by code ("QLB_EXEC_PIPE_SUCCESS", ...).
QLB_PDK_EXPORT extern const char* const QLB_EXEC_PIPE_NAMES[QLB_EXEC_PIPE_CODE_COUNT];

// The name of a code; "QLB_EXEC_PIPE_UNKNOWN" for a value outside the table.
QLB_PDK_EXPORT const char* fiExecPipeCodeName(int code);

// A failure of the pipe: thrown inside the pipe and held as its last error.
class QLB_PDK_EXPORT EFiExecPipe {
 public:
  EFiExecPipe() : m_code(QLB_EXEC_PIPE_SUCCESS), m_exitStatus(0) {}
  EFiExecPipe(const std::string& command, int32_t code)
      : m_command(command), m_code(code), m_exitStatus(0) {}
  EFiExecPipe(const std::string& command, int32_t code, const std::wstring& message)
      : m_command(command), m_message(message), m_code(code), m_exitStatus(0) {}
  EFiExecPipe(const std::string& command, int32_t code, const std::wstring& message,
              int32_t exitStatus)
      : m_command(command), m_message(message), m_code(code), m_exitStatus(exitStatus) {}

  // The command line (or, for a user switch, the user name) concerned.
  const std::string& getCommand() const { return m_command; }
  const std::wstring& getMessage() const { return m_message; }
  int32_t getCode() const { return m_code; }
  // The child's exit status, or the system error of a failed child start.
  int32_t getExitStatus() const { return m_exitStatus; }

 private:
  std::string m_command;
  std::wstring m_message;
  int32_t m_code;
  int32_t m_exitStatus;
};

// A one-byte flag lock: take() succeeds only while the flag is clear and
// sets it; release() clears it. Never blocks.
class QLB_PDK_EXPORT CFiLock {
 public:
  CFiLock() : m_flag(false) {}
  CFiLock(const CFiLock&) = delete;
  CFiLock& operator=(const CFiLock&) = delete;

  bool take() {
    bool expected = false;
    return m_flag.compare_exchange_strong(expected, true);
  }
  void release() { m_flag.store(false); }

 private:
  std::atomic<bool> m_flag;
};

// Holds a CFiLock from a successful take() until release() or the end of
// the holder, so that no way out of a scope leaves the lock taken.
class QLB_PDK_EXPORT CFiLockHold {
 public:
  CFiLockHold() : m_lock(nullptr) {}
  ~CFiLockHold() { release(); }
  CFiLockHold(const CFiLockHold&) = delete;
  CFiLockHold& operator=(const CFiLockHold&) = delete;

  // Takes `lock` if it is free (never blocks). True when this holder now
  // holds it; a lock held before is released first.
  bool take(CFiLock& lock) {
    release();
    if (!lock.take()) return false;
    m_lock = &lock;
    return true;
  }
  void release() {
    if (m_lock) m_lock->release();
    m_lock = nullptr;
  }
  bool holds() const { return m_lock != nullptr; }

 private:
  CFiLock* m_lock;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIEXECPIPE_H
