// quelbctl's operating-system calls on POSIX systems.
#include <dlfcn.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

#include "host_platform.h"

namespace host {

std::string executablePath() {
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return std::string();
  return std::string(self, static_cast<std::size_t>(n));
}

bool machineName(std::string& name) {
  char text[256] = {0};
  if (::gethostname(text, sizeof text - 1) != 0) return false;
  name = text;
  return true;
}

unsigned long processId() { return static_cast<unsigned long>(::getpid()); }

double processorSeconds() {
  struct timespec now;
  if (::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now) != 0) return 0;
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

bool stderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

std::size_t stderrColumns() {
  struct winsize size = {};
  return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

bool readable(const std::string& path) { return ::access(path.c_str(), R_OK) == 0; }

char separator() { return '/'; }

void* loadLibrary(const std::string& path, std::string& why) {
  void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* error = ::dlerror();
    why = error ? error : "unknown error";
  }
  return library;
}

void* librarySymbol(void* library, const std::string& name) {
  return ::dlsym(library, name.c_str());
}

void unloadLibrary(void* library) { ::dlclose(library); }

std::FILE* divertStandardOutput() {
  std::fflush(stdout);
  const int original = ::dup(STDOUT_FILENO);
  if (original < 0) return nullptr;
  std::FILE* stream = ::fdopen(original, "w");
  if (!stream) {
    ::close(original);
    return nullptr;
  }
  if (::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    std::fclose(stream);
    return nullptr;
  }
  return stream;
}

}  // namespace host
