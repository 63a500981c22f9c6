// Prepare: brings the selected pairs into the state make needs.
//
//   TimeFinder/Mirror         split BCV pairs are established again and
//                             waited for until synchronised; pairs already
//                             "Synchronized" or "Restored" are left alone
//   TimeFinder/Clone, /Snap   existing sessions of the pairs are terminated
//
// The pairs of every node of the call are gathered first; the action is
// then chosen by the method of the last node of the list and applied to
// all gathered pairs. The pair files of the call live only for the call.
#include <map>
#include <string>
#include <vector>

#include "cfistringtool.h"
#include "cfitracelog.h"
#include "emcsym_clitool.h"
#include "emcsym_lifecycle.h"
#include "emcsym_pairfile.h"
#include "emcsym_plugin.h"
#include "emcsym_privatedata.h"

using namespace quelb_pdk_4_4;

namespace {

// The pairs that prepare acts on, and the device records of the BCV pairs
// among them for the wait after the establish.
struct PairsToPrepare {
  CEmcSymPlugin::PairLines lines;  // Symmetrix ID -> pair lines
  std::vector<SEmcSymDevInfo> sources;
  std::vector<SEmcSymDevInfo> targets;
};

}  // namespace

// Terminates the sessions of the prepared pairs, one array at a time. A
// terminate that fails does not stop prepare: most often the pairs have no
// session yet, which is the normal case and says nothing. Any other
// failure is a warning for each pair of that array, since its session may
// still exist.
void CEmcSymPlugin::terminateEarlierSessions(CEmcSymCliTool& tool, const std::wstring& method,
                                             const PairLines& lines) {
  for (const auto& file : m_preparedPairFiles) {
    if (tool.deleteCopy(method, CEmcSymCliTool::PairFileMap{file}) == 0) continue;
    if (CEmcSymCliTool::foundNoSession(tool.lastFailure())) continue;
    const auto pairsOfArray = lines.find(file.first);
    if (pairsOfArray == lines.end()) continue;
    for (const std::string& line : pairsOfArray->second) {
      const size_t blank = line.find(' ');
      pushCliFailure("MSG_WARNING_CLI_FAILURE_IGNORED", QLB_SEV_WARNING, __LINE__, "terminate",
                     line.substr(0, blank), file.first,
                     blank == std::string::npos ? std::string() : line.substr(blank + 1),
                     tool.lastFailure());
    }
  }
}

// A group node in the list ends the call at once with 0, before any
// command that changes an array. A node whose private data holds no
// selected pair (the provider did not claim it, or select has not chosen
// its target in this process) deliberately contributes nothing: without a
// target, a command for it would name no array and no device. A Mirror pair in a
// state other than "Split", "Synchronized" or "Restored" ends the call
// with 6 before anything is established; it is traced, not pushed.
int CEmcSymPlugin::prepare(char*, qlb_splitnode** list, int count, int) {
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::prepare");
  std::lock_guard<std::mutex> lifecycle(m_lifecycleLock);
  return guarded(CEmcSymOperationGuard::OPERATION, __LINE__, [&] {
    CEmcSymCliTool tool(m_symCliPath, m_traceLog);
    CEmcSymPairFile selectedFiles(m_selectedPairs);
    m_pairFiles = selectedFiles.getFilesByKey();

    std::map<std::string, std::string> seen;  // source device name -> target device name
    PairsToPrepare pairs;
    bool statusesFetched = false;
    std::vector<SEmcSymPairInfo> statuses;

    for (int i = 0; list && i < count; ++i) {
      const tstring name = emcsym::sourceNodeName(list[i]);
      if (name.length() == 0) continue;
      const std::string method = emcsym::methodName(list[i]);
      CEmcSymPrivateDataPtr data =
          nodePrivateData(list[i]->sn_node).dynamicCast<CEmcSymPrivateData>();
      if (isGroupNode(name)) return 0;
      if (!data) continue;

      const SEmcSymDevInfo source = data->sourceDevice();
      const SEmcSymDevInfo target = data->targetDevice();
      if (source.devName.empty() || target.devName.empty()) continue;
      if (seen.count(source.devName) != 0) {
        trace(FI_TRACE_INFO2, "prepare: skipping duplicate: %s\n", source.devName.c_str());
        continue;
      }
      seen[source.devName] = target.devName;

      if (method == EMC_TIMEFINDER_MIRROR) {
        if (!statusesFetched) {
          statuses = tool.getStatusOfPairs(m_pairFiles);
          statusesFetched = true;
        }
        for (const SEmcSymPairInfo& pair : statuses) {
          if (pair.stdDevName != source.devName || pair.bcvDevName != target.devName) continue;
          if (pair.pairState == "Split") {
            pairs.lines[pair.symid].push_back(emcsym::pairLine(pair.stdDevName, pair.bcvDevName));
            pairs.sources.push_back(source);
            pairs.targets.push_back(target);
            break;
          }
          if (pair.pairState == "Synchronized" || pair.pairState == "Restored") continue;
          trace(FI_TRACE_ERROR, "Invalid STD-BCV pair state (%s)", pair.pairState.c_str());
          return static_cast<int>(QLB_ERR_FAILED);
        }
      } else if (method == EMC_TIMEFINDER_CLONE || method == EMC_TIMEFINDER_SNAP) {
        pairs.lines[source.symid].push_back(emcsym::pairLine(source.devName, target.devName));
      }
    }
    if (pairs.lines.empty()) return 0;

    CEmcSymPairFile preparedFiles(pairs.lines);
    m_preparedPairFiles = preparedFiles.getFilesByKey();
    const std::string lastMethod = emcsym::methodName(list[count - 1]);
    if (lastMethod == EMC_TIMEFINDER_MIRROR) {
      tool.symMirEstablish(m_preparedPairFiles, pairs.sources, pairs.targets, L"PREPARE");
    } else if (lastMethod == EMC_TIMEFINDER_CLONE || lastMethod == EMC_TIMEFINDER_SNAP) {
      terminateEarlierSessions(tool, CFiStringTool::str2tstr(lastMethod).c_str(), pairs.lines);
    }
    return 0;
  });
}
