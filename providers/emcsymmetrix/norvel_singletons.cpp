#include "norvel_singletons.h"

#include "cfisingleton.h"
#include "emcsym_config.h"
#include "emcsym_plugin.h"

namespace norvel {

const tstring& providerName() {
  static const tstring name(CEmcSymConfiguration::PROVIDER_NAME);
  return name;
}

CFiPluginBase::ErrorManagerRef errorManager(bool release) {
  return CFiSingletonAccessor<CFiErrorManager>::access(release);
}

CFiPluginBase::CatalogManagerRef catalogManager(bool release) {
  return CFiSingletonAccessor<CFiMessageCatalogManager>::access(release);
}

CFiPluginBase::PrivateDataManagerRef privateDataManager(bool release) {
  return CFiSingletonAccessor<CFiPrivateDataManager>::access(release);
}

CFiPluginBase::SessionManagerRef sessionManager(bool release) {
  return CFiSingletonAccessor<CFiSessionManager>::access(release);
}

CFiSmartPtr<CFiTraceLog, CFiContextSingletonAllocator<CFiTraceLog> > traceLog(bool release) {
  return CFiSingletonAccessor<CFiTraceLog>::access(release);
}

CFiSmartPtr<CFiPluginBase, CFiContextSingletonAllocator<CFiPluginBase> > plugin(bool release) {
  return CFiSingletonAccessor<CFiPluginBase, CEmcSymPlugin>::access(release);
}

void replacePlugin(CFiPluginBase* replacement) {
  CFiSingletonAccessor<CFiPluginBase, CEmcSymPlugin>::replace(replacement);
}

}  // namespace norvel
