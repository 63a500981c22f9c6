// The administration command: "symsim init", "show", "fault", "log",
// "state", "set", "clock" and "install".
#ifndef SYMSIM_ADMIN_H
#define SYMSIM_ADMIN_H

#include <string>
#include <vector>

namespace symsim {

// Runs one administration command; `argv0` locates the default database.
// Prints its result and returns the exit status.
int runAdmin(const std::string& argv0, const std::vector<std::string>& args);

}  // namespace symsim

#endif  // SYMSIM_ADMIN_H
