// The TimeFinder methods' sequences on two arrays at once: each step runs one command per
// array, naming only that array and its own pair file. Which method a pair's records name:
// SplitTypePrefersCloneOverSnapOverMirror here, on the arrays' own records DisposeRestore (e2e).
#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "cfitempfile.h"
#include "emcsym_clierror.h"
#include "emcsym_pairfile.h"
#include "provider_sim.h"

namespace providertest {
namespace {

class TimeFinderTest : public ProviderSimTest {
 protected:
  // Reads the source and target records of every pair of `lines`, in key order.
  void readDevices(const CEmcSymPairFile::PairLineMap& lines) {
    sources_.clear();
    targets_.clear();
    for (const auto& entry : lines) {
      for (const std::string& line : entry.second) {
        sources_.push_back(tool_.getSymDev(entry.first, line.substr(0, 4)));
        targets_.push_back(tool_.getSymDev(entry.first, line.substr(5)));
      }
    }
  }
  // The runs of `tool`'s `command` since clearLog: one per array of `files`, in key order, each
  // naming that array and its pair file, holding that array's lines (and `flag`, when given).
  void expectOnePerArray(const std::string& tool, const std::string& command,
                         const CEmcSymCliTool::PairFileMap& files,
                         const CEmcSymPairFile::PairLineMap& lines, const char* flag = nullptr) {
    SCOPED_TRACE(tool + " " + command);
    std::vector<LoggedRun> matching;
    for (const LoggedRun& run : runs(tool))
      if (run.command == command) matching.push_back(run);
    ASSERT_EQ(files.size(), matching.size());
    size_t i = 0;
    for (const auto& entry : files) {
      const LoggedRun& run = matching[i++];
      EXPECT_EQ(entry.first, run.sid);
      const std::vector<std::string>& args = run.args;
      EXPECT_TRUE(std::find(args.begin(), args.end(), entry.second) != args.end()) << run.line();
      EXPECT_TRUE(!flag || std::find(args.begin(), args.end(), flag) != args.end()) << run.line();
      std::string text;
      for (const std::string& line : lines.at(entry.first)) text += line + "\n";
      EXPECT_EQ(text, run.pairFile);
    }
  }
  // Every query since clearLog names one array and a file of one of its pairs.
  void expectQueriesOfSinglePairs(const std::string& tool) {
    for (const LoggedRun& run : runs(tool)) {
      if (run.command != "query") continue;
      EXPECT_EQ(1, std::count(run.pairFile.begin(), run.pairFile.end(), '\n')) << run.line();
      const std::string first = run.pairFile.substr(0, 2);
      EXPECT_EQ(first == "02" ? kArray2 : kArray1, run.sid) << run.line();
    }
  }
  // The command of the CEmcSymCliException that `step` throws, empty when none.
  template <class Step>
  static std::wstring failedCommand(Step step) {
    const auto e = thrown<CEmcSymCliException>(step);
    if (!e) return std::wstring();
    EXPECT_EQ(kCliToolSource, e->getSourceFile());
    return e->getCommand();
  }

  std::vector<SEmcSymDevInfo> sources_;
  std::vector<SEmcSymDevInfo> targets_;
};

// The terminates of both kinds, per array: SnapshotMethods and DisposeRestore (e2e).
TEST_F(TimeFinderTest, CloneCreateCopyDetermineRestoreAndSplitARestoredPair) {
  const CEmcSymPairFile::PairLineMap lines = {{kArray1, {"0040 00C0", "0041 00C1"}},
                                              {kArray2, {"0200 02C0"}}};
  CEmcSymPairFile pairFiles(lines);
  const CEmcSymCliTool::PairFileMap& files = pairFiles.getFilesByKey();

  tool_.symCloneCreate(files);
  expectOnePerArray("symclone", "establish", files, lines, "-consistent");

  readDevices(lines);
  {
    CEmcSymPairFile single(sources_, targets_);
    clearLog();
    EXPECT_TRUE(tool_.symCloneQueryCopied({kArray1, kArray1, kArray2}, single.getFilesByIndex()));
    expectQueriesOfSinglePairs("symclone");
  }
  // A pair not copied cannot be restored from: DisposeRestore (e2e).
  writeConfig(8, 2, 77);
  readDevices(lines);
  clearLog();
  tool_.restoreFromCopy(CEmcSymCliTool::SPLIT_TYPE_CLONE, files, sources_, targets_);
  expectOnePerArray("symclone", "restore", files, lines);
  expectOnePerArray("symclone", "split", files, lines);
  expectQueriesOfSinglePairs("symclone");
  EXPECT_EQ(2, traceCount("Running restore operation with timeout =77"));
  // The restore waited until every pair was restored, then split them all.
  readDevices(lines);
  for (const SEmcSymDevInfo& source : sources_) EXPECT_EQ("Split", source.clones.at(0).state);
  // A restored clone pair is split before another restore.
  const CEmcSymPairFile::PairLineMap restored = {{kArray1, {"0042 00C2"}},
                                                 {kArray2, {"0201 02C1"}}};
  CEmcSymPairFile restoredFiles(restored);
  tool_.symCloneCreate(restoredFiles.getFilesByKey());
  sim_.admin("state --sid " + kArray1 + " clone 0042 00C2 Restored");
  sim_.admin("state --sid " + kArray2 + " clone 0201 02C1 Copied");
  readDevices(restored);
  clearLog();
  EXPECT_TRUE(tool_.prepareForRestore(CEmcSymCliTool::SPLIT_TYPE_CLONE, sources_, targets_));
  std::vector<LoggedRun> logged = runs();
  ASSERT_EQ(1u, logged.size());
  EXPECT_EQ("split", logged[0].command);
  EXPECT_EQ(kArray1, logged[0].sid);
  EXPECT_EQ("0042 00C2\n", logged[0].pairFile);
}

TEST_F(TimeFinderTest, SnapRestoreQueriesSinglePairsAndNeedsACopyOnWriteSession) {
  const CEmcSymPairFile::PairLineMap lines = {{kArray1, {"0043 0103"}}, {kArray2, {"0202 0302"}}};
  CEmcSymPairFile pairFiles(lines);
  const CEmcSymCliTool::PairFileMap& files = pairFiles.getFilesByKey();

  // Its create and activate per array: SnapshotMethods (e2e).
  tool_.symSnapCreate(files);

  readDevices(lines);
  clearLog();
  tool_.restoreFromCopy(CEmcSymCliTool::SPLIT_TYPE_SNAP, files, sources_, targets_);
  // The restore, ready and terminate of each array: DisposeRestore (e2e).
  expectQueriesOfSinglePairs("symsnap");
  // A snapshot in another state cannot be restored from.
  sim_.admin("state --sid " + kArray1 + " snap 0043 0103 Restored");
  readDevices({{kArray1, {"0043 0103"}}});
  EXPECT_FALSE(tool_.prepareForRestore(CEmcSymCliTool::SPLIT_TYPE_SNAP, sources_, targets_));
  EXPECT_EQ(1, traceCount("Invalid snapshot state, cannot restore"));
  EXPECT_THROW(tool_.restoreFromCopy(CEmcSymCliTool::SPLIT_TYPE_SNAP, files, sources_, targets_),
               CEmcSymCliException);
}

TEST_F(TimeFinderTest, MirrorSplitEstablishAndRestoreWithThePreRestoreSplit) {
  const CEmcSymPairFile::PairLineMap lines = {{kArray1, {"0044 0084", "0045 0085"}},
                                              {kArray2, {"0203 0283"}}};
  CEmcSymPairFile pairFiles(lines);
  const CEmcSymCliTool::PairFileMap& files = pairFiles.getFilesByKey();

  tool_.symMirSplit(files);
  expectOnePerArray("symmir", "split", files, lines);
  std::vector<SEmcSymPairInfo> pairs = tool_.getStatusOfPairs(files);
  ASSERT_EQ(3u, pairs.size());
  EXPECT_EQ("0044", pairs[0].stdDevName);
  EXPECT_EQ("0085", pairs[1].bcvDevName);
  EXPECT_EQ("0203", pairs[2].stdDevName);

  readDevices(lines);
  // Establish, then poll every pair until all are synchronised.
  clearLog();
  tool_.symMirEstablish(files, sources_, targets_, L"PREPARE");
  expectOnePerArray("symmir", "establish", files, lines);
  expectQueriesOfSinglePairs("symmir");
  int inProgress = 0;
  for (const LoggedRun& run : runs("symmir")) inProgress += run.command == "query";
  EXPECT_GT(inProgress, 3);  // each pair was seen in progress before synchronised
  readDevices(lines);
  for (const SEmcSymDevInfo& source : sources_)
    EXPECT_EQ("Synchronized", source.pairs.at(0).pairState);
  // Restore from synchronised pairs: they are split and waited for first.
  clearLog();
  tool_.restoreFromCopy(CEmcSymCliTool::SPLIT_TYPE_MIRROR, files, sources_, targets_);
  Lines steps;
  for (const LoggedRun& run : runs("symmir"))
    if (run.command != "query" && (steps.empty() || steps.back() != run.command))
      steps.push_back(run.command);
  EXPECT_EQ((Lines{"split", "restore", "split"}), steps);
  expectOnePerArray("symmir", "restore", files, lines);
  EXPECT_EQ(Sleeps{2000}, recordedSleeps());
  EXPECT_EQ(1, traceCount("Split for [0044 0084] pair is in Progress. Going to sleep for 2 sec. "
                          "Remaning retry count is [300] "));
  // The final split is not waited for; once done, the pairs are not split again for a restore.
  readDevices(lines);
  for (const SEmcSymDevInfo& source : sources_)
    EXPECT_EQ("SplitInProg", source.pairs.at(0).pairState);
  readDevices(lines);
  for (const SEmcSymDevInfo& source : sources_) EXPECT_EQ("Split", source.pairs.at(0).pairState);
  clearLog();
  EXPECT_TRUE(tool_.prepareForRestore(CEmcSymCliTool::SPLIT_TYPE_MIRROR, sources_, targets_));
  EXPECT_TRUE(runs().empty());
}

TEST_F(TimeFinderTest, MirrorFailuresTraceAndThrowAndANeverEndingSplitFailsAfter300Retries) {
  const CEmcSymPairFile::PairLineMap lines = {{kArray1, {"0046 0086"}}, {kArray2, {"0200 0280"}}};
  CEmcSymPairFile pairFiles(lines);
  const CEmcSymCliTool::PairFileMap& files = pairFiles.getFilesByKey();
  readDevices(lines);
  // A synchronised pair, no mirror copy to name: Quelbctl (e2e) and DisposeRestore (e2e).
  // Waiting for a state the operation word does not lead to fails.
  sim_.admin("state --sid " + kArray1 + " pair 0046 0086 Split");
  sim_.admin("state --sid " + kArray2 + " pair 0200 0280 Split");
  EXPECT_EQ(L"[symMirEstablish]",
            failedCommand([&] { tool_.symMirEstablish(files, sources_, targets_, L"RESTORE"); }));
  EXPECT_EQ(1, traceCount("Invalid [RESTORE] state (SyncInProg)"));
  EXPECT_EQ(1, traceCount("Synchronization failed"));
  // A pair in a state that cannot be restored from.
  sim_.admin("state --sid " + kArray1 + " pair 0046 0086 SyncInProg");
  readDevices({{kArray1, {"0046 0086"}}});
  EXPECT_FALSE(tool_.prepareForRestore(CEmcSymCliTool::SPLIT_TYPE_MIRROR, sources_, targets_));
  EXPECT_EQ(1, traceCount("Invalid bcv state, cannot restore"));
  // An unknown method.
  EXPECT_EQ(L"[prepareForRestore]", failedCommand([&] {
              tool_.prepareForRestore(L"EMC_TimeFinder_Other", sources_, targets_);
            }));
  EXPECT_EQ(1, traceCount("Invalid splitType, unable to restore"));
  // A split that never ends fails after 300 retries.
  sim_.admin("set progress time");
  sim_.admin("set split_seconds 100000");
  readDevices({{kArray2, {"0201 0281"}}});
  clearLog();
  EXPECT_FALSE(tool_.prepareForRestore(CEmcSymCliTool::SPLIT_TYPE_MIRROR, sources_, targets_));
  EXPECT_EQ(Sleeps(300, 2000), recordedSleeps());
  EXPECT_EQ(301, static_cast<int>(runs("symmir").size()) - 1);  // the split, then 301 queries
  EXPECT_EQ(1, traceCount("Invalid bcv state, after split operation state of [0201 0281] pair "
                          "should be [Split] but it is [SplitInProg]. This may be due to some "
                          "operation on BCV pair from outside of quelb."));
}

TEST_F(TimeFinderTest, SplitTypePrefersCloneOverSnapOverMirror) {
  readDevices({{kArray1, {"0047 0087"}}});
  SEmcSymDevInfo source = sources_[0], target = targets_[0];
  clearLog();
  SEmcSymSessionInfo session;
  session.srcDevName = "0047";
  session.tgtDevName = "0087";
  SEmcSymSessionInfo other = session;
  other.tgtDevName = "0107";
  source.snaps = {other, session};
  source.clones = {other, session};
  std::wstring splitType;
  EXPECT_TRUE(tool_.determineSplitType(source, target, splitType));
  EXPECT_EQ(CEmcSymCliTool::SPLIT_TYPE_CLONE, splitType);
  source.clones = {other};
  EXPECT_TRUE(tool_.determineSplitType(source, target, splitType));
  EXPECT_EQ(CEmcSymCliTool::SPLIT_TYPE_SNAP, splitType);
  EXPECT_TRUE(runs().empty());  // decided from the records alone

  source.snaps = {other};
  sim_.admin("state --sid " + kArray1 + " pair 0047 0087 Split");
  EXPECT_TRUE(tool_.determineSplitType(source, target, splitType));
  EXPECT_EQ(CEmcSymCliTool::SPLIT_TYPE_MIRROR, splitType);
  EXPECT_EQ(1u, runs().size());
}

int fullDisk(const std::string&, quelb_pdk_4_4::CFiTempFile::Step step, std::size_t) {
  return step == quelb_pdk_4_4::CFiTempFile::STEP_WRITE ? ENOSPC : 0;
}

TEST_F(TimeFinderTest, NoCommandRunsOnAPairFileThatCouldNotBeWritten) {
  readDevices({{kArray1, {"0040 0080"}}});
  clearLog();
  using quelb_pdk_4_4::CFiTempFile;
  CFiTempFile::FaultFunction previous = CFiTempFile::setFault(&fullDisk);
  EXPECT_THROW(tool_.symCloneSplit(sources_[0], targets_[0]), std::runtime_error);
  CFiTempFile::setFault(previous);
  EXPECT_TRUE(runs().empty());
}

}  // namespace
}  // namespace providertest
