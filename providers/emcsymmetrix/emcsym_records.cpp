#include "emcsym_records.h"

#include "cfistringtool.h"

using quelb_pdk_4_4::CFiStringTool;
using quelb_pdk_4_4::CFiTraceLogPtr;
using quelb_pdk_4_4::FI_TRACE_DEBUG;
using quelb_pdk_4_4::FI_TRACE_DETAIL;
using quelb_pdk_4_4::FI_TRACE_ERROR;
using quelb_pdk_4_4::FI_TRACE_INFO;

void SEmcSymMaskHostInfo::print(const CFiTraceLogPtr& log) const {
  if (log.isNull()) return;
  log->trace(FI_TRACE_INFO, "SEmcSymMaskHostInfo [%s] [%s]", hostNodeName.c_str(), symid.c_str());
  for (const auto& entry : logins) {
    const SEmcSymMaskHbaInfo& login = entry.second;
    log->trace(FI_TRACE_INFO, "SEmcSymMaskHbaInfo awwnPortName[%s] originatorPortWwn[%s]",
               login.awwnPortName.c_str(), login.originatorPortWwn.c_str());
    for (const SEmcSymDirectorPort& dp : login.directorPorts) {
      log->trace(FI_TRACE_ERROR, "                         director[%s] port[%s]",
                 dp.director.c_str(), dp.port.c_str());
    }
  }
}

bool SEmcSymMaskHostInfo::findEntry(const std::string& wwn, const std::string& director,
                                    const std::string& port, const CFiTraceLogPtr& log) const {
  auto found = logins.find(wwn);
  if (found == logins.end()) {
    if (!log.isNull()) log->trace(FI_TRACE_DETAIL, "DID NOT Find entry for wwn[%s]", wwn.c_str());
    return false;
  }
  if (!log.isNull()) log->trace(FI_TRACE_DETAIL, "Found entry for wwn[%s]", wwn.c_str());
  for (const SEmcSymDirectorPort& dp : found->second.directorPorts) {
    if (!log.isNull()) {
      log->trace(FI_TRACE_DEBUG, "findEntry: CompareNoCase(%s, %s) && CompareNoCase(%s, %s)",
                 dp.director.c_str(), director.c_str(), dp.port.c_str(), port.c_str());
    }
    if (CFiStringTool::CompareNoCase(dp.director, director) &&
        CFiStringTool::CompareNoCase(dp.port, port)) {
      return true;
    }
  }
  return false;
}
