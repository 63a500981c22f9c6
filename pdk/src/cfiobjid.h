// Object ids that the kit hands to the framework, made with the framework
// utility library so that the framework can release them.
#ifndef QLB_PDK_CFIOBJID_H
#define QLB_PDK_CFIOBJID_H

#include <quelb/quelb_records.h>

#include <vector>

#include "cfiexport.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

// A new object id of the given type for the text (byte length with the
// terminator: (characters + 1) * sizeof(wchar_t)); null on failure.
QLB_PDK_EXPORT quelb_objid* fiMakeObjid(const tstring& text, int type);

// Builds an array of object ids for the framework: sets *out to null and
// *count to the number of names; with names, allocates one pointer per name
// with quelb_alloc_buf and fills it with an id of `type` per name, in order.
// When the allocation or any id fails, everything built is released and
// *out stays null (the count still tells the number of names). The
// framework frees the ids and the array (count * sizeof(pointer) bytes).
// Returns 0, or 5 when something could not be allocated. Null out or count
// pointers are skipped.
QLB_PDK_EXPORT int fiBuildObjidArray(const std::vector<tstring>& names, int type,
                                     quelb_objid*** out, int* count);

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIOBJID_H
