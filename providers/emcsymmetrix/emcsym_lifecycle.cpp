#include "emcsym_lifecycle.h"

namespace emcsym {

quelb_pdk_4_4::tstring sourceNodeName(const qlb_splitnode* split) {
  const qlb_domain* node = split ? split->sn_node : nullptr;
  if (!node) return quelb_pdk_4_4::tstring();
  if (node->fid_name) return quelb_pdk_4_4::tstring(node->fid_name);
  if (node->fid_objid && node->fid_objid->qid_text)
    return quelb_pdk_4_4::tstring(node->fid_objid->qid_text);
  return quelb_pdk_4_4::tstring();
}

std::string methodName(const qlb_splitnode* split) {
  return split && split->sn_name ? std::string(split->sn_name) : std::string();
}

std::string pairLine(const std::string& source, const std::string& target) {
  return source + " " + target;
}

}  // namespace emcsym
