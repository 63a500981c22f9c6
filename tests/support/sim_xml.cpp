#include "sim_xml.h"

#include <stdexcept>
#include <xercesc/sax/SAXException.hpp>
#include <xercesc/sax2/Attributes.hpp>

#include "cfisaxhandler.h"
#include "cfisaxparser.h"

namespace simtest {

std::string XmlNode::attr(const std::string& key) const {
  auto it = attrs.find(key);
  return it == attrs.end() ? std::string() : it->second;
}

std::vector<const XmlNode*> XmlNode::all(const std::string& key) const {
  std::vector<const XmlNode*> out;
  for (const auto& c : children) {
    if (c->name == key) out.push_back(c.get());
    std::vector<const XmlNode*> below = c->all(key);
    out.insert(out.end(), below.begin(), below.end());
  }
  return out;
}

const XmlNode* XmlNode::first(const std::string& key) const {
  std::vector<const XmlNode*> v = all(key);
  return v.empty() ? nullptr : v[0];
}

namespace {

// Builds the element tree with the kit's SAX reader, which the provider reads the same output with;
// a parse error is recorded, not thrown.
class TreeBuilder : public quelb_pdk_4_4::CFiSaxParseHandler {
 public:
  void startElement(const XMLCh* const, const XMLCh* const, const XMLCh* const qname,
                    const xercesc::Attributes& attrs) override {
    auto node = std::make_unique<XmlNode>();
    node->name = toString(qname);
    for (XMLSize_t i = 0; i < attrs.getLength(); ++i)
      node->attrs[toString(attrs.getQName(i))] = toString(attrs.getValue(i));
    XmlNode* added = node.get();
    if (open_.empty())
      root = std::move(node);
    else
      open_.back()->children.push_back(std::move(node));
    open_.push_back(added);
  }
  void endElement(const XMLCh* const, const XMLCh* const, const XMLCh* const) override {
    open_.pop_back();
  }
  void characters(const XMLCh* const chars, const XMLSize_t length) override {
    if (!open_.empty()) appendUtf8(open_.back()->text, chars, length);
  }

  std::unique_ptr<XmlNode> root;

 private:
  std::vector<XmlNode*> open_;
};

}  // namespace

std::unique_ptr<XmlNode> parseXml(const std::string& output) {
  const size_t declaration = output.find("<?xml");
  if (declaration == std::string::npos) throw std::runtime_error("XML: no XML declaration");
  std::string document = output.substr(declaration);
  const size_t end = document.rfind("</SymCLI_ML>");
  if (end != std::string::npos) document.erase(end + 12);
  TreeBuilder builder;
  try {
    quelb_pdk_4_4::CFiSaxParser(&builder).parse(document);
  } catch (const xercesc::SAXException&) {
    throw std::runtime_error("XML: the reader failed");
  }
  if (builder.hasLastError() || !builder.root)
    throw std::runtime_error(
        "XML: " + quelb_pdk_4_4::CFiSaxParseHandler::toString(builder.getLastError().getMessage()));
  if (builder.root->name != "SymCLI_ML")
    throw std::runtime_error("XML: root is " + builder.root->name);
  return std::move(builder.root);
}

}  // namespace simtest
