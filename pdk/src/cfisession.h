// Sessions carry the split nodes of one snapshot from select to make.
//
// CFiSession: a session id and, per node (keyed by the node's name as narrow
// text), a record of the node name, the snapshot name that make fills, the
// split node's name (the snapshot method) and a status.
// CFiSessionManager: the process-wide map from session id to session.
// Sessions are made on first use of an id and live until the process ends.
#ifndef QLB_PDK_CFISESSION_H
#define QLB_PDK_CFISESSION_H

#include <quelb/quelb_records.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "cfiexport.h"
#include "cfirefcount.h"
#include "cfismartptr.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

struct CFiSessionNode {
  tstring nodeName;       // the node's wide name
  tstring snapshotName;   // empty until make records it
  std::string splitName;  // the split node's narrow name: the snapshot method
  int status = 0;         // 0 when added, 1 once the snapshot name is recorded
};

class QLB_PDK_EXPORT CFiSession : public virtual CFiRefCount {
 public:
  explicit CFiSession(const std::string& sessionId);
  virtual ~CFiSession();

  const std::string& getSessionId() const { return m_sessionId; }

  // For each split node: the entry keyed by the node's name becomes a fresh
  // record of the node name and the split node's name. Null entries, and
  // split nodes without a node or node name, are skipped.
  void addSplitNodes(qlb_splitnode** list, int count);

  // The records in key order.
  std::vector<CFiSessionNode> getNodes() const;
  // The record of the node, if any.
  bool getNode(const tstring& nodeName, CFiSessionNode& out) const;

  // Records the snapshot name of a node and sets its status to 1; returns
  // 0, or 19 when the session holds no record for the node.
  int setSnapshotName(const tstring& nodeName, const tstring& snapshotName);

 private:
  std::string m_sessionId;
  mutable std::mutex m_lock;
  std::map<std::string, CFiSessionNode> m_nodes;
};

typedef CFiSmartPtr<CFiSession, CFiNullAllocator<CFiSession> > CFiSessionPtr;

class QLB_PDK_EXPORT CFiSessionManager : public virtual CFiRefCount {
 public:
  CFiSessionManager();
  virtual ~CFiSessionManager();

  // Empty for a null id; the known session; else a new session entered under
  // the id.
  CFiSessionPtr get(const char* sessionId);
  size_t size() const;

 private:
  mutable std::mutex m_lock;
  std::map<std::string, CFiSessionPtr> m_sessions;
};

typedef CFiSmartPtr<CFiSessionManager, CFiNullAllocator<CFiSessionManager> > CFiSessionManagerPtr;

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFISESSION_H
