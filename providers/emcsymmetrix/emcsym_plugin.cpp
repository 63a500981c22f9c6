#include "emcsym_plugin.h"

#include "cfilist.h"
#include "cfiplatform.h"
#include "cfistringtool.h"
#include "emcsym_clitool.h"

using namespace quelb_pdk_4_4;

const char* const EMC_TIMEFINDER_CLONE = "EMC_TimeFinder_Clone";
const char* const EMC_TIMEFINDER_MIRROR = "EMC_TimeFinder_Mirror";
const char* const EMC_TIMEFINDER_SNAP = "EMC_TimeFinder_Snap";
const char* const EMC_SYM_CLAIM_PATTERN = "UDID##EMC##SYMMETRIX##";

CEmcSymPlugin::CEmcSymPlugin() {}

CEmcSymPlugin::~CEmcSymPlugin() {
  if (m_catalogManager && m_catalogFactory)
    m_catalogManager->unregisterFactory(m_catalogFactory.get());
}

int CEmcSymPlugin::init() {
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::init");
  return guarded(CEmcSymOperationGuard::INIT, __LINE__, [this] {
    registerMessageCatalog();
    reportInstallation();
    // Node support: private data, snapshot methods and the configuration
    // parameter (emcsym_plugin_nodes.cpp).
    registerPrivateDataFactory();
    registerSnapshotMethods();
    registerConfigParams();
    return locateSymCli();
  });
}

void CEmcSymPlugin::fini() { CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::fini"); }

// --- start-up: message catalog, SYMCLI location ------------------------------

void CEmcSymPlugin::registerMessageCatalog() {
  std::unique_ptr<CFiIcuMessageCatalogFactory> factory(
      new CFiIcuMessageCatalogFactory("root", m_providerName));
  if (m_catalogManager) m_catalogManager->registerFactory(factory.get());
  m_catalogFactory = std::move(factory);
}

int CEmcSymPlugin::locateSymCli() {
  CEmcSymConfiguration config(m_providerName);
  config.setTraceLog(m_traceLog);
  if (!config.fault().empty()) {
    pushConfigurationFault(CFiStringTool::tstr2str(config.path()), config.fault(), QLB_SEV_ERROR,
                           __LINE__);
    return QLB_ERR_PROVIDER_INIT;
  }
  m_symCliPath = config.importCliPathInfo();
  m_tuningParams = SEmcSymTuningParams();
  config.getTuningParams(m_tuningParams);
  if (m_symCliPath.length() > 0 && CFiConfigurationPathTool::verify(m_symCliPath) == 0) return 0;
  // The tool is named as this platform names its executable.
  pushMessage("MSG_ERROR_CLI_NOT_INSTALLED", QLB_SEV_WARNING, __LINE__,
              {CFiIcuMessage::text(m_symCliPath),
               CFiIcuMessage::text(std::string("symcfg") + FI_EXE_SUFFIX)});
  return QLB_ERR_PROVIDER_INIT;
}

void CEmcSymPlugin::pushMessage(const char* messageId, qlb_eseverity severity, int line,
                                std::initializer_list<icu::Formattable> arguments) {
  if (!m_errorManager) return;
  m_errorManager->pushError(CFiMessagePtr(
      new CFiIcuMessage(messageId, arguments, severity, CEmcSymOperationGuard::SOURCE_FILE, line)));
}

void CEmcSymPlugin::pushCliFailure(const char* messageId, qlb_eseverity severity, int line,
                                   const char* kind, const std::string& device,
                                   const std::string& array, const std::string& other,
                                   const EEmcSymCliFailure& failure) {
  pushMessage(
      messageId, severity, line,
      {CFiIcuMessage::text(kind), CFiIcuMessage::text(device), CFiIcuMessage::text(array),
       CFiIcuMessage::text(other), CFiIcuMessage::text(fiExecPipeCodeName(failure.getCode())),
       CFiIcuMessage::text(failure.getCommand()), icu::Formattable(failure.getExitStatus()),
       CFiIcuMessage::text(emcsymOutputText(failure.getOutput())),
       icu::Formattable(static_cast<int32_t>(failure.getOutput().size()))});
}

int CEmcSymPlugin::getProviderInfo(qlb_provider_list** result) {
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::getProviderInfo");
  return guarded(CEmcSymOperationGuard::OPERATION, __LINE__, [&] {
    CFiProviderInfoListFactory factory(m_providerName, result);
    CFiProviderInfo info(1, 2, 0);
    info.addClaimPattern(CFiStringTool::str2tstr(EMC_SYM_CLAIM_PATTERN));
    factory.add(info);
    return 0;
  });
}

int CEmcSymPlugin::enumerateFims(qlb_fim_list** result) {
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::enumerateFims");
  return guarded(CEmcSymOperationGuard::OPERATION, __LINE__, [&] {
    CFiFimListFactory factory(m_providerName, result);
    const tstring version(L"1.0");
    const struct {
      const char* name;
      uint32_t fourth;
    } methods[] = {{EMC_TIMEFINDER_CLONE, 1}, {EMC_TIMEFINDER_MIRROR, 1}, {EMC_TIMEFINDER_SNAP, 0}};
    for (const auto& m : methods) {
      tstring name = CFiStringTool::str2tstr(m.name);
      factory.add(CFiFim(name, 0, 0, 1, m.fourth, 0, 5, name, version));
    }
    return 0;
  });
}
