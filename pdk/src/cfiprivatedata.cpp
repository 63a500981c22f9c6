#include "cfiprivatedata.h"

#include <cstring>

#include "cfiobjid.h"
#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

const char* const FI_CONFIG_PARAM_SNAPSHOT_RESOURCE_SPEC = "snapshot_resource_spec";

namespace {

// The node's id text as narrow text; empty without an id.
std::string nodeKey(const qlb_domain* node) {
  if (!node->fid_objid || !node->fid_objid->qid_text) return std::string();
  return CFiStringTool::wcs2mbs(node->fid_objid->qid_text);
}

CFiPrivateDataPtr* attachment(const qlb_domain* node) {
  return static_cast<CFiPrivateDataPtr*>(node->fid_private);
}

}  // namespace

// --- CFiPrivateData ----------------------------------------------------------

CFiPrivateData::CFiPrivateData() : CFiPrivateData(static_cast<quelb_objid*>(nullptr), false) {}

CFiPrivateData::CFiPrivateData(quelb_objid* id, bool isAltNode)
    : m_objId(id),
      m_ownsObjId(false),
      m_isAltNode(isAltNode),
      m_transportable(false),
      m_intent(0),
      m_ownerGid{0, 0} {}

CFiPrivateData::CFiPrivateData(const tstring& nodeId, bool isAltNode)
    : CFiPrivateData(fiMakeObjid(nodeId, QLB_OBJID_NODE), isAltNode) {
  m_ownsObjId = m_objId != nullptr;
}

CFiPrivateData::~CFiPrivateData() {
  if (m_ownsObjId) quelb_free_objid(m_objId);
}

bool CFiPrivateData::hasConfigInfoList(int mode) const {
  return m_configInfo[index(mode)] != nullptr;
}

bool CFiPrivateData::hasConfigDataList(int mode) const {
  return m_configData[index(mode)] != nullptr;
}

CFiConfigParamInfoList& CFiPrivateData::configInfoList(int mode) {
  std::unique_ptr<CFiConfigParamInfoList>& list = m_configInfo[index(mode)];
  if (!list) list.reset(new CFiConfigParamInfoList);
  return *list;
}

CFiConfigParamDataList& CFiPrivateData::configDataList(int mode) {
  std::unique_ptr<CFiConfigParamDataList>& list = m_configData[index(mode)];
  if (!list) list.reset(new CFiConfigParamDataList);
  return *list;
}

void CFiPrivateData::addDefaultConfigParamsToDataList(int mode, CFiConfigParamInfoList* info) {
  if (!info) {
    if (!hasConfigInfoList(mode)) return;
    info = &configInfoList(mode);
  }
  CFiConfigParamDataList defaults = info->getDefaultDataList();
  if (defaults.size() == 0) return;
  CFiConfigParamDataList& values = configDataList(mode);
  if (values.size() == 0) {
    values = defaults;
    return;
  }
  const std::vector<std::string> present = values.getKeys();
  for (const std::string& key : defaults.getKeys()) {
    bool covered = false;
    for (const std::string& have : present)
      if (have.find(key) != std::string::npos) covered = true;
    if (covered) continue;
    CFiValueRecord record;
    defaults.getParamData(key, record);
    values.addParamData(record);
  }
}

void CFiPrivateData::setIntent(qlb_intent intent) { m_intent = intent; }
qlb_intent CFiPrivateData::getIntent() const { return m_intent; }

void CFiPrivateData::setSplitType(const char* splitType) {
  if (splitType) m_splitType = splitType;
}
std::string CFiPrivateData::getSplitType() const { return m_splitType; }

void CFiPrivateData::setSessionId(const char* sessionId) {
  if (sessionId) m_sessionId = sessionId;
}
std::string CFiPrivateData::getSessionId() const { return m_sessionId; }

std::vector<tstring> CFiPrivateData::getHostList() const { return m_hostList; }

void CFiPrivateData::setHostList(qlb_host_infn* hosts) {
  m_hostList.clear();
  for (qlb_host_infn* entry = hosts; entry; entry = entry->hi_next)
    if (entry->hi_name) m_hostList.push_back(tstring(entry->hi_name));
}

bool CFiPrivateData::getTransportable() const { return m_transportable; }
void CFiPrivateData::setTransportable(bool transportable) { m_transportable = transportable; }

int CFiPrivateData::setNodeState(qlb_blob*) { return 0; }

int CFiPrivateData::getNodeState(qlb_blob* blob) {
  if (!blob) return QLB_ERR_INVALID_ARG;
  std::string text = "<NODE_NAME>";
  text += CFiStringTool::tstr2str(getObjName());
  text += "</NODE_NAME>\n<IS_ALT_NODE>";
  text += CFiStringTool::bool2str(m_isAltNode);
  text += "</IS_ALT_NODE>\n<SESSION_ID>";
  text += m_sessionId;
  text += "</SESSION_ID>\n";
  const std::wstring wide = CFiStringTool::str2wstr(text);
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  void* buffer = quelb_alloc_buf(bytes);
  if (!buffer) return QLB_ERR_NO_MEMORY;
  std::memcpy(buffer, wide.c_str(), bytes);
  blob->blob_length = bytes;
  blob->blob_data = buffer;
  blob->blob_filled = 1;
  return 0;
}

tstring CFiPrivateData::getObjName() const {
  return m_objId && m_objId->qid_text ? tstring(m_objId->qid_text) : tstring();
}

void CFiPrivateData::addSubObject(quelb_objid* id) { m_subObjects.push_back(id); }

quelb_objid** CFiPrivateData::getSubObjectList() {
  return m_subObjects.empty() ? nullptr : m_subObjects.data();
}

int CFiPrivateData::getSubObjectListLength() const { return static_cast<int>(m_subObjects.size()); }

void CFiPrivateData::setIsAltNode(bool isAltNode) { m_isAltNode = isAltNode; }
bool CFiPrivateData::getIsAltNode() const { return m_isAltNode; }

std::string CFiPrivateData::getConfiguredTarget() const { return m_configuredTarget; }
std::vector<std::string> CFiPrivateData::getTargets() const { return m_targets; }
void CFiPrivateData::addTarget(const std::string& target) { m_targets.push_back(target); }
void CFiPrivateData::setConfiguredTarget(const std::string& target) { m_configuredTarget = target; }

void CFiPrivateData::setOwnerGID(uint32_t first, uint32_t second) {
  m_ownerGid.og_first = first;
  m_ownerGid.og_second = second;
}

int CFiPrivateData::getOwnerGID(qlb_ownergid* out) const {
  if (!out) return QLB_ERR_INVALID_ARG;
  *out = m_ownerGid;
  return 0;
}

// --- CFiPrivateDataFactory ---------------------------------------------------

CFiPrivateDataFactory::CFiPrivateDataFactory() {}

CFiPrivateDataFactory::~CFiPrivateDataFactory() {}

CFiPrivateDataPtr CFiPrivateDataFactory::get(qlb_domain* node) {
  if (!node || !attachment(node)) return CFiPrivateDataPtr();
  return *attachment(node);
}

CFiPrivateDataPtr CFiPrivateDataFactory::create(qlb_domain* node, bool isAltNode) {
  if (!node) return CFiPrivateDataPtr();
  if (attachment(node)) return *attachment(node);
  const std::string key = nodeKey(node);
  if (key.empty()) return CFiPrivateDataPtr();

  std::lock_guard<std::mutex> guard(m_lock);
  Entry& entry = (isAltNode ? m_altNodes : m_nodes)[key];
  if (!entry.data) {
    CFiPrivateDataPtr data(makeData(tstring(node->fid_objid->qid_text), isAltNode));
    data->setTraceLog(m_traceLog);
    entry.data = data;
  }
  node->fid_private = new CFiPrivateDataPtr(entry.data);
  ++entry.attached;
  return entry.data;
}

void CFiPrivateDataFactory::remove(qlb_domain* node) {
  if (!node || !attachment(node)) return;
  CFiPrivateDataPtr* attached = attachment(node);
  CFiPrivateDataPtr data = *attached;
  node->fid_private = nullptr;
  delete attached;

  std::lock_guard<std::mutex> guard(m_lock);
  const std::string key = nodeKey(node);
  for (Map* map : {&m_nodes, &m_altNodes}) {
    auto it = map->find(key);
    if (it == map->end() || it->second.data != data) continue;
    if (--it->second.attached <= 0) map->erase(it);
    return;
  }
  // The node's id changed since the data was attached: find it by object.
  for (Map* map : {&m_nodes, &m_altNodes}) {
    for (auto it = map->begin(); it != map->end(); ++it) {
      if (it->second.data != data) continue;
      if (--it->second.attached <= 0) map->erase(it);
      return;
    }
  }
}

CFiPrivateDataPtr CFiPrivateDataFactory::find(const tstring& nodeId) const {
  const std::string key = CFiStringTool::wcs2mbs(nodeId.c_str());
  std::lock_guard<std::mutex> guard(m_lock);
  auto it = m_nodes.find(key);
  return it == m_nodes.end() ? CFiPrivateDataPtr() : it->second.data;
}

size_t CFiPrivateDataFactory::size() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_nodes.size() + m_altNodes.size();
}

// --- CFiPrivateDataManager ---------------------------------------------------

CFiPrivateDataManager::CFiPrivateDataManager() {}

CFiPrivateDataManager::~CFiPrivateDataManager() {}

void CFiPrivateDataManager::registerFactory(const CFiPrivateDataFactoryPtr& factory) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_factory = factory;
  if (m_factory && m_factory->getTraceLog().isNull()) m_factory->setTraceLog(m_traceLog);
}

CFiPrivateDataFactoryPtr CFiPrivateDataManager::getFactory() {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_factory) {
    m_factory.reset(new CFiPrivateDataConcreteFactory<CFiPrivateData>);
    m_factory->setTraceLog(m_traceLog);
  }
  return m_factory;
}

CFiPrivateDataPtr CFiPrivateDataManager::get(qlb_domain* node) { return getFactory()->get(node); }

CFiPrivateDataPtr CFiPrivateDataManager::create(qlb_domain* node, bool isAltNode) {
  return getFactory()->create(node, isAltNode);
}

void CFiPrivateDataManager::remove(qlb_domain* node) { getFactory()->remove(node); }

CFiPrivateDataPtr CFiPrivateDataManager::find(const tstring& nodeId) {
  return getFactory()->find(nodeId);
}

void CFiPrivateDataManager::setTraceLog(const CFiTraceLogPtr& traceLog) {
  std::lock_guard<std::mutex> guard(m_lock);
  CFiTraceable::setTraceLog(traceLog);
  if (m_factory) m_factory->setTraceLog(traceLog);
}

}  // namespace quelb_pdk_4_4
