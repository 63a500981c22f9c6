// CFiRegistry: read access to the local machine's registry
// (HKEY_LOCAL_MACHINE), where the installation directory, the SYMCLI
// installation and the "ProgramFilesDir" are found. Keys are named by their
// path below HKEY_LOCAL_MACHINE, with backslashes ("SOFTWARE\EMC\SYMCLI").
// A key or value that cannot be read counts as absent (non-zero status),
// whatever the reason. Keys are ACE configuration keys, which ACE provides
// for its heap and for the Windows registry alike.
//
// CFiRegistry::localMachine() gives the platform's registry: on POSIX
// systems a registry file (CFiRegistryPosix), on Windows the registry.
#ifndef QLB_PDK_CFIREGISTRY_H
#define QLB_PDK_CFIREGISTRY_H

#include <ace/Configuration.h>

#include <memory>
#include <string>

#include "cficonfigurationtext.h"
#include "cfiexport.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiRegistry {
 public:
  // The platform's registry, read as it is now.
  static std::unique_ptr<CFiRegistry> localMachine();

  virtual ~CFiRegistry();

  // Opens a key below HKEY_LOCAL_MACHINE. 0 on success; non-zero when the
  // key does not exist.
  virtual int openKey(const tstring& keyPath, ACE_Configuration_Section_Key& key) = 0;
  // The name of the key's sub-key at `index`. 0 on success.
  virtual int enumerateSubKey(const ACE_Configuration_Section_Key& key, int index,
                              tstring& name) = 0;
  // A string value of an open key. 0 on success; `value` untouched
  // otherwise.
  virtual int getStringValue(const ACE_Configuration_Section_Key& key, const tstring& name,
                             tstring& value) = 0;

  // One string value of a key: openKey + getStringValue.
  int readString(const tstring& keyPath, const tstring& name, tstring& value);

  // Where the registry is, for reports: "HKEY_LOCAL_MACHINE" here, the
  // registry file on POSIX systems.
  virtual std::string location() const;
  // Whether the registry is a file (location() its path): on POSIX systems.
  virtual bool isFile() const { return false; }
  // Why the registry exists but cannot be used; empty here. A registry
  // file with a line its reader would skip is not read at all, and says
  // which line.
  virtual SFiConfigurationFault fault() const;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIREGISTRY_H
