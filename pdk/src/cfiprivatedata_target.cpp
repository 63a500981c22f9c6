// CFiPrivateData::selectTargetFromConfigData: the node's snapshot target
// from the "snapshot_resource_spec" configuration value.
#include "cfiprivatedata.h"
#include "cfistringtool.h"
#include "cfiudid.h"

namespace quelb_pdk_4_4 {

namespace {

const int kSnapshotMode = 1;
const char kResourceSeparators[] = "[]&\n\r";
const char kPartSeparator[] = ";";
const char kEnclosureSeparator[] = "##";

}  // namespace

int CFiPrivateData::selectTargetFromConfigData() {
  const CFiUdid udid(getObjName());
  const std::string udidText = CFiStringTool::tstr2str(getObjName());
  const std::wstring objName = CFiStringTool::tstr2wstr(getObjName());
  const wchar_t* name = objName.c_str();
  const char* key = FI_CONFIG_PARAM_SNAPSHOT_RESOURCE_SPEC;
  trace(FI_TRACE_INFO, "called for UDID [%s] \n", udidText.c_str());

  if (!hasConfigDataList(kSnapshotMode)) {
    trace(FI_TRACE_ERROR, "Error: No snapshot configuration data has been specified for [%S]",
          name);
    return QLB_ERR_FAILED;
  }
  std::string spec;
  if (configDataList(kSnapshotMode).getValue(key, spec) != 0) {
    trace(FI_TRACE_ERROR, "Configuration data parameter \"%s\" unspecified for object [%S].", key,
          name);
    return QLB_ERR_FAILED;
  }
  trace(FI_TRACE_INFO, "FI_CONFIG_PARAM_SNAPSHOT_RESOURCE_SPEC: [%s]", spec.c_str());

  spec = CFiStringTool::convertFromXmlSpecialCharacters(spec);
  const std::vector<std::string> resources = CFiStringTool::tokenize(spec, kResourceSeparators);
  if (resources.empty()) {
    trace(FI_TRACE_ERROR, "Configuration \"%s\" has no resources specified for source [%S].", key,
          name);
    return QLB_ERR_FAILED;
  }

  m_targets.clear();
  bool found = false;
  for (const std::string& resource : resources) {
    trace(FI_TRACE_INFO, "Info: resourceSpec [%s] \n", resource.c_str());
    const std::vector<std::string> parts = CFiStringTool::tokenize(resource, kPartSeparator);
    if (parts.empty()) {
      trace(FI_TRACE_ERROR, "Source configuration \"%s\" has not targets specified for [%S].", key,
            name);
      return QLB_ERR_FAILED;
    }
    std::string enclosure;
    for (size_t i = 0; i < parts.size(); ++i) {
      const std::string& part = parts[i];
      trace(FI_TRACE_INFO, "resourceSpec [%s] \n", part.c_str());
      std::string device = part;
      size_t separator = part.find(kEnclosureSeparator);
      if (separator != std::string::npos) {
        enclosure = part.substr(0, separator);
        device = part.substr(separator + 2);
      }
      trace(FI_TRACE_DEBUG, "RESINFO: [%s][%s]", device.c_str(), enclosure.c_str());
      if (device.empty()) {
        trace(FI_TRACE_ERROR, "Source configuration \"%s\" has no device data specified for [%S].",
              key, name);
        return QLB_ERR_FAILED;
      }
      if (found) {
        m_targets.push_back(device);
        continue;
      }
      // The first part names the source; a resource of another source is
      // left at once.
      if (enclosure.empty()) {
        trace(FI_TRACE_ERROR,
              "Source configuration \"%s\" has no enclosure data specified for [%S].", key, name);
        return QLB_ERR_FAILED;
      }
      if (!CFiStringTool::CompareNoCase(device, udid.device()) ||
          !CFiStringTool::CompareNoCase(enclosure, udid.serial()))
        break;
      trace(FI_TRACE_INFO, "Source found [%s] \n", part.c_str());
      found = true;
    }
    if (found) break;
  }

  if (!found) {
    trace(FI_TRACE_ERROR, "No matching source specification found for [%S].", name);
    return QLB_ERR_FAILED;
  }
  if (m_targets.empty()) {
    trace(FI_TRACE_ERROR, "Source configuration found, but no targets are specified for [%S].",
          name);
    return QLB_ERR_FAILED;
  }
  CFiUdid target(udid);
  target.setDevice(m_targets.front());
  m_configuredTarget = target.toString();
  trace(FI_TRACE_INFO, "Target Udid [%s] \n", m_configuredTarget.c_str());
  return 0;
}

}  // namespace quelb_pdk_4_4
