// Plug-in base operations that work on a node's private data: config,
// reAccessTmpObj, reAccessAltNode, deInitNode, subobjList, setImportOptions.
#include "cfipluginbase.h"

namespace quelb_pdk_4_4 {

#define FI_BASE_SCOPE(op) CFiTraceLogFunction fiScope(m_traceLog, "quelb_pdk_4_4::CFiPluginBase::" op)

int CFiPluginBase::config(qlb_domain*, int, char*, qlb_confspec*) {
  FI_BASE_SCOPE("config");
  return QLB_ERR_INVALID_ARG;
}

int CFiPluginBase::reAccessTmpObj(qlb_domain*, quelb_objid*, char*, qlb_domain*, char*, qlb_intent) {
  FI_BASE_SCOPE("reAccessTmpObj");
  return 0;
}

int CFiPluginBase::reAccessAltNode(qlb_domain*, quelb_objid*, quelb_objid*, char*, quelb_objid**,
                                   quelb_objid**, int, qlb_intent) {
  FI_BASE_SCOPE("reAccessAltNode");
  return 0;
}

void CFiPluginBase::deInitNode(qlb_domain*) { FI_BASE_SCOPE("deInitNode"); }

int CFiPluginBase::subobjList(qlb_domain*, quelb_objid***, int*) {
  FI_BASE_SCOPE("subobjList");
  return 0;
}

int CFiPluginBase::setImportOptions(qlb_splitnode**, int, qlb_host_infn*, int, void*) {
  FI_BASE_SCOPE("setImportOptions");
  return 0;
}

}  // namespace quelb_pdk_4_4
