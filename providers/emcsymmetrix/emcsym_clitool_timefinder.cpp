// CEmcSymCliTool: the TimeFinder copy methods (clone, snap, BCV mirror):
// creating, splitting, polling, restoring and deleting copies.
#include <algorithm>

#include "cfisleep.h"
#include "emcsym_clierror.h"
#include "emcsym_clitool.h"
#include "emcsym_clitool_util.h"
#include "emcsym_names.h"
#include "emcsym_config.h"
#include "emcsym_handlers.h"
#include "emcsym_pairfile.h"

using namespace quelb_pdk_4_4;
using emcsym::narrow;
using emcsym::toolCommand;

namespace {

// Further queries while a BCV split before a restore is in progress.
const int kSplitRetries = 300;
const unsigned long kSplitPauseMs = 2000;

bool isSplitType(const std::wstring& splitType, const wchar_t* name) { return splitType == name; }

// The array ids of the devices, in order.
std::vector<std::string> symidsOf(const std::vector<SEmcSymDevInfo>& devices) {
  std::vector<std::string> symids;
  symids.reserve(devices.size());
  for (const SEmcSymDevInfo& device : devices) symids.push_back(device.symid);
  return symids;
}

// The session of `sessions` that copies `source` to `target`, or null.
const SEmcSymSessionInfo* findSession(const std::vector<SEmcSymSessionInfo>& sessions,
                                      const std::string& source, const std::string& target) {
  for (const SEmcSymSessionInfo& session : sessions) {
    if (session.srcDevName == source && session.tgtDevName == target) return &session;
  }
  return nullptr;
}

}  // namespace

int CEmcSymCliTool::runPerArray(const char* tool, const PairFileMap& pairFiles,
                                const std::string& action, bool throwOnError) {
  int failed = 0;
  for (const auto& entry : pairFiles) {
    Lines output;
    const int result =
        execSymCLI(toolCommand(tool, emcsym::sidArgument(entry.first, L"[runPerArray]") +
                                         emcsym::fileArgument(entry.second) + action),
                   output, throwOnError, true, DEFAULT_TIMEOUT_SEC);
    if (result != 0) failed = result;
  }
  return failed;
}

void CEmcSymCliTool::symSnapCreate(const PairFileMap& pairFiles) {
  for (const auto& entry : pairFiles) {
    Lines output;
    execSymCLI(toolCommand(emcsym::kSymSnap,
                           " create" + emcsym::sidArgument(entry.first, L"[symSnapCreate]") +
                               emcsym::fileArgument(entry.second) + " -noprompt"),
               output, true, true, DEFAULT_TIMEOUT_SEC);
    execSymCLI(toolCommand(emcsym::kSymSnap,
                           " activate" + emcsym::sidArgument(entry.first, L"[symSnapCreate]") +
                               emcsym::fileArgument(entry.second) + " -noprompt"),
               output, true, true, DEFAULT_TIMEOUT_SEC);
  }
}

void CEmcSymCliTool::symMirSplit(const PairFileMap& pairFiles) {
  runPerArray(emcsym::kSymMir, pairFiles, " split -consistent -noprompt ", true);
}

void CEmcSymCliTool::symCloneCreate(const PairFileMap& pairFiles) {
  runPerArray(emcsym::kSymClone, pairFiles, " establish -full -consistent -noprompt", true);
}

std::vector<SEmcSymPairInfo> CEmcSymCliTool::getStatusOfPairs(const PairFileMap& pairFiles) {
  std::vector<SEmcSymPairInfo> pairs;
  for (const auto& entry : pairFiles) {
    const std::wstring command =
        toolCommand(emcsym::kSymMir, emcsym::sidArgument(entry.first, L"[getStatusOfPairs]") +
                                         emcsym::fileArgument(entry.second) + " query " +
                                         getOutputFormatSuffix());
    Lines output;
    execSymCLI(command, output, true, true, DEFAULT_TIMEOUT_SEC);
    CEmcSymMirQueryHandler handler;
    parseOutputOrThrow(command, output, handler, __LINE__);
    const std::vector<SEmcSymPairInfo>& found = handler.getResult();
    pairs.insert(pairs.end(), found.begin(), found.end());
  }
  return pairs;
}

bool CEmcSymCliTool::queryFirstState(const char* tool, const std::string& symid,
                                     const std::string& pairFile, std::string& state,
                                     std::string& progress) {
  progress.clear();
  const std::wstring command =
      toolCommand(tool, emcsym::sidArgument(symid, L"[queryFirstState]") +
                            emcsym::fileArgument(pairFile) + " query " + getOutputFormatSuffix());
  Lines output;
  execSymCLI(command, output, true, true, DEFAULT_TIMEOUT_SEC);
  const std::string name(tool);
  if (name == emcsym::kSymMir) {
    CEmcSymMirQueryHandler handler;
    parseOutputOrThrow(command, output, handler, __LINE__);
    const std::vector<SEmcSymPairInfo>& pairs = handler.getResult();
    if (pairs.empty()) return false;
    state = pairs.front().pairState;
    if (!pairs.front().bcvDevInvalids.empty() && pairs.front().bcvDevInvalids != "0")
      progress = ", " + pairs.front().bcvDevInvalids + " invalid tracks left";
    return true;
  }
  if (name == emcsym::kSymClone) {
    CEmcSymCloneQueryHandler handler;
    parseOutputOrThrow(command, output, handler, __LINE__);
    state = handler.getResult().state;
    if (!handler.getResult().percentCopied.empty())
      progress = ", " + handler.getResult().percentCopied + "% copied";
  } else {
    CEmcSymSnapQueryHandler handler;
    parseOutputOrThrow(command, output, handler, __LINE__);
    state = handler.getResult().state;
  }
  return !state.empty();
}

bool CEmcSymCliTool::pollState(const char* tool, const Lines& symids, const Lines& pairFiles,
                               const std::string& inProgress, const std::string& done,
                               std::string& badState) {
  const size_t count = std::min(symids.size(), pairFiles.size());
  size_t i = 0;
  for (int query = 1; i < count; ++query) {
    std::string state;
    std::string progress;
    const bool found = queryFirstState(tool, symids[i], pairFiles[i], state, progress);
    // The progress line a host may show while the array works: what is
    // awaited and how far it is.
    trace(FI_TRACE_INFO,
          "Waiting for %s pairs to reach %s: %d of %d done, pair %d is %s%s (query %d)", tool,
          done.c_str(), static_cast<int>(i), static_cast<int>(count), static_cast<int>(i + 1),
          found ? state.c_str() : "not found", progress.c_str(), query);
    if (found && !inProgress.empty() && state == inProgress) {
      i = 0;
    } else if (found && !done.empty() && state == done) {
      ++i;
    } else {
      badState = state;
      return false;
    }
  }
  return true;
}

bool CEmcSymCliTool::symMirQuery(const Lines& symids, const Lines& pairFiles,
                                 const std::wstring& operation) {
  std::string inProgress, done, state;
  if (operation == L"DELETE" || operation == L"PREPARE") {
    inProgress = "SyncInProg";
    done = "Synchronized";
  } else if (operation == L"RESTORE") {
    inProgress = "RestInProg";
    done = "Restored";
  }
  if (pollState(emcsym::kSymMir, symids, pairFiles, inProgress, done, state)) return true;
  traceCheck("Invalid [%s] state (%s)", narrow(operation).c_str(), state.c_str());
  return false;
}

bool CEmcSymCliTool::symMirQuerySplit(const Lines& symids, const Lines& pairFiles) {
  std::string state;
  if (pollState(emcsym::kSymMir, symids, pairFiles, std::string(), "Split", state)) return true;
  traceCheck("Pair is not in split state (bad state = %s)", state.c_str());
  return false;
}

bool CEmcSymCliTool::symCloneQueryCopied(const Lines& symids, const Lines& pairFiles) {
  std::string state;
  return pollState(emcsym::kSymClone, symids, pairFiles, "CopyInProg", "Copied", state);
}

bool CEmcSymCliTool::symCloneQueryRestored(const Lines& symids, const Lines& pairFiles) {
  std::string state;
  if (pollState(emcsym::kSymClone, symids, pairFiles, "RestInProg", "Restored", state)) return true;
  traceCheck("Invalid restore state (%s)", state.c_str());
  return false;
}

bool CEmcSymCliTool::symSnapQueryRestored(const Lines& symids, const Lines& pairFiles) {
  std::string state;
  if (pollState(emcsym::kSymSnap, symids, pairFiles, "RestInProg", "Restored", state)) return true;
  traceCheck("Invalid restore state (%s)", state.c_str());
  return false;
}

int CEmcSymCliTool::symCloneSplit(const SEmcSymDevInfo& source, const SEmcSymDevInfo& target) {
  CEmcSymPairFile pairFile(std::vector<SEmcSymDevInfo>(1, source),
                           std::vector<SEmcSymDevInfo>(1, target));
  Lines output;
  return execSymCLI(
      toolCommand(emcsym::kSymClone, emcsym::sidArgument(source.symid, L"[symCloneSplit]") +
                                         emcsym::fileArgument(pairFile.getFilesByIndex()[0]) +
                                         " split -noprompt"),
      output, true, true, DEFAULT_TIMEOUT_SEC);
}

void CEmcSymCliTool::symMirEstablish(const PairFileMap& pairFiles,
                                     const std::vector<SEmcSymDevInfo>& sources,
                                     const std::vector<SEmcSymDevInfo>& targets,
                                     const std::wstring& operation) {
  runPerArray(emcsym::kSymMir, pairFiles, " establish -noprompt", true);
  CEmcSymPairFile pairFile(sources, targets);
  if (!symMirQuery(symidsOf(sources), pairFile.getFilesByIndex(), operation)) {
    trace(FI_TRACE_ERROR, "Synchronization failed");
    throw checkFailed(L"[symMirEstablish]", emcsym::kCliToolSourceFile, __LINE__);
  }
}

bool CEmcSymCliTool::splitMirrorPairsForRestore(const std::vector<SEmcSymDevInfo>& sources) {
  CEmcSymPairFile::PairLineMap lines;
  for (const SEmcSymDevInfo& source : sources) {
    for (const SEmcSymPairInfo& pair : source.pairs) {
      if (pair.pairState == "Split") continue;
      if (pair.pairState == "Synchronized" || pair.pairState == "Restored") {
        lines[source.symid].push_back(pair.stdDevName + " " + pair.bcvDevName);
        continue;
      }
      traceCheck("Invalid bcv state, cannot restore");
      return false;
    }
  }
  if (lines.empty()) return true;

  CEmcSymPairFile pairFiles(lines);
  symMirSplit(pairFiles.getFilesByKey());
  std::vector<SEmcSymPairInfo> pairs = getStatusOfPairs(pairFiles.getFilesByKey());
  for (int remaining = kSplitRetries;;) {
    const SEmcSymPairInfo* busy = nullptr;
    for (const SEmcSymPairInfo& pair : pairs) {
      if (pair.pairState != "Split") {
        busy = &pair;
        break;
      }
    }
    if (!busy) return true;
    if (remaining == 0) {
      traceCheck(
          "Invalid bcv state, after split operation state of [%s %s] pair should be [Split] but "
          "it is [%s]. This may be due to some operation on BCV pair from outside of quelb.",
          busy->stdDevName.c_str(), busy->bcvDevName.c_str(), busy->pairState.c_str());
      return false;
    }
    trace(FI_TRACE_INFO,
          "Split for [%s %s] pair is in Progress. Going to sleep for 2 sec. Remaning retry count "
          "is [%d] ",
          busy->stdDevName.c_str(), busy->bcvDevName.c_str(), remaining);
    trace(FI_TRACE_INFO, "Waiting for symmir pairs to reach Split: pair %s %s is %s (query %d)",
          busy->stdDevName.c_str(), busy->bcvDevName.c_str(), busy->pairState.c_str(),
          kSplitRetries - remaining + 1);
    fiSleep(kSplitPauseMs);
    --remaining;
    pairs = getStatusOfPairs(pairFiles.getFilesByKey());
  }
}

bool CEmcSymCliTool::prepareForRestore(const std::wstring& splitType,
                                       const std::vector<SEmcSymDevInfo>& sources,
                                       const std::vector<SEmcSymDevInfo>& targets) {
  if (sources.size() != targets.size()) {
    traceCheck("prepareForRestore: %d source devices but %d target devices",
               static_cast<int>(sources.size()), static_cast<int>(targets.size()));
    return false;
  }
  const size_t count = sources.size();
  if (isSplitType(splitType, SPLIT_TYPE_CLONE)) {
    for (size_t i = 0; i < count; ++i) {
      const SEmcSymSessionInfo* session =
          findSession(sources[i].clones, sources[i].devName, targets[i].devName);
      const std::string state = session ? session->state : std::string();
      if (state == "Copied" || state == "Split") continue;
      if (state == "Restored") {
        if (symCloneSplit(sources[i], targets[i]) != 0) {
          traceCheck("Unable to split clone pair, cannot restore");
          return false;
        }
        continue;
      }
      traceCheck("Invalid clone state, cannot restore from %s to %s", sources[i].devName.c_str(),
                 targets[i].devName.c_str());
      return false;
    }
    return true;
  }
  if (isSplitType(splitType, SPLIT_TYPE_SNAP)) {
    for (size_t i = 0; i < count; ++i) {
      const SEmcSymSessionInfo* session =
          findSession(sources[i].snaps, sources[i].devName, targets[i].devName);
      if (!session || session->state != "CopyOnWrite") {
        traceCheck("Invalid snapshot state, cannot restore");
        return false;
      }
    }
    return true;
  }
  if (isSplitType(splitType, SPLIT_TYPE_MIRROR)) {
    return splitMirrorPairsForRestore(sources);
  }
  traceCheck("Invalid splitType, unable to restore");
  throw checkFailed(L"[prepareForRestore]", emcsym::kCliToolSourceFile, __LINE__);
}

void CEmcSymCliTool::restoreFromCopy(const std::wstring& splitType, const PairFileMap& pairFiles,
                                     const std::vector<SEmcSymDevInfo>& sources,
                                     const std::vector<SEmcSymDevInfo>& targets) {
  CEmcSymPairFile pairFile(sources, targets);
  const std::vector<std::string>& files = pairFile.getFilesByIndex();
  const std::vector<std::string> symids = symidsOf(sources);
  if (!prepareForRestore(splitType, sources, targets)) {
    throw checkFailed(L"[restoreFromCopy]", emcsym::kCliToolSourceFile, __LINE__);
  }

  const bool clone = isSplitType(splitType, SPLIT_TYPE_CLONE);
  const bool snap = isSplitType(splitType, SPLIT_TYPE_SNAP);
  const char* tool = clone ? emcsym::kSymClone : snap ? emcsym::kSymSnap : emcsym::kSymMir;
  for (const auto& entry : pairFiles) {
    CEmcSymConfiguration configuration;
    configuration.setTraceLog(m_traceLog);
    const uint32_t timeoutSec = configuration.getRestoreTimeout();
    trace(FI_TRACE_INFO, "Running restore operation with timeout =%d",
          static_cast<int>(timeoutSec));
    Lines output;
    execSymCLI(toolCommand(tool, emcsym::sidArgument(entry.first, L"[restoreFromCopy]") +
                                     emcsym::fileArgument(entry.second) + " restore -noprompt"),
               output, true, true, timeoutSec);
  }

  if (clone) {
    if (!symCloneQueryRestored(symids, files)) {
      trace(FI_TRACE_ERROR, "Clone restore failed");
      throw checkFailed(L"[restoreFromCopy]", emcsym::kCliToolSourceFile, __LINE__);
    }
    runPerArray(emcsym::kSymClone, pairFiles, " split -noprompt", true);
  } else if (snap) {
    if (!symSnapQueryRestored(symids, files)) {
      trace(FI_TRACE_ERROR, "Snapshot restore failed");
      throw checkFailed(L"[restoreFromCopy]", emcsym::kCliToolSourceFile, __LINE__);
    }
    for (size_t i = 0; i < targets.size(); ++i) {
      Lines output;
      execSymCLI(toolCommand(emcsym::kSymDev,
                             emcsym::sidArgument(symids[i], L"[restoreFromCopy]") + " ready " +
                                 emcsym::checkedName(emcsym::NAME_DEVICE, targets[i].devName,
                                                     L"[restoreFromCopy]") +
                                 " -noprompt"),
                 output, true, true, DEFAULT_TIMEOUT_SEC);
    }
    runPerArray(emcsym::kSymSnap, pairFiles, " terminate -restored -noprompt", true);
  } else {
    if (!symMirQuery(symids, files, L"RESTORE")) {
      trace(FI_TRACE_ERROR, "Mirror restore failed");
      throw checkFailed(L"[restoreFromCopy]", emcsym::kCliToolSourceFile, __LINE__);
    }
    runPerArray(emcsym::kSymMir, pairFiles, " split -noprompt", true);
  }
}

int CEmcSymCliTool::deleteCopy(const std::wstring& splitType, const PairFileMap& pairFiles) {
  if (isSplitType(splitType, SPLIT_TYPE_CLONE)) {
    return runPerArray(emcsym::kSymClone, pairFiles, " terminate -symforce -noprompt", false);
  }
  if (isSplitType(splitType, SPLIT_TYPE_SNAP)) {
    return runPerArray(emcsym::kSymSnap, pairFiles, " terminate -symforce -noprompt", false);
  }
  return 0;
}

bool CEmcSymCliTool::foundNoSession(const EEmcSymCliFailure& failure) {
  // The tools' own words for a pair of the file without a session, e.g.
  // "No clone session exists for the device pair 0042 00C2".
  return failure.getCode() == QLB_EXEC_PIPE_CMD_FAILED &&
         (findError(failure.getOutput(), "No clone session exists") ||
          findError(failure.getOutput(), "No snap session exists"));
}

bool CEmcSymCliTool::determineSplitType(const SEmcSymDevInfo& source, const SEmcSymDevInfo& target,
                                        std::wstring& splitType) {
  if (findSession(source.clones, source.devName, target.devName)) {
    splitType = SPLIT_TYPE_CLONE;
    return true;
  }
  if (findSession(source.snaps, source.devName, target.devName)) {
    splitType = SPLIT_TYPE_SNAP;
    return true;
  }
  CEmcSymPairFile pairFile(std::vector<SEmcSymDevInfo>(1, source),
                           std::vector<SEmcSymDevInfo>(1, target));
  if (symMirQuerySplit(std::vector<std::string>(1, source.symid), pairFile.getFilesByIndex())) {
    splitType = SPLIT_TYPE_MIRROR;
    return true;
  }
  trace(FI_TRACE_ERROR, "BCV pair not in split state");
  throw checkFailed(L"[determineSplitType]", emcsym::kCliToolSourceFile, __LINE__);
}
