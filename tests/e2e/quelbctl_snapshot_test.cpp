// quelbctl's snapshot command against the simulator: one process that
// interposes, initialises and configures the source nodes, takes the
// snapshot in one session and cleans up; and its answers to bad arguments
// and failing operations.
#include <gtest/gtest.h>

#include <string>

#include "isolated_install.h"
#include "sim_env.h"
#include "test_env.h"

namespace {

class QuelbctlSnapshot : public ::testing::Test {
 protected:
  void SetUp() override {
    install.linkBuiltMessages();
    testenv::makeDirs(install.root() + "ConfigFiles");
    testenv::writeFile(install.configFile("norvel"),
                       "[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + sim.bin() + "\"\n");
    sim.initDemo();
  }
  void TearDown() override {
    EXPECT_TRUE(testenv::listDir(pairDir.path()).empty()) << "pair files left behind";
  }

  simtest::ToolRun quelbctl(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = {"--lib", testenv::norvelLibraryPath(), "snapshot"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    return simtest::runProgram(
        testenv::quelbctlPath(), args,
        {"QUELB_SLEEP_SCALE=0", "QUELB_CLI_LOCK_KEY=0", "TMPDIR=" + pairDir.path()});
  }

  // The SYMCLI runs logged after the start-up's discovery, "<tool> <args>"
  // without the output option.
  std::vector<std::string> commands() const {
    std::vector<std::string> lines;
    const simtest::Json runs = simtest::parseJson(sim.admin("log --json"));
    for (const simtest::Json& run : runs.items) {
      const std::string& tool = run["tool"].string;
      if (tool == "symcfg" || tool == "symcli" || tool == "symdisk") continue;
      std::string line = run["tool"].string;
      for (const simtest::Json& arg : run["args"].items) {
        if (arg.string == "-output") break;
        line += " " + (arg.string.find("/hvq_fi") == std::string::npos ? arg.string : "F");
      }
      lines.push_back(line);
    }
    return lines;
  }

  testenv::IsolatedInstall install;
  simtest::SimEnv sim;
  testenv::TempDir pairDir{"norvel_quelbctl_pairs"};
};

const char kSource[] = "UDID##EMC##SYMMETRIX##000190100001##0041";

}  // namespace

TEST_F(QuelbctlSnapshot, TakesAMirrorSnapshotInOneProcess) {
  sim.admin("state --sid 000190100001 pair 0041 0081 Split");
  sim.admin("log --clear");
  simtest::ToolRun r = quelbctl({"--session", "nightly", "--method", "EMC_TimeFinder_Mirror",
                                 std::string(kSource) + "=0081"});
  ASSERT_EQ(0, r.status) << r.out;
  EXPECT_NE(std::string::npos,
            r.out.find("source UDID##EMC##SYMMETRIX##000190100001##0041  node "
                       "<norvel>UDID##EMC##SYMMETRIX##000190100001##0041  method "
                       "EMC_TimeFinder_Mirror  target 0081\n"))
      << r.out;
  EXPECT_NE(std::string::npos,
            r.out.find("snapshot UDID##EMC##SYMMETRIX##000190100001##0041 -> "
                       "UDID##EMC##SYMMETRIX##000190100001##0081\n"
                       "1 snapshots in session nightly\n"))
      << r.out;

  // select, prepare (the split pair is established and waited for), make.
  const std::vector<std::string> ran = commands();
  ASSERT_GE(ran.size(), 6u);
  EXPECT_EQ("symdev -sid 000190100001 show 0041", ran[0]);
  EXPECT_EQ("symdev -sid 000190100001 show 0081", ran[1]);
  EXPECT_EQ("symmir -sid 000190100001 -file F query", ran[2]);
  EXPECT_EQ("symmir -sid 000190100001 -file F establish -noprompt", ran[3]);
  EXPECT_EQ("symmir -sid 000190100001 -file F split -consistent -noprompt", ran.back());
}

TEST_F(QuelbctlSnapshot, ImportsEachSnapshotToThisHostWhenAsked) {
  simtest::ToolRun r = quelbctl({"--method", "EMC_TimeFinder_Snap",
                                 "UDID##EMC##SYMMETRIX##000190100002##0201=0301", "--import"});
  EXPECT_NE(std::string::npos,
            r.out.find("-> UDID##EMC##SYMMETRIX##000190100002##0301\n1 snapshots in session "
                       "quelbctl-"))
      << r.out;
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_NE(std::string::npos,
            r.out.find("imported UDID##EMC##SYMMETRIX##000190100002##0301 to "))
      << r.out;
  bool masked = false;
  for (const std::string& line : commands())
    masked = masked || (line.find("symmask -sid 000190100002") == 0 &&
                        line.find(" add devs 0301") != std::string::npos);
  EXPECT_TRUE(masked) << "the snap device is masked to this host";
}

TEST_F(QuelbctlSnapshot, BadArgumentsAndFailingOperationsAreReported) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{}, "snapshot needs at least one UDID=TARGET"},
      {{std::string(kSource) + "=0081"}, "--method must come before the source"},
      {{"--method", "EMC_SRDF", std::string(kSource) + "=0081"}, "unknown snapshot method EMC_SRDF"},
      {{"--method", "EMC_TimeFinder_Clone", kSource}, "a source is UDID##EMC##SYMMETRIX##"},
      {{"--method", "EMC_TimeFinder_Clone", "UDID##EMC##0041=00C1"}, "a source is UDID##"},
      {{"--method"}, "--method needs a value"},
      {{"--force"}, "snapshot does not take --force"},
  };
  for (const Case& c : cases) {
    simtest::ToolRun r = quelbctl(c.args);
    EXPECT_EQ(2, r.status) << r.out;
    EXPECT_NE(std::string::npos, r.out.find(c.message)) << r.out;
  }

  // A device the provider does not claim, and a target the array lacks.
  simtest::ToolRun r =
      quelbctl({"--method", "EMC_TimeFinder_Clone", "UDID##HDS##OPEN##1##0041=00C1"});
  EXPECT_EQ(1, r.status) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("the provider does not claim UDID##HDS##OPEN##1##0041"))
      << r.out;
  r = quelbctl({"--method", "EMC_TimeFinder_Clone", std::string(kSource) + "=0FFF"});
  EXPECT_EQ(1, r.status) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("quelbctl: select returned 6")) << r.out;
  EXPECT_EQ(std::string::npos, r.out.find("snapshots in session")) << r.out;
}
