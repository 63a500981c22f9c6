// Per-node private data: what the provider learns about a node between the
// framework's calls (configuration, session, hosts, chosen snapshot target),
// hung off the framework's node record and shared by every record of the
// same node id.
//
// CFiPrivateData: the data of one node (providers derive their own).
// CFiPrivateDataFactory: finds, creates and detaches the data of a node;
//   CFiPrivateDataConcreteFactory<T> makes T objects.
// CFiPrivateDataManager: the process-wide holder of the registered factory.
//
// Attachment: the node record's private data field holds a pointer to a
// heap-allocated CFiPrivateDataPtr; null means none.
#ifndef QLB_PDK_CFIPRIVATEDATA_H
#define QLB_PDK_CFIPRIVATEDATA_H

#include <quelb/quelb_records.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cficonfig.h"
#include "cfiexport.h"
#include "cfirefcount.h"
#include "cfismartptr.h"
#include "cfitraceable.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

// The name of the configuration parameter that names a node's snapshot
// targets.
extern QLB_PDK_EXPORT const char* const FI_CONFIG_PARAM_SNAPSHOT_RESOURCE_SPEC;
// "snapshot_resource_spec"

class QLB_PDK_EXPORT CFiPrivateData : public virtual CFiRefCount, public virtual CFiTraceable {
 public:
  CFiPrivateData();
  // Refers to the given id; the caller keeps it alive and releases it.
  CFiPrivateData(quelb_objid* id, bool isAltNode);
  // Makes its own id (type 3) from the text and releases it when destroyed.
  CFiPrivateData(const tstring& nodeId, bool isAltNode);
  virtual ~CFiPrivateData();
  CFiPrivateData(const CFiPrivateData&) = delete;
  CFiPrivateData& operator=(const CFiPrivateData&) = delete;

  // Modes are 0 and 1 (1 is the snapshot configuration); any other mode
  // is taken as 0.
  virtual bool hasConfigInfoList(int mode) const;
  virtual bool hasConfigDataList(int mode) const;
  // Merges the default values of `info` (or, when null, of this object's
  // own description list of the mode, if it has one) into the value list
  // of the mode: an empty value list becomes the defaults; otherwise a
  // default is added only when no present key contains its key.
  virtual void addDefaultConfigParamsToDataList(int mode, CFiConfigParamInfoList* info);
  // The list of the mode, created empty on first use.
  virtual CFiConfigParamInfoList& configInfoList(int mode);
  virtual CFiConfigParamDataList& configDataList(int mode);
  virtual void setIntent(qlb_intent intent);
  virtual qlb_intent getIntent() const;
  virtual void setSplitType(const char* splitType);  // null is ignored
  virtual std::string getSplitType() const;
  virtual void setSessionId(const char* sessionId);  // null is ignored
  virtual std::string getSessionId() const;
  virtual std::vector<tstring> getHostList() const;
  // Replaces the host list by the names of the record's entries, in order;
  // entries without a name are skipped, a null record empties the list.
  virtual void setHostList(qlb_host_infn* hosts);
  virtual bool getTransportable() const;
  virtual void setTransportable(bool transportable);
  // Ignores the blob and returns 0; a provider that keeps state overrides it.
  virtual int setNodeState(qlb_blob* blob);
  // Fills the blob with the node state: the wide text of the NODE_NAME,
  // IS_ALT_NODE and SESSION_ID lines, in a buffer from quelb_alloc_buf of
  // (characters + 1) * sizeof(wchar_t) bytes that the framework owns; sets
  // the blob's length to that count and its flag to 1. Returns 0, 3 for a
  // null blob, or 5 when the buffer cannot be allocated (blob unchanged).
  virtual int getNodeState(qlb_blob* blob);
  virtual tstring getObjName() const;
  // Appends an id; the caller keeps it alive (ids are not released here).
  virtual void addSubObject(quelb_objid* id);
  // The sub-object ids in order, null when there are none. Valid until the
  // next addSubObject.
  virtual quelb_objid** getSubObjectList();
  virtual int getSubObjectListLength() const;
  virtual void setIsAltNode(bool isAltNode);
  virtual bool getIsAltNode() const;
  virtual std::string getConfiguredTarget() const;
  virtual std::vector<std::string> getTargets() const;
  virtual void addTarget(const std::string& target);
  virtual void setConfiguredTarget(const std::string& target);
  // Resolves the node's snapshot target from the "snapshot_resource_spec"
  // value of mode 1. The value lists resources separated by "[", "]", "&"
  // or line ends; a resource reads
  //   <enclosure>##<source device>;<target device>;...
  // (a target may carry its own "<enclosure>##", of which only the device
  // is used). The first resource whose enclosure and source device equal
  // the node's serial and device (case ignored) gives the targets; the
  // configured target becomes the node's identity with the first target's
  // device. Returns 0, or 6 with one level-1 trace for every failure. A
  // node id that is no identity string throws CFiUdidException.
  virtual int selectTargetFromConfigData();

  void setOwnerGID(uint32_t first, uint32_t second);
  // Copies both values out; 0, or 3 for a null pointer.
  int getOwnerGID(qlb_ownergid* out) const;

  quelb_objid* getObjId() const { return m_objId; }

 private:
  static int index(int mode) { return mode == 1 ? 1 : 0; }

  quelb_objid* m_objId;
  bool m_ownsObjId;
  std::vector<quelb_objid*> m_subObjects;
  bool m_isAltNode;
  std::string m_sessionId;
  std::string m_splitType;
  std::string m_configuredTarget;
  std::vector<std::string> m_targets;
  bool m_transportable;
  std::vector<tstring> m_hostList;
  qlb_intent m_intent;
  std::unique_ptr<CFiConfigParamInfoList> m_configInfo[2];
  std::unique_ptr<CFiConfigParamDataList> m_configData[2];
  qlb_ownergid m_ownerGid;
};

typedef CFiSmartPtr<CFiPrivateData, CFiNullAllocator<CFiPrivateData> > CFiPrivateDataPtr;

// Finds, creates and detaches the private data of nodes. Keeps one map from
// node id (narrow) to data for ordinary nodes and one for alt nodes, so
// that node records of one id share one object; every access to the maps
// is serialised.
class QLB_PDK_EXPORT CFiPrivateDataFactory : public virtual CFiRefCount,
                                             public virtual CFiTraceable {
 public:
  CFiPrivateDataFactory();
  virtual ~CFiPrivateDataFactory();

  // The data attached to the node, or an empty reference.
  virtual CFiPrivateDataPtr get(qlb_domain* node);
  // The data attached to the node; otherwise the data kept under the node's
  // id (in the alt map when `isAltNode`), now attached to the node as well;
  // otherwise a new object, given the factory's trace log, attached and
  // kept. Empty for a null node or a node without an id text.
  virtual CFiPrivateDataPtr create(qlb_domain* node, bool isAltNode);
  // Detaches the node's data. The map entry goes when the last node record
  // that was attached to it is detached, so a node that every record has
  // released leaves nothing behind; the object itself lives on while
  // anybody still refers to it.
  virtual void remove(qlb_domain* node);

  // The data kept under the node id among the ordinary (not alt) nodes, or
  // an empty reference. Creates nothing and attaches nothing.
  CFiPrivateDataPtr find(const tstring& nodeId) const;

  // Number of node ids kept (both maps).
  size_t size() const;

 protected:
  // A new data object for the node id.
  virtual CFiPrivateData* makeData(const tstring& nodeId, bool isAltNode) = 0;

 private:
  struct Entry {
    CFiPrivateDataPtr data;
    int attached = 0;
  };
  typedef std::map<std::string, Entry> Map;

  mutable std::mutex m_lock;
  Map m_nodes;
  Map m_altNodes;
};

template <class T>
class CFiPrivateDataConcreteFactory : public CFiPrivateDataFactory {
 protected:
  CFiPrivateData* makeData(const tstring& nodeId, bool isAltNode) override {
    return new T(nodeId, isAltNode);
  }
};

typedef CFiSmartPtr<CFiPrivateDataFactory, CFiNullAllocator<CFiPrivateDataFactory> >
    CFiPrivateDataFactoryPtr;

// The process-wide holder of the private data factory. Until a provider
// registers its own, a factory of plain CFiPrivateData serves.
class QLB_PDK_EXPORT CFiPrivateDataManager : public virtual CFiRefCount,
                                             public virtual CFiTraceable {
 public:
  CFiPrivateDataManager();
  virtual ~CFiPrivateDataManager();

  // Replaces the factory; a factory without a trace log gets the manager's.
  void registerFactory(const CFiPrivateDataFactoryPtr& factory);
  CFiPrivateDataFactoryPtr getFactory();

  CFiPrivateDataPtr get(qlb_domain* node);
  CFiPrivateDataPtr create(qlb_domain* node, bool isAltNode);
  void remove(qlb_domain* node);
  // The data kept under the node id for an ordinary node (see the
  // factory's find).
  CFiPrivateDataPtr find(const tstring& nodeId);

  // Also hands the trace log to the current factory.
  void setTraceLog(const CFiTraceLogPtr& traceLog) override;

 private:
  std::mutex m_lock;
  CFiPrivateDataFactoryPtr m_factory;
};

typedef CFiSmartPtr<CFiPrivateDataManager, CFiNullAllocator<CFiPrivateDataManager> >
    CFiPrivateDataManagerPtr;

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIPRIVATEDATA_H
