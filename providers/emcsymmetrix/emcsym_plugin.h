// CEmcSymPlugin: the Symmetrix provider, the plug-in object of libnorvel.so.
#ifndef EMCSYM_PLUGIN_H
#define EMCSYM_PLUGIN_H

#include <initializer_list>
#include <memory>

#include <unicode/fmtable.h>

#include "cfiicucatalog.h"
#include "cfiplugininterposer.h"
#include "emcsym_config.h"

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

  // The SYMCLI bin directory and the tuning parameters found by init.
  const quelb_pdk_4_4::tstring& symCliPath() const { return m_symCliPath; }
  const SEmcSymTuningParams& tuningParams() const { return m_tuningParams; }

 private:
  // init: the message catalog of the provider name, default language root.
  void registerMessageCatalog();
  // Parts of init that let the framework claim, group and configure nodes.
  // Gives the private data manager the factory of CEmcSymPrivateData.
  void registerPrivateDataFactory();
  // Announces the three snapshot methods, Clone, Mirror, Snap.
  void registerSnapshotMethods();
  // Describes "snapshot_resource_spec" in the global parameters of mode 1.
  void registerConfigParams();
  // init: the SYMCLI directory and the tuning parameters; 0 when the
  // directory exists, else MSG_ERROR_CLI_NOT_INSTALLED is pushed and 30
  // returned.
  int locateSymCli();

  // Pushes a message raised in this file at `line` to the error manager.
  void pushMessage(const char* messageId, qlb_eseverity severity, int line,
                   std::initializer_list<icu::Formattable> arguments);

  std::unique_ptr<quelb_pdk_4_4::CFiIcuMessageCatalogFactory> m_catalogFactory;
  quelb_pdk_4_4::tstring m_symCliPath;
  SEmcSymTuningParams m_tuningParams;
};

#endif  // EMCSYM_PLUGIN_H
