// Bounded text formatting and scanning.
//
// Every formatted trace, message and command text of the system goes through
// these functions: output never runs past the buffer it is given, and every
// text target of a scan carries its size. Nothing here allocates unless the
// function says so.
#ifndef BOUNDEDTEXT_BOUNDEDTEXT_H
#define BOUNDEDTEXT_BOUNDEDTEXT_H

#include <cstdarg>
#include <cstddef>
#include <string>

#if defined(__GNUC__)
#define BT_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define BT_PRINTF(fmt, args)
#endif

namespace boundedtext {

// Formats into buf, which holds size bytes. The text is cut at size - 1
// bytes and always terminated when size > 0. Returns the length the whole
// text would have (terminator excluded), so a result >= size means the text
// was cut; -1 on a format or encoding error.
int format(char* buf, std::size_t size, const char* fmt, ...) BT_PRINTF(3, 4);
int vformat(char* buf, std::size_t size, const char* fmt, std::va_list ap);

// Wide form. Cut like format; returns the number of characters written, or
// -1 when the text did not fit or could not be formatted.
int wformat(wchar_t* buf, std::size_t size, const wchar_t* fmt, ...);
int vwformat(wchar_t* buf, std::size_t size, const wchar_t* fmt, std::va_list ap);

// Formats into a string of at most limit bytes (cut beyond that).
std::string formatString(std::size_t limit, const char* fmt, ...) BT_PRINTF(2, 3);
std::string vformatString(std::size_t limit, const char* fmt, std::va_list ap);

// Reads text like sscanf, with one difference: every %s, %c and %[...]
// conversion takes two arguments, the target buffer and its size in bytes
// (a std::size_t). A %s or %[ target receives at most size - 1 bytes and is
// always terminated; further matching characters are consumed and dropped.
// %c with a width reads exactly that many characters and needs size >= width.
// Supported conversions: %d %i %u %x %o with h, hh, l, ll, z modifiers,
// %s, %c, %[set], %n, %% and assignment suppression (*). Returns the number
// of assigned conversions, or -1 when the input ends before the first one.
int scan(const char* text, const char* fmt, ...);
int vscan(const char* text, const char* fmt, std::va_list ap);

}  // namespace boundedtext

#endif  // BOUNDEDTEXT_BOUNDEDTEXT_H
