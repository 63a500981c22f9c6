#include "cfisaxhandler.h"

#include <new>

#include <xercesc/framework/MemoryManager.hpp>

#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

namespace {

// Allocates with the C++ runtime. Unlike the Xerces platform's manager it
// exists for the whole process, so exceptions held on it survive the last
// XMLPlatformUtils::Terminate.
class KitMemoryManager : public xercesc::MemoryManager {
 public:
  xercesc::MemoryManager* getExceptionMemoryManager() override { return this; }
  void* allocate(XMLSize_t size) override { return ::operator new(size); }
  void deallocate(void* p) override { ::operator delete(p); }
};

const XMLCh kEmpty[] = {0};

void appendCodePoint(std::string& out, unsigned long cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

xercesc::MemoryManager* fiSaxExceptionMemoryManager() {
  static KitMemoryManager manager;
  return &manager;
}

xercesc::SAXParseException fiDetachSaxParseException(const xercesc::SAXParseException& exc) {
  return xercesc::SAXParseException(exc.getMessage(), exc.getPublicId(), exc.getSystemId(),
                                    exc.getLineNumber(), exc.getColumnNumber(),
                                    fiSaxExceptionMemoryManager());
}

CFiSaxParseHandler::CFiSaxParseHandler()
    : m_lastError(nullptr, nullptr, nullptr, 0, 0, fiSaxExceptionMemoryManager()), m_hasError(false) {}

CFiSaxParseHandler::~CFiSaxParseHandler() {}

void CFiSaxParseHandler::startElement(const XMLCh* const, const XMLCh* const, const XMLCh* const,
                                      const xercesc::Attributes&) {}

void CFiSaxParseHandler::endElement(const XMLCh* const, const XMLCh* const, const XMLCh* const) {}

void CFiSaxParseHandler::characters(const XMLCh* const chars, const XMLSize_t length) {
  appendUtf8(m_text, chars, length);
}

void CFiSaxParseHandler::error(const xercesc::SAXParseException& exc) { recordError(exc); }
void CFiSaxParseHandler::fatalError(const xercesc::SAXParseException& exc) { recordError(exc); }
void CFiSaxParseHandler::warning(const xercesc::SAXParseException& exc) { recordError(exc); }

void CFiSaxParseHandler::recordError(const xercesc::SAXParseException& exc) {
  m_lastError = fiDetachSaxParseException(exc);
  m_hasError = true;
}

void CFiSaxParseHandler::throwLastError() const {
  const XMLCh* message = m_lastError.getMessage();
  if (m_hasError && message && *message) throw xercesc::SAXParseException(m_lastError);
}

std::string CFiSaxParseHandler::toString(const XMLCh* text) {
  std::string out;
  assignUtf8(out, text);
  return out;
}

std::wstring CFiSaxParseHandler::toWString(const XMLCh* text) {
  return CFiStringTool::str2wstr(toString(text));
}

void CFiSaxParseHandler::assignUtf8(std::string& out, const XMLCh* text) {
  out.clear();
  if (!text) text = kEmpty;
  std::size_t length = 0;
  while (text[length]) ++length;
  appendUtf8(out, text, length);
}

void CFiSaxParseHandler::appendUtf8(std::string& out, const XMLCh* text, std::size_t length) {
  if (!text) return;
  for (std::size_t i = 0; i < length; ++i) {
    unsigned long unit = text[i];
    if (unit < 0x80) {
      out.push_back(static_cast<char>(unit));
      continue;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      unsigned long low = text[++i];
      appendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      appendCodePoint(out, 0xFFFD);
    } else {
      appendCodePoint(out, unit);
    }
  }
}

}  // namespace quelb_pdk_4_4
