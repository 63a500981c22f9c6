#include "cfistringtool.h"

#include <unicode/uchar.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>
#include <system_error>

#include "boundedtext.h"
#include "utf8.h"
#include "xmlescape.h"

namespace quelb_pdk_4_4 {

const char* const CFiStringTool::WHITESPACE = " \n\t\r";
const wchar_t* const CFiStringTool::WWHITESPACE = L" \n\t\r";

namespace {

template <class Str, class Ch>
Str trimImpl(const Str& s, const Ch* set, bool left, bool right) {
  if (s.empty() || !set) return s;
  size_t begin = 0;
  size_t end = s.size();
  if (left) {
    begin = s.find_first_not_of(set);
    if (begin == Str::npos) return Str();
  }
  if (right) {
    size_t last = s.find_last_not_of(set);
    if (last == Str::npos) return Str();
    end = last + 1;
  }
  if (begin >= end) return Str();
  return s.substr(begin, end - begin);
}

template <class Str>
Str searchReplaceImpl(const Str& s, const Str& search, const Str& replace) {
  if (s.empty() || search.empty()) return s;
  Str out;
  out.reserve(s.size());
  size_t pos = 0;
  while (true) {
    size_t hit = s.find(search, pos);
    if (hit == Str::npos) break;
    out.append(s, pos, hit - pos);
    out += replace;
    pos = hit + search.size();
  }
  out.append(s, pos, Str::npos);
  return out;
}

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Unicode simple case mapping from ICU's tables: the same in every locale.
// Values that are no code point are left alone.
bool isCodePointValue(unsigned long long v) { return v <= 0x10FFFF; }
// wchar_t is unsigned 16 bits on Windows, signed 32 bits on Linux: a
// negative one converts to a value beyond any code point.
bool isCodePoint(wchar_t c) { return isCodePointValue(static_cast<unsigned long long>(c)); }
wchar_t upperWide(wchar_t c) {
  return isCodePoint(c) ? static_cast<wchar_t>(u_toupper(static_cast<UChar32>(c))) : c;
}
wchar_t lowerWide(wchar_t c) {
  return isCodePoint(c) ? static_cast<wchar_t>(u_tolower(static_cast<UChar32>(c))) : c;
}

bool isCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The leading decimal number of s as atoi reads it (white space, an
// optional sign, digits), as a sign and a magnitude that saturates.
struct LeadingNumber {
  bool negative = false;
  unsigned long long magnitude = 0;
};

LeadingNumber leadingNumber(const std::string& s) {
  LeadingNumber n;
  size_t i = 0;
  while (i < s.size() && isCSpace(s[i])) ++i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) n.negative = s[i++] == '-';
  const unsigned long long max = std::numeric_limits<unsigned long long>::max();
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    unsigned d = static_cast<unsigned>(s[i] - '0');
    n.magnitude = n.magnitude > (max - d) / 10 ? max : n.magnitude * 10 + d;
  }
  return n;
}

// The number clamped to [low, high] of an integer type.
template <class T>
T clampTo(const LeadingNumber& n) {
  if (n.negative) {
    if (!std::numeric_limits<T>::is_signed) return 0;
    const unsigned long long limit =
        static_cast<unsigned long long>(std::numeric_limits<T>::max()) + 1;
    return n.magnitude >= limit ? std::numeric_limits<T>::min()
                                : static_cast<T>(-static_cast<long long>(n.magnitude));
  }
  const unsigned long long limit = static_cast<unsigned long long>(std::numeric_limits<T>::max());
  return n.magnitude > limit ? std::numeric_limits<T>::max() : static_cast<T>(n.magnitude);
}

// The leading floating-point number of s, read in the C locale's format
// whatever the process locale. Beyond the range of double: +-HUGE_VAL, or
// +-0 when too small.
double leadingDouble(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && isCSpace(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i < s.size() && s[i] == '-') return 0.0;  // a second sign: no number
  const char* first = s.data() + i;
  double value = 0.0;
  std::from_chars_result r =
      std::from_chars(first, s.data() + s.size(), value, std::chars_format::general);
  if (r.ec == std::errc::invalid_argument) return 0.0;
  if (r.ec == std::errc::result_out_of_range) {
    // Overflow or underflow, told apart by the decimal exponent of the first
    // significant digit (123.4 has 2, 0.05 has -2).
    long intDigits = 0;
    long fractionZeros = 0;
    bool point = false;
    bool significant = false;
    const char* p = first;
    for (; p < r.ptr && *p != 'e' && *p != 'E'; ++p) {
      if (*p == '.') {
        point = true;
      } else if (!point) {
        if (significant || *p != '0') {
          significant = true;
          ++intDigits;
        }
      } else if (!significant) {
        if (*p == '0')
          ++fractionZeros;
        else
          significant = true;
      }
    }
    long exponent = intDigits > 0 ? intDigits - 1 : -(fractionZeros + 1);
    if (p < r.ptr) exponent += clampTo<int>(leadingNumber(std::string(p + 1, r.ptr)));
    value = exponent >= 0 ? HUGE_VAL : 0.0;
  }
  return negative ? -value : value;
}

int hexValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

// --- conversions -----------------------------------------------------------

std::wstring CFiStringTool::str2wstr(const std::string& s) { return boundedtext::utf8ToWide(s); }
std::string CFiStringTool::wstr2str(const std::wstring& s) { return boundedtext::wideToUtf8(s); }

tstring CFiStringTool::str2tstr(const std::string& s) {
  std::wstring w = str2wstr(s);
  return tstring(w.c_str(), w.size());
}

std::string CFiStringTool::tstr2str(const tstring& s) {
  return boundedtext::wideToUtf8(s.c_str(), s.length());
}

tstring CFiStringTool::wstr2tstr(const std::wstring& s) { return tstring(s.c_str(), s.size()); }
std::wstring CFiStringTool::tstr2wstr(const tstring& s) {
  return std::wstring(s.c_str(), s.length());
}

std::wstring CFiStringTool::mbs2wcs(const char* s) { return s ? str2wstr(s) : std::wstring(); }
std::string CFiStringTool::wcs2mbs(const wchar_t* s) {
  return s ? boundedtext::wideToUtf8(s, std::wcslen(s)) : std::string();
}

icu::UnicodeString CFiStringTool::str2ustr(const std::string& s) {
  return icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size())));
}

std::string CFiStringTool::ustr2str(const icu::UnicodeString& s) {
  std::string out;
  s.toUTF8String(out);
  return out;
}

icu::UnicodeString CFiStringTool::tstr2ustr(const tstring& s) { return str2ustr(tstr2str(s)); }
tstring CFiStringTool::ustr2tstr(const icu::UnicodeString& s) { return str2tstr(ustr2str(s)); }

namespace {

// A copy of `count` characters and a terminator from the runtime allocator
// (the portable form of strdup and wcsdup, which not every C library has).
template <class Char>
Char* copyText(const Char* s, size_t count) {
  Char* copy = static_cast<Char*>(std::malloc((count + 1) * sizeof(Char)));
  if (!copy) return nullptr;
  std::memcpy(copy, s, count * sizeof(Char));
  copy[count] = Char();
  return copy;
}

}  // namespace

char* CFiStringTool::strdup(const char* s) { return s ? copyText(s, std::strlen(s)) : nullptr; }
wchar_t* CFiStringTool::wstrdup(const wchar_t* s) {
  return s ? copyText(s, std::wcslen(s)) : nullptr;
}
wchar_t* CFiStringTool::tstrdup(const tstring& s) { return wstrdup(s.c_str()); }

wchar_t** CFiStringTool::tstrduplist(const std::vector<tstring>& list) {
  wchar_t** array = static_cast<wchar_t**>(std::calloc(list.size() + 1, sizeof(wchar_t*)));
  if (!array) return nullptr;
  for (size_t i = 0; i < list.size(); ++i) {
    array[i] = tstrdup(list[i]);
    if (!array[i]) {  // out of memory: give back what was copied
      tstrfreelist(&array);
      return nullptr;
    }
  }
  return array;
}

void CFiStringTool::tstrfreelist(wchar_t*** list) {
  if (!list || !*list) return;
  for (wchar_t** p = *list; *p; ++p) std::free(*p);
  std::free(*list);
  *list = nullptr;
}

// --- trimming, replacing, splitting ------------------------------------------

std::string CFiStringTool::trim(const std::string& s, const char* set) {
  return trimImpl(s, set, true, true);
}
std::string CFiStringTool::ltrim(const std::string& s, const char* set) {
  return trimImpl(s, set, true, false);
}
std::string CFiStringTool::rtrim(const std::string& s, const char* set) {
  return trimImpl(s, set, false, true);
}
std::wstring CFiStringTool::trim(const std::wstring& s, const wchar_t* set) {
  return trimImpl(s, set, true, true);
}
std::wstring CFiStringTool::ltrim(const std::wstring& s, const wchar_t* set) {
  return trimImpl(s, set, true, false);
}
std::wstring CFiStringTool::rtrim(const std::wstring& s, const wchar_t* set) {
  return trimImpl(s, set, false, true);
}

std::string CFiStringTool::searchreplace(const std::string& s, const std::string& search,
                                         const std::string& replace) {
  return searchReplaceImpl(s, search, replace);
}

std::wstring CFiStringTool::searchreplace(const std::wstring& s, const std::wstring& search,
                                          const std::wstring& replace) {
  return searchReplaceImpl(s, search, replace);
}

std::vector<std::string> CFiStringTool::tokenize(const std::string& s,
                                                 const std::string& delimiters) {
  std::vector<std::string> pieces;
  size_t pos = 0;
  while (pos < s.size()) {
    size_t start = s.find_first_not_of(delimiters, pos);
    if (start == std::string::npos) break;
    size_t end = s.find_first_of(delimiters, start);
    if (end == std::string::npos) end = s.size();
    pieces.push_back(s.substr(start, end - start));
    pos = end;
  }
  return pieces;
}

bool CFiStringTool::CompareNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (upperAscii(a[i]) != upperAscii(b[i])) return false;
  return true;
}

bool CFiStringTool::CompareNoCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (upperWide(a[i]) != upperWide(b[i])) return false;
  return true;
}

bool CFiStringTool::CompareNoCase(const tstring& a, const tstring& b) {
  return CompareNoCase(tstr2wstr(a), tstr2wstr(b));
}

size_t CFiStringTool::find(const std::vector<std::string>& lines, const std::string& text,
                           size_t& index, bool trimmed) {
  for (size_t i = index; i < lines.size(); ++i) {
    size_t pos = trimmed ? rtrim(lines[i]).find(text) : lines[i].find(text);
    if (pos != std::string::npos) {
      index = i;
      return pos;
    }
  }
  index = lines.size();
  return std::string::npos;
}

std::string CFiStringTool::tostrupper(const std::string& s) {
  std::string out(s);
  for (char& c : out) c = upperAscii(c);
  return out;
}

std::string CFiStringTool::tostrlower(const std::string& s) {
  std::string out(s);
  for (char& c : out) c = lowerAscii(c);
  return out;
}

std::wstring CFiStringTool::tostrupper(const std::wstring& s) {
  std::wstring out(s);
  for (wchar_t& c : out) c = upperWide(c);
  return out;
}

std::wstring CFiStringTool::tostrlower(const std::wstring& s) {
  std::wstring out(s);
  for (wchar_t& c : out) c = lowerWide(c);
  return out;
}

// --- numbers -------------------------------------------------------------

std::string CFiStringTool::int2str(int64_t v) { return std::to_string(v); }
std::string CFiStringTool::uint2str(uint64_t v) { return std::to_string(v); }
std::wstring CFiStringTool::int2wstr(int64_t v) { return std::to_wstring(v); }
std::wstring CFiStringTool::uint2wstr(uint64_t v) { return std::to_wstring(v); }

// std::to_chars writes as printf does in the C locale, so the decimal point
// is '.' whatever the process locale.
std::string CFiStringTool::double2str(double v) {
  char buf[64];
  std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
  return std::string(buf, r.ptr);
}

std::string CFiStringTool::float2str(float v) {
  char buf[512];  // "%f" of the largest float has 46 characters
  std::to_chars_result r =
      std::to_chars(buf, buf + sizeof buf, static_cast<double>(v), std::chars_format::fixed, 6);
  return std::string(buf, r.ptr);
}

std::string CFiStringTool::bool2str(bool v) { return v ? "true" : "false"; }

int CFiStringTool::str2int(const std::string& s, int& out) {
  if (s.empty()) return -1;
  out = clampTo<int>(leadingNumber(s));
  return 0;
}

int CFiStringTool::str2int(const std::string& s) {
  return s.empty() ? 0 : clampTo<int>(leadingNumber(s));
}

int CFiStringTool::str2uint(const std::string& s, unsigned int& out) {
  if (s.empty()) return -1;
  out = clampTo<unsigned int>(leadingNumber(s));
  return 0;
}

int CFiStringTool::str2uint64(const std::string& s, uint64_t& out) {
  if (s.empty()) return -1;
  out = clampTo<uint64_t>(leadingNumber(s));
  return 0;
}

int CFiStringTool::str2double(const std::string& s, double& out) {
  if (s.empty()) return -1;
  out = leadingDouble(s);
  return 0;
}

std::string CFiStringTool::binary2str(const std::vector<unsigned char>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 0x0F]);
  }
  return out;
}

std::wstring CFiStringTool::binary2wstr(const std::vector<unsigned char>& bytes) {
  return str2wstr(binary2str(bytes));
}

std::vector<unsigned char> CFiStringTool::str2binary(const std::string& hex) {
  std::vector<unsigned char> bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    int hi = hexValue(static_cast<unsigned char>(hex[i]));
    int lo = hexValue(static_cast<unsigned char>(hex[i + 1]));
    if (hi < 0 || lo < 0) break;
    bytes.push_back(static_cast<unsigned char>((hi << 4) | lo));
  }
  return bytes;
}

std::vector<unsigned char> CFiStringTool::wstr2binary(const std::wstring& hex) {
  return str2binary(wstr2str(hex));
}

// Groups: 4 bytes, 2, 2, 2, then the rest (the layout of a GUID text).
std::string CFiStringTool::binary2uid(const std::vector<unsigned char>& bytes) {
  std::string out;
  char piece[8];
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
    boundedtext::format(piece, sizeof piece, "%02x", bytes[i]);
    out += piece;
  }
  return out;
}

std::string CFiStringTool::str2uid(const std::string& hex) { return binary2uid(str2binary(hex)); }
std::string CFiStringTool::wstr2uid(const std::wstring& hex) {
  return binary2uid(wstr2binary(hex));
}

bool CFiStringTool::isDigit(const std::string& s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

bool CFiStringTool::isIpAddress(const std::string& s) {
  // Split keeping empty pieces: "1..2.3" has an empty piece and is no address.
  std::vector<std::string> pieces;
  size_t start = 0;
  while (true) {
    size_t dot = s.find('.', start);
    pieces.push_back(s.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  if (pieces.size() != 4) return false;
  for (const std::string& p : pieces)
    if (p.empty() || !isDigit(p)) return false;
  return true;
}

// --- XML -----------------------------------------------------------------

std::string CFiStringTool::xmlBracket(const std::string& name, bool opening, bool newline) {
  std::string out = opening ? "<" : "</";
  out += name;
  out += ">";
  if (newline) out += "\n";
  return out;
}

std::string CFiStringTool::xmlBracketValue(const std::string& name, const std::string& value) {
  return "\t" + xmlBracket(name, true, false) + convertToXmlSpecialCharacters(value) +
         xmlBracket(name, false, true);
}

// The shared escaping gives what replacing "&" first, then "<", ">", the
// double quote and "'" gives. It also writes a carriage return as "&#13;"
// (a reader would turn a literal one into a line feed), so that a list
// writes back every value it read.
std::string CFiStringTool::convertToXmlSpecialCharacters(const std::string& s) {
  return boundedtext::xmlEscape(s);
}

std::string CFiStringTool::convertFromXmlSpecialCharacters(const std::string& s) {
  std::string out = searchreplace(s, "&#13;", "\r");
  out = searchreplace(out, "&#39;", "'");
  out = searchreplace(out, "&quot;", "\"");
  out = searchreplace(out, "&gt;", ">");
  out = searchreplace(out, "&lt;", "<");
  return searchreplace(out, "&amp;", "&");
}

}  // namespace quelb_pdk_4_4
