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
    State& s = state();
    if (s.mutex.acquire() != 0) return s.holder;
    if (release) {
      s.holder.reset();
    } else if (s.holder.isNull()) {
      s.holder.reset(new Concrete());
    }
    Ptr copy(s.holder);
    s.mutex.release();
    return copy;
  }

  // Puts `instance` (which may be null) in the holder in place of what it
  // held. Lets tests run the entry points against an instrumented object.
  static void replace(T* instance) {
    State& s = state();
    if (s.mutex.acquire() != 0) return;
    Ptr previous(s.holder);
    s.holder.reset(instance);
    s.mutex.release();
  }

 private:
  struct State {
    Ptr holder;
    ACE_Thread_Mutex mutex;
  };
  static State& state() {
    static State s;
    return s;
  }
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFISINGLETON_H
