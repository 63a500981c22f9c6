// CEmcSymCliTool: inventory, device and masking-database queries.
#include <cstdlib>
#include <deque>

#include "cfiexecpipe.h"
#include "emcsym_clierror.h"
#include "emcsym_clitool.h"
#include "emcsym_clitool_util.h"
#include "emcsym_handlers.h"
#include "emcsym_names.h"

using namespace quelb_pdk_4_4;
using emcsym::narrow;
using emcsym::toolCommand;

namespace {

const char kNoMaskingDatabase[] =
    "symmaskdb returned an error, please verify that a path to device masking database / VLOGIX "
    "db device exists";

}  // namespace

int CEmcSymCliTool::symCfgDiscover() {
  Lines output;
  return execSymCLI(toolCommand(emcsym::kSymCfg, " discover "), output, true, true,
                    DEFAULT_TIMEOUT_SEC);
}

std::vector<SEmcSymArrayInfo> CEmcSymCliTool::getSymmetrixList() {
  const std::wstring command = toolCommand(emcsym::kSymCfg, " list " + getOutputFormatSuffix());
  Lines output;
  execSymCLI(command, output, true, true, DEFAULT_TIMEOUT_SEC);
  CEmcSymCfgListHandler handler;
  parseOutputOrThrow(command, output, handler, __LINE__);
  return handler.getResult();
}

int CEmcSymCliTool::getSymmetrixSize(const std::string& symid, uint64_t& availableMegabytes,
                                     uint64_t& totalMegabytes) {
  availableMegabytes = 0;
  totalMegabytes = 0;
  const std::wstring command =
      toolCommand(emcsym::kSymDisk, " list " + emcsym::sidArgument(symid, L"[getSymmetrixSize]") +
                                        getOutputFormatSuffix());
  Lines output;
  const int result = execSymCLIStatus(command, output);
  if (result != 0) {
    trace(FI_TRACE_WARNING, "execSymCLI failed in getSymmetrixSize with err [%d]", result);
    return result;
  }
  CEmcSymMaskDiskHandler handler;
  const Lines printed = output;
  try {
    if (!parseOutput(command, output, handler, "CEmcSymCliTool::getSymmetrixSize")) {
      recordUnreadable(command, printed);
      return 3;
    }
  } catch (const CEmcSymCliException&) {
    trace(FI_TRACE_ERROR, "CEmcSymCliTool::getSymmetrixSize: no XML document in the disk list");
    recordUnreadable(command, printed);
    return 3;
  }
  for (const SEmcSymDiskInfo& disk : handler.getResult()) {
    trace(FI_TRACE_DEBUG, " getSymmetrixSize: [%s] Available [%s] Total [%s]", disk.ident.c_str(),
          disk.availMegabytes.c_str(), disk.megabytes.c_str());
    // Added as the conversion gives them: a negative value lowers the sum.
    availableMegabytes += static_cast<uint64_t>(std::atol(disk.availMegabytes.c_str()));
    totalMegabytes += static_cast<uint64_t>(std::atol(disk.megabytes.c_str()));
  }
  return 0;
}

std::string CEmcSymCliTool::getSymCliVersion() {
  const std::wstring command = toolCommand(emcsym::kSymCli, " -output XML ");
  Lines output;
  execSymCLI(command, output, true, true, DEFAULT_TIMEOUT_SEC);
  CEmcSymVersionHandler handler;
  parseOutputOrThrow(command, output, handler, __LINE__);
  return handler.getResult();
}

std::vector<std::string> CEmcSymCliTool::symMaskdbListDatabase(const std::string& symid) {
  const std::wstring command =
      toolCommand(emcsym::kSymMaskDb, emcsym::sidArgument(symid, L"[symMaskdbListDatabase]") +
                                          " list database " + getOutputFormatSuffix());
  Lines output;
  const int result = execSymCLIStatus(command, output);
  if (result != 0) {
    trace(
        FI_TRACE_ERROR,
        "CEmcSymCliTool::symMaskdbListDatabase: command [symmaskdb -sid  %s list database] failed",
        symid.c_str());
    return std::vector<std::string>();
  }
  CEmcSymMaskdbListDatabaseHandler handler;
  try {
    if (parseOutput(command, output, handler, "CEmcSymCliTool::symMaskdbListDatabase")) {
      return handler.getResult();
    }
  } catch (const CEmcSymCliException&) {
  }
  trace(FI_TRACE_ERROR,
        "CEmcSymCliTool::symMaskdbListDatabase: Exception by CEmcSymMaskdbListDatabaseHandler "
        "parser");
  return std::vector<std::string>();
}

std::map<std::string, std::vector<std::string> > CEmcSymCliTool::getHostMap(
    const std::string& symid) {
  const std::wstring command =
      toolCommand(emcsym::kSymMaskDb, emcsym::sidArgument(symid, L"[getHostMap]") +
                                          " list database " + getOutputFormatSuffix());
  Lines output;
  if (execSymCLI(command, output, false, true, DEFAULT_TIMEOUT_SEC) != 0) {
    trace(FI_TRACE_ERROR, "%s", kNoMaskingDatabase);
    return std::map<std::string, std::vector<std::string> >();
  }
  CEmcSymMaskDbHandler handler;
  if (!parseOutput(command, output, handler, "CEmcSymCliTool::getHostMap")) {
    return std::map<std::string, std::vector<std::string> >();
  }
  return handler.getResult();
}

int CEmcSymCliTool::getHostLoginMap(const std::string& symid,
                                    std::map<std::string, SEmcSymMaskHostInfo>& hosts) {
  hosts.clear();
  const std::wstring command =
      toolCommand(emcsym::kSymMask, emcsym::sidArgument(symid, L"[getHostLoginMap]") +
                                        " list logins " + getOutputFormatSuffix());
  Lines output;
  const int result = execSymCLI(command, output, false, true, DEFAULT_TIMEOUT_SEC);
  if (result != 0) {
    trace(FI_TRACE_ERROR, "%s", kNoMaskingDatabase);
    return result;
  }
  CEmcSymMaskListLoginHandler handler;
  const Lines printed = output;
  if (!parseOutput(command, output, handler, "CEmcSymCliTool::getHostLoginMap")) {
    recordUnreadable(command, printed);
    return 3;
  }
  hosts = handler.getResult();
  return 0;
}

void CEmcSymCliTool::getSymDevList(const std::string& symid, EmcSymDevList& devices, bool verbose) {
  devices.clear();
  const std::wstring command =
      toolCommand(emcsym::kSymDev, emcsym::sidArgument(symid, L"[getSymDevList]") +
                                       (verbose ? " -v " : " -fibre -nobcv ") + " list " +
                                       getOutputFormatSuffix());
  Lines output;
  execSymCLI(command, output, true, true, DEFAULT_TIMEOUT_SEC);
  CEmcSymDevShowHandler handler;
  parseOutputOrThrow(command, output, handler, __LINE__);
  devices = handler.takeResult();
}

SEmcSymDevInfo CEmcSymCliTool::getSymDev(const std::string& symid, const std::string& devName) {
  const std::wstring command = toolCommand(
      emcsym::kSymDev, emcsym::sidArgument(symid, L"[getSymDev]") + " show " +
                           emcsym::checkedName(emcsym::NAME_DEVICE, devName, L"[getSymDev]") +
                           getOutputFormatSuffix());
  Lines output;
  execSymCLI(command, output, true, true, DEFAULT_TIMEOUT_SEC);
  // Output that cannot be read fails the call: an empty record would let
  // selection go on with a pair that names no source device.
  CEmcSymDevShowHandler handler;
  parseOutputOrThrow(command, output, handler, __LINE__);
  const EmcSymDevList& devices = handler.getResult();
  if (!devices.empty()) return devices.front();
  trace(FI_TRACE_ERROR, "CEmcSymCliTool::getSymDev: no record of device %s on symmetrix %s",
        devName.c_str(), symid.c_str());
  return SEmcSymDevInfo();
}

std::vector<SEmcSymAssignment> CEmcSymCliTool::getDevAssignmentMap(const std::string& symid,
                                                                   const std::string& devName,
                                                                   bool* unread) {
  if (unread) *unread = false;
  const std::wstring command =
      toolCommand(emcsym::kSymMaskDb,
                  emcsym::sidArgument(symid, L"[getDevAssignmentMap]") + " -dev " +
                      emcsym::checkedName(emcsym::NAME_DEVICE, devName, L"[getDevAssignmentMap]") +
                      " list assignment " + getOutputFormatSuffix());
  Lines output;
  const int result = execSymCLI(command, output, false, true, DEFAULT_TIMEOUT_SEC);
  if (result != 0) {
    if (findError(output, "No device masking database records could be found")) {
      trace(FI_TRACE_INFO, "Device %s is currently not assigned to any hbas", devName.c_str());
    } else {
      trace(FI_TRACE_INFO, "Failed to find device assignement map for symdev %s with error %d.",
            devName.c_str(), result);
      if (unread) *unread = true;
    }
    return std::vector<SEmcSymAssignment>();
  }
  // Output that cannot be read is no reason to stop an import or deport:
  // like a failed command, it leaves the assignments unknown.
  CEmcSymMaskdbListAssignmentHandler handler;
  const Lines printed = output;
  bool parsed = false;
  try {
    parsed = parseOutput(command, output, handler, "CEmcSymCliTool::getDevAssignmentMap");
  } catch (const CEmcSymCliException&) {
    trace(FI_TRACE_ERROR, "CEmcSymCliTool::getDevAssignmentMap: no XML document in the output");
  }
  if (!parsed) {
    recordUnreadable(command, printed);
    if (unread) *unread = true;
    return std::vector<SEmcSymAssignment>();
  }
  return handler.getResult();
}

std::string CEmcSymCliTool::findConfiguredTarget(const std::wstring& configuredTarget) {
  const std::string target = narrow(configuredTarget);
  const size_t separator = target.rfind("##");
  if (separator == std::string::npos) {
    traceCheck("Invalid target %s entered at config stage", target.c_str());
    throw checkFailed(L"[findConfiguredTarget]", emcsym::kCliToolSourceFile, __LINE__);
  }
  const std::string devName = target.substr(separator + 2);
  trace(FI_TRACE_INFO, "DevId supplied in snapshot config spec is %s", devName.c_str());
  // Taken as it is, "0040;x" or "0040 -force" would reach a command line.
  return emcsym::checkedName(emcsym::NAME_DEVICE, devName, L"[findConfiguredTarget]");
}
