// SAX handlers that read the configuration parameter documents.
//
// CFiValueListHandler: a value list whose list and record element names
//   are given ("ConfigValueList"/"ConfigValue" for parameter values, see
//   CFiConfigValueHandler; the format options use their own names).
// CFiConfigParamHandler: a description list ("ConfigParamList").
//
// Each element's text is what it holds directly (collected from its start
// to its end). Unknown elements are ignored. The result getters rethrow a
// recorded parse error (xercesc::SAXParseException) first.
#ifndef QLB_PDK_CFICONFIGHANDLER_H
#define QLB_PDK_CFICONFIGHANDLER_H

#include <map>
#include <string>

#include "cficonfig.h"
#include "cfiexport.h"
#include "cfisaxhandler.h"

namespace quelb_pdk_4_4 {

// Base of both: the lists write XML 1.0, which carries no control
// character but tab, line feed and carriage return. An XML 1.1 document
// can hold the others as character references; a list could not write
// such a text back, so it is recorded as a parse error and the document is
// rejected like a malformed one.
class QLB_PDK_EXPORT CFiConfigTextHandler : public CFiSaxParseHandler {
 public:
  void characters(const XMLCh* const chars, const XMLSize_t length) override;
};

class QLB_PDK_EXPORT CFiValueListHandler : public CFiConfigTextHandler {
 public:
  typedef std::map<std::string, CFiValueRecord> Records;

  CFiValueListHandler(const char* listElement, const char* recordElement);

  void startElement(const XMLCh* const uri, const XMLCh* const localname, const XMLCh* const qname,
                    const xercesc::Attributes& attrs) override;
  void endElement(const XMLCh* const uri, const XMLCh* const localname,
                  const XMLCh* const qname) override;

  // The records read, by key (a later record of a key replaces an earlier).
  const Records& getRecords() const;
  // The list element was closed.
  bool isFinished() const { return m_finished; }

 private:
  std::string m_listElement;
  std::string m_recordElement;
  Records m_records;
  CFiValueRecord m_current;
  bool m_inValueList;
  bool m_finished;
};

// Parameter values: "ConfigValueList" of "ConfigValue"s.
class QLB_PDK_EXPORT CFiConfigValueHandler : public CFiValueListHandler {
 public:
  CFiConfigValueHandler();
};

class QLB_PDK_EXPORT CFiConfigParamHandler : public CFiConfigTextHandler {
 public:
  typedef std::map<std::string, CFiConfigParamInfo> Params;

  CFiConfigParamHandler();

  void startElement(const XMLCh* const uri, const XMLCh* const localname, const XMLCh* const qname,
                    const xercesc::Attributes& attrs) override;
  void endElement(const XMLCh* const uri, const XMLCh* const localname,
                  const XMLCh* const qname) override;

  const Params& getParams() const;
  bool isFinished() const { return m_finished; }

 private:
  Params m_params;
  CFiConfigParamInfo m_current;
  bool m_finished;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFICONFIGHANDLER_H
