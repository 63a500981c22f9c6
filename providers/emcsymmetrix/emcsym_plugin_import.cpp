// Import and deport: makes one device visible to this host or hides it.
#include "emcsym_plugin.h"

int CEmcSymPlugin::importNode(const quelb_pdk_4_4::tstring&, const std::vector<quelb_pdk_4_4::tstring>&,
                              bool, bool, bool, int) {
  return QLB_ERR_NOT_IMPLEMENTED;
}

int CEmcSymPlugin::deportTree(qlb_domain*, qlb_domain*, qlb_accessnode*) { return 0; }
