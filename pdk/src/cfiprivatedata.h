// Per-node private data and its manager.
#ifndef QLB_PDK_CFIPRIVATEDATA_H
#define QLB_PDK_CFIPRIVATEDATA_H

#include <quelb/quelb_records.h>

#include "cfiexport.h"
#include "cfirefcount.h"
#include "cfismartptr.h"
#include "cfitraceable.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiPrivateDataManager : public virtual CFiRefCount,
                                             public virtual CFiTraceable {
 public:
  CFiPrivateDataManager() {}
  virtual ~CFiPrivateDataManager() {}
};

typedef CFiSmartPtr<CFiPrivateDataManager, CFiNullAllocator<CFiPrivateDataManager> >
    CFiPrivateDataManagerPtr;

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIPRIVATEDATA_H
