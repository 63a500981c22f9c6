// ConfigValueList: the text of a configuration value list as the framework
// hands it to config (operation 5, set values): the XML document
// "ConfigValueList" of one "ConfigValue" per key, in key order, each with
// an empty "dataType", its "key" and its "value", XML special characters
// written as character references.
#ifndef QUELBCTL_CONFIG_VALUE_LIST_H
#define QUELBCTL_CONFIG_VALUE_LIST_H

#include <map>
#include <string>

class ConfigValueList {
 public:
  // Sets the value of `key` (UTF-8), replacing an earlier one.
  void set(const std::string& key, const std::string& value) { m_values[key] = value; }

  // The document as wide text.
  std::wstring xml() const;

 private:
  std::map<std::string, std::string> m_values;
};

#endif  // QUELBCTL_CONFIG_VALUE_LIST_H
