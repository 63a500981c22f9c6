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
    const std::vector<SEmcSymAssignment> assignments =
        tool.getDevAssignmentMap(symid, udid.device());

    std::vector<SEmcSymHbaInfo> localHbas;
    SEmcSymMaskHostInfo hostInfo;
    tool.GetHostInfo(symid, localHbas, hostInfo);
    if (localHbas.empty()) {
      pushMessage("MSG_ERROR_HOST_NOT_FOUND", QLB_SEV_ERROR, __LINE__,
                  {CFiIcuMessage::text(std::string())});
      trace(FI_TRACE_ERROR, "CEmcSymCliTool::Failed to get HBA and Director port Info.");
      return QLB_ERR_INVALID_ARG;
    }

    const std::vector<std::string> localWwns = wwnsOf(localHbas);
    const bool removeOtherHosts = removeOthers != deport;
    bool added = false;
    for (const SEmcSymAssignment& assignment : assignments) {
      if (!isLocalAssignment(assignment, localHbas)) {
        if (removeOtherHosts) tool.symMaskRemove(assignment);
      } else if (deport) {
        tool.symMaskRemove(assignment);
      } else if (!added) {
        if (tool.symMaskAdd(device, localWwns, hostInfo) != 0) return QLB_ERR_FAILED;
        added = true;
      }
    }
    if (!deport && !added && tool.symMaskAdd(device, localWwns, hostInfo) != 0)
      return QLB_ERR_FAILED;

    if (tool.symMaskRefresh(symid) != 0) return QLB_ERR_FAILED;
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
