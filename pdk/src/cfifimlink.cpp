#include "cfifimlink.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

namespace {

class LinkRegistry {
 public:
  void add(qlb_fim_link* link) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_links.insert(link);
  }
  // Forgets the link; false when it was not ours.
  bool take(qlb_fim_link* link) {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_links.erase(link) == 1;
  }
  size_t size() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_links.size();
  }

 private:
  std::mutex m_lock;
  std::unordered_set<qlb_fim_link*> m_links;
};

LinkRegistry& registry() {
  static LinkRegistry* links = new LinkRegistry;  // outlives every node
  return *links;
}

void freeLink(qlb_fim_link* link) {
  for (qlb_fim_link_entry& entry : link->fl_entry) std::free(entry.fle_text);
  std::free(link);
}

}  // namespace

void fiAppendFimLink(qlb_domain* node, const std::string& fimName, int32_t flags,
                     const std::string& quiesceType) {
  qlb_fim_link* link = static_cast<qlb_fim_link*>(std::calloc(1, sizeof(qlb_fim_link)));
  if (!link) throw std::bad_alloc();
  link->fl_entry[0].fle_text = CFiStringTool::strdup(fimName.c_str());
  link->fl_entry[0].fle_node = node;
  link->fl_entry[0].fle_value = flags;
  link->fl_entry[1].fle_text = CFiStringTool::strdup(quiesceType.c_str());
  link->fl_entry[1].fle_node = node;
  link->fl_entry[1].fle_value = 0;
  if (!link->fl_entry[0].fle_text || !link->fl_entry[1].fle_text) {
    freeLink(link);
    throw std::bad_alloc();
  }
  registry().add(link);

  qlb_fim_link** tail = &node->fid_links;
  while (*tail) tail = &(*tail)->fl_next;
  *tail = link;
}

void fiFreeFimLinks(qlb_domain* node) {
  if (!node) return;
  qlb_fim_link* link = node->fid_links;
  node->fid_links = nullptr;
  while (link && registry().take(link)) {
    qlb_fim_link* next = link->fl_next;
    freeLink(link);
    link = next;
  }
}

size_t fiLiveFimLinks() { return registry().size(); }

}  // namespace quelb_pdk_4_4
