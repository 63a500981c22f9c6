// Prepare: brings the selected pairs into the state make needs.
#include "emcsym_plugin.h"

int CEmcSymPlugin::prepare(char*, qlb_splitnode**, int, int) { return QLB_ERR_NOT_IMPLEMENTED; }
