// CFiSmartPtr<T, Allocator>: intrusive reference-counting pointer over a T
// that derives from CFiRefCount.
//
// The allocator policy says what create() does:
//   CFiContextSingletonAllocator<T> makes a new T (the accessors of the
//     process-wide objects use it to make the one instance on first use);
//   CFiNullAllocator<T> makes nothing; such a pointer only refers.
// Pointers with different policies convert into each other; the policy does
// not change what is stored.
#ifndef QLB_PDK_CFISMARTPTR_H
#define QLB_PDK_CFISMARTPTR_H

#include <utility>

#include "cfirefcount.h"

namespace quelb_pdk_4_4 {

template <class T>
struct CFiNullAllocator {
  static T* create() { return nullptr; }
};

template <class T>
struct CFiContextSingletonAllocator {
  static T* create() { return new T(); }
};

template <class T, class Allocator = CFiNullAllocator<T> >
class CFiSmartPtr {
 public:
  CFiSmartPtr() : m_ptr(nullptr) {}
  // Takes a reference to p (which may be null).
  explicit CFiSmartPtr(T* p) : m_ptr(p) { acquire(); }
  CFiSmartPtr(const CFiSmartPtr& other) : m_ptr(other.m_ptr) { acquire(); }
  CFiSmartPtr(CFiSmartPtr&& other) noexcept : m_ptr(other.m_ptr) { other.m_ptr = nullptr; }
  template <class U, class A>
  CFiSmartPtr(const CFiSmartPtr<U, A>& other) : m_ptr(other.get()) {
    acquire();
  }
  ~CFiSmartPtr() { release(); }

  CFiSmartPtr& operator=(const CFiSmartPtr& other) {
    reset(other.m_ptr);
    return *this;
  }
  CFiSmartPtr& operator=(CFiSmartPtr&& other) noexcept {
    if (this != &other) {
      release();
      m_ptr = other.m_ptr;
      other.m_ptr = nullptr;
    }
    return *this;
  }
  template <class U, class A>
  CFiSmartPtr& operator=(const CFiSmartPtr<U, A>& other) {
    reset(other.get());
    return *this;
  }

  // Refers to p instead (taking a reference first, so p may be the object
  // already held).
  void reset(T* p = nullptr) {
    if (p) p->addReference();
    release();
    m_ptr = p;
  }

  // Refers to a new object made by the allocator policy (nothing for
  // CFiNullAllocator).
  void create() { reset(Allocator::create()); }

  T* get() const { return m_ptr; }
  T* operator->() const { return m_ptr; }
  T& operator*() const { return *m_ptr; }
  bool isNull() const { return m_ptr == nullptr; }
  explicit operator bool() const { return m_ptr != nullptr; }

  // A pointer to the same object as a derived class, or an empty one when
  // the object is not of that class.
  template <class U>
  CFiSmartPtr<U, CFiNullAllocator<U> > dynamicCast() const {
    return CFiSmartPtr<U, CFiNullAllocator<U> >(dynamic_cast<U*>(m_ptr));
  }

  friend bool operator==(const CFiSmartPtr& a, const CFiSmartPtr& b) { return a.m_ptr == b.m_ptr; }
  friend bool operator!=(const CFiSmartPtr& a, const CFiSmartPtr& b) { return a.m_ptr != b.m_ptr; }

 private:
  void acquire() {
    if (m_ptr) m_ptr->addReference();
  }
  void release() {
    T* p = m_ptr;
    m_ptr = nullptr;
    if (p && p->releaseReference() == 0) delete p;
  }

  T* m_ptr;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFISMARTPTR_H
