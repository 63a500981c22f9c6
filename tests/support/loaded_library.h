// LoadedLibrary: a shared library loaded the way a host loads a provider (dlopen with RTLD_NOW |
// RTLD_LOCAL; LoadLibrary on Windows), unloaded when the object goes. One implementation per
// platform: loaded_library_posix.cpp and loaded_library_windows.cpp.
#ifndef NORVEL_TESTS_LOADED_LIBRARY_H
#define NORVEL_TESTS_LOADED_LIBRARY_H

#include <string>

namespace testenv {

class LoadedLibrary {
 public:
  // Loads `path`; loaded() tells whether it worked, error() why not.
  explicit LoadedLibrary(const std::string& path);
  ~LoadedLibrary();
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  // The system's reason the load failed.
  const std::string& error() const { return error_; }
  // The address of the exported `name`, or null.
  void* symbol(const char* name) const;

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace testenv

#endif  // NORVEL_TESTS_LOADED_LIBRARY_H
