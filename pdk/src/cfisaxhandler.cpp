#include "cfisaxhandler.h"

#include <new>
#include <xercesc/framework/MemoryManager.hpp>

#include "cfistringtool.h"
#include "utf8.h"

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

// Appends `text` as UTF-8 up to `length` units or its terminator, which
// comes first. Converted through a small buffer and appended a chunk at a
// time: tool output is long runs of ASCII. The buffer is flushed before any
// character once fewer bytes than the longest sequence are left in it. An
// unpaired surrogate becomes U+FFFD.
void appendUtf8Until(std::string& out, const XMLCh* text, std::size_t length) {
  if (!text) return;
  char chunk[256];
  std::size_t used = 0;
  for (std::size_t i = 0; i < length && text[i] != 0; ++i) {
    if (used > sizeof(chunk) - 4) {
      out.append(chunk, used);
      used = 0;
    }
    unsigned long cp = text[i];
    if (cp < 0x80) {
      chunk[used++] = static_cast<char>(cp);
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    used += boundedtext::encodeUtf8(cp, chunk + used);
  }
  out.append(chunk, used);
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
    : m_lastError(nullptr, nullptr, nullptr, 0, 0, fiSaxExceptionMemoryManager()),
      m_hasError(false) {}

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

// Attribute values are mostly short ASCII texts: those are narrowed
// straight into `out` in one pass; from the first other character on the
// rest is converted unit by unit.
void CFiSaxParseHandler::assignUtf8(std::string& out, const XMLCh* text) {
  out.clear();
  if (!text) return;
  std::size_t n = 0;
  for (; text[n] != 0 && text[n] < 0x80; ++n) out.push_back(static_cast<char>(text[n]));
  if (text[n] != 0) appendUtf8Until(out, text + n, static_cast<std::size_t>(-1));
}

void CFiSaxParseHandler::appendUtf8(std::string& out, const XMLCh* text, std::size_t length) {
  appendUtf8Until(out, text, length);
}

}  // namespace quelb_pdk_4_4
