// quelbctl's inventory commands against the simulator: what a person sees
// of the arrays, devices and hosts, and how bad arguments are answered.
#include <gtest/gtest.h>

#include <string>

#include "isolated_install.h"
#include "sim_env.h"
#include "test_env.h"

namespace {

class QuelbctlInventory : public ::testing::Test {
 protected:
  void SetUp() override {
    install.linkBuiltMessages();
    testenv::makeDirs(install.root() + "ConfigFiles");
    testenv::writeFile(install.configFile("norvel"),
                       "[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + sim.bin() + "\"\n");
    sim.initDemo();
  }

  simtest::ToolRun quelbctl(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = {"--lib", testenv::norvelLibraryPath()};
    args.insert(args.end(), arguments.begin(), arguments.end());
    return simtest::runProgram(testenv::quelbctlPath(), args,
                               {"QUELB_SLEEP_SCALE=0", "QUELB_CLI_LOCK_KEY=0"});
  }

  testenv::IsolatedInstall install;
  simtest::SimEnv sim;
};

}  // namespace

TEST_F(QuelbctlInventory, ListsArraysDevicesAndHosts) {
  simtest::ToolRun r = quelbctl({"enclosures"});
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_NE(std::string::npos,
            r.out.find("enclosure 000190100002  name 000190100002  EMC SYMMETRIX  provider norvel"
                       "  available 2399997526016 bytes  total 4799995052032 bytes\n"))
      << r.out;
  EXPECT_NE(std::string::npos, r.out.find("\n2 enclosures\n")) << r.out;

  r = quelbctl({"nodes", "--flags", "0x10", "--filter", "enclosure_id=000190100002"});
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_NE(std::string::npos,
            r.out.find("node EMC##SYMMETRIX##000190100002##0200  id "
                       "UDID##EMC##SYMMETRIX##000190100002##0200  size 4294967296 bytes  provider "
                       "norvel\n"))
      << r.out;
  EXPECT_NE(std::string::npos, r.out.find("\n12 nodes\n")) << r.out;

  sim.admin("set local_host_name thishost");
  r = quelbctl({"hosts", "--filter", "enclosure_id=000190100002"});
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_NE(std::string::npos,
            r.out.find("host thishost  array 000190100002  ports 10000000C9A00001 "
                       "10000000C9A00002\n1 hosts\n"))
      << r.out;
}

TEST_F(QuelbctlInventory, AFailedOperationAndBadArgumentsAreReported) {
  simtest::ToolRun r = quelbctl({"nodes", "--filter", "enclosure_id=000199999999"});
  EXPECT_EQ(1, r.status) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("0 nodes\n")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("quelbctl: enumerate_nodes returned 3: ")) << r.out;

  r = quelbctl({"nodes", "--flags", "sixteen"});
  EXPECT_EQ(2, r.status) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("--flags wants a number, not sixteen")) << r.out;
  r = quelbctl({"hosts", "--flags", "16"});
  EXPECT_EQ(2, r.status) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("hosts does not take --flags")) << r.out;
  r = quelbctl({"enclosures", "--filter"});
  EXPECT_EQ(2, r.status) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("--filter needs a value")) << r.out;
}
