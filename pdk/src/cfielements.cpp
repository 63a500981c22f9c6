#include "cfielements.h"

#include <cstring>

#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

CFiFim::CFiFim(const tstring& name, uint32_t v1, uint32_t v2, uint32_t v3, uint32_t v4, uint32_t v5,
               uint32_t v6, const tstring& secondName, const tstring& version)
    : m_secondName(secondName), m_version(version), m_name(name) {
  const uint32_t values[6] = {v1, v2, v3, v4, v5, v6};
  std::memcpy(m_fixed.ff_value, values, sizeof values);
  pointFixedPart();
}

CFiFim::CFiFim(const CFiFim& other)
    : m_fixed(other.m_fixed),
      m_secondName(other.m_secondName),
      m_version(other.m_version),
      m_name(other.m_name),
      m_text(other.m_text) {
  pointFixedPart();
}

CFiFim& CFiFim::operator=(const CFiFim& other) {
  m_fixed = other.m_fixed;
  m_secondName = other.m_secondName;
  m_version = other.m_version;
  m_name = other.m_name;
  m_text = other.m_text;
  pointFixedPart();
  return *this;
}

void CFiFim::pointFixedPart() {
  m_fixed.ff_second_name = const_cast<wchar_t*>(m_secondName.c_str());
  m_fixed.ff_version = const_cast<wchar_t*>(m_version.c_str());
}

CFiNode::CFiNode() : attributes(), nameId() {}

CFiNode::CFiNode(const qlb_node_attr& attributes_, const tstring& name_, const tstring& idText_,
                 const tstring& text_)
    : attributes(attributes_), nameId(), name(name_), idText(idText_), text(text_) {}

CFiEnclosureNode::CFiEnclosureNode() : available(0), total(0), value(0) {}

CFiEnclosureNode::CFiEnclosureNode(const tstring& id_, const tstring& providerName_,
                                   const tstring& enclosureName_, const tstring& vendor_,
                                   const tstring& product_, uint64_t available_, uint64_t total_,
                                   int32_t value_)
    : id(id_),
      providerName(providerName_),
      enclosureName(enclosureName_),
      vendor(vendor_),
      product(product_),
      available(available_),
      total(total_),
      value(value_) {}

CFiHostNode::CFiHostNode() : value(0) {}

CFiHostNode::CFiHostNode(const tstring& hostName_, const tstring& text_)
    : value(0), hostName(hostName_), text(text_) {}

CFiProviderInfo::CFiProviderInfo(intptr_t first, intptr_t second, intptr_t) {
  std::memset(m_fields, 0, sizeof m_fields);
  m_fields[0] = first;
  m_fields[1] = second;
  rebuildArray();
}

CFiProviderInfo::~CFiProviderInfo() { freeArray(); }

CFiProviderInfo::CFiProviderInfo(const CFiProviderInfo& other) : m_patterns(other.m_patterns) {
  std::memcpy(m_fields, other.m_fields, sizeof m_fields);
  m_fields[6] = 0;
  rebuildArray();
}

CFiProviderInfo& CFiProviderInfo::operator=(const CFiProviderInfo& other) {
  if (this == &other) return *this;
  freeArray();
  std::memcpy(m_fields, other.m_fields, sizeof m_fields);
  m_fields[6] = 0;
  m_patterns = other.m_patterns;
  rebuildArray();
  return *this;
}

void CFiProviderInfo::addClaimPattern(const tstring& pattern) {
  m_patterns.push_back(pattern);
  rebuildArray();
}

void CFiProviderInfo::rebuildArray() {
  freeArray();
  m_fields[6] = reinterpret_cast<intptr_t>(CFiStringTool::tstrduplist(m_patterns));
}

void CFiProviderInfo::freeArray() {
  wchar_t** array = reinterpret_cast<wchar_t**>(m_fields[6]);
  CFiStringTool::tstrfreelist(&array);
  m_fields[6] = 0;
}

}  // namespace quelb_pdk_4_4
