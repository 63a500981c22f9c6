// quelbctl as a person runs it against the simulator: the inventory, copy
// and snapshot commands, what they print, and how failures and bad
// arguments are answered (status 1 for a failed operation, 2 for a command
// line or a library that cannot be used).
#include <gtest/gtest.h>

#include <string>

#include "isolated_install.h"
#include "sim_env.h"
#include "test_env.h"

namespace {

const std::string kUdid = "UDID##EMC##SYMMETRIX##000190100001##";
const std::string kSource = kUdid + "0041";

struct BadCall {
  std::vector<std::string> args;
  const char* message;
};

class Quelbctl : public ::testing::Test {
 protected:
  void SetUp() override {
    install.linkBuiltMessages();
    writeConfig(sim.bin());
    sim.initDemo();
  }
  void TearDown() override {
    EXPECT_EQ(std::vector<std::string>(), testenv::listDir(pairFileDir.path()))
        << "pair files left behind";
  }

  void writeConfig(const std::string& symcli) {
    testenv::makeDirs(install.root() + "ConfigFiles");
    testenv::writeFile(install.configFile("norvel"),
                       "[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + symcli + "\"\n");
  }

  simtest::ToolRun quelbctl(const std::vector<std::string>& arguments,
                            const std::string& library = testenv::norvelLibraryPath()) {
    std::vector<std::string> args = {"--lib", library};
    args.insert(args.end(), arguments.begin(), arguments.end());
    return simtest::runProgram(
        testenv::quelbctlPath(), args,
        {"QUELB_SLEEP_SCALE=0", "QUELB_CLI_LOCK_KEY=0", "TMPDIR=" + pairFileDir.path()});
  }
  // Runs quelbctl and expects `status` and every text in its output.
  void expect(const std::vector<std::string>& args, int status,
              const std::vector<std::string>& texts) {
    const simtest::ToolRun r = quelbctl(args);
    EXPECT_EQ(status, r.status) << r.out;
    for (const std::string& text : texts)
      EXPECT_NE(std::string::npos, r.out.find(text)) << text << "\n" << r.out;
  }
  // Each call ends with 2 and its message before the provider is even
  // initialised.
  void expectRefused(const std::vector<BadCall>& calls) {
    for (const BadCall& c : calls) {
      const simtest::ToolRun r = quelbctl(c.args);
      EXPECT_EQ(2, r.status) << r.out;
      EXPECT_NE(std::string::npos, r.out.find(c.message)) << c.message << "\n" << r.out;
      EXPECT_EQ(std::string::npos, r.out.find("interface version")) << r.out;
    }
  }

  // The SYMCLI runs logged after the start-up's discovery, "<tool> <args>"
  // without the output option and with the pair-file path as "F".
  std::vector<std::string> commands() const {
    std::vector<std::string> lines;
    const simtest::Json runs = simtest::parseJson(sim.admin("log --json"));
    for (const simtest::Json& run : runs.items) {
      const std::string& tool = run["tool"].string;
      if (tool == "symcfg" || tool == "symcli" || tool == "symdisk") continue;
      std::string line = tool;
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
  testenv::TempDir pairFileDir{"norvel_pairfiles"};
};

}  // namespace

TEST_F(Quelbctl, InfoAndALibraryWithoutEntryPoints) {
  expect({"info"}, 0, {"claim pattern UDID##EMC##SYMMETRIX##", "EMC_TimeFinder_Snap"});
  const simtest::ToolRun r = quelbctl({"info"}, testenv::binaryDir() + "/lib/libquelbutil.so");
  EXPECT_EQ(2, r.status) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("lacks 70 of the 70 entry points")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("missing norvel_fi_pgn_init")) << r.out;
}

TEST_F(Quelbctl, ShowsBothLanguagesAndTheLastError) {
  const std::string missing = install.scratch("absent/");
  writeConfig(missing);
  const std::string german =
      "norvel: Die EMC-SYMCLI-Werkzeuge wurden nicht gefunden: Im "
      "Verzeichnis \"" +
      missing + "\" gibt es kein symcfg.";
  expect({"--lang", "de", "--last-error", "info"}, 1,
         {"[warning] " + german,
          "\n          norvel: The EMC SYMCLI tools were not found: there is no symcfg in the "
          "directory \"" +
              missing + "\".",
          "quelbctl: init returned 30: norvel: Der Symmetrix-Provider konnte nicht "
          "initialisiert werden.",
          "last error: " + german, "\n            norvel: The EMC SYMCLI tools were not"});
}

TEST_F(Quelbctl, ListsArraysDevicesAndHosts) {
  expect({"enclosures"}, 0,
         {"enclosure 000190100002  name 000190100002  EMC SYMMETRIX  provider norvel"
          "  available 2399997526016 bytes  total 4799995052032 bytes\n",
          "\n2 enclosures\n"});
  expect({"nodes", "--flags", "0x10", "--filter", "enclosure_id=000190100002"}, 0,
         {"node EMC##SYMMETRIX##000190100002##0200  id UDID##EMC##SYMMETRIX##000190100002##0200"
          "  size 4294967296 bytes  provider norvel\n",
          "\n12 nodes\n"});
  sim.admin("set local_host_name thishost");
  expect({"hosts", "--filter", "enclosure_id=000190100002"}, 0,
         {"host thishost  array 000190100002  ports 10000000C9A00001 10000000C9A00002\n1 hosts\n"});
  expect({"nodes", "--filter", "enclosure_id=000199999999"}, 1,
         {"0 nodes\n", "quelbctl: enumerate_nodes returned 3: "});
}

TEST_F(Quelbctl, ImportDeportRestoreAndDisposeASnapshot) {
  sim.admin("state --sid 000190100001 pair 0041 0081 Split");
  expect({"import", kUdid + "0081"}, 0, {"imported " + kUdid + "0081 (flags 0x1)\n"});
  expect({"deport", kUdid + "0081", "--flags", "0x20", "--host", "backup01"}, 0,
         {"deported " + kUdid + "0081 (flags 0x20)\n"});
  expect({"restore", kSource + "=" + kUdid + "0081", "--flags", "0x100"}, 0,
         {"restored 1 pair (flags 0x100)\n  " + kSource + " from " + kUdid + "0081\n"});
  sim.admin("state --sid 000190100001 pair 0041 0081 Split");
  expect({"dispose", kSource, kUdid + "0081"}, 0,
         {"disposed of snapshot " + kUdid + "0081 of " + kSource + "\n"});
  EXPECT_NE(std::string::npos, sim.admin("show").find("000190100001  0041 0081  Synchronized"))
      << "re-established";

  expect({"--last-error", "dispose", kUdid + "0042", kUdid + "0082"}, 1,
         {"quelbctl: dispose returned 6: ",
          "last error: norvel: The provider step [determineSplitType] failed: Pair is not in split state"});
  expect({"restore", kSource + "=" + kUdid + "0081", "--flags", "2"}, 1,
         {"quelbctl: restore returned 3: "});
  expect({"import", kUdid + "0081", "--flags", "0x8"}, 1,
         {"quelbctl: import_resource returned 6: "});
  expect({"deport", "not-an-identity"}, 1, {"quelbctl: deport_resource returned 21"});
}

TEST_F(Quelbctl, TakesAMirrorSnapshotInOneProcess) {
  sim.admin("state --sid 000190100001 pair 0041 0081 Split");
  sim.admin("log --clear");
  expect(
      {"snapshot", "--session", "nightly", "--method", "EMC_TimeFinder_Mirror", kSource + "=0081"},
      0,
      {"source " + kSource + "  node <norvel>" + kSource +
           "  method EMC_TimeFinder_Mirror  target 0081\n",
       "snapshot " + kSource + " -> " + kUdid + "0081\n1 snapshots in session nightly\n"});

  // select, prepare (the split pair is established and waited for), make.
  const std::vector<std::string> ran = commands();
  ASSERT_GE(ran.size(), 6u);
  EXPECT_EQ("symdev -sid 000190100001 show 0041", ran[0]);
  EXPECT_EQ("symdev -sid 000190100001 show 0081", ran[1]);
  EXPECT_EQ("symmir -sid 000190100001 -file F query", ran[2]);
  EXPECT_EQ("symmir -sid 000190100001 -file F establish -noprompt", ran[3]);
  EXPECT_EQ("symmir -sid 000190100001 -file F split -consistent -noprompt", ran.back());
}

TEST_F(Quelbctl, ImportsEachSnapshotToThisHostWhenAsked) {
  expect({"snapshot", "--method", "EMC_TimeFinder_Snap",
          "UDID##EMC##SYMMETRIX##000190100002##0201=0301", "--import"},
         0,
         {"-> UDID##EMC##SYMMETRIX##000190100002##0301\n1 snapshots in session quelbctl-",
          "imported UDID##EMC##SYMMETRIX##000190100002##0301 to "});
  bool masked = false;
  for (const std::string& line : commands())
    masked = masked || (line.find("symmask -sid 000190100002") == 0 &&
                        line.find(" add devs 0301") != std::string::npos);
  EXPECT_TRUE(masked) << "the snap device is masked to this host";

  // A device the provider does not claim, and a target the array lacks.
  expect({"snapshot", "--method", "EMC_TimeFinder_Clone", "UDID##HDS##OPEN##1##0041=00C1"}, 1,
         {"the provider does not claim UDID##HDS##OPEN##1##0041"});
  const simtest::ToolRun r =
      quelbctl({"snapshot", "--method", "EMC_TimeFinder_Clone", kSource + "=0FFF"});
  EXPECT_EQ(1, r.status) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("quelbctl: select returned 6")) << r.out;
  EXPECT_EQ(std::string::npos, r.out.find("snapshots in session")) << r.out;
}

TEST_F(Quelbctl, BadArgumentsAreRefusedBeforeTheProviderIsAsked) {
  expectRefused({
      {{"nodes", "--flags", "sixteen"}, "--flags wants a number, not sixteen"},
      {{"hosts", "--flags", "16"}, "hosts does not take --flags"},
      {{"enclosures", "--filter"}, "--filter needs a value"},
      {{"import"}, "import wants one device identity (UDID)"},
      {{"deport", "a", "b"}, "deport wants one device identity (UDID)"},
      {{"import", "a", "--flags", "one"}, "--flags wants a number, not one"},
      {{"deport", "a", "--host"}, "--host needs a value"},
      {{"dispose", kSource}, "dispose wants a source and a snapshot device identity"},
      {{"dispose", "a", "b", "--host", "h"}, "dispose does not take --host"},
      {{"restore"}, "restore wants SOURCE_UDID=SNAPSHOT_UDID pairs"},
      {{"restore", "a=b", "=b"}, "restore wants SOURCE_UDID=SNAPSHOT_UDID, not =b"},
      {{"restore", "a"}, "restore wants SOURCE_UDID=SNAPSHOT_UDID, not a"},
      {{"snapshot"}, "snapshot needs at least one UDID=TARGET"},
      {{"snapshot", kSource + "=0081"}, "--method must come before the source"},
      {{"snapshot", "--method", "EMC_SRDF", kSource + "=0081"}, "unknown snapshot method EMC_SRDF"},
      {{"snapshot", "--method", "EMC_TimeFinder_Clone", kSource},
       "a source is UDID##EMC##SYMMETRIX##"},
      {{"snapshot", "--method", "EMC_TimeFinder_Clone", "UDID##EMC##0041=00C1"},
       "a source is UDID##"},
      {{"snapshot", "--method"}, "--method needs a value"},
      {{"snapshot", "--force"}, "snapshot does not take --force"},
  });
  EXPECT_EQ("[]", sim.admin("log --json").substr(0, 2)) << "no SYMCLI command ran";
}
