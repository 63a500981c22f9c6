#include "emcsym_names.h"

#include <cctype>
#include <vector>

#include "boundedtext.h"
#include "emcsym_clierror.h"
#include "emcsym_clitool_util.h"

namespace emcsym {

namespace {

bool allOf(const std::string& value, size_t from, size_t to, int (*test)(int)) {
  for (size_t i = from; i < to; ++i) {
    if (!test(static_cast<unsigned char>(value[i]))) return false;
  }
  return true;
}

int isHostCharacter(int c) { return std::isalnum(c) || c == '.' || c == '-' || c == '_'; }

bool isDirector(const std::string& value) {
  size_t from = 0;
  const size_t dash = value.find('-');
  if (dash != std::string::npos) {
    if (dash < 1 || dash > 3 || !allOf(value, 0, dash, isalpha)) return false;
    from = dash + 1;
  }
  const size_t digits = value.size() - from;
  return digits >= 2 && digits <= 4 && allOf(value, from, value.size() - 1, isdigit) &&
         std::isalpha(static_cast<unsigned char>(value.back()));
}

bool isWwn(const std::string& value) {
  if ((value.size() == 16 || value.size() == 32) && allOf(value, 0, value.size(), isxdigit)) {
    return true;
  }
  if (value.size() != 23) return false;
  const char separator = value[2];
  if (separator != ':' && separator != '-') return false;
  for (size_t i = 0; i < value.size(); ++i) {
    const bool separatorPlace = i % 3 == 2;
    if (separatorPlace ? value[i] != separator
                       : !std::isxdigit(static_cast<unsigned char>(value[i]))) {
      return false;
    }
  }
  return true;
}

const char* kindName(NameKind kind) {
  switch (kind) {
    case NAME_SYMID:
      return "Symmetrix ID";
    case NAME_DEVICE:
      return "device name";
    case NAME_DIRECTOR:
      return "director";
    case NAME_PORT:
      return "port";
    case NAME_WWN:
      return "WWN";
    case NAME_HOST:
      return "host name";
  }
  return "value";
}

const char* formText(NameKind kind) {
  switch (kind) {
    case NAME_SYMID:
      return "12 decimal digits";
    case NAME_DEVICE:
      return "1 to 8 hexadecimal digits";
    case NAME_DIRECTOR:
      return "a director such as 04A or FA-4A";
    case NAME_PORT:
      return "1 to 3 decimal digits";
    case NAME_WWN:
      return "a WWN of 16 or 32 hexadecimal digits";
    case NAME_HOST:
      return "a host name of letters, digits, \".\", \"-\" and \"_\"";
  }
  return "valid";
}

// The value as a message shows it: control characters visible, cut after
// 64 characters.
std::string shown(const std::string& value) {
  const size_t kShown = 64;
  std::string text;
  for (size_t i = 0; i < value.size() && i < kShown; ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    if (c == '\n') {
      text += "\\n";
    } else if (c == '\t') {
      text += "\\t";
    } else if (c < 0x20 || c == 0x7f) {
      text += boundedtext::formatString(8, "\\x%02X", c);
    } else {
      text += static_cast<char>(c);
    }
  }
  if (value.size() > kShown) text += "...";
  return text;
}

}  // namespace

bool isValidName(NameKind kind, const std::string& value) {
  const size_t n = value.size();
  switch (kind) {
    case NAME_SYMID:
      return n == 12 && allOf(value, 0, n, isdigit);
    case NAME_DEVICE:
      return n >= 1 && n <= 8 && allOf(value, 0, n, isxdigit);
    case NAME_DIRECTOR:
      return isDirector(value);
    case NAME_PORT:
      return n >= 1 && n <= 3 && allOf(value, 0, n, isdigit);
    case NAME_WWN:
      return isWwn(value);
    case NAME_HOST:
      return n >= 1 && n <= 255 && std::isalnum(static_cast<unsigned char>(value[0])) &&
             allOf(value, 0, n, isHostCharacter);
  }
  return false;
}

const std::string& checkedName(NameKind kind, const std::string& value, const wchar_t* operation) {
  if (isValidName(kind, value)) return value;
  const std::string where = std::string("the ") + kindName(kind) + " \"" + shown(value) +
                            "\" is not " + formText(kind) + "; no SYMCLI command was run";
  throw CEmcSymCliException(3, operation, where, std::vector<std::string>(), kCliToolSourceFile,
                            __LINE__);
}

}  // namespace emcsym
