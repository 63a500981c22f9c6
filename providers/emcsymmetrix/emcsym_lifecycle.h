// Small pieces that the snapshot lifecycle operations of CEmcSymPlugin
// share: the name of a split node's source node and the pair line of a
// device pair.
#ifndef EMCSYM_LIFECYCLE_H
#define EMCSYM_LIFECYCLE_H

#include <quelb/quelb_records.h>

#include <string>

#include "cfitstring.h"

namespace emcsym {

// The identity string of the split node's source node: the node's name,
// else (for a record the interposer has not named yet) its id text. Empty
// for a null split node, source node or text.
quelb_pdk_4_4::tstring sourceNodeName(const qlb_splitnode* split);

// The split node's method name; empty when it has none.
std::string methodName(const qlb_splitnode* split);

// "<source device> <target device>": one line of a pair file.
std::string pairLine(const std::string& source, const std::string& target);

}  // namespace emcsym

#endif  // EMCSYM_LIFECYCLE_H
