// The provider configuration: the SYMCLI path, tuning parameters and restore time-out. That
// CEmcSymPlugin::init takes them and loads its messages: PluginImportTest (provider) and every
// start of the end-to-end suite.
#include "emcsym_config.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "cfistringtool.h"
#include "isolated_install.h"

using namespace quelb_pdk_4_4;
using testenv::IsolatedInstall;

namespace {

std::string N(const tstring& s) { return CFiStringTool::tstr2str(s); }

class ProviderConfiguration : public ::testing::Test {
 protected:
  void writeConfig(const std::string& text) {
    testenv::makeDirs(install.root() + "ConfigFiles");
    testenv::writeFile(install.configFile("norvel"), text);
  }
  std::string cliPath() { return N(CEmcSymConfiguration().importCliPathInfo()); }

  IsolatedInstall install;
};

// A FILEPATH without its final separator: every end-to-end start writes one. One that has it
// keeps it single.
TEST_F(ProviderConfiguration, FilePathGetsItsFinalSeparator) {
  const std::string bin = testenv::nativePath("/emc/symcli/bin");
  writeConfig("[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + bin + testenv::kPathSeparator + "\"\n");
  EXPECT_EQ(bin + testenv::kPathSeparator, cliPath());
  // An empty FILEPATH is used as read: the separator alone.
  writeConfig("[CLI_TOOL_INFO]\n\"FILEPATH\"=\"\"\n");
  EXPECT_EQ(std::string(1, testenv::kPathSeparator), cliPath());
}

TEST_F(ProviderConfiguration, RegistryThenProgramFiles) {
  EXPECT_EQ("/opt/EMC/SYMCLI/bin/", cliPath());
  const std::string symcli = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\EMC\\SYMCLI";
  const std::pair<std::string, const char*> cases[] = {
      {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
       "\"ProgramFilesDir\"=\"/usr/local\"\n" +
           symcli + "]\n",
       "/usr/local/EMC/SYMCLI/bin/"},
      {symcli + "\\V7.3]\n\"SYMAPI_HOME_DIR\"=\"/emc/v73\"\n", "/emc/v73/bin/"},
      {symcli + "\\V7.3]\n\"SYMAPI_HOME_DIR\"=\"/emc/v73/\"\n" + symcli +
           "\\V6.0]\n\"SYMAPI_HOME_DIR\"=\"/emc/v60/\"\n",
       "/emc/v60/bin/"},
  };
  for (const auto& c : cases) {
    testenv::writeFile(install.registry(), c.first);
    EXPECT_EQ(c.second, cliPath()) << c.first;
  }

  // The configuration file wins over the registry.
  writeConfig("[CLI_TOOL_INFO]\n\"FILEPATH\"=\"/mine\"\n");
  EXPECT_EQ("/mine/", cliPath());
}

TEST_F(ProviderConfiguration, RegistryFailuresThrowTheirReason) {
  const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\EMC\\SYMCLI";
  const std::string noHome =
      "Failed to access SYMAPI_HOME_DIR path value from HKLM\\SOFTWARE\\EMC\\SYMCLI in registry.";
  const struct {
    std::string registry, detail;
  } cases[] = {
      {"",
       "Failed to access registry section SOFTWARE\\EMC\\SYMCLI to determine SYMCLI install path."},
      {key + "]\n",
       "Failed to find registry sub-section of HKLM\\SOFTWARE\\EMC\\SYMCLI to determine SYMCLI "
       "install path."},
      {key + "\\V6.0]\n\"OTHER\"=\"x\"\n", noHome},
      {key + "\\V6.0]\n\"SYMAPI_HOME_DIR\"=dword:00000001\n", noHome},
  };
  for (const auto& c : cases) {
    testenv::writeFile(install.registry(), c.registry);
    CEmcSymConfiguration config;
    try {
      config.getSymCliDirFromRegistry();
      ADD_FAILURE() << "no error for " << c.registry;
    } catch (const CFiError& error) {
      EXPECT_EQ(c.detail, N(error.detail()));
      EXPECT_NE(0, error.code());
      EXPECT_EQ("providers/emcsymmetrix/emcsym_config", N(error.sourceFile()));
      EXPECT_EQ("CEmcSymConfiguration::getSymCliDirFromRegistry", N(error.function()));
    }
    EXPECT_EQ("/opt/EMC/SYMCLI/bin/", N(config.importCliPathInfo()));
  }
}

TEST_F(ProviderConfiguration, TuningAndRestoreTimeoutDefaultAndOverride) {
  CEmcSymConfiguration config;
  SEmcSymTuningParams params;
  EXPECT_EQ(0, config.getTuningParams(params));
  EXPECT_EQ(std::make_tuple(8u, 600u, 6000u),
            std::make_tuple(params.lockRetryAttempts, params.cliTimeoutInSec,
                            config.getRestoreTimeout()));

  // The tuning is read from the file each time; the rest at construction.
  writeConfig(
      "[TUNING_PARAMS]\n\"LOCK_RETRY_ATTEMPTS\"=dword:00000000\n"
      "\"POST_UNMASK_WAIT_IN_SEC\"=dword:0000000f\n\"LOCK_RETRY_DELAY_IN_SEC\"=\"5\"\n"
      "\"CLI_TIMEOUT_IN_SEC\"=dword:00000003\n"
      "[RESTORE_INFO]\n\"TIMEOUT\"=dword:00000078\n");
  EXPECT_EQ(0, config.getTuningParams(params));
  // LOCK_RETRY_DELAY_IN_SEC is a string, no number: it keeps its default of 2.
  EXPECT_EQ(std::make_tuple(0u, 2u, 15u, 3u),
            std::make_tuple(params.lockRetryAttempts, params.lockRetryDelayInSec,
                            params.postUnmaskWaitInSec, params.cliTimeoutInSec));
  EXPECT_EQ(6000u, config.getRestoreTimeout());
  EXPECT_EQ(120u, CEmcSymConfiguration().getRestoreTimeout());
}

}  // namespace
