#include "cfiobjid.h"

namespace quelb_pdk_4_4 {

quelb_objid* fiMakeObjid(const tstring& text, int type) {
  return quelb_get_objid(text.c_str(), (text.length() + 1) * sizeof(wchar_t), type);
}

int fiBuildObjidArray(const std::vector<tstring>& names, int type, quelb_objid*** out, int* count) {
  if (out) *out = nullptr;
  if (count) *count = static_cast<int>(names.size());
  if (names.empty() || !out) return 0;
  const uint64_t bytes = names.size() * sizeof(quelb_objid*);
  quelb_objid** array = static_cast<quelb_objid**>(quelb_alloc_buf(bytes));
  if (!array) return QLB_ERR_NO_MEMORY;
  for (size_t i = 0; i < names.size(); ++i) {
    array[i] = fiMakeObjid(names[i], type);
    if (!array[i]) {
      for (size_t k = 0; k < i; ++k) quelb_free_objid(array[k]);
      quelb_free_buf(array, bytes);
      return QLB_ERR_NO_MEMORY;
    }
  }
  *out = array;
  return 0;
}

}  // namespace quelb_pdk_4_4
