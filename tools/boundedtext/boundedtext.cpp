#include "boundedtext.h"

#include <cstdio>
#include <cwchar>
#include <vector>

#include "utf8format.h"

namespace boundedtext {

int vformat(char* buf, std::size_t size, const char* fmt, std::va_list ap) {
  if (!fmt) {
    if (buf && size) buf[0] = '\0';
    return -1;
  }
  if (!buf || size == 0) return utf8Vsnprintf(nullptr, 0, fmt, ap);
  return utf8Vsnprintf(buf, size, fmt, ap);
}

int format(char* buf, std::size_t size, const char* fmt, ...) {
  std::va_list ap;
  va_start(ap, fmt);
  int n = vformat(buf, size, fmt, ap);
  va_end(ap);
  return n;
}

int vwformat(wchar_t* buf, std::size_t size, const wchar_t* fmt, std::va_list ap) {
  if (!buf || size == 0) return -1;
  buf[0] = L'\0';
  if (!fmt) return -1;
  int n = utf8Vswprintf(buf, size, fmt, ap);
  buf[size - 1] = L'\0';
  return n;
}

int wformat(wchar_t* buf, std::size_t size, const wchar_t* fmt, ...) {
  std::va_list ap;
  va_start(ap, fmt);
  int n = vwformat(buf, size, fmt, ap);
  va_end(ap);
  return n;
}

std::string vformatString(std::size_t limit, const char* fmt, std::va_list ap) {
  if (!fmt || limit == 0) return std::string();
  char small[256];
  std::va_list copy;
  va_copy(copy, ap);
  int n = utf8Vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) return std::string();
  std::size_t want = static_cast<std::size_t>(n);
  if (want < sizeof small) return std::string(small, want < limit ? want : limit);
  std::size_t cap = want < limit ? want : limit;
  std::vector<char> big(cap + 1);
  utf8Vsnprintf(big.data(), big.size(), fmt, ap);
  return std::string(big.data(), cap);
}

std::string formatString(std::size_t limit, const char* fmt, ...) {
  std::va_list ap;
  va_start(ap, fmt);
  std::string s = vformatString(limit, fmt, ap);
  va_end(ap);
  return s;
}

}  // namespace boundedtext
