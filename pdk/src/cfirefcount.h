// CFiRefCount: the kit's intrusive reference count, a virtual base of most
// kit classes. CFiSmartPtr adds and drops references; the object deletes
// itself when the last one goes.
#ifndef QLB_PDK_CFIREFCOUNT_H
#define QLB_PDK_CFIREFCOUNT_H

#include <atomic>
#include <cstdint>

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiRefCount {
 public:
  CFiRefCount() : m_count(0) {}
  // A copy starts unreferenced: references belong to the object, not its value.
  CFiRefCount(const CFiRefCount&) : m_count(0) {}
  CFiRefCount& operator=(const CFiRefCount&) { return *this; }
  virtual ~CFiRefCount() {}

  // Adds a reference and returns the new count.
  virtual int32_t addReference() { return ++m_count; }
  // Drops a reference and returns the new count. The caller deletes the
  // object when the result is 0.
  virtual int32_t releaseReference() { return --m_count; }
  // The current count.
  virtual int32_t referenceCount() const { return m_count.load(); }

 private:
  // Atomic: references are taken and dropped from several framework threads.
  std::atomic<int32_t> m_count;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIREFCOUNT_H
