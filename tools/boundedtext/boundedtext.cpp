#include "boundedtext.h"

#include <locale.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace boundedtext {

namespace {

// Wide and narrow text meet in %ls/%S and %s conversions; their conversion
// follows the thread's LC_CTYPE. Formatting runs under a UTF-8 C locale for
// the calling thread only, so that non-ASCII text is neither dropped nor
// mangled whatever the process locale is, and the process locale is never
// touched.
class Utf8FormatLocale {
 public:
  Utf8FormatLocale() : m_previous(nullptr) {
    locale_t utf8 = instance();
    if (utf8) m_previous = uselocale(utf8);
  }
  ~Utf8FormatLocale() {
    if (m_previous) uselocale(m_previous);
  }
  Utf8FormatLocale(const Utf8FormatLocale&) = delete;
  Utf8FormatLocale& operator=(const Utf8FormatLocale&) = delete;

 private:
  static locale_t instance() {
    // Made once; never freed (threads may be formatting at exit).
    static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return utf8;
  }
  locale_t m_previous;
};

}  // namespace

int vformat(char* buf, std::size_t size, const char* fmt, std::va_list ap) {
  if (!fmt) {
    if (buf && size) buf[0] = '\0';
    return -1;
  }
  Utf8FormatLocale utf8;
  if (!buf || size == 0) return std::vsnprintf(nullptr, 0, fmt, ap);
  return std::vsnprintf(buf, size, fmt, ap);
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
  Utf8FormatLocale utf8;
  int n = std::vswprintf(buf, size, fmt, ap);
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
  Utf8FormatLocale utf8;
  char small[256];
  std::va_list copy;
  va_copy(copy, ap);
  int n = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) return std::string();
  std::size_t want = static_cast<std::size_t>(n);
  if (want < sizeof small) return std::string(small, want < limit ? want : limit);
  std::size_t cap = want < limit ? want : limit;
  std::vector<char> big(cap + 1);
  std::vsnprintf(big.data(), big.size(), fmt, ap);
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
