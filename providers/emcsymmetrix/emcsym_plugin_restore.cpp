// Restore: copies snapshots back onto their source devices. The pairs come
// from the identities of the parallel source and snapshot object ids; the
// method of the first pair, read from the array, restores them all.
#include <map>

#include "cfistringtool.h"
#include "cfitracelog.h"
#include "cfiudid.h"
#include "emcsym_clitool.h"
#include "emcsym_pairfile.h"
#include "emcsym_plugin.h"

using namespace quelb_pdk_4_4;

namespace {

// The framework's restore flags: QLB_RESTORE_DEFAULT is no flag at all,
// QLB_RESTORE_START and QLB_RESTORE_PARTIAL are these bits. A value is
// accepted when it is 0 or has one of the bits; a partial restore is
// carried out like a full one.
const long kRestoreStart = 0x1;
const long kRestorePartial = 0x100;

// The identity text of an object id, or null when there is none.
const wchar_t* identityOf(quelb_objid* const* ids, long index) {
  if (!ids || !ids[index]) return nullptr;
  return ids[index]->qid_text;
}

bool isKnownSplitType(const std::wstring& splitType) {
  return splitType == CEmcSymCliTool::SPLIT_TYPE_CLONE ||
         splitType == CEmcSymCliTool::SPLIT_TYPE_SNAP ||
         splitType == CEmcSymCliTool::SPLIT_TYPE_MIRROR;
}

}  // namespace

// Entries whose source or target (or its identity text) is missing are
// skipped; null lists count as lists of missing entries. A source device
// named twice is restored once, from the target of its first entry.
int CEmcSymPlugin::restore(quelb_objid** sources, quelb_objid** targets, long count, wchar_t*,
                           wchar_t*, long flags, long*) {
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::restore");
  std::lock_guard<std::mutex> lifecycle(m_lifecycleLock);
  return guarded(CEmcSymOperationGuard::OPERATION, __LINE__, [&]() -> int {
    CEmcSymCliTool tool(m_symCliPath, m_traceLog);
    if (flags != 0 && (flags & (kRestoreStart | kRestorePartial)) == 0) {
      trace(FI_TRACE_ERROR,
            "Restore flags (%lx) do not include QLB_RESTORE_START, QLB_RESTORE_PARTIAL or "
            "QLB_RESTORE_DEFAULT",
            flags);
      return QLB_ERR_INVALID_ARG;
    }

    std::map<std::string, std::string> restored;  // source device -> target device
    CEmcSymPairFile::PairLineMap lines;
    std::vector<SEmcSymDevInfo> sourceDevices;
    std::vector<SEmcSymDevInfo> targetDevices;
    for (long i = 0; i < count; ++i) {
      const wchar_t* sourceIdentity = identityOf(sources, i);
      const wchar_t* targetIdentity = identityOf(targets, i);
      if (!sourceIdentity || !targetIdentity) continue;
      const CFiUdid sourceUdid(sourceIdentity);
      const CFiUdid targetUdid(targetIdentity);
      const SEmcSymDevInfo source = tool.getSymDev(sourceUdid.serial(), sourceUdid.device());
      if (restored.count(source.devName) != 0) {
        trace(FI_TRACE_INFO2, "restore: skipping duplicate: %s\n", source.devName.c_str());
        continue;
      }
      sourceDevices.push_back(source);
      targetDevices.push_back(tool.getSymDev(targetUdid.serial(), targetUdid.device()));
      lines[sourceUdid.serial()].push_back(source.devName + " " + targetDevices.back().devName);
      restored[source.devName] = targetDevices.back().devName;
    }
    CEmcSymPairFile pairFile(lines);
    m_pairFiles = pairFile.getFilesByKey();

    if (sourceDevices.empty()) {
      trace(FI_TRACE_ERROR, "vdiskList vector is empty -- unable to continue restore");
      return QLB_ERR_INVALID_ARG;
    }
    std::wstring splitType;
    if (!tool.determineSplitType(sourceDevices[0], targetDevices[0], splitType)) {
      trace(FI_TRACE_ERROR, "Unable to determine splitType");
      return QLB_ERR_INVALID_ARG;
    }
    if (!isKnownSplitType(splitType)) {
      pushMessage("MSG_ERROR_INVALID_SPLIT_TYPE", QLB_SEV_ERROR, __LINE__,
                  {CFiIcuMessage::text(CFiStringTool::wstr2tstr(splitType))});
      return QLB_ERR_FAILED;
    }
    tool.restoreFromCopy(splitType, m_pairFiles, sourceDevices, targetDevices);
    return 0;
  });
}
