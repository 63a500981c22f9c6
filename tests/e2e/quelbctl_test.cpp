// quelbctl against the simulator: its commands' text and JSON, injected SYMCLI failures, bad
// command lines (status 1 for a failed operation, 2 for a command line, 3 for a failed start).
#include <algorithm>
#include <string>

#include "quelbctl_fixture.h"

namespace {

using e2etest::contains;
using e2etest::kSource;
using e2etest::kUdid;

using Quelbctl = e2etest::QuelbctlFixture;

}  // namespace

TEST_F(Quelbctl, InfoHelpVersionALibraryWithoutEntryPointsAndBothLanguages) {
  expect({"info"}, 0,
         {"claims the devices whose identity holds UDID##EMC##SYMMETRIX##",
          "EMC_TimeFinder_Snap    1.0"});
  EXPECT_FALSE(contains(quelbctlOut({"info"}).out, "interface version")) << "only with -v";
  expect({"-v", "info"}, 0, {"quelbctl: interface version 7.0.0.0", "quelbctl: registry "});
  expect({"--version"}, 0, {"quelbctl 1."});
  expect({"help", "restore"}, 0, {"usage: quelbctl [OPTIONS] restore SOURCE_UDID=SNAPSHOT_UDID"});
  expect({"nodes", "--help"}, 0, {"usage: quelbctl [OPTIONS] nodes", "JSON: result.nodes[]"});
  expect({"--help"}, 0, {"exit status:", "QUELB_REGISTRY", "  snapshot     "});
  // A library without the entry points: one line, however many are missing.
  const simtest::ToolRun r = quelbctl({"info"}, testenv::quelbutilLibraryPath());
  EXPECT_EQ(3, r.status) << r.out;
  EXPECT_EQ(1, std::count(r.out.begin(), r.out.end(), '\n')) << r.out;
  EXPECT_TRUE(contains(r.out, "it lacks 70 of the 70 entry points (norvel_fi_pgn_init,")) << r.out;

  // Both languages, the last error, and a warning for a language without a bundle of its own (the
  // provider does not fall back from de_AT to de).
  const std::string missing = install.scratch("absent/");
  writeConfig(missing);
  const std::string symcfg = std::string("symcfg") + testenv::kExeSuffix;
  const std::string german =
      "norvel: Die EMC-SYMCLI-Werkzeuge wurden nicht gefunden: Im Verzeichnis \"" + missing +
      "\" gibt es kein " + symcfg + ".";
  expect({"--lang", "de", "--last-error", "info"}, 3,
         {"[warning] " + german,
          "\n          norvel: The EMC SYMCLI tools were not found: there is no " + symcfg +
              " in the directory \"" + missing + "\".",
          "quelbctl: init returned 30: norvel: Der Symmetrix-Provider konnte nicht "
          "initialisiert werden.",
          "last error: " + german, "\n            norvel: The EMC SYMCLI tools were not"});
  expect({"--lang", "de_AT", "info"}, 3,
         {"quelbctl: warning: the provider has no messages in language de_AT",
          "norvel: The EMC SYMCLI tools were not found"});
  // Without its messages the provider shows bare message ids: quelbctl says why.
  testenv::removeTree(install.root() + "Messages");
  expect({"info"}, 3, {"quelbctl: warning: the provider's messages are not installed (no "});
}

TEST_F(Quelbctl, ListsArraysDevicesAndHostsAsTables) {
  const simtest::ToolRun enclosures = quelbctlOut({"-H", "enclosures"});
  EXPECT_EQ(0, enclosures.status);
  EXPECT_EQ(
      "ID            NAME          VENDOR  PRODUCT    PROVIDER  AVAILABLE  TOTAL\n"
      "000190100001  000190100001  EMC     SYMMETRIX  norvel    2.9 TiB    8.7 TiB\n"
      "000190100002  000190100002  EMC     SYMMETRIX  norvel    2.2 TiB    4.4 TiB\n",
      enclosures.out);
  expect({"-v", "nodes", "--flags", "0x10", "--filter", "enclosure_id=000190100002"}, 0,
         {"EMC##SYMMETRIX##000190100002##0200  UDID##EMC##SYMMETRIX##000190100002##0200  "
          "4294967296  norvel\n",
          "quelbctl: 12 nodes\n", "quelbctl: enumerate_nodes took ",
          " s of processor time in this process)\n"});
  sim.admin("set local_host_name thishost");
  expect(
      {"-v", "hosts", "--filter", "enclosure_id=000190100002"}, 0,
      {"HOST      ARRAY         PORTS\nthishost  000190100002  10000000C9A00001,10000000C9A00002\n",
       "quelbctl: 1 host\n"});
}

TEST_F(Quelbctl, ImportDeportRestoreDisposeAndSnapshotsWithATracedCauseAndAnImport) {
  sim.admin("state --sid 000190100001 pair 0041 0081 Split");
  expect({"import", kUdid + "0081"}, 0, {"imported " + kUdid + "0081 (flags 0x1)\n"});
  // A leading zero is decimal, not octal.
  expect({"deport", kUdid + "0081", "--flags", "032", "--host", "backup01"}, 0,
         {"deported " + kUdid + "0081 (flags 0x20)\n"});
  expect({"restore", kSource + "=" + kUdid + "0081", "--flags", "0x100"}, 0,
         {"restored 1 pair (flags 0x100)\n  " + kSource + " from " + kUdid + "0081\n"});
  sim.admin("state --sid 000190100001 pair 0041 0081 Split");
  expect({"dispose", kSource, kUdid + "0081"}, 0,
         {"disposed of snapshot " + kUdid + "0081 of " + kSource + "\n"});
  // A check of the provider names what it found.
  expect({"--last-error", "dispose", kUdid + "0042", kUdid + "0082"}, 1,
         {"quelbctl: dispose returned 6: ",
          "last error: norvel: The provider step [determineSplitType] failed: Pair is not in "
          "split state (bad state = Synchronized)."});
  expect({"deport", "not-an-identity"}, 1, {"quelbctl: deport_resource returned 21"});

  // A mirror snapshot in one process, and a traced cause.
  sim.admin("state --sid 000190100001 pair 0041 0081 Split");
  const std::vector<std::string> args = {
      "snapshot", "--session", "nightly", "--method", "EMC_TimeFinder_Mirror", kSource + "=0081"};
  const simtest::ToolRun taken = quelbctlOut(args);
  EXPECT_EQ(0, taken.status);
  EXPECT_EQ("snapshot " + kSource + " -> " + kUdid + "0081\n", taken.out);
  // A pair still splitting: the provider pushes nothing, but traces why.
  sim.admin("set split_queries 5");
  sim.admin("state --sid 000190100001 pair 0041 0081 SplitInProg");
  expect(args, 1,
         {"quelbctl: prepare returned 6: ",
          "quelbctl: the provider traced: Invalid STD-BCV pair state (SplitInProg)\n"});
  sim.admin("state --sid 000190100001 pair 0041 0081 SplitInProg");
  const simtest::Json answer = json(args, 1);
  EXPECT_EQ("prepare", answer["error"]["operation"].string);
  ASSERT_EQ(1u, answer["error"]["cause"].size());
  EXPECT_EQ("Invalid STD-BCV pair state (SplitInProg)", answer["error"]["cause"][0].string);

  // Each snapshot is imported to this host when asked.
  expect({"snapshot", "--method", "EMC_TimeFinder_Snap",
          "UDID##EMC##SYMMETRIX##000190100002##0201=0301", "--import"},
         0,
         {"-> UDID##EMC##SYMMETRIX##000190100002##0301\n",
          "imported UDID##EMC##SYMMETRIX##000190100002##0301 to "});
  EXPECT_THAT(commands(), ::testing::Contains(
                              ::testing::AllOf(::testing::StartsWith("symmask -sid 000190100002"),
                                               ::testing::HasSubstr(" add devs 0301"))))
      << "the snap device is masked to this host";
  expect({"snapshot", "--method", "EMC_TimeFinder_Clone", "UDID##HDS##OPEN##1##0041=00C1"}, 1,
         {"quelbctl: the provider does not claim UDID##HDS##OPEN##1##0041"});
  // A target the array lacks: the tool's own words reach the user.
  expect({"snapshot", "--method", "EMC_TimeFinder_Clone", kSource + "=0FFF"}, 1,
         {"show 0FFF -output XML_ATTRIBUTE  failed with exit status 2. Its output:\n",
          "Device 0FFF was not found", "quelbctl: select returned 6"});
}

// Each injected failure reaches the user with the command, its exit status and the tool's output,
// as text and JSON. A held lock: RunnerTest.HeldLockIsReleasedFromTheLockList; a hang is the runner
// tests' (it lasts the ten-minute time-out); a busy gatekeeper and truncated output, FaultMatrix.
TEST_F(Quelbctl, EachInjectedFaultShowsCommandExitStatusAndOutput) {
  const std::string command =
      std::string("symdev") + testenv::kExeSuffix + "\"  -sid 000190100001 -fibre -nobcv  list";
  const struct {
    std::vector<std::string> fault;
    std::vector<std::string> texts;
  } cases[] = {
      {{"fail", "--exit", "7", "--message", "Controller \"A\"\toffline"},
       {command, "failed with exit status 7. Its output:\n", "Controller \"A\"\toffline"}},
      {{"gatekeeper", "--msg", "none"}, {command, "It printed nothing."}},
      {{"noxml"},
       {std::string("symdev") + testenv::kExeSuffix + " -sid 000190100001 -fibre -nobcv  list",
        "ended with exit status 0, but its output",
        "The command completed, but its report could not be formatted."}},
  };
  for (const auto& c : cases) {
    sim.admin("fault clear");
    std::vector<std::string> add = {"fault", "add"};
    add.insert(add.end(), c.fault.begin(), c.fault.end());
    add.insert(add.end(), {"--tool", "symdev", "--cmd", "list", "--always"});
    const simtest::ToolRun added = sim.run("symsim", add);
    ASSERT_EQ(0, added.status) << c.fault[0] << ": " << added.out;
    const simtest::ToolRun text = quelbctl({"nodes"});
    EXPECT_EQ(1, text.status) << c.fault[0] << "\n" << text.out;
    const simtest::Json answer = json({"nodes"}, 1);
    EXPECT_EQ(1, static_cast<int>(answer["status"].number)) << c.fault[0];
    std::string last;
    for (const simtest::Json& m : answer["messages"].items) last = m["text"].string;
    for (const std::string& part : c.texts) {
      EXPECT_TRUE(contains(text.out, part)) << c.fault[0] << ": " << part << "\n" << text.out;
      EXPECT_TRUE(contains(last, part)) << c.fault[0] << ": " << part << "\n" << last;
    }
  }
}

TEST_F(Quelbctl, JsonAnswersParseAndHoldTheDocumentedFields) {
  sim.admin("state --sid 000190100001 pair 0041 0081 Split");
  // The command line ("@" for the first array's UDID prefix), what the simulator is told first, the
  // array under "result" and the fields of "result" or of the list's first item.
  const struct {
    const char* line;
    const char* before;
    const char* list;
    const char* fields;
  } cases[] = {
      {"info", "", "providers", "name interface values claim_patterns"},
      {"info", "", "snapshot_methods", "name version values"},
      {"enclosures", "", "enclosures",
       "id name vendor product provider available_bytes total_bytes"},
      {"nodes", "", "nodes", "name udid size_bytes provider"},
      {"hosts", "", "hosts", "name array ports"},
      {"import @0081", "", "", "udid host flags"},
      {"snapshot --method EMC_TimeFinder_Clone @0042=00C2 --import", "", "",
       "session sources snapshots imported"},
      {"restore @0042=@00C2", "state --sid 000190100001 clone 0042 00C2 Copied", "pairs",
       "source snapshot"},
      {"dispose @0042 @00C2", "", "", "source snapshot"},
  };
  for (const auto& c : cases) {
    if (*c.before) sim.admin(c.before);
    std::string line = std::string("--last-error ") + c.line;
    for (size_t at; (at = line.find('@')) != std::string::npos;) line.replace(at, 1, kUdid);
    const simtest::Json answer = json(simtest::splitCommandLine(line), 0);
    const std::string name = line.substr(13, line.find(' ', 13) - 13);
    EXPECT_EQ(name, answer["command"].string);
    EXPECT_EQ("7.0.0.0", answer["interface_version"].string) << name;
    EXPECT_EQ(simtest::Json::Null, answer["error"].type) << name;
    EXPECT_EQ(simtest::Json::Array, answer["messages"].type) << name;
    EXPECT_EQ(simtest::Json::Null, answer["last_error"].type) << name;
    const simtest::Json* holder = &answer["result"];
    if (*c.list) {
      ASSERT_LT(0u, (*holder)[c.list].size()) << name << " " << c.list;
      holder = &(*holder)[c.list][0];
    }
    for (const std::string& field : simtest::splitCommandLine(c.fields))
      EXPECT_EQ(1u, holder->fields.count(field)) << name << ": " << field;
  }
  // A failure and the last error: the error object and its text.
  const simtest::Json failed = json({"--last-error", "nodes", "--filter", "enclosure_id=1"}, 1);
  EXPECT_EQ(3, static_cast<int>(failed["error"]["code"].number));
  EXPECT_EQ("enumerate_nodes", failed["error"]["operation"].string);
  EXPECT_TRUE(contains(failed["last_error"]["text"].string, "no array 1 is attached"));
  // A provider that prints on standard output (here: its trace file cannot be made) leaves the
  // document alone there.
  testenv::removeTree(install.root() + "Logs");
  testenv::writeFile(install.root() + "Logs", "");
  EXPECT_EQ(0, static_cast<int>(json({"info"}, 0)["status"].number));
  const simtest::Json usage = json({"nodes", "--flags", "x"}, 2);
  EXPECT_TRUE(contains(usage["error"]["message"].string, "--flags wants a number, not x"));
}

TEST_F(Quelbctl, BadArgumentsAreRefusedInOneLineBeforeTheProviderIsAsked) {
  const struct {
    std::vector<std::string> args;
    std::string message;
  } calls[] = {
      {{"nodes", "--flags", "sixteen"}, "--flags wants a number, not sixteen"},
      {{"hosts", "--flags", "16"}, "hosts does not take --flags"},
      {{"enclosures", "--filter"}, "--filter needs a value"},
      // The provider would skip the first item and stop reading at the second.
      {{"nodes", "--filter", "enclosure_id"},
       "NAME=VALUE items separated by commas, not enclosure_id"},
      {{"nodes", "--filter", "x=a=b,enclosure_id=000190100002"}, "not x=a=b"},
      {{"import"}, "import wants one device identity (UDID)"},
      {{"deport", "a", "b"}, "deport wants one device identity (UDID)"},
      {{"dispose", kSource}, "dispose wants a source and a snapshot device identity"},
      {{"dispose", "a", "b", "--host", "h"}, "dispose does not take --host"},
      {{"restore"}, "restore wants SOURCE_UDID=SNAPSHOT_UDID pairs"},
      {{"restore", "a=b", "=b"}, "restore wants SOURCE_UDID=SNAPSHOT_UDID, not =b"},
      {{"restore", "a=b=c"}, "not a=b=c"},
      {{"snapshot"}, "snapshot needs at least one UDID=TARGET"},
      {{"snapshot", kSource + "=0081"}, "--method must come before the source"},
      {{"snapshot", "--method", "EMC_TimeFinder_Clone", "UDID##EMC##0041=00C1"},
       "a source is UDID##"},
      {{"snapshot", "--method", "EMC_TimeFinder_Clone", kSource + "=00C1;00C2"},
       "a target is a device of the source's array (1 to 8 hexadecimal digits), not 00C1;00C2"},
      {{"snapshot", "--method", "EMC_TimeFinder_Clone", kSource + "=000190100002##00C1"},
       "not 000190100002##00C1"},
      {{"snapshot", "--method", "EMC_TimeFinder_Clone", kSource + "=00C1", kSource + "=00C2"},
       "the source " + kSource + " is given twice"},
      {{"snapshot", "--force"}, "snapshot does not take --force"},
      {{"info", "extra"}, "info takes no word like extra"},
      {{"frobnicate"}, "no command frobnicate; try 'quelbctl --help'"},
      {{"--colour", "info"}, "unknown option --colour; try 'quelbctl --help'"},
  };
  for (const auto& c : calls) {
    const simtest::ToolRun r = quelbctl(c.args);
    EXPECT_EQ(2, r.status) << r.out;
    EXPECT_TRUE(contains(r.out, c.message)) << c.message << "\n" << r.out;
    EXPECT_EQ(1, std::count(r.out.begin(), r.out.end(), '\n')) << r.out;
    EXPECT_TRUE(contains(r.out, "--help'\n")) << r.out;
  }
  // A method the provider does not offer is refused once it has said which it offers, before any
  // node is touched.
  const simtest::ToolRun unknown =
      quelbctl({"snapshot", "--method", "EMC_SRDF", kSource + "=0081"});
  EXPECT_EQ(1, unknown.status) << unknown.out;
  EXPECT_TRUE(contains(unknown.out,
                       "offers no snapshot method EMC_SRDF (it offers "
                       "EMC_TimeFinder_Clone, EMC_TimeFinder_Mirror, "
                       "EMC_TimeFinder_Snap)"))
      << unknown.out;
  EXPECT_EQ("[]", sim.admin("log --json").substr(0, 2)) << "no SYMCLI command ran";
}
