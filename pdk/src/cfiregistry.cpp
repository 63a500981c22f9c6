#include "cfiregistry.h"

namespace quelb_pdk_4_4 {

CFiRegistry::~CFiRegistry() {}

int CFiRegistry::readString(const tstring& keyPath, const tstring& name, tstring& value) {
  ACE_Configuration_Section_Key key;
  int status = openKey(keyPath, key);
  if (status != 0) return status;
  return getStringValue(key, name, value);
}

}  // namespace quelb_pdk_4_4
