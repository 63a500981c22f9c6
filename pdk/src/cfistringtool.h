// CFiStringTool: the kit's text operations. Conversions between narrow text
// (std::string, UTF-8), wide text (std::wstring), the framework's t-strings
// (tstring) and ICU strings; trimming, comparing, splitting, searching, number
// conversions and XML escaping. All static and re-entrant.
//
// Narrow text is UTF-8 and converts independently of the process locale; a
// byte that is no valid UTF-8 becomes U+FFFD in wide text. Case changes and
// number texts are locale-independent too: the narrow forms change ASCII
// letters only (the bytes of multi-byte characters stay as they are, so the
// text stays valid UTF-8), the wide forms use Unicode's simple case mapping.
#ifndef QLB_PDK_CFISTRINGTOOL_H
#define QLB_PDK_CFISTRINGTOOL_H

#include <unicode/unistr.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cfiexport.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiStringTool {
 public:
  // The whitespace set used throughout: blank, line feed, tab, carriage return.
  static const char* const WHITESPACE;      // " \n\t\r"
  static const wchar_t* const WWHITESPACE;  // L" \n\t\r"

  // --- conversions -------------------------------------------------------
  static std::wstring str2wstr(const std::string& s);
  static std::string wstr2str(const std::wstring& s);
  static tstring str2tstr(const std::string& s);
  static std::string tstr2str(const tstring& s);
  static tstring wstr2tstr(const std::wstring& s);
  static std::wstring tstr2wstr(const tstring& s);
  // Null-safe C-text forms.
  static std::wstring mbs2wcs(const char* s);
  static std::string wcs2mbs(const wchar_t* s);

  static icu::UnicodeString str2ustr(const std::string& s);
  static std::string ustr2str(const icu::UnicodeString& s);
  static icu::UnicodeString tstr2ustr(const tstring& s);
  static tstring ustr2tstr(const icu::UnicodeString& s);

  // Copies from the runtime allocator (release with free()); null for null.
  static char* strdup(const char* s);
  static wchar_t* wstrdup(const wchar_t* s);
  static wchar_t* tstrdup(const tstring& s);
  // A null-terminated array of (count + 1) pointers to copies; release with
  // tstrfreelist, which frees every element, the array, and nulls *list.
  static wchar_t** tstrduplist(const std::vector<tstring>& list);
  static void tstrfreelist(wchar_t*** list);

  // --- trimming, replacing, splitting ------------------------------------
  // Remove every character of `set` from the left, the right or both ends.
  // An empty text or a null set returns the text unchanged.
  static std::string trim(const std::string& s, const char* set = WHITESPACE);
  static std::string ltrim(const std::string& s, const char* set = WHITESPACE);
  static std::string rtrim(const std::string& s, const char* set = WHITESPACE);
  static std::wstring trim(const std::wstring& s, const wchar_t* set = WWHITESPACE);
  static std::wstring ltrim(const std::wstring& s, const wchar_t* set = WWHITESPACE);
  static std::wstring rtrim(const std::wstring& s, const wchar_t* set = WWHITESPACE);

  // Every occurrence of `search`, left to right, without overlaps. An empty
  // text or an empty search text returns the text unchanged.
  static std::string searchreplace(const std::string& s, const std::string& search,
                                   const std::string& replace);
  static std::wstring searchreplace(const std::wstring& s, const std::wstring& search,
                                    const std::wstring& replace);

  // Split at any of the delimiter characters; empty pieces dropped.
  static std::vector<std::string> tokenize(const std::string& s, const std::string& delimiters);

  // Same length and equal at every position, letters compared upper-cased
  // (narrow: ASCII letters; wide: every letter).
  static bool CompareNoCase(const std::string& a, const std::string& b);
  static bool CompareNoCase(const std::wstring& a, const std::wstring& b);
  static bool CompareNoCase(const tstring& a, const tstring& b);

  // From lines[index] on, the first line containing `text` (each line right-
  // trimmed first when `trimmed`). Returns the position in that line and
  // sets index to it; std::string::npos and index = lines.size() when none.
  static size_t find(const std::vector<std::string>& lines, const std::string& text, size_t& index,
                     bool trimmed);

  static std::string tostrupper(const std::string& s);
  static std::string tostrlower(const std::string& s);
  static std::wstring tostrupper(const std::wstring& s);
  static std::wstring tostrlower(const std::wstring& s);

  // --- numbers -----------------------------------------------------------
  static std::string int2str(int64_t v);
  static std::string uint2str(uint64_t v);
  static std::wstring int2wstr(int64_t v);
  static std::wstring uint2wstr(uint64_t v);
  static std::string double2str(double v);  // "%g"
  static std::string float2str(float v);    // "%f"
  static std::string bool2str(bool v);      // "true" / "false"

  // 0 and the leading decimal number (as atoi: leading white space, an
  // optional sign, digits; 0 when there is none); -1 for an empty text, out
  // unchanged. A number beyond the target type's range gives the nearest
  // value of the range (so a negative number reads as 0 for the unsigned
  // forms). str2double reads the C locale's format ('.' as decimal point,
  // exponent, "inf", "nan"; no hexadecimal), +-HUGE_VAL beyond the range.
  static int str2int(const std::string& s, int& out);
  static int str2int(const std::string& s);  // 0 for an empty text
  static int str2uint(const std::string& s, unsigned int& out);
  static int str2uint64(const std::string& s, uint64_t& out);
  static int str2double(const std::string& s, double& out);

  // Bytes as two lower-case hexadecimal digits each, and back; reading stops
  // at the first pair that is not hexadecimal, and an odd last digit is
  // dropped.
  static std::string binary2str(const std::vector<unsigned char>& bytes);
  static std::wstring binary2wstr(const std::vector<unsigned char>& bytes);
  static std::vector<unsigned char> str2binary(const std::string& hex);
  static std::vector<unsigned char> wstr2binary(const std::wstring& hex);
  // Bytes or hexadecimal text as an identifier: the bytes as "%02x" in
  // order, with a '-' before bytes 4, 6, 8 and 10, which gives the usual
  // 8-4-4-4-12 form for 16 bytes.
  static std::string binary2uid(const std::vector<unsigned char>& bytes);
  static std::string str2uid(const std::string& hex);
  static std::string wstr2uid(const std::wstring& hex);

  // Every character a decimal digit (true for an empty text).
  static bool isDigit(const std::string& s);
  // Exactly four "."-separated pieces, all digits; an empty piece ("1..2.3")
  // does not count as digits here.
  static bool isIpAddress(const std::string& s);

  // --- XML ---------------------------------------------------------------
  // "<name>" or "</name>", with a line feed when `newline`.
  static std::string xmlBracket(const std::string& name, bool opening, bool newline);
  // A tab, "<name>", the escaped value, "</name>" and a line feed.
  static std::string xmlBracketValue(const std::string& name, const std::string& value);
  // & first, then < > " ', then a carriage return (as "&#13;", since a
  // reader turns a literal one into a line feed).
  static std::string convertToXmlSpecialCharacters(const std::string& s);
  // The reverse, "&#13;" first and "&amp;" last.
  static std::string convertFromXmlSpecialCharacters(const std::string& s);
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFISTRINGTOOL_H
