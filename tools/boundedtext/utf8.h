// Conversion between UTF-8 narrow text and wide text, independent of the
// process locale (a library must neither depend on nor change setlocale).
#ifndef BOUNDEDTEXT_UTF8_H
#define BOUNDEDTEXT_UTF8_H

#include <cstddef>
#include <string>

namespace boundedtext {

// Writes the UTF-8 form of the Unicode scalar value `code` to `out`, which
// has room for 4 bytes, and returns its length (1 to 4).
std::size_t encodeUtf8(unsigned long code, char* out);

// The well-formed UTF-8 sequence at the start of `text`, of which at most
// `available` bytes may be read: its length, with its code point in
// `code`; 0 (and `code` undefined) when the bytes there are no such
// sequence: a lone or stray byte, an overlong form, a surrogate, a value
// beyond U+10FFFF, or a sequence cut short.
std::size_t decodeUtf8(const char* text, std::size_t available, unsigned long& code);

// Decodes UTF-8. A byte that does not start or continue a valid sequence
// becomes U+FFFD; decoding goes on with the next byte.
std::wstring utf8ToWide(const char* text, std::size_t length);
// The same into `out`, which has room for `length` wide characters (the
// most `length` bytes can give); returns how many it wrote, without a
// terminator.
std::size_t utf8ToWide(const char* text, std::size_t length, wchar_t* out);
std::wstring utf8ToWide(const std::string& text);

// Encodes wide text as UTF-8. A value that is no Unicode scalar value
// (surrogates, beyond U+10FFFF) becomes U+FFFD.
std::string wideToUtf8(const wchar_t* text, std::size_t length);
std::string wideToUtf8(const std::wstring& text);

}  // namespace boundedtext

#endif  // BOUNDEDTEXT_UTF8_H
