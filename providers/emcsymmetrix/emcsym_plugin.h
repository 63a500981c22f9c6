// CEmcSymPlugin: the Symmetrix provider, the plug-in object of libnorvel.so.
#ifndef EMCSYM_PLUGIN_H
#define EMCSYM_PLUGIN_H

#include <unicode/fmtable.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "cfiicucatalog.h"
#include "cfiplugininterposer.h"
#include "emcsym_config.h"
#include "emcsym_guard.h"
#include "emcsym_records.h"

class CEmcSymCliTool;
namespace quelb_pdk_4_4 {
class CFiAttributeFilter;
class CFiNode;
class CFiNodeListFactory;
}  // namespace quelb_pdk_4_4

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

  // Start-up (emcsym_plugin.cpp, emcsym_plugin_startup.cpp).
  int delayedInit() override;
  int init() override;
  void fini() override;

  // Provider information and snapshot methods (emcsym_plugin.cpp).
  int getProviderInfo(qlb_provider_list** result) override;
  int enumerateFims(qlb_fim_list** result) override;

  // Arrays, devices and host nodes (emcsym_plugin_enumerate.cpp). Each
  // returns 0 and its list (possibly empty), 1 when the delayed
  // initialisation failed, 6 for a failure caught by the operation guard;
  // enumerateNodes also 3 when the enclosure filter names no array. A null
  // result pointer gives 3 at once.
  int enumerateEnclosures(qlb_enclosure_node_list** result, int* count, wchar_t* filter) override;
  int enumerateNodes(qlb_node_list** result, int* count, int flags, wchar_t* filter) override;
  int enumerateHostNodes(qlb_host_node_list** result, int* count, wchar_t* filter) override;

  // The snapshot lifecycle. Each runs under the operation guard.
  // Target selection (emcsym_plugin_select.cpp).
  int select(char* sessionId, qlb_splitnode** list, int count) override;
  // Prepare (emcsym_plugin_prepare.cpp).
  int prepare(char* sessionId, qlb_splitnode** list, int count, int value) override;
  // Make: the session form (emcsym_plugin_make.cpp).
  int makeSnapshots(SessionRef& session) override;
  // Dispose (emcsym_plugin_dispose.cpp).
  int dispose(qlb_domain* primary, qlb_domain* target, qlb_splitnode* split,
              qlb_disposition disposition) override;
  // Restore (emcsym_plugin_restore.cpp).
  int restore(quelb_objid** sources, quelb_objid** targets, long count, wchar_t* a, wchar_t* b,
              long flags, long* status) override;
  // Import and deport of one device to this host (emcsym_plugin_import.cpp).
  int importNode(const quelb_pdk_4_4::tstring& name,
                 const std::vector<quelb_pdk_4_4::tstring>& hosts, bool transportable,
                 bool removeOthers, bool deport, int mode) override;
  int deportTree(qlb_domain* node, qlb_domain* node2, qlb_accessnode* access) override;

  // The lifecycle members: pair lines chosen by select, per Symmetrix ID,
  // and the names of the pair files the last operation wrote, per
  // Symmetrix ID. They are shared by every session of the provider. A
  // framework may call from several threads at once, so select, prepare,
  // make, dispose and restore each hold m_lifecycleLock for their whole
  // run and run one at a time (their SYMCLI commands would anyway, under
  // the CLI lock); unguarded, two of them would change these maps at once.
  typedef std::map<std::string, std::vector<std::string> > PairLines;
  typedef std::map<std::string, std::string> PairFileNames;
  const PairLines& selectedPairs() const { return m_selectedPairs; }
  const PairFileNames& pairFiles() const { return m_pairFiles; }
  const PairFileNames& preparedPairFiles() const { return m_preparedPairFiles; }

  // The SYMCLI bin directory and the tuning parameters found by init.
  const quelb_pdk_4_4::tstring& symCliPath() const { return m_symCliPath; }
  const SEmcSymTuningParams& tuningParams() const { return m_tuningParams; }
  // The locally attached arrays with their sizes in bytes, and the three
  // characters of the SYMCLI version ("7.0"), as the delayed
  // initialisation found them; empty before it.
  const std::vector<SEmcSymArrayInfo>& arrays() const { return m_arrays; }
  const std::string& symCliVersion() const { return m_symCliVersion; }

 protected:
  // Runs an operation's body under the operation guard (emcsym_guard.h);
  // `line` is the operation's own line (__LINE__).
  template <class Body>
  int guarded(CEmcSymOperationGuard::Kind kind, int line, Body&& body) {
    return CEmcSymOperationGuard(kind, line, m_errorManager.get()).run(std::forward<Body>(body));
  }

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
  // returned. A configuration file that exists but cannot be used pushes
  // MSG_ERROR_CONFIG_FILE_UNREADABLE and returns 30 first.
  int locateSymCli();
  // init: reports a registry file that cannot be used and a missing
  // install path (emcsym_plugin_installation.cpp).
  void reportInstallation();
  void pushConfigurationFault(const std::string& file,
                              const quelb_pdk_4_4::SFiConfigurationFault& fault,
                              qlb_eseverity severity, int line);

  // delayedInit: discovery, version check and output form, array list and
  // sizes (emcsym_plugin_startup.cpp).
  int discoverArrays();
  // Stores each array's available and total storage in bytes.
  void readArraySizes(CEmcSymCliTool& tool);
  // prepare: terminates the clone or snap sessions (`method`) of the
  // prepared pairs, whose lines per array are `lines`; a failure other than
  // finding no session is a warning (emcsym_plugin_prepare.cpp).
  void terminateEarlierSessions(CEmcSymCliTool& tool, const std::wstring& method,
                                const PairLines& lines);

  // The enumerations' common check: false when the filter excludes this
  // provider (name, vendor or product).
  bool filterSelectsProvider(const quelb_pdk_4_4::CFiAttributeFilter& filter) const;
  // Warnings for what the filter asks that cannot match: attributes the
  // provider does not know and another provider, vendor or product
  // (reportFilter), arrays that are not attached (reportArrayFilter, once
  // the arrays are known).
  void reportFilter(const quelb_pdk_4_4::CFiAttributeFilter& filter);
  void reportArrayFilter(const quelb_pdk_4_4::CFiAttributeFilter& filter);
  // Whether the filter's enclosure id and name let the array pass.
  static bool filterSelectsArray(const quelb_pdk_4_4::CFiAttributeFilter& filter,
                                 const std::string& symid);
  int listEnclosures(qlb_enclosure_node_list** result, int* count, wchar_t* filter);
  int listNodes(qlb_node_list** result, int* count, int flags, wchar_t* filter);
  // enumerateNodes with a "udid" filter: that one device.
  int listSingleDevice(quelb_pdk_4_4::CFiNodeListFactory& factory,
                       const quelb_pdk_4_4::CFiAttributeFilter& filter);
  // enumerateNodes otherwise: the devices of the arrays the filter selects.
  int listArrayDevices(quelb_pdk_4_4::CFiNodeListFactory& factory,
                       const quelb_pdk_4_4::CFiAttributeFilter& filter, int flags, int* count);
  int listHostNodes(qlb_host_node_list** result, int* count, wchar_t* filter);
  // The node element of a device whose name is `key` (deviceKey), named by
  // the identity `udid`.
  quelb_pdk_4_4::CFiNode deviceNode(const SEmcSymDevInfo& device, const std::string& key,
                                    const std::string& udid) const;

  // Pushes a message raised in this file at `line` to the error manager.
  void pushMessage(const char* messageId, qlb_eseverity severity, int line,
                   std::initializer_list<icu::Formattable> arguments);
  // Pushes MSG_WARNING_CLI_FAILURE_IGNORED (severity warning: the operation
  // goes on and keeps its result) or MSG_ERROR_MASKING_FAILED for a step of
  // `kind` ("mask_remove", "mask_refresh", "array_size", "terminate",
  // "host_logins", "mask_assignments", "mask_add", "hba_list") that
  // failed: device, array and the HBA WWN or target device it concerns,
  // then the failed run (result code name, command, exit status, output).
  void pushCliFailure(const char* messageId, qlb_eseverity severity, int line, const char* kind,
                      const std::string& device, const std::string& array, const std::string& other,
                      const EEmcSymCliFailure& failure);

  std::unique_ptr<quelb_pdk_4_4::CFiIcuMessageCatalogFactory> m_catalogFactory;
  quelb_pdk_4_4::tstring m_symCliPath;
  SEmcSymTuningParams m_tuningParams;
  std::vector<SEmcSymArrayInfo> m_arrays;
  std::string m_symCliVersion;

  std::mutex m_lifecycleLock;
  PairLines m_selectedPairs;
  PairFileNames m_pairFiles;
  PairFileNames m_preparedPairFiles;
};

#endif  // EMCSYM_PLUGIN_H
