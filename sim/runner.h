// One run of a simulated tool: log entry, faults, the command's own
// transaction, and the output.
#ifndef SYMSIM_RUNNER_H
#define SYMSIM_RUNNER_H

#include <string>
#include <vector>

#include "tools.h"

namespace symsim {

// Runs `tool` with `args` (argv without the program name) on the database
// at `dbPath`; prints the output and returns the exit status.
int runTool(const Tool& tool, const std::vector<std::string>& args, const std::string& dbPath);

}  // namespace symsim

#endif  // SYMSIM_RUNNER_H
