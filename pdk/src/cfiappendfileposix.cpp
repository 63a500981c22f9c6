#include <fcntl.h>
#include <unistd.h>

#include "cfiappendfile.h"

namespace quelb_pdk_4_4 {

bool fiAppendToFile(const std::string& path, const std::string& data) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool written =
      data.empty() || ::write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
  return ::close(fd) == 0 && written;
}

}  // namespace quelb_pdk_4_4
