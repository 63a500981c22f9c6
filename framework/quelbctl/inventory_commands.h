// The inventory commands of quelbctl: what the provider reports of the
// storage it manages. Each calls one enumeration entry point, prints what
// came back and frees it with the utility library.
//
//   enclosures [--filter TEXT]              enumerate_enclosures
//   nodes [--flags N] [--filter TEXT]       enumerate_nodes (N decimal or 0x hex; default 0)
//   hosts [--filter TEXT]                   enumerate_host_nodes
//
// TEXT is the framework's filter text, e.g. "vendor_id=EMC,enclosure_id=000190100001".
// Each reads its arguments and returns the action to run (empty after a
// message for bad arguments); the action returns 0, or 1 when the
// provider's operation failed (the list it returned is still printed).
#ifndef QUELBCTL_INVENTORY_COMMANDS_H
#define QUELBCTL_INVENTORY_COMMANDS_H

#include <string>
#include <vector>

#include "command_arguments.h"

// Usage lines of the three commands and their options, for the help text.
extern const char* const kInventoryUsage;

CommandAction prepareEnclosures(const std::vector<std::string>& arguments);
CommandAction prepareNodes(const std::vector<std::string>& arguments);
CommandAction prepareHosts(const std::vector<std::string>& arguments);

#endif  // QUELBCTL_INVENTORY_COMMANDS_H
