#include "test_env.h"

#include <gtest/gtest.h>
#include <unicode/uclean.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

// Files and directories go through std::filesystem, which is the same on both platforms; what
// differs (the temporary directory, environment, descriptors, processes) is in test_env_posix.cpp
// and test_env_windows.cpp.

namespace fs = std::filesystem;

namespace testenv {

// Creates a fresh directory under the system's temporary directory, named `prefix` and a unique
// suffix; returns its path. Throws std::runtime_error when it cannot. In the platform files.
std::string makeTempDir(const std::string& prefix);

TempDir::TempDir(const std::string& prefix) : path_(makeTempDir(prefix)) {}

// A directory that stays names a file still open (on Windows, where an open or mapped file cannot
// be deleted): a handle the code under test leaked. Under Wine a child that has ended may hold its
// program file for a moment longer while the machine is busy, so removal is tried for up to 5 s.
TempDir::~TempDir() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    removeTree(path_);
    if (!fileExists(path_)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::string left;
  for (const std::string& name : listDir(path_)) left += " " + name;
  ADD_FAILURE() << "cannot remove " << path_ << " (left:" << left
                << "): is a file in it still open?";
}

std::string TempDir::file(const std::string& name) const { return nativePath(path_ + "/" + name); }

std::string nativePath(const std::string& path) {
  std::string native = path;
  for (char& c : native)
    if (c == '/') c = kPathSeparator;
  return native;
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
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

void makeDirs(const std::string& path) {
  std::error_code error;
  fs::create_directories(path, error);
}

// Each entry is tried once. std::filesystem::remove_all of libstdc++ 12 on Windows never returns
// when a file in the tree cannot be deleted (one that a process still has mapped, for instance).
void removeTree(const std::string& path) {
  std::error_code error;
  if (fs::is_directory(fs::symlink_status(path, error)))
    for (const std::string& name : listDir(path)) removeTree(path + "/" + name);
  fs::remove(path, error);
}

std::vector<std::string> listDir(const std::string& path) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error))
    names.push_back(it->path().filename().string());
  return names;
}

void releaseIcuFiles() { u_cleanup(); }

void copyTree(const std::string& from, const std::string& to) {
  std::error_code error;
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
  if (error) throw std::runtime_error("cannot copy " + from + " to " + to + ": " + error.message());
}

std::string binaryDir() { return NORVEL_BINARY_DIR; }
std::string norvelLibraryPath() { return NORVEL_LIB_PATH; }
std::string quelbutilLibraryPath() { return QUELBUTIL_LIB_PATH; }
std::string quelbctlPath() { return QUELBCTL_PATH; }
std::string symsimPath() {
#ifdef SYMSIM_PATH
  return SYMSIM_PATH;
#else
  return binaryDir() + "/bin/symsim";
#endif
}

}  // namespace testenv
