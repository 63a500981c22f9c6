#include "cfiformatoptionhandler.h"

namespace quelb_pdk_4_4 {

CFiFormatOptionHandler::CFiFormatOptionHandler()
    : CFiValueListHandler("FormatOptionValueList", "FormatOptionValue") {}

}  // namespace quelb_pdk_4_4
