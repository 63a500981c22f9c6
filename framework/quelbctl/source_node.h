// SourceNode: one source device of a snapshot as the framework holds it.
// The device's node is offered to the provider (interpose); the interposer
// node that comes back ("<provider>" + the device's identity) is the node
// the framework initialises (init_node), configures (config) and hands to
// select, prepare and make in a split node of the snapshot method. The
// destructor releases it as the framework does: deinit_node when it was
// initialised, then the ids the provider handed out, with the utility
// library.
#ifndef QUELBCTL_SOURCE_NODE_H
#define QUELBCTL_SOURCE_NODE_H

#include <quelb/quelb_pgn.h>

#include <string>

class SourceNode {
 public:
  // `identity`: the device's identity string; `method`: the snapshot method.
  SourceNode(const qlb_pgn_table& pgn, const std::string& identity, const std::string& method);
  ~SourceNode();
  SourceNode(const SourceNode&) = delete;
  SourceNode& operator=(const SourceNode&) = delete;

  // interpose: true when the provider took the device and handed out the
  // interposer node's id.
  bool interpose();
  // init_node on the interposer node; its result.
  int initialise();
  // config operation 5 (set values) in mode 1 with the value list text;
  // its result. The text the provider hands back is freed.
  int configure(const std::string& sessionId, const std::wstring& valueList);

  qlb_splitnode* split() { return &m_split; }
  const std::string& identity() const { return m_identity; }
  // The interposer node's id text (empty before interpose).
  std::string name() const;

 private:
  const qlb_pgn_table& m_pgn;
  std::string m_identity;
  std::string m_method;
  qlb_domain m_node;
  int m_support;
  quelb_objid** m_groups;
  int m_groupCount;
  bool m_initialised;
  qlb_splitnode m_split;
};

#endif  // QUELBCTL_SOURCE_NODE_H
