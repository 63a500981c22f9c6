#include "config_value_list.h"

#include "utf8.h"
#include "xmlescape.h"

namespace {

// "\t<name>value</name>\n"
std::string valueLine(const char* name, const std::string& value) {
  return std::string("\t<") + name + ">" + boundedtext::xmlEscape(value) + "</" + name + ">\n";
}

}  // namespace

std::wstring ConfigValueList::xml() const {
  std::string text = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<ConfigValueList>\n";
  for (const auto& entry : m_values) {
    text += "<ConfigValue>\n";
    text += valueLine("dataType", "");
    text += valueLine("key", entry.first);
    text += valueLine("value", entry.second);
    text += "</ConfigValue>\n";
  }
  text += "</ConfigValueList>\n";
  return boundedtext::utf8ToWide(text);
}
