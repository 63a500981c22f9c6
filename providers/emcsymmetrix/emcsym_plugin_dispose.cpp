// Dispose: undoes one snapshot.
#include "emcsym_plugin.h"

int CEmcSymPlugin::dispose(qlb_domain*, qlb_domain*, qlb_splitnode*, qlb_disposition) { return 0; }
