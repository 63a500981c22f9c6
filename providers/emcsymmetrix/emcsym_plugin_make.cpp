// Make: the point-in-time copies of a session's nodes.
//
// For every node of the session that this provider claimed, make records
// the node's snapshot identity in the session (the source's identity with
// the target device in place of the source device) and runs the copy
// command of the node's method over the pair files of all selected pairs:
//
//   TimeFinder/Mirror   symmir split -consistent
//   TimeFinder/Clone    symclone establish -full -consistent
//   TimeFinder/Snap     symsnap create, then symsnap activate
//
// So the command runs once per claimed node, each time over every selected
// pair; a session whose claimed nodes form one node runs it once. The
// pair files live only for the call.
#include <string>

#include "cfiicumessage.h"
#include "cfistringtool.h"
#include "cfitracelog.h"
#include "cfiudid.h"
#include "emcsym_clitool.h"
#include "emcsym_pairfile.h"
#include "emcsym_plugin.h"
#include "emcsym_privatedata.h"

using namespace quelb_pdk_4_4;

// Nodes without this provider's prefix are passed over. The first failure
// ends the call; commands already run for earlier nodes are not undone and
// the failing node's snapshot name is already recorded when its command
// fails:
//   - a node of unknown method: MSG_ERROR_INVALID_SPLIT_TYPE and 6;
//   - a claimed node for which select has chosen no target in this process
//     (no private data is kept under its name, or it holds no target
//     device): MSG_ERROR_NODE_NOT_SELECTED with the node's name and 6,
//     before anything is recorded or run for that node. Taking a copy
//     without knowing its target would hand the framework a snapshot
//     identity that names no device.
int CEmcSymPlugin::makeSnapshots(SessionRef& session) {
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::makeSnapshots");
  std::lock_guard<std::mutex> lifecycle(m_lifecycleLock);
  return guarded(CEmcSymOperationGuard::OPERATION, __LINE__, [&] {
    CEmcSymCliTool tool(m_symCliPath, m_traceLog);
    CEmcSymPairFile selectedFiles(m_selectedPairs);
    m_pairFiles = selectedFiles.getFilesByKey();
    if (!session) return 0;

    for (const CFiSessionNode& node : session->getNodes()) {
      if (!isInterposerNode(node.nodeName)) continue;
      CFiUdid udid(node.nodeName);
      CEmcSymPrivateDataPtr data =
          m_privateDataManager
              ? m_privateDataManager->find(node.nodeName).dynamicCast<CEmcSymPrivateData>()
              : CEmcSymPrivateDataPtr();
      if (!data || data->targetDevice().devName.empty()) {
        trace(FI_TRACE_ERROR, "makeSnapshot:: no target selected for node [%S]",
              node.nodeName.c_str());
        pushMessage("MSG_ERROR_NODE_NOT_SELECTED", QLB_SEV_ERROR, __LINE__,
                    {CFiIcuMessage::text(node.nodeName)});
        return static_cast<int>(QLB_ERR_FAILED);
      }

      udid.setDevice(data->targetDevice().devName);
      session->setSnapshotName(node.nodeName, udid.toWide());

      if (node.splitName == EMC_TIMEFINDER_MIRROR) {
        tool.symMirSplit(m_pairFiles);
      } else if (node.splitName == EMC_TIMEFINDER_CLONE) {
        tool.symCloneCreate(m_pairFiles);
      } else if (node.splitName == EMC_TIMEFINDER_SNAP) {
        tool.symSnapCreate(m_pairFiles);
      } else {
        const tstring method = CFiStringTool::str2tstr(node.splitName);
        trace(FI_TRACE_ERROR, "makeSnapshot:: invalid splitType [%S] specified", method.c_str());
        pushMessage("MSG_ERROR_INVALID_SPLIT_TYPE", QLB_SEV_ERROR, __LINE__,
                    {CFiIcuMessage::text(node.splitName)});
        return static_cast<int>(QLB_ERR_FAILED);
      }
    }
    return 0;
  });
}
