// CFiPluginInterposer: the layer between the plug-in base and a provider
// that places itself between the framework and the nodes it recognises. The
// provider registers its snapshot methods (FIMs) with claim patterns; the
// interposer answers claim and supportsFiType from that registry, keeps one
// group record per FIM group, prepares the nodes the framework hands it and
// leads device import and deport to the provider's importNode.
//
// A node belongs to the interposer when its id text holds the prefix
// "<" + provider name + ">".
//
// The registry is filled during the provider's init and only read
// afterwards, so reading it takes no lock; the group bindings that
// initNode and deInitNode change are guarded by their own lock.
#ifndef QLB_PDK_CFIPLUGININTERPOSER_H
#define QLB_PDK_CFIPLUGININTERPOSER_H

#include <list>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "cfiexport.h"
#include "cfipblm.h"
#include "cfipluginbase.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiPluginInterposer : public CFiPluginBase {
 public:
  // A registered snapshot method.
  struct FimRecord {
    std::string groupName;
    std::string fimName;
    std::string quiesceType;  // for example "FI_QUIESCE_NONE"
    int32_t flags;            // capability flags
  };

  // One group per FIM group name: the pattern it was registered with, its
  // object id (type 3, made from the group name, owned by the interposer)
  // and the framework node record bound to it (null until initNode).
  struct GroupRecord {
    std::string groupName;
    std::string claimPattern;
    quelb_objid* objId;
    qlb_domain* node;
  };

  CFiPluginInterposer();
  virtual ~CFiPluginInterposer();
  CFiPluginInterposer(const CFiPluginInterposer&) = delete;
  CFiPluginInterposer& operator=(const CFiPluginInterposer&) = delete;

  // "<" + provider name + ">".
  tstring getInterposeNodePrefix() const;
  // The node id holds the prefix.
  bool isInterposerNode(const tstring& nodeId) const;
  // The name, as narrow text, is a registered group name.
  bool isGroupNode(const tstring& nodeName) const;
  // The FIMs of a node: for a group name, that group's first FIM; for an
  // interposer node, the FIM list of the first claim pattern (in pattern
  // order) its id holds; otherwise none.
  void getFims(std::list<FimRecord>& out, const tstring& nodeId) const;

  // A copy of the group record; false when there is no such group.
  bool getGroup(const std::string& groupName, GroupRecord& out) const;

  // --- plug-in base slots the interposer replaces ------------------------
  // 2 (claimed as secondary, empty out list) for an interposer node whose
  // id holds a claim pattern; 0 otherwise.
  int claim(quelb_objid* primary, quelb_objid*** out, int* count) override;
  // 1 when the node has a FIM of that name (or any, for "any"); the
  // node's support answer becomes 2 or 1 when its private data lists hosts
  // (transportable or not), else the FIM's flags are ORed into it.
  int supportsFiType(qlb_domain* node, char* fiType) override;
  // Imports the node under its import id through importNode.
  int importTreeNode(qlb_domain* node, quelb_objid** a, quelb_objid** b, int c,
                     quelb_objid** out) override;
  // Binds the node's group (when the node is a group node), names the node
  // by its id, gives it the default node type, chains one link record per
  // FIM (a chain of ours left on the record is freed first) and attaches
  // the node's private data, also when the node has FIMs. A node whose group
  // is already bound to this very record is left as it is. 6 on an
  // exception (out of memory), 3 for a null node.
  int initNode(qlb_domain* node, qlb_domain** nodes, int count, quelb_objid* id) override;
  int initAltNode(qlb_domain* first, qlb_domain* second, qlb_domain* alt, bool remote) override;
  // Unbinds the node's group when the group is bound to this record (a
  // newer record of the group keeps its binding), frees the node's link
  // records and detaches its private data.
  void deInitNode(qlb_domain* node) override;
  int isReady(char* sessionId, qlb_splitnode** list, int count) override;
  // For a node whose id holds a claim pattern (and whose type is not
  // ignored): a new interposer id ("<provider>" + node id) and an array of
  // the pattern's group ids, both for the framework to free; 1. When those
  // cannot be allocated nothing is handed out and the node is not
  // interposed (0).
  qlb_interpose interpose(qlb_domain* node, quelb_objid** interposerId, quelb_objid*** groupIds,
                          int* count) override;
  // 4 without registered FIMs, 3 for a null answer pointer; else the answer
  // is whether the node is an interposer node.
  int checkNodeExistence(qlb_domain* node, int* exists) override;
  // Make one device (named by its identity string) visible to this host,
  // or hide it, through importNode, as the flags say. A host name (null or
  // empty for none) becomes the one-entry host list.
  int importResource(wchar_t** names, wchar_t* name, wchar_t* host, wchar_t* text, int flags,
                     wchar_t** out, wchar_t* text2) override;
  int deportResource(wchar_t* a, wchar_t* name, wchar_t* host, wchar_t* d, int flags) override;

  // --- slots after the plug-in base's --------------------------------------
  virtual void addIgnoreNodeType(int type);   // 75
  virtual void setDefaultNodeType(int type);  // 76
  // Makes one device visible to (or hides it from) this host; the provider
  // overrides it. The interposer's own version returns 4.
  virtual int importNode(const tstring& name, const std::vector<tstring>& hosts, bool transportable,
                         bool removeOthers, bool deport, int mode);  // 77

  uint32_t ignoreNodeTypes() const { return m_ignoreNodeTypes; }
  int32_t defaultNodeType() const { return m_defaultNodeType; }

  // The LUN number map of the enclosures this provider presents devices
  // from; it traces through the interposer's trace log.
  CFiPblmOps& lunMap() { return m_lunMap; }

  // Also gives the trace log to the LUN number map.
  void setTraceLog(const CFiTraceLogPtr& traceLog) override;

 protected:
  // Registers a FIM under a claim pattern. An empty group name becomes the
  // FIM name + "_FIM_GROUP"; the group record of that name is (re)made. An
  // empty claim pattern is traced and ignored.
  void addFim(const std::string& claimPattern, const std::string& fimName,
              const std::string& quiesceType, int flags, const std::string& groupName);

  uint32_t m_ignoreNodeTypes;
  int32_t m_defaultNodeType;
  CFiPblmOps m_lunMap;

 private:
  typedef std::map<std::string, GroupRecord> GroupMap;
  typedef std::map<std::string, std::list<FimRecord> > FimMap;

  // The group whose object id equals the id; null when none.
  GroupRecord* findGroup(const quelb_objid* id);
  // Resource import and deport: the identity check and host list shared by
  // both; returns 0 or the result to give back.
  int resourceHosts(const wchar_t* name, const wchar_t* host, const char* api,
                    std::vector<tstring>& hosts);

  GroupMap m_groups;
  FimMap m_fims;
  mutable std::mutex m_groupLock;  // guards the node bindings of m_groups
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIPLUGININTERPOSER_H
