// CFiSaxParser: parses XML held in memory (a string, or lines joined without
// separators) with the Xerces-C SAX2 reader and feeds it to one handler.
//
// Each parser holds one use of the Xerces platform for its lifetime. The
// platform's use count is not thread-safe in Xerces itself, so every
// Initialize and Terminate goes through one process-wide lock; parsers may
// be made and destroyed on many threads at once. No Xerces object of the
// parser outlives its Terminate, and exceptions leaving parse() are copies
// that do not depend on the platform.
//
// Documents are untrusted: the reader never loads an external DTD and never
// resolves an external entity by itself, so no document can make the
// library open a file or a network address. The one file it may open is a
// schema the caller names with setInputSchema. Every parse runs under the
// limits of SFiSaxLimits (cfisaxlimits.h): nesting depth, attribute length,
// a total budget for entity expansion and a memory budget for the reader,
// so that time and memory stay linear in the size of the document; a
// document that breaks one fails with a SAXParseException that names the
// limit (also reported to the handler as a fatal error).
#ifndef QLB_PDK_CFISAXPARSER_H
#define QLB_PDK_CFISAXPARSER_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/util/SecurityManager.hpp>

#include "cfiexport.h"
#include "cfisaxlimits.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiSaxParser {
 public:
  // Runs init(), then setHandler(handler) and setInputSchema(schema) for
  // those given (non-null). The handler is not owned.
  explicit CFiSaxParser(xercesc::DefaultHandler* handler = nullptr, const char* schema = nullptr);
  ~CFiSaxParser();
  CFiSaxParser(const CFiSaxParser&) = delete;
  CFiSaxParser& operator=(const CFiSaxParser&) = delete;

  // Takes a use of the Xerces platform and creates a non-validating,
  // namespace-unaware reader. A failure leaves the parser unusable; parse()
  // then throws std::runtime_error. A second call does nothing.
  void init();
  // Registers the handler as content and error handler.
  void setHandler(xercesc::DefaultHandler* handler);
  // Validates against the schema file at `schema` (no namespace).
  void setInputSchema(const char* schema);

  // Parses the document in place (no copy) under the system id
  // "quelb_sax_parser". Well-formedness errors go to the handler; what the
  // reader throws propagates as xercesc::SAXParseException (also for
  // XMLException of the reader, whose message it carries, and for a broken
  // limit), xercesc::SAXException or std::bad_alloc.
  void parse(const std::string& document);
  // Parses the lines as one document, joined without any separator. The
  // reader takes them where they are: no joined copy is made.
  void parse(const std::vector<std::string>& lines);

  // The limits of the next parses (the defaults of SFiSaxLimits unless
  // changed here).
  const SFiSaxLimits& limits() const { return m_limits; }
  void setLimits(const SFiSaxLimits& limits);

 private:
  class PlatformUse;
  class SchemaResolver;

  // Creates the reader (with its memory budget) and sets it up.
  void createReader();
  // Drops the reader for a new one; null when that fails.
  void replaceReader();
  // Parses `source`, a document of `size` bytes, under the limits.
  void parseSource(const xercesc::InputSource& source, std::size_t size);

  SFiSaxLimits m_limits;
  xercesc::DefaultHandler* m_handler;  // not owned
  std::string m_schema;                // the schema of setInputSchema, empty without
  // Declared in the order they are needed: they go in the reverse order,
  // the reader first (it refers to the others and allocates through the
  // budget) and the platform use last.
  std::unique_ptr<PlatformUse> m_platform;
  std::unique_ptr<CFiSaxMemoryBudget> m_budget;
  std::unique_ptr<CFiSaxLimitGuard> m_guard;
  std::unique_ptr<xercesc::SecurityManager> m_security;
  std::unique_ptr<SchemaResolver> m_schemaResolver;
  std::unique_ptr<xercesc::SAX2XMLReader> m_reader;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFISAXPARSER_H
