// The copy commands of quelbctl: what the framework does with a snapshot
// once it exists. Each builds the records the framework would build from
// device identities (UDID##EMC##SYMMETRIX##<symid>##<device>), calls one
// entry point, frees the records and prints what happened.
//
//   import UDID [--flags N] [--host NAME]      import_resource (N default 0x1)
//   deport UDID [--flags N] [--host NAME]      deport_resource (N default 0x10)
//   dispose SOURCE_UDID SNAPSHOT_UDID          dispose, disposition 1 (detach)
//   restore SOURCE_UDID=SNAPSHOT_UDID [...] [--flags N]
//                                              restore (N default 0)
//
// N is decimal or 0x hex. Each returns quelbctl's exit status: 0, 1 when
// the provider's operation failed, 2 for bad arguments.
#ifndef QUELBCTL_COPY_COMMANDS_H
#define QUELBCTL_COPY_COMMANDS_H

#include <string>
#include <vector>

#include <quelb/quelb_pgn.h>

#include "report.h"

// Usage lines of the four commands, for the help text.
extern const char* const kCopyUsage;

int runImport(const qlb_pgn_table& pgn, const std::vector<std::string>& arguments);
int runDeport(const qlb_pgn_table& pgn, const std::vector<std::string>& arguments);
int runDispose(const qlb_pgn_table& pgn, const std::vector<std::string>& arguments);
int runRestore(const qlb_pgn_table& pgn, const std::vector<std::string>& arguments);

#endif  // QUELBCTL_COPY_COMMANDS_H
