// The inventory commands of quelbctl: what the provider reports of the
// storage it manages. Each calls one enumeration entry point, shows what
// came back (a table, or a JSON array under "result") and frees it with the
// utility library.
//
//   enclosures [--filter TEXT]              enumerate_enclosures
//   nodes [--flags N] [--filter TEXT]       enumerate_nodes (N decimal or 0x hex; default 0)
//   hosts [--filter TEXT]                   enumerate_host_nodes
//
// TEXT is the framework's filter text, e.g. "vendor_id=EMC,enclosure_id=000190100001".
// The action returns 0, or 1 when the provider's operation failed (the
// list it returned is still shown).
#ifndef QUELBCTL_INVENTORY_COMMANDS_H
#define QUELBCTL_INVENTORY_COMMANDS_H

#include "command_arguments.h"

extern const CommandSpec kEnclosuresCommand;
extern const CommandSpec kNodesCommand;
extern const CommandSpec kHostsCommand;

#endif  // QUELBCTL_INVENTORY_COMMANDS_H
