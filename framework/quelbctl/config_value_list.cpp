#include "config_value_list.h"

#include "utf8.h"

namespace {

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// "\t<name>value</name>\n"
std::string valueLine(const char* name, const std::string& value) {
  return std::string("\t<") + name + ">" + escaped(value) + "</" + name + ">\n";
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
