// Device, host and masking commands against the simulator: what they read, masking adds over
// reachable and unreachable ports with gatekeeper retries, refresh retries, host names.
#include <cstdio>
#include <set>

#include "cfierrormgr.h"
#include "cfiexecpipe.h"
#include "cfimsgcatalogmgr.h"
#include "cfinetwork.h"
#include "emcsym_clierror.h"
#include "emcsym_plugin.h"
#include "provider_sim.h"

using namespace quelb_pdk_4_4;

namespace providertest {
namespace {

const char kHba1[] = "10000000C9A00001";
const char kHba2[] = "10000000C9A00002";

using MaskingTest = ProviderSimTest;

// Sizes, version, devices, assignments (none too) and removals as start-up, enumeration, import
// and deport read and run them: Discovery, ImportDeport (e2e), PluginImportTest.
TEST_F(MaskingTest, HostsOfTheDatabaseAndTheLoginsAndTheConfiguredTarget) {
  const std::string local = CFiNetwork::getComputerName();
  EXPECT_EQ((Lines{local, "backup01"}), tool_.symMaskdbListDatabase(kArray1));
  std::map<std::string, Lines> hostPorts = tool_.getHostMap(kArray1);
  EXPECT_EQ((std::set<std::string>{"hba0", "hba1"}),
            std::set<std::string>(hostPorts[local].begin(), hostPorts[local].end()));
  SEmcSymMaskHostInfo info;
  EXPECT_EQ(0, tool_.getHostLoginInfo(kArray1, local + ".example.test", info));
  EXPECT_EQ(local, info.hostNodeName);
  ASSERT_EQ(2u, info.logins.size());
  EXPECT_EQ(2u, info.logins[kHba1].directorPorts.size());
  EXPECT_EQ(QLB_ERR_NOT_FOUND, tool_.getHostLoginInfo(kArray1, "no-such-host.invalid", info));

  std::vector<SEmcSymHbaInfo> kept = tool_.validateHostName(kArray1, std::string());
  ASSERT_EQ(2u, kept.size());
  EXPECT_EQ(kHba1, kept[0].wwn);

  SEmcSymMaskHostInfo byName = tool_.GetHostInfo(kArray1, local);
  ASSERT_EQ(2u, byName.logins.size());
  EXPECT_EQ(4u, byName.logins[kHba2].directorPorts.size());
  EXPECT_TRUE(tool_.GetHostInfo(kArray1, "backup01").logins.empty());  // not resolvable here

  EXPECT_EQ("00C3", tool_.findConfiguredTarget(L"UDID##EMC##SYMMETRIX##000190100001##00C3"));
  const auto e = thrown<CEmcSymCliException>([&] { tool_.findConfiguredTarget(L"00C3"); });
  ASSERT_TRUE(e);
  EXPECT_EQ(L"[findConfiguredTarget]", e->getCommand());
  EXPECT_EQ(kCliToolSource, e->getSourceFile());
  EXPECT_EQ(1, traceCount("Invalid target 00C3 entered at config stage"));
}

const std::string kXmlHead = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<SymCLI_ML>\n";

// A stand-in tool printing a fixed text with a fixed status: output the simulator never prints.
void addStandIn(const testenv::TempDir& dir, const std::string& tool, const std::string& output,
                int status) {
  writeScript(dir, tool,
              "#!/bin/sh\ncat <<'EOF'\n" + output + "EOF\nexit " + std::to_string(status) + "\n");
}

TEST_F(MaskingTest, OutputTheSimulatorDoesNotPrint) {
  testenv::TempDir tools("stand_in_tools");
  // Disk sizes are added as their decimal conversion gives them, negative ones included.
  addStandIn(tools, "symdisk",
             kXmlHead +
                 "<Disk ident=\"DF-1A\" megabytes=\"1000\" avail_megabytes=\"300\"/>\n"
                 "<Disk ident=\"DF-2A\" megabytes=\"-200\" avail_megabytes=\"-100\"/>\n"
                 "<Disk ident=\"DF-3A\" megabytes=\"12x\" avail_megabytes=\"x\"/>\n"
                 "</SymCLI_ML>\n",
             0);
  // An HBA discovery that keeps failing still yields what its last run printed.
  addStandIn(tools, "symmask",
             kXmlHead + "<Symmetrix symid=\"" + kArray1 + "\"><Host_HBA WWN=\"" + kHba1 +
                 "\" awwn_node_name=\"h\" awwn_port_name=\"p\"/></Symmetrix>\n</SymCLI_ML>\n",
             1);
  writeConfig(0, 0);
  CEmcSymCliTool tool(CFiStringTool::str2tstr(tools.path()));
  uint64_t available = 0, total = 0;
  EXPECT_EQ(0, tool.getSymmetrixSize(kArray1, available, total));
  EXPECT_EQ(200u, available);
  EXPECT_EQ(812u, total);

  std::vector<SEmcSymHbaInfo> hbas = tool.symMaskDiscoverHba(kArray1);
  ASSERT_EQ(1u, hbas.size());
  EXPECT_EQ(kHba1, hbas[0].wwn);
}

TEST_F(MaskingTest, AddRunsEveryCombinationCountsTheReachableOnesAndRetriesTheGatekeeper) {
  std::vector<SEmcSymHbaInfo> hbas;
  SEmcSymMaskHostInfo hostInfo;
  ASSERT_EQ(0, tool_.GetHostInfo(kArray1, hbas, hostInfo));
  ASSERT_EQ(2u, hbas.size());
  Lines wwns = {hbas[0].wwn, hbas[1].wwn};
  EXPECT_EQ((Lines{kHba1, kHba2}), wwns);
  // 00C0 is on FA-4A:1 (reached by the first HBA only) and FA-13A:1 (by the second only): two of
  // four combinations are reachable.
  SEmcSymDevInfo dev = tool_.getSymDev(kArray1, "00C0");
  clearLog();
  EXPECT_EQ(0, tool_.symMaskAdd(dev, wwns, hostInfo));
  auto add = [](const char* hba, const char* dir) {
    return "symmask -sid " + kArray1 + " -wwn " + hba + " -dir " + dir +
           " -port 1 -noprompt add devs 00C0";
  };
  EXPECT_EQ((Lines{add(kHba1, "04A"), add(kHba1, "13A"), add(kHba2, "04A"), add(kHba2, "13A")}),
            runLines());
  EXPECT_EQ(1, traceCount("2 of 4 HBA WWNs assigned to director/port combinations for accessing "
                          "device 00C0 are not accessible due to misconfiguration of the array."));
  EXPECT_EQ(2, traceCount("Assigning device 00C0 to director/port that is not accessible to the "
                          "HBA port"));
  // The host info is printed, and its lookups traced, to the tool's log.
  EXPECT_EQ(2, traceCount("SEmcSymMaskHostInfo ["));
  EXPECT_EQ(4, traceCount("Found entry for wwn["));
  // Nothing reachable: every add still runs, and the result is 3.
  clearLog();
  EXPECT_EQ(QLB_ERR_INVALID_ARG, tool_.symMaskAdd(dev, wwns, SEmcSymMaskHostInfo()));
  EXPECT_EQ(4u, runs("symmask").size());
  EXPECT_EQ(1, traceCount("Since there were no valid mappings the device import will fail."));
  // A gatekeeper that cannot be opened.
  writeConfig(0, 2);
  dev = tool_.getSymDev(kArray1, "0041");  // FA-4A:0 and FA-13A:0
  sim_.admin("fault add gatekeeper --msg 3 --tool symmask --cmd add --count 3");
  clearLog();
  EXPECT_EQ(0, tool_.symMaskAdd(dev, {kHba1}, hostInfo));
  // The runner's own release and last run, then the add's own attempts 1 s apart, each a single
  // run: the runner does not retry inside them. The second director port's add passes at once.
  EXPECT_EQ(5u, runs("symmask").size());
  EXPECT_EQ((Sleeps{1000, 1000}), recordedSleeps());
  EXPECT_EQ(2, traceCount("Can not open gate keeper, either locked or inaccessible, retrying"));
  // A gatekeeper that stays locked ends the add after 10 attempts, one run each: this tool has
  // released the locks once already.
  sim_.admin("fault add gatekeeper --msg 3 --tool symmask --cmd add --always");
  sim_.admin("fault add noxml --tool symcfg --cmd list --always");  // no lock to release
  clearLog();
  EXPECT_EQ(QLB_EXEC_PIPE_CMD_FAILED, tool_.symMaskAdd(dev, {kHba1}, hostInfo));
  EXPECT_EQ(10u, runs("symmask").size());
  EXPECT_EQ(Sleeps(9, 1000), recordedSleeps());
  EXPECT_EQ(1, traceCount("Can not open gate keeper, either locked or inaccessible, retry failed"));
}

// A refresh that keeps failing is retried, then retried with array discovery.
TEST_F(MaskingTest, RefreshRetriesThenRetriesWithDiscovery) {
  sim_.admin(
      "fault add fail --tool symmask --cmd refresh --message \"Refresh refused\" --count 17");
  EXPECT_EQ(QLB_EXEC_PIPE_CMD_FAILED, tool_.symMaskRefresh(kArray1));
  const std::string refresh = "symmask -sid " + kArray1 + " refresh -noprompt";
  Lines expected(9, refresh);
  for (int i = 0; i < 8; ++i) {
    expected.push_back("symcfg discover");
    expected.push_back(refresh);
  }
  EXPECT_EQ(expected, runLines());
  EXPECT_EQ(Sleeps(16, 2000), recordedSleeps());
  EXPECT_EQ(1, traceCount("Refresh command is failing even after retry returning failiure."));
  // Passing during the discovery retries; all arrays without a symid.
  clearLog();
  sim_.admin(
      "fault add fail --tool symmask --cmd refresh --message \"Refresh refused\" --count 10");
  EXPECT_EQ(0, tool_.symMaskRefresh(std::string()));
  EXPECT_EQ(13u, runs().size());  // 11 refreshes, 2 discoveries
  EXPECT_EQ("symmask refresh -noprompt", runLines().back());
  EXPECT_EQ(1, traceCount("Refresh command passed after retry for array discovery."));
}

const char kHostScenario[] =
    "host local\n"
    "  hba 10000000C9A00001 port=hba0\n"
    "host mailhost address=10.1.1.1\n"
    "  hba 10000000C9D00001 port=hba0\n"
    "host farhost1 address=10.123.4.5\n"
    "  hba 10000000C9B00001 port=hba0\n"
    "host farhost2 address=10.12.4.5\n"
    "  hba 10000000C9C00001 port=hba0\n"
    "array 000190100001 local\n"
    "  port FA-4A:0 FA-4A:1\n"
    "  devices 0040-0041 std size=2048 ports=FA-4A:0,FA-4A:1\n"
    "  login 10000000C9A00001 FA-4A:0\n"
    "  login 10000000C9B00001 FA-4A:1\n"
    "  login 10000000C9C00001 FA-4A:1\n"
    "  login 10000000C9D00001 FA-4A:1\n"
    "  alias 10000000C9B00001 node=HOST.23.4.5\n"
    "  alias 10000000C9C00001 node=HOST.12.4.5\n"
    "  alias 10000000C9D00001 node=MailHost\n"
    "  mask 10000000C9D00001 FA-4A:1 0041\n";

TEST_F(MaskingTest, LongHostNamesAreLookedUpByAddressAndNamesByTheirCaseAtTheArray) {
  sim_.init(kHostScenario);
  clearLog();
  // Names of over 16 characters resolving to 10.123.4.5 and 10.12.4.5 (numeric: no name service).
  EXPECT_EQ(Lines{"10000000C9B00001"}, tool_.symGetHbaList(kArray1, "0x000000000a.123.4.5"));
  EXPECT_EQ(Lines{"10000000C9C00001"}, tool_.symGetHbaList(kArray1, "0000000000012.12.4.5"));
  EXPECT_EQ((Lines{"symmaskdb -sid " + kArray1 + " -host HOST.23.4.5 list capacity",
                   "symmaskdb -sid " + kArray1 + " -host HOST.12.4.5 list capacity"}),
            runLines());
  EXPECT_EQ(1, traceCount("hostname [0x000000000a.123.4.5] length is [20] greater than 16 so the "
                          "hostname registered at array should be [HOST.23.4.5], host IP address "
                          "is [10.123.4.5]"));
  // Registered in another case: found through the masking database.
  clearLog();
  EXPECT_EQ(Lines{"10000000C9D00001"}, tool_.symGetHbaList(kArray1, "mailhost"));
  EXPECT_EQ((Lines{"symmaskdb -sid " + kArray1 + " -host mailhost list capacity",
                   "symmask discover hba -rename",
                   "symmaskdb -sid " + kArray1 + " -host mailhost list capacity",
                   "symmaskdb -sid " + kArray1 + " list database",
                   "symmaskdb -sid " + kArray1 + " -host MailHost list capacity"}),
            runLines());
  // Unknown names end empty, with the names the array knows traced.
  EXPECT_TRUE(tool_.symGetHbaList(kArray1, "nohost").empty());
  EXPECT_EQ(1, traceCount("CEmcSymCliTool::symGetHbaList Hostname nohost is invalid"));
  clearLog();
  EXPECT_TRUE(tool_.symGetHbaList(kArray1, "no-such-host-anywhere.invalid").empty());
  EXPECT_TRUE(runs().empty());
  EXPECT_EQ(1, traceCount("Cannot resolve hostname [no-such-host-anywhere.invalid]"));
}

// The wait after the masking change of an import and a deport: it follows the refresh, lasts the
// configured seconds, and 0 sleeps not at all.
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

}  // namespace
}  // namespace providertest
