#include "cfiplugininterposer.h"

#include <cstring>
#include <exception>

#include "cfifimlink.h"
#include "cfiobjid.h"
#include "cfistringtool.h"
#include "cfiudid.h"

namespace quelb_pdk_4_4 {

#define FI_INTERPOSER_SCOPE(op) \
  CFiTraceLogFunction fiScope(m_traceLog, "quelb_pdk_4_4::CFiPluginInterposer::" op)

namespace {

const char kGroupSuffix[] = "_FIM_GROUP";
const char kAnyFiType[] = "any";

// Support answers of supportsFiType for nodes with hosts to import to.
const int kSupportHosts = 1;
const int kSupportTransportable = 2;

// Bits of the flags of importResource and deportResource.
const int kImportNotImplemented = 0x4;
const int kImportVisible = 0x1;
const int kImportReplace = 0x2;
const int kDeportSkip = 0x400;
const int kDeportReplace = 0x10;
const int kDeportHide = 0x20;
const int kDeportNotImplemented = 0x40;

// importNode's last argument: called for a node tree or for a resource.
const int kImportForTree = 1;
const int kImportForResource = 2;

// The node's id text; empty without one.
tstring idText(const qlb_domain* node) {
  if (!node || !node->fid_objid || !node->fid_objid->qid_text) return tstring();
  return tstring(node->fid_objid->qid_text);
}

}  // namespace

CFiPluginInterposer::CFiPluginInterposer() : m_ignoreNodeTypes(2048), m_defaultNodeType(4098) {}

CFiPluginInterposer::~CFiPluginInterposer() {
  for (auto& entry : m_groups) quelb_free_objid(entry.second.objId);
}

void CFiPluginInterposer::setTraceLog(const CFiTraceLogPtr& traceLog) {
  CFiPluginBase::setTraceLog(traceLog);
  m_lunMap.setTraceLog(traceLog);
}

// --- registry ------------------------------------------------------------------

void CFiPluginInterposer::addFim(const std::string& claimPattern, const std::string& fimName,
                                 const std::string& quiesceType, int flags,
                                 const std::string& groupName) {
  if (claimPattern.empty()) {
    trace(FI_TRACE_ERROR, "ERROR: Invalid arg to addFim(), invalid claim pattern");
    return;
  }
  const std::string group = groupName.empty() ? fimName + kGroupSuffix : groupName;

  GroupRecord record{group, claimPattern,
                     fiMakeObjid(CFiStringTool::str2tstr(group), QLB_OBJID_NODE), nullptr};
  auto it = m_groups.find(group);
  if (it != m_groups.end()) {
    quelb_free_objid(it->second.objId);
    it->second = record;
  } else {
    m_groups.emplace(group, record);
  }
  m_fims[claimPattern].push_back(FimRecord{group, fimName, quiesceType, flags});
}

tstring CFiPluginInterposer::getInterposeNodePrefix() const {
  tstring prefix(L"<");
  prefix += m_providerName;
  prefix += L">";
  return prefix;
}

bool CFiPluginInterposer::isInterposerNode(const tstring& nodeId) const {
  return nodeId.find(getInterposeNodePrefix()) != tstring::npos;
}

bool CFiPluginInterposer::isGroupNode(const tstring& nodeName) const {
  return m_groups.count(CFiStringTool::tstr2str(nodeName)) != 0;
}

void CFiPluginInterposer::getFims(std::list<FimRecord>& out, const tstring& nodeId) const {
  out.clear();
  if (isGroupNode(nodeId)) {
    const std::string group = CFiStringTool::tstr2str(nodeId);
    for (const auto& pattern : m_fims)
      for (const FimRecord& fim : pattern.second)
        if (fim.groupName == group) {
          out.push_back(fim);
          return;
        }
    return;
  }
  if (!isInterposerNode(nodeId)) return;
  const std::string id = CFiStringTool::tstr2str(nodeId);
  for (const auto& pattern : m_fims)
    if (id.find(pattern.first) != std::string::npos) {
      out = pattern.second;
      return;
    }
}

bool CFiPluginInterposer::getGroup(const std::string& groupName, GroupRecord& out) const {
  std::lock_guard<std::mutex> guard(m_groupLock);
  auto it = m_groups.find(groupName);
  if (it == m_groups.end()) return false;
  out = it->second;
  return true;
}

CFiPluginInterposer::GroupRecord* CFiPluginInterposer::findGroup(const quelb_objid* id) {
  if (!id) return nullptr;
  for (auto& entry : m_groups)
    if (entry.second.objId && quelb_objidcmp(entry.second.objId, id) == 0) return &entry.second;
  return nullptr;
}

// --- claiming ------------------------------------------------------------------

int CFiPluginInterposer::claim(quelb_objid* primary, quelb_objid*** out, int* count) {
  FI_INTERPOSER_SCOPE("claim");
  if (!primary || !primary->qid_text) {
    trace(FI_TRACE_INFO, "ERROR: Invalid primary object id for claim()");
    return 0;
  }
  const std::string id = CFiStringTool::wcs2mbs(primary->qid_text);
  if (!isInterposerNode(tstring(primary->qid_text))) {
    trace(FI_TRACE_INFO, "Info, NOT claiming node [%s]", id.c_str());
    return 0;
  }
  for (const auto& pattern : m_fims) {
    if (id.find(pattern.first) == std::string::npos) continue;
    if (out) *out = nullptr;
    if (count) *count = 0;
    trace(FI_TRACE_INFO, "Info, claiming node [%s] QLB_CLAIM_SECONDARY", id.c_str());
    return QLB_CLAIM_SECONDARY;
  }
  trace(FI_TRACE_INFO, "Info, NOT claiming node [%s]", id.c_str());
  return 0;
}

int CFiPluginInterposer::supportsFiType(qlb_domain* node, char* fiType) {
  FI_INTERPOSER_SCOPE("supportsFiType");
  if (!node) return 0;
  std::list<FimRecord> fims;
  getFims(fims, idText(node));
  const FimRecord* chosen = nullptr;
  for (const FimRecord& fim : fims) {
    if (fiType && (fim.fimName == fiType || std::strcmp(fiType, kAnyFiType) == 0)) {
      chosen = &fim;
      break;
    }
  }
  if (!chosen) {
    if (node->fid_support) *node->fid_support = 0;
    return 0;
  }
  CFiPrivateDataPtr data =
      m_privateDataManager ? m_privateDataManager->get(node) : CFiPrivateDataPtr();
  if (node->fid_support) {
    if (data && !data->getHostList().empty())
      *node->fid_support = data->getTransportable() ? kSupportTransportable : kSupportHosts;
    else
      *node->fid_support |= chosen->flags;
  }
  return 1;
}

qlb_interpose CFiPluginInterposer::interpose(qlb_domain* node, quelb_objid** interposerId,
                                             quelb_objid*** groupIds, int* count) {
  FI_INTERPOSER_SCOPE("interpose");
  if (!node) return QLB_NOT_INTERPOSED;
  const tstring id = idText(node);
  for (const auto& pattern : m_fims) {
    if (node->fid_type & m_ignoreNodeTypes) return QLB_NOT_INTERPOSED;
    if (id.find(CFiStringTool::str2tstr(pattern.first)) == tstring::npos) continue;

    tstring name = getInterposeNodePrefix();
    name += id;
    std::vector<tstring> groups;
    for (const FimRecord& fim : pattern.second)
      groups.push_back(CFiStringTool::str2tstr(fim.groupName));

    quelb_objid* made = interposerId ? fiMakeObjid(name, QLB_OBJID_NODE) : nullptr;
    if ((interposerId && !made) ||
        fiBuildObjidArray(groups, QLB_OBJID_NODE, groupIds, count) != 0) {
      // Not interposed rather than interposed with ids missing.
      if (made) quelb_free_objid(made);
      if (groupIds) *groupIds = nullptr;
      if (count) *count = 0;
      trace(FI_TRACE_ERROR, "ERROR: interpose(): out of memory for node [%S]", id.c_str());
      return QLB_NOT_INTERPOSED;
    }
    if (interposerId) *interposerId = made;
    trace(FI_TRACE_INFO, "Info, interposing with node [%S] on [%S].", id.c_str(), name.c_str());
    return QLB_INTERPOSED;
  }
  return QLB_NOT_INTERPOSED;
}

int CFiPluginInterposer::checkNodeExistence(qlb_domain* node, int* exists) {
  FI_INTERPOSER_SCOPE("checkNodeExistence");
  if (m_fims.empty()) return QLB_ERR_NOT_IMPLEMENTED;
  if (!exists) return QLB_ERR_INVALID_ARG;
  *exists = isInterposerNode(idText(node)) ? 1 : 0;
  return 0;
}

// --- node preparation ----------------------------------------------------------

int CFiPluginInterposer::initNode(qlb_domain* node, qlb_domain**, int, quelb_objid*) {
  FI_INTERPOSER_SCOPE("initNode");
  if (!node) return QLB_ERR_INVALID_ARG;
  try {
    const tstring id = idText(node);
    trace(FI_TRACE_INFO, "CFiPluginInterposer::initNode for Node [%S]", id.c_str());
    {
      std::lock_guard<std::mutex> guard(m_groupLock);
      if (GroupRecord* group = findGroup(node->fid_objid)) {
        if (group->node == node) return 0;
        group->node = node;
      }
    }
    node->fid_name = node->fid_objid ? node->fid_objid->qid_text : nullptr;
    node->fid_context = nullptr;
    fiFreeFimLinks(node);
    node->fid_type = static_cast<uint32_t>(m_defaultNodeType);

    std::list<FimRecord> fims;
    getFims(fims, id);
    for (const FimRecord& fim : fims)
      fiAppendFimLink(node, fim.fimName, fim.flags, fim.quiesceType);
    if (m_privateDataManager) m_privateDataManager->create(node, false);
    return 0;
  } catch (...) {
    trace(FI_TRACE_ERROR, "ERROR: Caught unhandled exception at %s, %d",
          "pdk/src/cfiplugininterposer", 162);
    return QLB_ERR_FAILED;
  }
}

int CFiPluginInterposer::initAltNode(qlb_domain* first, qlb_domain*, qlb_domain* alt, bool remote) {
  FI_INTERPOSER_SCOPE("initAltNode");
  if (!alt) {
    trace(FI_TRACE_ERROR, "ERROR: initAltNode(): target node is invalid.");
    return QLB_ERR_INVALID_ARG;
  }
  if (m_privateDataManager) m_privateDataManager->create(alt, true);
  alt->fid_context = nullptr;
  fiFreeFimLinks(alt);
  alt->fid_type |= static_cast<uint32_t>(m_defaultNodeType);

  if (remote || !first || !m_privateDataManager) return 0;
  CFiPrivateDataPtr data = m_privateDataManager->get(first);
  if (!data || data->getTransportable() || data->getIntent() != 0) return 0;
  return importNode(idText(alt), data->getHostList(), false, false, false, kImportForTree);
}

void CFiPluginInterposer::deInitNode(qlb_domain* node) {
  FI_INTERPOSER_SCOPE("deInitNode");
  if (!node) return;
  trace(FI_TRACE_INFO, "CFiPluginInterposer::deInitNode for Node [%S]", idText(node).c_str());
  {
    std::lock_guard<std::mutex> guard(m_groupLock);
    GroupRecord* group = findGroup(node->fid_objid);
    if (group && group->node == node) group->node = nullptr;
  }
  fiFreeFimLinks(node);
  if (m_privateDataManager) m_privateDataManager->remove(node);
}

int CFiPluginInterposer::importTreeNode(qlb_domain* node, quelb_objid**, quelb_objid**, int,
                                        quelb_objid** out) {
  FI_INTERPOSER_SCOPE("importTreeNode");
  if (!node || !node->fid_import_objid || !node->fid_import_objid->qid_text) {
    trace(FI_TRACE_ERROR, "Error: Invalid input arguments to importTreeNode");
    return QLB_ERR_INVALID_ARG;
  }
  const tstring name(node->fid_import_objid->qid_text);
  CFiPrivateDataPtr data =
      m_privateDataManager ? m_privateDataManager->get(node) : CFiPrivateDataPtr();
  int result = data ? importNode(name, data->getHostList(), data->getTransportable(), false, false,
                                 kImportForTree)
                    : importNode(name, std::vector<tstring>(), false, false, false, kImportForTree);
  if (out) *out = node->fid_import_objid;
  return result;
}

int CFiPluginInterposer::isReady(char*, qlb_splitnode** list, int count) {
  FI_INTERPOSER_SCOPE("isReady");
  if (!list || count <= 0) return 0;
  for (int i = 0; i < count; ++i) {
    qlb_splitnode* split = list[i];
    if (!split) continue;
    if (split->sn_node) split->sn_node->fid_flags |= QLB_NODE_READY;
    if (split->sn_node2) split->sn_node2->fid_flags |= QLB_NODE_READY;
  }
  return 0;
}

// --- resources -----------------------------------------------------------------

int CFiPluginInterposer::resourceHosts(const wchar_t* name, const wchar_t* host, const char* api,
                                       std::vector<tstring>& hosts) {
  if (!name) return QLB_ERR_INVALID_ARG;
  try {
    CFiUdid udid(name);
  } catch (const CFiUdidException&) {
    return QLB_ERR_BAD_RESOURCE;
  }
  hosts.clear();
  if (host && *host) {
    trace(FI_TRACE_INFO, "Hostname [%S] was passed to %s API. Adding it hostList ", host, api);
    hosts.push_back(tstring(host));
  } else {
    trace(FI_TRACE_INFO, "No hostname was passed to the %s API", api);
  }
  return 0;
}

int CFiPluginInterposer::importResource(wchar_t**, wchar_t* name, wchar_t* host, wchar_t*,
                                        int flags, wchar_t**, wchar_t*) {
  FI_INTERPOSER_SCOPE("importResource");
  std::vector<tstring> hosts;
  int result = resourceHosts(name, host, "importResource", hosts);
  if (result != 0) return result;
  const tstring resource(name);
  if (flags & kImportNotImplemented) return QLB_ERR_NOT_IMPLEMENTED;
  if (flags & kImportVisible)
    return importNode(resource, hosts, false, false, false, kImportForResource);
  if (flags & kImportReplace)
    return importNode(resource, hosts, false, true, false, kImportForResource);
  return QLB_ERR_FAILED;
}

int CFiPluginInterposer::deportResource(wchar_t*, wchar_t* name, wchar_t* host, wchar_t*,
                                        int flags) {
  FI_INTERPOSER_SCOPE("deportResource");
  std::vector<tstring> hosts;
  int result = resourceHosts(name, host, "deportResource", hosts);
  if (result != 0) return result;
  if (flags & kDeportSkip) return 0;
  const tstring resource(name);
  if (flags & kDeportReplace)
    return importNode(resource, hosts, false, true, true, kImportForResource);
  if (flags & kDeportHide)
    return importNode(resource, hosts, false, false, true, kImportForResource);
  if (flags & kDeportNotImplemented) return QLB_ERR_NOT_IMPLEMENTED;
  return 0;
}

// --- slots of the interposer -------------------------------------------------------

void CFiPluginInterposer::addIgnoreNodeType(int type) {
  m_ignoreNodeTypes |= static_cast<uint32_t>(type);
}

void CFiPluginInterposer::setDefaultNodeType(int type) { m_defaultNodeType = type; }

int CFiPluginInterposer::importNode(const tstring&, const std::vector<tstring>&, bool, bool, bool,
                                    int) {
  return QLB_ERR_NOT_IMPLEMENTED;
}

}  // namespace quelb_pdk_4_4
