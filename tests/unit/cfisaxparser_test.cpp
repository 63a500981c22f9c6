// SAX parser wrapper and handler base.
#include "cfisaxparser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/Attributes.hpp>

#include "cfisaxhandler.h"
#include "test_env.h"

using quelb_pdk_4_4::CFiSaxParseHandler;
using quelb_pdk_4_4::CFiSaxParser;
using xercesc::SAXParseException;

namespace {

// Writes every event as text: "<name a=v>", "text", "</name>".
class RecordingHandler : public CFiSaxParseHandler {
 public:
  void startElement(const XMLCh* const, const XMLCh* const, const XMLCh* const qname,
                    const xercesc::Attributes& attrs) override {
    flushText();
    std::string event = "<" + toString(qname);
    for (XMLSize_t i = 0; i < attrs.getLength(); ++i) {
      event += " " + toString(attrs.getQName(i)) + "=" + toString(attrs.getValue(i));
    }
    events.push_back(event + ">");
  }
  void endElement(const XMLCh* const, const XMLCh* const, const XMLCh* const qname) override {
    flushText();
    events.push_back("</" + toString(qname) + ">");
  }
  void characters(const XMLCh* const chars, const XMLSize_t length) override {
    ++pieces;
    CFiSaxParseHandler::characters(chars, length);
  }
  std::vector<std::string> result() const {
    throwLastError();
    return events;
  }

  std::vector<std::string> events;
  int pieces = 0;

 private:
  void flushText() {
    if (!m_text.empty()) events.push_back(m_text);
    m_text.clear();
  }
};

std::vector<std::string> parseLines(const std::vector<std::string>& lines) {
  RecordingHandler handler;
  {
    CFiSaxParser parser(&handler);
    parser.parse(lines);
  }
  return handler.result();
}

}  // namespace

TEST(SaxParser, LinesJoinWithoutSeparatorIntoOneDocument) {
  EXPECT_EQ(parseLines({"<a>", "x</a>"}), (std::vector<std::string>{"<a>", "x", "</a>"}));
  // A line break inside a tag would matter only if lines were separated;
  // joined directly, "<Sym" + "metrix/>" is one element.
  EXPECT_EQ(parseLines({"<?xml version=\"1.0\" standalone=\"yes\" ?>", "<r><Sym",
                        "metrix id=\"0001\"/></r>"}),
            (std::vector<std::string>{"<r>", "<Symmetrix id=0001>", "</Symmetrix>", "</r>"}));
  // A character split between lines, with an empty line between its parts.
  EXPECT_EQ(parseLines({"<a>\xC3", "", "\xA9</a>"}),
            (std::vector<std::string>{"<a>", "\xC3\xA9", "</a>"}));
  // More lines than the reader takes in one read.
  std::vector<std::string> many(1, "<a>");
  for (int i = 0; i < 20000; ++i) many.push_back("<b n=\"" + std::to_string(i) + "\"/>");
  many.push_back("</a>");
  const std::vector<std::string> events = parseLines(many);
  ASSERT_EQ(events.size(), 2u * 20000 + 2);
  EXPECT_EQ(events[2 * 19999 + 1], "<b n=19999>");
}

TEST(SaxParser, CharacterDataPiecesAppendInOrderAsUtf8) {
  RecordingHandler handler;
  CFiSaxParser parser(&handler);
  // Entity references make the reader deliver the text in several pieces.
  parser.parse(std::string("<a>x&amp;y&lt;z \xC3\xA9 &#x1D11E;</a>"));
  EXPECT_GT(handler.pieces, 1);
  EXPECT_EQ(handler.result(),
            (std::vector<std::string>{"<a>", "x&y<z \xC3\xA9 \xF0\x9D\x84\x9E", "</a>"}));
  EXPECT_EQ(CFiSaxParseHandler::toWString(u"\u00e9\U0001D11E"), std::wstring(L"\u00e9\U0001D11E"));
  EXPECT_EQ(CFiSaxParseHandler::toString(nullptr), "");
  // A four-byte sequence that fills the converter's 256-byte buffer exactly, then more text.
  const std::u16string filled = u"\u00e9" + std::u16string(250, u'a') + u"\U0001D11E" + u"bc";
  EXPECT_EQ(CFiSaxParseHandler::toString(filled.c_str()),
            "\xC3\xA9" + std::string(250, 'a') + "\xF0\x9D\x84\x9E" + "bc");
}

TEST(SaxParser, BrokenDocumentsSurfaceFromTheGetterAfterTheParserIsGone) {
  // Not well-formed: the error is recorded while parsing and thrown later,
  // when no parser (and no Xerces platform use) remains.
  RecordingHandler handler;
  {
    CFiSaxParser parser(&handler);
    EXPECT_NO_THROW(parser.parse(std::vector<std::string>{"<a>", "<b></a>"}));
  }
  ASSERT_TRUE(handler.hasLastError());
  try {
    handler.result();
    FAIL() << "no exception";
  } catch (const SAXParseException& e) {
    EXPECT_EQ(e.getLineNumber(), 1u);
    EXPECT_NE(CFiSaxParseHandler::toString(e.getMessage()), "");
    EXPECT_EQ(CFiSaxParseHandler::toString(e.getSystemId()), "quelb_sax_parser");
  }

  // An empty list of lines is an empty document, which is rejected either
  // by parse itself or by the getter.
  RecordingHandler empty;
  bool thrown = false;
  try {
    CFiSaxParser parser(&empty);
    parser.parse(std::vector<std::string>());
    empty.result();
  } catch (const SAXParseException&) {
    thrown = true;
  }
  EXPECT_TRUE(thrown);
}

TEST(SaxParser, WarningAloneSetsTheFlagAndThrowsOnlyWithAMessage) {
  RecordingHandler handler;
  handler.warning(SAXParseException(nullptr, nullptr, nullptr, 3, 4,
                                    quelb_pdk_4_4::fiSaxExceptionMemoryManager()));
  EXPECT_TRUE(handler.hasLastError());
  EXPECT_NO_THROW(handler.throwLastError());  // no message

  handler.warning(SAXParseException(u"careful", nullptr, nullptr, 5, 6,
                                    quelb_pdk_4_4::fiSaxExceptionMemoryManager()));
  try {
    handler.throwLastError();
    FAIL() << "no exception";
  } catch (const SAXParseException& e) {
    EXPECT_EQ(CFiSaxParseHandler::toString(e.getMessage()), "careful");
    EXPECT_EQ(e.getLineNumber(), 5u);
    EXPECT_EQ(e.getColumnNumber(), 6u);
  }

  // Without a handler the document is still read, and nothing breaks.
  CFiSaxParser bare;
  EXPECT_NO_THROW(bare.parse(std::string("<a/>")));
}

TEST(SaxParser, DocumentsCannotMakeTheLibraryReadFiles) {
  testenv::TempDir dir;
  testenv::writeFile(dir.file("secret.txt"), "TOPSECRET");
  testenv::writeFile(dir.file("ext.dtd"),
                     "<!ENTITY leak SYSTEM \"file://" + dir.file("secret.txt") + "\">");

  bool failed = false;
  auto textOf = [&failed](const std::string& doc) {
    RecordingHandler handler;
    std::string all;
    try {
      CFiSaxParser parser(&handler);
      parser.parse(doc);
      handler.result();
    } catch (const SAXParseException&) {
      failed = true;
    }
    for (const std::string& e : handler.events) all += e;
    return all;
  };

  std::string text = textOf("<!DOCTYPE a [<!ENTITY e SYSTEM \"file://" + dir.file("secret.txt") +
                            "\">]><a>&e;</a>");
  EXPECT_EQ(text.find("TOPSECRET"), std::string::npos) << text;
  text = textOf("<!DOCTYPE a SYSTEM \"file://" + dir.file("ext.dtd") + "\"><a>&leak;</a>");
  EXPECT_EQ(text.find("TOPSECRET"), std::string::npos) << text;

  // Predefined entities and character references do not count as expansions.
  std::string escaped = "<a>";
  for (int i = 0; i < 5000; ++i) escaped += "&amp;&#65;";
  failed = false;
  text = textOf(escaped + "</a>");
  EXPECT_FALSE(failed);
  EXPECT_EQ(text.size(), std::string("<a></a>").size() + 10000);
}

TEST(SaxParser, LimitsStopAbsurdDocumentsAndNameTheLimit) {
  auto repeat = [](const std::string& text, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += text;
    return out;
  };
  auto nested = [&](int depth) { return repeat("<a>", depth) + repeat("</a>", depth); };
  auto attribute = [](std::size_t length) { return "<a v=\"" + std::string(length, 'v') + "\"/>"; };
  const std::string big = "<!DOCTYPE a [<!ENTITY big \"" + std::string(64 * 1024, 'y') + "\">]>";
  std::string laughs = "<!DOCTYPE a [<!ENTITY l0 \"lol\">";
  for (int i = 1; i < 6; ++i) {
    laughs += "<!ENTITY l" + std::to_string(i) + " \"" +
              repeat("&l" + std::to_string(i - 1) + ";", 10) + "\">";
  }
  laughs += "]><a>&l5;</a>";
  const std::string defaults = "<!DOCTYPE r [<!ATTLIST a d CDATA \"" + std::string(1000, 'd') +
                               "\">]><r>" + repeat("<a/>", 2000) + "</r>";

  struct Case {
    const char* what;
    std::string document;
    const char* error;  // null: parses
  };
  const std::vector<Case> cases = {
      {"nesting at the limit", nested(256), nullptr},
      {"nesting beyond it", nested(257), "nests elements deeper than the limit of 256"},
      {"attribute at the limit", attribute(65536), nullptr},
      {"attribute beyond it", attribute(65537), "longer than the limit of 65536 characters"},
      {"entities within the budget", big + "<a>" + repeat("&big;", 15) + "</a>", nullptr},
      {"entities beyond it", big + "<a>" + repeat("&big;", 18) + "</a>",
       "expands by more than the limit of 1048576 characters"},
      {"nested entities", laughs, "more than '1000' entity expansions"},
      {"default attributes", defaults, "expands by more than the limit"},
      {"entities built into one value", big + "<a v=\"" + repeat("&big;", 900) + "\"/>",
       "more than the reader's memory limit of 33554432 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingHandler handler;
    CFiSaxParser parser(&handler);
    std::string error;
    try {
      parser.parse(std::vector<std::string>{c.document});
    } catch (const SAXParseException& e) {
      error = CFiSaxParseHandler::toString(e.getMessage());
    }
    if (error.empty()) error = CFiSaxParseHandler::toString(handler.getLastError().getMessage());
    if (!c.error) {
      EXPECT_EQ(error, "");
      EXPECT_NO_THROW(handler.result());
    } else {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      EXPECT_THROW(handler.result(), SAXParseException);  // the handler knows too
    }
    // Whatever the reader held for the document is given back.
    RecordingHandler next;
    parser.setHandler(&next);
    parser.parse(std::string("<b/>"));
    EXPECT_EQ(next.result(), (std::vector<std::string>{"<b>", "</b>"}));
  }
}

TEST(SaxParser, SchemaNamedByTheCallerValidates) {
  testenv::TempDir dir;
  std::string xsd = dir.file("a.xsd");
  testenv::writeFile(xsd,
                     "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">"
                     "<xs:element name=\"a\" type=\"xs:int\"/></xs:schema>");
  for (const bool valid : {true, false}) {
    RecordingHandler handler;
    CFiSaxParser(&handler, xsd.c_str()).parse(std::string(valid ? "<a>12</a>" : "<a>twelve</a>"));
    if (valid) {
      EXPECT_NO_THROW(handler.result());
    } else {
      EXPECT_THROW(handler.result(), SAXParseException);
    }
  }
}
