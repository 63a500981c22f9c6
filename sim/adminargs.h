// Options of the administration command: "--name value" and "--flag",
// everything else positional.
#ifndef SYMSIM_ADMINARGS_H
#define SYMSIM_ADMINARGS_H

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace symsim {

class AdminArgs {
 public:
  // `valued` lists the options that take a value, `flags` those that do
  // not; both with their leading dashes. "-sid" is read as "--sid".
  // Throws UsageError for anything unknown.
  AdminArgs(const std::vector<std::string>& args, const std::set<std::string>& valued,
            const std::set<std::string>& flags);

  const std::vector<std::string>& positional() const { return positional_; }
  bool has(const std::string& name) const;
  std::string value(const std::string& name, const std::string& fallback = "") const;
  int64_t number(const std::string& name, int64_t fallback) const;

 private:
  std::vector<std::string> positional_;
  std::map<std::string, std::string> values_;
  std::set<std::string> flags_;
};

}  // namespace symsim

#endif  // SYMSIM_ADMINARGS_H
