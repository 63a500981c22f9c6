// The simulator's operating-system calls on POSIX systems.
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "model.h"
#include "platform.h"

namespace symsim {

const char* const kPathSeparators = "/";
const char kPathListSeparator = ':';
const char* const kExecutableSuffix = "";

bool isAbsolutePath(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::string currentDirectory() {
  std::vector<char> buf(4096);
  if (!getcwd(buf.data(), buf.size())) return ".";
  return buf.data();
}

std::string selfExecutable() {
  std::vector<char> buf(4096);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return "";
  return std::string(buf.data(), static_cast<size_t>(n));
}

bool isExecutable(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool isDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void makeDirectory(const std::string& path) { ::mkdir(path.c_str(), 0755); }

bool placeTool(const std::string& target, const std::string& name, std::string& why) {
  ::unlink(name.c_str());
  if (::symlink(target.c_str(), name.c_str()) == 0) return true;
  why = std::strerror(errno);
  return false;
}

double realNow() {
  struct timeval tv;
  gettimeofday(&tv, nullptr);
  return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
}

void localTime(std::time_t t, std::tm& out) { localtime_r(&t, &out); }

long processId() { return static_cast<long>(getpid()); }

[[noreturn]] void hangForever() {
  for (;;) pause();
}

[[noreturn]] void crashNow() {
  struct rlimit none = {0, 0};
  setrlimit(RLIMIT_CORE, &none);
  std::signal(SIGSEGV, SIG_DFL);
  std::raise(SIGSEGV);
  std::abort();
}

std::string machineHostName() {
  char buf[256];
  if (gethostname(buf, sizeof buf) != 0) return "localhost";
  buf[sizeof buf - 1] = '\0';
  return buf;
}

std::string resolveAddress(const std::string& host) {
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
