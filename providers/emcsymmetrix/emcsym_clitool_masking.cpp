// CEmcSymCliTool: host and HBA discovery and LUN masking.
#include <optional>

#include "cfiexecpipe.h"
#include "cfinetwork.h"
#include "cfisleep.h"
#include "emcsym_clierror.h"
#include "emcsym_clitool.h"
#include "emcsym_clitool_util.h"
#include "emcsym_handlers.h"
#include "emcsym_names.h"

using namespace quelb_pdk_4_4;
using emcsym::checkedName;
using emcsym::narrow;
using emcsym::sidArgument;
using emcsym::toolCommand;

namespace {

// Longest host name an array registers as it is; longer names are
// registered as "HOST." and the host's address from its second number on.
const size_t kLongHostName = 16;
// Runs of the HBA discovery after its first failure.
const int kDiscoverHbaRetries = 10;
const unsigned long kDiscoverHbaPauseMs = 2000;
// Runs of one masking add while the gatekeeper cannot be opened.
const int kMaskAddAttempts = 10;
const unsigned long kMaskAddPauseMs = 1000;
const unsigned long kMaskRemovePauseMs = 1000;
const char kGatekeeperNotOpened[] = "A gate keeper cannot be opened";
// Result of getHostLoginInfo when no host matches.
const int kNoLoginInformation = 19;
// Result of symMaskAdd when no combination could be used.
const int kNoValidMapping = 3;

// The host name up to its first ".".
std::string shortName(const std::string& hostName) {
  return hostName.substr(0, hostName.find('.'));
}

// The name under which an array registers a host of a long name with this
// address: "HOST." and the address from its second number on, less the
// first digit of that number when it has three.
std::string longHostAlias(const std::string& address) {
  size_t from = address.find('.');
  from = from == std::string::npos ? address.size() : from + 1;
  const size_t next = address.find('.', from);
  if (next != std::string::npos && next - from == 3) ++from;
  return "HOST." + address.substr(from);
}

}  // namespace

std::vector<SEmcSymHbaInfo> CEmcSymCliTool::symMaskDiscoverHba(const std::string& symid) {
  const std::wstring command =
      toolCommand(emcsym::kSymMask, " discover hba -rename " + getOutputFormatSuffix());
  Lines output;
  // Inside another command's retries the discovery runs once.
  const bool retryHere = !insideRetries();
  int result = execSymCLI(command, output, false, true, DEFAULT_TIMEOUT_SEC);
  if (result == 0) {
    trace(FI_TRACE_INFO, "symmask command is sucessfull.");
  } else if (retryHere) {
    trace(FI_TRACE_WARNING,
          "symmask discover hba -rename command is failing checking array connectivity");
    RetryScope retrying(*this);
    discoverArrays();
    symMaskRefresh(symid);
    trace(FI_TRACE_INFO,
          "symcfg list command has passed, array connectivity is present retrying for symmask");
    for (int attempt = 1; attempt <= kDiscoverHbaRetries; ++attempt) {
      result = execSymCLI(command, output, false, true, DEFAULT_TIMEOUT_SEC);
      if (result == 0) break;
      discoverArrays();
      symMaskRefresh(symid);
      retryPause(kDiscoverHbaPauseMs);
    }
  }
  // The records are those of the last run's output, even when it failed.
  CEmcSymMaskHbaHandler handler;
  try {
    if (!parseOutput(command, output, handler, "CEmcSymCliTool::symMaskDiscoverHba")) {
      return std::vector<SEmcSymHbaInfo>();
    }
  } catch (const CEmcSymCliException&) {
    if (result == 0) throw;
    trace(FI_TRACE_ERROR, "CEmcSymCliTool::symMaskDiscoverHba: the HBAs cannot be discovered (%d)",
          result);
    return std::vector<SEmcSymHbaInfo>();
  }
  return handler.getResult();
}

std::vector<SEmcSymHbaInfo> CEmcSymCliTool::validateHostName(const std::string& symid,
                                                             const std::string& hostName) {
  const CFiHostInfo host = hostName.empty() ? CFiNetwork::resolve() : CFiNetwork::resolve(hostName);
  const std::vector<SEmcSymHbaInfo> records = symMaskDiscoverHba(symid);
  if (records.empty()) {
    trace(FI_TRACE_ERROR, "No HBAs found for local host %s", host.getHostName().c_str());
  }
  std::vector<SEmcSymHbaInfo> kept;
  for (const SEmcSymHbaInfo& record : records) {
    trace(FI_TRACE_INFO, "%s, %s -- %s, %s", record.symid.c_str(), record.hostNodeName.c_str(),
          symid.c_str(), host.getHostName().c_str());
    if (CFiStringTool::CompareNoCase(record.symid, symid) &&
        CFiNetwork::compare(record.hostNodeName, host)) {
      kept.push_back(record);
    }
  }
  if (!kept.empty()) return kept;
  for (const SEmcSymHbaInfo& record : records) {
    if (!CFiStringTool::CompareNoCase(record.symid, symid)) continue;
    if (CFiNetwork::compare(CFiNetwork::resolve(record.hostNodeName), host)) kept.push_back(record);
  }
  return kept;
}

std::vector<std::string> CEmcSymCliTool::symGetHbaList(const std::string& symid,
                                                       const std::string& hostName) {
  std::string name = hostName;
  if (hostName.size() > kLongHostName) {
    std::string address;
    if (CFiNetwork::getHostbyName(hostName, address) != 0) {
      trace(FI_TRACE_ERROR, "CEmcSymCliTool::symGetHbaList: Cannot resolve hostname [%s]",
            hostName.c_str());
      return std::vector<std::string>();
    }
    name = longHostAlias(address);
    trace(FI_TRACE_INFO,
          "CEmcSymCliTool::symGetHbaList: hostname [%s] length is [%d] greater than 16 so the "
          "hostname registered at array should be [%s], host IP address is [%s]",
          hostName.c_str(), static_cast<int>(hostName.size()), name.c_str(), address.c_str());
  }

  std::wstring command;
  Lines output;
  auto run = [&]() {
    command = toolCommand(emcsym::kSymMaskDb,
                          sidArgument(symid, L"[symGetHbaList]") + " -host " +
                              checkedName(emcsym::NAME_HOST, name, L"[symGetHbaList]") +
                              " list capacity " + getOutputFormatSuffix());
    return execSymCLI(command, output, false, true, DEFAULT_TIMEOUT_SEC);
  };
  int result = run();
  // The runs after the first are retries: the commands inside do not retry
  // on their own.
  RetryScope retrying(*this);
  if (result != 0) {
    symMaskDiscoverHba(symid);
    result = run();
  }
  if (result != 0) {
    for (const std::string& registered : symMaskdbListDatabase(symid)) {
      if (registered != name && CFiStringTool::CompareNoCase(registered, name)) {
        trace(FI_TRACE_INFO,
              "CEmcSymCliTool::symGetHbaList: local hostname [%s] differs from casesensitive "
              "hostname [%s] present at array.",
              name.c_str(), registered.c_str());
        name = registered;
        result = run();
        break;
      }
    }
  }
  if (result != 0) {
    if (findError(output, "The supplied alias is invalid") ||
        findError(output,
                  "No device masking database records could be found for the specified input "
                  "parameters")) {
      trace(FI_TRACE_ERROR, "CEmcSymCliTool::symGetHbaList Hostname %s is invalid", name.c_str());
      trace(FI_TRACE_ERROR,
            "CEmcSymCliTool::symGetHbaList List of Hostname registered at Array are as follows");
      for (const std::string& registered : symMaskdbListDatabase(symid)) {
        trace(FI_TRACE_ERROR, "%s", registered.c_str());
      }
    } else {
      trace(FI_TRACE_ERROR,
            "CEmcSymCliTool::symGetHbaList Failed to find port wwwns for a host %s with error %d.",
            name.c_str(), result);
    }
    trace(FI_TRACE_ERROR, "CEmcSymCliTool::symGetHbaList CLIDATA is as follows : \n%s",
          emcsym::joinLines(output, "\n").c_str());
    return std::vector<std::string>();
  }
  CEmcSymMaskdbListCapacityHandler handler;
  if (!parseOutput(command, output, handler, "CEmcSymCliTool::symGetHbaList")) {
    return std::vector<std::string>();
  }
  const std::vector<std::string> wwns = handler.getResult();
  trace(FI_TRACE_INFO, "CEmcSymCliTool::symGetHbaList: Found [%d] WWN's for the host [%s]",
        static_cast<int>(wwns.size()), name.c_str());
  return wwns;
}

std::vector<SEmcSymDirectorPort> CEmcSymCliTool::symGetDirectorPortList(
    const std::string& symid, const std::string& hostName) {
  const std::wstring command =
      toolCommand(emcsym::kSymCfg, sidArgument(symid, L"[symGetDirectorPortList]") +
                                       " list -connections -sorthost " + getOutputFormatSuffix());
  Lines output;
  const int result = execSymCLI(command, output, false, true, DEFAULT_TIMEOUT_SEC);
  if (result != 0) {
    trace(FI_TRACE_ERROR,
          "CEmcSymCliTool::symGetDirectorPortList: Failed to find the connection list at the "
          "array with error %d.",
          result);
    trace(FI_TRACE_ERROR, "CEmcSymCliTool::symGetDirectorPortList  CLIDATA: \n%s",
          emcsym::joinLines(output, "\n").c_str());
    return std::vector<SEmcSymDirectorPort>();
  }
  std::string address;
  if (CFiNetwork::getHostbyName(hostName, address) != 0) {
    trace(FI_TRACE_ERROR, "CEmcSymCliTool::symGetDirectorPortList: Cannot resolve hostname [%s]",
          hostName.c_str());
    return std::vector<SEmcSymDirectorPort>();
  }
  CEmcSymCfgListConnectionHandler handler;
  if (!parseOutput(command, output, handler, "CEmcSymCliTool::symGetDirectorPortList")) {
    return std::vector<SEmcSymDirectorPort>();
  }
  std::vector<SEmcSymDirectorPort> ports;
  const auto connections = handler.getResult();
  const auto found = connections.find(address);
  if (found != connections.end()) ports = found->second;
  trace(FI_TRACE_INFO,
        "CEmcSymCliTool::symGetDirectorPortList: Found [%d] <Director Port> for the host [%s] "
        "with IP address [%s]",
        static_cast<int>(ports.size()), hostName.c_str(), address.c_str());
  return ports;
}

SEmcSymMaskHostInfo CEmcSymCliTool::GetHostInfo(const std::string& symid,
                                                const std::string& hostName) {
  const std::vector<std::string> wwns = symGetHbaList(symid, hostName);
  if (wwns.empty()) {
    trace(FI_TRACE_ERROR, "No HBAs found for the host %s", hostName.c_str());
    return SEmcSymMaskHostInfo();
  }
  const std::vector<SEmcSymDirectorPort> ports = symGetDirectorPortList(symid, hostName);
  if (ports.empty()) {
    trace(FI_TRACE_ERROR, "No connected Director port found for the host %s", hostName.c_str());
    return SEmcSymMaskHostInfo();
  }
  SEmcSymMaskHostInfo info;
  info.symid = symid;
  info.hostNodeName = hostName;
  for (const std::string& wwn : wwns) {
    SEmcSymMaskHbaInfo& login = info.logins[wwn];
    login.originatorPortWwn = wwn;
    login.directorPorts = ports;
  }
  return info;
}

int CEmcSymCliTool::GetHostInfo(const std::string& symid, std::vector<SEmcSymHbaInfo>& hbas,
                                SEmcSymMaskHostInfo& hostInfo) {
  hbas.clear();
  hostInfo = SEmcSymMaskHostInfo();
  const std::wstring command =
      toolCommand(emcsym::kSymMask, " list hba " + getOutputFormatSuffix());
  Lines output;
  const int result = execSymCLI(command, output, false, true, DEFAULT_TIMEOUT_SEC);
  if (result != 0) {
    trace(FI_TRACE_ERROR, "CEmcSymCliTool::GetHostInfo %d.", result);
    trace(FI_TRACE_ERROR, "CEmcSymCliTool::GetHostInfo  CLIDATA: \n%s",
          emcsym::joinLines(output, "\n").c_str());
    return result;
  }
  CEmcSymMaskListHbaHandler handler;
  const Lines printed = output;
  if (!parseOutput(command, output, handler, "CEmcSymCliTool::GetHostInfo")) {
    recordUnreadable(command, printed);
    return 3;
  }
  hostInfo.symid = symid;
  hostInfo.hostNodeName = CFiNetwork::getComputerName();
  for (const auto& hba : handler.getResult()) {
    SEmcSymMaskHbaInfo& login = hostInfo.logins[hba.first];
    login.originatorPortWwn = hba.first;
    login.directorPorts = hba.second;
    SEmcSymHbaInfo record;
    record.symid = symid;
    record.wwn = hba.first;
    hbas.push_back(record);
  }
  trace(FI_TRACE_INFO, "CEmcSymCliTool::GetHostInfo: Found [%d] WWN's for the host ",
        static_cast<int>(hbas.size()));
  return 0;
}

int CEmcSymCliTool::getHostLoginInfo(const std::string& symid, const std::string& hostName,
                                     SEmcSymMaskHostInfo& hostInfo) {
  std::map<std::string, SEmcSymMaskHostInfo> hosts;
  getHostLoginMap(symid, hosts);
  if (hosts.empty()) {
    trace(FI_TRACE_ERROR, "no host login information found for sid %s", symid.c_str());
    return kNoLoginInformation;
  }
  const std::string wanted = shortName(hostName);
  trace(FI_TRACE_DEBUG, "hostname :%s non-fqdn  :%s", hostName.c_str(), wanted.c_str());
  std::string wantedAddress;
  bool resolved = false;
  for (const auto& host : hosts) {
    const std::string loginShort = shortName(host.first);
    trace(FI_TRACE_DEBUG, "loginHost :%s non-fqdn :%s", host.first.c_str(), loginShort.c_str());
    trace(FI_TRACE_INFO, "getHostLoginInfo: CompareNoCase(%s, %s)", loginShort.c_str(),
          wanted.c_str());
    bool selected = CFiStringTool::CompareNoCase(loginShort, wanted);
    if (!selected) {
      trace(FI_TRACE_DEBUG, "Comparing  resolved names for itr->first :%s :: hostname :%s",
            host.first.c_str(), hostName.c_str());
      if (!resolved) {
        CFiNetwork::getHostbyName(hostName, wantedAddress);
        resolved = true;
      }
      std::string address;
      CFiNetwork::getHostbyName(host.first, address);
      selected = !address.empty() && address == wantedAddress;
    }
    if (selected) {
      hostInfo = host.second;
      return 0;
    }
  }
  trace(FI_TRACE_ERROR, "no host login information found for host %s, sid %s", hostName.c_str(),
        symid.c_str());
  return kNoLoginInformation;
}

void CEmcSymCliTool::discoverArrays() {
  try {
    symCfgDiscover();
  } catch (const EFiExecPipe& e) {
    trace(FI_TRACE_ERROR, "symcfg discover failed (%s); going on", fiExecPipeCodeName(e.getCode()));
  }
}

int CEmcSymCliTool::runMaskAdd(const std::wstring& command, bool* gatekeeperFailed) {
  *gatekeeperFailed = false;
  Lines output;
  for (int attempt = 1;; ++attempt) {
    // The attempts after the first are this command's own retries.
    std::optional<RetryScope> retrying;
    if (attempt > 1) retrying.emplace(*this);
    const int result = execSymCLI(command, output, false, true, DEFAULT_TIMEOUT_SEC);
    if (result == 0) return 0;
    if (!findError(output, kGatekeeperNotOpened)) {
      trace(FI_TRACE_ERROR, "cmd : [%s] failed with error : %d", narrow(command).c_str(), result);
      return result;
    }
    trace(FI_TRACE_DEBUG, "Can not open gate keeper, either locked or inaccessible, retrying");
    trace(FI_TRACE_DEBUG, "attempt :%d", attempt);
    if (attempt == kMaskAddAttempts) {
      trace(FI_TRACE_ERROR,
            "Can not open gate keeper, either locked or inaccessible, retry failed");
      *gatekeeperFailed = true;
      return result;
    }
    retryPause(kMaskAddPauseMs);
  }
}

int CEmcSymCliTool::symMaskAdd(const SEmcSymDevInfo& device,
                               const std::vector<std::string>& hbaWwns,
                               const SEmcSymMaskHostInfo& hostInfo, FailedAdds* failedAdds) {
  int combinations = 0;
  int inaccessible = 0;
  int validMappings = 0;
  for (const std::string& wwn : hbaWwns) {
    for (const auto& director : device.ports) {
      for (const std::string& port : director.second) {
        ++combinations;
        const bool valid = hostInfo.findEntry(wwn, director.first, port, m_traceLog);
        if (!valid) {
          trace(FI_TRACE_WARNING,
                "Assigning device %s to director/port that is not accessible to the HBA port %s",
                device.devName.c_str(), wwn.c_str());
          hostInfo.print(m_traceLog);
          ++inaccessible;
        }
        const wchar_t* const operation = L"[symMaskAdd]";
        const std::wstring command = toolCommand(
            emcsym::kSymMask, sidArgument(device.symid, operation) + " -wwn " +
                                  checkedName(emcsym::NAME_WWN, wwn, operation) + " -dir " +
                                  checkedName(emcsym::NAME_DIRECTOR, director.first, operation) +
                                  " -port " + checkedName(emcsym::NAME_PORT, port, operation) +
                                  " -noprompt" + " add devs " +
                                  checkedName(emcsym::NAME_DEVICE, device.devName, operation));
        bool gatekeeperFailed = false;
        const int result = runMaskAdd(command, &gatekeeperFailed);
        if (gatekeeperFailed) return result;
        if (result != 0 && failedAdds) failedAdds->push_back({wwn, m_lastFailure});
        if (result == 0 && valid) ++validMappings;
      }
    }
  }
  if (inaccessible > 0) {
    trace(FI_TRACE_ERROR,
          "%d of %d HBA WWNs assigned to director/port combinations for accessing device %s are "
          "not accessible due to misconfiguration of the array.",
          inaccessible, combinations, device.devName.c_str());
  }
  if (validMappings > 0) return 0;
  trace(FI_TRACE_ERROR,
        "Since there were no valid mappings the device import will fail. To resolve this issue "
        "you must reconfigure your array %s to bind device %s to director ports accessible to "
        "host %s.",
        device.symid.c_str(), device.devName.c_str(), hostInfo.hostNodeName.c_str());
  return kNoValidMapping;
}

int CEmcSymCliTool::symMaskRemove(const SEmcSymAssignment& assignment, const char** failedStep) {
  const wchar_t* const operation = L"[symMaskRemove]";
  const std::wstring command = toolCommand(
      emcsym::kSymMask,
      sidArgument(assignment.symid, operation) + " -wwn " +
          checkedName(emcsym::NAME_WWN, assignment.portWwn, operation) + " -dir " +
          checkedName(emcsym::NAME_DIRECTOR, assignment.director, operation) + " -port " +
          checkedName(emcsym::NAME_PORT, assignment.port, operation) + " -force" + " remove devs " +
          checkedName(emcsym::NAME_DEVICE, assignment.devNumber, operation));
  Lines output;
  const int removed = execSymCLI(command, output, false, true, DEFAULT_TIMEOUT_SEC);
  // The cause of a failed remove, before the refresh's runs replace it.
  const EEmcSymCliFailure removeFailure = m_lastFailure;
  fiSleep(kMaskRemovePauseMs);
  const int refreshed = symMaskRefresh(assignment.symid);
  if (removed != 0) {
    m_lastFailure = removeFailure;
    if (failedStep) *failedStep = "remove";
    return removed;
  }
  if (refreshed != 0 && failedStep) *failedStep = "refresh";
  return refreshed;
}

int CEmcSymCliTool::symMaskRefresh(const std::string& symid) {
  const SEmcSymTuningParams params = emcsym::readTuningParams(m_traceLog);
  const unsigned long delayMs = static_cast<unsigned long>(params.lockRetryDelayInSec) * 1000UL;
  const std::wstring command = toolCommand(
      emcsym::kSymMask, (symid.empty() ? std::string() : sidArgument(symid, L"[symMaskRefresh]")) +
                            " refresh -noprompt");
  Lines output;
  trace(FI_TRACE_INFO, "Running symmask refresh command");
  // Inside another command's retries the refresh runs once.
  const bool retryHere = !insideRetries();
  int result = execSymCLI(command, output, false, true, DEFAULT_TIMEOUT_SEC);
  if (result == 0 || !retryHere) return result;
  trace(FI_TRACE_WARNING, "Refresh command failed, retrying");
  RetryScope retrying(*this);
  for (uint32_t attempt = 1; attempt <= params.lockRetryAttempts; ++attempt) {
    retryPause(delayMs);
    result = execSymCLI(command, output, false, true, DEFAULT_TIMEOUT_SEC);
    if (result == 0) {
      trace(FI_TRACE_INFO, "Refresh command passed after retry.");
      return 0;
    }
    trace(FI_TRACE_WARNING, "Refresh command failed at retry attempt [%u] out of [%u], retrying",
          attempt, params.lockRetryAttempts);
  }
  for (uint32_t attempt = 1; attempt <= params.lockRetryAttempts; ++attempt) {
    discoverArrays();
    retryPause(delayMs);
    result = execSymCLI(command, output, false, true, DEFAULT_TIMEOUT_SEC);
    if (result == 0) {
      trace(FI_TRACE_INFO, "Refresh command passed after retry for array discovery.");
      return 0;
    }
    trace(FI_TRACE_WARNING,
          "Refresh command failed at retry attempt [%u] out of [%u] for array discovery, retrying",
          attempt, params.lockRetryAttempts);
  }
  trace(FI_TRACE_ERROR, "Refresh command is failing even after retry returning failiure.");
  return result;
}
