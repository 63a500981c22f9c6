// CFiUniqueFd: owns one POSIX file descriptor and closes it when it goes,
// so that no way out of a function can forget one. Move-only.
#ifndef QLB_PDK_CFIUNIQUEFDPOSIX_H
#define QLB_PDK_CFIUNIQUEFDPOSIX_H

#include <errno.h>
#include <unistd.h>

namespace quelb_pdk_4_4 {

class CFiUniqueFd {
 public:
  CFiUniqueFd() : m_fd(-1) {}
  explicit CFiUniqueFd(int fd) : m_fd(fd) {}
  ~CFiUniqueFd() { close(); }
  CFiUniqueFd(CFiUniqueFd&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
  CFiUniqueFd& operator=(CFiUniqueFd&& other) noexcept {
    if (this != &other) {
      close();
      m_fd = other.m_fd;
      other.m_fd = -1;
    }
    return *this;
  }
  CFiUniqueFd(const CFiUniqueFd&) = delete;
  CFiUniqueFd& operator=(const CFiUniqueFd&) = delete;

  int get() const { return m_fd; }
  bool valid() const { return m_fd >= 0; }

  // Gives the descriptor up without closing it.
  int release() {
    int fd = m_fd;
    m_fd = -1;
    return fd;
  }
  // Closes the held descriptor, if any, and holds `fd` instead.
  void reset(int fd = -1) {
    close();
    m_fd = fd;
  }
  // Closes the held descriptor. Returns 0, or the system error of a close
  // that failed (the descriptor is released either way).
  int close() {
    if (m_fd < 0) return 0;
    int result = ::close(m_fd);
    int error = result == 0 ? 0 : errno;
    m_fd = -1;
    return error;
  }

 private:
  int m_fd;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIUNIQUEFDPOSIX_H
