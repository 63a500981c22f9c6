// CFiRegistryPosix: the local machine's registry (HKEY_LOCAL_MACHINE) on
// POSIX systems. It is a registry file in the configuration file format,
// named by the environment variable QUELB_REGISTRY (default
// /etc/quelb/registry.reg), whose sections carry the key paths:
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Dravonel\Quelb]
//   "InstallDir64"="/opt/quelb/"
//
// A missing or unreadable file reads like a registry without the key; so
// does a file with a line that is no section, value or comment (fault()
// tells which line), rather than one half read. Read-only; the file is
// read when the object is made. Callers reach it through
// CFiRegistry::localMachine().
#ifndef QLB_PDK_CFIREGISTRYPOSIX_H
#define QLB_PDK_CFIREGISTRYPOSIX_H

#include <ace/Configuration.h>

#include <string>

#include "cficonfiguration.h"
#include "cfiexport.h"
#include "cfiregistry.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiRegistryPosix : public CFiRegistry {
 public:
  CFiRegistryPosix();

  // $QUELB_REGISTRY, or /etc/quelb/registry.reg when it is unset or empty.
  static std::string registryFilePath();

  int openKey(const tstring& keyPath, ACE_Configuration_Section_Key& key) override;
  int enumerateSubKey(const ACE_Configuration_Section_Key& key, int index, tstring& name) override;
  int getStringValue(const ACE_Configuration_Section_Key& key, const tstring& name,
                     tstring& value) override;

  // The registry file.
  std::string location() const override { return registryFilePath(); }
  bool isFile() const override { return true; }
  // Why the registry file exists but could not be used; empty when it was
  // read or does not exist.
  SFiConfigurationFault fault() const override { return m_file.fault(); }

 private:
  CFiConfiguration m_file;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIREGISTRYPOSIX_H
