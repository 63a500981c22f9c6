// The snapshot command of quelbctl: one snapshot taken the way the
// framework takes it, in this one process (the provider keeps what select
// chose in memory, so select, prepare and make must reach the same loaded
// provider).
//
//   snapshot --method NAME UDID=TARGET [UDID=TARGET ...] [--method NAME ...]
//            [--session ID] [--import]
//
// For each source device UDID (a device identity string such as
// UDID##EMC##SYMMETRIX##000190100001##0040) with its target device name
// TARGET on the same array, in the method named by the last --method before
// it (EMC_TimeFinder_Mirror, EMC_TimeFinder_Clone or EMC_TimeFinder_Snap):
// interpose the device's node, build the framework's record of the
// interposer node, init_node it and configure its snapshot resource
// ("<symid>##<source device>;<target device>", config operation 5 in
// mode 1). Then select, prepare and make all sources in one session (ID,
// default "quelbctl-<pid>"), show the snapshot identity of each source and,
// with --import, make each snapshot visible to this host (import_resource
// with flag 0x1). Every node is released again (deinit_node) and every
// record the provider handed out is freed with the utility library, also
// after a failure.
//
// The action returns 0, or 1 when an operation of the provider failed
// (the operations after it are not run).
#ifndef QUELBCTL_LIFECYCLE_COMMANDS_H
#define QUELBCTL_LIFECYCLE_COMMANDS_H

#include "command_arguments.h"

extern const CommandSpec kSnapshotCommand;

#endif  // QUELBCTL_LIFECYCLE_COMMANDS_H
