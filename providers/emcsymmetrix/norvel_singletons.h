// The six process-wide objects of the provider library, each behind its own
// accessor (see CFiSingletonAccessor), and the provider name.
#ifndef NORVEL_SINGLETONS_H
#define NORVEL_SINGLETONS_H

#include "cfierrormgr.h"
#include "cfimsgcatalogmgr.h"
#include "cfipluginbase.h"
#include "cfiprivatedata.h"
#include "cfisession.h"
#include "cfismartptr.h"
#include "cfitracelog.h"
#include "cfitstring.h"

namespace norvel {

using namespace quelb_pdk_4_4;

// "norvel"
const tstring& providerName();

// With release true each accessor drops the process-wide instance;
// otherwise it creates it on first use. Both return a reference (possibly
// empty after a release).
CFiPluginBase::ErrorManagerRef errorManager(bool release = false);
CFiPluginBase::CatalogManagerRef catalogManager(bool release = false);
CFiPluginBase::PrivateDataManagerRef privateDataManager(bool release = false);
CFiPluginBase::SessionManagerRef sessionManager(bool release = false);
CFiSmartPtr<CFiTraceLog, CFiContextSingletonAllocator<CFiTraceLog> > traceLog(bool release = false);
CFiSmartPtr<CFiPluginBase, CFiContextSingletonAllocator<CFiPluginBase> > plugin(
    bool release = false);

// Replaces the process-wide plug-in object (for tests that drive the entry
// points against an instrumented provider). Null empties the holder.
void replacePlugin(CFiPluginBase* plugin);

}  // namespace norvel

#endif  // NORVEL_SINGLETONS_H
