#include "registry_locator.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "cficonfigurationtext.h"

using quelb_pdk_4_4::CFiConfigurationText;
using quelb_pdk_4_4::SFiConfigurationFault;

const char* const RegistryLocator::SYSTEM_REGISTRY = "/etc/quelb/registry.reg";

namespace {

const char kInstallKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Dravonel\\Quelb";
const char kInstallValue[] = "\"InstallDir64\"=";

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// The string value `name` (with its quotes and "=") of section `key` in a
// checked registry text; false when absent.
bool findValue(const std::string& text, const std::string& key, const std::string& name,
               std::string& value) {
  std::istringstream lines(CFiConfigurationText::normalize(text));
  std::string line;
  bool inKey = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line[0] == '[') {
      inKey = line.compare(0, key.size() + 2, "[" + key + "]") == 0;
    } else if (inKey && line.compare(0, name.size(), name) == 0 && line.size() > name.size() + 1 &&
               line[name.size()] == '"' && line.back() == '"') {
      value = CFiConfigurationText::unescapeValue(
          line.substr(name.size() + 1, line.size() - name.size() - 2));
      return true;
    }
  }
  return false;
}

}  // namespace

bool RegistryLocator::locate() { return choose() && check(); }

bool RegistryLocator::choose() {
  m_path = environment("QUELB_REGISTRY");
  if (!m_path.empty()) {
    m_origin = "QUELB_REGISTRY";
    if (exists(m_path)) return true;
    m_error = "the registry file " + m_path +
              " named by QUELB_REGISTRY does not exist; correct QUELB_REGISTRY or unset it";
    return false;
  }
  if (exists(SYSTEM_REGISTRY)) {
    m_path = SYSTEM_REGISTRY;
    m_origin = "the system";
    return true;
  }
  const std::string own = m_programDir + "/../etc/quelb/registry.reg";
  if (exists(own)) {
    char resolved[4096];
    m_path = ::realpath(own.c_str(), resolved) ? std::string(resolved) : own;
    m_origin = "this installation";
    ::setenv("QUELB_REGISTRY", m_path.c_str(), 1);
    return true;
  }
  m_error = std::string("no registry file: QUELB_REGISTRY is not set, and neither ") +
            SYSTEM_REGISTRY + " nor " + own +
            " exists; set QUELB_REGISTRY to the etc/quelb/registry.reg of an installation "
            "(cmake --install writes one)";
  return false;
}

bool RegistryLocator::check() {
  std::string text;
  std::string why;
  if (!CFiConfigurationText::readFile(m_path, text, why)) {
    m_error = "the registry file " + m_path + " cannot be read: " + why;
    return false;
  }
  const SFiConfigurationFault fault = CFiConfigurationText::check(text);
  if (!fault.empty()) {
    m_error = "the registry file " + m_path + " cannot be used: ";
    if (fault.kind == "unreadable")
      m_error += fault.text;  // names the line itself
    else
      m_error += "line " + std::to_string(fault.line) +
                 " is no [KEY], \"NAME\"=value or comment line: " + fault.text;
    return false;
  }
  std::string key = kInstallKey;
  const std::string consumer = environment("QUELB_CONSUMER");
  if (!consumer.empty()) key += "\\" + consumer;
  if (findValue(text, key, kInstallValue, m_installDir) && !m_installDir.empty()) return true;
  m_installDir = environment("QUELB_INSTALL_ROOT");
  if (!m_installDir.empty()) return true;
  m_error = "the registry file " + m_path +
            " names no installation directory: add the line "
            "\"InstallDir64\"=\"<installation directory>/\" under [" +
            key + "]";
  return false;
}
