#include "provider_library.h"

#include <cstring>

#include "host_platform.h"

ProviderLibrary::ProviderLibrary() : m_handle(nullptr) { std::memset(&m_table, 0, sizeof m_table); }

ProviderLibrary::~ProviderLibrary() { unload(); }

bool ProviderLibrary::load(const std::string& path, const std::string& prefix) {
  unload();
  m_missing.clear();
  std::string why;
  m_handle = host::loadLibrary(path, why);
  if (!m_handle) {
    m_error = "cannot load " + path + ": " + why;
    return false;
  }
#define RESOLVE(op)                                          \
  {                                                          \
    std::string name = prefix + "_fi_pgn_" #op;              \
    void* symbol = host::librarySymbol(m_handle, name);      \
    if (!symbol) m_missing.push_back(name);                  \
    m_table.op = reinterpret_cast<qlb_pgn_##op##_t>(symbol); \
  }
  QLB_PGN_OPERATIONS(RESOLVE)
#undef RESOLVE
  if (!m_missing.empty()) {
    // One line however many are missing: the count and the first names.
    std::string names;
    for (size_t i = 0; i < m_missing.size() && i < 2; ++i) names += (i ? ", " : "") + m_missing[i];
    if (m_missing.size() > 2) names += ", ...";
    m_error = path + " is no provider library of prefix " + prefix + ": it lacks " +
              std::to_string(m_missing.size()) + " of the " +
              std::to_string(QLB_PGN_OPERATION_COUNT) + " entry points (" + names +
              "; -v lists them)";
    return false;
  }
  return true;
}

void ProviderLibrary::unload() {
  if (m_handle) host::unloadLibrary(m_handle);
  m_handle = nullptr;
  std::memset(&m_table, 0, sizeof m_table);
}
