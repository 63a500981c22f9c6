// UTF-8 formatting on POSIX systems: the C library's own, under a UTF-8 C
// locale given to the calling thread for the call only.
#include <locale.h>

#include <cstdio>
#include <cwchar>

#include "utf8format.h"

namespace boundedtext {

namespace {

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

int utf8Vsnprintf(char* buf, std::size_t size, const char* fmt, std::va_list ap) {
  Utf8FormatLocale utf8;
  return std::vsnprintf(buf, size, fmt, ap);
}

int utf8Vswprintf(wchar_t* buf, std::size_t size, const wchar_t* fmt, std::va_list ap) {
  Utf8FormatLocale utf8;
  return std::vswprintf(buf, size, fmt, ap);
}

}  // namespace boundedtext
