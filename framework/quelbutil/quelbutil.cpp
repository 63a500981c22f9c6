// libquelbutil: the framework utility library stand-in.
//
// Every buffer it hands out (plain buffers, object ids, list nodes and the
// texts inside them) is entered in an account of live allocations, so that
// a release with an unknown pointer or a wrong byte count is detected and
// counted, and tests can prove that the provider neither leaks nor mis-frees
// framework buffers.
//
// A real framework's utility library keeps no such account. The
// environment variable QUELB_BUFFER_ACCOUNTING, read once at the first
// allocation, switches it off with "0": buffers are then plain heap
// blocks, quelb_live_buffers and quelb_bad_frees report 0, and what is
// measured is the provider's own cost. Any other value, or none, keeps it.
#include <quelb/quelb_records.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <unordered_map>

#include "quelbutil_environment.h"
#include "utf8.h"

namespace {

class BufferAccount {
 public:
  BufferAccount() { m_enabled = quelbutil::environment("QUELB_BUFFER_ACCOUNTING") != "0"; }

  void* allocate(uint64_t bytes) {
    if (m_failAfter >= 0 && m_failAfter-- == 0) {
      m_failAfter = 0;
      return nullptr;
    }
    void* p = std::malloc(bytes ? bytes : 1);
    if (!p || !m_enabled) return p;
    std::lock_guard<std::mutex> guard(m_lock);
    m_live[p] = bytes;
    return p;
  }

  // Releases p. An unknown pointer is reported and not freed; a wrong byte
  // count is reported and the buffer freed all the same.
  void release(void* p, uint64_t bytes, bool checkBytes) {
    if (!p) return;
    if (!m_enabled) {
      std::free(p);
      return;
    }
    {
      std::lock_guard<std::mutex> guard(m_lock);
      auto it = m_live.find(p);
      if (it == m_live.end()) {
        ++m_bad;
        std::fprintf(stderr, "quelbutil: release of unknown buffer %p (%llu bytes)\n", p,
                     static_cast<unsigned long long>(bytes));
        return;
      }
      if (checkBytes && it->second != bytes) {
        ++m_bad;
        std::fprintf(stderr, "quelbutil: buffer %p released with %llu bytes, allocated with %llu\n",
                     p, static_cast<unsigned long long>(bytes),
                     static_cast<unsigned long long>(it->second));
      }
      m_live.erase(it);
    }
    std::free(p);
  }

  uint64_t live() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_live.size();
  }

  void failAfter(int64_t n) { m_failAfter = n; }

  uint64_t bad() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_bad;
  }

 private:
  bool m_enabled;  // fixed at construction
  std::mutex m_lock;
  std::unordered_map<void*, uint64_t> m_live;
  uint64_t m_bad = 0;
  std::atomic<int64_t> m_failAfter{-1};
};

BufferAccount& account() {
  // Never destroyed: buffers may be released during other statics' teardown.
  static BufferAccount* a = new BufferAccount;
  return *a;
}

template <class T>
T* allocRecord() {
  void* p = account().allocate(sizeof(T));
  if (p) std::memset(p, 0, sizeof(T));
  return static_cast<T*>(p);
}

template <class T>
void freeRecord(T* p) {
  account().release(p, sizeof(T), true);
}

// Copies a wide text into an accounted buffer; null stays null.
wchar_t* copyText(const wchar_t* text) {
  if (!text) return nullptr;
  size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
  wchar_t* copy = static_cast<wchar_t*>(account().allocate(bytes));
  if (copy) std::memcpy(copy, text, bytes);
  return copy;
}

void freeText(wchar_t* text) {
  if (text) account().release(text, (std::wcslen(text) + 1) * sizeof(wchar_t), true);
}

// A copied text is missing when the original was there but the copy failed.
bool lost(const wchar_t* original, const wchar_t* copy) { return original && !copy; }

wchar_t* accountedWide(const std::string& utf8) {
  std::wstring wide = boundedtext::utf8ToWide(utf8);
  return copyText(wide.c_str());
}

}  // namespace

extern "C" {

void* quelb_alloc_buf(uint64_t bytes) { return account().allocate(bytes); }

void quelb_free_buf(void* buf, uint64_t bytes) { account().release(buf, bytes, true); }

quelb_objid* quelb_get_objid(const wchar_t* text, uint64_t bytes, int type) {
  if (!text || bytes < sizeof(wchar_t) || bytes % sizeof(wchar_t) != 0) return nullptr;
  quelb_objid* id = allocRecord<quelb_objid>();
  if (!id) return nullptr;
  id->qid_text = static_cast<wchar_t*>(account().allocate(bytes));
  if (!id->qid_text) {
    freeRecord(id);
    return nullptr;
  }
  size_t chars = bytes / sizeof(wchar_t) - 1;
  std::wmemcpy(id->qid_text, text, chars);
  id->qid_text[chars] = L'\0';
  id->qid_type = type;
  id->qid_bytes = static_cast<uint32_t>(bytes);
  return id;
}

int quelb_objidcmp(const quelb_objid* a, const quelb_objid* b) {
  if (a == b) return 0;
  if (!a || !b || !a->qid_text || !b->qid_text) return 1;
  return std::wcscmp(a->qid_text, b->qid_text) == 0 ? 0 : 1;
}

void quelb_free_objid(quelb_objid* id) {
  if (!id) return;
  account().release(id->qid_text, id->qid_bytes, true);
  freeRecord(id);
}

void quelb_free_objid_array(quelb_objid** ids, int count) {
  if (!ids) return;
  for (int i = 0; i < count; ++i) quelb_free_objid(ids[i]);
  quelb_free_buf(ids, static_cast<uint64_t>(count) * sizeof(quelb_objid*));
}

qlb_provider_list* quelb_build_providerlist_node(const wchar_t* provider_name, intptr_t value1,
                                                 intptr_t value2, const uint16_t* version,
                                                 wchar_t* const* claim_patterns) {
  qlb_provider_list* node = allocRecord<qlb_provider_list>();
  if (!node) return nullptr;
  node->pl_provider_name = copyText(provider_name);
  node->pl_value1 = value1;
  node->pl_value2 = value2;
  if (version) std::memcpy(node->pl_version, version, sizeof node->pl_version);
  size_t n = 0;
  while (claim_patterns && claim_patterns[n]) ++n;
  node->pl_claim_patterns = static_cast<wchar_t**>(account().allocate((n + 1) * sizeof(wchar_t*)));
  bool ok = node->pl_claim_patterns && !lost(provider_name, node->pl_provider_name);
  if (node->pl_claim_patterns) {
    for (size_t i = 0; i < n; ++i) {
      node->pl_claim_patterns[i] = copyText(claim_patterns[i]);
      ok = ok && node->pl_claim_patterns[i];
    }
    node->pl_claim_patterns[n] = nullptr;
  }
  if (!ok) {
    quelb_free_provider_list(node);
    return nullptr;
  }
  return node;
}

qlb_fim_list* quelb_build_fim_list_node(const wchar_t* name, const qlb_fim_fixed* fixed,
                                        const wchar_t* text, const wchar_t* provider_name) {
  qlb_fim_list* node = allocRecord<qlb_fim_list>();
  if (!node) return nullptr;
  node->fl_name = copyText(name);
  node->fl_text = copyText(text);
  node->fl_provider_name = copyText(provider_name);
  bool ok = !lost(name, node->fl_name) && !lost(text, node->fl_text) &&
            !lost(provider_name, node->fl_provider_name);
  if (fixed) {
    std::memcpy(node->fl_value, fixed->ff_value, sizeof node->fl_value);
    node->fl_second_name = copyText(fixed->ff_second_name);
    node->fl_version = copyText(fixed->ff_version);
    ok = ok && !lost(fixed->ff_second_name, node->fl_second_name) &&
         !lost(fixed->ff_version, node->fl_version);
  }
  if (!ok) {
    quelb_free_fim_list(node);
    return nullptr;
  }
  return node;
}

qlb_enclosure_node_list* quelb_build_enclosure_list_node(const wchar_t* id,
                                                         const wchar_t* provider_name,
                                                         const wchar_t* name, const wchar_t* vendor,
                                                         const wchar_t* product, uint64_t available,
                                                         uint64_t total, int value) {
  qlb_enclosure_node_list* node = allocRecord<qlb_enclosure_node_list>();
  if (!node) return nullptr;
  node->el_id = copyText(id);
  node->el_provider_name = copyText(provider_name);
  node->el_name = copyText(name);
  node->el_vendor = copyText(vendor);
  node->el_product = copyText(product);
  node->el_available = available;
  node->el_total = total;
  node->el_value = value;
  if (lost(id, node->el_id) || lost(provider_name, node->el_provider_name) ||
      lost(name, node->el_name) || lost(vendor, node->el_vendor) ||
      lost(product, node->el_product)) {
    quelb_free_enclosure_list(node);
    return nullptr;
  }
  return node;
}

qlb_node_list* quelb_build_nodelist_node(const qlb_node_name_id* pair, const qlb_node_attr* attr,
                                         const wchar_t* text) {
  if (!pair || !pair->nni_objid || !pair->nni_objid->qid_text) return nullptr;
  qlb_node_list* node = allocRecord<qlb_node_list>();
  if (!node) return nullptr;
  node->nl_name = copyText(pair->nni_name);
  node->nl_objid = quelb_get_objid(pair->nni_objid->qid_text, pair->nni_objid->qid_bytes,
                                   pair->nni_objid->qid_type);
  node->nl_text = copyText(text);
  if (attr) node->nl_attr = *attr;
  if (lost(pair->nni_name, node->nl_name) || !node->nl_objid || lost(text, node->nl_text)) {
    quelb_free_node_list(node);
    return nullptr;
  }
  return node;
}

qlb_host_node_list* quelb_build_host_list_node(const wchar_t* host_name, uintptr_t ports,
                                               int port_count, const wchar_t* text) {
  if (port_count < 0 || (port_count > 0 && !ports)) return nullptr;
  qlb_host_node_list* node = allocRecord<qlb_host_node_list>();
  if (!node) return nullptr;
  node->hl_host_name = copyText(host_name);
  node->hl_text = copyText(text);
  node->hl_port_count = port_count;
  node->hl_ports = static_cast<wchar_t**>(account().allocate((port_count + 1) * sizeof(wchar_t*)));
  bool ok = node->hl_ports && !lost(host_name, node->hl_host_name) && !lost(text, node->hl_text);
  if (node->hl_ports) {
    const wchar_t* const* source = reinterpret_cast<const wchar_t* const*>(ports);
    for (int i = 0; i < port_count; ++i) {
      node->hl_ports[i] = copyText(source[i]);
      ok = ok && !lost(source[i], node->hl_ports[i]);
    }
    node->hl_ports[port_count] = nullptr;
  }
  if (!ok) {
    quelb_free_host_node_list(node);
    return nullptr;
  }
  return node;
}

void quelb_free_provider_list(qlb_provider_list* list) {
  while (list) {
    qlb_provider_list* next = list->pl_next;
    freeText(list->pl_provider_name);
    if (list->pl_claim_patterns) {
      size_t n = 0;
      for (; list->pl_claim_patterns[n]; ++n) freeText(list->pl_claim_patterns[n]);
      account().release(list->pl_claim_patterns, (n + 1) * sizeof(wchar_t*), true);
    }
    freeRecord(list);
    list = next;
  }
}

void quelb_free_fim_list(qlb_fim_list* list) {
  while (list) {
    qlb_fim_list* next = list->fl_next;
    freeText(list->fl_name);
    freeText(list->fl_second_name);
    freeText(list->fl_version);
    freeText(list->fl_text);
    freeText(list->fl_provider_name);
    freeRecord(list);
    list = next;
  }
}

void quelb_free_enclosure_list(qlb_enclosure_node_list* list) {
  while (list) {
    qlb_enclosure_node_list* next = list->el_next;
    freeText(list->el_id);
    freeText(list->el_provider_name);
    freeText(list->el_name);
    freeText(list->el_vendor);
    freeText(list->el_product);
    freeRecord(list);
    list = next;
  }
}

void quelb_free_node_list(qlb_node_list* list) {
  while (list) {
    qlb_node_list* next = list->nl_next;
    freeText(list->nl_name);
    quelb_free_objid(list->nl_objid);
    freeText(list->nl_text);
    freeRecord(list);
    list = next;
  }
}

void quelb_free_host_node_list(qlb_host_node_list* list) {
  while (list) {
    qlb_host_node_list* next = list->hl_next;
    freeText(list->hl_host_name);
    freeText(list->hl_text);
    if (list->hl_ports) {
      for (int i = 0; i < list->hl_port_count; ++i) freeText(list->hl_ports[i]);
      account().release(list->hl_ports, (list->hl_port_count + 1) * sizeof(wchar_t*), true);
    }
    freeRecord(list);
    list = next;
  }
}

void quelb_get_install_root(wchar_t** root) {
  if (!root) return;
  std::string value = quelbutil::environment("QUELB_INSTALL_ROOT");
  if (!value.empty()) *root = accountedWide(value);
}

void quelb_get_consumer_name(char** name) {
  if (!name) return;
  std::string value = quelbutil::environment("QUELB_CONSUMER");
  if (value.empty()) return;
  char* copy = static_cast<char*>(account().allocate(value.size() + 1));
  if (copy) std::memcpy(copy, value.c_str(), value.size() + 1);
  *name = copy;
}

void quelb_get_credential_blob(wchar_t** text) {
  if (!text) return;
  std::string path = quelbutil::environment("QUELB_CREDENTIALS_FILE");
  if (path.empty()) return;
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  std::stringstream content;
  content << in.rdbuf();
  *text = accountedWide(content.str());
}

uint64_t quelb_live_buffers(void) { return account().live(); }

uint64_t quelb_bad_frees(void) { return account().bad(); }

void quelb_fail_allocations_after(int64_t n) { account().failAfter(n); }

}  // extern "C"
