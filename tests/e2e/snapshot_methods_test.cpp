// The three TimeFinder methods end to end: what select, prepare and make run over which pair lines,
// and the snapshot identities make hands the framework.
#include "loaded_provider.h"

namespace e2etest {
namespace {

using namespace ::testing;
typedef SnapshotTest SnapshotMethods;

const std::string kMir1 = "symmir -sid 000190100001 -file F ";

TEST_F(SnapshotMethods, MirrorEstablishesOnlySplitPairsAndSplitsThemAllAtMake) {
  sim.admin("state --sid " + kArray1 + " pair 0041 0081 Split");
  auto synced = source(kArray1, "0040", kMirror, kArray1 + "##0040;0080");
  auto split = source(kArray1, "0041", kMirror, kArray1 + "##0041;0081");
  // What select runs: SnapshotEdges.
  ASSERT_EQ(0, select({synced->split()}, "s1"));
  ASSERT_EQ(0, select({split->split()}, "s2"));
  // One query over every selected pair; only the split pair is established (and polled:
  // TimeFinderTest.MirrorSplitEstablishAndRestoreWithThePreRestoreSplit).
  clearLog();
  ASSERT_EQ(0, prepare({synced->split(), split->split()}));
  std::vector<std::string> ran = filed();
  ASSERT_GE(ran.size(), 2u);
  EXPECT_EQ(kMir1 + "query: 0040 0080|0041 0081|", ran[0]);
  EXPECT_EQ(kMir1 + "establish -noprompt: 0041 0081|", ran[1]);
  // Everything synchronised: one query, nothing established.
  clearLog();
  ASSERT_EQ(0, prepare({synced->split(), split->split()}));
  EXPECT_EQ(std::vector<std::string>{kMir1 + "query"}, commands());
  // A session of one claimed node splits every selected pair at once.
  clearLog();
  std::vector<std::string> names;
  ASSERT_EQ(0, make({synced->split()}, &names, "s1"));
  EXPECT_EQ(std::vector<std::string>{udid(kArray1, "0080")}, names);
  ASSERT_EQ(std::vector<std::string>{kMir1 + "split -consistent -noprompt: 0040 0080|0041 0081|"},
            filed());
}

TEST_F(SnapshotMethods, CloneTerminatesOldSessionsThenEstablishesFullCopies) {
  sim.admin("state --sid " + kArray1 + " clone 0042 00C2 Copied");
  sim.admin("state --sid " + kArray1 + " clone 0043 00C3 CopyInProg");
  auto first = source(kArray1, "0042", kClone, kArray1 + "##0042;00C2");
  auto second = source(kArray1, "0043", kClone, kArray1 + "##0043;00C3");
  ASSERT_EQ(0, select({first->split()}, "s1"));
  ASSERT_EQ(0, select({second->split()}, "s2"));

  clearLog();
  ASSERT_EQ(0, prepare({first->split(), second->split()}));
  const std::vector<std::string> terminated = {
      "symclone -sid 000190100001 -file F terminate -symforce -noprompt: 0042 00C2|0043 00C3|"};
  EXPECT_EQ(terminated, filed());
  // No session left: the terminate fails and prepare does not mind, nor warn.
  clearLog();
  const size_t pushedBefore = messages();
  ASSERT_EQ(0, prepare({first->split(), second->split()}));
  ASSERT_EQ(1u, runs().size());
  EXPECT_NE(0, runs()[0].exitStatus);
  EXPECT_EQ(pushedBefore, messages());
  // Any other failure leaves the sessions in doubt: a warning per pair.
  sim.admin("fault add fail --tool symclone --cmd terminate --message \"Terminate refused\"");
  ASSERT_EQ(0, prepare({first->split(), second->split()}));
  auto warning = [](const char* text) {
    return AllOf(Field(&Pushed::severity, QLB_SEV_WARNING),
                 Field(&Pushed::consumer, AllOf(HasSubstr(text), HasSubstr("Terminate refused"))));
  };
  EXPECT_THAT(pushed, Contains(warning("may still exist")).Times(2));
  EXPECT_THAT(pushed, Contains(warning("The copy session from device 0043 to device 00C3 of array "
                                       "000190100001 may still exist")));

  clearLog();
  std::vector<std::string> names;
  ASSERT_EQ(0, make({second->split()}, &names, "s2"));
  EXPECT_EQ(std::vector<std::string>{udid(kArray1, "00C3")}, names);
  const std::vector<std::string> established = {
      "symclone -sid 000190100001 -file F establish -full -consistent -noprompt: 0042 00C2|0043 "
      "00C3|"};
  EXPECT_EQ(established, filed());
}

TEST_F(SnapshotMethods, SnapCreatesAndActivatesPerArrayOnBothArrays) {
  sim.admin("state --sid " + kArray1 + " snap 0044 0104 CopyOnWrite");
  auto first = source(kArray1, "0044", kSnap, kArray1 + "##0044;0104");
  auto second = source(kArray2, "0201", kSnap, kArray2 + "##0201;0301");
  ASSERT_EQ(0, select({first->split()}, "s1"));
  ASSERT_EQ(0, select({second->split()}, "s2"));

  clearLog();
  ASSERT_EQ(0, prepare({first->split(), second->split()}));
  const std::vector<std::string> terminated = {
      "symsnap -sid 000190100001 -file F terminate -symforce -noprompt: 0044 0104|",
      "symsnap -sid 000190100002 -file F terminate -symforce -noprompt: 0201 0301|"};
  EXPECT_EQ(terminated, filed());
  // A session of one claimed node: one create and one activate per array.
  clearLog();
  std::vector<std::string> names;
  ASSERT_EQ(0, make({second->split()}, &names, "s2"));
  EXPECT_EQ(std::vector<std::string>{udid(kArray2, "0301")}, names);
  const std::vector<std::string> expected = {
      "symsnap create -sid 000190100001 -file F -noprompt: 0044 0104|",
      "symsnap activate -sid 000190100001 -file F -noprompt: 0044 0104|",
      "symsnap create -sid 000190100002 -file F -noprompt: 0201 0301|",
      "symsnap activate -sid 000190100002 -file F -noprompt: 0201 0301|"};
  EXPECT_EQ(expected, filed());
}

TEST_F(SnapshotMethods, TwoClaimedNodesInOneSessionRunTheCopyTwiceOverTheSamePairs) {
  auto first = source(kArray1, "0040", kMirror, kArray1 + "##0040;0080");
  auto second = source(kArray1, "0041", kMirror, kArray1 + "##0041;0081");
  ASSERT_EQ(0, select({first->split(), second->split()}));
  ASSERT_EQ(0, prepare({first->split(), second->split()}));
  clearLog();
  // The arrays refuse to split pairs already split, as SYMCLI does: make reports the second run.
  std::vector<std::string> names = {"untouched"};
  EXPECT_EQ(QLB_ERR_FAILED, make({first->split(), second->split()}, &names));
  EXPECT_TRUE(names.empty()) << "no out array after a failed make";
  const std::string split = kMir1 + "split -consistent -noprompt: 0040 0080|0041 0081|";
  ASSERT_EQ((std::vector<std::string>{split, split}), filed());
  const std::vector<LoggedRun> ran = runs();
  EXPECT_EQ(ran[0].line(), ran[1].line());
  EXPECT_EQ(0, ran[0].exitStatus);
  EXPECT_EQ(2, ran[1].exitStatus);
  EXPECT_EQ("MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION", lastErrorId());
  EXPECT_EQ(0u, first->node()->fid_flags & QLB_NODE_MADE);
}

}  // namespace
}  // namespace e2etest
