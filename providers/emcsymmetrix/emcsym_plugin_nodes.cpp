// The parts of CEmcSymPlugin::init that let the framework claim, group and
// configure this provider's nodes.
#include "cficonfig.h"
#include "cfiprivatedata.h"
#include "emcsym_plugin.h"
#include "emcsym_privatedata.h"

using namespace quelb_pdk_4_4;

namespace {

const char kQuiesceNone[] = "FI_QUIESCE_NONE";
const int kMethodFlags = 3;
const int kSnapshotMode = 1;

}  // namespace

void CEmcSymPlugin::registerPrivateDataFactory() {
  CFiPrivateDataFactoryPtr factory(new CFiPrivateDataConcreteFactory<CEmcSymPrivateData>);
  factory->setTraceLog(m_traceLog);
  if (m_privateDataManager) m_privateDataManager->registerFactory(factory);
}

void CEmcSymPlugin::registerSnapshotMethods() {
  for (const char* method : {EMC_TIMEFINDER_CLONE, EMC_TIMEFINDER_MIRROR, EMC_TIMEFINDER_SNAP})
    addFim(EMC_SYM_CLAIM_PATTERN, method, kQuiesceNone, kMethodFlags, std::string());
}

void CEmcSymPlugin::registerConfigParams() {
  CFiConfigParamInfo spec(FI_CONFIG_PARAM_SNAPSHOT_RESOURCE_SPEC, "", FI_CONFIG_USAGE_SELECT, "",
                          false, false);
  addDefaultConfigInfoParam(spec, kSnapshotMode, false);
}
