// Temporary files on POSIX systems: open(O_CREAT | O_EXCL) under a name
// with a random suffix, write(2), close(2), rename(2), unlink(2).
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <mutex>
#include <random>

#include "cfienvironment.h"
#include "cfiplatform.h"
#include "cfitempfile.h"

namespace quelb_pdk_4_4 {

namespace {

const char kSuffixCharacters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
const int kSuffixLength = 6;
// Names tried before giving up when every one is taken.
const int kCreateAttempts = 100;

// One generator for all threads: not thread_local, as the sanitizers' leak
// checker misreads the dynamic TLS of a library loaded with dlopen.
std::string randomSuffix() {
  static std::mutex lock;
  static std::mt19937 generator{std::random_device{}()};
  std::lock_guard<std::mutex> hold(lock);
  std::uniform_int_distribution<int> pick(0, sizeof kSuffixCharacters - 2);
  std::string suffix;
  for (int i = 0; i < kSuffixLength; ++i) suffix += kSuffixCharacters[pick(generator)];
  return suffix;
}

}  // namespace

const std::intptr_t CFiTempFile::kNoHandle = -1;

std::string CFiTempFile::temporaryDirectory() {
  std::string directory = fiGetEnvironment("TMPDIR");
  if (directory.empty()) directory = "/tmp";
  return fiWithSeparator(directory);
}

int CFiTempFile::platformCreate(const std::string& directory, const std::string& prefix,
                                Access access, std::string& path, std::intptr_t& handle) {
  const mode_t mode = access == PRIVATE ? 0600 : 0666;
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    std::string candidate = directory + prefix + randomSuffix();
    int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      path = candidate;
      handle = fd;
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

int CFiTempFile::platformWrite(std::intptr_t handle, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = ::write(static_cast<int>(handle), data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return ENOSPC;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

int CFiTempFile::platformClose(std::intptr_t handle) {
  // The descriptor is gone whatever close says; EINTR is not a failure.
  if (::close(static_cast<int>(handle)) != 0 && errno != EINTR) return errno;
  return 0;
}

int CFiTempFile::platformReplace(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int CFiTempFile::platformRemove(const std::string& path) {
  return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

}  // namespace quelb_pdk_4_4
