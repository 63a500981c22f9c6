#include "command_arguments.h"

#include <cctype>
#include <cstdlib>

namespace {

// Decimal, or hexadecimal after "0x": a leading zero does not make it octal,
// and blanks and signs are refused.
bool parseNumber(const std::string& value, long& number) {
  const bool hex = value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X');
  const char* digits = value.c_str() + (hex ? 2 : 0);
  const unsigned char first = static_cast<unsigned char>(*digits);
  if (!(hex ? std::isxdigit(first) : std::isdigit(first))) return false;
  char* end = nullptr;
  const long parsed = std::strtol(digits, &end, hex ? 16 : 10);
  if (*end != '\0' || parsed > 0x7fffffff) return false;
  number = parsed;
  return true;
}

std::string& lastUsageError() {
  static std::string text;
  return text;
}

}  // namespace

void usageError(const char* command, const std::string& text) {
  lastUsageError() = text + "; try 'quelbctl " + command + " --help'";
}

const std::string& usageErrorText() { return lastUsageError(); }

bool splitAtEquals(const std::string& text, std::string& left, std::string& right) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0 || equals + 1 == text.size() ||
      text.find('=', equals + 1) != std::string::npos)
    return false;
  left = text.substr(0, equals);
  right = text.substr(equals + 1);
  return true;
}

bool CommandArguments::parse(const char* command, const std::vector<std::string>& arguments,
                             std::initializer_list<const char*> valueOptions, bool wordsAllowed) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    if (arg.compare(0, 1, "-") != 0 || arg == "-") {
      if (!wordsAllowed) {
        usageError(command, std::string(command) + " takes no word like " + arg);
        return false;
      }
      words.push_back(arg);
      continue;
    }
    bool known = false;
    for (const char* option : valueOptions) known = known || arg == option;
    if (!known) {
      usageError(command, std::string(command) + " does not take " + arg);
      return false;
    }
    if (i + 1 >= arguments.size()) {
      usageError(command, arg + " needs a value");
      return false;
    }
    const std::string& value = arguments[++i];
    long number = 0;
    if (arg == "--flags" && !parseNumber(value, number)) {
      usageError(command, "--flags wants a number, not " + value);
      return false;
    }
    options[arg] = value;
  }
  return true;
}

long CommandArguments::flags(long defaultFlags) const {
  long number = defaultFlags;
  auto found = options.find("--flags");
  if (found != options.end()) parseNumber(found->second, number);
  return number;
}
