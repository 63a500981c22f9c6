// Child processes of sim_env.h on Windows: CreateProcess with one pipe for standard output and
// error, the exit code, TerminateProcess.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <cwchar>
#include <stdexcept>

#include "sim_env.h"
#include "utf8.h"

namespace simtest {

namespace {

// `text` quoted so that the child's C runtime reads it back as one argument.
std::string quoted(const std::string& text) {
  if (!text.empty() && text.find_first_of(" \t\n\v\"") == std::string::npos) return text;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

// This process's environment without SYMSIM_DB, then `extra`, as the block CreateProcess takes.
std::string childEnvironment(const std::vector<std::string>& extra) {
  std::string block;
  char* strings = GetEnvironmentStringsA();
  for (const char* e = strings; e && *e; e += std::strlen(e) + 1)
    if (_strnicmp(e, "SYMSIM_DB=", 10) != 0) block.append(e).push_back('\0');
  FreeEnvironmentStringsA(strings);
  for (const std::string& e : extra) block.append(e).push_back('\0');
  block.push_back('\0');
  return block;
}

std::string errorText(const std::string& what) {
  return what + " failed (error " + std::to_string(GetLastError()) + ")";
}

}  // namespace

const int kCrashedStatus = static_cast<int>(0xC0000005u);

struct Child::Process {
  HANDLE process = nullptr;
  HANDLE read = nullptr;

  int reap() {
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    process = nullptr;
    return static_cast<int>(code);
  }
};

Child::Child(const std::string& path, const std::vector<std::string>& args,
             const std::vector<std::string>& extra, Streams streams)
    : process_(new Process) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE write = nullptr;
  if (!CreatePipe(&process_->read, &write, &inherit, 0))
    throw std::runtime_error(errorText("CreatePipe"));
  SetHandleInformation(process_->read, HANDLE_FLAG_INHERIT, 0);
  HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = write;
  HANDLE discard = streams == Streams::kMerged
                       ? INVALID_HANDLE_VALUE
                       : CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inherit, OPEN_EXISTING, 0, nullptr);
  startup.hStdError = streams == Streams::kMerged ? write : discard;
  std::string line = quoted(path);
  for (const std::string& a : args) line += " " + quoted(a);
  std::string env = childEnvironment(extra);
  PROCESS_INFORMATION info = {};
  // Wine's process creation has been seen to fail with ERROR_INTERNAL_ERROR on a loaded
  // machine (once in a whole CI run); up to two more attempts are made before it counts.
  BOOL started = FALSE;
  for (int attempt = 0; attempt < 3 && !started; ++attempt) {
    started = CreateProcessA(path.c_str(), &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                             &env[0], nullptr, &startup, &info);
    if (!started && GetLastError() != ERROR_INTERNAL_ERROR) break;
  }
  const std::string failure = started ? "" : errorText("starting " + path);
  CloseHandle(write);
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
  if (discard != INVALID_HANDLE_VALUE) CloseHandle(discard);
  if (!started) {
    CloseHandle(process_->read);
    throw std::runtime_error(failure);
  }
  CloseHandle(info.hThread);
  process_->process = info.hProcess;
}

Child::~Child() {
  kill();
  if (process_->read) CloseHandle(process_->read);
}

std::string Child::readUntil(const std::string& text) {
  char buf[65536];
  HANDLE& read = process_->read;
  while (read && buffered_.find(text) == std::string::npos) {
    DWORD n = 0;
    if (!ReadFile(read, buf, sizeof buf, &n, nullptr) || n == 0) {
      CloseHandle(read);
      read = nullptr;
      break;
    }
    buffered_.append(buf, n);
  }
  return buffered_;
}

// The tools write text with CRLF line ends on Windows; tests read it with LF, as a text-mode read
// would give it.
static std::string withLineFeeds(std::string text) {
  std::string::size_type at = 0;
  while ((at = text.find("\r\n", at)) != std::string::npos) text.erase(at, 1);
  return text;
}

ToolRun Child::finish() {
  ToolRun r;
  r.out = withLineFeeds(readUntil(std::string(1, '\0') + "never"));
  r.status = process_->reap();
  return r;
}

int Child::kill() {
  if (!process_->process) return -1;
  TerminateProcess(process_->process, kKilledStatus);
  return process_->reap();
}

std::vector<std::string> splitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  if (line.find_first_not_of(" \t") == std::string::npos) return args;
  if (line.find('\0') != std::string::npos)
    throw std::runtime_error("cannot split the command line: " + line);
  // A program name first: CommandLineToArgvW reads the first argument by other rules.
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(boundedtext::utf8ToWide("program " + line).c_str(), &count);
  if (!argv) throw std::runtime_error("cannot split the command line: " + line);
  for (int i = 1; i < count; ++i)
    args.push_back(boundedtext::wideToUtf8(argv[i], std::wcslen(argv[i])));
  LocalFree(argv);
  return args;
}

}  // namespace simtest
