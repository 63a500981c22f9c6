// Restore: copies snapshots back onto their source devices.
#include "emcsym_plugin.h"

int CEmcSymPlugin::restore(quelb_objid**, quelb_objid**, long, wchar_t*, wchar_t*, long, long*) {
  return QLB_ERR_NOT_IMPLEMENTED;
}
