// Small text helpers of the simulator.
#ifndef SYMSIM_TEXT_H
#define SYMSIM_TEXT_H

#include <cstdint>
#include <string>
#include <vector>

namespace symsim {

std::string toUpper(std::string s);
std::string toLower(std::string s);
std::string trim(const std::string& s);
bool equalsNoCase(const std::string& a, const std::string& b);
bool startsWith(const std::string& s, const std::string& prefix);
// Splits at every occurrence of `sep`; empty pieces are kept.
std::vector<std::string> split(const std::string& s, char sep);
// Splits at runs of blanks and tabs; no empty pieces.
std::vector<std::string> words(const std::string& s);
std::string join(const std::vector<std::string>& parts, const std::string& sep);

// Parses an unsigned decimal number; false when `s` is empty, holds anything
// but digits or does not fit.
bool parseUnsigned(const std::string& s, uint64_t* value);
// Parses a decimal number (as strtod reads it) of at most 1e9 either side of
// zero; false for anything else: trailing text, NaN, infinity, or a number
// so large that time computed with it loses its seconds.
bool parseNumber(const std::string& s, double* value);
// Parses hexadecimal digits (no prefix); false on anything else.
bool parseHex(const std::string& s, uint64_t* value);

// A device name as the arrays print it: upper-case hexadecimal, at least
// four digits ("abc" -> "0ABC"). Throws CliError for anything else.
std::string canonicalDevice(const std::string& name);
std::string deviceName(uint64_t number);

// The key a front-end director is compared by: "FA-4A", "4A", "04A" and
// "fa-04a" all give "4A". Empty when the text is no director name.
std::string directorKey(const std::string& director);
// The name an array prints for a director: "FA-" + key.
std::string directorDisplay(const std::string& key);
// The director as SYMCLI users abbreviate it: the number part padded to two
// digits ("4A" -> "04A").
std::string directorShort(const std::string& key);

// A WWN as the simulator stores it: upper-case hexadecimal digits without
// separators. Throws CliError when fewer than 16 digits remain.
std::string canonicalWwn(const std::string& wwn);

}  // namespace symsim

#endif  // SYMSIM_TEXT_H
