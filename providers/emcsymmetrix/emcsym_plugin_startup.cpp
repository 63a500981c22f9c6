// CEmcSymPlugin::delayedInit: the first operation that needs the arrays
// discovers them, checks the SYMCLI version, fixes the XML output form of
// every later command and reads each array's storage sizes.
#include <cinttypes>

#include "cfitracelog.h"
#include "emcsym_clitool.h"
#include "emcsym_plugin.h"

using namespace quelb_pdk_4_4;

namespace {

// The SYMCLI versions that print the requested XML form only as
// "-output XML"; every other version takes "-output XML_ATTRIBUTE".
bool wantsPlainXml(const std::string& version) {
  return version == "6.2" || version == "6.3" || version == "6.4";
}

const char kPlainXmlSuffix[] = " -output XML ";
const char kAttributeXmlSuffix[] = " -output XML_ATTRIBUTE ";
const uint64_t kBytesPerKilobyte = 1024;

}  // namespace

int CEmcSymPlugin::delayedInit() {
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::delayedInit");
  return guarded(CEmcSymOperationGuard::DELAYED_INIT, __LINE__,
                 [this] { return discoverArrays(); });
}

int CEmcSymPlugin::discoverArrays() {
  CEmcSymCliTool tool(m_symCliPath, m_traceLog);
  // Makes arrays attached since the last discovery known to SYMCLI; what
  // it reports is not needed.
  tool.symCfgDiscover();

  // The version text reads like "V7.0.0.0": the three characters after the
  // first give major and minor version.
  const std::string version = tool.getSymCliVersion();
  if (version.size() < 3) {
    trace(FI_TRACE_ERROR, "Unexpected Version String Found version= [%s]", version.c_str());
    // Said to the user too: start-up fails here and nothing else names why.
    CEmcSymCliException(3, L"[delayedInit]",
                        "symcli -output XML printed the version text \"" + version +
                            "\", which holds no version number",
                        std::vector<std::string>(), CEmcSymOperationGuard::SOURCE_FILE, __LINE__)
        .pushCliError();
    return QLB_ERR_PROVIDER_INIT;
  }
  m_symCliVersion = version.substr(1, 3);
  CEmcSymCliTool::setOutputFormatSuffix(wantsPlainXml(m_symCliVersion) ? kPlainXmlSuffix
                                                                       : kAttributeXmlSuffix);

  m_arrays = tool.getSymmetrixList();
  if (m_arrays.empty()) {
    pushMessage("MSG_ERROR_NO_ARRAYS_DISCOVERED", QLB_SEV_WARNING, __LINE__, {});
    return QLB_ERR_PROVIDER_INIT;
  }
  readArraySizes(tool);
  return 0;
}

void CEmcSymPlugin::readArraySizes(CEmcSymCliTool& tool) {
  for (SEmcSymArrayInfo& array : m_arrays) {
    uint64_t available = 0;
    uint64_t total = 0;
    if (tool.getSymmetrixSize(array.symid, available, total) != 0) {
      trace(FI_TRACE_WARNING,
            " Unable to get availableStorageSpace and totalStorageSpace for the sid [%s].",
            array.symid.c_str());
      // Discovery goes on with sizes of 0; the user learns why they are 0.
      pushCliFailure("MSG_WARNING_CLI_FAILURE_IGNORED", QLB_SEV_WARNING, __LINE__, "array_size",
                     std::string(), array.symid, std::string(), tool.lastFailure());
      continue;
    }
    trace(FI_TRACE_DEBUG,
          "Extracted values availableStorageSpace [%" PRIu64 "]MB totalStorageSpace [%" PRIu64
          "]MB",
          available, total);
    array.availableStorage = available * kBytesPerKilobyte * kBytesPerKilobyte;
    array.totalStorage = total * kBytesPerKilobyte * kBytesPerKilobyte;
    trace(FI_TRACE_DEBUG,
          "Returned values availableStorageSpace [%" PRIu64 "] totalStorageSpace[%" PRIu64 "]",
          array.availableStorage, array.totalStorage);
  }
}
