// Every command line the provider builds, run through the tool names as the
// provider's pipe runs them, and the command lines that must be refused.
#include <gtest/gtest.h>

#include "sim_env.h"
#include "sim_scenario.h"

namespace simtest {
namespace {

const std::string kSid = "000190100001";

ToolRun provider(const SimEnv& env, const std::string& tool, const std::string& args) {
  return env.provider(tool, args);
}

class SimCommands : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { env.init(kSmallScenario); }
  // The output-format suffix, spaces included.
  std::string suffix() const { return " -output " + GetParam() + " "; }
  std::unique_ptr<XmlNode> xml(const std::string& tool, const std::string& args) {
    ToolRun r = provider(env, tool, args);
    EXPECT_EQ(r.status, 0) << tool << args << "\n" << r.out;
    return parseXml(r.out);
  }
  SimEnv env;
};

TEST_P(SimCommands, InventoryReadsCarryWhatTheHandlersRead) {
  EXPECT_EQ(provider(env, "symcfg", " discover ").status, 0);

  auto arrays = xml("symcfg", " list " + suffix());
  auto syms = arrays->all("Symmetrix");
  ASSERT_EQ(syms.size(), 3u);
  EXPECT_EQ(syms[0]->attr("id"), kSid);
  EXPECT_EQ(syms[0]->attr("attachment"), "Local");
  EXPECT_EQ(syms[2]->attr("attachment"), "Remote");
  EXPECT_FALSE(syms[0]->attr("model").empty());
  EXPECT_FALSE(syms[0]->attr("microcode_version").empty());

  auto diskDoc = xml("symdisk", " list  -sid " + kSid + suffix());
  auto disks = diskDoc->all("Disk");
  ASSERT_EQ(disks.size(), 4u);
  EXPECT_EQ(disks[0]->attr("megabytes"), "1000");
  EXPECT_EQ(disks[0]->attr("avail_megabytes"), "250");
  EXPECT_FALSE(disks[0]->attr("ident").empty());

  // The version the provider takes is characters 2 to 4 of the text.
  auto version = xml("symcli", " -output XML ");
  ASSERT_NE(version->first("version"), nullptr);
  EXPECT_EQ(version->first("version")->text.substr(1, 3), "7.0");
  EXPECT_EQ(version->first("SYMCLI")->attr("version"), "V7.0.0.0");

  auto brief = xml("symdev", " -sid " + kSid + " -fibre -nobcv  list " + suffix());
  auto devices = brief->all("Device");
  ASSERT_EQ(devices.size(), 13u);  // std, clone and snap devices, no BCVs
  for (const XmlNode* d : devices) EXPECT_NE(d->attr("configuration"), "BCV");
  EXPECT_EQ(brief->first("Symmetrix")->attr("symid"), kSid);
  EXPECT_EQ(devices[0]->attr("dev_name"), "0040");
  EXPECT_EQ(devices[0]->first("Capacity")->attr("megabytes"), "1024");

  auto verbose = xml("symdev", " -sid " + kSid + " -v  list " + suffix());
  EXPECT_EQ(verbose->all("Device").size(), 17u);

  auto show = xml("symdev", " -sid " + kSid + " show 0040" + suffix());
  const XmlNode* dev = show->first("Device");
  ASSERT_NE(dev, nullptr);
  EXPECT_EQ(show->all("Device").size(), 1u);
  EXPECT_EQ(dev->attr("dev_name"), "0040");
  EXPECT_EQ(dev->attr("device_group"), "prod");
  EXPECT_EQ(dev->attr("status"), "Ready");
  EXPECT_EQ(dev->attr("attached_bcv"), "0080");
  EXPECT_EQ(dev->attr("ld_name"), "N/A");
  EXPECT_EQ(dev->attr("pd_name").rfind("/dev/sd", 0), 0u);  // masked to this host
  auto ports = dev->all("Port");
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[0]->attr("director"), "FA-4A");
  EXPECT_EQ(ports[0]->attr("port"), "0");
  EXPECT_EQ(ports[1]->attr("director"), "FA-13A");
  const XmlNode* pair = dev->first("BCV_Pair");
  ASSERT_NE(pair, nullptr);
  EXPECT_EQ(pair->attr("state"), "Synchronized");
  EXPECT_EQ(pair->first("STD")->attr("dev_name"), "0040");
  EXPECT_EQ(pair->first("STD")->attr("dgroup"), "prod");
  EXPECT_EQ(pair->first("BCV")->attr("dev_name"), "0080");
  EXPECT_EQ(pair->first("BCV")->attr("status"), "Not Ready");

  auto namedDoc = xml("symdev", " -sid " + kSid + " show 50" + suffix());
  const XmlNode* named = namedDoc->first("Device");
  EXPECT_EQ(named->attr("dev_name"), "0050");
  EXPECT_EQ(named->attr("ld_name"), "DEV050");
  EXPECT_EQ(named->attr("pd_name"), "/dev/sdz");
}

TEST_P(SimCommands, HostAndMaskingReadsCarryWhatTheHandlersRead) {
  auto db = xml("symmaskdb", " -sid " + kSid + " list database " + suffix());
  auto records = db->all("Db_Record");
  ASSERT_FALSE(records.empty());
  std::string local = records[0]->attr("awwn_node_name");
  EXPECT_FALSE(local.empty());
  EXPECT_EQ(records[0]->attr("awwn_port_name"), "hba0");
  bool sawBackup = false;
  for (const XmlNode* r : records) sawBackup = sawBackup || r->attr("awwn_node_name") == "backup01";
  EXPECT_TRUE(sawBackup);

  auto logins = xml("symmask", " -sid " + kSid + " list logins " + suffix());
  EXPECT_EQ(logins->first("Symmetrix")->attr("symid"), kSid);
  auto loginRecords = logins->all("Devmask_Login_Record");
  ASSERT_EQ(loginRecords.size(), 3u);
  EXPECT_EQ(loginRecords[0]->attr("director"), "FA-4A");
  const XmlNode* login = loginRecords[0]->first("Login");
  EXPECT_EQ(login->attr("originator_port_wwn"), "10000000C9A00001");
  EXPECT_EQ(login->attr("awwn_node_name"), local);
  EXPECT_EQ(login->attr("type"), "Fibre");
  EXPECT_EQ(login->attr("logged_in"), "Yes");
  EXPECT_EQ(login->attr("on_fabric"), "Yes");

  auto assigned = xml("symmaskdb", " -sid " + kSid + " -dev 0040 list assignment " + suffix());
  auto devs = assigned->all("Device");
  ASSERT_EQ(devs.size(), 1u);
  EXPECT_EQ(devs[0]->attr("Director"), "FA-4A");
  EXPECT_EQ(devs[0]->attr("Port"), "0");
  EXPECT_EQ(devs[0]->attr("port_wwn"), "10000000C9A00001");
  EXPECT_EQ(devs[0]->attr("number"), "0040");
  ToolRun none = provider(env, "symmaskdb", " -sid " + kSid + " -dev 0042 list assignment " + suffix());
  EXPECT_NE(none.status, 0);
  EXPECT_NE(none.out.find("No device masking database records could be found"), std::string::npos);

  auto hbas = xml("symmask", " discover hba -rename " + suffix());
  auto found = hbas->all("Host_HBA");
  ASSERT_EQ(found.size(), 3u);  // two HBAs on the first array, one on the second
  EXPECT_EQ(found[0]->attr("WWN"), "10000000C9A00001");
  EXPECT_EQ(found[0]->attr("awwn_node_name"), local);
  EXPECT_EQ(hbas->first("Symmetrix")->attr("symid"), kSid);

  auto capacity = xml("symmaskdb", " -sid " + kSid + " -host " + local + " list capacity " + suffix());
  auto origins = capacity->all("Originator_port");
  ASSERT_EQ(origins.size(), 2u);
  EXPECT_EQ(origins[0]->attr("wwn"), "10000000C9A00001");
  ToolRun unknown = provider(env, "symmaskdb", " -sid " + kSid + " -host nosuchhost list capacity " + suffix());
  EXPECT_NE(unknown.status, 0);
  EXPECT_NE(unknown.out.find("The supplied alias is invalid"), std::string::npos);

  auto connections = xml("symcfg", " -sid " + kSid + " list -connections -sorthost " + suffix());
  auto hosts = connections->all("Host");
  ASSERT_EQ(hosts.size(), 2u);
  EXPECT_FALSE(hosts[0]->attr("address").empty());
  EXPECT_EQ(hosts[1]->attr("address"), "10.20.30.41");
  EXPECT_EQ(hosts[0]->all("Connection").size(), 3u);
  EXPECT_EQ(hosts[0]->first("Connection")->attr("director"), "FA-4A");

  auto list = xml("symmask", " list hba " + suffix());
  auto local_hbas = list->all("Host_HBA");
  ASSERT_EQ(local_hbas.size(), 2u);
  EXPECT_EQ(local_hbas[0]->attr("WWN"), "10000000C9A00001");
  auto seen = local_hbas[0]->all("Port");
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0]->attr("director"), "04A");

  auto locks = xml("symcfg", " -sid " + kSid + " -lock list " + suffix());
  EXPECT_TRUE(locks->all("Lock").empty());
}

INSTANTIATE_TEST_SUITE_P(BothOutputForms, SimCommands, ::testing::Values("XML_ATTRIBUTE", "XML"));

class SimCommandLines : public ::testing::Test {
 protected:
  void SetUp() override { env.init(kSmallScenario); }
  SimEnv env;
};

TEST_F(SimCommandLines, MaskingAndLockCommandsAsTheProviderBuildsThem) {
  // symMaskAdd with the director as the device handler normalises it.
  ToolRun add = provider(env, "symmask",
                     " -sid " + kSid + " -wwn 10000000C9A00001 -dir 04A -port 0 -noprompt add devs 0042");
  EXPECT_EQ(add.status, 0) << add.out;
  EXPECT_EQ(provider(env, "symmask", " -sid " + kSid + " refresh -noprompt").status, 0);
  EXPECT_EQ(provider(env, "symmask", " refresh -noprompt").status, 0);
  auto assigned = parseXml(provider(env, "symmaskdb", " -sid " + kSid + " -dev 0042 list assignment  -output XML_ATTRIBUTE ").out);
  EXPECT_EQ(assigned->all("Device").size(), 1u);
  ToolRun remove = provider(env, "symmask",
                        " -sid " + kSid + " -wwn 10000000C9A00001 -dir 04A -port 0 -force remove devs 0042");
  EXPECT_EQ(remove.status, 0) << remove.out;

  env.admin("fault add lock --sid " + kSid + " --lockn 3");
  auto locks = parseXml(provider(env, "symcfg", " -sid " + kSid + " -lock list  -output XML_ATTRIBUTE ").out);
  ASSERT_EQ(locks->all("Lock").size(), 1u);
  EXPECT_EQ(locks->first("Lock")->attr("number"), "3");
  EXPECT_NE(locks->first("Lock")->attr("status"), "Unlocked");
  EXPECT_EQ(provider(env, "symcfg", " -sid " + kSid + " -noprompt -lockn 3 release ").status, 0);
  EXPECT_NE(provider(env, "symcfg", " -sid " + kSid + " -noprompt -lockn 3 release ").status, 0);
}

TEST_F(SimCommandLines, OptionsParseInAnyOrder) {
  std::string file = env.pairFile("p", "0040 0080\n");
  ToolRun a = env.line("symmir", "query -output XML_ATTRIBUTE -file " + file + " -sid " + kSid);
  ToolRun b = env.line("symmir", "-sid " + kSid + " -file " + file + " query -output XML_ATTRIBUTE");
  ASSERT_EQ(a.status, 0) << a.out;
  EXPECT_EQ(parseXml(a.out)->first("BCV_Pair")->attr("state"), parseXml(b.out)->first("BCV_Pair")->attr("state"));
  EXPECT_EQ(env.line("symdev", "list -nobcv -sid " + kSid + " -output XML_ATTRIBUTE -fibre").status, 0);
  // The last digits of an ID name the array, as with SYMCLI.
  EXPECT_EQ(env.line("symdev", "-sid 0001 show 0040").status, 0);
}

TEST_F(SimCommandLines, AnythingElseIsRefusedWithUsageAndStatusOne) {
  std::string file = env.pairFile("p", "0040 0080\n");
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"symcfg", "list -bogus"},
      {"symcfg", "frobnicate"},
      {"symcfg", ""},
      {"symcfg", "-sid " + kSid + " -lockn 3"},
      {"symcfg", "list -connections"},  // needs -sid
      {"symdev", "show 0040 -sid " + kSid + " extra"},
      {"symdev", "show -sid " + kSid},
      {"symdev", "-sid " + kSid + " list -output HTML"},
      {"symdev", "-sid " + kSid + " -sid " + kSid + " show 0040"},
      {"symdev", "-sid " + kSid + " -file " + file + " show 0040"},
      {"symmir", "-sid " + kSid + " query"},
      {"symmir", "-sid " + kSid + " -file " + file + " terminate"},
      {"symsnap", "-sid " + kSid + " -file " + file + " establish"},
      {"symclone", "-sid " + kSid + " -file " + file + " restore -restored"},
      {"symmask", "-sid " + kSid + " -wwn 10000000C9A00001 -dir 04A add devs 0040"},
      {"symmask", "list"},
      {"symmaskdb", "-sid " + kSid + " list assignment"},
      {"symcli", "-version"},
      {"symcli", "extra"},
  };
  for (const auto& c : refused) {
    ToolRun r = env.line(c.first, c.second);
    EXPECT_EQ(r.status, 1) << c.first << " " << c.second << "\n" << r.out;
    EXPECT_NE(r.out.find("usage: " + c.first), std::string::npos) << c.first << " " << c.second;
  }
}

TEST_F(SimCommandLines, UnknownArraysDevicesAndFilesFailClearly) {
  std::string file = env.pairFile("p", "0040 0080\n");
  struct Case {
    std::string tool, args, message;
  };
  const std::vector<Case> failing = {
      {"symdev", "-sid 999999999999 show 0040", "999999999999 was not found"},
      {"symdev", "-sid " + kSid + " show 0FFF", "Device 0FFF was not found"},
      {"symdev", "-sid " + kSid + " show XYZ", "Invalid Symmetrix device name"},
      {"symmir", "-sid " + kSid + " -file /nonexistent/pairs query", "Cannot open the device file"},
      {"symmir", "-sid " + kSid + " -file " + env.pairFile("bad", "0040\n") + " query", "Invalid line 1"},
      {"symmir", "-sid " + kSid + " -file " + env.pairFile("empty", "\n# nothing\n") + " query", "names no device pair"},
      {"symmir", "-sid " + kSid + " -file " + env.pairFile("unk", "0040 0080\n0041 0FFF\n") + " query", "Device 0FFF"},
      {"symmir", "-sid " + kSid + " -file " + env.pairFile("nb", "0040 0041\n") + " query", "is not a BCV device"},
      {"symmask", "-sid " + kSid + " -wwn 10000000C9A00001 -dir 07C -port 0 add devs 0040", "does not exist"},
      {"symmask", "-sid " + kSid + " -wwn 1000000000000000 -dir 04A -port 0 add devs 0040", "is not known"},
      {"symmask", "-sid " + kSid + " -wwn 10000000C9A00001 -dir 04A -port 1 add devs 0040", "is not mapped"},
      {"symcfg", "-sid " + kSid + " -lockn 16 release", ""},
  };
  for (const Case& c : failing) {
    ToolRun r = env.line(c.tool, c.args);
    EXPECT_NE(r.status, 0) << c.tool << " " << c.args;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << c.tool << " " << c.args << "\n" << r.out;
  }
  // A tool with no database says so.
  testenv::TempDir other("symsim_nodb");
  ToolRun r = runProgram(testenv::symsimPath(), {"install", other.path() + "/bin"});
  ASSERT_EQ(r.status, 0);
  ToolRun missing = runProgram(other.path() + "/bin/symcfg", {"list"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.out.find("symsim init"), std::string::npos);
}

}  // namespace
}  // namespace simtest
