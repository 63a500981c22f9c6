// CFiPluginInterposer: the layer between the plug-in base and a provider
// that places itself between the framework and the nodes it recognises. It
// registers the provider's snapshot methods (FIMs) with claim patterns and
// answers claim, supportsFiType and the node operations from that registry.
#ifndef QLB_PDK_CFIPLUGININTERPOSER_H
#define QLB_PDK_CFIPLUGININTERPOSER_H

#include <list>
#include <map>
#include <string>
#include <vector>

#include "cfiexport.h"
#include "cfipluginbase.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiPluginInterposer : public CFiPluginBase {
 public:
  CFiPluginInterposer();
  virtual ~CFiPluginInterposer();

  // --- slots after the plug-in base's --------------------------------------
  virtual void addIgnoreNodeType(int type);                                        // 75
  virtual void setDefaultNodeType(int type);                                       // 76
  // Makes one device visible to (or hides it from) this host; the provider
  // overrides it. The interposer's own version returns 4.
  virtual int importNode(const tstring& name, const std::vector<tstring>& hosts,
                         bool transportable, bool removeOthers, bool deport, int mode);  // 77

  uint32_t ignoreNodeTypes() const { return m_ignoreNodeTypes; }
  int32_t defaultNodeType() const { return m_defaultNodeType; }

 protected:
  uint32_t m_ignoreNodeTypes;
  int32_t m_defaultNodeType;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIPLUGININTERPOSER_H
