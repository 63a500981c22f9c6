#include "cfisession.h"

#include "utf8.h"

namespace quelb_pdk_4_4 {

namespace {

std::string keyOf(const wchar_t* name) { return boundedtext::wideToUtf8(name, wcslen(name)); }

}  // namespace

CFiSession::CFiSession(const std::string& sessionId) : m_sessionId(sessionId) {}

CFiSession::~CFiSession() {}

void CFiSession::addSplitNodes(qlb_splitnode** list, int count) {
  if (!list) return;
  std::lock_guard<std::mutex> guard(m_lock);
  for (int i = 0; i < count; ++i) {
    qlb_splitnode* split = list[i];
    if (!split || !split->sn_node || !split->sn_node->fid_name) continue;
    CFiSessionNode record;
    record.nodeName = split->sn_node->fid_name;
    record.splitName = split->sn_name ? split->sn_name : "";
    m_nodes[keyOf(split->sn_node->fid_name)] = record;
  }
}

std::vector<CFiSessionNode> CFiSession::getNodes() const {
  std::lock_guard<std::mutex> guard(m_lock);
  std::vector<CFiSessionNode> nodes;
  nodes.reserve(m_nodes.size());
  for (const auto& entry : m_nodes) nodes.push_back(entry.second);
  return nodes;
}

bool CFiSession::getNode(const tstring& nodeName, CFiSessionNode& out) const {
  std::lock_guard<std::mutex> guard(m_lock);
  auto it = m_nodes.find(keyOf(nodeName.c_str()));
  if (it == m_nodes.end()) return false;
  out = it->second;
  return true;
}

int CFiSession::setSnapshotName(const tstring& nodeName, const tstring& snapshotName) {
  std::lock_guard<std::mutex> guard(m_lock);
  auto it = m_nodes.find(keyOf(nodeName.c_str()));
  if (it == m_nodes.end()) return QLB_ERR_NOT_FOUND;
  it->second.snapshotName = snapshotName;
  it->second.status = 1;
  return 0;
}

CFiSessionManager::CFiSessionManager() {}

CFiSessionManager::~CFiSessionManager() {}

CFiSessionPtr CFiSessionManager::get(const char* sessionId) {
  if (!sessionId) return CFiSessionPtr();
  std::lock_guard<std::mutex> guard(m_lock);
  CFiSessionPtr& slot = m_sessions[sessionId];
  if (!slot) slot.reset(new CFiSession(sessionId));
  return slot;
}

size_t CFiSessionManager::size() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_sessions.size();
}

}  // namespace quelb_pdk_4_4
