#include "cfilist.h"

#include <vector>

namespace quelb_pdk_4_4 {

CFiProviderInfoListFactory::CFiProviderInfoListFactory(const tstring& providerName,
                                                       qlb_provider_list** result)
    : CFiList(result, nullptr), m_providerName(providerName), m_version{7, 0, 0, 0} {}

qlb_provider_list* CFiProviderInfoListFactory::buildNode(const CFiProviderInfo& element) {
  return quelb_build_providerlist_node(m_providerName.c_str(), element.first(), element.second(),
                                       m_version, element.claimPatternArray());
}

CFiFimListFactory::CFiFimListFactory(const tstring& providerName, qlb_fim_list** result)
    : CFiList(result, nullptr), m_providerName(providerName) {}

qlb_fim_list* CFiFimListFactory::buildNode(const CFiFim& element) {
  return quelb_build_fim_list_node(element.name().c_str(), &element.fixed(), element.text().c_str(),
                                   m_providerName.c_str());
}

CFiEnclosureNodeListFactory::CFiEnclosureNodeListFactory(qlb_enclosure_node_list** result,
                                                         int* count)
    : CFiList(result, count) {}

qlb_enclosure_node_list* CFiEnclosureNodeListFactory::buildNode(const CFiEnclosureNode& e) {
  return quelb_build_enclosure_list_node(e.id.c_str(), e.providerName.c_str(),
                                         e.enclosureName.c_str(), e.vendor.c_str(),
                                         e.product.c_str(), e.available, e.total, e.value);
}

CFiNodeListFactory::CFiNodeListFactory(qlb_node_list** result, int* count)
    : CFiList(result, count) {}

qlb_node_list* CFiNodeListFactory::buildNode(const CFiNode& element) {
  CFiNode& e = const_cast<CFiNode&>(element);
  e.nameId.nni_name = const_cast<wchar_t*>(e.name.c_str());
  e.nameId.nni_objid =
      quelb_get_objid(e.idText.c_str(), (e.idText.length() + 1) * sizeof(wchar_t), QLB_OBJID_NODE);
  qlb_node_list* node = nullptr;
  if (e.nameId.nni_objid)
    node = quelb_build_nodelist_node(&e.nameId, &e.attributes, e.text.c_str());
  quelb_free_objid(e.nameId.nni_objid);
  e.nameId.nni_objid = nullptr;
  return node;
}

CFiHostNodeListFactory::CFiHostNodeListFactory(qlb_host_node_list** result, int* count)
    : CFiList(result, count) {}

qlb_host_node_list* CFiHostNodeListFactory::buildNode(const CFiHostNode& element) {
  std::vector<const wchar_t*> ports;
  ports.reserve(element.ports.size());
  for (const tstring& p : element.ports) ports.push_back(p.c_str());
  CFiHostNode& e = const_cast<CFiHostNode&>(element);
  e.value = reinterpret_cast<uintptr_t>(ports.data());
  qlb_host_node_list* node =
      quelb_build_host_list_node(e.hostName.c_str(), static_cast<uintptr_t>(e.value),
                                 static_cast<int>(ports.size()), e.text.c_str());
  e.value = 0;
  return node;
}

}  // namespace quelb_pdk_4_4
