// Reports of the administration command: the database contents, the
// command log and the faults, as tables for people or as JSON.
#ifndef SYMSIM_ADMINREPORT_H
#define SYMSIM_ADMINREPORT_H

#include <cstdint>
#include <string>
#include <vector>

#include "database.h"

namespace symsim {

// `sid` limits the report to one array; `devices` lists every device.
void printShow(Database& db, const std::string& dbPath, const std::string& sid, bool devices,
               bool json);
// `tool` limits the log to one tool, `last` (when > 0) to the last runs.
void printLog(Database& db, const std::string& tool, int64_t last, bool json);
void printFaults(Database& db, bool json);

// "0040-0047,0050" for a sorted list of device names.
std::string compressDevices(const std::vector<std::string>& names);

}  // namespace symsim

#endif  // SYMSIM_ADMINREPORT_H
