// The environment, descriptor and process counts of test_env.h on POSIX systems.
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "test_env.h"

namespace testenv {

std::string makeTempDir(const std::string& prefix);

const char* const kExeSuffix = "";
const char kPathSeparator = '/';
const char* const kTempDirVariable = "TMPDIR";

std::string makeTempDir(const std::string& prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "_XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed: " + pattern);
  return buf.data();
}

ScopedEnv::ScopedEnv(const std::string& name, const char* value) : name_(name) {
  const char* old = std::getenv(name.c_str());
  had_old_ = old != nullptr;
  if (old) old_ = old;
  if (value)
    setenv(name.c_str(), value, 1);
  else
    unsetenv(name.c_str());
}

ScopedEnv::~ScopedEnv() {
  if (had_old_)
    setenv(name_.c_str(), old_.c_str(), 1);
  else
    unsetenv(name_.c_str());
}

std::optional<unsigned> permissionBits(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return info.st_mode & 0777u;
}

std::optional<unsigned> defaultDirectoryBits() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0777u & ~mask;
}

std::string hostName() {
  char host[HOST_NAME_MAX + 1] = {};
  if (gethostname(host, sizeof host - 1) != 0) return "";
  return host;
}

unsigned long processId() { return static_cast<unsigned long>(::getpid()); }
unsigned long threadId() { return static_cast<unsigned long>(::gettid()); }

int openDescriptorCount() { return static_cast<int>(listDir("/proc/self/fd").size()) - 1; }

int childProcessCount() {
  std::string self = std::to_string(getpid());
  int count = 0;
  for (const std::string& pid : listDir("/proc")) {
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string stat = readFile("/proc/" + pid + "/stat");
    // pid (comm) state ppid ...
    size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 1));
    std::string state, ppid;
    rest >> state >> ppid;
    if (ppid == self) ++count;
  }
  return count;
}

}  // namespace testenv
