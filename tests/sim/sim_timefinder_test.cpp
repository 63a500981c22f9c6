// The BCV pair, clone session and snap session state machines, walked
// through with the provider's command lines, and the refusals that change
// nothing.
#include <gtest/gtest.h>

#include "sim_env.h"
#include "sim_scenario.h"

namespace simtest {
namespace {

const std::string kSid = "000190100001";
const std::string kSuffix = " -output XML_ATTRIBUTE ";

class SimTimeFinder : public ::testing::Test {
 protected:
  void SetUp() override { env.init(kSmallScenario); }

  // Runs `tool -sid S -file F <action>` as the provider builds it.
  ToolRun act(const std::string& tool, const std::string& file, const std::string& action) {
    return env.provider(tool, " -sid " + kSid + " -file " + file + " " + action);
  }
  void ok(const std::string& tool, const std::string& file, const std::string& action) {
    ToolRun r = act(tool, file, action);
    EXPECT_EQ(r.status, 0) << tool << " " << action << "\n" << r.out;
  }
  void refused(const std::string& tool, const std::string& file, const std::string& action,
               const std::string& message) {
    ToolRun r = act(tool, file, action);
    EXPECT_EQ(r.status, 2) << tool << " " << action << "\n" << r.out;
    EXPECT_NE(r.out.find(message), std::string::npos) << tool << " " << action << "\n" << r.out;
  }
  // States of every pair of a symmir query, in file order.
  std::vector<std::string> mirStates(const std::string& file) {
    ToolRun r = act("symmir", file, "query " + kSuffix);
    EXPECT_EQ(r.status, 0) << r.out;
    std::vector<std::string> out;
    auto doc = parseXml(r.out);
    for (const XmlNode* p : doc->all("BCV_Pair")) out.push_back(p->attr("state"));
    return out;
  }
  std::string mirState(const std::string& file) { return mirStates(file).at(0); }
  std::string sessionState(const std::string& tool, const std::string& file) {
    ToolRun r = act(tool, file, "query " + kSuffix);
    EXPECT_EQ(r.status, 0) << r.out;
    auto doc = parseXml(r.out);
    const XmlNode* s = doc->first("Session");
    return s ? s->attr(tool == "symsnap" ? "snap_state" : "state") : "";
  }
  std::unique_ptr<XmlNode> show(const std::string& dev) {
    return parseXml(env.provider("symdev", " -sid " + kSid + " show " + dev + kSuffix).out);
  }
  SimEnv env;
};

TEST_F(SimTimeFinder, MirrorPairsWalkEveryState) {
  std::string split = env.pairFile("split", "0041 0081\n");
  std::string synced = env.pairFile("synced", "0040 0080\n");

  // A split pair is established again and synchronises over two queries.
  ok("symmir", split, "establish -noprompt");
  EXPECT_EQ(mirState(split), "SyncInProg");
  refused("symmir", split, "establish -noprompt", "in the state SyncInProg");
  EXPECT_EQ(mirState(split), "SyncInProg");
  EXPECT_EQ(mirState(split), "Synchronized");
  EXPECT_EQ(show("0081")->first("Device")->attr("status"), "Not Ready");

  // The provider's split passes through SplitInProg.
  ok("symmir", split, "split -consistent -noprompt ");
  EXPECT_EQ(mirState(split), "SplitInProg");
  EXPECT_EQ(mirState(split), "Split");
  EXPECT_EQ(show("0081")->first("Device")->attr("status"), "Ready");
  refused("symmir", split, "split -consistent -noprompt ", "in the state Split");

  // Restore copies back and is split again afterwards.
  ok("symmir", split, "restore -noprompt");
  EXPECT_EQ(mirState(split), "RestInProg");
  EXPECT_EQ(mirState(split), "RestInProg");
  EXPECT_EQ(mirState(split), "Restored");
  refused("symmir", split, "restore -noprompt", "in the state Restored");
  ok("symmir", split, "split -noprompt");
  EXPECT_EQ(mirState(split), "SplitInProg");
  EXPECT_EQ(mirState(split), "Split");

  // A split before the synchronisation ends leaves SplitBfrSync.
  ok("symmir", split, "establish -noprompt");
  ok("symmir", split, "split -noprompt");
  EXPECT_EQ(mirState(split), "SplitBfrSync");
  refused("symmir", split, "restore -noprompt", "in the state SplitBfrSync");

  // Operations that the state does not allow.
  refused("symmir", synced, "establish -noprompt", "in the state Synchronized");
  refused("symmir", synced, "restore -noprompt", "in the state Synchronized");
  EXPECT_EQ(mirState(synced), "Synchronized");
}

TEST_F(SimTimeFinder, NeverEstablishedPairsAndPairingRules) {
  std::string fresh = env.pairFile("fresh", "0042 0082\n");
  EXPECT_EQ(mirState(fresh), "NeverEstab");
  auto bcvDoc = show("0082");
  const XmlNode* bcvPair = bcvDoc->first("BCV_Pair");
  ASSERT_NE(bcvPair, nullptr);
  EXPECT_EQ(bcvPair->attr("state"), "NeverEstab");
  refused("symmir", fresh, "split -noprompt", "NeverEstab");
  refused("symmir", fresh, "restore -noprompt", "NeverEstab");
  ok("symmir", fresh, "establish -noprompt");
  EXPECT_EQ(mirState(fresh), "SyncInProg");

  // A BCV paired with another standard device needs -full to move.
  std::string other = env.pairFile("other", "0043 0081\n");
  refused("symmir", other, "establish -noprompt", "paired with standard device 0041");
  ok("symmir", other, "establish -full -noprompt");
  EXPECT_EQ(mirState(other), "SyncInProg");
  EXPECT_EQ(mirState(env.pairFile("old", "0041 0081\n")), "NeverEstab");

  // A BCV smaller than its standard device, or a standard given as BCV.
  refused("symmir", env.pairFile("big", "0050 0083\n"), "establish -noprompt", "is smaller than");
  refused("symmir", env.pairFile("nobcv", "0040 0042\n"), "establish -noprompt", "is not a BCV device");
}

TEST_F(SimTimeFinder, ARefusedLineOfAFileChangesNoPair) {
  // The second line fails, so the first pair must not be split either.
  std::string both = env.pairFile("both", "0040 0080\n0041 0081\n");
  refused("symmir", both, "split -noprompt", "in the state Split");
  EXPECT_EQ(mirStates(both), (std::vector<std::string>{"Synchronized", "Split"}));
  refused("symmir", env.pairFile("dup", "0040 0080\n0041 0080\n"), "split -noprompt", "appears twice");
  EXPECT_EQ(mirState(both), "Synchronized");
}

TEST_F(SimTimeFinder, CloneSessionsWalkEveryState) {
  std::string pair = env.pairFile("clone", "0042 00C2\n");
  refused("symclone", pair, "query " + kSuffix, "No clone session");
  ok("symclone", pair, "establish -full -consistent -noprompt");
  refused("symclone", pair, "establish -full -consistent -noprompt", "already the target");
  refused("symclone", pair, "split -noprompt", "in the state CopyInProg");
  refused("symclone", pair, "restore -noprompt", "in the state CopyInProg");
  EXPECT_EQ(sessionState("symclone", pair), "CopyInProg");

  // The source device lists the session with its two device names.
  auto sourceDoc = show("0042");
  const XmlNode* clone = sourceDoc->first("CLONE_Device");
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->first("SRC")->attr("dev_name"), "0042");
  EXPECT_EQ(clone->first("TGT")->attr("dev_name"), "00C2");
  EXPECT_EQ(clone->attr("state"), "CopyInProg");  // the second query of the copy
  EXPECT_EQ(sessionState("symclone", pair), "Copied");

  ok("symclone", pair, "split -noprompt");
  EXPECT_EQ(sessionState("symclone", pair), "Split");
  ok("symclone", pair, "restore -noprompt");
  EXPECT_EQ(sessionState("symclone", pair), "RestInProg");
  EXPECT_EQ(sessionState("symclone", pair), "RestInProg");
  EXPECT_EQ(sessionState("symclone", pair), "Restored");
  ok("symclone", pair, "split -noprompt");
  EXPECT_EQ(sessionState("symclone", pair), "Split");
  ok("symclone", pair, "restore -noprompt");
  refused("symclone", pair, "terminate -noprompt", "terminate without -symforce");
  ok("symclone", pair, "terminate -symforce -noprompt");
  EXPECT_EQ(show("0042")->first("CLONE_Device"), nullptr);
  refused("symclone", pair, "terminate -symforce -noprompt", "No clone session");

  // Create and activate, the other way to start a clone copy.
  ok("symclone", pair, "create -noprompt");
  EXPECT_EQ(sessionState("symclone", pair), "Created");
  ok("symclone", pair, "activate -consistent -noprompt");
  EXPECT_EQ(sessionState("symclone", pair), "CopyInProg");

  refused("symclone", env.pairFile("vdev", "0043 0103\n"), "establish -full -noprompt", "virtual device");
}

TEST_F(SimTimeFinder, SnapSessionsWalkEveryState) {
  std::string pair = env.pairFile("snap", "0043 0103\n");
  env.provider("symsnap", " create -sid " + kSid + " -file " + pair + " -noprompt");
  EXPECT_EQ(sessionState("symsnap", pair), "Created");
  refused("symsnap", pair, "restore -noprompt", "in the state Created");
  ToolRun activate = env.provider("symsnap", " activate -sid " + kSid + " -file " + pair + " -noprompt");
  EXPECT_EQ(activate.status, 0) << activate.out;
  refused("symsnap", pair, "activate -noprompt", "in the state CopyOnWrite");
  EXPECT_EQ(sessionState("symsnap", pair), "CopyOnWrite");
  refused("symsnap", pair, "terminate -restored -noprompt", "in the state CopyOnWrite");

  auto sourceDoc = show("0043");
  const XmlNode* snap = sourceDoc->first("SNAP_Device");
  ASSERT_NE(snap, nullptr);
  EXPECT_EQ(snap->attr("state"), "CopyOnWrite");
  EXPECT_EQ(snap->first("TGT")->attr("dev_name"), "0103");

  ok("symsnap", pair, "restore -noprompt");
  EXPECT_EQ(show("0103")->first("Device")->attr("status"), "Not Ready");
  refused("symsnap", pair, "terminate -noprompt", "terminate without -symforce");
  EXPECT_EQ(sessionState("symsnap", pair), "RestInProg");
  EXPECT_EQ(sessionState("symsnap", pair), "Restored");

  // After a snap restore the provider readies the target and ends the
  // restore session; the snap goes on copying on write.
  ToolRun ready = env.provider("symdev", " -sid " + kSid + " ready 0103 -noprompt");
  EXPECT_EQ(ready.status, 0) << ready.out;
  EXPECT_EQ(show("0103")->first("Device")->attr("status"), "Ready");
  ok("symsnap", pair, "terminate -restored -noprompt");
  EXPECT_EQ(sessionState("symsnap", pair), "CopyOnWrite");
  ok("symsnap", pair, "terminate -symforce -noprompt");
  EXPECT_EQ(show("0043")->first("SNAP_Device"), nullptr);

  refused("symsnap", env.pairFile("std", "0043 00C3\n"), "create -noprompt", "is not a virtual device");
}

TEST_F(SimTimeFinder, StatesCanBeForcedAndCopiesCanRunOnTheClock) {
  std::string pair = env.pairFile("p", "0042 0082\n");
  env.admin("state --sid " + kSid + " pair 0042 0082 Restored");
  EXPECT_EQ(mirState(pair), "Restored");
  env.admin("state --sid " + kSid + " pair 0042 0082 none");
  EXPECT_EQ(mirState(pair), "NeverEstab");
  env.admin("state --sid " + kSid + " clone 0042 00C2 Copied");
  EXPECT_EQ(sessionState("symclone", env.pairFile("c", "0042 00C2\n")), "Copied");
  EXPECT_NE(env.run("symsim", {"state", "--sid", kSid, "pair", "0042", "0082", "Bogus"}).status, 0);
  EXPECT_NE(env.run("symsim", {"state", "--sid", kSid, "snap", "0042", "00C2", "Created"}).status, 0);

  // In time mode a 1024 MB copy at 1 MB/s takes 1024 s of the simulated
  // clock, however often it is queried (the real seconds of the test
  // itself hardly count).
  env.admin("set progress time");
  env.admin("set copy_rate 1");
  ok("symmir", pair, "establish -noprompt");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(mirState(pair), "SyncInProg");
  env.admin("clock advance 512");
  ToolRun half = act("symmir", pair, "query " + kSuffix);
  auto halfDoc = parseXml(half.out);
  const XmlNode* p = halfDoc->first("BCV_Pair");
  EXPECT_EQ(p->attr("state"), "SyncInProg");
  int percent = std::stoi(p->attr("percent"));
  EXPECT_GE(percent, 45);
  EXPECT_LT(percent, 60);
  env.admin("clock advance 600");
  EXPECT_EQ(mirState(pair), "Synchronized");
}

}  // namespace
}  // namespace simtest
