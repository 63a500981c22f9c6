#include "xmlwriter.h"

#include "xmlescape.h"

namespace symsim {

XmlWriter::XmlWriter() {
  out_ = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n";
  out_ += "<SymCLI_ML>\n";
  open_.push_back("SymCLI_ML");
}

void XmlWriter::indent() { out_.append(open_.size() * 2, ' '); }

void XmlWriter::start(const std::string& name, const Attributes& attrs) {
  indent();
  out_ += '<';
  out_ += name;
  for (const auto& a : attrs) {
    out_ += ' ';
    out_ += a.first;
    out_ += "=\"";
    out_ += boundedtext::xmlEscape(orNa(a.second));
    out_ += '"';
  }
}

void XmlWriter::open(const std::string& name, const Attributes& attrs) {
  start(name, attrs);
  out_ += ">\n";
  open_.push_back(name);
}

void XmlWriter::leaf(const std::string& name, const Attributes& attrs) {
  start(name, attrs);
  out_ += "/>\n";
}

void XmlWriter::textElement(const std::string& name, const std::string& text) {
  indent();
  out_ += '<' + name + '>' + boundedtext::xmlEscape(text) + "</" + name + ">\n";
}

void XmlWriter::close() {
  if (open_.size() <= 1) return;  // the root closes in finish()
  std::string name = open_.back();
  open_.pop_back();
  indent();
  out_ += "</" + name + ">\n";
}

std::string XmlWriter::finish() {
  while (open_.size() > 1) close();
  if (!open_.empty()) {
    open_.pop_back();
    out_ += "</SymCLI_ML>\n";
  }
  return std::move(out_);
}

}  // namespace symsim
