// CFiAttributeFilter: the filter text that the framework hands to the
// enumerations, read as attribute names and values.
//
// The text holds items separated by ',' or line ends; an item is
// "name=value". An item without "=" is ignored. The item is split at every
// "=" and empty pieces are dropped: one piece ("name=", also "=name") gives
// that name with an empty value, two pieces name and value, more than two
// ("a=b=c") end the reading there, keeping the entries made before; "="
// alone is ignored. Names and values are trimmed of " \n\t\r"; a later item
// overwrites an earlier one of the same name. Names are compared exactly,
// values without regard to case.
#ifndef QLB_PDK_CFIATTRIBUTEFILTER_H
#define QLB_PDK_CFIATTRIBUTEFILTER_H

#include <map>
#include <string>

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiAttributeFilter {
 public:
  // A null text gives an empty filter, which lets everything pass.
  explicit CFiAttributeFilter(const wchar_t* text);

  // True when the name is absent or its value equals `value` ignoring case.
  bool match(const std::string& name, const std::string& value) const;
  bool has(const std::string& name) const;
  // The value of the name; empty when absent.
  std::string value(const std::string& name) const;

  const std::map<std::string, std::string>& attributes() const { return m_attributes; }

 private:
  void parse(const std::string& text);

  std::map<std::string, std::string> m_attributes;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIATTRIBUTEFILTER_H
