#include "adminargs.h"

#include "errors.h"
#include "text.h"

namespace symsim {

AdminArgs::AdminArgs(const std::vector<std::string>& args, const std::set<std::string>& valued,
                     const std::set<std::string>& flags) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string a = args[i];
    if (a == "-sid") a = "--sid";
    if (a.size() > 2 && startsWith(a, "--")) {
      if (valued.count(a)) {
        if (i + 1 >= args.size()) throw UsageError("option " + a + " needs a value");
        values_[a] = args[++i];
      } else if (flags.count(a)) {
        flags_.insert(a);
      } else {
        throw UsageError("unknown option " + a);
      }
    } else {
      positional_.push_back(a);
    }
  }
}

bool AdminArgs::has(const std::string& name) const {
  return flags_.count(name) || values_.count(name);
}

std::string AdminArgs::value(const std::string& name, const std::string& fallback) const {
  auto it = values_.find(name);
  return it == values_.end() ? fallback : it->second;
}

int64_t AdminArgs::number(const std::string& name, int64_t fallback) const {
  auto it = values_.find(name);
  if (it == values_.end()) return fallback;
  uint64_t v = 0;
  if (!parseUnsigned(it->second, &v))
    throw UsageError("option " + name + " needs a number, not \"" + it->second + "\"");
  return static_cast<int64_t>(v);
}

}  // namespace symsim
