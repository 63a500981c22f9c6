// CFiList<Record, Element>: builds one of the framework's singly linked list
// records from the provider's element objects, through the utility library's
// node builders.
//
// Use: construct on the caller's list-head pointer (and count pointer, where
// the factory takes one), add elements in order, destroy: the destructor
// stores the head through the result pointer, and the list is the caller's.
// An element whose builder returns null is skipped silently and not counted.
#ifndef QLB_PDK_CFILIST_H
#define QLB_PDK_CFILIST_H

#include <quelb/quelb_records.h>

#include "cfielements.h"
#include "cfiexport.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

// The next pointer of each list record (its last field).
template <class Record>
struct CFiListNext;
template <>
struct CFiListNext<qlb_provider_list> {
  static qlb_provider_list*& of(qlb_provider_list* r) { return r->pl_next; }
};
template <>
struct CFiListNext<qlb_fim_list> {
  static qlb_fim_list*& of(qlb_fim_list* r) { return r->fl_next; }
};
template <>
struct CFiListNext<qlb_enclosure_node_list> {
  static qlb_enclosure_node_list*& of(qlb_enclosure_node_list* r) { return r->el_next; }
};
template <>
struct CFiListNext<qlb_node_list> {
  static qlb_node_list*& of(qlb_node_list* r) { return r->nl_next; }
};
template <>
struct CFiListNext<qlb_host_node_list> {
  static qlb_host_node_list*& of(qlb_host_node_list* r) { return r->hl_next; }
};

template <class Record, class Element>
class CFiList {
 public:
  CFiList(Record** result, int* count)
      : m_head(nullptr), m_tail(nullptr), m_result(result), m_count(count) {}
  CFiList(const CFiList&) = delete;
  CFiList& operator=(const CFiList&) = delete;

  // Builds a new list node from the element, or null.
  virtual Record* buildNode(const Element& element) = 0;

  // Publishes the list: stores the head through the result pointer.
  virtual ~CFiList() {
    if (m_result) *m_result = m_head;
  }

  // Appends the element's node at the tail and counts it; an element whose
  // node cannot be built is skipped.
  virtual void add(const Element& element) {
    Record* node = buildNode(element);
    if (!node) return;
    CFiListNext<Record>::of(node) = nullptr;
    // The tail is remembered rather than found by walking from the head:
    // node lists of tens of thousands of devices are built this way.
    if (!m_head)
      m_head = node;
    else
      CFiListNext<Record>::of(m_tail) = node;
    m_tail = node;
    if (m_count) ++*m_count;
  }

  Record* head() const { return m_head; }

 private:
  Record* m_head;
  Record* m_tail;
  Record** m_result;
  int* m_count;
};

class QLB_PDK_EXPORT CFiProviderInfoListFactory
    : public CFiList<qlb_provider_list, CFiProviderInfo> {
 public:
  // Sets the interface version 7, 0, 0, 0.
  CFiProviderInfoListFactory(const tstring& providerName, qlb_provider_list** result);
  qlb_provider_list* buildNode(const CFiProviderInfo& element) override;

 private:
  tstring m_providerName;
  uint16_t m_version[4];
};

class QLB_PDK_EXPORT CFiFimListFactory : public CFiList<qlb_fim_list, CFiFim> {
 public:
  CFiFimListFactory(const tstring& providerName, qlb_fim_list** result);
  qlb_fim_list* buildNode(const CFiFim& element) override;

 private:
  tstring m_providerName;
};

class QLB_PDK_EXPORT CFiEnclosureNodeListFactory
    : public CFiList<qlb_enclosure_node_list, CFiEnclosureNode> {
 public:
  CFiEnclosureNodeListFactory(qlb_enclosure_node_list** result, int* count);
  qlb_enclosure_node_list* buildNode(const CFiEnclosureNode& element) override;
};

class QLB_PDK_EXPORT CFiNodeListFactory : public CFiList<qlb_node_list, CFiNode> {
 public:
  CFiNodeListFactory(qlb_node_list** result, int* count);
  // Fills the element's name and id pair (node name, a new id of type 3 made
  // from the id text) just before building; the id is released afterwards,
  // the builder keeps its own copy.
  qlb_node_list* buildNode(const CFiNode& element) override;
};

class QLB_PDK_EXPORT CFiHostNodeListFactory : public CFiList<qlb_host_node_list, CFiHostNode> {
 public:
  CFiHostNodeListFactory(qlb_host_node_list** result, int* count);
  qlb_host_node_list* buildNode(const CFiHostNode& element) override;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFILIST_H
