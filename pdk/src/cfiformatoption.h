// Format options: values with the layout of the configuration parameter
// values (see cficonfig.h), written as and read from the document
// "FormatOptionValueList" of "FormatOptionValue"s.
#ifndef QLB_PDK_CFIFORMATOPTION_H
#define QLB_PDK_CFIFORMATOPTION_H

#include "cficonfig.h"
#include "cfiexport.h"

namespace quelb_pdk_4_4 {

// One format option.
class QLB_PDK_EXPORT CFiFormatOption : public CFiValueRecord {
 public:
  using CFiValueRecord::CFiValueRecord;
  CFiFormatOption() {}
  CFiFormatOption(const CFiValueRecord& record) : CFiValueRecord(record) {}
};

// Format options by key.
class QLB_PDK_EXPORT CFiFormatOptionList : public CFiValueRecordList {
 public:
  CFiFormatOptionList();
  CFiFormatOptionList(const CFiFormatOptionList& other) = default;
  CFiFormatOptionList& operator=(const CFiFormatOptionList& other) = default;

  // Replaces the options with those of a "FormatOptionValueList" document;
  // 0, or 3 when it is rejected (options unchanged).
  int parse(const wchar_t* text);
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIFORMATOPTION_H
