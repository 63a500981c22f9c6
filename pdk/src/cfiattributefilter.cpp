#include "cfiattributefilter.h"

#include <vector>

#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

CFiAttributeFilter::CFiAttributeFilter(const wchar_t* text) { parse(CFiStringTool::wcs2mbs(text)); }

void CFiAttributeFilter::parse(const std::string& text) {
  for (const std::string& item : CFiStringTool::tokenize(text, ",\n")) {
    if (item.find('=') == std::string::npos) continue;
    // The tokenizer drops empty pieces: "name=" and "=name" both give one.
    const std::vector<std::string> pieces = CFiStringTool::tokenize(item, "=");
    if (pieces.size() > 2) return;
    if (pieces.empty()) continue;  // "=" alone names nothing
    const std::string name = CFiStringTool::trim(pieces[0]);
    m_attributes[name] = pieces.size() == 2 ? CFiStringTool::trim(pieces[1]) : std::string();
  }
}

bool CFiAttributeFilter::match(const std::string& name, const std::string& value) const {
  std::map<std::string, std::string>::const_iterator it = m_attributes.find(name);
  return it == m_attributes.end() || CFiStringTool::CompareNoCase(it->second, value);
}

bool CFiAttributeFilter::has(const std::string& name) const {
  return m_attributes.count(name) != 0;
}

std::string CFiAttributeFilter::value(const std::string& name) const {
  std::map<std::string, std::string>::const_iterator it = m_attributes.find(name);
  return it == m_attributes.end() ? std::string() : it->second;
}

}  // namespace quelb_pdk_4_4
