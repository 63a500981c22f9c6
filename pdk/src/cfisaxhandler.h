// CFiSaxParseHandler: base of every SAX content handler of the kit and the
// provider. Collects character data as narrow (UTF-8) text and records parse
// errors instead of throwing them at once; a concrete handler's result
// getter calls throwLastError() before it hands out its result.
//
// A recorded error is held with a memory manager of the kit's own, not the
// Xerces platform's, so it (and every copy thrown from throwLastError) stays
// valid after the last parser has ended the Xerces platform use. A handler
// therefore needs no Xerces initialisation of its own and may outlive its
// parser.
#ifndef QLB_PDK_CFISAXHANDLER_H
#define QLB_PDK_CFISAXHANDLER_H

#include <cstddef>
#include <string>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiSaxParseHandler : public xercesc::DefaultHandler {
 public:
  CFiSaxParseHandler();
  ~CFiSaxParseHandler() override;
  CFiSaxParseHandler(const CFiSaxParseHandler&) = delete;
  CFiSaxParseHandler& operator=(const CFiSaxParseHandler&) = delete;

  // Do nothing here; concrete handlers override them.
  void startElement(const XMLCh* const uri, const XMLCh* const localname, const XMLCh* const qname,
                    const xercesc::Attributes& attrs) override;
  void endElement(const XMLCh* const uri, const XMLCh* const localname,
                  const XMLCh* const qname) override;

  // Appends the characters, as UTF-8, to the collected text.
  void characters(const XMLCh* const chars, const XMLSize_t length) override;

  // Each records the exception as the last error (the last one wins) and
  // sets the error flag; parsing goes on as far as the reader allows.
  void error(const xercesc::SAXParseException& exc) override;
  void fatalError(const xercesc::SAXParseException& exc) override;
  void warning(const xercesc::SAXParseException& exc) override;

  bool hasLastError() const { return m_hasError; }
  // A copy of the last recorded exception (no message, line and column 0
  // when nothing was recorded).
  xercesc::SAXParseException getLastError() const { return m_lastError; }
  // Throws a copy of the last recorded exception when one was recorded and
  // it has a message.
  void throwLastError() const;

  // Xerces text as UTF-8; empty for null. Independent of the process locale.
  static std::string toString(const XMLCh* text);
  // The same as wide text.
  static std::wstring toWString(const XMLCh* text);

 protected:
  // Appends `length` UTF-16 units of `text` to `out` as UTF-8. An unpaired
  // surrogate becomes U+FFFD.
  static void appendUtf8(std::string& out, const XMLCh* text, std::size_t length);
  // Replaces `out` by the UTF-8 form of a null-terminated Xerces text,
  // reusing its storage.
  static void assignUtf8(std::string& out, const XMLCh* text);

  void recordError(const xercesc::SAXParseException& exc);

 private:
  xercesc::SAXParseException m_lastError;
  bool m_hasError;

 protected:
  // Character data collected since a handler last cleared it; concrete
  // handlers clear it in their endElement.
  std::string m_text;
};

// The kit's memory manager for Xerces exceptions: the C++ runtime's heap,
// alive for the whole process.
QLB_PDK_EXPORT xercesc::MemoryManager* fiSaxExceptionMemoryManager();

// Copies a Xerces parse exception onto the kit's own memory manager, so
// that the copy does not depend on the Xerces platform staying initialised.
QLB_PDK_EXPORT xercesc::SAXParseException fiDetachSaxParseException(
    const xercesc::SAXParseException& exc);

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFISAXHANDLER_H
