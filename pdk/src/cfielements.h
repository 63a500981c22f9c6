// Element classes that providers fill and the list factories turn into the
// framework's list records.
#ifndef QLB_PDK_CFIELEMENTS_H
#define QLB_PDK_CFIELEMENTS_H

#include <quelb/quelb_records.h>

#include <cstdint>
#include <vector>

#include "cfiexport.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

// A snapshot method. The fixed part (six 32-bit values and two text
// pointers) is read in place by the builder; its pointers point at the
// second name and the version text of this element.
class QLB_PDK_EXPORT CFiFim {
 public:
  CFiFim(const tstring& name, uint32_t v1, uint32_t v2, uint32_t v3, uint32_t v4, uint32_t v5,
         uint32_t v6, const tstring& secondName, const tstring& version);
  CFiFim(const CFiFim& other);
  CFiFim& operator=(const CFiFim& other);

  const qlb_fim_fixed& fixed() const { return m_fixed; }
  const tstring& secondName() const { return m_secondName; }
  const tstring& version() const { return m_version; }
  const tstring& name() const { return m_name; }
  const tstring& text() const { return m_text; }
  void setText(const tstring& text) { m_text = text; }

 private:
  void pointFixedPart();

  qlb_fim_fixed m_fixed;
  tstring m_secondName;
  tstring m_version;
  tstring m_name;
  tstring m_text;
};

// A device node: attribute part, the name and id pair that is filled just
// before building, and the node name, id text and a third text.
class QLB_PDK_EXPORT CFiNode {
 public:
  CFiNode();
  CFiNode(const qlb_node_attr& attributes, const tstring& name, const tstring& idText,
          const tstring& text);

  qlb_node_attr attributes;
  qlb_node_name_id nameId;
  tstring name;
  tstring idText;
  tstring text;
};

// An array (enclosure).
class QLB_PDK_EXPORT CFiEnclosureNode {
 public:
  CFiEnclosureNode();
  CFiEnclosureNode(const tstring& id, const tstring& providerName, const tstring& enclosureName,
                   const tstring& vendor, const tstring& product, uint64_t available,
                   uint64_t total, int32_t value);

  tstring id;
  tstring providerName;
  tstring enclosureName;
  tstring vendor;
  tstring product;
  uint64_t available;
  uint64_t total;
  int32_t value;
};

// A host seen by an array: its port names, and the host name and a text.
class QLB_PDK_EXPORT CFiHostNode {
 public:
  CFiHostNode();
  CFiHostNode(const tstring& hostName, const tstring& text);

  std::vector<tstring> ports;
  uint64_t value;  // set by the factory to the address of the port array
  tstring hostName;
  tstring text;
};

// The provider's description: seven pointer-sized fields, of which the
// first, second and seventh reach the framework. The seventh is the
// null-terminated array form of the claim patterns, rebuilt by every
// addClaimPattern.
class QLB_PDK_EXPORT CFiProviderInfo {
 public:
  CFiProviderInfo(intptr_t first, intptr_t second, intptr_t unused);
  ~CFiProviderInfo();
  CFiProviderInfo(const CFiProviderInfo& other);
  CFiProviderInfo& operator=(const CFiProviderInfo& other);

  void addClaimPattern(const tstring& pattern);
  const std::vector<tstring>& claimPatterns() const { return m_patterns; }

  intptr_t first() const { return m_fields[0]; }
  intptr_t second() const { return m_fields[1]; }
  wchar_t** claimPatternArray() const { return reinterpret_cast<wchar_t**>(m_fields[6]); }

 private:
  void rebuildArray();
  void freeArray();

  intptr_t m_fields[7];
  std::vector<tstring> m_patterns;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIELEMENTS_H
