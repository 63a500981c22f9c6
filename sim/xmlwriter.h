// Writes SYMCLI output documents in attribute form: an XML declaration, the
// root element SymCLI_ML, every value an attribute, two blanks of indent
// per level, and "N/A" for a value that is absent.
#ifndef SYMSIM_XMLWRITER_H
#define SYMSIM_XMLWRITER_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace symsim {

using Attributes = std::vector<std::pair<std::string, std::string>>;

class XmlWriter {
 public:
  // Starts the document: declaration line and the opening root element.
  XmlWriter();

  // Opens an element that will hold others; close it with close().
  void open(const std::string& name, const Attributes& attrs = {});
  // Writes an element without children.
  void leaf(const std::string& name, const Attributes& attrs = {});
  // Writes an element whose content is text (as `<version>V7.0</version>`).
  void textElement(const std::string& name, const std::string& text);
  void close();

  // Closes what is open and the root; hands over the whole document (the
  // writer is empty afterwards).
  std::string finish();

 private:
  void start(const std::string& name, const Attributes& attrs);
  void indent();

  std::string out_;
  std::vector<std::string> open_;
};

// Absent values print as "N/A".
inline std::string orNa(const std::string& value) { return value.empty() ? "N/A" : value; }

}  // namespace symsim

#endif  // SYMSIM_XMLWRITER_H
