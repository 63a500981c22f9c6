#include "cfiregistry.h"

namespace quelb_pdk_4_4 {

CFiRegistry::~CFiRegistry() {}

int CFiRegistry::readString(const tstring& keyPath, const tstring& name, tstring& value) {
  ACE_Configuration_Section_Key key;
  int status = openKey(keyPath, key);
  if (status != 0) return status;
  return getStringValue(key, name, value);
}

std::string CFiRegistry::location() const { return "HKEY_LOCAL_MACHINE"; }

SFiConfigurationFault CFiRegistry::fault() const { return SFiConfigurationFault(); }

}  // namespace quelb_pdk_4_4
