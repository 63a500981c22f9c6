// Dispose and restore through the entry points: the method the array says links each pair, the
// commands and states of each method, and the answers to unusable arguments, flags and entries.
#include <utility>

#include "loaded_provider.h"

namespace {

using e2etest::identity;
using e2etest::kArray1;
using e2etest::kArray2;
using ::testing::Contains;

// A source and snapshot device, each as identity() takes it.
typedef std::pair<std::string, std::string> Pair;

class DisposeRestore : public e2etest::LoadedProvider {
 protected:
  int restore(const std::vector<Pair>& pairs, long flags = 0) {
    std::vector<quelb_objid*> sources;
    std::vector<quelb_objid*> snapshots;
    for (const Pair& pair : pairs) {
      sources.push_back(objid(identity(pair.first)));
      snapshots.push_back(objid(identity(pair.second)));
    }
    long status = 0;
    const int rc = pgn.restore(sources.data(), snapshots.data(), static_cast<long>(pairs.size()),
                               nullptr, nullptr, flags, &status);
    for (quelb_objid* id : sources) quelb_free_objid(id);
    for (quelb_objid* id : snapshots) quelb_free_objid(id);
    return rc;
  }

  static quelb_objid* objid(const std::wstring& text) {
    return quelb_get_objid(text.c_str(), (text.size() + 1) * sizeof(wchar_t), QLB_OBJID_NODE);
  }
  // Forces a pair or session state on the first array.
  void force(const std::string& what) const { sim.admin("state --sid " + kArray1 + " " + what); }
};

const std::string kMirFile = "symmir -sid 000190100001 -file ";
const std::string kCloneFile = "symclone -sid 000190100001 -file ";
const std::string kSnapFile = "symsnap -sid 000190100001 -file ";

}  // namespace

// --- dispose -----------------------------------------------------------------------

TEST_F(DisposeRestore, DisposeTakesTheMethodOfEachPairFromTheArrayAndQuotesThePairFile) {
  start();
  force("pair 0041 0081 Split");
  force("clone 0040 0080 Copied");  // 0040 and 0080 are also a synchronised BCV pair
  force("snap 0043 0103 CopyOnWrite");

  EXPECT_EQ(0, dispose("0041", "0081"));
  EXPECT_THAT(filed(), Contains(kMirFile + "F establish -noprompt: 0041 0081|"));
  EXPECT_EQ(1u, countCommands(kMirFile, " establish -noprompt"));
  EXPECT_EQ(0u, countCommands("symclone"));

  clearLog();
  EXPECT_EQ(0, dispose("0040", "0080"));
  EXPECT_EQ(0u, countCommands("symmir")) << "a clone session wins over the BCV relation";
  EXPECT_THAT(filed(), Contains(kCloneFile + "F terminate -symforce -noprompt: 0040 0080|"));

  clearLog();
  EXPECT_EQ(0, dispose("0043", "0103"));
  EXPECT_THAT(filed(), Contains(kSnapFile + "F terminate -symforce -noprompt: 0043 0103|"));
  EXPECT_EQ(std::vector<std::string>(), sessions());
  EXPECT_EQ("", lastErrorId());
}

TEST_F(DisposeRestore, DisposeRefusesAPairNotSplitMissingNodesAndOtherDispositions) {
  start();
  EXPECT_EQ(QLB_ERR_FAILED, dispose("0042", "0082"));
  EXPECT_EQ("MSG_ERROR_CLI_COMMAND_FAILED", lastErrorId());
  EXPECT_EQ(0u, countCommands(kMirFile, " establish"));
  EXPECT_EQ("Synchronized", pairState(kArray1, "0042", "0082"));
  // A clone session that a terminate cannot end: still disposed of, the terminate not retried.
  force("clone 0044 00C4 CopyInProg");
  sim.admin("fault add fail --tool symclone --cmd terminate --message refused");
  EXPECT_EQ(0, dispose("0044", "00C4"));
  EXPECT_EQ(1u, countCommands(kCloneFile, " terminate -symforce -noprompt"));
  // Missing nodes and other dispositions are refused before any command.
  clearLog();
  testenv::FrameworkNode source(identity("0041"));
  testenv::FrameworkNode snapshot(identity("0081"));
  qlb_domain bare = {};
  EXPECT_EQ(QLB_ERR_INVALID_ARG,
            pgn.dispose(nullptr, snapshot.get(), nullptr, QLB_DISPOSITION_DETACH));
  EXPECT_EQ(QLB_ERR_INVALID_ARG,
            pgn.dispose(&bare, snapshot.get(), nullptr, QLB_DISPOSITION_DETACH));
  EXPECT_EQ(QLB_ERR_INVALID_ARG,
            pgn.dispose(source.get(), nullptr, nullptr, QLB_DISPOSITION_DETACH));
  EXPECT_EQ(QLB_ERR_INVALID_ARG, pgn.dispose(source.get(), &bare, nullptr, QLB_DISPOSITION_DETACH));
  force("pair 0041 0081 Split");
  EXPECT_EQ(QLB_ERR_FAILED, pgn.dispose(source.get(), snapshot.get(), nullptr, 0));
  EXPECT_EQ(1, traced("Invalid detach disposition: 0"));
  EXPECT_EQ(std::vector<std::string>(), commands());

  testenv::FrameworkNode unparsable(L"EMC##SYMMETRIX##000190100001##0041");
  EXPECT_EQ(QLB_ERR_FAILED,
            pgn.dispose(unparsable.get(), snapshot.get(), nullptr, QLB_DISPOSITION_DETACH));
  EXPECT_EQ("MSG_ERROR_UDID_PARSING_EXCEPTION", lastErrorId());
}

// --- restore -----------------------------------------------------------------------

TEST_F(DisposeRestore, RestoreFlagsResyncAndEntriesWithoutIdentitiesOrRepeatedSources) {
  start();
  force("pair 0041 0081 Split");
  EXPECT_EQ(QLB_ERR_INVALID_ARG, restore({{"0041", "0081"}}, 0x2));
  EXPECT_EQ(std::vector<std::string>(), commands());

  // QLB_RESTORE_START here; QLB_RESTORE_PARTIAL (0x100): Quelbctl.ImportDeportRestoreDispose...
  EXPECT_EQ(0, restore({{"0041", "0081"}}, 0x1));
  EXPECT_THAT(filed(), Contains(kMirFile + "F restore -noprompt: 0041 0081|"));

  clearLog();
  long status = 0;
  EXPECT_EQ(0, pgn.resync(nullptr, nullptr, 3, nullptr, nullptr, 0, &status));
  EXPECT_EQ(std::vector<std::string>(), commands());
  // Entries without identities and repeated sources are skipped.
  force("pair 0041 0081 Split");
  quelb_objid noText = {nullptr, QLB_OBJID_NODE, 0};
  quelb_objid* snapshot = objid(identity("0081"));
  quelb_objid* none[] = {nullptr, &noText};
  quelb_objid* snapshots[] = {snapshot, snapshot};
  status = 0;
  EXPECT_EQ(QLB_ERR_INVALID_ARG, pgn.restore(none, snapshots, 2, nullptr, nullptr, 0, &status));
  EXPECT_EQ(QLB_ERR_INVALID_ARG, pgn.restore(nullptr, nullptr, 2, nullptr, nullptr, 0, &status));
  EXPECT_EQ(std::vector<std::string>(), commands());
  // Usable entries among unusable ones are restored.
  quelb_objid* source = objid(identity("0041"));
  quelb_objid* sources[] = {&noText, source};
  EXPECT_EQ(0, pgn.restore(sources, snapshots, 2, nullptr, nullptr, 0, &status));
  EXPECT_THAT(filed(), Contains(kMirFile + "F restore -noprompt: 0041 0081|"));
  quelb_free_objid(source);
  quelb_free_objid(snapshot);
  // The second entry of a source is not restored again.
  clearLog();
  force("pair 0041 0081 Split");
  EXPECT_EQ(0, restore({{"0041", "0081"}, {"0041", "0082"}}));
  EXPECT_EQ(0u, countCommands("symdev -sid 000190100001 show 0082"));
  EXPECT_THAT(filed(), Contains(kMirFile + "F restore -noprompt: 0041 0081|"));
  EXPECT_EQ(1u, countCommands(kMirFile, " restore -noprompt"));
}

TEST_F(DisposeRestore, TheFirstPairsMethodRestoresEveryPairAndEachArrayGetsItsOwnFile) {
  start();
  force("clone 0042 00C2 Copied");
  force("pair 0041 0081 Split");
  EXPECT_EQ(QLB_ERR_FAILED, restore({{"0042", "00C2"}, {"0041", "0081"}}));
  EXPECT_EQ(1, traced("Invalid clone state, cannot restore from 0041 to 0081"));
  EXPECT_EQ("MSG_ERROR_CLI_COMMAND_FAILED", lastErrorId());
  EXPECT_EQ(0u, countCommands("symmir", " restore"));
  EXPECT_EQ(0u, countCommands("symclone", " restore"));
  EXPECT_EQ("Split", pairState(kArray1, "0041", "0081"));
  // Two clone pairs: one restore for the array (split after: the sessions at the end).
  clearLog();
  force("clone 0043 00C3 Split");
  EXPECT_EQ(0, restore({{"0042", "00C2"}, {"0043", "00C3"}}));
  EXPECT_THAT(filed(), Contains(kCloneFile + "F restore -noprompt: 0042 00C2|0043 00C3|"));
  // A snap restore readies the snap devices; pairs of two arrays get their own files.
  clearLog();
  force("snap 0043 0103 CopyOnWrite");
  sim.admin("state --sid " + kArray2 + " snap 0201 0301 CopyOnWrite");
  EXPECT_EQ(0, restore({{"0043", "0103"}, {kArray2 + "##0201", "000190100002##0301"}}));
  EXPECT_THAT(filed(), Contains(kSnapFile + "F restore -noprompt: 0043 0103|"));
  EXPECT_THAT(filed(), Contains("symsnap -sid 000190100002 -file F restore -noprompt: 0201 0301|"));
  EXPECT_EQ(1u, countCommands("symdev -sid 000190100001 ready 0103 -noprompt"));
  EXPECT_EQ(1u, countCommands("symdev -sid 000190100002 ready 0301 -noprompt"));
  EXPECT_EQ((std::vector<std::string>{"clone 0042 00C2 Split", "clone 0043 00C3 Split",
                                      "snap 0043 0103 CopyOnWrite", "snap 0201 0301 CopyOnWrite"}),
            sessions());
}
