// CEmcSymPlugin: the storage the framework can ask for. The arrays
// (enclosures), their devices (nodes) and the hosts the arrays see (host
// nodes), each narrowed by the framework's filter text. A filter that
// excludes this provider is answered before any SYMCLI command runs, and
// only then does the delayed initialisation discover the arrays.
//
// The filter is never ignored silently: an attribute the provider does not
// know, and a provider, vendor, product, array or device the provider has
// not, are each reported as a warning message (MSG_ERROR_FILTER_*), also
// where the enumeration goes on or fails without a message of its own.
#include <cinttypes>
#include <map>

#include "cfiattributefilter.h"
#include "cfiicumessage.h"
#include "cfilist.h"
#include "cfistringtool.h"
#include "cfitracelog.h"
#include "cfiudid.h"
#include "emcsym_clitool.h"
#include "emcsym_plugin.h"

using namespace quelb_pdk_4_4;

namespace {

const char kVendor[] = "EMC";
const char kProduct[] = "SYMMETRIX";
const uint64_t kBytesPerMegabyte = 1048576;

// The attributes of the filter text that the enumerations read.
const char* const kFilterAttributes[] = {"provider_name", "vendor_id",      "product_id",
                                         "enclosure_id",  "enclosure_name", "udid"};

// Bits of enumerateNodes' flags. The framework asks for device nodes with
// DEVICES (or with no flag at all); the other two leave out the devices
// whose mark is set or clear.
const int kFlagDevices = 0x10;
const int kFlagSkipMarked = 0x40;
const int kFlagSkipUnmarked = 0x80;

// "EMC##SYMMETRIX##<symid>##<device>": how a device is named to the
// framework and in the trace.
std::string deviceKey(const SEmcSymDevInfo& device) {
  static const char kPrefix[] = "EMC##SYMMETRIX##";
  std::string key;
  key.reserve(sizeof kPrefix + device.symid.size() + device.devName.size() + 2);
  key.append(kPrefix, sizeof kPrefix - 1).append(device.symid).append("##").append(device.devName);
  return key;
}

// A port WWN as the framework expects it: the bare hexadecimal digits.
std::string bareWwn(const std::string& wwn) {
  return CFiStringTool::searchreplace(CFiStringTool::searchreplace(wwn, "-", ""), ":", "");
}

}  // namespace

bool CEmcSymPlugin::filterSelectsProvider(const CFiAttributeFilter& filter) const {
  return filter.match("provider_name", CFiStringTool::tstr2str(m_providerName)) &&
         filter.match("vendor_id", kVendor) && filter.match("product_id", kProduct);
}

void CEmcSymPlugin::reportFilter(const CFiAttributeFilter& filter) {
  std::string known;
  for (const char* name : kFilterAttributes)
    known += (known.empty() ? "" : ", ") + std::string(name);
  for (const auto& attribute : filter.attributes()) {
    bool isKnown = false;
    for (const char* name : kFilterAttributes) isKnown = isKnown || attribute.first == name;
    if (!isKnown)
      pushMessage("MSG_ERROR_FILTER_UNKNOWN_ATTRIBUTE", QLB_SEV_WARNING, __LINE__,
                  {CFiIcuMessage::text(attribute.first), CFiIcuMessage::text(known)});
  }
  const std::string provider = CFiStringTool::tstr2str(m_providerName);
  const struct {
    const char* name;
    std::string ours;
  } fixed[] = {{"provider_name", provider}, {"vendor_id", kVendor}, {"product_id", kProduct}};
  for (const auto& attribute : fixed) {
    if (!filter.match(attribute.name, attribute.ours))
      pushMessage(
          "MSG_ERROR_FILTER_MATCHES_NOTHING", QLB_SEV_WARNING, __LINE__,
          {CFiIcuMessage::text(attribute.name), CFiIcuMessage::text(filter.value(attribute.name)),
           CFiIcuMessage::text(attribute.ours)});
  }
}

void CEmcSymPlugin::reportArrayFilter(const CFiAttributeFilter& filter) {
  std::string local;
  for (const SEmcSymArrayInfo& array : m_arrays) local += (local.empty() ? "" : ", ") + array.symid;
  for (const char* name : {"enclosure_id", "enclosure_name"}) {
    if (!filter.has(name)) continue;
    bool found = false;
    for (const SEmcSymArrayInfo& array : m_arrays) found = found || filter.match(name, array.symid);
    if (found) continue;
    trace(FI_TRACE_ERROR, "No array %s is attached to this host (local arrays: %s).",
          filter.value(name).c_str(), local.c_str());
    pushMessage("MSG_ERROR_FILTER_MATCHES_NOTHING", QLB_SEV_WARNING, __LINE__,
                {CFiIcuMessage::text(name), CFiIcuMessage::text(filter.value(name)),
                 CFiIcuMessage::text(local.empty() ? std::string("(none)") : local)});
  }
}

bool CEmcSymPlugin::filterSelectsArray(const CFiAttributeFilter& filter, const std::string& symid) {
  return filter.match("enclosure_id", symid) && filter.match("enclosure_name", symid);
}

CFiNode CEmcSymPlugin::deviceNode(const SEmcSymDevInfo& device, const std::string& key,
                                  const std::string& udid) const {
  qlb_node_attr attributes = {};
  attributes.na_value1 = 0;
  attributes.na_value2 = 0;
  attributes.na_value3 = 1;
  attributes.na_size = static_cast<uint64_t>(device.capacityMegabytes) * kBytesPerMegabyte;
  return CFiNode(attributes, CFiStringTool::str2tstr(key), CFiStringTool::str2tstr(udid),
                 m_providerName);
}

// --- enclosures ----------------------------------------------------------------

int CEmcSymPlugin::enumerateEnclosures(qlb_enclosure_node_list** result, int* count,
                                       wchar_t* filter) {
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::enumerateEnclosures");
  if (!result) return QLB_ERR_INVALID_ARG;
  return guarded(CEmcSymOperationGuard::OPERATION, __LINE__,
                 [&] { return listEnclosures(result, count, filter); });
}

int CEmcSymPlugin::listEnclosures(qlb_enclosure_node_list** result, int* count, wchar_t* filter) {
  const CFiAttributeFilter attributes(filter);
  reportFilter(attributes);
  if (!filterSelectsProvider(attributes)) return 0;
  if (invokeDelayedInit() != 0) return QLB_ERR_DELAYED_INIT;
  if (m_arrays.empty()) return 0;
  reportArrayFilter(attributes);

  CFiEnclosureNodeListFactory factory(result, count);
  const tstring vendor = CFiStringTool::str2tstr(kVendor);
  const tstring product = CFiStringTool::str2tstr(kProduct);
  for (const SEmcSymArrayInfo& array : m_arrays) {
    if (!filterSelectsArray(attributes, array.symid)) continue;
    const tstring symid = CFiStringTool::str2tstr(array.symid);
    trace(FI_TRACE_INFO,
          "collected information on array [%S] availableStorageSpace =[%" PRIu64
          "], totalStorageSpace =[%" PRIu64 "]",
          symid.c_str(), array.availableStorage, array.totalStorage);
    const CFiEnclosureNode enclosure(symid, m_providerName, symid, vendor, product,
                                     array.availableStorage, array.totalStorage, 0);
    trace(FI_TRACE_INFO,
          "collected information on array [%S] availableStorageSpace =[%" PRIu64
          "], totalStorageSpace =[%" PRIu64 "]",
          enclosure.id.c_str(), enclosure.available, enclosure.total);
    factory.add(enclosure);
  }
  return 0;
}

// --- device nodes ----------------------------------------------------------------

int CEmcSymPlugin::enumerateNodes(qlb_node_list** result, int* count, int flags, wchar_t* filter) {
  // Asked for other kinds of node only: nothing to say, nothing traced.
  if (flags != 0 && (flags & kFlagDevices) == 0) return 0;
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::enumerateNodes");
  if (!result) return QLB_ERR_INVALID_ARG;
  return guarded(CEmcSymOperationGuard::OPERATION, __LINE__,
                 [&] { return listNodes(result, count, flags, filter); });
}

int CEmcSymPlugin::listNodes(qlb_node_list** result, int* count, int flags, wchar_t* filter) {
  trace(FI_TRACE_DEBUG, "Debug: Specifed filter is [%S].", filter ? filter : L"");
  CFiNodeListFactory factory(result, count);
  const CFiAttributeFilter attributes(filter);
  reportFilter(attributes);
  if (!filterSelectsProvider(attributes)) return 0;
  if (invokeDelayedInit() != 0) return QLB_ERR_DELAYED_INIT;
  if (attributes.has("udid")) return listSingleDevice(factory, attributes);
  reportArrayFilter(attributes);
  return listArrayDevices(factory, attributes, flags, count);
}

int CEmcSymPlugin::listSingleDevice(CFiNodeListFactory& factory, const CFiAttributeFilter& filter) {
  trace(FI_TRACE_DEBUG, "Debug: Matching a single UDID as per filter");
  const CFiUdid udid(filter.value("udid"));
  if (udid.vendor() != kVendor) {
    trace(FI_TRACE_WARNING,
          "Warning:vendor id [%s] in udid, specified as filter, doesn't match the array vendor",
          udid.vendor().c_str());
    pushMessage("MSG_ERROR_FILTER_MATCHES_NOTHING", QLB_SEV_WARNING, __LINE__,
                {CFiIcuMessage::text("udid"), CFiIcuMessage::text(filter.value("udid")),
                 CFiIcuMessage::text(kVendor)});
    return 0;
  }
  CEmcSymCliTool tool(m_symCliPath, m_traceLog);
  const SEmcSymDevInfo device = tool.getSymDev(udid.serial(), udid.device());
  const std::string identity = udid.toString();
  const std::string key = deviceKey(device);
  trace(FI_TRACE_DEBUG, " Returning disk [%s] UDID [%s].", key.c_str(), identity.c_str());
  factory.add(deviceNode(device, key, identity));
  return 0;
}

int CEmcSymPlugin::listArrayDevices(CFiNodeListFactory& factory, const CFiAttributeFilter& filter,
                                    int flags, int* count) {
  if (m_arrays.empty()) return 0;
  CEmcSymCliTool tool(m_symCliPath, m_traceLog);
  bool found = false;
  int added = 0;
  for (const SEmcSymArrayInfo& array : m_arrays) {
    if (!filterSelectsArray(filter, array.symid)) continue;
    found = true;
    EmcSymDevList devices;
    tool.getSymDevList(array.symid, devices, false);
    if (devices.empty()) {
      trace(FI_TRACE_WARNING, "No disks are found for current enclosure.");
      continue;
    }
    trace(FI_TRACE_ERROR, "collected information on %d devices for array %s",
          static_cast<int>(devices.size()), array.symid.c_str());
    CFiUdid udid(std::string(EMC_SYM_CLAIM_PATTERN) + array.symid + "##0000");
    // The identity of the last device added (made once per device): the
    // check of the next device names it, as the identity is set only once
    // the device passes.
    std::string identity = udid.toString();
    int addedHere = 0;
    // Each record is released once its node is made, so that the nodes
    // reuse the records' memory rather than take more of the system.
    for (; !devices.empty(); devices.pop_front()) {
      const SEmcSymDevInfo& device = devices.front();
      const std::string key = deviceKey(device);
      trace(FI_TRACE_DEBUG, " Checking disk [%s] UDID [%s] for filtering.", key.c_str(),
            identity.c_str());
      if (device.deviceMark ? (flags & kFlagSkipMarked) != 0 : (flags & kFlagSkipUnmarked) != 0)
        continue;
      udid.setDevice(device.devName);
      identity = udid.toString();
      trace(FI_TRACE_DEBUG, " Adding disk [%s] UDID [%s].", key.c_str(), identity.c_str());
      factory.add(deviceNode(device, key, identity));
      ++addedHere;
    }
    if (addedHere == 0) trace(FI_TRACE_WARNING, "No disks are added for current enclosure.");
    added += addedHere;
  }
  if (!found) {
    trace(FI_TRACE_ERROR, "Could not find the specified enclosure.");
    return QLB_ERR_INVALID_ARG;
  }
  // The caller's count, when it gave one, is what it will see.
  const int returned = count ? *count : added;
  if (returned == 0)
    trace(FI_TRACE_WARNING, "Due to aggressive filtering ZERO disks are returned.");
  else
    trace(FI_TRACE_DEBUG, "Debug: Returning [%d] disks in the list.", returned);
  return 0;
}

// --- host nodes ----------------------------------------------------------------

int CEmcSymPlugin::enumerateHostNodes(qlb_host_node_list** result, int* count, wchar_t* filter) {
  CFiTraceLogFunction scope(m_traceLog, "CEmcSymPlugin::enumerateHostNodes");
  if (!result) return QLB_ERR_INVALID_ARG;
  return guarded(CEmcSymOperationGuard::OPERATION, __LINE__,
                 [&] { return listHostNodes(result, count, filter); });
}

int CEmcSymPlugin::listHostNodes(qlb_host_node_list** result, int* count, wchar_t* filter) {
  CFiHostNodeListFactory factory(result, count);
  const CFiAttributeFilter attributes(filter);
  reportFilter(attributes);
  if (!filterSelectsProvider(attributes)) return 0;
  if (invokeDelayedInit() != 0) return QLB_ERR_DELAYED_INIT;
  reportArrayFilter(attributes);

  CEmcSymCliTool tool(m_symCliPath, m_traceLog);
  for (const SEmcSymArrayInfo& array : m_arrays) {
    if (!filterSelectsArray(attributes, array.symid)) continue;
    std::map<std::string, SEmcSymMaskHostInfo> hosts;
    // An array whose logins cannot be read is left out; the hosts of the
    // others are still listed, and the user learns which array is missing.
    if (tool.getHostLoginMap(array.symid, hosts) != 0) {
      pushCliFailure("MSG_WARNING_CLI_FAILURE_IGNORED", QLB_SEV_WARNING, __LINE__, "host_logins",
                     std::string(), array.symid, std::string(), tool.lastFailure());
      continue;
    }
    const tstring symid = CFiStringTool::str2tstr(array.symid);
    for (const auto& host : hosts) {
      CFiHostNode node(CFiStringTool::str2tstr(host.first), symid);
      for (const auto& login : host.second.logins)
        node.ports.push_back(CFiStringTool::str2tstr(bareWwn(login.second.originatorPortWwn)));
      factory.add(node);
    }
  }
  return 0;
}
