// Target selection: the configured target of each source device.
#include "emcsym_plugin.h"

int CEmcSymPlugin::select(char*, qlb_splitnode**, int) { return QLB_ERR_NOT_IMPLEMENTED; }
