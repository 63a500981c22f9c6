#include "emcsym_config.h"

#include <initializer_list>
#include <memory>

#include "cfiplatform.h"
#include "cfiregistry.h"
#include "cfistringtool.h"

using namespace quelb_pdk_4_4;

namespace {

const wchar_t* const kSourceFile = L"providers/emcsymmetrix/emcsym_config";
const wchar_t* const kRegistryFunction = L"CEmcSymConfiguration::getSymCliDirFromRegistry";

// The directory below `directory` named by the path components, ending in
// the separator; the separator is never doubled (an empty directory stands
// for the root).
tstring below(const tstring& directory, std::initializer_list<const wchar_t*> components) {
  const wchar_t separator[2] = {FI_PATH_SEPARATOR, L'\0'};
  tstring path = directory.length() == 0 ? tstring(separator) : fiWithSeparator(directory);
  for (const wchar_t* component : components) path += fiWithSeparator(tstring(component));
  return path;
}

CFiError registryError(int status, const wchar_t* text, int line) {
  return CFiError(status, tstring(text), tstring(kSourceFile), line, tstring(kRegistryFunction));
}

}  // namespace

const wchar_t* const CEmcSymConfiguration::PROVIDER_NAME = L"norvel";

CEmcSymConfiguration::CEmcSymConfiguration() : CFiConfiguration(tstring(PROVIDER_NAME)) {}

CEmcSymConfiguration::CEmcSymConfiguration(const tstring& providerName)
    : CFiConfiguration(providerName) {}

// A FILEPATH that is present is used as read, even an empty one (which
// becomes "/"): only a missing one falls back to the registry.
tstring CEmcSymConfiguration::importCliPathInfo() {
  ACE_Configuration_Section_Key section;
  tstring path;
  if (openSection(tstring(L"CLI_TOOL_INFO"), section, true) == 0 &&
      getStringValue(tstring(L"FILEPATH"), path) == 0) {
    const wchar_t separator[2] = {FI_PATH_SEPARATOR, L'\0'};
    path = path.length() == 0 ? tstring(separator) : fiWithSeparator(path);
    trace(FI_TRACE_INFO, "SYMCLI path from the configuration file: %s",
          CFiStringTool::tstr2str(path).c_str());
    return path;
  }
  try {
    path = below(getSymCliDirFromRegistry(), {L"bin"});
  } catch (const CFiError& error) {
    trace(FI_TRACE_INFO, "%s Using the Program Files directory.",
          CFiStringTool::tstr2str(error.detail()).c_str());
    tstring programFiles;
    CFiConfigurationPathTool::getProgramFilesDir(programFiles);
    path = below(programFiles, {L"EMC", L"SYMCLI", L"bin"});
  }
  trace(FI_TRACE_INFO, "SYMCLI path: %s", CFiStringTool::tstr2str(path).c_str());
  return path;
}

tstring CEmcSymConfiguration::getSymCliDirFromRegistry() {
  std::unique_ptr<CFiRegistry> local = CFiRegistry::localMachine();
  CFiRegistry& registry = *local;
  ACE_Configuration_Section_Key key;
  if (registry.openKey(tstring(L"SOFTWARE\\EMC\\SYMCLI\\V6.0"), key) != 0) {
    ACE_Configuration_Section_Key symcli;
    int status = registry.openKey(tstring(L"SOFTWARE\\EMC\\SYMCLI"), symcli);
    if (status != 0)
      throw registryError(status,
                          L"Failed to access registry section SOFTWARE\\EMC\\SYMCLI to determine "
                          L"SYMCLI install path.",
                          __LINE__);
    tstring version;
    status = registry.enumerateSubKey(symcli, 0, version);
    if (status != 0)
      throw registryError(status,
                          L"Failed to find registry sub-section of HKLM\\SOFTWARE\\EMC\\SYMCLI to "
                          L"determine SYMCLI install path.",
                          __LINE__);
    status = registry.openKey(tstring(L"SOFTWARE\\EMC\\SYMCLI\\") + version, key);
    if (status != 0)
      throw registryError(
          status,
          L"Failed to access registry sub-section of HKLM\\SOFTWARE\\EMC\\SYMCLI to "
          L"determine SYMCLI install path.",
          __LINE__);
  }
  tstring home;
  int status = registry.getStringValue(key, tstring(L"SYMAPI_HOME_DIR"), home);
  if (status != 0)
    throw registryError(status,
                        L"Failed to access SYMAPI_HOME_DIR path value from "
                        L"HKLM\\SOFTWARE\\EMC\\SYMCLI in registry.",
                        __LINE__);
  return home;
}

int CEmcSymConfiguration::getTuningParams(SEmcSymTuningParams& params) {
  try {
    CFiConfiguration fresh;
    tstring directory;
    tstring fileName;
    CFiConfigurationPathTool::getConfigFileInfo(name(), directory, fileName);
    fresh.importConfig(directory, fileName);
    ACE_Configuration_Section_Key section;
    if (fresh.openSection(tstring(L"TUNING_PARAMS"), section, true) == 0) {
      fresh.getIntegerValue(tstring(L"LOCK_RETRY_DELAY_IN_SEC"), params.lockRetryDelayInSec);
      fresh.getIntegerValue(tstring(L"LOCK_RETRY_ATTEMPTS"), params.lockRetryAttempts);
      fresh.getIntegerValue(tstring(L"POST_UNMASK_WAIT_IN_SEC"), params.postUnmaskWaitInSec);
      uint32_t timeout = 0;
      fresh.getIntegerValue(tstring(L"CLI_TIMEOUT_IN_SEC"), timeout);
      if (timeout > 0) params.cliTimeoutInSec = timeout;
    }
  } catch (...) {
    // Whatever was read so far stays; the rest keep their defaults.
  }
  return 0;
}

uint32_t CEmcSymConfiguration::getRestoreTimeout() {
  uint32_t timeout = 6000;
  ACE_Configuration_Section_Key section;
  if (openSection(tstring(L"RESTORE_INFO"), section, true) == 0)
    getIntegerValue(tstring(L"TIMEOUT"), timeout);
  return timeout;
}
