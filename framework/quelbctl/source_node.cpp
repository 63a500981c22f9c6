#include "source_node.h"

#include <cstdlib>
#include <cwchar>

#include "message_log.h"
#include "utf8.h"

SourceNode::SourceNode(const qlb_pgn_table& pgn, const std::string& identity,
                       const std::string& method)
    : m_pgn(pgn),
      m_identity(identity),
      m_method(method),
      m_node(),
      m_support(0),
      m_groups(nullptr),
      m_groupCount(0),
      m_initialised(false),
      m_split() {
  m_node.fid_support = &m_support;
  m_split.sn_name = &m_method[0];
  m_split.sn_node = &m_node;
}

SourceNode::~SourceNode() {
  if (m_initialised) m_pgn.deinit_node(&m_node);
  quelb_free_objid(m_node.fid_objid);
  quelb_free_objid_array(m_groups, m_groupCount);
}

bool SourceNode::interpose() {
  const std::wstring id = boundedtext::utf8ToWide(m_identity);
  qlb_domain device = {};
  device.fid_objid = quelb_get_objid(id.c_str(), (id.size() + 1) * sizeof(wchar_t), QLB_OBJID_NODE);
  if (!device.fid_objid) return false;
  const qlb_interpose result =
      m_pgn.interpose(&device, &m_node.fid_objid, &m_groups, &m_groupCount);
  quelb_free_objid(device.fid_objid);
  return result == QLB_INTERPOSED && m_node.fid_objid;
}

int SourceNode::initialise() {
  const int rc = m_pgn.init_node(&m_node, nullptr, 0, nullptr);
  m_initialised = true;
  return rc;
}

int SourceNode::configure(const std::string& sessionId, const std::wstring& valueList) {
  std::wstring text = valueList;
  std::string session = sessionId;
  qlb_confspec spec = {1, 0, &text[0]};
  const int rc = m_pgn.config(&m_node, 5, &session[0], &spec);
  if (spec.cs_text && spec.cs_text != &text[0]) std::free(spec.cs_text);
  return rc;
}

std::string SourceNode::name() const {
  return narrow(m_node.fid_objid ? m_node.fid_objid->qid_text : nullptr);
}
