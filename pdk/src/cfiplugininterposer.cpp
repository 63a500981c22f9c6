#include "cfiplugininterposer.h"

namespace quelb_pdk_4_4 {

CFiPluginInterposer::CFiPluginInterposer() : m_ignoreNodeTypes(2048), m_defaultNodeType(4098) {}

CFiPluginInterposer::~CFiPluginInterposer() {}

void CFiPluginInterposer::addIgnoreNodeType(int type) {
  m_ignoreNodeTypes |= static_cast<uint32_t>(type);
}

void CFiPluginInterposer::setDefaultNodeType(int type) { m_defaultNodeType = type; }

int CFiPluginInterposer::importNode(const tstring&, const std::vector<tstring>&, bool, bool, bool, int) {
  return QLB_ERR_NOT_IMPLEMENTED;
}

}  // namespace quelb_pdk_4_4
