// Declarations of the 70 exported entry points of libnorvel.so, each with
// the type the framework's operation table gives it.
#ifndef NORVEL_ENTRY_H
#define NORVEL_ENTRY_H

#include <quelb/quelb_pgn.h>

#include <type_traits>

#define NORVEL_DECLARE_ENTRY(op)                    \
  extern "C" __attribute__((visibility("default"))) \
  std::remove_pointer<qlb_pgn_##op##_t>::type norvel_fi_pgn_##op;
QLB_PGN_OPERATIONS(NORVEL_DECLARE_ENTRY)
#undef NORVEL_DECLARE_ENTRY

#endif  // NORVEL_ENTRY_H
