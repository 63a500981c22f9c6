// The info command of quelbctl: the provider's own description
// (get_provider_info) and its snapshot methods (enumerate_fims).
#ifndef QUELBCTL_INFO_COMMAND_H
#define QUELBCTL_INFO_COMMAND_H

#include "command_arguments.h"

extern const CommandSpec kInfoCommand;

#endif  // QUELBCTL_INFO_COMMAND_H
