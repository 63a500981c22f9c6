// libFuzzer target: boundedtext::scan against the formats the kit reads
// framework and command texts with, the UTF-8 conversions and JSON quoting.
//
// The first input byte picks what to exercise and the target sizes; the rest
// is the text. Every text target is a heap block of exactly its size, so
// AddressSanitizer reports a single byte written past it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "boundedtext.h"
#include "jsonquote.h"
#include "utf8.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

// A text target of exactly size bytes.
struct Target {
  explicit Target(std::size_t n) : size(n), data(new char[n]) { std::memset(data.get(), 'X', n); }
  bool terminated() const { return std::memchr(data.get(), '\0', size) != nullptr; }
  std::size_t size;
  std::unique_ptr<char[]> data;
};

void fuzzScan(unsigned selector, const std::string& text) {
  const char* t = text.c_str();
  Target a(1 + (selector & 7));
  Target b(1 + ((selector >> 3) & 7));
  int i1 = 0, i2 = 0, n = 0;
  unsigned u1 = 0, u2 = 0, u3 = 0;
  signed char hh = 0;
  short h = 0;
  long l = 0;
  long long ll = 0;
  std::size_t z = 0;
  int r = 0;
  int most = 0;
  switch (selector % 6) {
    case 0:
      r = boundedtext::scan(t, "<SERIALIZED_MESSAGE MSGID=%s SEVERITY=%d>", a.data.get(), a.size,
                            &i1);
      most = 2;
      if (r >= 1) check(a.terminated(), "MSGID terminated");
      break;
    case 1:
      r = boundedtext::scan(t, "<ARGVALUE INDEX=%d TYPE=%d>", &i1, &i2);
      most = 2;
      break;
    case 2:
      r = boundedtext::scan(t, "%i %x %o %u%n", &i1, &u1, &u2, &u3, &n);
      most = 4;
      check(static_cast<std::size_t>(n) <= text.size(), "count within the text");
      break;
    case 3:
      r = boundedtext::scan(t, "%hhd %hd %ld %lld %zu", &hh, &h, &l, &ll, &z);
      most = 5;
      break;
    case 4:
      // %c needs a target as large as its width: a smaller one must fail.
      r = boundedtext::scan(t, "%3c%[^>]%*s %[a-z0-9_-]", a.data.get(), a.size, b.data.get(),
                            b.size, a.data.get(), a.size);
      most = 3;
      if (a.size < 3) check(r <= 0, "short %c target refused");
      if (r >= 2) check(b.terminated(), "set target terminated");
      break;
    default:
      r = boundedtext::scan(t, "%*[ \t]%5s%%%d%2c", a.data.get(), a.size, &i1, b.data.get(),
                            b.size);
      most = 3;
      if (r >= 1) check(a.terminated(), "%s target terminated");
      break;
  }
  check(r >= -1 && r <= most, "result in range");
}

// The text of a JSON string literal as jsonQuote writes it (only the escapes it uses); aborts on
// anything else, a raw control character included.
std::string unquoteJson(const std::string& literal) {
  check(literal.size() >= 2 && literal.front() == '"' && literal.back() == '"', "quoted");
  std::string text;
  for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(literal[i]);
    check(c >= 0x20 && c != 0x7F && c != '"', "no raw control character or quote");
    if (c != '\\') {
      text += static_cast<char>(c);
      continue;
    }
    check(i + 2 < literal.size(), "escape complete");
    const char e = literal[++i];
    const std::size_t shortForm = std::string("\"\\bfnrt").find(e);
    if (shortForm != std::string::npos) {
      text += "\"\\\b\f\n\r\t"[shortForm];
      continue;
    }
    check(e == 'u' && i + 5 < literal.size(), "\\u escape complete");
    text += static_cast<char>(std::strtoul(literal.substr(i + 1, 4).c_str(), nullptr, 16));
    i += 4;
  }
  return text;
}

void fuzzUtf8(const std::string& bytes) {
  const std::wstring wide = boundedtext::utf8ToWide(bytes);
  check(wide.size() <= bytes.size(), "no more characters than bytes");
  bool replaced = false;
  for (wchar_t c : wide) {
    check(c >= 0 && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF), "scalar values only");
    replaced = replaced || c == 0xFFFD;
  }
  const std::string back = boundedtext::wideToUtf8(wide);
  // Only input with replaced sequences may change on the way back.
  if (!replaced) check(back == bytes, "valid text round-trips");
  check(boundedtext::utf8ToWide(back) == wide, "encoded text decodes to itself");
  // A JSON literal is valid UTF-8 holding the text, each byte that is no UTF-8 replaced alike.
  const std::string quoted = boundedtext::jsonQuote(bytes);
  check(boundedtext::wideToUtf8(boundedtext::utf8ToWide(quoted)) == quoted, "JSON is UTF-8");
  check(unquoteJson(quoted) == back, "JSON holds the text");
}

void fuzzWide(const uint8_t* data, std::size_t size) {
  std::wstring wide(size / sizeof(wchar_t), L'\0');
  std::memcpy(&wide[0], data, wide.size() * sizeof(wchar_t));
  const std::wstring back = boundedtext::utf8ToWide(boundedtext::wideToUtf8(wide));
  check(back.size() == wide.size(), "one character per character");
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const wchar_t c = wide[i];
    const bool scalar = c >= 0 && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    check(back[i] == (scalar ? c : static_cast<wchar_t>(0xFFFD)), "wide round trip");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned selector = data[0];
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  switch (selector >> 6) {
    case 0:
    case 1:
      // The scanner reads up to the terminator, as from a C text.
      fuzzScan(selector, rest);
      break;
    case 2:
      fuzzUtf8(rest);
      break;
    default:
      fuzzWide(data + 1, size - 1);
      break;
  }
  return 0;
}
