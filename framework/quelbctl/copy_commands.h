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
// N is decimal or 0x hex. Each reads its arguments and returns the action
// to run (empty after a message for bad arguments); the action returns 0,
// or 1 when the provider's operation failed.
#ifndef QUELBCTL_COPY_COMMANDS_H
#define QUELBCTL_COPY_COMMANDS_H

#include <string>
#include <vector>

#include "command_arguments.h"

// Usage lines of the four commands, for the help text.
extern const char* const kCopyUsage;

CommandAction prepareImport(const std::vector<std::string>& arguments);
CommandAction prepareDeport(const std::vector<std::string>& arguments);
CommandAction prepareDispose(const std::vector<std::string>& arguments);
CommandAction prepareRestore(const std::vector<std::string>& arguments);

#endif  // QUELBCTL_COPY_COMMANDS_H
