// RegistryLocator: which registry file the provider will read, chosen and
// checked before the provider is loaded, so that a missing or broken one is
// one clear sentence instead of message ids the provider cannot look up
// (it finds its message catalogs through that registry).
//
// The file is, in this order: $QUELB_REGISTRY; the system registry
// /etc/quelb/registry.reg when it exists; the registry of the installation
// quelbctl belongs to (<prefix>/etc/quelb/registry.reg beside
// <prefix>/bin/quelbctl), which quelbctl then hands to the provider by
// setting QUELB_REGISTRY. The file must be readable, hold only lines the
// registry reader takes (the check the provider's kit makes), and name the
// installation directory ("InstallDir64" in the key
// HKEY_LOCAL_MACHINE\SOFTWARE\Dravonel\Quelb, or its subkey of
// $QUELB_CONSUMER), unless $QUELB_INSTALL_ROOT names one.
#ifndef QUELBCTL_REGISTRY_LOCATOR_H
#define QUELBCTL_REGISTRY_LOCATOR_H

#include <string>

class RegistryLocator {
 public:
  // `programDir`: the directory quelbctl runs from.
  explicit RegistryLocator(const std::string& programDir) : m_programDir(programDir) {}

  // Chooses and checks the registry; false with error() set when none can
  // be used. Sets QUELB_REGISTRY when the installation's file is chosen.
  bool locate();

  const std::string& path() const { return m_path; }
  // Where the choice came from: "QUELB_REGISTRY", "the system" or "this
  // installation".
  const std::string& origin() const { return m_origin; }
  // The installation directory it names (or $QUELB_INSTALL_ROOT).
  const std::string& installDir() const { return m_installDir; }
  // One sentence: what is wrong and what to do.
  const std::string& error() const { return m_error; }

  static const char* const SYSTEM_REGISTRY;  // "/etc/quelb/registry.reg"

 private:
  bool choose();
  bool check();

  std::string m_programDir;
  std::string m_path;
  std::string m_origin;
  std::string m_installDir;
  std::string m_error;
};

#endif  // QUELBCTL_REGISTRY_LOCATOR_H
