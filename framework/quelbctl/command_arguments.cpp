#include "command_arguments.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool parseNumber(const std::string& value, long& number) {
  char* end = nullptr;
  number = std::strtol(value.c_str(), &end, 0);
  return !value.empty() && *end == '\0' && number >= 0 && number <= 0x7fffffff;
}

}  // namespace

bool CommandArguments::parse(const char* command, const std::vector<std::string>& arguments,
                             std::initializer_list<const char*> valueOptions, bool wordsAllowed) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    if (wordsAllowed && arg.compare(0, 2, "--") != 0) {
      words.push_back(arg);
      continue;
    }
    bool known = false;
    for (const char* option : valueOptions) known = known || arg == option;
    if (!known) {
      std::fprintf(stderr, "quelbctl: %s does not take %s\n", command, arg.c_str());
      return false;
    }
    if (i + 1 >= arguments.size()) {
      std::fprintf(stderr, "quelbctl: %s needs a value\n", arg.c_str());
      return false;
    }
    const std::string& value = arguments[++i];
    long number = 0;
    if (arg == "--flags" && !parseNumber(value, number)) {
      std::fprintf(stderr, "quelbctl: --flags wants a number, not %s\n", value.c_str());
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
