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
#include <unordered_set>
#include <utility>
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
  // The value as a director, normalised (emcSymNormaliseDirector).
  void readDirector(std::string& field);
  // The value as CFiStringTool::str2uint reads it; an empty value leaves
  // `field` as it was.
  void readUnsigned(unsigned& field);

  // Name comparisons without converting the name. The case-insensitive
  // form follows CFiStringTool::CompareNoCase: ASCII letters compared
  // upper-cased, everything else exactly.
  //
  // Against a literal the comparison is unrolled over the literal's
  // characters and its terminator, each a constant of the code, and stops
  // at the first difference (so it never reads past a shorter name's
  // end): a listing compares names several times per device, and a loop
  // over the literal costs about twice as much. The comparisons are forced
  // inline: left to itself the compiler calls the longer ones out of line,
  // and the calls cost more than the comparing.
  template <std::size_t N>
  [[gnu::always_inline]] static bool is(const XMLCh* name, const char (&expected)[N]) {
    return sameAt(name, expected, std::make_index_sequence<N>());
  }
  template <std::size_t N>
  [[gnu::always_inline]] static bool isNoCase(const XMLCh* name, const char (&expected)[N]) {
    return sameNoCaseAt(name, expected, std::make_index_sequence<N>());
  }
  // The same against a name known only at run time.
  static bool isText(const XMLCh* name, const char* expected);

  // Set by handlers that read element text; others skip it.
  bool m_collectText = false;

 private:
  static bool sameChar(XMLCh a, char b) { return a == static_cast<unsigned char>(b); }
  static bool sameCharNoCase(XMLCh a, char b) {
    const unsigned expected = static_cast<unsigned char>(b);
    if (a == expected) return true;
    const unsigned lower = expected | 0x20;
    return lower >= 'a' && lower <= 'z' && (static_cast<unsigned>(a) | 0x20) == lower;
  }
  template <std::size_t N, std::size_t... I>
  [[gnu::always_inline]] static bool sameAt(const XMLCh* name, const char (&expected)[N],
                                            std::index_sequence<I...>) {
    return (sameChar(name[I], expected[I]) && ...);
  }
  template <std::size_t N, std::size_t... I>
  [[gnu::always_inline]] static bool sameNoCaseAt(const XMLCh* name, const char (&expected)[N],
                                                  std::index_sequence<I...>) {
    return (sameCharNoCase(name[I], expected[I]) && ...);
  }

  std::string m_value;
  const xercesc::Attributes* m_attributes = nullptr;
  XMLSize_t m_attributeIndex = 0;
};

// A handler whose result is one value of type Result, filled as the
// document is read. getResult() first rethrows a recorded parse error.
template <typename Result>
class CEmcSymResultHandler : public CEmcSymOutputHandler {
 public:
  const Result& getResult() const {
    throwLastError();
    return m_result;
  }
  // The result moved out (the handler is left empty), for callers that
  // keep large results. Rethrows a recorded parse error like getResult.
  Result takeResult() {
    throwLastError();
    return std::move(m_result);
  }

 protected:
  void onStart(const XMLCh*) override {}

  Result m_result;
};

// symcfg -lock list: the numbers of the locks held.
class CEmcSymLockQueryHandler : public CEmcSymResultHandler<std::set<int>> {
 protected:
  void onStart(const XMLCh* element) override;
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onAttributesDone(const XMLCh* element) override;

 private:
  bool m_held = true;
  bool m_hasNumber = false;
  int m_number = 0;
};

// symmir query: one record per BCV pair.
class CEmcSymMirQueryHandler : public CEmcSymResultHandler<std::vector<SEmcSymPairInfo>> {
 protected:
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  SEmcSymPairInfo m_pair;
};

// symmaskdb list database: the host node names, each once.
class CEmcSymMaskdbListDatabaseHandler : public CEmcSymResultHandler<std::vector<std::string>> {
 protected:
  void onAttribute(const XMLCh* element, const XMLCh* name) override;

 private:
  // The names in the result, looked up in constant time: a listing of n
  // records must not cost n times the hosts found so far.
  std::unordered_set<std::string> m_seen;
};

// symcli version query: the version attribute of SYMCLI, or the text of a
// version element.
class CEmcSymVersionHandler : public CEmcSymResultHandler<std::string> {
 public:
  CEmcSymVersionHandler() { m_collectText = true; }

 protected:
  void onStart(const XMLCh* element) override;
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;
};

// symcfg list: the locally attached arrays, in output order.
class CEmcSymCfgListHandler : public CEmcSymResultHandler<std::vector<SEmcSymArrayInfo>> {
 public:
  void startDocument() override;

 protected:
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  SEmcSymArrayInfo m_array;
};

// symdisk list: one record per disk (Disk and its attributes
// case-insensitive).
class CEmcSymMaskDiskHandler : public CEmcSymResultHandler<std::vector<SEmcSymDiskInfo>> {
 protected:
  void onStart(const XMLCh* element) override;
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  SEmcSymDiskInfo m_disk;
};

// symmask discover hba: one record per Host_HBA (Symmetrix, Host_HBA and
// the HBA attributes case-insensitive).
class CEmcSymMaskHbaHandler : public CEmcSymResultHandler<std::vector<SEmcSymHbaInfo>> {
 protected:
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  SEmcSymHbaInfo m_hba;
};

// symmaskdb list assignment: one record per Device, with the symid of the
// Symmetrix element before it and a normalised director.
class CEmcSymMaskdbListAssignmentHandler
    : public CEmcSymResultHandler<std::vector<SEmcSymAssignment>> {
 protected:
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  std::string m_symid;
  SEmcSymAssignment m_assignment;
};

// symdev show / symdev list: one record per Device, with its ports, BCV
// pairs and clone and snap sessions. Everything inside a Meta element (the
// members of a meta device) is skipped.
//
// A Device starts with empty pair, session and port lists; its other
// fields keep what the previous device set until its own attributes
// replace them. The port list is emptied on purpose, like the others:
// ports belong to their device, and keeping them across devices would hand
// every later device the ports of all earlier ones.
class CEmcSymDevShowHandler : public CEmcSymResultHandler<EmcSymDevList> {
 protected:
  void onStart(const XMLCh* element) override;
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onAttributesDone(const XMLCh* element) override;
  void onEnd(const XMLCh* element) override;

 private:
  enum Kind {
    OTHER,
    SYMMETRIX,
    CAPACITY,
    DEVICE,
    PORT,
    CLONE,
    SNAP,
    SRC,
    TGT,
    PAIR,
    STD,
    BCV,
    META
  };
  static Kind kindOf(const XMLCh* element);

  Kind m_kind = OTHER;  // of the element whose attributes are being read
  // The fields a device keeps from the one before it: all but the lists.
  static void copyInherited(const SEmcSymDevInfo& from, SEmcSymDevInfo& to);

  // The result is a deque: records are built in place, so the one being
  // filled must not move as the result grows.
  // The record being filled: the newest one of the result inside a Device
  // element; else a scratch record, made from the last device when an
  // element between devices sets a field (the next device starts from it).
  SEmcSymDevInfo& current();
  // A Device attribute read into `field`, noted in m_deviceFieldsSet.
  void readDeviceField(std::string& field, unsigned bit);
  enum : unsigned {
    kPdName = 1,
    kLdName = 2,
    kDevName = 4,
    kDevGroup = 8,
    kStatus = 16,
    kAttachedBcv = 32
  };
  // The record of the open Device element (the newest of the result), or
  // null between devices.
  SEmcSymDevInfo* m_open = nullptr;
  // While a Device element's attributes are read: the record it inherits
  // from, and which of its identity fields its attributes gave.
  const SEmcSymDevInfo* m_inheritFrom = nullptr;
  unsigned m_deviceFieldsSet = 0;
  SEmcSymDevInfo m_scratch;
  bool m_scratchReady = true;
  SEmcSymPairInfo m_pair;
  SEmcSymSessionInfo m_clone;
  SEmcSymSessionInfo m_snap;
  bool m_inClone = false;
  bool m_inSnap = false;
  bool m_inMeta = false;
  std::string m_portDirector;
  std::string m_port;
};

// symmask list logins: host node name -> the host's Fibre logins, each
// with the director ports it was seen on. All names case-insensitive.
// Logins without a usable node name (empty, "NULL", or the originator port
// WWN itself) and logins of another type than "Fibre" are dropped.
class CEmcSymMaskListLoginHandler
    : public CEmcSymResultHandler<std::map<std::string, SEmcSymMaskHostInfo>> {
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
};

// symmaskdb list database with port names: host node name -> its host
// port names.
class CEmcSymMaskDbHandler
    : public CEmcSymResultHandler<std::map<std::string, std::vector<std::string>>> {
 protected:
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  std::string m_node;
  std::string m_port;
};

// symclone query / symsnap query: the session values last seen. The two
// differ in the name of the state attribute ("state", "snap_state").
class CEmcSymSessionQueryHandler : public CEmcSymResultHandler<SEmcSymSessionInfo> {
 protected:
  explicit CEmcSymSessionQueryHandler(const char* stateAttribute)
      : m_stateAttribute(stateAttribute) {}
  void onAttribute(const XMLCh* element, const XMLCh* name) override;

 private:
  const char* m_stateAttribute;
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
class CEmcSymMaskdbListCapacityHandler : public CEmcSymResultHandler<std::vector<std::string>> {
 protected:
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  std::string m_wwn;
};

// symcfg list -connections: host address -> its director ports, directors
// normalised (Host and Connection case-insensitive).
class CEmcSymCfgListConnectionHandler
    : public CEmcSymResultHandler<std::map<std::string, std::vector<SEmcSymDirectorPort>>> {
 protected:
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  std::string m_host;
  SEmcSymDirectorPort m_directorPort;
  std::vector<SEmcSymDirectorPort> m_current;
};

// symmask list hba: HBA WWN -> the director ports it is seen on, directors
// as printed (Host_HBA and Port case-insensitive).
class CEmcSymMaskListHbaHandler
    : public CEmcSymResultHandler<std::map<std::string, std::vector<SEmcSymDirectorPort>>> {
 protected:
  void onAttribute(const XMLCh* element, const XMLCh* name) override;
  void onEnd(const XMLCh* element) override;

 private:
  std::string m_wwn;
  SEmcSymDirectorPort m_directorPort;
  std::vector<SEmcSymDirectorPort> m_current;
};

#endif  // EMCSYM_HANDLERS_H
