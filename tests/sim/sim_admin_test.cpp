// The administration command: scenarios and the demo, reports, settings, installing the tool names,
// and where the database is.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim_env.h"
#include "sim_scenario.h"

namespace simtest {
namespace {

TEST(SimAdmin, TheDemoAndExampleScenarioHoldEveryKindOfArrayAndDeviceAndBadOnesAreRefused) {
  SimEnv env;
  env.initDemo();  // sim/scenarios/demo.scn, compiled in
  Json show = parseJson(env.admin("show --json"));
  ASSERT_EQ(show["arrays"].size(), 3u);
  int remote = 0;
  for (const Json& a : show["arrays"].items) {
    remote += a["attachment"].string == "Remote";
    for (const char* type : {"std", "bcv", "clone", "vdev"})
      EXPECT_GT(a["devices"][type].number, 0) << type;
  }
  EXPECT_EQ(remote, 1);
  ASSERT_EQ(show["hosts"].size(), 2u);
  EXPECT_TRUE(show["hosts"][0]["local"].boolean);

  // The sequence of the README: list the devices of a demo array by hand.
  ToolRun list = env.run("symdev", {"-sid", "000190100001", "list", "-output", "XML_ATTRIBUTE"});
  ASSERT_EQ(list.status, 0) << list.out;
  EXPECT_EQ(parseXml(list.out)->all("Device").size(), 32u);
  EXPECT_NE(env.admin("show").find("000190100003  Remote"), std::string::npos);

  // A bad scenario is reported by its line and keeps the old database.
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"array 000190100001\n  devices 0001 std ports=FA-9A:0\n",
       ":2: director port FA-9A:0 is not declared"},
      {"host local\n  hba 123\n", ":2: Invalid WWN"},
      {"array 1\n  port FA-1A:0\n  devices 0001 std\n  devices 0002 bcv\n  pair 0001 0002 "
       "Sleeping\n",
       ":5: invalid BCV pair state"},
      {"array 1\n  frobnicate\n", ":2: unknown keyword"},
      {"devices 0001 std\n", ":1: \"devices\" must follow an \"array\" line"},
      {"set colour blue\n", ":1: unknown setting"},
      {"array 1\n  port FA-1A:0\n  devices 0001-0002 vdev\n  snap 0001 0002 Created\n",
       ":4: a virtual device"},
      {"host local\n", "defines no array"},
  };
  for (const auto& b : bad) {
    testenv::writeFile(env.file("bad.scn"), b.first);
    ToolRun r = env.run("symsim", {"init", env.file("bad.scn")});
    EXPECT_EQ(r.status, 2) << b.first;
    EXPECT_NE(r.out.find(b.second), std::string::npos) << b.first << "\n" << r.out;
  }
  EXPECT_EQ(parseJson(env.admin("show --json"))["arrays"].size(), 3u);
  EXPECT_NE(env.run("symsim", {"init", env.file("missing.scn")}).status, 0);
  EXPECT_EQ(env.run("symsim", {"init"}).status, 1);
}

// The database beside the tools (the provider tests' default), and one named by SYMSIM_DB and
// --db (every cell of the fault matrix): the suites that use them.
TEST(SimAdmin, InstallLaysOutTheToolNamesAndSettingsChangeReports) {
  SimEnv env;
  // Ten names; that each is there, every other simulator test proves.
  EXPECT_EQ(testenv::listDir(env.bin()).size(), 10u);
  // A setting reads back; what settings change in the tools' reports, the suites that set them
  // prove (Discovery.Version6Point3AndNoLocalArrayIsReportedOnceAndLeavesEmptyAnswers, e2e).
  env.init(kSmallScenario);
  env.admin("set version V6.3.0.0");
  EXPECT_EQ(env.admin("set version"), "V6.3.0.0\n");
  // A non-finite time would break every later tool run.
  for (const char* bad :
       {"set progress sometimes", "set copy_rate 0", "set nonsense 1", "clock advance soon",
        "clock advance nan", "set split_seconds 1e308", "set clock_offset inf", "frobnicate"}) {
    // One line that points to --help, not the whole usage.
    ToolRun r = env.line("symsim", bad);
    EXPECT_EQ(r.status, 1) << bad;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
    EXPECT_NE(r.out.find("; try 'symsim --help'"), std::string::npos) << r.out;
  }
  Json one = parseJson(env.admin("show --sid 000190100002 --devices --json"));
  ASSERT_EQ(one["arrays"].size(), 1u);
  EXPECT_EQ(one["arrays"][0]["device_list"].size(), 4u);
}

}  // namespace
}  // namespace simtest
