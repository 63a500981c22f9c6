// The snapshot lifecycle's answers to odd lists: duplicates, group and unclaimed nodes, two arrays,
// configurations without targets, mixed and unknown methods, nodes select never resolved.
#include "loaded_provider.h"

namespace e2etest {
namespace {

typedef SnapshotTest SnapshotEdges;

TEST_F(SnapshotEdges, SelectSkipsGroupAndUnclaimedNodesAndDuplicatesWithinOneCall) {
  PlainNode group("EMC_TimeFinder_Mirror_FIM_GROUP", kMirror);
  PlainNode unclaimed(udid(kArray1, "0045"), kMirror);
  auto node = source(kArray1, "0040", kMirror, kArray1 + "##0040;0080");
  // A second record of the same node shares its private data.
  SourceNode again(pgn, udid(kArray1, "0040"), kMirror);

  EXPECT_EQ(0, select({group.split(), unclaimed.split()}));
  EXPECT_TRUE(runs().empty());

  EXPECT_EQ(0, select({node->split(), group.split(), again.split(), unclaimed.split()}));
  const std::vector<std::string> shown = {"symdev -sid 000190100001 show 0040",
                                          "symdev -sid 000190100001 show 0080",
                                          "symdev -sid 000190100001 show 0040"};
  EXPECT_EQ(shown, commands());
  EXPECT_EQ(1, traced("select: skipping duplicate: 0040"));

  clearLog();
  EXPECT_EQ(0, prepare({node->split(), again.split()}));
  const std::string query = "symmir -sid 000190100001 -file F query: 0040 0080|";
  EXPECT_EQ(std::vector<std::string>{query}, filed())
      << "a synchronised pair is not established again";
  EXPECT_EQ(1, traced("prepare: skipping duplicate: 0040"));
  // A later call selects the device again and its line is there twice; the arrays refuse a device
  // file that names a device twice.
  EXPECT_EQ(0, select({again.split()}, "s2"));
  clearLog();
  EXPECT_EQ(QLB_ERR_FAILED, prepare({node->split()}));
  EXPECT_EQ(std::vector<std::string>{query + "0040 0080|"}, filed());
  EXPECT_EQ("MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION", lastErrorId());
}

TEST_F(SnapshotEdges, TargetsAreLookedUpOnTheSourcesArrayAndEarlierPairsSurviveAFailure) {
  // The target's own enclosure is ignored; of "X##Y##00C1" only the text after the last "##" names
  // the device.
  auto first = source(kArray1, "0040", kClone, kArray1 + "##0040;00C0");
  auto other = source(kArray2, "0200", kClone, kArray2 + "##0200;" + kArray1 + "##02C0");
  auto twice = source(kArray1, "0041", kClone, kArray1 + "##0041;X##Y##00C1");
  auto bare = source(kArray1, "0042", kClone, kArray1 + "##0042");
  auto later = source(kArray1, "0043", kClone, kArray1 + "##0043;00C3");

  EXPECT_EQ(QLB_ERR_FAILED, select({first->split(), other->split(), twice->split(), bare->split(),
                                    later->split()}));
  EXPECT_EQ("MSG_ERROR_NO_SNAPSHOT_TARGET_SELECTED", lastErrorId());
  EXPECT_NE(std::string::npos, lastMessage().find("source device 0042"));
  const std::vector<std::string> shown = {
      "symdev -sid 000190100001 show 0040", "symdev -sid 000190100001 show 00C0",
      "symdev -sid 000190100002 show 0200", "symdev -sid 000190100002 show 02C0",
      "symdev -sid 000190100001 show 0041", "symdev -sid 000190100001 show 00C1",
      "symdev -sid 000190100001 show 0042"};
  EXPECT_EQ(shown, commands()) << "nothing after the failing node";
  // The pairs chosen before the failure are kept, one pair file per array.
  clearLog();
  EXPECT_EQ(0, prepare({first->split(), other->split(), twice->split()}));
  const std::vector<std::string> terminated = {
      "symclone -sid 000190100001 -file F terminate -symforce -noprompt: 0040 00C0|0041 00C1|",
      "symclone -sid 000190100002 -file F terminate -symforce -noprompt: 0200 02C0|"};
  EXPECT_EQ(terminated, filed());
  // Devices the array does not have (a node never configured: TargetSelection, unit tests).
  auto missing = source(kArray1, "0FFF", kClone, kArray1 + "##0FFF;00C7");
  EXPECT_EQ(QLB_ERR_FAILED, select({missing->split()}));
  EXPECT_EQ("MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION", lastErrorId());
  // A target that is no device name is refused before any command: none of it may reach a command
  // line as an argument of its own.
  for (const std::string target : {"00C5 -force", "00C5\tx", "X##00C5\"", "00C5 x"}) {
    SCOPED_TRACE(target);
    auto odd = source(kArray1, "0045", kClone, kArray1 + "##0045;" + target);
    EXPECT_EQ(QLB_ERR_FAILED, select({odd->split()}));
    EXPECT_EQ("MSG_ERROR_CLI_COMMAND_FAILED", lastErrorId());
    EXPECT_NE(std::string::npos, lastMessage().find("[findConfiguredTarget] failed: the device "
                                                    "name \"00C5"))
        << lastMessage();
    EXPECT_EQ(0u, countCommands("symdev -sid 000190100001 show 00C5"));
  }
}

TEST_F(SnapshotEdges, PrepareStopsAtGroupNodesAndRefusesBadMirrorStates) {
  sim.admin("state --sid " + kArray1 + " pair 0041 0081 Split");
  sim.admin("state --sid " + kArray1 + " pair 0044 0084 NeverEstab");
  auto split = source(kArray1, "0041", kMirror, kArray1 + "##0041;0081");
  auto never = source(kArray1, "0044", kMirror, kArray1 + "##0044;0084");
  PlainNode group("EMC_TimeFinder_Mirror_FIM_GROUP", kMirror);
  ASSERT_EQ(0, select({split->split(), never->split()}));
  // A group node ends prepare before anything changes, whatever came first.
  clearLog();
  EXPECT_EQ(0, prepare({split->split(), group.split(), never->split()}));
  EXPECT_EQ(std::vector<std::string>{"symmir -sid 000190100001 -file F query"}, commands());
  // A pair in a state prepare cannot handle: 6, traced only; the split pair before it is not
  // established.
  const size_t pushedBefore = messages();
  clearLog();
  EXPECT_EQ(QLB_ERR_FAILED, prepare({split->split(), never->split()}));
  EXPECT_TRUE(traced("Invalid STD-BCV pair state (NeverEstab)"));
  EXPECT_EQ(std::vector<std::string>{"symmir -sid 000190100001 -file F query"}, commands());
  EXPECT_EQ(pushedBefore, messages());
  // Alone, the split pair is established after all.
  clearLog();
  EXPECT_EQ(0, prepare({split->split()}));
  EXPECT_EQ("symmir -sid 000190100001 -file F establish -noprompt", commands().at(1));
}

TEST_F(SnapshotEdges, PrepareGathersThePairsOfAllMethodsAndTheLastNodeChoosesTheAction) {
  auto snap = source(kArray1, "0043", kSnap, kArray1 + "##0043;0103");
  auto clone = source(kArray1, "0042", kClone, kArray1 + "##0042;00C2");
  auto unknown = source(kArray2, "0200", "EMC_SRDF", kArray2 + "##0200;0280");
  ASSERT_EQ(0, select({snap->split(), clone->split(), unknown->split()}));
  // Nodes of unknown method add nothing; the last node's method acts on all the others' pairs.
  clearLog();
  EXPECT_EQ(0, prepare({snap->split(), unknown->split(), clone->split()}));
  EXPECT_EQ(std::vector<std::string>{"symclone -sid 000190100001 -file F terminate -symforce "
                                     "-noprompt: 0043 0103|0042 00C2|"},
            filed());

  clearLog();
  EXPECT_EQ(0, prepare({clone->split(), snap->split()}));
  EXPECT_EQ(std::vector<std::string>{"symsnap -sid 000190100001 -file F terminate -symforce "
                                     "-noprompt: 0042 00C2|0043 0103|"},
            filed());
  // A last node of unknown method: nothing is done with the gathered pairs.
  clearLog();
  EXPECT_EQ(0, prepare({clone->split(), snap->split(), unknown->split()}));
  EXPECT_EQ(0, prepare({unknown->split()}));
  EXPECT_TRUE(runs().empty());
}

TEST_F(SnapshotEdges, MakeStopsAtUnknownMethodsAndNodesWithoutPrivateData) {
  // A session without any claimed node: nothing runs.
  PlainNode group("EMC_TimeFinder_Snap_FIM_GROUP", kSnap);
  EXPECT_EQ(0, select({group.split()}, "none"));
  clearLog();
  EXPECT_EQ(0, make({group.split()}, nullptr, "none"));
  EXPECT_TRUE(runs().empty());
  // A node of unknown method after a node that was made.
  auto made = source(kArray1, "0040", kMirror, kArray1 + "##0040;0080");
  auto srdf = source(kArray1, "0041", "EMC_SRDF", kArray1 + "##0041;0081");
  ASSERT_EQ(0, select({made->split(), srdf->split()}, "mixed"));
  clearLog();
  std::vector<std::string> names;
  EXPECT_EQ(QLB_ERR_FAILED, make({made->split(), srdf->split()}, &names, "mixed"));
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(
      std::vector<std::string>{"symmir -sid 000190100001 -file F split -consistent -noprompt"},
      commands());
  EXPECT_EQ("MSG_ERROR_INVALID_SPLIT_TYPE", lastErrorId());
  EXPECT_NE(std::string::npos, lastMessage().find("\"EMC_SRDF\""));
  // A node whose private data is gone by make (the framework released it).
  auto released = source(kArray1, "0042", kSnap, kArray1 + "##0042;0102");
  ASSERT_EQ(0, select({released->split()}, "released"));
  const std::string name = released->name();
  released.reset();
  clearLog();
  PlainNode stale("<norvel>" + udid(kArray1, "0042"), kSnap);
  EXPECT_EQ(QLB_ERR_FAILED, make({stale.split()}, &names, "released"));
  EXPECT_TRUE(runs().empty());
  EXPECT_EQ("MSG_ERROR_NODE_NOT_SELECTED", lastErrorId());
  EXPECT_NE(std::string::npos, lastMessage().find(name));
}

// A second record of a selected device under another id (the device name without its leading zeros)
// is a duplicate that select skips: make has no target for it. Alone in its test: the selected
// pairs are shared by every session.
TEST_F(SnapshotEdges, MakeHasNoTargetForADuplicateThatSelectSkipped) {
  auto full = source(kArray1, "0043", kSnap, kArray1 + "##0043;0103");
  auto shortName = source(kArray1, "43", kSnap, kArray1 + "##43;0103");
  ASSERT_EQ(0, select({full->split(), shortName->split()}, "alias"));
  clearLog();
  EXPECT_EQ(QLB_ERR_FAILED, make({full->split(), shortName->split()}, nullptr, "alias"));
  EXPECT_EQ("MSG_ERROR_NODE_NOT_SELECTED", lastErrorId());
  EXPECT_EQ(2u, runs().size()) << "the snap of the first node was taken";
}

}  // namespace
}  // namespace e2etest
