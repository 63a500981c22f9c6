// UTF-8 formatting on Windows: the C runtime has no UTF-8 locale to give
// one thread, so the conversions between narrow and wide text are done here
// (pieceformat.h) and everything else by the C runtime.
#include "pieceformat.h"
#include "utf8format.h"

namespace boundedtext {

int utf8Vsnprintf(char* buf, std::size_t size, const char* fmt, std::va_list ap) {
  return pieceVsnprintf(buf, size, fmt, ap);
}

int utf8Vswprintf(wchar_t* buf, std::size_t size, const wchar_t* fmt, std::va_list ap) {
  return pieceVswprintf(buf, size, fmt, ap);
}

}  // namespace boundedtext
