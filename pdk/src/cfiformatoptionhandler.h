// The SAX handler of format option documents: "FormatOptionValueList" of
// "FormatOptionValue"s, read like parameter values (see cficonfighandler.h).
#ifndef QLB_PDK_CFIFORMATOPTIONHANDLER_H
#define QLB_PDK_CFIFORMATOPTIONHANDLER_H

#include "cficonfighandler.h"
#include "cfiexport.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiFormatOptionHandler : public CFiValueListHandler {
 public:
  CFiFormatOptionHandler();
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIFORMATOPTIONHANDLER_H
