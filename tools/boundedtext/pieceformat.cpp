#include "pieceformat.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <type_traits>
#include <vector>

#include "utf8.h"

namespace boundedtext {

namespace {

enum class Length { kNone, kHH, kH, kL, kLL, kJ, kZ, kT, kBigL };

// One conversion specification, with the values of "*" already read.
template <class Char>
struct Spec {
  std::basic_string<Char> flags;
  int width = -1;      // -1: none
  int precision = -1;  // -1: none
  Length length = Length::kNone;
  Char conversion = 0;
  bool starWidth = false;
  bool starPrecision = false;
};

// wint_t as it travels through "...": promoted to int where it is narrower.
typedef std::conditional_t<(sizeof(wint_t) < sizeof(int)), int, wint_t> PassedWint;

// A va_list that can be handed on by reference.
struct Args {
  std::va_list ap;
};

template <class Char>
bool isDigit(Char c) {
  return c >= '0' && c <= '9';
}

template <class Char>
const Char* readNumber(const Char* p, int& value) {
  long long v = 0;
  while (isDigit(*p)) {
    if (v < 100000000) v = v * 10 + (*p - '0');
    ++p;
  }
  value = static_cast<int>(v);
  return p;
}

// Parses the conversion after its "%"; returns the character after it,
// or null when it is no valid conversion.
template <class Char>
const Char* parseSpec(const Char* p, Spec<Char>& spec) {
  while (*p == '-' || *p == '+' || *p == ' ' || *p == '#' || *p == '0') spec.flags += *p++;
  if (*p == '*') {
    spec.starWidth = true;
    ++p;
  } else if (isDigit(*p)) {
    p = readNumber(p, spec.width);
  }
  if (*p == '.') {
    ++p;
    if (*p == '*') {
      spec.starPrecision = true;
      ++p;
    } else {
      p = readNumber(p, spec.precision);
    }
  }
  switch (*p) {
    case 'h':
      ++p;
      if (*p == 'h') {
        spec.length = Length::kHH;
        ++p;
      } else {
        spec.length = Length::kH;
      }
      break;
    case 'l':
      ++p;
      if (*p == 'l') {
        spec.length = Length::kLL;
        ++p;
      } else {
        spec.length = Length::kL;
      }
      break;
    case 'j':
      spec.length = Length::kJ;
      ++p;
      break;
    case 'z':
      spec.length = Length::kZ;
      ++p;
      break;
    case 't':
      spec.length = Length::kT;
      ++p;
      break;
    case 'L':
      spec.length = Length::kBigL;
      ++p;
      break;
    default:
      break;
  }
  static const char kConversions[] = "diuoxXcsSCpnfFeEgGaA%";
  if (*p == 0) return nullptr;
  for (const char* c = kConversions; *c; ++c) {
    if (*p == *c) {
      spec.conversion = *p;
      return p + 1;
    }
  }
  return nullptr;
}

// Whether a narrow format has a wide-text conversion, or a wide format a
// narrow-text one: the conversions the C library would convert through the
// locale. -1 when the format cannot be parsed.
template <class Char>
int needsPieces(const Char* fmt) {
  for (const Char* p = fmt; *p; ++p) {
    if (*p != '%') continue;
    Spec<Char> spec;
    const Char* next = parseSpec(p + 1, spec);
    if (!next) return -1;
    const bool text = spec.conversion == 's' || spec.conversion == 'c';
    const bool wideText =
        spec.conversion == 'S' || spec.conversion == 'C' || (text && spec.length == Length::kL);
    if (sizeof(Char) == 1 ? wideText : (text && spec.length != Length::kL)) return 1;
    p = next - 1;
  }
  return 0;
}

// The C library's text of one conversion with its one argument.
template <class T>
bool cFormat(std::string& out, const std::string& spec, T value) {
  int n = std::snprintf(nullptr, 0, spec.c_str(), value);
  if (n < 0) return false;
  std::vector<char> text(static_cast<std::size_t>(n) + 1);
  std::snprintf(text.data(), text.size(), spec.c_str(), value);
  out.append(text.data(), static_cast<std::size_t>(n));
  return true;
}

template <class T>
bool cFormat(std::wstring& out, const std::wstring& spec, T value) {
  std::vector<wchar_t> text(64);
  while (text.size() <= (1u << 20)) {
    int n = std::swprintf(text.data(), text.size(), spec.c_str(), value);
    if (n >= 0 && static_cast<std::size_t>(n) < text.size()) {
      out.append(text.data(), static_cast<std::size_t>(n));
      return true;
    }
    text.resize(text.size() * 2);
  }
  return false;
}

// The conversion as text, with the values of "*" written in.
template <class Char>
std::basic_string<Char> specText(const Spec<Char>& spec) {
  std::basic_string<Char> text(1, '%');
  text += spec.flags;
  if (spec.width >= 0) {
    for (char c : std::to_string(spec.width)) text += static_cast<Char>(c);
  }
  if (spec.precision >= 0) {
    text += '.';
    for (char c : std::to_string(spec.precision)) text += static_cast<Char>(c);
  }
  static const char* const kLengths[] = {"", "hh", "h", "l", "ll", "j", "z", "t", "L"};
  for (const char* c = kLengths[static_cast<int>(spec.length)]; *c; ++c) text += *c;
  text += spec.conversion;
  return text;
}

// Text in the output's character type: UTF-8 for narrow, wide otherwise.
std::string outputText(const std::string& narrow, std::string*) { return narrow; }
std::string outputText(const std::wstring& wide, std::string*) { return wideToUtf8(wide); }
std::wstring outputText(const std::string& narrow, std::wstring*) { return utf8ToWide(narrow); }
std::wstring outputText(const std::wstring& wide, std::wstring*) { return wide; }

// The length of the longest start of UTF-8 text of at most `limit` bytes
// that does not end inside a character.
std::size_t cutPoint(const std::string& text, std::size_t limit) {
  if (limit >= text.size()) return text.size();
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}
std::size_t cutPoint(const std::wstring& text, std::size_t limit) {
  if (limit >= text.size()) return text.size();
  // A UTF-16 pair is one character.
  if (sizeof(wchar_t) == 2 && limit > 0) {
    unsigned unit = static_cast<std::make_unsigned_t<wchar_t>>(text[limit]);
    if (unit >= 0xDC00 && unit <= 0xDFFF) return limit - 1;
  }
  return limit;
}

// Appends a text conversion: `text` cut by the precision and padded to the
// width. A precision cuts wide text converted to UTF-8 only between
// characters; narrow text given to a narrow format is cut where it says.
template <class Out>
void appendText(Out& out, const Out& text, const Spec<typename Out::value_type>& spec,
                bool converted) {
  std::size_t length = text.size();
  if (spec.precision >= 0 && static_cast<std::size_t>(spec.precision) < length) {
    length = converted ? cutPoint(text, static_cast<std::size_t>(spec.precision))
                       : static_cast<std::size_t>(spec.precision);
  }
  const std::size_t width = spec.width > 0 ? static_cast<std::size_t>(spec.width) : 0;
  const std::size_t pad = width > length ? width - length : 0;
  const bool left = spec.flags.find('-') != Out::npos;
  if (!left) out.append(pad, ' ');
  out.append(text, 0, length);
  if (left) out.append(pad, ' ');
}

// One wide character as the output's text; U+FFFD for a lone byte of
// UTF-8 that no single byte can stand for.
template <class Out>
Out wideCharacterText(wint_t value) {
  const wchar_t c = static_cast<wchar_t>(value);
  return outputText(std::wstring(1, c), static_cast<Out*>(nullptr));
}
template <class Out>
Out narrowCharacterText(int value) {
  const unsigned char byte = static_cast<unsigned char>(value);
  if (sizeof(typename Out::value_type) == 1) return Out(1, static_cast<char>(byte));
  return Out(1, byte < 0x80 ? static_cast<typename Out::value_type>(byte)
                            : static_cast<typename Out::value_type>(0xFFFD));
}

template <class Out>
bool formatInteger(Out& out, const Out& text, const Spec<typename Out::value_type>& spec,
                   Args& args) {
  const bool isSigned = spec.conversion == 'd' || spec.conversion == 'i';
  switch (spec.length) {
    case Length::kNone:
    case Length::kHH:
    case Length::kH:
      return isSigned ? cFormat(out, text, va_arg(args.ap, int))
                      : cFormat(out, text, va_arg(args.ap, unsigned int));
    case Length::kL:
      return isSigned ? cFormat(out, text, va_arg(args.ap, long))
                      : cFormat(out, text, va_arg(args.ap, unsigned long));
    case Length::kLL:
      return isSigned ? cFormat(out, text, va_arg(args.ap, long long))
                      : cFormat(out, text, va_arg(args.ap, unsigned long long));
    case Length::kJ:
      return isSigned ? cFormat(out, text, va_arg(args.ap, std::intmax_t))
                      : cFormat(out, text, va_arg(args.ap, std::uintmax_t));
    case Length::kZ:
      return isSigned ? cFormat(out, text, va_arg(args.ap, std::make_signed_t<std::size_t>))
                      : cFormat(out, text, va_arg(args.ap, std::size_t));
    case Length::kT:
      return isSigned ? cFormat(out, text, va_arg(args.ap, std::ptrdiff_t))
                      : cFormat(out, text, va_arg(args.ap, std::make_unsigned_t<std::ptrdiff_t>));
    case Length::kBigL:
      return false;
  }
  return false;
}

template <class Out>
void storeCount(const Spec<typename Out::value_type>& spec, Args& args, std::size_t count) {
  switch (spec.length) {
    case Length::kHH:
      *va_arg(args.ap, signed char*) = static_cast<signed char>(count);
      break;
    case Length::kH:
      *va_arg(args.ap, short*) = static_cast<short>(count);
      break;
    case Length::kL:
      *va_arg(args.ap, long*) = static_cast<long>(count);
      break;
    case Length::kLL:
      *va_arg(args.ap, long long*) = static_cast<long long>(count);
      break;
    case Length::kJ:
      *va_arg(args.ap, std::intmax_t*) = static_cast<std::intmax_t>(count);
      break;
    case Length::kZ:
      *va_arg(args.ap, std::size_t*) = count;
      break;
    case Length::kT:
      *va_arg(args.ap, std::ptrdiff_t*) = static_cast<std::ptrdiff_t>(count);
      break;
    default:
      *va_arg(args.ap, int*) = static_cast<int>(count);
      break;
  }
}

// Formats the whole text into `out`; false when the format is invalid.
template <class Out>
bool formatPieces(Out& out, const typename Out::value_type* fmt, Args& args) {
  typedef typename Out::value_type Char;
  const bool narrowOutput = sizeof(Char) == 1;
  for (const Char* p = fmt; *p;) {
    if (*p != '%') {
      const Char* start = p;
      while (*p && *p != '%') ++p;
      out.append(start, static_cast<std::size_t>(p - start));
      continue;
    }
    Spec<Char> spec;
    const Char* next = parseSpec(p + 1, spec);
    if (!next) return false;
    p = next;
    if (spec.starWidth) {
      int width = va_arg(args.ap, int);
      if (width < 0) {
        spec.flags += '-';
        width = width == INT_MIN ? INT_MAX : -width;
      }
      spec.width = width;
    }
    if (spec.starPrecision) {
      int precision = va_arg(args.ap, int);
      spec.precision = precision < 0 ? -1 : precision;
    }
    const Char conversion = spec.conversion;
    const bool wideArgument = conversion == 'S' || conversion == 'C' || spec.length == Length::kL;
    if (conversion == '%') {
      out += '%';
    } else if (conversion == 's') {
      if (wideArgument) {
        const wchar_t* text = va_arg(args.ap, const wchar_t*);
        appendText(out, outputText(std::wstring(text ? text : L"(null)"), &out), spec,
                   narrowOutput);
      } else {
        const char* text = va_arg(args.ap, const char*);
        appendText(out, outputText(std::string(text ? text : "(null)"), &out), spec, !narrowOutput);
      }
    } else if (conversion == 'S') {
      const wchar_t* text = va_arg(args.ap, const wchar_t*);
      appendText(out, outputText(std::wstring(text ? text : L"(null)"), &out), spec, narrowOutput);
    } else if (conversion == 'c' || conversion == 'C') {
      spec.precision = -1;
      const Out text =
          wideArgument ? wideCharacterText<Out>(static_cast<wint_t>(va_arg(args.ap, PassedWint)))
                       : narrowCharacterText<Out>(va_arg(args.ap, int));
      appendText(out, text, spec, false);
    } else if (conversion == 'n') {
      storeCount<Out>(spec, args, out.size());
    } else if (conversion == 'p') {
      if (!cFormat(out, specText(spec), va_arg(args.ap, void*))) return false;
    } else if (conversion == 'd' || conversion == 'i' || conversion == 'u' || conversion == 'o' ||
               conversion == 'x' || conversion == 'X') {
      if (!formatInteger(out, specText(spec), spec, args)) return false;
    } else {
      bool ok = spec.length == Length::kBigL
                    ? cFormat(out, specText(spec), va_arg(args.ap, long double))
                    : cFormat(out, specText(spec), va_arg(args.ap, double));
      if (!ok) return false;
    }
  }
  return true;
}

}  // namespace

int pieceVsnprintf(char* buf, std::size_t size, const char* fmt, std::va_list ap) {
  int pieces = needsPieces(fmt);
  if (pieces < 0) {
    if (buf && size > 0) buf[0] = '\0';
    return -1;
  }
  if (pieces == 0) return std::vsnprintf(buf, size, fmt, ap);
  Args args;
  va_copy(args.ap, ap);
  std::string out;
  bool ok = formatPieces(out, fmt, args);
  va_end(args.ap);
  if (!ok) {
    if (buf && size > 0) buf[0] = '\0';
    return -1;
  }
  if (buf && size > 0) {
    std::size_t n = out.size() < size - 1 ? out.size() : size - 1;
    out.copy(buf, n);
    buf[n] = '\0';
  }
  return static_cast<int>(out.size());
}

int pieceVswprintf(wchar_t* buf, std::size_t size, const wchar_t* fmt, std::va_list ap) {
  if (!buf || size == 0) return -1;
  int pieces = needsPieces(fmt);
  if (pieces < 0) {
    buf[0] = L'\0';
    return -1;
  }
  if (pieces == 0) {
    // The Windows C runtime returns the length the whole text would have
    // when it is cut, and may leave the buffer unterminated.
    int n = std::vswprintf(buf, size, fmt, ap);
    buf[size - 1] = L'\0';
    return n >= 0 && static_cast<std::size_t>(n) < size ? n : -1;
  }
  Args args;
  va_copy(args.ap, ap);
  std::wstring out;
  bool ok = formatPieces(out, fmt, args);
  va_end(args.ap);
  std::size_t n = out.size() < size - 1 ? out.size() : size - 1;
  out.copy(buf, n);
  buf[n] = L'\0';
  return ok && out.size() < size ? static_cast<int>(out.size()) : -1;
}

}  // namespace boundedtext
