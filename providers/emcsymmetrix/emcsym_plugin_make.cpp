// Make: the point-in-time copies of a session's nodes.
#include "emcsym_plugin.h"

int CEmcSymPlugin::makeSnapshots(SessionRef&) { return QLB_ERR_NOT_IMPLEMENTED; }
