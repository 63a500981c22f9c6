// The model's record of what happened: the command log of the tool runs
// and the store of faults set with "symsim fault add".
#ifndef SYMSIM_MODEL_LOG_H
#define SYMSIM_MODEL_LOG_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "database.h"
#include "faults.h"

namespace symsim {

// One run of a tool. Absent values are those the run never had (a refused
// command line has no command name) or not yet (a run still going, or
// killed, has no exit status).
struct RunRow {
  int64_t id = 0;
  int64_t pid = 0;
  std::string tool;
  std::string argsJson;  // the arguments as a JSON array of strings
  std::optional<std::string> command;
  std::optional<std::string> symid;
  std::optional<std::string> pairFile;  // the device file's contents
  double started = 0;                   // seconds since the epoch
  std::optional<double> durationMs;
  std::optional<int64_t> exitStatus;
  std::optional<std::string> fault;
  std::optional<std::string> message;  // first line of a failure
};

// Logs the start of a run (id, exit status and the rest of the end left
// out) and returns its id.
int64_t logRunStart(Database& db, const RunRow& run);
// Completes the run's record; empty `fault` and `message` stay absent.
void logRunEnd(Database& db, int64_t id, int exitStatus, double durationMs,
               const std::string& fault, const std::string& message);
// The runs in order, those of `tool` only when it is not empty.
std::vector<RunRow> loggedRuns(Database& db, const std::string& tool);
void clearRunLog(Database& db);

int64_t addFault(Database& db, const Fault& fault);
std::vector<Fault> listFaults(Database& db);
// Removes one fault, or all with id 0. Returns the number removed.
int clearFaults(Database& db, int64_t id);
// Finds the first live fault matching the run and counts the run against
// it. Returns false when no fault fires.
bool takeFault(Database& db, const std::string& tool, const std::string& command,
               const std::string& symid, Fault* fired);

}  // namespace symsim

#endif  // SYMSIM_MODEL_LOG_H
