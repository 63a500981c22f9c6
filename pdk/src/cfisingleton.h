// CFiSingletonAccessor: the accessor behind each process-wide object (plug-in
// object, trace log, catalog manager, error manager, private data manager,
// session manager).
//
// Each accessor owns a holder and a mutex, both built on first use and gone
// at module unload. Under the mutex, access(true) drops the holder's
// reference and empties it; access(false) fills an empty holder with a new
// instance (of Concrete, which may derive from T). Either way the caller
// gets a copy of the holder. When the mutex cannot be taken the holder is
// copied without creating anything.
#ifndef QLB_PDK_CFISINGLETON_H
#define QLB_PDK_CFISINGLETON_H

#include <ace/Thread_Mutex.h>

#include "cfismartptr.h"

namespace quelb_pdk_4_4 {

template <class T, class Concrete = T>
class CFiSingletonAccessor {
 public:
  typedef CFiSmartPtr<T, CFiContextSingletonAllocator<T> > Ptr;

  static Ptr access(bool release) {
    static Ptr holder;
    static ACE_Thread_Mutex mutex;
    if (mutex.acquire() != 0) return holder;
    if (release) {
      holder.reset();
    } else if (holder.isNull()) {
      holder.reset(new Concrete());
    }
    Ptr copy(holder);
    mutex.release();
    return copy;
  }
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFISINGLETON_H
