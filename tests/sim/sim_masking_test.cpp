// Masking: the database grants devices at once, the array applies them at refresh; HBA registration
// under the host's name, long host names, and the local host's address.
#include <gtest/gtest.h>

#include "sim_env.h"
#include "sim_scenario.h"

namespace simtest {
namespace {

class SimMasking : public SimTest {
 protected:
  std::string pdName(const std::string& dev) { return show(dev)->first("Device")->attr("pd_name"); }
  size_t originators(const std::string& sid, const std::string& host) {
    return read("symmaskdb", " -sid " + sid + " -host " + host + " list capacity ")
        ->all("Originator_port")
        .size();
  }
  size_t assignments(const std::string& dev) {
    ToolRun r =
        env.line("symmaskdb", " -sid " + kSid + " -dev " + dev + " list assignment " + kSuffix);
    return r.status == 0 ? parseXml(r.out)->all("Device").size() : 0;
  }
  ToolRun mask(const std::string& action, const std::string& wwn, const std::string& dir,
               const std::string& port, const std::string& dev) {
    std::string flag = action == "add" ? " -noprompt" : " -force";
    return env.line("symmask", " -sid " + kSid + " -wwn " + wwn + " -dir " + dir + " -port " +
                                   port + flag + " " + action + " devs " + dev);
  }
};

TEST_F(SimMasking, TheDatabaseChangesAtOnceTheArrayAtRefreshAndTheLocalHostIsThisMachine) {
  EXPECT_EQ(pdName("0080"), "Not Visible");
  ASSERT_EQ(mask("add", "10000000c9a00001", "FA-4A", "1", "0080").status, 0);
  EXPECT_EQ(assignments("0080"), 2u);  // this host's HBA and backup01's
  EXPECT_EQ(pdName("0080"), "Not Visible");
  // Adding again is harmless (an import of an imported device).
  ASSERT_EQ(mask("add", "10000000C9A00001", "4A", "1", "0080").status, 0);
  ASSERT_EQ(env.line("symmask", " -sid " + kSid + " refresh -noprompt").status, 0);
  std::string visible = pdName("0080");
  EXPECT_EQ(visible.rfind("/dev/sd", 0), 0u);

  ASSERT_EQ(mask("remove", "10000000C9A00001", "04A", "1", "0080").status, 0);
  EXPECT_EQ(assignments("0080"), 1u);
  EXPECT_EQ(pdName("0080"), visible);  // until the array applies it
  ToolRun again = mask("remove", "10000000C9A00001", "04A", "1", "0080");
  EXPECT_NE(again.status, 0);
  EXPECT_NE(again.out.find("is not assigned"), std::string::npos);
  ASSERT_EQ(env.line("symmask", " refresh -noprompt").status, 0);
  EXPECT_EQ(pdName("0080"), "Not Visible");

  // Ranges and lists of devices, and the database listing. 0050 is not on FA-13A, so nothing of the
  // list is added.
  EXPECT_NE(mask("add", "10000000C9A00002", "13A", "0", "0042:0043,0050").status, 0);
  EXPECT_EQ(assignments("0042"), 0u);
  ASSERT_EQ(mask("add", "10000000C9A00002", "13A", "0", "0042:0043").status, 0);
  auto db = read("symmaskdb", " -sid " + kSid + " list database ");
  int devices = 0;
  for (const XmlNode* r : db->all("Db_Record"))
    if (r->attr("originator_port_wwn") == "10000000C9A00002")
      devices += static_cast<int>(r->all("Device").size());
  EXPECT_EQ(devices, 2);

  // The local host is this machine unless set; its address, by which the provider finds its
  // director ports: MaskingTest.HostsOfTheDatabaseAndTheLoginsAndTheConfiguredTarget.
  auto conn = read("symcfg", " -sid " + kSid + " list -connections -sorthost ");
  EXPECT_EQ(conn->first("Host")->attr("name"), hostName());

  env.admin("set local_host_name simhost");
  env.admin("set local_host_address 192.0.2.7");
  auto changed = read("symcfg", " -sid " + kSid + " list -connections -sorthost ");
  EXPECT_EQ(changed->first("Host")->attr("name"), "simhost");
  EXPECT_EQ(changed->first("Host")->attr("address"), "192.0.2.7");
  EXPECT_EQ(read("symmask", " list hba ")->first("Host_HBA")->attr("awwn_node_name"), "simhost");
}

TEST_F(SimMasking, HbasAreRegisteredUnderTheHostName) {
  std::string scenario = kSmallScenario;
  scenario +=
      "array 000190100004 local\n  port FA-1A:0\n  devices 0001 std ports=FA-1A:0\n"
      "  login 10000000C9A00001 FA-1A:0\n  alias 10000000C9A00001 node=OLDNAME port=p0\n"
      "  login 10000000C9A00002 FA-1A:0 registered=no\n";
  env.init(scenario);
  const std::string sid = "000190100004";
  auto logins = read("symmask", " -sid " + sid + " list logins ");
  auto found = logins->all("Login");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0]->attr("awwn_node_name"), "OLDNAME");
  EXPECT_EQ(found[1]->attr("awwn_node_name"), "NULL");
  EXPECT_EQ(originators(sid, "OLDNAME"), 1u);

  auto hbas = read("symmask", " discover hba -rename ");
  bool renamed = false;
  for (const XmlNode* h : hbas->all("Host_HBA"))
    renamed = renamed || h->attr("awwn_node_name") == hostName();
  EXPECT_TRUE(renamed);
  ToolRun r = env.line("symmaskdb", " -sid " + sid + " -host OLDNAME list capacity " + kSuffix);
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(originators(sid, hostName()), 2u);
}

TEST_F(SimMasking, LongHostNamesAndAddresses) {
  std::string scenario = R"(
host local name=a-very-long-host-name.example.com address=10.123.4.5
  hba 10000000C9A00001
host another-long-host-name.example.com address=10.12.4.5
  hba 10000000C9B00001
array 000190100001
  port FA-4A:0
  devices 0040 std ports=FA-4A:0
  login 10000000C9A00001 FA-4A:0
  login 10000000C9B00001 FA-4A:0
  mask 10000000C9A00001 FA-4A:0 0040
)";
  env.init(scenario);
  auto db = read("symmaskdb", " -sid " + kSid + " list database ");
  std::vector<std::string> names;
  for (const XmlNode* r : db->all("Db_Record")) names.push_back(r->attr("awwn_node_name"));
  EXPECT_EQ(names, (std::vector<std::string>{"HOST.23.4.5", "HOST.12.4.5"}));
  EXPECT_EQ(originators(kSid, "HOST.23.4.5"), 1u);
}

}  // namespace
}  // namespace simtest
