// The C library's vsnprintf and vswprintf with every conversion between
// narrow and wide text (%ls and %S in narrow formats, %s in wide ones)
// reading and writing narrow text as UTF-8, whatever the process locale,
// which is never changed. Results as vsnprintf and vswprintf give them.
//
// One file per platform: utf8format_posix.cpp gives the calling thread a
// UTF-8 locale for the call; utf8format_windows.cpp, whose C runtime has no
// such locale, converts that text itself (pieceformat.h).
#ifndef BOUNDEDTEXT_UTF8FORMAT_H
#define BOUNDEDTEXT_UTF8FORMAT_H

#include <cstdarg>
#include <cstddef>

namespace boundedtext {

int utf8Vsnprintf(char* buf, std::size_t size, const char* fmt, std::va_list ap);
int utf8Vswprintf(wchar_t* buf, std::size_t size, const wchar_t* fmt, std::va_list ap);

}  // namespace boundedtext

#endif  // BOUNDEDTEXT_UTF8FORMAT_H
