// CEmcSymPlugin: the Symmetrix provider, the plug-in object of libnorvel.so.
#ifndef EMCSYM_PLUGIN_H
#define EMCSYM_PLUGIN_H

#include "cfiplugininterposer.h"

// Names of the three snapshot methods and the claim pattern of this
// provider's device identity strings.
extern const char* const EMC_TIMEFINDER_CLONE;   // "EMC_TimeFinder_Clone"
extern const char* const EMC_TIMEFINDER_MIRROR;  // "EMC_TimeFinder_Mirror"
extern const char* const EMC_TIMEFINDER_SNAP;    // "EMC_TimeFinder_Snap"
extern const char* const EMC_SYM_CLAIM_PATTERN;  // "UDID##EMC##SYMMETRIX##"

class CEmcSymPlugin : public quelb_pdk_4_4::CFiPluginInterposer {
 public:
  CEmcSymPlugin();
  ~CEmcSymPlugin() override;

  int init() override;
  void fini() override;
  int getProviderInfo(qlb_provider_list** result) override;
  int enumerateFims(qlb_fim_list** result) override;

 private:
  // Parts of init that let the framework claim, group and configure nodes.
  // Gives the private data manager the factory of CEmcSymPrivateData.
  void registerPrivateDataFactory();
  // Announces the three snapshot methods, Clone, Mirror, Snap.
  void registerSnapshotMethods();
  // Describes "snapshot_resource_spec" in the global parameters of mode 1.
  void registerConfigParams();
};

#endif  // EMCSYM_PLUGIN_H
