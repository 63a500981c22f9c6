// Dispose: undoes one snapshot. The source and snapshot devices come from
// the identities of the two nodes, the method that links them from the
// array: a mirror's BCV is established again (and waited for) so that it is
// ready for the next split; a clone or snap session is terminated.
#include "cfistringtool.h"
#include "cfitracelog.h"
#include "cfiudid.h"
#include "emcsym_clitool.h"
#include "emcsym_pairfile.h"
#include "emcsym_plugin.h"

using namespace quelb_pdk_4_4;

int CEmcSymPlugin::dispose(qlb_domain* primary, qlb_domain* target, qlb_splitnode*,
                           qlb_disposition disposition) {
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::dispose");
  std::lock_guard<std::mutex> lifecycle(m_lifecycleLock);
  return guarded(CEmcSymOperationGuard::OPERATION, __LINE__, [&]() -> int {
    CEmcSymCliTool tool(m_symCliPath, m_traceLog);
    if (!primary) {
      trace(FI_TRACE_ERROR, " primaryNode is NULL");
      return QLB_ERR_INVALID_ARG;
    }
    if (!primary->fid_objid || !primary->fid_objid->qid_text) {
      trace(FI_TRACE_ERROR, " fid_objid is NULL for primaryNode");
      return QLB_ERR_INVALID_ARG;
    }
    if (!target) {
      trace(FI_TRACE_ERROR, " targetNodeis NULL");
      return QLB_ERR_INVALID_ARG;
    }
    if (!target->fid_objid || !target->fid_objid->qid_text) {
      trace(FI_TRACE_ERROR, " fid_objid is NULL for targetNode");
      return QLB_ERR_INVALID_ARG;
    }
    const wchar_t* sourceIdentity = primary->fid_objid->qid_text;
    const wchar_t* targetIdentity = target->fid_objid->qid_text;
    if (disposition != QLB_DISPOSITION_DETACH) {
      trace(FI_TRACE_ERROR, "Invalid detach disposition: %d", static_cast<int>(disposition));
      return QLB_ERR_FAILED;
    }

    const CFiUdid sourceUdid(sourceIdentity);
    const CFiUdid targetUdid(targetIdentity);
    const std::vector<SEmcSymDevInfo> sources(
        1, tool.getSymDev(sourceUdid.serial(), sourceUdid.device()));
    const std::vector<SEmcSymDevInfo> targets(
        1, tool.getSymDev(targetUdid.serial(), targetUdid.device()));
    CEmcSymPairFile::PairLineMap lines;
    lines[sourceUdid.serial()].push_back(sources[0].devName + " " + targets[0].devName);
    CEmcSymPairFile pairFile(lines);
    m_pairFiles = pairFile.getFilesByKey();

    std::wstring splitType;
    if (!tool.determineSplitType(sources[0], targets[0], splitType)) {
      trace(FI_TRACE_ERROR, "Unable to determine splitType");
      return QLB_ERR_INVALID_ARG;
    }
    if (splitType == CEmcSymCliTool::SPLIT_TYPE_MIRROR) {
      tool.symMirEstablish(m_pairFiles, sources, targets, L"DELETE");
    } else if (splitType == CEmcSymCliTool::SPLIT_TYPE_CLONE ||
               splitType == CEmcSymCliTool::SPLIT_TYPE_SNAP) {
      // A terminate that fails does not fail dispose (the framework
      // releases the snapshot either way), but the user is told that the
      // session may still hold the target.
      if (tool.deleteCopy(splitType, m_pairFiles) != 0) {
        pushCliFailure("MSG_WARNING_CLI_FAILURE_IGNORED", QLB_SEV_WARNING, __LINE__, "terminate",
                       sources[0].devName, sourceUdid.serial(), targets[0].devName,
                       tool.lastFailure());
      }
    } else {
      trace(FI_TRACE_ERROR, "dispose:: invalid splitType [%S] specified", splitType.c_str());
      pushMessage("MSG_ERROR_INVALID_SPLIT_TYPE", QLB_SEV_ERROR, __LINE__,
                  {CFiIcuMessage::text(CFiStringTool::wstr2tstr(splitType))});
      return QLB_ERR_FAILED;
    }
    return 0;
  });
}
