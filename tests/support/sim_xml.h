// Reading the XML the simulator prints, for tests: the SymCLI_ML document of a tool's output as a
// tree of elements.
#ifndef NORVEL_TESTS_SIM_XML_H
#define NORVEL_TESTS_SIM_XML_H

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace simtest {

// A parsed XML element: name, attributes, children, text.
struct XmlNode {
  std::string name;
  std::map<std::string, std::string> attrs;
  std::vector<std::unique_ptr<XmlNode>> children;
  std::string text;

  std::string attr(const std::string& name) const;
  // Every element of that name below this one (depth first, in order).
  std::vector<const XmlNode*> all(const std::string& name) const;
  const XmlNode* first(const std::string& name) const;
};

// Parses the one document in `output` (lines before "<?xml" and after the root are ignored, as the
// provider does). Throws std::runtime_error for output without a well-formed SymCLI_ML document.
std::unique_ptr<XmlNode> parseXml(const std::string& output);

}  // namespace simtest

#endif  // NORVEL_TESTS_SIM_XML_H
