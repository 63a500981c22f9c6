// Scenario files: a line-based text that describes arrays, devices, hosts,
// logins, masking, pairs and settings. `symsim init` builds a database
// from one; sim/README.md documents the format.
#ifndef SYMSIM_SCENARIO_H
#define SYMSIM_SCENARIO_H

#include <stdexcept>
#include <string>

#include "database.h"

namespace symsim {

// A scenario line that cannot be used; the message names file and line.
class ScenarioError : public std::runtime_error {
 public:
  explicit ScenarioError(const std::string& what) : std::runtime_error(what) {}
};

// Replaces the database contents with the scenario, in one transaction.
// `source` names the text in error messages.
void loadScenario(Database& db, const std::string& text, const std::string& source);

// The built-in demo scenario (sim/scenarios/demo.scn).
const char* demoScenario();

}  // namespace symsim

#endif  // SYMSIM_SCENARIO_H
