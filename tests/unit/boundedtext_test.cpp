// Bounded text and UTF-8. Buffers are exact-size heap blocks so the sanitizer sees overruns.
#include "boundedtext.h"
#include "jsonquote.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>

#include "utf8.h"

namespace {

std::unique_ptr<char[]> exactBuffer(size_t size) {
  std::unique_ptr<char[]> buf(new char[size]);
  std::memset(buf.get(), 'X', size);
  return buf;
}

TEST(BoundedFormat, CutsLongOutputAndReportsTheFullLength) {
  const std::string longText(1000, 'a');
  for (size_t size : {1u, 2u, 16u, 999u, 1000u}) {
    auto buf = exactBuffer(size);
    int n = boundedtext::format(buf.get(), size, "<%s>", longText.c_str());
    EXPECT_EQ(1002, n) << size;
    EXPECT_EQ(size - 1, std::strlen(buf.get())) << size;
    if (size > 1) {
      EXPECT_EQ('<', buf[0]);
    }
  }
  auto fits = exactBuffer(6);
  EXPECT_EQ(5, boundedtext::format(fits.get(), 6, "%d-%s", 42, "ab"));
  EXPECT_STREQ("42-ab", fits.get());
  // No buffer: only the length is computed.
  EXPECT_EQ(3, boundedtext::format(nullptr, 0, "%d", 123));
  char untouched = 'Z';
  EXPECT_EQ(3, boundedtext::format(&untouched, 0, "%d", 123));
  EXPECT_EQ('Z', untouched);
}

TEST(BoundedFormat, FormatStringHonoursItsLimitOnBothPaths) {
  EXPECT_EQ("abc", boundedtext::formatString(3, "%s", "abcdef"));
  EXPECT_EQ("abcdef", boundedtext::formatString(100, "%s", "abcdef"));
  // Beyond the small internal buffer.
  const std::string big(5000, 'q');
  EXPECT_EQ(std::string(4000, 'q'), boundedtext::formatString(4000, "%s", big.c_str()));
  EXPECT_EQ(big + "!", boundedtext::formatString(10000, "%s!", big.c_str()));
  EXPECT_EQ("", boundedtext::formatString(0, "%s", "x"));
}

TEST(BoundedFormat, WideFormCutsAndTerminates) {
  std::unique_ptr<wchar_t[]> buf(new wchar_t[8]);
  EXPECT_EQ(5, boundedtext::wformat(buf.get(), 8, L"%ls-%d", L"ab", 12));
  EXPECT_EQ(std::wstring(L"ab-12"), buf.get());
  const std::wstring longText(100, L'w');
  EXPECT_EQ(-1, boundedtext::wformat(buf.get(), 8, L"%ls", longText.c_str()));
  EXPECT_LT(std::wcslen(buf.get()), 8u);

  wchar_t one[1] = {L'Z'};
  EXPECT_EQ(-1, boundedtext::wformat(one, 1, L"%d", 5));
  EXPECT_EQ(L'\0', one[0]);
  EXPECT_EQ(-1, boundedtext::wformat(nullptr, 0, L"%d", 5));
}

// Trace formats mix narrow and wide text ("%S" with a wide device or host
// name); non-ASCII text must survive whatever the process locale is.
TEST(BoundedFormat, MixesNarrowAndWideNonAsciiTextInAnyProcessLocale) {
  char narrow[64];
  EXPECT_EQ(
      15, boundedtext::format(narrow, sizeof narrow, "[%S] [%ls]", L"K\u00f6ln", L"\u00e9t\u00e9"));
  EXPECT_STREQ("[K\xc3\xb6ln] [\xc3\xa9t\xc3\xa9]", narrow);
  EXPECT_EQ("h\xc3\xb6st", boundedtext::formatString(64, "h%lsst", L"\u00f6"));
  wchar_t wide[32];
  EXPECT_EQ(6, boundedtext::wformat(wide, 32, L"<%s>", "K\xc3\xb6ln"));
  EXPECT_EQ(std::wstring(L"<K\u00f6ln>"), wide);
}

TEST(BoundedScan, ReadsFrameworkMessageHeadersWithSmallTargets) {
  char id[8];
  int severity = -1;
  ASSERT_EQ(
      2, boundedtext::scan("<SERIALIZED_MESSAGE MSGID=MSG_ERROR_NO_ARRAYS SEVERITY=3>",
                           "<SERIALIZED_MESSAGE MSGID=%s SEVERITY=%d>", id, sizeof id, &severity));
  // The id is cut to fit, the rest of it is skipped, and reading goes on.
  EXPECT_STREQ("MSG_ERR", id);
  EXPECT_EQ(3, severity);

  int index = -1, type = -1;
  EXPECT_EQ(2, boundedtext::scan("<ARGVALUE INDEX=12 TYPE=-4>", "<ARGVALUE INDEX=%d TYPE=%d>",
                                 &index, &type));
  EXPECT_EQ(std::make_tuple(12, -4), std::make_tuple(index, type));
  // A hostile index: out of range is no assignment, and scanning stops.
  index = type = 7;
  EXPECT_EQ(0, boundedtext::scan("<ARGVALUE INDEX=99999999999 TYPE=1>",
                                 "<ARGVALUE INDEX=%d TYPE=%d>", &index, &type));
  EXPECT_EQ(std::make_tuple(7, 7), std::make_tuple(index, type));
}

TEST(BoundedScan, IntegerConversionsBasesWidthsAndRanges) {
  int i1 = 0, i2 = 0, i3 = 0;
  unsigned u = 0;
  EXPECT_EQ(3, boundedtext::scan("0x1A 010 -12", "%i %i %i", &i1, &i2, &i3));
  EXPECT_EQ(std::make_tuple(26, 8, -12), std::make_tuple(i1, i2, i3));
  unsigned o = 0;
  EXPECT_EQ(1, boundedtext::scan("0XfF", "%x", &u));
  EXPECT_EQ(1, boundedtext::scan("777", "%o", &o));
  EXPECT_EQ(std::make_tuple(255u, 511u), std::make_tuple(u, o));
  // "0x" without a hex digit is the number 0; the 'x' stays unread.
  char rest[4];
  EXPECT_EQ(2, boundedtext::scan("0xg", "%x%s", &u, rest, sizeof rest));
  EXPECT_EQ(std::make_tuple(0u, std::string("xg")), std::make_tuple(u, std::string(rest)));

  EXPECT_EQ(2, boundedtext::scan("12345", "%2d%d", &i1, &i2));
  EXPECT_EQ(std::make_tuple(12, 345), std::make_tuple(i1, i2));
  // A width that covers only the sign reads no number.
  EXPECT_EQ(0, boundedtext::scan("-5", "%1d", &i1));

  signed char hh = 0;
  short h = 0;
  long l = 0;
  long long ll = 0;
  size_t z = 0;
  unsigned char uhh = 0;
  // long has 8 bytes on 64-bit POSIX systems, 4 on Windows.
  const std::string text =
      "-128 32767 " + std::to_string(LONG_MIN) + " 9223372036854775807 18446744073709551615 255";
  EXPECT_EQ(
      6, boundedtext::scan(text.c_str(), "%hhd %hd %ld %lld %zu %hhu", &hh, &h, &l, &ll, &z, &uhh));
  EXPECT_EQ(std::make_tuple(-128, 32767, LONG_MIN, LLONG_MAX, SIZE_MAX, 255),
            std::make_tuple(int{hh}, int{h}, l, ll, z, int{uhh}));
  EXPECT_EQ(1, boundedtext::scan("-2147483648", "%d", &i1));
  EXPECT_EQ(INT_MIN, i1);

  // Out of the target's range, a negative unsigned, a number past 64 bits.
  EXPECT_EQ(0, boundedtext::scan("128", "%hhd", &hh));
  EXPECT_EQ(0, boundedtext::scan("2147483648", "%d", &i1));
  EXPECT_EQ(0, boundedtext::scan("4294967296", "%u", &u));
  EXPECT_EQ(0, boundedtext::scan("-1", "%u", &u));
  EXPECT_EQ(0, boundedtext::scan("99999999999999999999999", "%llu", &ll));
}

TEST(BoundedScan, TextCharacterSetAndCountConversions) {
  char word[4];
  char chars[3];
  char set[16];
  int consumed = -1;
  EXPECT_EQ(3, boundedtext::scan("  ab\tx y z", "%s%2c%[^z]%n", word, sizeof word, chars,
                                 sizeof chars, set, sizeof set, &consumed));
  EXPECT_EQ(std::make_tuple("ab", "\tx", " y ", 9),
            std::make_tuple(std::string(word), std::string(chars, 2), std::string(set), consumed));

  // ']' first belongs to the set; ranges; a '-' at the end is a member.
  EXPECT_EQ(1, boundedtext::scan("]a-z9!", "%[]a-z9-]", set, sizeof set));
  EXPECT_STREQ("]a-z9", set);
  EXPECT_EQ(1, boundedtext::scan("ABCdef", "%[A-Z]", set, sizeof set));
  EXPECT_STREQ("ABC", set);

  // %c asks for exactly width characters and a target that holds them.
  EXPECT_EQ(0, boundedtext::scan("abcd", "%4c", chars, sizeof chars));
  EXPECT_EQ(-1, boundedtext::scan("ab", "%3c", chars, sizeof chars));

  // Suppression takes no argument at all, not even a size.
  int n = 0, m = 0;
  EXPECT_EQ(1, boundedtext::scan("skip 5 x 7", "%*s %*d %*c %d", &n));
  EXPECT_EQ(1, boundedtext::scan("100%", "%d%%", &m));
  EXPECT_EQ(std::make_tuple(7, 100), std::make_tuple(n, m));
}

TEST(BoundedScan, MalformedFormatsAndInputsStopCleanly) {
  int a = 0, b = 0;
  char buf[4];
  // End of input before anything was assigned is -1; a mismatch is 0; after an assignment
  // either gives the count so far, as sscanf does.
  EXPECT_EQ(-1, boundedtext::scan("   ", "%s", buf, sizeof buf));
  EXPECT_EQ(-1, boundedtext::scan("KEY", "KEY=%d", &a));
  EXPECT_EQ(0, boundedtext::scan("x", "%d", &a));
  EXPECT_EQ(1, boundedtext::scan("12 abc", "%d %d", &a, &a));
  EXPECT_EQ(2, boundedtext::scan("1 2", "%d%d%d", &a, &a, &a));
  EXPECT_EQ(1, boundedtext::scan("7 x", "%d x %d", &a, &a));
  EXPECT_EQ(-1, boundedtext::scan(nullptr, "%d", &a));
  EXPECT_EQ(-1, boundedtext::scan("5", nullptr));

  // Unsupported or broken specifications stop before touching an argument.
  a = 9;
  for (const char* fmt : {"%f", "%p", "%ls", "%lc", "%l[a]", "%0d", "%", "%[abc", "%[]", "%*%",
                          "%99999999999999999999999d", "%hhh"})
    EXPECT_EQ(0, boundedtext::scan("1", fmt, &a)) << fmt;
  EXPECT_EQ(9, a);
  EXPECT_EQ(1, boundedtext::scan("1 2", "%d %q", &a, &b));
  EXPECT_EQ(0, b);

  // A target without room stops the scan; nothing is written.
  char none = 'Z';
  EXPECT_EQ(0, boundedtext::scan("abc", "%s", &none, static_cast<size_t>(0)));
  EXPECT_EQ('Z', none);
  EXPECT_EQ(0, boundedtext::scan("abc", "%s", static_cast<char*>(nullptr), sizeof buf));
  // Every target size from 1 up: cut, terminated, never past the end.
  const std::string hostile(300, 'h');
  for (size_t size = 1; size < 8; ++size) {
    auto target = exactBuffer(size);
    EXPECT_EQ(1, boundedtext::scan(hostile.c_str(), "%[h]", target.get(), size));
    EXPECT_EQ(std::string(size - 1, 'h'), target.get());
  }
}

TEST(Utf8, InvalidSequencesBecomeReplacementCharacters) {
  struct Case {
    std::string bytes;
    std::wstring wide;
  };
  const wchar_t R = 0xFFFD;
  const Case cases[] = {{"\xC0\xAF", {R, R}},                // overlong '/'
                        {"\xE0\x80\x80", {R, R, R}},         // overlong NUL
                        {"\xED\xA0\x80", {R, R, R}},         // a surrogate
                        {"\xF4\x90\x80\x80", {R, R, R, R}},  // beyond U+10FFFF
                        {"a\xE2\x82", {L'a', R, R}},         // cut at the end
                        {"\x80z", {R, L'z'}},                // lone continuation
                        {"\xFF\xFE", {R, R}},                // never valid
                        {"\xE2\x82\xAC\xE2(", {0x20AC, R, L'('}}};
  for (const Case& c : cases) EXPECT_EQ(c.wide, boundedtext::utf8ToWide(c.bytes));
  // Embedded NULs are text like any other.
  EXPECT_EQ(std::wstring(L"a\0b", 3), boundedtext::utf8ToWide(std::string("a\0b", 3)));
  // ASCII runs are widened eight bytes at a time: a euro sign or a stray
  // byte at every place of a longer text, around and across those steps.
  const std::string ascii = "0123456789abcdefghijklmnopq";
  const Case inserts[] = {{"\xE2\x82\xAC", {0x20AC}}, {"\xFF", {R}}};
  for (const Case& insert : inserts) {
    for (size_t at = 0; at <= ascii.size(); ++at) {
      const std::string bytes = ascii.substr(0, at) + insert.bytes + ascii.substr(at);
      const std::wstring wide = std::wstring(ascii.begin(), ascii.begin() + at) + insert.wide +
                                std::wstring(ascii.begin() + at, ascii.end());
      EXPECT_EQ(wide, boundedtext::utf8ToWide(bytes)) << at;
    }
  }
}

// Whatever bytes a tool or a file name holds, the literal is valid JSON and valid UTF-8.
TEST(JsonQuote, EscapesControlsKeepsUtf8AndReplacesOtherBytes) {
  EXPECT_EQ(R"("a\"b\\c\b\f\n\r\t")", boundedtext::jsonQuote("a\"b\\c\b\f\n\r\t"));
  EXPECT_EQ(R"("\u0000\u001f\u007f ~")", boundedtext::jsonQuote(std::string("\0\x1F\x7F ~", 5)));
  const std::string kept = "K\xC3\xB6ln \xE2\x82\xAC \xF0\x9F\x98\x80";
  EXPECT_EQ("\"" + kept + "\"", boundedtext::jsonQuote(kept));
  // Each byte of an invalid sequence (which ones are: Utf8.InvalidSequences...) is one U+FFFD.
  EXPECT_EQ("\"\xEF\xBF\xBD\xEF\xBF\xBD/\"", boundedtext::jsonQuote("\xC0\xAF/"));
}

TEST(Utf8, RoundTripsEveryEncodingLengthAndReplacesNonScalars) {
  std::wstring boundaries;
  for (unsigned long c :
       {0x01, 0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xE000, 0xFFFF, 0x10000, 0x10FFFF}) {
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {  // UTF-16: a surrogate pair
      boundaries.push_back(static_cast<wchar_t>(0xD800 | ((c - 0x10000) >> 10)));
      boundaries.push_back(static_cast<wchar_t>(0xDC00 | ((c - 0x10000) & 0x3FF)));
    } else {
      boundaries.push_back(static_cast<wchar_t>(c));
    }
  }
  std::string utf8 = boundedtext::wideToUtf8(boundaries);
  EXPECT_EQ(1 + 1 + 2 + 2 + 3 + 3 + 3 + 3 + 4 + 4, static_cast<int>(utf8.size()));
  EXPECT_EQ(boundaries, boundedtext::utf8ToWide(utf8));

  // Lone surrogates; where wchar_t has 4 bytes, also values beyond U+10FFFF.
  std::wstring bad = {static_cast<wchar_t>(0xDC00), static_cast<wchar_t>(0xD800)};
  const unsigned long beyond[] = {0x110000, 0xFFFFFFFF};
  if (sizeof(wchar_t) == 4)
    for (unsigned long c : beyond) bad.push_back(static_cast<wchar_t>(c));
  std::string replaced;
  for (size_t i = 0; i < bad.size(); ++i) replaced += "\xEF\xBF\xBD";
  EXPECT_EQ(replaced, boundedtext::wideToUtf8(bad));
}

}  // namespace
