// Temporary files on POSIX systems: open(O_CREAT | O_EXCL), write(2),
// close(2), rename(2), unlink(2).
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include "cfienvironment.h"
#include "cfiplatform.h"
#include "cfitempfile.h"

namespace quelb_pdk_4_4 {

const std::intptr_t CFiTempFile::kNoHandle = -1;

std::string CFiTempFile::temporaryDirectory() {
  std::string directory = fiGetEnvironment("TMPDIR");
  if (directory.empty()) directory = "/tmp";
  return fiWithSeparator(directory);
}

int CFiTempFile::platformCreateNew(const std::string& path, Access access, std::intptr_t& handle,
                                   bool& taken) {
  const mode_t mode = access == PRIVATE ? 0600 : 0666;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) {
    taken = errno == EEXIST;
    return errno;
  }
  handle = fd;
  return 0;
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
