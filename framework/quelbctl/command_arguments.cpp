#include "command_arguments.h"

#include <cstdlib>

namespace {

bool parseNumber(const std::string& value, long& number) {
  char* end = nullptr;
  number = std::strtol(value.c_str(), &end, 0);
  return !value.empty() && *end == '\0' && number >= 0 && number <= 0x7fffffff;
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
