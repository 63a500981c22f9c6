#include "paths.h"

#include <cstdlib>
#include <vector>

#include "platform.h"
#include "text.h"

namespace symsim {

std::string baseName(const std::string& path) {
  size_t slash = path.find_last_of(kPathSeparators);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

std::string dirName(const std::string& path) {
  size_t slash = path.find_last_of(kPathSeparators);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return path.substr(0, 1);
  return path.substr(0, slash);
}

std::string absolute(const std::string& dir) {
  return isAbsolutePath(dir) ? dir : currentDirectory() + "/" + dir;
}

}  // namespace

std::string invocationDirectory(const std::string& argv0) {
  if (argv0.find_first_of(kPathSeparators) != std::string::npos) return absolute(dirName(argv0));
  const char* path = std::getenv("PATH");
  if (path) {
    for (const std::string& dir : split(path, kPathListSeparator)) {
      std::string d = dir.empty() ? "." : dir;
      if (isExecutable(d + "/" + argv0)) return absolute(d);
    }
  }
  return dirName(selfExecutable());
}

std::string databasePath(const std::string& argv0) {
  const char* env = std::getenv("SYMSIM_DB");
  if (env && *env) return env;
  const std::string dir = invocationDirectory(argv0);
  // The administration command of an installation (PREFIX/bin/symsim, not
  // beside the tool names) uses the database of the tools it laid out in
  // PREFIX/symcli/bin/, so that it shows and changes the arrays they serve.
  if (!isExecutable(dir + "/symcfg") && isExecutable(dir + "/../symcli/bin/symcfg"))
    return dir + "/../symcli/symsim.db";
  return dir + "/../symsim.db";
}

}  // namespace symsim
