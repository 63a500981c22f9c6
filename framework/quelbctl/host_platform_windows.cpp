// quelbctl's operating-system calls on Windows: wide calls, UTF-8 text.
#include <winsock2.h>
#include <windows.h>
#include <io.h>

#include <cstdio>
#include <vector>

#include "host_platform.h"
#include "systemtext.h"
#include "utf8.h"

namespace host {

namespace {

// The system's text for a GetLastError code, or its number.
std::string systemText(DWORD error) {
  const std::string text = boundedtext::systemErrorText(static_cast<int>(error));
  return text.empty() ? "error " + std::to_string(error) : text;
}

}  // namespace

std::string executablePath() {
  std::vector<wchar_t> path(MAX_PATH);
  while (true) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) return boundedtext::wideToUtf8(path.data(), n);
    path.resize(path.size() * 2);
  }
}

bool machineName(std::string& name) {
  wchar_t text[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(text, &length)) return false;
  name = boundedtext::wideToUtf8(text, length);
  return true;
}

unsigned long processId() { return static_cast<unsigned long>(GetCurrentProcessId()); }

double processorSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  // Both times count 100-nanosecond intervals.
  auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

bool stderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

std::size_t stderrColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
  return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

bool readable(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(boundedtext::utf8ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

char separator() { return '\\'; }

void* loadLibrary(const std::string& path, std::string& why) {
  HMODULE library = LoadLibraryW(boundedtext::utf8ToWide(path).c_str());
  if (!library) why = systemText(GetLastError());
  return reinterpret_cast<void*>(library);
}

void* librarySymbol(void* library, const std::string& name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
}

void unloadLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::FILE* divertStandardOutput() {
  std::fflush(stdout);
  const int original = _dup(_fileno(stdout));
  if (original < 0) return nullptr;
  std::FILE* stream = _fdopen(original, "w");
  if (!stream) {
    _close(original);
    return nullptr;
  }
  if (_dup2(_fileno(stderr), _fileno(stdout)) < 0) {
    std::fclose(stream);
    return nullptr;
  }
  return stream;
}

}  // namespace host
