// IsolatedInstall: a private installation for one test. The registry file (QUELB_REGISTRY) and the
// framework's install root (QUELB_INSTALL_ROOT) point into a fresh temporary directory, the
// consumer name is unset, and everything is removed and restored when the object goes.
#ifndef NORVEL_TESTS_ISOLATED_INSTALL_H
#define NORVEL_TESTS_ISOLATED_INSTALL_H

#include <string>

#include "test_env.h"

namespace testenv {

class IsolatedInstall {
 public:
  IsolatedInstall()
      : dir_("norvel_install"),
        root_(dir_.file("root/")),
        registry_(dir_.file("registry.reg")),
        registryEnv_("QUELB_REGISTRY", registry_.c_str()),
        rootEnv_("QUELB_INSTALL_ROOT", root_.c_str()),
        consumerEnv_("QUELB_CONSUMER", nullptr) {
    makeDirs(root_);
  }

  // The install root, ending in the platform's separator.
  const std::string& root() const { return root_; }
  // The registry file (not created).
  const std::string& registry() const { return registry_; }
  std::string configFile(const std::string& name) const {
    return nativePath(root_ + "ConfigFiles/" + name + ".conf");
  }
  // Writes the registry file, naming root() as the installation directory.
  void writeRegistry() const {
    writeFile(registry_, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Dravonel\\Quelb]\n\"InstallDir64\"=\"" +
                             root_ + "\"\n");
  }
  // A scratch path outside the install root.
  std::string scratch(const std::string& name) const { return dir_.file(name); }

  // Once the bundles were read, ICU lets go of them here, so that the directory can be removed:
  // objects that used them must be declared after the install (and so be gone first).
  ~IsolatedInstall() {
    if (bundlesCopied_) releaseIcuFiles();
  }

  // Copies the message bundles of the build under the install root.
  void linkBuiltMessages() {
    copyTree(binaryDir() + "/Messages", root_ + "Messages");
    bundlesCopied_ = true;
  }

 private:
  TempDir dir_;
  std::string root_;
  std::string registry_;
  ScopedEnv registryEnv_;
  ScopedEnv rootEnv_;
  ScopedEnv consumerEnv_;
  bool bundlesCopied_ = false;
};

}  // namespace testenv

#endif  // NORVEL_TESTS_ISOLATED_INSTALL_H
