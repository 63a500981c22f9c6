#include "cfisaxparser.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <stdexcept>
#include <xercesc/framework/LocalFileInputSource.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax/EntityResolver.hpp>
#include <xercesc/sax/InputSource.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/BinInputStream.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "cfisaxhandler.h"
#include "utf8.h"

namespace quelb_pdk_4_4 {

using xercesc::XMLUni;

namespace {

// Guards XMLPlatformUtils::Initialize and Terminate, whose use count is
// not thread-safe.
std::mutex& platformLock() {
  static std::mutex lock;
  return lock;
}

// Keeps the Xerces platform initialised from the first parser until the
// library unloads (or the process ends). Initialising and terminating it
// costs more than parsing a typical SYMCLI listing, and every command makes
// a parser of its own. Made and destroyed under platformLock().
class PlatformHold {
 public:
  PlatformHold() { xercesc::XMLPlatformUtils::Initialize(XMLUni::fgXercescDefaultLocale); }
  ~PlatformHold() {
    std::lock_guard<std::mutex> guard(platformLock());
    xercesc::XMLPlatformUtils::Terminate();
  }
};

// Called with platformLock() held.
void holdPlatform() { static PlatformHold hold; }

const char kSystemId[] = "quelb_sax_parser";

// UTF-8 text as a null-terminated UTF-16 string.
std::u16string toXmlText(const std::string& text) {
  std::wstring wide = boundedtext::utf8ToWide(text);
  std::u16string out;
  out.reserve(wide.size() + 1);
  for (wchar_t c : wide) {
    unsigned long cp = static_cast<unsigned long>(c);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

// Reads a list of lines as one stream of bytes, the lines joined without
// separators, straight from the caller's strings.
class LinesStream : public xercesc::BinInputStream {
 public:
  explicit LinesStream(const std::vector<std::string>& lines) : m_lines(lines) {}
  XMLFilePos curPos() const override { return m_position; }
  XMLSize_t readBytes(XMLByte* const toFill, const XMLSize_t maxToRead) override {
    XMLSize_t filled = 0;
    while (filled < maxToRead && m_line < m_lines.size()) {
      const std::string& line = m_lines[m_line];
      const std::size_t take = std::min<std::size_t>(line.size() - m_offset, maxToRead - filled);
      std::memcpy(toFill + filled, line.data() + m_offset, take);
      filled += take;
      m_offset += take;
      if (m_offset == line.size()) {
        ++m_line;
        m_offset = 0;
      }
    }
    m_position += filled;
    return filled;
  }
  const XMLCh* getContentType() const override { return nullptr; }

 private:
  const std::vector<std::string>& m_lines;
  std::size_t m_line = 0;
  std::size_t m_offset = 0;
  XMLFilePos m_position = 0;
};

class LinesSource : public xercesc::InputSource {
 public:
  LinesSource(const std::vector<std::string>& lines, const XMLCh* systemId,
              xercesc::MemoryManager* manager)
      : xercesc::InputSource(systemId, manager), m_lines(lines) {}
  xercesc::BinInputStream* makeStream() const override {
    return new (getMemoryManager()) LinesStream(m_lines);
  }

 private:
  const std::vector<std::string>& m_lines;
};

}  // namespace

// One use of the Xerces platform: Initialize on construction (which
// throws XMLException on failure), Terminate on destruction, both under
// platformLock().
class CFiSaxParser::PlatformUse {
 public:
  PlatformUse() {
    std::lock_guard<std::mutex> guard(platformLock());
    holdPlatform();
    xercesc::XMLPlatformUtils::Initialize(XMLUni::fgXercescDefaultLocale);
  }
  ~PlatformUse() {
    std::lock_guard<std::mutex> guard(platformLock());
    xercesc::XMLPlatformUtils::Terminate();
  }
  PlatformUse(const PlatformUse&) = delete;
  PlatformUse& operator=(const PlatformUse&) = delete;
};

// Hands the reader the one schema file the caller named; every other
// resource is left unresolved, which the reader (with default resolution
// off) treats as unavailable.
class CFiSaxParser::SchemaResolver : public xercesc::EntityResolver {
 public:
  explicit SchemaResolver(const std::u16string& path) : m_path(path) {}
  xercesc::InputSource* resolveEntity(const XMLCh* const, const XMLCh* const systemId) override {
    if (!xercesc::XMLString::equals(systemId, m_path.c_str())) return nullptr;
    return new xercesc::LocalFileInputSource(m_path.c_str());
  }

 private:
  std::u16string m_path;
};

CFiSaxParser::CFiSaxParser(xercesc::DefaultHandler* handler, const char* schema)
    : m_handler(nullptr) {
  init();
  if (handler) setHandler(handler);
  if (schema) setInputSchema(schema);
}

CFiSaxParser::~CFiSaxParser() {}

void CFiSaxParser::init() {
  if (m_reader) return;
  try {
    if (!m_platform) m_platform.reset(new PlatformUse);
    createReader();
  } catch (const xercesc::XMLException&) {
    // The parser stays unusable; parse() reports it.
    m_reader.reset();
  }
}

void CFiSaxParser::createReader() {
  // A new budget for a new reader: the old reader, gone by now, may have
  // left its count behind when it gave up halfway.
  m_budget.reset(new CFiSaxMemoryBudget(m_limits.readerMemoryBudget));
  if (!m_guard) m_guard.reset(new CFiSaxLimitGuard(m_limits));
  m_reader.reset(xercesc::XMLReaderFactory::createXMLReader(m_budget.get()));
  m_reader->setContentHandler(m_guard.get());
  m_reader->setErrorHandler(m_guard.get());
  m_reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
  m_reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, false);
  m_reader->setFeature(XMLUni::fgXercesSchema, false);
  m_reader->setFeature(XMLUni::fgXercesSchemaFullChecking, false);
  m_reader->setFeature(XMLUni::fgSAX2CoreNameSpacePrefixes, false);
  // Untrusted input: nothing outside the document is ever read.
  m_reader->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
  m_reader->setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
  if (!m_security) m_security.reset(new xercesc::SecurityManager());
  m_security->setEntityExpansionLimit(m_limits.maxEntityExpansions);
  m_reader->setProperty(XMLUni::fgXercesSecurityManager, m_security.get());
  if (!m_schema.empty()) setInputSchema(m_schema.c_str());
}

void CFiSaxParser::replaceReader() {
  m_reader.reset();
  try {
    createReader();
  } catch (const xercesc::XMLException&) {
    m_reader.reset();
  }
}

void CFiSaxParser::setHandler(xercesc::DefaultHandler* handler) {
  // The reader reports to the guard, which passes every event on.
  m_handler = handler;
  if (m_guard) m_guard->setTarget(handler);
}

void CFiSaxParser::setLimits(const SFiSaxLimits& limits) {
  m_limits = limits;
  if (!m_guard) return;
  m_guard.reset(new CFiSaxLimitGuard(m_limits));
  m_guard->setTarget(m_handler);
  replaceReader();
}

void CFiSaxParser::setInputSchema(const char* schema) {
  if (!m_reader || !schema) return;
  m_schema = schema;
  try {
    std::u16string path = toXmlText(schema);
    // The reader is given the new resolver before the old one goes.
    std::unique_ptr<SchemaResolver> resolver(new SchemaResolver(path));
    m_reader->setEntityResolver(resolver.get());
    m_schemaResolver = std::move(resolver);
    m_reader->setFeature(XMLUni::fgSAX2CoreValidation, true);
    m_reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, true);
    m_reader->setFeature(XMLUni::fgXercesSchema, true);
    m_reader->setFeature(XMLUni::fgXercesSchemaFullChecking, true);
    m_reader->setFeature(XMLUni::fgXercesUseCachedGrammarInParse, true);
    m_reader->setProperty(XMLUni::fgXercesSchemaExternalNoNameSpaceSchemaLocation,
                          const_cast<char16_t*>(path.c_str()));
  } catch (const xercesc::XMLException&) {
  } catch (const xercesc::SAXException&) {
  }
}

void CFiSaxParser::parse(const std::string& document) {
  if (!m_reader) throw std::runtime_error("CFiSaxParser: the XML reader could not be created");
  const XMLByte* bytes = reinterpret_cast<const XMLByte*>(document.data());
  // The sources live on the kit's manager: a reader that gives up takes
  // its budget with it, before the source is gone.
  xercesc::MemBufInputSource source(bytes, document.size(), kSystemId, false,
                                    fiSaxExceptionMemoryManager());
  // The reader reads the caller's bytes in place: the document outlives
  // the parse, and a listing of many devices is megabytes long.
  source.setCopyBufToStream(false);
  parseSource(source, document.size());
}

void CFiSaxParser::parse(const std::vector<std::string>& lines) {
  if (!m_reader) throw std::runtime_error("CFiSaxParser: the XML reader could not be created");
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size();
  const std::u16string systemId = toXmlText(kSystemId);
  LinesSource source(lines, systemId.c_str(), fiSaxExceptionMemoryManager());
  parseSource(source, size);
}

void CFiSaxParser::parseSource(const xercesc::InputSource& source, std::size_t size) {
  m_guard->begin(size);
  m_budget->clearRefused();
  try {
    try {
      m_reader->parse(source);
    } catch (const xercesc::OutOfMemoryException&) {
      // A reader that ran out of memory stays unusable (it counts itself
      // as still parsing): the next parse gets a new one.
      const bool refused = m_budget->refused();
      replaceReader();
      if (!refused) throw std::bad_alloc();
      m_guard->failOutsideEvents("The XML document needs more than the reader's memory limit of " +
                                 std::to_string(m_budget->budget()) +
                                 " bytes (a value, name, comment or section of absurd length)");
    }
  } catch (const xercesc::SAXParseException& e) {
    throw fiDetachSaxParseException(e);
  } catch (const xercesc::SAXException& e) {
    throw xercesc::SAXException(e.getMessage(), fiSaxExceptionMemoryManager());
  } catch (const xercesc::XMLException& e) {
    throw fiDetachSaxParseException(
        xercesc::SAXParseException(e.getMessage(), nullptr, toXmlText(kSystemId).c_str(), 0, 0));
  }
}

}  // namespace quelb_pdk_4_4
