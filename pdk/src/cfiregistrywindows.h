// CFiRegistryWin: the local machine's registry (HKEY_LOCAL_MACHINE) on
// Windows, read through ACE's Win32 registry configuration for keys and
// with the wide registry calls for names and values, so that values in any
// language read right. Opened read-only (KEY_READ), in the process's own
// view (the 64-bit one for this 64-bit library). A value that is not a
// string (REG_SZ or REG_EXPAND_SZ, the latter not expanded) counts as
// absent, as does a key the process may not read. Callers reach it through
// CFiRegistry::localMachine().
#ifndef QLB_PDK_CFIREGISTRYWINDOWS_H
#define QLB_PDK_CFIREGISTRYWINDOWS_H

#include <ace/Configuration.h>

#include <memory>

#include "cfiexport.h"
#include "cfiregistry.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiRegistryWin : public CFiRegistry {
 public:
  CFiRegistryWin();
  ~CFiRegistryWin() override;

  int openKey(const tstring& keyPath, ACE_Configuration_Section_Key& key) override;
  int enumerateSubKey(const ACE_Configuration_Section_Key& key, int index, tstring& name) override;
  int getStringValue(const ACE_Configuration_Section_Key& key, const tstring& name,
                     tstring& value) override;

 private:
  class Registry;
  std::unique_ptr<Registry> m_registry;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIREGISTRYWINDOWS_H
