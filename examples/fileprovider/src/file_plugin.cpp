#include "file_plugin.h"

#include <quelb/pdk/cficonfig.h>
#include <quelb/pdk/cficonfiguration.h>
#include <quelb/pdk/cfiicumessage.h>
#include <quelb/pdk/cfilist.h>
#include <quelb/pdk/cfiobjid.h>
#include <quelb/pdk/cfiprivatedata.h>
#include <quelb/pdk/cfistringtool.h>
#include <quelb/pdk/cfitracelog.h>
#include <quelb/pdk/cfiudid.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

using namespace quelb_pdk_4_4;

namespace fileprovider {

namespace {

const char kVendor[] = "EXAMPLE";
const char kProduct[] = "FILEARRAY";
const char kClaimPattern[] = "UDID##EXAMPLE##FILEARRAY##";
const char kMethod[] = "Example_FileCopy";
const char kSourceFile[] = "examples/fileprovider/src/file_plugin.cpp";
const int kSnapshotMode = 1;

std::string identityOf(const Device& device) {
  return std::string("UDID##") + kVendor + "##" + kProduct + "##" + device.array + "##" +
         device.name;
}

// Copies `from` onto `to`; the reason of a failure, or "".
std::string copyFile(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return from + ": " + std::strerror(errno);
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  if (!out) return to + ": " + std::strerror(errno);
  out << in.rdbuf();
  out.close();
  return out ? std::string() : to + ": write failed";
}

}  // namespace

CFileProviderPlugin::CFileProviderPlugin() {}

CFileProviderPlugin::~CFileProviderPlugin() {
  if (m_catalogManager && m_catalogFactory)
    m_catalogManager->unregisterFactory(m_catalogFactory.get());
}

int CFileProviderPlugin::init() {
  CFiTraceLogFunction scope(m_traceLog, "CFileProviderPlugin::init");
  // Messages come from <installation>/Messages/libfileprovider/<language>.res.
  m_catalogFactory.reset(new CFiIcuMessageCatalogFactory("root", m_providerName));
  if (m_catalogManager) m_catalogManager->registerFactory(m_catalogFactory.get());

  CFiPrivateDataFactoryPtr factory(new CFiPrivateDataConcreteFactory<CFiPrivateData>);
  factory->setTraceLog(m_traceLog);
  if (m_privateDataManager) m_privateDataManager->registerFactory(factory);

  addFim(kClaimPattern, kMethod, "FI_QUIESCE_NONE", 3, std::string());
  // The framework configures each source's target as "snapshot_resource_spec".
  CFiConfigParamInfo target(FI_CONFIG_PARAM_SNAPSHOT_RESOURCE_SPEC, "", FI_CONFIG_USAGE_SELECT, "",
                            false, false);
  addDefaultConfigInfoParam(target, kSnapshotMode, false);
  return 0;
}

int CFileProviderPlugin::delayedInit() {
  CFiTraceLogFunction scope(m_traceLog, "CFileProviderPlugin::delayedInit");
  CFiConfiguration config(m_providerName);
  tstring path;
  if (config.getStringValue(L"ARRAY", L"DEVICEFILE", path) != 0 || path.length() == 0) {
    pushMessage("MSG_ERROR_DEVICE_FILE",
                {CFiIcuMessage::text("no \"DEVICEFILE\" in [ARRAY] of " +
                                     CFiStringTool::tstr2str(config.path()))},
                __LINE__);
    return QLB_ERR_PROVIDER_INIT;
  }
  if (!m_devices.load(CFiStringTool::tstr2str(path))) {
    pushMessage("MSG_ERROR_DEVICE_FILE", {CFiIcuMessage::text(m_devices.error())}, __LINE__);
    return QLB_ERR_PROVIDER_INIT;
  }
  trace(FI_TRACE_INFO, "%zu devices in %S", m_devices.devices().size(), path.c_str());
  return 0;
}

int CFileProviderPlugin::getProviderInfo(qlb_provider_list** result) {
  CFiProviderInfoListFactory factory(m_providerName, result);
  CFiProviderInfo info(1, 2, 0);
  info.addClaimPattern(CFiStringTool::str2tstr(kClaimPattern));
  factory.add(info);
  return 0;
}

int CFileProviderPlugin::enumerateFims(qlb_fim_list** result) {
  CFiFimListFactory factory(m_providerName, result);
  const tstring name = CFiStringTool::str2tstr(kMethod);
  factory.add(CFiFim(name, 0, 0, 1, 1, 0, 5, name, tstring(L"1.0")));
  return 0;
}

int CFileProviderPlugin::enumerateEnclosures(qlb_enclosure_node_list** result, int* count,
                                             wchar_t*) {
  if (!result) return QLB_ERR_INVALID_ARG;
  if (invokeDelayedInit() != 0) return QLB_ERR_DELAYED_INIT;
  CFiEnclosureNodeListFactory factory(result, count);
  for (const std::string& array : m_devices.arrays()) {
    uint64_t total = 0;
    for (const Device& device : m_devices.devices())
      if (device.array == array) total += DeviceTable::sizeOf(device);
    const tstring id = CFiStringTool::str2tstr(array);
    factory.add(CFiEnclosureNode(id, m_providerName, id, CFiStringTool::str2tstr(kVendor),
                                 CFiStringTool::str2tstr(kProduct), 0, total, 0));
  }
  return 0;
}

int CFileProviderPlugin::enumerateNodes(qlb_node_list** result, int* count, int, wchar_t*) {
  if (!result) return QLB_ERR_INVALID_ARG;
  if (invokeDelayedInit() != 0) return QLB_ERR_DELAYED_INIT;
  CFiNodeListFactory factory(result, count);
  for (const Device& device : m_devices.devices()) {
    qlb_node_attr attributes = {};
    attributes.na_value3 = 1;
    attributes.na_size = DeviceTable::sizeOf(device);
    const std::string key =
        std::string(kVendor) + "##" + kProduct + "##" + device.array + "##" + device.name;
    factory.add(CFiNode(attributes, CFiStringTool::str2tstr(key),
                        CFiStringTool::str2tstr(identityOf(device)), m_providerName));
  }
  return 0;
}

bool CFileProviderPlugin::pairOf(qlb_splitnode* split, const Device*& source,
                                 const Device*& target) {
  if (!split || !split->sn_node || !split->sn_node->fid_name) return false;
  // The interposer named the node "<fileprovider>" + the device identity and
  // attached its private data at init_node.
  const tstring name(split->sn_node->fid_name);
  CFiPrivateDataPtr data = nodePrivateData(split->sn_node);
  const CFiUdid udid(name);
  source = m_devices.find(udid.serial(), udid.device());
  if (!source) {
    pushMessage("MSG_ERROR_UNKNOWN_DEVICE", {CFiIcuMessage::text(udid.toString())}, __LINE__);
    return false;
  }
  // The kit reads the target from the node's "snapshot_resource_spec".
  if (!data || data->selectTargetFromConfigData() != 0) {
    pushMessage("MSG_ERROR_NO_TARGET", {CFiIcuMessage::text(identityOf(*source))}, __LINE__);
    return false;
  }
  const CFiUdid wanted(data->getConfiguredTarget());
  target = m_devices.find(wanted.serial(), wanted.device());
  if (!target || target == source) {
    pushMessage("MSG_ERROR_UNKNOWN_DEVICE", {CFiIcuMessage::text(wanted.toString())}, __LINE__);
    return false;
  }
  return true;
}

int CFileProviderPlugin::select(char*, qlb_splitnode** list, int count) {
  CFiTraceLogFunction scope(m_traceLog, "CFileProviderPlugin::select");
  for (int i = 0; list && i < count; ++i) {
    const Device* source = nullptr;
    const Device* target = nullptr;
    if (!pairOf(list[i], source, target)) return QLB_ERR_FAILED;
    trace(FI_TRACE_INFO, "select: %s -> %s", source->name.c_str(), target->name.c_str());
  }
  return 0;
}

int CFileProviderPlugin::prepare(char*, qlb_splitnode**, int, int) { return 0; }

int CFileProviderPlugin::make(char*, qlb_splitnode** list, int count, quelb_objid*** out,
                              int* outCount) {
  CFiTraceLogFunction scope(m_traceLog, "CFileProviderPlugin::make");
  std::vector<tstring> snapshots;
  for (int i = 0; list && i < count; ++i) {
    const Device* source = nullptr;
    const Device* target = nullptr;
    if (!pairOf(list[i], source, target)) return QLB_ERR_FAILED;
    const std::string failure = copyFile(source->dataFile, target->dataFile);
    if (!failure.empty()) {
      pushMessage("MSG_ERROR_COPY_FAILED",
                  {CFiIcuMessage::text(source->name), CFiIcuMessage::text(target->name),
                   CFiIcuMessage::text(failure)},
                  __LINE__);
      return QLB_ERR_FAILED;
    }
    list[i]->sn_node->fid_flags |= QLB_NODE_MADE;
    snapshots.push_back(CFiStringTool::str2tstr(identityOf(*target)));
  }
  return fiBuildObjidArray(snapshots, QLB_OBJID_SNAPSHOT, out, outCount);
}

void CFileProviderPlugin::pushMessage(const char* id,
                                      std::initializer_list<icu::Formattable> arguments, int line) {
  if (!m_errorManager) return;
  m_errorManager->pushError(
      CFiMessagePtr(new CFiIcuMessage(id, arguments, QLB_SEV_ERROR, kSourceFile, line)));
}

}  // namespace fileprovider
