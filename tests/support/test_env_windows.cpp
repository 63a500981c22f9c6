// The environment, handle and process counts of test_env.h on Windows.
#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "test_env.h"

namespace testenv {

std::string makeTempDir(const std::string& prefix);

const char* const kExeSuffix = ".exe";
const char kPathSeparator = '\\';
const char* const kTempDirVariable = "TMP";

std::string makeTempDir(const std::string& prefix) {
  char base[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof base, base);  // ends in a backslash
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary directory");
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string path = std::string(base, length) + prefix + "_" +
                             std::to_string(GetCurrentProcessId()) + "_" +
                             std::to_string(++counter);
    if (CreateDirectoryA(path.c_str(), nullptr)) return path;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("cannot create a temporary directory under " +
                           std::string(base, length));
}

// The C runtime's copy of the environment (getenv) and the process's own (what children inherit)
// are both updated.
static void setVariable(const std::string& name, const char* value) {
  _putenv_s(name.c_str(), value ? value : "");
  SetEnvironmentVariableA(name.c_str(), value);
}

ScopedEnv::ScopedEnv(const std::string& name, const char* value) : name_(name), had_old_(false) {
  // The process's value, which may be empty (the C runtime's copy cannot be).
  char buffer[32768];
  SetLastError(ERROR_SUCCESS);
  DWORD length = GetEnvironmentVariableA(name.c_str(), buffer, sizeof buffer);
  if (length < sizeof buffer && (length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND)) {
    had_old_ = true;
    old_.assign(buffer, length);
  }
  setVariable(name, value);
}

ScopedEnv::~ScopedEnv() { setVariable(name_, had_old_ ? old_.c_str() : nullptr); }

std::optional<unsigned> permissionBits(const std::string&) { return std::nullopt; }

std::optional<unsigned> defaultDirectoryBits() { return std::nullopt; }

// The computer name, which the system gives as the host's name.
std::string hostName() {
  char host[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof host;
  if (!GetComputerNameA(host, &size)) return "";
  return std::string(host, size);
}

unsigned long processId() { return GetCurrentProcessId(); }
unsigned long threadId() { return GetCurrentThreadId(); }

int childProcessCount() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  const DWORD self = GetCurrentProcessId();
  int count = 0;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ParentProcessID == self) ++count;
  CloseHandle(snapshot);
  return count;
}

}  // namespace testenv
