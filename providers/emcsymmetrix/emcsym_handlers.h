// Content handlers of SYMCLI XML output, one per kind of query. The tools
// print each value as an attribute of an element (the attribute form);
// elements are recognised by name wherever they stand, and everything a
// handler does not know is ignored. Each handler is used once with one
// CFiSaxParser; its getResult() first rethrows a recorded parse error as
// xercesc::SAXParseException.
//
// A matched attribute overwrites its field; an absent one leaves the field
// as the previous element left it, unless a handler says it clears it.
// Names match exactly except where a handler says "case-insensitive"
// (CFiStringTool::CompareNoCase). Values are UTF-8 text as printed.
#ifndef EMCSYM_HANDLERS_H
#define EMCSYM_HANDLERS_H

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <xercesc/sax2/Attributes.hpp>

#include "cfisaxhandler.h"
#include "emcsym_records.h"

// "FA-4A" -> "04A", "FA-14A" -> "14A": the part after the first "-",
// with a "0" in front when that part has exactly two characters. A
// director without "-" is returned unchanged.
std::string emcSymNormaliseDirector(const std::string& director);

// Shared plumbing of the handlers: element and attribute names compared in
// place, attribute values converted to UTF-8 only when asked for,
// and no collection of character data unless a handler needs it (large
// listings are mostly attributes and indentation).
class CEmcSymOutputHandler : public quelb_pdk_4_4::CFiSaxParseHandler {
 public:
  void startElement(const XMLCh* const uri, const XMLCh* const localname, const XMLCh* const qname,
                    const xercesc::Attributes& attrs) override;
  void endElement(const XMLCh* const uri, const XMLCh* const localname,
                  const XMLCh* const qname) override;
  void characters(const XMLCh* const chars, const XMLSize_t length) override;

 protected:
  // The element's name; then each attribute in order (its value through
  // value()); then onAttributesDone.
  virtual void onStart(const XMLCh* element) = 0;
  virtual void onAttribute(const XMLCh* element, const XMLCh* name) = 0;
  virtual void onAttributesDone(const XMLCh*) {}
  // End of an element; the collected text is cleared afterwards.
  virtual void onEnd(const XMLCh*) {}

  // The value of the attribute being visited, as UTF-8.
  const std::string& value();
  // The same, written straight into `field`.
  void readValue(std::string& field);

  // Name comparisons without converting the name. The case-insensitive
  // form follows CFiStringTool::CompareNoCase: ASCII letters compared
  // upper-cased, everything else exactly.
  static bool is(const XMLCh* name, const char* expected);
  static bool isNoCase(const XMLCh* name, const char* expected);

  // Set by handlers that read element text; others skip it.
  bool m_collectText = false;

 private:
  std::string m_value;
  const xercesc::Attributes* m_attributes = nullptr;
  XMLSize_t m_attributeIndex = 0;
};

// symcfg -lock list: the numbers of the locks held.
class CEmcSymLockQueryHandler : public CEmcSymOutputHandler {
 public:
  const std::set<int>& getResult() const;

 protected:
  void onStart(const XMLCh* element) override;
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onAttributesDone(const XMLCh* element) override;

 private:
  std::set<int> m_result;
  bool m_held = true;
  bool m_hasNumber = false;
  int m_number = 0;
};

// symmir query: one record per BCV pair.
class CEmcSymMirQueryHandler : public CEmcSymOutputHandler {
 public:
  const std::vector<SEmcSymPairInfo>& getResult() const;

 protected:
  void onStart(const XMLCh*) override {}
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  SEmcSymPairInfo m_pair;
  std::vector<SEmcSymPairInfo> m_result;
};

// symmaskdb list database: the host node names, each once.
class CEmcSymMaskdbListDatabaseHandler : public CEmcSymOutputHandler {
 public:
  const std::vector<std::string>& getResult() const;

 protected:
  void onStart(const XMLCh*) override {}
  void onAttribute(const XMLCh* element, const XMLCh* name) override;

 private:
  std::vector<std::string> m_result;
};

// symcli version query: the version attribute of SYMCLI, or the text of a
// version element.
class CEmcSymVersionHandler : public CEmcSymOutputHandler {
 public:
  CEmcSymVersionHandler() { m_collectText = true; }
  const std::string& getResult() const;

 protected:
  void onStart(const XMLCh* element) override;
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  std::string m_result;
};

// symcfg list: the locally attached arrays, in output order.
class CEmcSymCfgListHandler : public CEmcSymOutputHandler {
 public:
  void startDocument() override;
  const std::vector<SEmcSymArrayInfo>& getResult() const;

 protected:
  void onStart(const XMLCh*) override {}
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  SEmcSymArrayInfo m_array;
  std::vector<SEmcSymArrayInfo> m_result;
};

// symdisk list: one record per disk (Disk and its attributes
// case-insensitive).
class CEmcSymMaskDiskHandler : public CEmcSymOutputHandler {
 public:
  const std::vector<SEmcSymDiskInfo>& getResult() const;

 protected:
  void onStart(const XMLCh* element) override;
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  SEmcSymDiskInfo m_disk;
  std::vector<SEmcSymDiskInfo> m_result;
};

// symmask discover hba: one record per Host_HBA (Symmetrix, Host_HBA and
// the HBA attributes case-insensitive).
class CEmcSymMaskHbaHandler : public CEmcSymOutputHandler {
 public:
  const std::vector<SEmcSymHbaInfo>& getResult() const;

 protected:
  void onStart(const XMLCh*) override {}
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  SEmcSymHbaInfo m_hba;
  std::vector<SEmcSymHbaInfo> m_result;
};

// symmaskdb list assignment: one record per Device, with the symid of the
// Symmetrix element before it and a normalised director.
class CEmcSymMaskdbListAssignmentHandler : public CEmcSymOutputHandler {
 public:
  const std::vector<SEmcSymAssignment>& getResult() const;

 protected:
  void onStart(const XMLCh*) override {}
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  std::string m_symid;
  SEmcSymAssignment m_assignment;
  std::vector<SEmcSymAssignment> m_result;
};

// symdev show / symdev list: one record per Device, with its ports, BCV
// pairs and clone and snap sessions. Everything inside a Meta element (the
// members of a meta device) is skipped.
//
// A Device starts with empty pair, session and port lists; its other
// fields keep what the previous device set until its own attributes
// replace them. Ports belong to their device: keeping them across devices
// would hand every later device the ports of all earlier ones.
class CEmcSymDevShowHandler : public CEmcSymOutputHandler {
 public:
  const std::deque<SEmcSymDevInfo>& getResult() const;

 protected:
  void onStart(const XMLCh* element) override;
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onAttributesDone(const XMLCh* element) override;
  void onEnd(const XMLCh* element) override;

 private:
  enum Kind { OTHER, SYMMETRIX, CAPACITY, DEVICE, PORT, CLONE, SNAP, SRC, TGT, PAIR, STD, BCV, META };
  static Kind kindOf(const XMLCh* element);

  Kind m_kind = OTHER;  // of the element whose attributes are being read
  SEmcSymDevInfo m_device;
  SEmcSymPairInfo m_pair;
  SEmcSymSessionInfo m_clone;
  SEmcSymSessionInfo m_snap;
  bool m_inClone = false;
  bool m_inSnap = false;
  bool m_inMeta = false;
  std::string m_portDirector;
  std::string m_port;
  std::deque<SEmcSymDevInfo> m_result;
};

// symmask list logins: host node name -> the host's Fibre logins, each
// with the director ports it was seen on. All names case-insensitive.
// Logins without a usable node name (empty, "NULL", or the originator port
// WWN itself) and logins of another type than "Fibre" are dropped.
class CEmcSymMaskListLoginHandler : public CEmcSymOutputHandler {
 public:
  const std::map<std::string, SEmcSymMaskHostInfo>& getResult() const;

 protected:
  void onStart(const XMLCh* element) override;
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  enum Kind { OTHER, SYMMETRIX, RECORD, LOGIN };
  Kind m_kind = OTHER;  // of the element whose attributes are being read
  std::string m_symid;
  SEmcSymDirectorPort m_directorPort;
  std::string m_nodeName;
  SEmcSymMaskHbaInfo m_login;
  SEmcSymMaskHostInfo* m_lastHost = nullptr;  // the host of the last stored login
  std::map<std::string, SEmcSymMaskHostInfo> m_result;
};

// symmaskdb list database with port names: host node name -> its host
// port names.
class CEmcSymMaskDbHandler : public CEmcSymOutputHandler {
 public:
  const std::map<std::string, std::vector<std::string> >& getResult() const;

 protected:
  void onStart(const XMLCh*) override {}
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  std::string m_node;
  std::string m_port;
  std::map<std::string, std::vector<std::string> > m_result;
};

// symclone query / symsnap query: the session values last seen. The two
// differ in the name of the state attribute ("state", "snap_state").
class CEmcSymSessionQueryHandler : public CEmcSymOutputHandler {
 public:
  const SEmcSymSessionInfo& getResult() const;

 protected:
  explicit CEmcSymSessionQueryHandler(const char* stateAttribute)
      : m_stateAttribute(stateAttribute) {}
  void onStart(const XMLCh*) override {}
  void onAttribute(const XMLCh* element, const XMLCh* name) override;

 private:
  const char* m_stateAttribute;
  SEmcSymSessionInfo m_result;
};

class CEmcSymCloneQueryHandler : public CEmcSymSessionQueryHandler {
 public:
  CEmcSymCloneQueryHandler() : CEmcSymSessionQueryHandler("state") {}
};

class CEmcSymSnapQueryHandler : public CEmcSymSessionQueryHandler {
 public:
  CEmcSymSnapQueryHandler() : CEmcSymSessionQueryHandler("snap_state") {}
};

// Originator port listing (symmaskdb list capacity): the WWNs of the
// Originator_port elements (case-insensitive).
class CEmcSymMaskdbListCapacityHandler : public CEmcSymOutputHandler {
 public:
  const std::vector<std::string>& getResult() const;

 protected:
  void onStart(const XMLCh*) override {}
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  std::string m_wwn;
  std::vector<std::string> m_result;
};

// symcfg list -connections: host address -> its director ports, directors
// normalised (Host and Connection case-insensitive).
class CEmcSymCfgListConnectionHandler : public CEmcSymOutputHandler {
 public:
  const std::map<std::string, std::vector<SEmcSymDirectorPort> >& getResult() const;

 protected:
  void onStart(const XMLCh*) override {}
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  std::string m_host;
  SEmcSymDirectorPort m_directorPort;
  std::vector<SEmcSymDirectorPort> m_current;
  std::map<std::string, std::vector<SEmcSymDirectorPort> > m_result;
};

// symmask list hba: HBA WWN -> the director ports it is seen on, directors
// as printed (Host_HBA and Port case-insensitive).
class CEmcSymMaskListHbaHandler : public CEmcSymOutputHandler {
 public:
  const std::map<std::string, std::vector<SEmcSymDirectorPort> >& getResult() const;

 protected:
  void onStart(const XMLCh*) override {}
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  std::string m_wwn;
  SEmcSymDirectorPort m_directorPort;
  std::vector<SEmcSymDirectorPort> m_current;
  std::map<std::string, std::vector<SEmcSymDirectorPort> > m_result;
};

#endif  // EMCSYM_HANDLERS_H
