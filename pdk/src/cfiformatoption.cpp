#include "cfiformatoption.h"

#include "cfiformatoptionhandler.h"

namespace quelb_pdk_4_4 {

CFiFormatOptionList::CFiFormatOptionList()
    : CFiValueRecordList("FormatOptionValueList", "FormatOptionValue") {}

int CFiFormatOptionList::parse(const wchar_t* text) {
  CFiFormatOptionHandler handler;
  return parseWith(handler, text);
}

}  // namespace quelb_pdk_4_4
