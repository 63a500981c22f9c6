// quelbctl's copy commands against the simulator: import, deport, restore
// and dispose as a person runs them, what they print, and how failures and
// bad arguments are answered.
#include <gtest/gtest.h>

#include <string>

#include "isolated_install.h"
#include "sim_env.h"
#include "test_env.h"

namespace {

const std::string kUdid = "UDID##EMC##SYMMETRIX##000190100001##";

class QuelbctlCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    install.linkBuiltMessages();
    testenv::makeDirs(install.root() + "ConfigFiles");
    testenv::writeFile(install.configFile("norvel"),
                       "[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + sim.bin() + "\"\n");
    sim.initDemo();
  }
  void TearDown() override {
    EXPECT_EQ(std::vector<std::string>(), testenv::listDir(pairFileDir.path()))
        << "pair files left behind";
  }

  simtest::ToolRun quelbctl(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = {"--lib", testenv::norvelLibraryPath()};
    args.insert(args.end(), arguments.begin(), arguments.end());
    return simtest::runProgram(testenv::quelbctlPath(), args,
                               {"QUELB_SLEEP_SCALE=0", "QUELB_CLI_LOCK_KEY=0",
                                "TMPDIR=" + pairFileDir.path()});
  }
  bool has(const simtest::ToolRun& run, const std::string& text) const {
    return run.out.find(text) != std::string::npos;
  }

  testenv::IsolatedInstall install;
  simtest::SimEnv sim;
  testenv::TempDir pairFileDir{"norvel_pairfiles"};
};

}  // namespace

TEST_F(QuelbctlCopy, ImportDeportRestoreAndDisposeASnapshot) {
  sim.admin("state --sid 000190100001 pair 0041 0081 Split");
  simtest::ToolRun r = quelbctl({"import", kUdid + "0081"});
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_TRUE(has(r, "imported " + kUdid + "0081 (flags 0x1)\n")) << r.out;

  r = quelbctl({"deport", kUdid + "0081", "--flags", "0x20", "--host", "backup01"});
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_TRUE(has(r, "deported " + kUdid + "0081 (flags 0x20)\n")) << r.out;

  r = quelbctl({"restore", kUdid + "0041=" + kUdid + "0081", "--flags", "0x100"});
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_TRUE(has(r, "restored 1 pair (flags 0x100)\n  " + kUdid + "0041 from " + kUdid + "0081\n"))
      << r.out;

  sim.admin("state --sid 000190100001 pair 0041 0081 Split");
  r = quelbctl({"dispose", kUdid + "0041", kUdid + "0081"});
  EXPECT_EQ(0, r.status) << r.out;
  EXPECT_TRUE(has(r, "disposed of snapshot " + kUdid + "0081 of " + kUdid + "0041\n")) << r.out;
  EXPECT_NE(std::string::npos, sim.admin("show").find("000190100001  0041 0081  Synchronized"))
      << "re-established";
}

TEST_F(QuelbctlCopy, FailuresShowTheResultAndTheLastError) {
  simtest::ToolRun r = quelbctl({"--last-error", "dispose", kUdid + "0042", kUdid + "0082"});
  EXPECT_EQ(1, r.status) << r.out;
  EXPECT_TRUE(has(r, "quelbctl: dispose returned 6: ")) << r.out;
  EXPECT_TRUE(has(r, "last error: norvel: The SYMCLI command [determineSplitType] failed."))
      << r.out;

  r = quelbctl({"restore", kUdid + "0041=" + kUdid + "0081", "--flags", "2"});
  EXPECT_EQ(1, r.status) << r.out;
  EXPECT_TRUE(has(r, "quelbctl: restore returned 3: ")) << r.out;
  r = quelbctl({"import", kUdid + "0081", "--flags", "0x8"});
  EXPECT_EQ(1, r.status) << r.out;
  EXPECT_TRUE(has(r, "quelbctl: import_resource returned 6: ")) << r.out;
  r = quelbctl({"deport", "not-an-identity"});
  EXPECT_EQ(1, r.status) << r.out;
  EXPECT_TRUE(has(r, "quelbctl: deport_resource returned 21")) << r.out;
}

TEST_F(QuelbctlCopy, BadArgumentsAreRefusedBeforeTheProviderIsAsked) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"import"}, "import wants one device identity (UDID)"},
      {{"deport", "a", "b"}, "deport wants one device identity (UDID)"},
      {{"import", "a", "--flags", "one"}, "--flags wants a number, not one"},
      {{"deport", "a", "--host"}, "--host needs a value"},
      {{"dispose", kUdid + "0041"}, "dispose wants a source and a snapshot device identity"},
      {{"dispose", "a", "b", "--host", "h"}, "dispose does not take --host"},
      {{"restore"}, "restore wants SOURCE_UDID=SNAPSHOT_UDID pairs"},
      {{"restore", "a=b", "=b"}, "restore wants SOURCE_UDID=SNAPSHOT_UDID, not =b"},
      {{"restore", "a"}, "restore wants SOURCE_UDID=SNAPSHOT_UDID, not a"},
  };
  for (const auto& c : cases) {
    simtest::ToolRun r = quelbctl(c.args);
    EXPECT_EQ(2, r.status) << c.message << "\n" << r.out;
    EXPECT_TRUE(has(r, c.message)) << r.out;
  }
  EXPECT_EQ("[]", sim.admin("log --json").substr(0, 2)) << "no SYMCLI command ran";
}
