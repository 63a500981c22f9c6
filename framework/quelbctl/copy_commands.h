// The copy commands of quelbctl: what the framework does with a snapshot
// once it exists. Each builds the records the framework would build from
// device identities (UDID##EMC##SYMMETRIX##<symid>##<device>), calls one
// entry point, frees the records and says what happened.
//
//   import UDID [--flags N] [--host NAME]      import_resource (N default 0x1)
//   deport UDID [--flags N] [--host NAME]      deport_resource (N default 0x10)
//   dispose SOURCE_UDID SNAPSHOT_UDID          dispose, disposition 1 (detach)
//   restore SOURCE_UDID=SNAPSHOT_UDID [...] [--flags N]
//                                              restore (N default 0)
//
// N is decimal or 0x hex. The action returns 0, or 1 when the provider's
// operation failed.
#ifndef QUELBCTL_COPY_COMMANDS_H
#define QUELBCTL_COPY_COMMANDS_H

#include "command_arguments.h"

extern const CommandSpec kImportCommand;
extern const CommandSpec kDeportCommand;
extern const CommandSpec kDisposeCommand;
extern const CommandSpec kRestoreCommand;

#endif  // QUELBCTL_COPY_COMMANDS_H
