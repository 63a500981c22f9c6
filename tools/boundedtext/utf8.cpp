#include "utf8.h"

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <type_traits>

namespace boundedtext {

namespace {

const wchar_t kReplacement = 0xFFFD;
// Wide text is UTF-16 where wchar_t has 16 bits (Windows), UTF-32 otherwise.
const bool kUtf16 = sizeof(wchar_t) == 2;

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Widens the ASCII bytes at the start of `p` (at most `length`) into `o`,
// eight at a time while eight are ASCII; returns how many it widened.
std::size_t widenAsciiRun(const unsigned char* __restrict p, std::size_t length,
                          wchar_t* __restrict o) {
  std::size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, sizeof word);
    if (word & 0x8080808080808080u) break;
    for (std::size_t k = 0; k < 8; ++k) o[i + k] = static_cast<wchar_t>(p[i + k]);
  }
  for (; i < length && p[i] < 0x80; ++i) o[i] = static_cast<wchar_t>(p[i]);
  return i;
}

}  // namespace

std::size_t encodeUtf8(unsigned long code, char* out) {
  if (code < 0x80) {
    out[0] = static_cast<char>(code);
    return 1;
  }
  if (code < 0x800) {
    out[0] = static_cast<char>(0xC0 | (code >> 6));
    out[1] = static_cast<char>(0x80 | (code & 0x3F));
    return 2;
  }
  if (code < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (code >> 12));
    out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (code & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (code >> 18));
  out[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (code & 0x3F));
  return 4;
}

std::size_t decodeUtf8(const char* text, std::size_t available, unsigned long& code) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  if (available == 0) return 0;
  const unsigned char lead = p[0];
  std::size_t length;
  unsigned long minimum;
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    code = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    code = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    code = lead & 0x07;
    minimum = 0x10000;
  } else {
    return 0;
  }
  if (length > available) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if (!isContinuation(p[k])) return 0;
    code = (code << 6) | (p[k] & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

std::size_t utf8ToWide(const char* text, std::size_t length, wchar_t* out) {
  wchar_t* o = out;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  std::size_t i = 0;
  while (i < length) {
    // Most text is ASCII: widened a run at a time.
    if (p[i] < 0x80) {
      const std::size_t run = widenAsciiRun(p + i, length - i, o);
      i += run;
      o += run;
      continue;
    }
    unsigned long value;
    const std::size_t n = decodeUtf8(text + i, length - i, value);
    if (n == 0) {
      *o++ = kReplacement;
      ++i;
      continue;
    }
    if (kUtf16 && value > 0xFFFF) {
      // Two UTF-16 units, never more than the four bytes they came from.
      value -= 0x10000;
      *o++ = static_cast<wchar_t>(0xD800 | (value >> 10));
      *o++ = static_cast<wchar_t>(0xDC00 | (value & 0x3FF));
    } else {
      *o++ = static_cast<wchar_t>(value);
    }
    i += n;
  }
  return static_cast<std::size_t>(o - out);
}

// Both conversions write into a string sized once (UTF-8 never has fewer
// bytes than characters; the wide size is counted first), not character
// by character: they run for every traced line.
std::wstring utf8ToWide(const char* text, std::size_t length) {
  std::wstring out(length, L'\0');
  out.resize(utf8ToWide(text, length, &out[0]));
  return out;
}

std::wstring utf8ToWide(const std::string& text) { return utf8ToWide(text.data(), text.size()); }

namespace {

unsigned long unitOf(wchar_t c) {
  return static_cast<unsigned long>(static_cast<std::make_unsigned_t<wchar_t>>(c));
}

// The code point that starts at text[i], and how many units it takes: two
// for a UTF-16 surrogate pair, one otherwise. U+FFFD for what is no Unicode
// scalar value (a lone surrogate, a value beyond U+10FFFF).
unsigned long scalarAt(const wchar_t* text, std::size_t i, std::size_t length, std::size_t& units) {
  units = 1;
  unsigned long v = unitOf(text[i]);
  if (kUtf16 && v >= 0xD800 && v <= 0xDBFF && i + 1 < length) {
    unsigned long low = unitOf(text[i + 1]);
    if (low >= 0xDC00 && low <= 0xDFFF) {
      units = 2;
      return 0x10000 + ((v - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  return v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF) ? 0xFFFD : v;
}

}  // namespace

std::string wideToUtf8(const wchar_t* text, std::size_t length) {
  // Most text is ASCII: copied byte for byte.
  std::size_t ascii = 0;
  while (ascii < length && static_cast<std::make_unsigned_t<wchar_t>>(text[ascii]) < 0x80) ++ascii;
  if (ascii == length) {
    std::string out(length, '\0');
    for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<char>(text[i]);
    return out;
  }
  std::size_t bytes = 0;
  std::size_t units = 1;
  for (std::size_t i = 0; i < length; i += units) {
    unsigned long v = scalarAt(text, i, length, units);
    bytes += v < 0x80 ? 1 : v < 0x800 ? 2 : v < 0x10000 ? 3 : 4;
  }
  std::string out(bytes, '\0');
  char* o = &out[0];
  for (std::size_t i = 0; i < length; i += units)
    o += encodeUtf8(scalarAt(text, i, length, units), o);
  return out;
}

std::string wideToUtf8(const std::wstring& text) { return wideToUtf8(text.data(), text.size()); }

}  // namespace boundedtext
