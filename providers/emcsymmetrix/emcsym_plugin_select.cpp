// Target selection: the configured target of each source device.
//
// For every source node that this provider claimed, select reads the
// source device and the target device that the node's configuration names
// (always on the source's array), keeps both in the node's private data and
// adds the pair line to the selected pairs, from which prepare and make
// write their pair files. Only "symdev show" runs; the method of a node
// plays no part here.
#include <map>
#include <string>

#include "cfistringtool.h"
#include "cfitracelog.h"
#include "cfiudid.h"
#include "emcsym_clitool.h"
#include "emcsym_lifecycle.h"
#include "emcsym_plugin.h"
#include "emcsym_privatedata.h"

using namespace quelb_pdk_4_4;

// Group nodes and nodes without this provider's prefix are skipped without
// a word. Two nodes of one call with the same source device give one pair
// (the second is traced as a duplicate); separate calls each add theirs.
//
// The first node without a target ends the call: its configuration names
// none (MSG_ERROR_NO_SNAPSHOT_TARGET_SELECTED, the status of the choice),
// or the configured target has no "##" (MSG_ERROR_CLI_COMMAND_FAILED, 6).
// A claimed node that carries no private data at all (the framework did
// not initialise it) has no configuration either and is answered like a
// node whose configuration names no target, with 6. Pairs of earlier nodes
// stay selected.
int CEmcSymPlugin::select(char*, qlb_splitnode** list, int count) {
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::select");
  std::lock_guard<std::mutex> lifecycle(m_lifecycleLock);
  return guarded(CEmcSymOperationGuard::OPERATION, __LINE__, [&] {
    CEmcSymCliTool tool(m_symCliPath, m_traceLog);
    // Source device name -> target device name, for this call.
    std::map<std::string, std::string> chosen;

    for (int i = 0; list && i < count; ++i) {
      const tstring name = emcsym::sourceNodeName(list[i]);
      if (name.length() == 0) continue;
      CEmcSymPrivateDataPtr data =
          nodePrivateData(list[i]->sn_node).dynamicCast<CEmcSymPrivateData>();
      if (isGroupNode(name) || !isInterposerNode(name)) continue;

      const CFiUdid udid(name);
      const SEmcSymDevInfo source = tool.getSymDev(udid.serial(), udid.device());
      if (chosen.count(source.devName) != 0) {
        trace(FI_TRACE_INFO2, "select: skipping duplicate: %s\n", source.devName.c_str());
        continue;
      }
      int status = QLB_ERR_FAILED;
      if (data) {
        data->setSourceDevice(source);
        status = data->selectTargetFromConfigData();
      }
      if (status != 0) {
        pushMessage("MSG_ERROR_NO_SNAPSHOT_TARGET_SELECTED", QLB_SEV_ERROR, __LINE__,
                    {CFiIcuMessage::text(source.devName)});
        return status;
      }

      const std::string targetName =
          tool.findConfiguredTarget(CFiStringTool::str2tstr(data->getConfiguredTarget()).c_str());
      const SEmcSymDevInfo target = tool.getSymDev(udid.serial(), targetName);
      data->setTargetDevice(target);

      chosen[source.devName] = target.devName;
      const std::string line = emcsym::pairLine(source.devName, target.devName);
      trace(FI_TRACE_INFO, "select: Adding pair [%s] in the list", line.c_str());
      m_selectedPairs[udid.serial()].push_back(line);
    }
    return 0;
  });
}
