// Formatting one conversion at a time, with the conversions between narrow
// and wide text done by this library.
//
// A C library converts the text of %ls and %S in narrow formats, and of %s
// in wide formats, through the process locale. Where no UTF-8 locale can be
// given to one thread alone (the Windows C runtime), these functions take
// that conversion over: narrow text is UTF-8 on both sides, whatever the
// locale. Every other conversion is handed to the C library one at a time,
// with its own argument, so its output is the C library's own.
//
// A format without such a conversion goes to the C library whole. The
// results follow vsnprintf and vswprintf: the length the whole text would
// have (narrow), or the characters written and -1 when the text did not fit
// (wide); -1 for a format that cannot be parsed.
#ifndef BOUNDEDTEXT_PIECEFORMAT_H
#define BOUNDEDTEXT_PIECEFORMAT_H

#include <cstdarg>
#include <cstddef>

namespace boundedtext {

// vsnprintf with %ls, %S (wide strings) and %lc, %C (wide characters)
// written as UTF-8. Width and precision count bytes; a precision never cuts
// a character in two.
int pieceVsnprintf(char* buf, std::size_t size, const char* fmt, std::va_list ap);

// vswprintf with %s (narrow strings) and %c (narrow characters) read as
// UTF-8. Width and precision count wide characters.
int pieceVswprintf(wchar_t* buf, std::size_t size, const wchar_t* fmt, std::va_list ap);

}  // namespace boundedtext

#endif  // BOUNDEDTEXT_PIECEFORMAT_H
