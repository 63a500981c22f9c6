// LoadedLibrary on POSIX systems: dlopen, dlsym, dlclose.
#include <dlfcn.h>

#include "loaded_library.h"

namespace testenv {

LoadedLibrary::LoadedLibrary(const std::string& path)
    : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (!handle_) error_ = dlerror();
}

LoadedLibrary::~LoadedLibrary() {
  if (handle_) dlclose(handle_);
}

void* LoadedLibrary::symbol(const char* name) const {
  return handle_ ? dlsym(handle_, name) : nullptr;
}

}  // namespace testenv
