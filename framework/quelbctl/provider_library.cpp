#include "provider_library.h"

#include <dlfcn.h>

#include <cstring>

ProviderLibrary::ProviderLibrary() : m_handle(nullptr) { std::memset(&m_table, 0, sizeof m_table); }

ProviderLibrary::~ProviderLibrary() { unload(); }

bool ProviderLibrary::load(const std::string& path, const std::string& prefix) {
  unload();
  m_missing.clear();
  m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!m_handle) {
    const char* why = ::dlerror();
    m_error = "cannot load " + path + ": " + (why ? why : "unknown error");
    return false;
  }
#define RESOLVE(op)                                          \
  {                                                          \
    std::string name = prefix + "_fi_pgn_" #op;              \
    void* symbol = ::dlsym(m_handle, name.c_str());          \
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
  if (m_handle) ::dlclose(m_handle);
  m_handle = nullptr;
  std::memset(&m_table, 0, sizeof m_table);
}
