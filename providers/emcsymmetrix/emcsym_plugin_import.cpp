// Import and deport: makes one device visible to this host or hides it, by
// editing the array's masking database for the HBAs of this host and then
// refreshing the array's masking tables.
#include "cfisleep.h"
#include "cfistringtool.h"
#include "cfitracelog.h"
#include "cfiudid.h"
#include "emcsym_clitool.h"
#include "emcsym_plugin.h"

using namespace quelb_pdk_4_4;

namespace {

// Whether the assignment is to one of this host's HBAs: some HBA whose WWN,
// host node name or host port name is the assignment's port WWN, in any
// case.
bool isLocalAssignment(const SEmcSymAssignment& assignment,
                       const std::vector<SEmcSymHbaInfo>& localHbas) {
  for (const SEmcSymHbaInfo& hba : localHbas) {
    for (const std::string* name : {&hba.hostNodeName, &hba.hostPortName, &hba.wwn}) {
      if (!name->empty() && CFiStringTool::CompareNoCase(*name, assignment.portWwn)) return true;
    }
  }
  return false;
}

std::vector<std::string> wwnsOf(const std::vector<SEmcSymHbaInfo>& hbas) {
  std::vector<std::string> wwns;
  wwns.reserve(hbas.size());
  for (const SEmcSymHbaInfo& hba : hbas) wwns.push_back(hba.wwn);
  return wwns;
}

}  // namespace

// The device is always masked to this host's HBAs: the host list, the
// transportable flag and the mode are not consulted. Assignments to other
// hosts' HBAs are removed when exactly one of removeOthers and deport is
// set (as importResource and deportResource set them for their "replace"
// and "hide everywhere" flags).
int CEmcSymPlugin::importNode(const tstring& name, const std::vector<tstring>&, bool,
                              bool removeOthers, bool deport, int) {
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::importNode");
  return guarded(CEmcSymOperationGuard::OPERATION, __LINE__, [&]() -> int {
    const std::string identity = CFiStringTool::tstr2str(name);
    trace(FI_TRACE_INFO, deport ? "deporting %s" : "importing %s", identity.c_str());
    CEmcSymCliTool tool(m_symCliPath, m_traceLog);
    const CFiUdid udid(name);
    const std::string& symid = udid.serial();
    const SEmcSymDevInfo device = tool.getSymDev(symid, udid.device());
    // Assignments that cannot be read do not stop the operation (the
    // device is still added, and refreshed), but none of them is removed,
    // and the user learns why.
    bool assignmentsUnread = false;
    const std::vector<SEmcSymAssignment> assignments =
        tool.getDevAssignmentMap(symid, udid.device(), &assignmentsUnread);
    if (assignmentsUnread) {
      pushCliFailure("MSG_WARNING_CLI_FAILURE_IGNORED", QLB_SEV_WARNING, __LINE__,
                     "mask_assignments", udid.device(), symid, std::string(), tool.lastFailure());
    }

    std::vector<SEmcSymHbaInfo> localHbas;
    SEmcSymMaskHostInfo hostInfo;
    // A listing that failed is named before the host is reported missing.
    if (tool.GetHostInfo(symid, localHbas, hostInfo) != 0) {
      pushCliFailure("MSG_ERROR_MASKING_FAILED", QLB_SEV_ERROR, __LINE__, "hba_list", udid.device(),
                     symid, std::string(), tool.lastFailure());
    }
    if (localHbas.empty()) {
      pushMessage("MSG_ERROR_HOST_NOT_FOUND", QLB_SEV_ERROR, __LINE__,
                  {CFiIcuMessage::text(std::string())});
      trace(FI_TRACE_ERROR, "CEmcSymCliTool::Failed to get HBA and Director port Info.");
      return QLB_ERR_INVALID_ARG;
    }

    const std::vector<std::string> localWwns = wwnsOf(localHbas);
    const bool removeOtherHosts = removeOthers != deport;
    // A removal that fails does not end the operation (the others and the
    // refresh still run, and its result stays), but the user learns that
    // the device may still be visible to that HBA.
    auto remove = [&](const SEmcSymAssignment& assignment) {
      const char* failedStep = "remove";
      if (tool.symMaskRemove(assignment, &failedStep) == 0) return;
      pushCliFailure("MSG_WARNING_CLI_FAILURE_IGNORED", QLB_SEV_WARNING, __LINE__,
                     std::string(failedStep) == "remove" ? "mask_remove" : "mask_refresh",
                     assignment.devNumber, assignment.symid, assignment.portWwn,
                     tool.lastFailure());
    };
    // symMaskAdd fails either because a run failed (its cause is the
    // tool's last failure) or because no combination was usable. When it
    // succeeds, each path whose add failed is still reported.
    auto add = [&]() {
      const int failuresBefore = tool.failureCount();
      CEmcSymCliTool::FailedAdds failedAdds;
      if (tool.symMaskAdd(device, localWwns, hostInfo, &failedAdds) == 0) {
        for (const auto& failed : failedAdds) {
          pushCliFailure("MSG_WARNING_CLI_FAILURE_IGNORED", QLB_SEV_WARNING, __LINE__, "mask_add",
                         device.devName, symid, failed.first, failed.second);
        }
        return true;
      }
      if (tool.failureCount() != failuresBefore) {
        pushCliFailure("MSG_ERROR_MASKING_FAILED", QLB_SEV_ERROR, __LINE__, "mask_add",
                       device.devName, symid, std::string(), tool.lastFailure());
      } else {
        pushMessage("MSG_ERROR_NO_VALID_MAPPING", QLB_SEV_ERROR, __LINE__,
                    {CFiIcuMessage::text(device.devName), CFiIcuMessage::text(symid),
                     CFiIcuMessage::text(hostInfo.hostNodeName)});
      }
      return false;
    };
    bool added = false;
    for (const SEmcSymAssignment& assignment : assignments) {
      if (!isLocalAssignment(assignment, localHbas)) {
        if (removeOtherHosts) remove(assignment);
      } else if (deport) {
        remove(assignment);
      } else if (!added) {
        if (!add()) return QLB_ERR_FAILED;
        added = true;
      }
    }
    if (!deport && !added && !add()) return QLB_ERR_FAILED;

    if (tool.symMaskRefresh(symid) != 0) {
      pushCliFailure("MSG_ERROR_MASKING_FAILED", QLB_SEV_ERROR, __LINE__, "mask_refresh",
                     udid.device(), symid, std::string(), tool.lastFailure());
      return QLB_ERR_FAILED;
    }
    const unsigned int waitSec = m_tuningParams.postUnmaskWaitInSec;
    trace(FI_TRACE_DEBUG, "Sleeeping after unmask operation for [%d] sec",
          static_cast<int>(waitSec));
    if (waitSec > 0) fiSleep(static_cast<unsigned long>(waitSec) * 1000);
    return 0;
  });
}

// Hides nothing: the framework's deports of single devices reach importNode
// through deportResource. A second node without an identity is refused
// with 3.
int CEmcSymPlugin::deportTree(qlb_domain*, qlb_domain* node, qlb_accessnode*) {
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::deportTree");
  if (!node || !node->fid_objid || !node->fid_objid->qid_text) {
    trace(FI_TRACE_ERROR, "CEmcSymPlugin::deportTree: the node has no identity");
    return QLB_ERR_INVALID_ARG;
  }
  trace(FI_TRACE_INFO,
        "CEmcSymPlugin::deportTree: calling importNode for node [%S] with flag "
        "QLB_MODE_DEPORT_RESOURCE",
        node->fid_objid->qid_text);
  return 0;
}
