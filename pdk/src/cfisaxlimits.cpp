#include "cfisaxlimits.h"

#include <new>
#include <xercesc/sax/Locator.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/XMLString.hpp>

#include "cfisaxhandler.h"

namespace quelb_pdk_4_4 {

namespace {

// Each block carries its size in front, padded to keep the alignment
// operator new gives.
const std::size_t kHeader = alignof(std::max_align_t);

std::u16string utf16(const std::string& text) {
  return std::u16string(text.begin(), text.end());  // ASCII texts only
}

}  // namespace

// --- CFiSaxMemoryBudget ----------------------------------------------------

xercesc::MemoryManager* CFiSaxMemoryBudget::getExceptionMemoryManager() {
  return fiSaxExceptionMemoryManager();
}

void* CFiSaxMemoryBudget::allocate(XMLSize_t size) {
  if (size > m_budget || m_held > m_budget - size) {
    m_refused = true;
    throw xercesc::OutOfMemoryException();
  }
  void* block = ::operator new(size + kHeader, std::nothrow);
  if (!block) throw xercesc::OutOfMemoryException();
  *static_cast<std::size_t*>(block) = size;
  m_held += size;
  return static_cast<char*>(block) + kHeader;
}

void CFiSaxMemoryBudget::deallocate(void* p) {
  if (!p) return;
  void* block = static_cast<char*>(p) - kHeader;
  m_held -= *static_cast<std::size_t*>(block);
  ::operator delete(block);
}

// --- CFiSaxLimitGuard -------------------------------------------------------

void CFiSaxLimitGuard::begin(std::size_t size) {
  m_documentSize = size;
  m_depth = 0;
  m_delivered = 0;
  m_locator = nullptr;
}

void CFiSaxLimitGuard::fail(const std::string& reason) {
  const std::u16string message = utf16(reason);
  const XMLFileLoc line = m_locator ? m_locator->getLineNumber() : 0;
  const XMLFileLoc column = m_locator ? m_locator->getColumnNumber() : 0;
  const xercesc::SAXParseException exc(message.c_str(), nullptr, nullptr, line, column,
                                       fiSaxExceptionMemoryManager());
  if (m_target) m_target->fatalError(exc);
  throw exc;
}

void CFiSaxLimitGuard::failOutsideEvents(const std::string& reason) {
  m_locator = nullptr;
  fail(reason);
}

void CFiSaxLimitGuard::deliver(std::size_t length) {
  m_delivered += length;
  if (m_delivered > m_documentSize && m_delivered - m_documentSize > m_limits.maxExpansion) {
    fail("The XML document expands by more than the limit of " +
         std::to_string(m_limits.maxExpansion) + " characters (entities or default attributes)");
  }
}

void CFiSaxLimitGuard::setDocumentLocator(const xercesc::Locator* const locator) {
  m_locator = locator;
  if (m_target) m_target->setDocumentLocator(locator);
}

void CFiSaxLimitGuard::startDocument() {
  if (m_target) m_target->startDocument();
}

void CFiSaxLimitGuard::endDocument() {
  if (m_target) m_target->endDocument();
}

void CFiSaxLimitGuard::startElement(const XMLCh* const uri, const XMLCh* const localname,
                                    const XMLCh* const qname, const xercesc::Attributes& attrs) {
  if (++m_depth > m_limits.maxDepth) {
    fail("The XML document nests elements deeper than the limit of " +
         std::to_string(m_limits.maxDepth));
  }
  const XMLSize_t count = attrs.getLength();
  for (XMLSize_t i = 0; i < count; ++i) {
    const std::size_t length = xercesc::XMLString::stringLen(attrs.getValue(i));
    if (length > m_limits.maxAttributeLength) {
      fail("An attribute value of the XML document is longer than the limit of " +
           std::to_string(m_limits.maxAttributeLength) + " characters");
    }
    deliver(length);
  }
  if (m_target) m_target->startElement(uri, localname, qname, attrs);
}

void CFiSaxLimitGuard::endElement(const XMLCh* const uri, const XMLCh* const localname,
                                  const XMLCh* const qname) {
  if (m_depth > 0) --m_depth;
  if (m_target) m_target->endElement(uri, localname, qname);
}

void CFiSaxLimitGuard::characters(const XMLCh* const chars, const XMLSize_t length) {
  deliver(length);
  if (m_target) m_target->characters(chars, length);
}

void CFiSaxLimitGuard::ignorableWhitespace(const XMLCh* const chars, const XMLSize_t length) {
  deliver(length);
  if (m_target) m_target->ignorableWhitespace(chars, length);
}

void CFiSaxLimitGuard::processingInstruction(const XMLCh* const target, const XMLCh* const data) {
  if (m_target) m_target->processingInstruction(target, data);
}

void CFiSaxLimitGuard::skippedEntity(const XMLCh* const name) {
  if (m_target) m_target->skippedEntity(name);
}

void CFiSaxLimitGuard::warning(const xercesc::SAXParseException& exc) {
  if (m_target) m_target->warning(exc);
}

void CFiSaxLimitGuard::error(const xercesc::SAXParseException& exc) {
  if (m_target) m_target->error(exc);
}

void CFiSaxLimitGuard::fatalError(const xercesc::SAXParseException& exc) {
  if (m_target) m_target->fatalError(exc);
}

void CFiSaxLimitGuard::resetErrors() {
  if (m_target) m_target->resetErrors();
}

}  // namespace quelb_pdk_4_4
