#include "cficonfigurationtext.h"

#include <ace/OS_NS_stdio.h>
#include <ace/OS_NS_sys_stat.h>
#include <ace/SString.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "boundedtext.h"

namespace quelb_pdk_4_4 {

namespace {

const char* const kBlanks = " \t";

// 3 when the text starts with the UTF-8 byte-order mark (editors such as
// Notepad write one), else 0: the mark is no part of the first line.
size_t byteOrderMarkLength(const std::string& text) {
  return text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
}

// A value line: "name" [blanks] = [blanks] value. Returns it as
// "name"=value; any other line unchanged.
std::string normalizeValueLine(const std::string& line) {
  if (line.empty() || line[0] != '"') return line;
  size_t nameEnd = line.find('"', 1);
  if (nameEnd == std::string::npos) return line;
  size_t equals = line.find_first_not_of(kBlanks, nameEnd + 1);
  if (equals == std::string::npos || line[equals] != '=') return line;
  size_t valueStart = line.find_first_not_of(kBlanks, equals + 1);
  std::string value = valueStart == std::string::npos ? std::string() : line.substr(valueStart);
  size_t valueEnd = value.find_last_not_of(kBlanks);
  value.erase(valueEnd == std::string::npos ? 0 : valueEnd + 1);
  if (!value.empty() && value[0] == '"' && value.find('"', 1) == std::string::npos) value += '"';
  return line.substr(0, nameEnd + 1) + "=" + value;
}

// The value lines of one section, then its subsections, depth first; the
// same text and statuses as ACE_Registry_ImpExp::export_section.
int exportSection(ACE_Configuration& config, const ACE_Configuration_Section_Key& section,
                  const std::string& path, std::string& text) {
  if (!path.empty()) {
    text += "[" + path + "]\n";
    ACE_TString name;
    ACE_Configuration::VALUETYPE type;
    for (int index = 0; config.enumerate_values(section, index, name, type) == 0; ++index) {
      text += "\"";
      text += name.c_str();
      text += "\"=";
      if (type == ACE_Configuration::INTEGER) {
        u_int value = 0;
        if (config.get_integer_value(section, name.c_str(), value) != 0) return -2;
        char digits[16];
        boundedtext::format(digits, sizeof digits, "%08x", value);
        text += "dword:";
        text += digits;
      } else if (type == ACE_Configuration::STRING) {
        ACE_TString value;
        if (config.get_string_value(section, name.c_str(), value) != 0) return -2;
        text += "\"";
        text += value.c_str();
        text += "\"";
      } else if (type == ACE_Configuration::BINARY) {
        void* data = nullptr;
        size_t length = 0;
        if (config.get_binary_value(section, name.c_str(), data, length) != 0) return -2;
        text += "hex:";
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < length; ++i) {
          char byte[4];
          boundedtext::format(byte, sizeof byte, i == 0 ? "%02x" : ",%02x", bytes[i]);
          text += byte;
        }
#if defined(ACE_HAS_ALLOC_HOOKS)
        ACE_Allocator::instance()->free(data);
#else
        delete[] static_cast<char*>(data);
#endif
      } else {
        return -3;
      }
      text += "\n";
    }
  }
  ACE_TString name;
  for (int index = 0; config.enumerate_sections(section, index, name) == 0; ++index) {
    const std::string subsection = path.empty() ? name.c_str() : path + "\\" + name.c_str();
    ACE_Configuration_Section_Key key;
    if (config.open_section(section, name.c_str(), 0, key) != 0) return -5;
    if (exportSection(config, key, subsection, text) != 0) return -6;
  }
  return 0;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool startsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool allHex(const std::string& text, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (hexDigit(text[i]) < 0) return false;
  return true;
}

// hex:<bytes>: pairs of hexadecimal digits separated by commas, or none.
bool isHexBytes(const std::string& bytes) {
  if (bytes.empty()) return true;
  size_t at = 0;
  for (;;) {
    if (at + 2 > bytes.size() || !allHex(bytes, at, at + 2)) return false;
    at += 2;
    if (at == bytes.size()) return true;
    if (bytes[at] != ',') return false;
    ++at;
  }
}

// The value after "NAME"= in a normalised line.
bool isValue(const std::string& value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return true;
  if (startsWith(value, "dword:")) {
    const size_t digits = value.size() - 6;
    return digits >= 1 && digits <= 8 && allHex(value, 6, value.size());
  }
  if (startsWith(value, "hex:")) return isHexBytes(value.substr(4));
  return false;
}

// The kind of fault of one normalised line ("" for a good one); `inSection`
// tells whether a section line came before and is updated by this one.
const char* lineFault(const std::string& line, bool& inSection) {
  if (line.empty() || line[0] == ';' || line[0] == '#') return "";
  if (line[0] == '[') {
    const size_t end = line.find_last_not_of(kBlanks);
    if (line[end] != ']' || end < 2) return "section";
    inSection = true;
    return "";
  }
  if (line[0] == '"') {
    const size_t nameEnd = line.find('"', 1);
    if (nameEnd == std::string::npos || nameEnd + 1 >= line.size() || line[nameEnd + 1] != '=')
      return "line";
    if (!isValue(line.substr(nameEnd + 2))) return "value";
    return inSection ? "" : "orphan";
  }
  return "line";
}

}  // namespace

std::string CFiConfigurationText::normalize(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 1);
  size_t pos = byteOrderMarkLength(text);
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    while (!line.empty() && line.back() == '\r') line.pop_back();
    size_t start = line.find_first_not_of(kBlanks);
    line.erase(0, start == std::string::npos ? line.size() : start);
    out += normalizeValueLine(line);
    out += '\n';
    pos = end + 1;
  }
  return out;
}

SFiConfigurationFault CFiConfigurationText::check(const std::string& text) {
  // ACE's reader takes a NUL for the end of the line it holds, misses the
  // line end behind it and doubles its line buffer for each such line: a
  // few hundred bytes of a file saved as UTF-16 would ask for gigabytes.
  const size_t nul = text.find('\0');
  if (nul != std::string::npos) {
    SFiConfigurationFault fault;
    fault.kind = "unreadable";
    fault.line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + nul, '\n'));
    fault.text = "line " + std::to_string(fault.line) +
                 " holds a NUL byte; the file must be text in ASCII or UTF-8";
    return fault;
  }
  const std::string normalized = normalize(text);
  bool inSection = false;
  size_t pos = 0;
  size_t rawPos = byteOrderMarkLength(text);
  for (int number = 1; pos < normalized.size(); ++number) {
    const size_t end = normalized.find('\n', pos);
    const size_t rawEnd = std::min(text.find('\n', rawPos), text.size());
    const char* kind = lineFault(normalized.substr(pos, end - pos), inSection);
    if (*kind) {
      SFiConfigurationFault fault;
      fault.kind = kind;
      fault.line = number;
      fault.text = text.substr(rawPos, rawEnd - rawPos);
      while (!fault.text.empty() && fault.text.back() == '\r') fault.text.pop_back();
      return fault;
    }
    pos = end + 1;
    rawPos = rawEnd + 1;
  }
  return SFiConfigurationFault();
}

std::string CFiConfigurationText::escapeValue(const std::string& value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    switch (c) {
      case '%':
        out += "%25";
        break;
      case '\n':
        out += "%0A";
        break;
      case '\r':
        out += "%0D";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string CFiConfigurationText::unescapeValue(const std::string& value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '%' && i + 2 < value.size()) {
      int high = hexDigit(value[i + 1]);
      int low = hexDigit(value[i + 2]);
      int code = high < 0 || low < 0 ? -1 : high * 16 + low;
      if (code == '%' || code == '\n' || code == '\r') {
        out += static_cast<char>(code);
        i += 2;
        continue;
      }
    }
    out += value[i];
  }
  return out;
}

int CFiConfigurationText::exportText(const ACE_Configuration& config, std::string& text) {
  text.clear();
  // ACE's reading operations are not const; none of them changes anything.
  ACE_Configuration& readable = const_cast<ACE_Configuration&>(config);
  return exportSection(readable, readable.root_section(), std::string(), text);
}

bool CFiConfigurationText::readFile(const std::string& path, std::string& text, std::string& why) {
  text.clear();
  ACE_stat status;
  if (ACE_OS::stat(path.c_str(), &status) != 0) {
    why = std::strerror(errno);
    return false;
  }
  if ((status.st_mode & S_IFMT) != S_IFREG) {
    why = (status.st_mode & S_IFMT) == S_IFDIR ? std::strerror(EISDIR) : "not a regular file";
    return false;
  }
  std::FILE* file = ACE_OS::fopen(path.c_str(), "rb");
  if (!file) {
    why = std::strerror(errno);
    return false;
  }
  char buffer[4096];
  size_t got = 0;
  while (text.size() <= MAX_FILE_BYTES && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    text.append(buffer, got);
  }
  const int error = std::ferror(file) ? (errno != 0 ? errno : EIO) : 0;
  ACE_OS::fclose(file);
  if (error != 0) {
    why = std::strerror(error);
    return false;
  }
  if (text.size() > MAX_FILE_BYTES) {
    why = "larger than " + std::to_string(MAX_FILE_BYTES / 1024) + " KiB";
    return false;
  }
  return true;
}

}  // namespace quelb_pdk_4_4
