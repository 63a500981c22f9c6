// CEmcSymPlugin at init: what the provider cannot use of its installation.
//
// A registry or configuration file that exists but cannot be used (not
// readable, or a line the reader would skip) is reported with its path and
// line, and left as it is. A configuration file of the provider in that
// state ends init: running on defaults while the administrator believes
// their settings hold would be worse than stopping.
//
// Without an install path the provider has no locations at all: it writes
// no configuration, trace or cache file (never into the working directory)
// and has no message catalogs. It says so in plain text through the error
// manager's text form, the one way left to reach the user legibly.
#include "cfiicumessage.h"
#include "cfistringtool.h"
#include "emcsym_config.h"
#include "emcsym_plugin.h"

using namespace quelb_pdk_4_4;

namespace {

// The fault in plain words, for the text report without catalogs.
std::string describe(const SFiConfigurationFault& fault) {
  if (fault.kind == "unreadable") return "it cannot be read: " + fault.text;
  return "line " + std::to_string(fault.line) +
         " is no section, value or comment line: " + fault.text;
}

}  // namespace

void CEmcSymPlugin::pushConfigurationFault(const std::string& file,
                                           const SFiConfigurationFault& fault,
                                           qlb_eseverity severity, int line) {
  pushMessage("MSG_ERROR_CONFIG_FILE_UNREADABLE", severity, line,
              {CFiIcuMessage::text(file), icu::Formattable(fault.line),
               CFiIcuMessage::text(fault.kind), CFiIcuMessage::text(fault.text)});
}

void CEmcSymPlugin::reportInstallation() {
  std::string registryFile;
  const SFiConfigurationFault fault = CFiConfigurationPathTool::getRegistryFault(registryFile);
  tstring install;
  CFiConfigurationPathTool::getInstallPath(install);
  if (install.length() > 0) {
    if (!fault.empty()) pushConfigurationFault(registryFile, fault, QLB_SEV_WARNING, __LINE__);
    return;
  }
  const std::string key =
      "HKEY_LOCAL_MACHINE\\" + CFiStringTool::tstr2str(CFiConfigurationPathTool::getInstallKey());
  // The system's registry (Windows) is always there; a registry file may
  // be missing or unreadable, and another installation's may be chosen.
  const bool file = !registryFile.empty();
  std::string why = file ? "the registry file " + registryFile : std::string("the registry");
  if (!fault.empty())
    why += " cannot be used (" + describe(fault) + ")";
  else if (file && CFiConfigurationPathTool::verify(CFiStringTool::str2tstr(registryFile)) != 0)
    why += " does not exist";
  else
    why += " has no value \"InstallDir64\" in the key [" + key + "]";
  const std::string text =
      CFiStringTool::tstr2str(m_providerName) + ": no installation directory is known: " + why +
      ", and the framework names no install root. The provider writes no configuration, trace "
      "or cache file and has no message texts. Name the installation directory as "
      "\"InstallDir64\" in the key [" +
      key + "] of the registry" +
      (file ? " file, or point QUELB_REGISTRY at the registry file of an installation." : ".");
  // No trace: without an install path there is no trace file either.
  if (m_errorManager) m_errorManager->pushError(text.c_str(), QLB_SEV_ERROR);
}
