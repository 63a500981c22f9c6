// The BCV pair, clone session and snap session state machines, walked through with the provider's
// command lines, and the refusals that change nothing.
#include <gtest/gtest.h>

#include "sim_env.h"
#include "sim_scenario.h"

namespace simtest {
namespace {

class SimTimeFinder : public SimTest {
 protected:
  // States of every pair of a query, in file order.
  std::vector<std::string> states(const std::string& tool, const std::string& file) {
    auto doc = read(tool, " -sid " + kSid + " -file " + file + " query ");
    std::vector<std::string> out;
    if (tool == "symmir") {
      for (const XmlNode* p : doc->all("BCV_Pair")) out.push_back(p->attr("state"));
    } else {
      for (const XmlNode* s : doc->all("Session"))
        out.push_back(s->attr(tool == "symsnap" ? "snap_state" : "state"));
    }
    return out;
  }
  // Runs each step of a walk on the pair file, a line of one of these forms:
  //   "ACTION"           must succeed;
  //   "ACTION -> TEXT"   must be refused with status 2 and a message containing TEXT;
  //   "? STATE"          a query gives the first pair this state;
  //   "status DEV TEXT"  the device has this status.
  void walk(const std::string& tool, const std::string& file,
            const std::vector<std::string>& steps) {
    for (size_t i = 0; i < steps.size(); ++i) {
      const std::string& s = steps[i];
      SCOPED_TRACE("step " + std::to_string(i) + ": " + tool + " " + s);
      if (s.rfind("? ", 0) == 0) {
        std::vector<std::string> now = states(tool, file);
        EXPECT_EQ(now.empty() ? "" : now[0], s.substr(2));
      } else if (s.rfind("status ", 0) == 0) {
        EXPECT_EQ(show(s.substr(7, 4))->first("Device")->attr("status"), s.substr(12));
      } else {
        const size_t arrow = s.find(" -> ");
        const std::string expect = arrow == std::string::npos ? "" : s.substr(arrow + 4);
        ToolRun r = act(tool, file, s.substr(0, arrow));
        EXPECT_EQ(r.status, expect.empty() ? 0 : 2) << r.out;
        EXPECT_NE(r.out.find(expect), std::string::npos) << r.out;
      }
    }
  }
};

TEST_F(SimTimeFinder, MirrorPairsWalkEveryState) {
  walk("symmir", env.pairFile("split", "0041 0081\n"),
       {// A split pair is established again and synchronises over two queries.
        "establish -noprompt", "? SyncInProg", "establish -noprompt -> in the state SyncInProg",
        "? SyncInProg", "? Synchronized", "status 0081 Not Ready",
        // The provider's split passes through SplitInProg.
        "split -consistent -noprompt ", "? SplitInProg", "? Split", "status 0081 Ready",
        "split -consistent -noprompt  -> in the state Split",
        // Restore copies back and is split again afterwards.
        "restore -noprompt", "? RestInProg", "? RestInProg", "? Restored",
        "restore -noprompt -> in the state Restored", "split -noprompt", "? SplitInProg", "? Split",
        // A split before the synchronisation ends leaves SplitBfrSync.
        "establish -noprompt", "split -noprompt", "? SplitBfrSync",
        "restore -noprompt -> in the state SplitBfrSync"});
  walk("symmir", env.pairFile("synced", "0040 0080\n"),
       {"establish -noprompt -> in the state Synchronized",
        "restore -noprompt -> in the state Synchronized", "? Synchronized"});
}

TEST_F(SimTimeFinder, NeverEstablishedPairsAndPairingRules) {
  std::string fresh = env.pairFile("fresh", "0042 0082\n");
  EXPECT_EQ(show("0082")->first("BCV_Pair")->attr("state"), "NeverEstab");
  walk("symmir", fresh,
       {"? NeverEstab", "split -noprompt -> NeverEstab", "restore -noprompt -> NeverEstab",
        "establish -noprompt", "? SyncInProg"});
  // A BCV paired with another standard device needs -full to move.
  walk("symmir", env.pairFile("other", "0043 0081\n"),
       {"establish -noprompt -> paired with standard device 0041", "establish -full -noprompt",
        "? SyncInProg"});
  walk("symmir", env.pairFile("old", "0041 0081\n"), {"? NeverEstab"});
  // A BCV smaller than its standard device, or a standard given as BCV.
  walk("symmir", env.pairFile("big", "0050 0083\n"), {"establish -noprompt -> is smaller than"});
  walk("symmir", env.pairFile("nobcv", "0040 0042\n"),
       {"establish -noprompt -> is not a BCV device"});
}

TEST_F(SimTimeFinder, ARefusedLineOfAFileChangesNoPair) {
  // The second line fails, so the first pair must not be split either.
  std::string both = env.pairFile("both", "0040 0080\n0041 0081\n");
  walk("symmir", both, {"split -noprompt -> in the state Split"});
  EXPECT_EQ(states("symmir", both), (std::vector<std::string>{"Synchronized", "Split"}));
  walk("symmir", env.pairFile("dup", "0040 0080\n0041 0080\n"),
       {"split -noprompt -> appears twice"});
  EXPECT_EQ(states("symmir", both).at(0), "Synchronized");
}

TEST_F(SimTimeFinder, CloneAndSnapSessionsWalkEveryState) {
  std::string pair = env.pairFile("clone", "0042 00C2\n");
  walk(
      "symclone", pair,
      {"query " + kSuffix + " -> No clone session", "establish -full -consistent -noprompt",
       "establish -full -consistent -noprompt -> already the target",
       "split -noprompt -> in the state CopyInProg", "restore -noprompt -> in the state CopyInProg",
       "? CopyInProg", "? CopyInProg", "? Copied", "split -noprompt", "? Split",
       "restore -noprompt", "? RestInProg", "? RestInProg", "? Restored", "split -noprompt",
       "? Split", "restore -noprompt", "terminate -noprompt -> terminate without -symforce",
       "terminate -symforce -noprompt", "terminate -symforce -noprompt -> No clone session",
       // Create and activate, the other way to start a clone copy.
       "create -noprompt", "? Created", "activate -consistent -noprompt", "? CopyInProg"});
  walk("symclone", env.pairFile("vdev", "0043 0103\n"),
       {"establish -full -noprompt -> virtual device"});

  // Snap sessions.
  pair = env.pairFile("snap", "0043 0103\n");
  // The provider puts the action before -sid for create and activate.
  EXPECT_EQ(env.line("symsnap", " create -sid " + kSid + " -file " + pair + " -noprompt").status,
            0);
  walk("symsnap", pair, {"? Created", "restore -noprompt -> in the state Created"});
  EXPECT_EQ(env.line("symsnap", " activate -sid " + kSid + " -file " + pair + " -noprompt").status,
            0);
  walk("symsnap", pair,
       {"activate -noprompt -> in the state CopyOnWrite", "? CopyOnWrite",
        "terminate -restored -noprompt -> in the state CopyOnWrite", "restore -noprompt",
        "status 0103 Not Ready", "terminate -noprompt -> terminate without -symforce",
        "? RestInProg", "? Restored"});
  // After a snap restore the provider readies the target and ends the restore session; the snap
  // goes on copying on write.
  EXPECT_EQ(env.line("symdev", " -sid " + kSid + " ready 0103 -noprompt").status, 0);
  walk("symsnap", pair,
       {"status 0103 Ready", "terminate -restored -noprompt", "? CopyOnWrite",
        "terminate -symforce -noprompt"});
  // An ended session leaves the source's record (symdev show); what the record holds of a live
  // one: DisposeRestore.DisposeTakesTheMethodOfEachPairFromTheArrayAndQuotesThePairFile (e2e).
  EXPECT_EQ(show("0043")->first("SNAP_Device"), nullptr);
  walk("symsnap", env.pairFile("std", "0043 00C3\n"),
       {"create -noprompt -> is not a virtual device"});
}

TEST_F(SimTimeFinder, StatesCanBeForcedAndCopiesCanRunOnTheClock) {
  // Forced pair and session states as the other suites force them: DisposeRestore (e2e).
  std::string pair = env.pairFile("p", "0042 0082\n");
  env.admin("state --sid " + kSid + " pair 0042 0082 Synchronized");
  env.admin("state --sid " + kSid + " pair 0042 0082 none");
  walk("symmir", pair, {"? NeverEstab"});
  EXPECT_NE(env.line("symsim", "state --sid " + kSid + " pair 0042 0082 Bogus").status, 0);
  EXPECT_NE(env.line("symsim", "state --sid " + kSid + " snap 0042 00C2 Created").status, 0);

  // In time mode a 1024 MB copy at 1 MB/s takes 1024 s of the simulated clock, however often it is
  // queried (the real seconds of the test itself hardly count).
  env.admin("set progress time");
  env.admin("set copy_rate 1");
  walk("symmir", pair, {"establish -noprompt", "? SyncInProg", "? SyncInProg", "? SyncInProg"});
  env.admin("clock advance 512");
  auto halfDoc = read("symmir", " -sid " + kSid + " -file " + pair + " query ");
  const XmlNode* p = halfDoc->first("BCV_Pair");
  EXPECT_EQ(p->attr("state"), "SyncInProg");
  int percent = std::stoi(p->attr("percent"));
  EXPECT_GE(percent, 45);
  EXPECT_LT(percent, 60);
  env.admin("clock advance 600");
  walk("symmir", pair, {"? Synchronized"});
}

}  // namespace
}  // namespace simtest
