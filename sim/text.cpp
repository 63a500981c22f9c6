#include "text.h"

#include <cctype>
#include <cstdlib>

#include "boundedtext.h"
#include "errors.h"

namespace symsim {

std::string toUpper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string toLower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string trim(const std::string& s) {
  const char* blanks = " \t\r\n";
  size_t b = s.find_first_not_of(blanks);
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(blanks);
  return s.substr(b, e - b + 1);
}

bool equalsNoCase(const std::string& a, const std::string& b) { return toUpper(a) == toUpper(b); }

bool startsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t at = s.find(sep, start);
    parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  return parts;
}

std::vector<std::string> words(const std::string& s) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

std::string join(const std::vector<std::string>& parts, const std::string& sep) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += sep;
    out += parts[i];
  }
  return out;
}

bool parseUnsigned(const std::string& s, uint64_t* value) {
  if (s.empty() || s.size() > 19) return false;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  *value = v;
  return true;
}

bool parseNumber(const std::string& s, double* value) {
  if (s.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (*end != '\0' || !(v >= -1e9 && v <= 1e9)) return false;
  *value = v;
  return true;
}

bool parseHex(const std::string& s, uint64_t* value) {
  if (s.empty() || s.size() > 15) return false;
  uint64_t v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    v = v * 16 + static_cast<uint64_t>(d);
  }
  *value = v;
  return true;
}

std::string deviceName(uint64_t number) {
  char buf[32];
  boundedtext::format(buf, sizeof buf, "%04llX", static_cast<unsigned long long>(number));
  return buf;
}

std::string canonicalDevice(const std::string& name) {
  uint64_t n = 0;
  if (name.size() > 8 || !parseHex(name, &n))
    throw CliError("Invalid Symmetrix device name: " + name);
  return deviceName(n);
}

std::string directorKey(const std::string& director) {
  std::string d = toUpper(trim(director));
  size_t dash = d.find('-');
  if (dash != std::string::npos) d = d.substr(dash + 1);
  size_t digits = 0;
  while (digits < d.size() && std::isdigit(static_cast<unsigned char>(d[digits]))) ++digits;
  if (digits == 0 || digits > 3 || digits + 1 != d.size() ||
      !std::isalpha(static_cast<unsigned char>(d.back())))
    return "";
  size_t zeros = 0;
  while (zeros + 1 < digits && d[zeros] == '0') ++zeros;
  return d.substr(zeros);
}

std::string directorDisplay(const std::string& key) { return "FA-" + key; }

std::string directorShort(const std::string& key) { return key.size() == 2 ? "0" + key : key; }

std::string canonicalWwn(const std::string& wwn) {
  std::string out;
  for (char c : wwn) {
    if (c == ':' || c == '-') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) throw CliError("Invalid WWN: " + wwn);
    out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  if (out.size() != 16) throw CliError("Invalid WWN (16 hexadecimal digits expected): " + wwn);
  return out;
}

}  // namespace symsim
