#include "cfiobjctl.h"

namespace quelb_pdk_4_4 {

CFiObjctlArgs::CFiObjctlArgs(const wchar_t*) {}

void CFiObjctlArgs::addOutput(const tstring& name, const tstring& value, const tstring& type) {
  m_outputs.push_back(Argument{name, value, type});
}

tstring CFiObjctlArgs::toText() const {
  tstring text(L"<OBJCTL_ARG_LIST>");
  for (const Argument& a : m_outputs) {
    text += L" <OBJCTL_OUTPUT arg=";
    text += a.name;
    text += L" value=";
    text += a.value;
    text += L" type=";
    text += a.type;
    text += L" />";
  }
  text += L" </OBJCTL_ARG_LIST> ";
  return text;
}

}  // namespace quelb_pdk_4_4
