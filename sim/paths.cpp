#include "paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "text.h"

namespace symsim {

std::string baseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

std::string currentDirectory() {
  std::vector<char> buf(4096);
  if (!getcwd(buf.data(), buf.size())) return ".";
  return buf.data();
}

std::string dirName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool isExecutable(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string selfExecutable() {
  std::vector<char> buf(4096);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return "";
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::string invocationDirectory(const std::string& argv0) {
  if (argv0.find('/') != std::string::npos) {
    std::string dir = dirName(argv0);
    return dir[0] == '/' ? dir : currentDirectory() + "/" + dir;
  }
  const char* path = std::getenv("PATH");
  if (path) {
    for (const std::string& dir : split(path, ':')) {
      std::string d = dir.empty() ? "." : dir;
      if (isExecutable(d + "/" + argv0)) return d[0] == '/' ? d : currentDirectory() + "/" + d;
    }
  }
  return dirName(selfExecutable());
}

std::string databasePath(const std::string& argv0) {
  const char* env = std::getenv("SYMSIM_DB");
  if (env && *env) return env;
  return invocationDirectory(argv0) + "/../symsim.db";
}

}  // namespace symsim
