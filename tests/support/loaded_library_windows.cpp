// LoadedLibrary on Windows: LoadLibrary, GetProcAddress, FreeLibrary.
#include <windows.h>

#include "loaded_library.h"

namespace testenv {

LoadedLibrary::LoadedLibrary(const std::string& path) {
  // The library's own directory is searched for the DLLs it needs, as the framework loads it.
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  handle_ = reinterpret_cast<void*>(module);
  if (!module) error_ = "LoadLibrary failed (error " + std::to_string(GetLastError()) + ")";
}

LoadedLibrary::~LoadedLibrary() {
  if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* LoadedLibrary::symbol(const char* name) const {
  return handle_ ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name))
                 : nullptr;
}

}  // namespace testenv
