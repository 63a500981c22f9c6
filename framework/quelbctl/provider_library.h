// ProviderLibrary: loads a provider plug-in (dlopen, LoadLibrary) and resolves its 70
// entry points by name, as the framework does.
#ifndef QUELBCTL_PROVIDER_LIBRARY_H
#define QUELBCTL_PROVIDER_LIBRARY_H

#include <quelb/quelb_pgn.h>

#include <string>
#include <vector>

class ProviderLibrary {
 public:
  ProviderLibrary();
  ~ProviderLibrary();
  ProviderLibrary(const ProviderLibrary&) = delete;
  ProviderLibrary& operator=(const ProviderLibrary&) = delete;

  // Loads the library at `path` and resolves every "<prefix>_fi_pgn_<op>".
  // False when the library cannot be loaded or any entry point is missing;
  // error() then says why and missing() lists the names not found.
  bool load(const std::string& path, const std::string& prefix);
  void unload();

  const qlb_pgn_table& entries() const { return m_table; }
  const std::string& error() const { return m_error; }
  const std::vector<std::string>& missing() const { return m_missing; }

 private:
  void* m_handle;
  qlb_pgn_table m_table;
  std::string m_error;
  std::vector<std::string> m_missing;
};

#endif  // QUELBCTL_PROVIDER_LIBRARY_H
