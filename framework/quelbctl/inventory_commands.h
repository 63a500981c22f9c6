// The inventory commands of quelbctl: what the provider reports of the
// storage it manages. Each calls one enumeration entry point, prints what
// came back and frees it with the utility library.
//
//   enclosures [--filter TEXT]              enumerate_enclosures
//   nodes [--flags N] [--filter TEXT]       enumerate_nodes (N decimal or 0x hex; default 0)
//   hosts [--filter TEXT]                   enumerate_host_nodes
//
// TEXT is the framework's filter text, e.g. "vendor_id=EMC,enclosure_id=000190100001".
// Each returns quelbctl's exit status: 0, 1 when the provider's operation
// failed (the list it returned is still printed), 2 for bad arguments.
#ifndef QUELBCTL_INVENTORY_COMMANDS_H
#define QUELBCTL_INVENTORY_COMMANDS_H

#include <string>
#include <vector>

#include <quelb/quelb_pgn.h>

#include "report.h"

// Usage lines of the three commands and their options, for the help text.
extern const char* const kInventoryUsage;

int runEnclosures(const qlb_pgn_table& pgn, const std::vector<std::string>& arguments);
int runNodes(const qlb_pgn_table& pgn, const std::vector<std::string>& arguments);
int runHosts(const qlb_pgn_table& pgn, const std::vector<std::string>& arguments);

#endif  // QUELBCTL_INVENTORY_COMMANDS_H
