// The wait after the masking change of an import and a deport: it follows the refresh, lasts the
// configured seconds, and 0 sleeps not at all.
#include <cstdio>

#include "cfierrormgr.h"
#include "cfimsgcatalogmgr.h"
#include "emcsym_plugin.h"
#include "provider_sim.h"

using namespace quelb_pdk_4_4;
using providertest::ProviderSimTest;
using providertest::recordedSleeps;
using providertest::Sleeps;

namespace {

const tstring kDevice(L"UDID##EMC##SYMMETRIX##000190100001##0080");

class PluginImportTest : public ProviderSimTest {
 protected:
  // Starts the provider with this post-unmask wait in seconds.
  void startPlugin(uint32_t postUnmaskWaitSec) {
    char tuning[128];
    std::snprintf(tuning, sizeof tuning,
                  "[TUNING_PARAMS]\n\"POST_UNMASK_WAIT_IN_SEC\"=dword:%08x\n", postUnmaskWaitSec);
    testenv::writeFile(install_.configFile("norvel"),
                       "[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + bin_ + "\"\n" + tuning);
    plugin->setProviderName(tstring(L"norvel"));
    plugin->registerCatalogManager(catalogs);
    plugin->registerErrorManager(errors);
    ASSERT_EQ(0, plugin->init());
    ASSERT_EQ(postUnmaskWaitSec, plugin->tuningParams().postUnmaskWaitInSec);
  }

  int importDevice() { return plugin->importNode(kDevice, {}, false, false, false, 2); }
  int deportDevice() { return plugin->importNode(kDevice, {}, false, true, true, 2); }

  CFiPluginBase::CatalogManagerRef catalogs{new CFiMessageCatalogManager};
  CFiPluginBase::ErrorManagerRef errors{new CFiErrorManager};
  CFiSmartPtr<CEmcSymPlugin> plugin{new CEmcSymPlugin};
};

}  // namespace

TEST_F(PluginImportTest, TheConfiguredWaitFollowsTheRefreshOfImportAndDeport) {
  startPlugin(7);
  EXPECT_EQ(0, importDevice());
  EXPECT_EQ(Sleeps({7000}), recordedSleeps());
  EXPECT_EQ("symmask -sid 000190100001 refresh -noprompt", runLines().back());

  // Deport: four assignments removed with a pause each, then the refresh and the wait.
  recordedSleeps().clear();
  EXPECT_EQ(0, deportDevice());
  EXPECT_EQ(Sleeps({1000, 1000, 1000, 1000, 7000}), recordedSleeps());

  // A wait of 0 sleeps not at all.
  plugin = CFiSmartPtr<CEmcSymPlugin>(new CEmcSymPlugin);
  startPlugin(0);
  recordedSleeps().clear();
  EXPECT_EQ(0, importDevice());
  EXPECT_EQ(Sleeps(), recordedSleeps());
}
