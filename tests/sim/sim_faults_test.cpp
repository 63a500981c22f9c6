// Faults set with "symsim fault", the command log, two processes on one database, and a command
// killed halfway. The gatekeeper, hang and lock faults are proven through the provider's runner
// (clitool_runner_test).
#include <gtest/gtest.h>

#include "sim_env.h"
#include "sim_scenario.h"

namespace simtest {
namespace {

const std::string kShow = " -sid " + kSid + " show 0040" + kSuffix;

class SimFaults : public SimTest {
 protected:
  Json log() { return parseJson(env.admin("log --json")); }
};

TEST_F(SimFaults, FaultsMatchByToolCommandArrayAndCount) {
  env.admin(
      "fault add fail --tool symmir --cmd query --sid 0001 --skip 1 --count 2 --message Broken "
      "--exit 7");
  std::string file = env.pairFile("p", "0040 0080\n");
  const std::string query = "query " + kSuffix;
  EXPECT_EQ(act("symmir", file, query).status, 0);       // skipped
  EXPECT_EQ(act("symclone", file, "query ").status, 2);  // no session
  EXPECT_EQ(act("symmir", file, "split -noprompt").status, 0);
  ToolRun failed = act("symmir", file, query);
  EXPECT_EQ(failed.status, 7);
  EXPECT_NE(failed.out.find("Broken"), std::string::npos);
  EXPECT_EQ(act("symmir", file, query).status, 7);
  EXPECT_EQ(act("symmir", file, query).status, 0);
  Json faults = parseJson(env.admin("fault list --json"));
  EXPECT_EQ(faults[0]["remaining"].number, 0);
  EXPECT_EQ(faults[0]["fired"].number, 2);

  // A fault of one array: Discovery.FlagsChooseWhetherDevicesAreListedAndAFailingArrayIsSkipped;
  // --always and "fault clear": Quelbctl.EachInjectedFaultShowsCommandExitStatusAndOutput (e2e).
  EXPECT_NE(env.run("symsim", {"fault", "add", "explode"}).status, 0);
  EXPECT_NE(env.run("symsim", {"fault", "add", "gatekeeper", "--msg", "5"}).status, 0);
  EXPECT_NE(env.run("symsim", {"fault", "clear", "99"}).status, 0);
}

// Truncated and non-XML output: Quelbctl.EachInjectedFaultShowsCommandExitStatusAndOutput (e2e)
// and the fault matrix.
TEST_F(SimFaults, CrashGarbageEmptyHugeAndLongLineFaults) {
  env.admin("fault add delay --tool symcli --ms 50");
  EXPECT_EQ(env.line("symcli", " -output XML ").status, 0);
  Json runs = log();
  EXPECT_EQ(runs[runs.size() - 1]["fault"].string, "delay");

  // The kinds the fault matrix adds: what each prints and how it ends, and that a crash after its
  // output keeps the work done.
  const struct {
    const char* add;
    int status;
    size_t minBytes;
    bool document;  // the normal document is in the output
    bool ended;     // the log has an exit status
  } cases[] = {
      {"crash", kCrashedStatus, 0, false, false},
      {"crash --after", kCrashedStatus, 100, true, false},
      {"garbage", 0, 100, false, true},
      {"empty", 0, 0, false, true},
      {"huge --bytes 300000", 0, 300000, true, true},
      {"longline --bytes 70000", 0, 70000, true, true},
  };
  for (const auto& c : cases) {
    env.admin(std::string("fault add ") + c.add + " --tool symdev --cmd show");
    ToolRun r = env.line("symdev", kShow);
    EXPECT_EQ(r.status, c.status) << c.add;
    EXPECT_GE(r.out.size(), c.minBytes) << c.add;
    EXPECT_EQ(r.out.empty(), c.minBytes == 0) << c.add << "\n" << r.out;  // 0: prints nothing
    EXPECT_EQ(r.out.find("</SymCLI_ML>") != std::string::npos, c.document) << c.add;
    runs = log();
    EXPECT_EQ(runs[runs.size() - 1]["exit_status"].type == Json::Number, c.ended) << c.add;
  }
  // The longest line of the long-line fault is the injected one.
  env.admin("fault add longline --bytes 5000 --tool symdev --cmd show");
  EXPECT_EQ(env.line("symdev", kShow).out.find('\n'), 5000u);

  // A split that crashes after its output has split the pair.
  env.admin("fault add crash --after --tool symmir --cmd split");
  std::string file = env.pairFile("p", "0040 0080\n");
  EXPECT_EQ(act("symmir", file, "split -noprompt").status, kCrashedStatus);
  EXPECT_NE(env.admin("show").find("SplitInProg"), std::string::npos) << env.admin("show");
}

TEST_F(SimFaults, ACommandKilledHalfwayChangesNothing) {
  std::string file = env.pairFile("p", "0040 0080\n0042 0082\n");
  env.admin("state --sid " + kSid + " pair 0042 0082 Synchronized");
  env.admin("fault add hang --tool symmir --cmd split --midway");
  // The split makes its changes and hangs before it commits them.
  Child child(env.tool("symmir"), {"-sid", kSid, "-file", file, "split", "-noprompt"});
  std::string out = child.readUntil("in progress");
  ASSERT_NE(out.find("in progress"), std::string::npos) << out;
  EXPECT_EQ(child.kill(), kKilledStatus);
  auto doc = read("symmir", " -sid " + kSid + " -file " + file + " query ");
  auto pairs = doc->all("BCV_Pair");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0]->attr("state"), "Synchronized");
  EXPECT_EQ(pairs[1]->attr("state"), "Synchronized");
}

TEST_F(SimFaults, TheLogRecordsEveryRunInOrder) {
  std::string file = env.pairFile("p", "0041 0081\n");
  act("symmir", file, "establish -noprompt");
  act("symmir", file, "establish -noprompt");
  env.run("symdev", {"-bogus"});
  env.admin("fault add gatekeeper --tool symdisk --msg 3");
  env.line("symdisk", " list  -sid " + kSid + kSuffix);

  Json runs = log();
  // Tool, command, array, arguments, pair file, exit status and clearing: the provider tests read
  // them (loggedRuns).
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_NE(runs[1]["message"].string.find("SyncInProg"), std::string::npos);
  EXPECT_EQ(runs[2]["exit_status"].number, 1);
  EXPECT_EQ(runs[2]["command"].type, Json::Null);
  EXPECT_EQ(runs[3]["fault"].string, "gatekeeper");
  EXPECT_LT(runs[0]["id"].number, runs[3]["id"].number);

  // Filters and the table form.
  EXPECT_EQ(parseJson(env.admin("log --json --tool symmir")).size(), 2u);
  EXPECT_EQ(parseJson(env.admin("log --json --last 1"))[0]["tool"].string, "symdisk");
  std::string table = env.admin("log");
  EXPECT_NE(table.find("symmir -sid " + kSid + " -file " + file + " establish -noprompt"),
            std::string::npos);
  EXPECT_NE(table.find("file: 0041 0081"), std::string::npos);
}

TEST_F(SimFaults, TwoProcessesShareOneDatabase) {
  // Two streams of commands run at the same time, each on its own pair; every run must succeed and
  // be logged.
  std::string a = env.pairFile("a", "0042 0082\n");
  std::string b = env.pairFile("b", "0043 0083\n");
  env.admin("set copy_queries 0");
  env.admin("set split_queries 0");
  const int rounds = 12;
  int failures = 0;
  for (int i = 0; i < rounds; ++i) {
    const char* action = i % 2 == 0 ? "establish" : "split";
    Child one(env.tool("symmir"), {"-sid", kSid, "-file", a, action, "-noprompt"});
    Child two(env.tool("symmir"), {"-sid", kSid, "-file", b, action, "-noprompt"});
    Child three(env.tool("symmir"),
                {"-sid", kSid, "-file", a, "query", "-output", "XML_ATTRIBUTE"});
    failures += one.finish().status != 0;
    failures += two.finish().status != 0;
    failures += three.finish().status != 0;
  }
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(log().size(), static_cast<size_t>(rounds * 3));
  EXPECT_EQ(
      read("symmir", " -sid " + kSid + " -file " + b + " query ")->first("BCV_Pair")->attr("state"),
      "Split");
}

}  // namespace
}  // namespace simtest
