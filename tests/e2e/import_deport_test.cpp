// import_resource and deport_resource: the masking records the four flags add and remove for this
// host's HBAs and other hosts', the refreshes, and the answers to a host without HBAs, a device no
// HBA reaches and a refresh that keeps failing.
#include <cctype>

#include "loaded_provider.h"

namespace {

using ::testing::UnorderedElementsAre;

const std::string kArray = "000190100001";
const std::string kLocal1 = "10000000C9A00001";
const std::string kLocal2 = "10000000C9A00002";
const std::string kOther1 = "10000000C9B00001";
const std::string kOther2 = "10000000C9C00001";

// This host with two HBAs, two other hosts with one each. 0040 and 0041 are masked to both local
// HBAs; the BCVs 0080 and 0081 to the first local HBA and both other hosts; no local HBA reaches
// 0090.
const char kScenario[] =
    "set version V7.0.0.0\n"
    "host local\n"
    "  hba 10000000C9A00001 port=hba0\n"
    "  hba 10000000C9A00002 port=hba1\n"
    "host backup01 address=10.20.30.41\n"
    "  hba 10000000C9B00001 port=hba0\n"
    "host backup02 address=10.20.30.42\n"
    "  hba 10000000C9C00001 port=hba0\n"
    "array 000190100001 local\n"
    "  port FA-4A:0 FA-4A:1 FA-13A:0 FA-13A:1 FA-7A:0\n"
    "  devices 0040-0041 std size=2048 ports=FA-4A:0,FA-13A:0\n"
    "  devices 0080-0081 bcv size=2048 ports=FA-4A:1,FA-13A:1\n"
    "  device 0090 std size=2048 ports=FA-7A:0\n"
    "  login 10000000C9A00001 FA-4A:0 FA-4A:1\n"
    "  login 10000000C9A00002 FA-13A:0 FA-13A:1\n"
    "  login 10000000C9B00001 FA-4A:1\n"
    "  login 10000000C9C00001 FA-13A:1\n"
    "  mask 10000000C9A00001 FA-4A:0 0040-0041\n"
    "  mask 10000000C9A00002 FA-13A:0 0040-0041\n"
    "  mask 10000000C9A00001 FA-4A:1 0080-0081\n"
    "  mask 10000000C9B00001 FA-4A:1 0080-0081\n"
    "  mask 10000000C9C00001 FA-13A:1 0080-0081\n";

class ImportDeport : public e2etest::LoadedProvider {
 protected:
  // The adds, removals and refreshes of `device` run so far, "<adds>/<removes>/<refreshes>".
  std::string masking(const std::string& device) const {
    return std::to_string(adds(device)) + "/" + std::to_string(removes(device)) + "/" +
           std::to_string(refreshes());
  }
  size_t adds(const std::string& device) const {
    return countCommands("symmask -sid " + kArray + " -wwn ", " -noprompt add devs " + device);
  }
  size_t removes(const std::string& device) const {
    return countCommands("symmask -sid " + kArray + " -wwn ", " -force remove devs " + device);
  }
  size_t refreshes() const {
    return countCommands("symmask -sid " + kArray + " refresh -noprompt");
  }
};

}  // namespace

TEST_F(ImportDeport, ImportAddsTheDeviceOnceAndKeepsOrRemovesOtherHostsAndDeportTreeHidesNothing) {
  start(kScenario);
  // Already masked to both local HBAs: one add for each HBA and director port of the device,
  // whatever the number of local assignments.
  EXPECT_EQ(0, importDevice("0040", 0x1));
  EXPECT_EQ("4/0/1", masking("0040"));
  EXPECT_EQ("symmask -sid 000190100001 refresh -noprompt", commands().back());
  EXPECT_EQ(1, traced("Sleeeping after unmask operation for [0] sec"));

  clearLog();
  EXPECT_EQ(0, importDevice("0080", 0x1));
  EXPECT_EQ("4/0/1", masking("0080"));
  EXPECT_THAT(
      maskedTo(kArray, "0080"),
      UnorderedElementsAre(kLocal1 + "@FA-13A:1", kLocal1 + "@FA-4A:1", kLocal2 + "@FA-13A:1",
                           kLocal2 + "@FA-4A:1", kOther1 + "@FA-4A:1", kOther2 + "@FA-13A:1"));
  // 0x2: the other hosts lose the device, each removal refreshed at once.
  clearLog();
  EXPECT_EQ(0, importDevice("0080", 0x2));
  EXPECT_EQ("4/2/3", masking("0080"));
  EXPECT_EQ(1u, countCommands("symmask -sid 000190100001 -wwn " + kOther1, "remove devs 0080"));
  EXPECT_EQ(1u, countCommands("symmask -sid 000190100001 -wwn " + kOther2, "remove devs 0080"));
  EXPECT_THAT(maskedTo(kArray, "0080"),
              UnorderedElementsAre(kLocal1 + "@FA-13A:1", kLocal1 + "@FA-4A:1",
                                   kLocal2 + "@FA-13A:1", kLocal2 + "@FA-4A:1"));
  EXPECT_EQ("", lastErrorId());
  // deport_tree hides nothing.
  clearLog();
  testenv::FrameworkNode first(e2etest::identity("0040"));
  testenv::FrameworkNode second(e2etest::identity("0080"));
  qlb_accessnode access = {first.get()};
  EXPECT_EQ(0, pgn.deport_tree(first.get(), second.get(), &access));
  EXPECT_EQ(1, traced("CEmcSymPlugin::deportTree: calling importNode for node "
                      "[UDID##EMC##SYMMETRIX##000190100001##0080] with flag "
                      "QLB_MODE_DEPORT_RESOURCE"));
  EXPECT_EQ(QLB_ERR_INVALID_ARG, pgn.deport_tree(first.get(), nullptr, &access));
  EXPECT_EQ(std::vector<std::string>(), commands());
}

TEST_F(ImportDeport, DeportRemovesTheLocalAssignmentsAndWith0x20TheOtherHostsToo) {
  start(kScenario);
  // The masking database answers with lower-case WWNs; this host's HBA list stays upper case. (Both
  // in upper case: the import with 0x2 of ImportAddsTheDevice...)
  std::string database = sim.run("symmaskdb", {"-sid", kArray, "-dev", "0080", "list", "assignment",
                                               "-output", "XML_ATTRIBUTE"})
                             .out;
  const std::string attribute = "port_wwn=\"";
  for (size_t at = database.find(attribute); at != std::string::npos;
       at = database.find(attribute, at + 1)) {
    for (size_t i = at + attribute.size(); i < database.size() && database[i] != '"'; ++i)
      database[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(database[i])));
  }
  ASSERT_NE(std::string::npos, database.find("c9a00001")) << database;
  sim.reply("--always --tool symmaskdb --cmd \"list assignment\"", database);
  EXPECT_EQ(0, deportDevice("0080", 0x10));
  EXPECT_EQ("0/1/2", masking("0080"));
  EXPECT_EQ(1u,
            countCommands("symmask -sid 000190100001 -wwn 10000000c9a00001 ", "remove devs 0080"));
  EXPECT_THAT(maskedTo(kArray, "0080"),
              UnorderedElementsAre(kOther1 + "@FA-4A:1", kOther2 + "@FA-13A:1"));

  sim.admin("fault clear");
  clearLog();
  EXPECT_EQ(0, deportDevice("0081", 0x20));
  EXPECT_EQ("0/3/4", masking("0081"));
  EXPECT_EQ(std::vector<std::string>(), maskedTo(kArray, "0081"));
  // A device assigned to no HBA: nothing to remove, the view is refreshed.
  clearLog();
  EXPECT_EQ(0, deportDevice("0090", 0x20));
  EXPECT_EQ("0/0/1", masking("0090"));
}

TEST_F(ImportDeport, NoLocalHbaNoReachablePortAndAFailingRefreshAreFailures) {
  writeConfig(simConfig() + "[TUNING_PARAMS]\n\"LOCK_RETRY_ATTEMPTS\"=dword:00000000\n");
  start(kScenario);
  sim.admin("fault add fail --tool symmask --cmd \"list hba\" --message \"No host bus adapters\"");
  EXPECT_EQ(QLB_ERR_INVALID_ARG, importDevice("0080", 0x1));
  EXPECT_EQ("MSG_ERROR_HOST_NOT_FOUND", lastErrorId());
  EXPECT_EQ("0/0/0", masking("0080"));
  // Every add of 0090 is refused as unreachable: no refresh, no wait.
  clearLog();
  pushed.clear();
  EXPECT_EQ(QLB_ERR_FAILED, importDevice("0090", 0x1));
  EXPECT_EQ("2/0/0", masking("0090"));
  EXPECT_EQ(0, traced("Sleeeping after unmask operation"));
  // A refresh that keeps failing: the masking change stays, no wait.
  clearLog();
  sim.admin("fault add fail --tool symmask --cmd refresh --always --message refused");
  EXPECT_EQ(QLB_ERR_FAILED, importDevice("0041", 0x2));
  EXPECT_EQ(4u, adds("0041"));
  EXPECT_EQ(0, traced("Sleeeping after unmask operation"));
}
