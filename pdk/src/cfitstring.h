// The framework's wide string type. Everything that crosses to the
// framework (names, identity strings, messages, paths) is held in it.
#ifndef QLB_PDK_CFITSTRING_H
#define QLB_PDK_CFITSTRING_H

#include <ace/SString.h>

namespace quelb_pdk_4_4 {

typedef ACE_String_Base<wchar_t> tstring;

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFITSTRING_H
