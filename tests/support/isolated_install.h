// IsolatedInstall: a private installation for one test. The registry file
// (QUELB_REGISTRY) and the framework's install root (QUELB_INSTALL_ROOT)
// point into a fresh temporary directory, the consumer name is unset, and
// everything is removed and restored when the object goes.
#ifndef NORVEL_TESTS_ISOLATED_INSTALL_H
#define NORVEL_TESTS_ISOLATED_INSTALL_H

#include <string>

#include "test_env.h"

namespace testenv {

class IsolatedInstall {
 public:
  IsolatedInstall()
      : dir_("norvel_install"),
        root_(dir_.path() + "/root/"),
        registry_(dir_.path() + "/registry.reg"),
        registryEnv_("QUELB_REGISTRY", registry_.c_str()),
        rootEnv_("QUELB_INSTALL_ROOT", root_.c_str()),
        consumerEnv_("QUELB_CONSUMER", nullptr) {
    makeDirs(root_);
  }

  // The install root, ending in "/".
  const std::string& root() const { return root_; }
  // The registry file (not created).
  const std::string& registry() const { return registry_; }
  std::string configFile(const std::string& name) const {
    return root_ + "ConfigFiles/" + name + ".conf";
  }
  // A scratch path outside the install root.
  std::string scratch(const std::string& name) const { return dir_.file(name); }

  // Copies the message bundles of the build under the install root.
  void linkBuiltMessages() const { copyTree(binaryDir() + "/Messages", root_ + "Messages"); }

 private:
  TempDir dir_;
  std::string root_;
  std::string registry_;
  ScopedEnv registryEnv_;
  ScopedEnv rootEnv_;
  ScopedEnv consumerEnv_;
};

}  // namespace testenv

#endif  // NORVEL_TESTS_ISOLATED_INSTALL_H
