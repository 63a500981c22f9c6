#include "sim_xml.h"

#include <cctype>
#include <stdexcept>

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

class XmlParser {
 public:
  explicit XmlParser(const std::string& s) : s_(s) {}

  std::unique_ptr<XmlNode> document() {
    size_t decl = s_.find("<?xml");
    if (decl == std::string::npos) fail("no XML declaration");
    pos_ = s_.find("?>", decl);
    if (pos_ == std::string::npos) fail("unterminated declaration");
    pos_ += 2;
    skipBlanks();
    std::unique_ptr<XmlNode> root = element();
    if (root->name != "SymCLI_ML") fail("root is " + root->name);
    return root;
  }

 private:
  [[noreturn]] void fail(const std::string& what) { throw std::runtime_error("XML: " + what); }

  void skipBlanks() {
    while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
  }

  std::string name() {
    size_t start = pos_;
    while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) ||
                                s_[pos_] == '_' || s_[pos_] == '-' || s_[pos_] == '.'))
      ++pos_;
    if (start == pos_) fail("name expected at " + std::to_string(pos_));
    return s_.substr(start, pos_ - start);
  }

  std::string unescape(const std::string& t) {
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
      if (t[i] != '&') {
        out += t[i];
        continue;
      }
      size_t semi = t.find(';', i);
      if (semi == std::string::npos) fail("bad entity");
      std::string e = t.substr(i + 1, semi - i - 1);
      if (e == "amp")
        out += '&';
      else if (e == "lt")
        out += '<';
      else if (e == "gt")
        out += '>';
      else if (e == "quot")
        out += '"';
      else if (e == "apos" || e == "#39")
        out += '\'';
      else
        fail("unknown entity " + e);
      i = semi;
    }
    return out;
  }

  std::unique_ptr<XmlNode> element() {
    if (pos_ >= s_.size() || s_[pos_] != '<') fail("element expected at " + std::to_string(pos_));
    ++pos_;
    auto node = std::make_unique<XmlNode>();
    node->name = name();
    for (;;) {
      skipBlanks();
      if (pos_ >= s_.size()) fail("unterminated element " + node->name);
      if (s_.compare(pos_, 2, "/>") == 0) {
        pos_ += 2;
        return node;
      }
      if (s_[pos_] == '>') {
        ++pos_;
        break;
      }
      std::string key = name();
      skipBlanks();
      if (pos_ >= s_.size() || s_[pos_] != '=') fail("= expected after " + key);
      ++pos_;
      skipBlanks();
      if (pos_ >= s_.size() || s_[pos_] != '"') fail("quote expected for " + key);
      size_t end = s_.find('"', pos_ + 1);
      if (end == std::string::npos) fail("unterminated value of " + key);
      if (node->attrs.count(key)) fail("attribute " + key + " twice");
      node->attrs[key] = unescape(s_.substr(pos_ + 1, end - pos_ - 1));
      pos_ = end + 1;
    }
    for (;;) {
      size_t lt = s_.find('<', pos_);
      if (lt == std::string::npos) fail("unterminated element " + node->name);
      node->text += unescape(s_.substr(pos_, lt - pos_));
      pos_ = lt;
      if (s_.compare(pos_, 2, "</") == 0) {
        pos_ += 2;
        std::string closing = name();
        if (closing != node->name) fail("</" + closing + "> closes <" + node->name + ">");
        skipBlanks();
        if (pos_ >= s_.size() || s_[pos_] != '>') fail("> expected");
        ++pos_;
        return node;
      }
      node->children.push_back(element());
    }
  }

  const std::string& s_;
  size_t pos_ = 0;
};

}  // namespace

std::unique_ptr<XmlNode> parseXml(const std::string& output) {
  return XmlParser(output).document();
}

}  // namespace simtest
