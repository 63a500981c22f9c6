#include "cfiregistrywindows.h"

#include <winsock2.h>  // before windows.h, as ACE includes it too
#include <windows.h>

#include <vector>

#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

// ACE's registry configuration, with the key handle of a section opened to
// the wide calls.
class CFiRegistryWin::Registry : public ACE_Configuration_Win32Registry {
 public:
  Registry() : ACE_Configuration_Win32Registry(HKEY_LOCAL_MACHINE, KEY_READ) {}

  HKEY handleOf(const ACE_Configuration_Section_Key& key) {
    HKEY handle = nullptr;
    return load_key(key, handle) == 0 ? handle : nullptr;
  }
};

std::unique_ptr<CFiRegistry> CFiRegistry::localMachine() {
  return std::unique_ptr<CFiRegistry>(new CFiRegistryWin());
}

CFiRegistryWin::CFiRegistryWin() : m_registry(new Registry()) {}

CFiRegistryWin::~CFiRegistryWin() {}

int CFiRegistryWin::openKey(const tstring& keyPath, ACE_Configuration_Section_Key& key) {
  const std::string path = CFiStringTool::tstr2str(keyPath);
  if (path.empty()) return -1;
  return m_registry->open_section(m_registry->root_section(), path.c_str(), false, key);
}

int CFiRegistryWin::enumerateSubKey(const ACE_Configuration_Section_Key& key, int index,
                                    tstring& name) {
  HKEY handle = m_registry->handleOf(key);
  if (!handle || index < 0) return -1;
  wchar_t text[256];  // the longest key name the registry allows, and its end
  DWORD length = sizeof text / sizeof text[0];
  if (RegEnumKeyExW(handle, static_cast<DWORD>(index), text, &length, nullptr, nullptr, nullptr,
                    nullptr) != ERROR_SUCCESS)
    return -1;
  name = tstring(text, length);
  return 0;
}

int CFiRegistryWin::getStringValue(const ACE_Configuration_Section_Key& key, const tstring& name,
                                   tstring& value) {
  HKEY handle = m_registry->handleOf(key);
  if (!handle) return -1;
  const std::wstring valueName = CFiStringTool::tstr2wstr(name);
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(handle, valueName.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
    return -1;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return -1;
  // Room for a terminator the stored value may lack.
  std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
  DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegQueryValueExW(handle, valueName.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return -1;
  std::size_t length = size / sizeof(wchar_t);
  if (length > text.size()) length = text.size();
  while (length > 0 && text[length - 1] == L'\0') --length;
  value = tstring(text.data(), length);
  return 0;
}

}  // namespace quelb_pdk_4_4
