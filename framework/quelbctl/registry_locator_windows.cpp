// RegistryLocator on Windows: the registry is the machine's own
// (HKEY_LOCAL_MACHINE), which the provider reads too; there is no file to
// choose. The check is that it names the installation directory
// ("InstallDir64" in SOFTWARE\Dravonel\Quelb, or its subkey of
// $QUELB_CONSUMER), unless $QUELB_INSTALL_ROOT names one.
#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "registry_locator.h"
#include "utf8.h"

const char* const RegistryLocator::SYSTEM_REGISTRY = "HKEY_LOCAL_MACHINE";

namespace {

const wchar_t kInstallKey[] = L"SOFTWARE\\Dravonel\\Quelb";

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

// A string value; false when the key or value is missing or no string.
bool readString(const std::wstring& key, const wchar_t* name, std::string& value) {
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr,
                   &bytes) != ERROR_SUCCESS)
    return false;
  std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text.data(),
                   &bytes) != ERROR_SUCCESS)
    return false;
  value = boundedtext::wideToUtf8(text.data());
  return true;
}

}  // namespace

bool RegistryLocator::locate() {
  m_path = SYSTEM_REGISTRY;
  m_origin = "the system";
  std::wstring key = kInstallKey;
  const std::string consumer = environment("QUELB_CONSUMER");
  if (!consumer.empty()) key += L"\\" + boundedtext::utf8ToWide(consumer);
  if (readString(key, L"InstallDir64", m_installDir) && !m_installDir.empty()) return true;
  m_installDir = environment("QUELB_INSTALL_ROOT");
  if (!m_installDir.empty()) return true;
  m_error =
      "the registry names no installation directory: add the string value InstallDir64 "
      "(the installation directory, ending in \\) to HKEY_LOCAL_MACHINE\\" +
      boundedtext::wideToUtf8(key.c_str()) + " or set QUELB_INSTALL_ROOT";
  return false;
}
