// CFiRegistryPosix: the local machine's registry (HKEY_LOCAL_MACHINE) on
// POSIX systems. It is a registry file in the configuration file format,
// named by the environment variable QUELB_REGISTRY (default
// /etc/quelb/registry.reg), whose sections carry the key paths:
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Dravonel\Quelb]
//   "InstallDir64"="/opt/quelb/"
//
// A missing or unreadable file reads like a registry without the key.
// Read-only; the file is read when the object is made.
#ifndef QLB_PDK_CFIREGISTRYPOSIX_H
#define QLB_PDK_CFIREGISTRYPOSIX_H

#include <ace/Configuration.h>

#include <string>

#include "cficonfiguration.h"
#include "cfiexport.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiRegistryPosix {
 public:
  CFiRegistryPosix();

  // $QUELB_REGISTRY, or /etc/quelb/registry.reg when it is unset or empty.
  static std::string registryFilePath();

  // Opens a key below HKEY_LOCAL_MACHINE ("SOFTWARE\EMC\SYMCLI"). 0 on
  // success; non-zero when the key does not exist.
  int openKey(const tstring& keyPath, ACE_Configuration_Section_Key& key);
  // The name of the key's sub-key at `index`. 0 on success.
  int enumerateSubKey(const ACE_Configuration_Section_Key& key, int index, tstring& name);
  // A string value of an open key. 0 on success; `value` untouched otherwise.
  int getStringValue(const ACE_Configuration_Section_Key& key, const tstring& name, tstring& value);

  // One string value of a key: openKey + getStringValue.
  int readString(const tstring& keyPath, const tstring& name, tstring& value);

 private:
  CFiConfiguration m_file;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIREGISTRYPOSIX_H
