#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "cfistringtool.h"

using quelb_pdk_4_4::CFiStringTool;
using quelb_pdk_4_4::tstring;

namespace {

TEST(StringTool, TrimRemovesOnlyTheGivenSetFromTheChosenEnds) {
  EXPECT_EQ("abc", CFiStringTool::trim("\t abc \r\n"));
  EXPECT_EQ("", CFiStringTool::trim(" \n\t\r \r"));
  EXPECT_EQ("a b", CFiStringTool::trim("  a b  "));
  EXPECT_EQ("abc \r\n", CFiStringTool::ltrim("\t abc \r\n"));
  EXPECT_EQ("", CFiStringTool::rtrim("   "));
  EXPECT_EQ("b-c", CFiStringTool::trim("--xb-cx-", "-x"));
  // A null set returns the text unchanged; so does an empty text.
  EXPECT_EQ(" a ", CFiStringTool::trim(" a ", nullptr));
  EXPECT_EQ("", CFiStringTool::trim(""));
  EXPECT_EQ(L"\x00e9t\x00e9", CFiStringTool::trim(std::wstring(L"\t \x00e9t\x00e9\r\n")));
  EXPECT_EQ(L"x ", CFiStringTool::ltrim(std::wstring(L" x ")));
  EXPECT_EQ(L" x", CFiStringTool::rtrim(std::wstring(L" x ")));
}

TEST(StringTool, TokenizeDropsEmptyPiecesAndSearchReplaceDoesNotOverlap) {
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), CFiStringTool::tokenize("a,,b", ","));
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), CFiStringTool::tokenize(",a; b;;c,", ",; "));
  EXPECT_TRUE(CFiStringTool::tokenize(",,,", ",").empty());
  EXPECT_TRUE(CFiStringTool::tokenize("", ",").empty());
  EXPECT_EQ((std::vector<std::string>{"abc"}), CFiStringTool::tokenize("abc", ""));

  EXPECT_EQ("a_b_c", CFiStringTool::searchreplace("a:b:c", ":", "_"));
  EXPECT_EQ("ba", CFiStringTool::searchreplace("aaa", "aa", "b"));
  // The replacement holding the search text is not searched again.
  EXPECT_EQ("aabaa", CFiStringTool::searchreplace("aba", "a", "aa"));
  EXPECT_EQ("x", CFiStringTool::searchreplace("x", "", "y"));
  EXPECT_EQ(L"1--2", CFiStringTool::searchreplace(std::wstring(L"1-2"), std::wstring(L"-"),
                                                  std::wstring(L"--")));
}

// Each escape as a list writes it: ConfigParamData.WritesSingleValuesValueListsAndEscapes.
TEST(StringTool, XmlEscapingRoundTrip) {
  // Texts that already look escaped survive the round trip unchanged.
  for (const std::string& s :
       {std::string("&lt;"), std::string("&amp;amp;"), std::string("&#39;&"), std::string("<&>\"'"),
        std::string("&quot&gt;;"), std::string("a\r\nb&#13;")}) {
    std::string escaped = CFiStringTool::convertToXmlSpecialCharacters(s);
    EXPECT_EQ(std::string::npos, escaped.find_first_of("<>\"'\r")) << s;
    EXPECT_EQ(s, CFiStringTool::convertFromXmlSpecialCharacters(escaped)) << s;
  }
  EXPECT_EQ("&lt;", CFiStringTool::convertFromXmlSpecialCharacters("&amp;lt;"));
}

TEST(StringTool, CaseInsensitiveCompareNeedsEqualLengths) {
  EXPECT_TRUE(CFiStringTool::CompareNoCase(std::string("Host_A"), std::string("host_a")));
  EXPECT_FALSE(CFiStringTool::CompareNoCase(std::string("abc"), std::string("abcd")));
  EXPECT_FALSE(CFiStringTool::CompareNoCase(std::string("abcd"), std::string("abc")));
  EXPECT_FALSE(CFiStringTool::CompareNoCase(std::string("a_b"), std::string("a-b")));
  EXPECT_TRUE(CFiStringTool::CompareNoCase(std::string(), std::string()));
  // '@' and '`' sit next to the letters; they are no letters.
  EXPECT_FALSE(CFiStringTool::CompareNoCase(std::string("@"), std::string("`")));
  EXPECT_TRUE(
      CFiStringTool::CompareNoCase(std::wstring(L"\x00c9t\x00c9"), std::wstring(L"\x00e9T\x00e9")));
  EXPECT_FALSE(CFiStringTool::CompareNoCase(std::wstring(L"ab"), std::wstring(L"ab ")));
  EXPECT_TRUE(CFiStringTool::CompareNoCase(tstring(L"NODE1"), tstring(L"node1")));

  EXPECT_EQ("ABC-\xC3\xA9", CFiStringTool::tostrupper("abC-\xC3\xA9"));
  EXPECT_EQ(L"\x00c9T\x00c9", CFiStringTool::tostrupper(std::wstring(L"\x00e9t\x00e9")));
  EXPECT_EQ(L"\x03b1x", CFiStringTool::tostrlower(std::wstring(L"\x0391X")));
}

TEST(StringTool, FindWalksLinesFromTheGivenIndex) {
  const std::vector<std::string> lines = {"Symmetrix ID : 1", "  Device : 0A  \r", "Device : 0B",
                                          "end"};
  // {position in the line, index of the line} from a start index.
  auto find = [&](const char* text, size_t index, bool trimmed) {
    size_t at = CFiStringTool::find(lines, text, index, trimmed);
    return std::make_tuple(at, index);
  };
  const size_t npos = std::string::npos, end = lines.size();
  EXPECT_EQ(std::make_tuple(size_t{2}, size_t{1}), find("Device", 0, false));
  EXPECT_EQ(std::make_tuple(size_t{0}, size_t{2}), find("Device", 2, false));
  // Trailing white space is no part of the line when trimmed.
  EXPECT_EQ(std::make_tuple(npos, end), find("0A  ", 0, true));
  EXPECT_EQ(std::make_tuple(size_t{11}, size_t{1}), find("0A  ", 0, false));
  EXPECT_EQ(std::make_tuple(npos, end), find("end", 99, false));
}

TEST(StringTool, NumberTextsBothWays) {
  EXPECT_EQ("-9223372036854775808", CFiStringTool::int2str(std::numeric_limits<int64_t>::min()));
  EXPECT_EQ("18446744073709551615", CFiStringTool::uint2str(UINT64_MAX));
  EXPECT_EQ("340282346638528859811704183484516925440.000000",
            CFiStringTool::float2str(std::numeric_limits<float>::max()));

  // {result, value} of a conversion into a target that held `start`.
  auto toInt = [](const char* text, int start) {
    int rc = CFiStringTool::str2int(text, start);
    return std::make_tuple(rc, start);
  };
  EXPECT_EQ(std::make_tuple(-1, 5), toInt("", 5));
  EXPECT_EQ(std::make_tuple(0, -42), toInt(" \t-42abc", 5));
  EXPECT_EQ(std::make_tuple(0, 0), toInt("abc", 5));
  // Beyond the range: the nearest value, never a wrap.
  EXPECT_EQ(INT_MAX, CFiStringTool::str2int("99999999999999999999999"));
  EXPECT_EQ(INT_MIN, CFiStringTool::str2int("-2147483649"));
  unsigned u = 1, big = 1;
  uint64_t u64 = 0;
  EXPECT_EQ(
      std::make_tuple(0, 0, 0),
      std::make_tuple(CFiStringTool::str2uint("-1", u), CFiStringTool::str2uint("4294967296", big),
                      CFiStringTool::str2uint64("18446744073709551615 MB", u64)));
  EXPECT_EQ(std::make_tuple(0u, UINT_MAX, UINT64_MAX), std::make_tuple(u, big, u64));

  auto toDouble = [](const char* text, double start) {
    int rc = CFiStringTool::str2double(text, start);
    return std::make_tuple(rc, start);
  };
  EXPECT_EQ(std::make_tuple(0, 2500.0), toDouble("  +2.5e3x", 0));
  EXPECT_EQ(std::make_tuple(0, HUGE_VAL), toDouble("1e999", 0));
  EXPECT_EQ(std::make_tuple(0, -HUGE_VAL), toDouble("-1000e306", 0));
  EXPECT_EQ(std::make_tuple(0, 0.0), toDouble("0.0001e-400", 1));
  EXPECT_EQ(std::make_tuple(-1, 3.0), toDouble("", 3));
}

TEST(StringTool, HexadecimalIdentifiersAndAddressShapes) {
  std::vector<unsigned char> all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<unsigned char>(b));
  const std::string hex = CFiStringTool::binary2str(all);
  EXPECT_EQ("000102", hex.substr(0, 6));
  EXPECT_EQ("feff", hex.substr(hex.size() - 4));
  EXPECT_EQ(all, CFiStringTool::str2binary(hex));
  EXPECT_EQ(all, CFiStringTool::wstr2binary(CFiStringTool::binary2wstr(all)));
  EXPECT_EQ((std::vector<unsigned char>{0x0a, 0xbc}), CFiStringTool::str2binary("0aBCd"));
  EXPECT_EQ((std::vector<unsigned char>{0x0a}), CFiStringTool::str2binary("0aZZ12"));
  EXPECT_EQ("00010203-0405-0607-0809-0a0b0c0d0e0f",
            CFiStringTool::str2uid("000102030405060708090a0b0c0d0e0f"));

  EXPECT_TRUE(CFiStringTool::isIpAddress("10.0.0.1"));
  EXPECT_TRUE(CFiStringTool::isIpAddress("999.0.0.1"));  // shape only
  for (const char* no : {"10.0.0", "10.0.0.1.2", "1..2.3", "1.2.3.4.", ".1.2.3", "a.b.c.d", ""})
    EXPECT_FALSE(CFiStringTool::isIpAddress(no)) << no;
}

TEST(StringTool, ConversionsAndCopiesKeepEveryCharacter) {
  const std::string utf8 = "Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x98\x80";
  const std::wstring wide = CFiStringTool::str2wstr(utf8);
  EXPECT_EQ(std::wstring(L"Gr\u00fc\u00df \u20ac \U0001F600"), wide);  // UTF-16 on Windows
  EXPECT_EQ(utf8, CFiStringTool::wstr2str(wide));
  EXPECT_EQ(utf8, CFiStringTool::tstr2str(CFiStringTool::str2tstr(utf8)));
  EXPECT_EQ(wide, CFiStringTool::tstr2wstr(CFiStringTool::wstr2tstr(wide)));
  EXPECT_EQ(utf8, CFiStringTool::ustr2str(CFiStringTool::str2ustr(utf8)));
  EXPECT_EQ(9, CFiStringTool::str2ustr(utf8).length());  // the emoji is two UTF-16 units
  EXPECT_EQ(std::wstring(), CFiStringTool::mbs2wcs(nullptr));
  EXPECT_EQ(std::string(), CFiStringTool::wcs2mbs(nullptr));

  const std::vector<tstring> names = {tstring(L"one"), tstring(), tstring(L"\x00e9")};
  wchar_t** list = CFiStringTool::tstrduplist(names);
  ASSERT_NE(nullptr, list);
  EXPECT_EQ((std::vector<std::wstring>{L"one", L"", L"\x00e9"}),
            std::vector<std::wstring>(list, list + 3));
  EXPECT_EQ(nullptr, list[3]);
  CFiStringTool::tstrfreelist(&list);
  EXPECT_EQ(nullptr, list);
  CFiStringTool::tstrfreelist(&list);  // already freed: nothing to do
  CFiStringTool::tstrfreelist(nullptr);
  wchar_t** empty = CFiStringTool::tstrduplist({});
  ASSERT_NE(nullptr, empty);
  EXPECT_EQ(nullptr, empty[0]);
  CFiStringTool::tstrfreelist(&empty);
}

}  // namespace
