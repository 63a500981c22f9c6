// The limits under which CFiSaxParser reads a document, and the two pieces
// that enforce them: a memory budget for the Xerces reader and a guard that
// stands between the reader and the caller's handler.
//
// Every document the kit parses comes from outside: the output of a
// command-line tool, or a framework text. The limits keep the cost of any
// document, however it is shaped, linear in its size, and make an absurd
// one fail with an error that names the limit it broke.
#ifndef QLB_PDK_CFISAXLIMITS_H
#define QLB_PDK_CFISAXLIMITS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <xercesc/framework/MemoryManager.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

// Why the defaults are what they are: the largest document the kit reads
// is a device listing of a full array (65,536 devices, one element per line,
// nesting six deep, values of a few dozen characters, no DTD). Each limit
// is far beyond that and far below what would hurt the process.
struct QLB_PDK_EXPORT SFiSaxLimits {
  // Elements open at once. Real documents nest fewer than ten deep; each
  // level costs the reader an element-stack entry.
  std::size_t maxDepth = 256;
  // Characters of one attribute value. Real values are names, states and
  // numbers; the reader holds a value whole (twice, as it is built and as
  // it is handed over), so a long one costs memory at once.
  std::size_t maxAttributeLength = 64 * 1024;
  // Entity expansion as a total: the text the reader delivers (character
  // data and attribute values, default attributes included) may exceed the
  // document's own size by at most this many characters. Without entities
  // the reader never delivers more than the document holds, so this is the
  // room the internal entities of a document get, together, however many
  // references and whatever nesting they use. The reader's own count of
  // expansions (maxEntityExpansions) stays as a second bound.
  std::size_t maxExpansion = 1024 * 1024;
  std::size_t maxEntityExpansions = 1000;
  // Bytes the Xerces reader may hold at once for one document (its buffers,
  // names, element stack and the value being built). A listing of any size
  // needs well under a megabyte, since values are handed over as they are
  // read; the budget stops what no other limit sees in time: a value,
  // name, comment or CDATA section of absurd length is built whole before
  // the guard can look at it.
  std::size_t readerMemoryBudget = 32 * 1024 * 1024;
};

// The Xerces reader's memory manager: counts the bytes the reader holds and
// refuses (with xercesc::OutOfMemoryException, which the reader is built to
// unwind from) an allocation that would take it over the budget.
// Exceptions are made with the kit's own manager, never refused.
class QLB_PDK_EXPORT CFiSaxMemoryBudget : public xercesc::MemoryManager {
 public:
  explicit CFiSaxMemoryBudget(std::size_t budget) : m_budget(budget) {}
  ~CFiSaxMemoryBudget() override {}
  CFiSaxMemoryBudget(const CFiSaxMemoryBudget&) = delete;
  CFiSaxMemoryBudget& operator=(const CFiSaxMemoryBudget&) = delete;

  xercesc::MemoryManager* getExceptionMemoryManager() override;
  void* allocate(XMLSize_t size) override;
  void deallocate(void* p) override;

  std::size_t budget() const { return m_budget; }
  std::size_t held() const { return m_held; }
  // True once an allocation was refused; cleared by clearRefused().
  bool refused() const { return m_refused; }
  void clearRefused() { m_refused = false; }

 private:
  std::size_t m_budget;
  std::size_t m_held = 0;
  bool m_refused = false;
};

// Stands between the reader and the caller's handler: forwards every
// content and error event, and counts depth, attribute lengths and the text
// delivered. An event that breaks a limit is reported to the handler as a
// fatal error and thrown as xercesc::SAXParseException, which ends the
// parse; nothing of that event reaches the handler.
class QLB_PDK_EXPORT CFiSaxLimitGuard : public xercesc::DefaultHandler {
 public:
  explicit CFiSaxLimitGuard(const SFiSaxLimits& limits) : m_limits(limits) {}
  CFiSaxLimitGuard(const CFiSaxLimitGuard&) = delete;
  CFiSaxLimitGuard& operator=(const CFiSaxLimitGuard&) = delete;

  // The handler events go to (not owned; may be null).
  void setTarget(xercesc::DefaultHandler* target) { m_target = target; }
  // Starts a document of `size` bytes: the counts begin again.
  void begin(std::size_t size);
  // Reports a limit broken outside the events (the reader's memory, seen
  // once the reader has given up): to the handler as a fatal error without
  // a position, then thrown.
  [[noreturn]] void failOutsideEvents(const std::string& reason);

  void setDocumentLocator(const xercesc::Locator* const locator) override;
  void startDocument() override;
  void endDocument() override;
  void startElement(const XMLCh* const uri, const XMLCh* const localname, const XMLCh* const qname,
                    const xercesc::Attributes& attrs) override;
  void endElement(const XMLCh* const uri, const XMLCh* const localname,
                  const XMLCh* const qname) override;
  void characters(const XMLCh* const chars, const XMLSize_t length) override;
  void ignorableWhitespace(const XMLCh* const chars, const XMLSize_t length) override;
  void processingInstruction(const XMLCh* const target, const XMLCh* const data) override;
  void skippedEntity(const XMLCh* const name) override;

  void warning(const xercesc::SAXParseException& exc) override;
  void error(const xercesc::SAXParseException& exc) override;
  void fatalError(const xercesc::SAXParseException& exc) override;
  void resetErrors() override;

 private:
  // Counts `length` delivered characters against the expansion budget.
  void deliver(std::size_t length);
  // Reports a broken limit to the handler as a fatal error and throws it.
  [[noreturn]] void fail(const std::string& reason);

  SFiSaxLimits m_limits;
  xercesc::DefaultHandler* m_target = nullptr;
  const xercesc::Locator* m_locator = nullptr;
  std::size_t m_documentSize = 0;
  std::size_t m_depth = 0;
  std::size_t m_delivered = 0;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFISAXLIMITS_H
