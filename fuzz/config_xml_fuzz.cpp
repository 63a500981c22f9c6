// libFuzzer target: the configuration-parameter documents the framework
// hands to `config`: parameter descriptions ("ConfigParamList"), parameter
// values ("ConfigValueList") and format options ("FormatOptionValueList").
// The selector picks the list. A document that is taken must come back
// from the list's own text unchanged: what the provider writes, it reads.
#include "cficonfig.h"
#include "cfiformatoption.h"
#include "fuzz_util.h"

namespace {

template <class List>
void roundTrip(const std::wstring& text) {
  List list;
  if (list.parse(text.c_str()) != 0) return;
  List again;
  fuzz::check(again.parse(list.getXML().c_str()) == 0, "the list reads its own text");
  fuzz::check(again.getXML() == list.getXML(), "the list's text is stable");
  fuzz::check(again.getKeys() == list.getKeys(), "the keys survive");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const fuzz::Input input(data, size);
  const std::wstring text = fuzz::wide(input.text);
  switch (input.selector % 3) {
    case 0:
      roundTrip<quelb_pdk_4_4::CFiConfigParamInfoList>(text);
      break;
    case 1:
      roundTrip<quelb_pdk_4_4::CFiConfigParamDataList>(text);
      break;
    default:
      roundTrip<quelb_pdk_4_4::CFiFormatOptionList>(text);
      break;
  }
  return 0;
}
