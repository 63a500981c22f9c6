#include "test_env.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testenv {

TempDir::TempDir(const std::string& prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "_XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed: " + pattern);
  path_ = buf.data();
}

TempDir::~TempDir() { removeTree(path_); }

std::string TempDir::file(const std::string& name) const { return path_ + "/" + name; }

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

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << content;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

void makeDirs(const std::string& path) {
  std::string partial;
  std::stringstream ss(path);
  std::string piece;
  if (!path.empty() && path[0] == '/') partial = "/";
  while (std::getline(ss, piece, '/')) {
    if (piece.empty()) continue;
    partial += piece + "/";
    ::mkdir(partial.c_str(), 0755);
  }
}

void removeTree(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) {
    for (const std::string& name : listDir(path)) removeTree(path + "/" + name);
    ::rmdir(path.c_str());
  } else {
    ::unlink(path.c_str());
  }
}

std::vector<std::string> listDir(const std::string& path) {
  std::vector<std::string> names;
  DIR* d = ::opendir(path.c_str());
  if (!d) return names;
  while (struct dirent* e = ::readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    names.push_back(e->d_name);
  }
  ::closedir(d);
  return names;
}

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

std::string sourceDir() { return NORVEL_SOURCE_DIR; }
std::string binaryDir() { return NORVEL_BINARY_DIR; }
std::string norvelLibraryPath() { return NORVEL_LIB_PATH; }
std::string quelbctlPath() { return QUELBCTL_PATH; }
std::string symsimPath() {
#ifdef SYMSIM_PATH
  return SYMSIM_PATH;
#else
  return binaryDir() + "/bin/symsim";
#endif
}

}  // namespace testenv
