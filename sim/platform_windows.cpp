// The simulator's operating-system calls on Windows: wide calls, UTF-8
// paths. Winsock is started on first use of the resolver.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "model.h"
#include "platform.h"
#include "systemtext.h"
#include "utf8.h"

namespace symsim {

namespace {

std::wstring wide(const std::string& path) { return boundedtext::utf8ToWide(path); }

// The system's text for a GetLastError code, or its number.
std::string systemText(DWORD error) {
  const std::string text = boundedtext::systemErrorText(static_cast<int>(error));
  return text.empty() ? "error " + std::to_string(error) : text;
}

bool winsockStarted() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    WSADATA data;
    started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  });
  return started;
}

}  // namespace

const char* const kPathSeparators = "/\\";
const char kPathListSeparator = ';';
const char* const kExecutableSuffix = ".exe";

bool isAbsolutePath(const std::string& path) {
  return (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
         (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && path[0] == path[1]);
}

std::string currentDirectory() {
  std::vector<wchar_t> buf(MAX_PATH);
  DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buf.size()), buf.data());
  if (n >= buf.size()) {
    buf.resize(n);
    n = GetCurrentDirectoryW(static_cast<DWORD>(buf.size()), buf.data());
  }
  if (n == 0 || n >= buf.size()) return ".";
  return boundedtext::wideToUtf8(buf.data(), n);
}

std::string selfExecutable() {
  std::vector<wchar_t> path(MAX_PATH);
  while (true) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return "";
    if (n < path.size()) return boundedtext::wideToUtf8(path.data(), n);
    path.resize(path.size() * 2);
  }
}

bool isExecutable(const std::string& path) {
  DWORD attributes = GetFileAttributesW(wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesW(wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void makeDirectory(const std::string& path) { CreateDirectoryW(wide(path).c_str(), nullptr); }

bool placeTool(const std::string& target, const std::string& name, std::string& why) {
  const std::wstring file = wide(name);
  DeleteFileW(file.c_str());
  if (CreateHardLinkW(file.c_str(), wide(target).c_str(), nullptr)) return true;
  if (CopyFileW(wide(target).c_str(), file.c_str(), FALSE)) return true;
  why = systemText(GetLastError());
  return false;
}

double realNow() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  // 100-ns intervals since 1601-01-01.
  unsigned long long t =
      (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<double>(t - 116444736000000000ULL) / 1e7;
}

void localTime(std::time_t t, std::tm& out) { localtime_s(&out, &t); }

long processId() { return static_cast<long>(GetCurrentProcessId()); }

[[noreturn]] void hangForever() {
  for (;;) Sleep(INFINITE);
}

[[noreturn]] void crashNow() {
  // The exit code of an access violation, without the error reporting a
  // real one would start.
  TerminateProcess(GetCurrentProcess(), 0xC0000005u);
  for (;;) Sleep(INFINITE);
}

std::string machineHostName() {
  wchar_t text[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(text, &length)) return "localhost";
  return boundedtext::wideToUtf8(text, length);
}

std::string resolveAddress(const std::string& host) {
  if (!winsockStarted()) return "";
  struct addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  struct addrinfo* res = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0 || !res) return "";
  char buf[INET_ADDRSTRLEN] = "";
  const auto* in = reinterpret_cast<const struct sockaddr_in*>(res->ai_addr);
  inet_ntop(AF_INET, &in->sin_addr, buf, sizeof buf);
  freeaddrinfo(res);
  return buf;
}

}  // namespace symsim
