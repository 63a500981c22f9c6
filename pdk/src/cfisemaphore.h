// CFiSemaphore: a counting lock of count 1, shared by the threads of a
// process and by every process of the machine that uses the same key,
// whichever user runs it. The CLI execution lock is one (key 2004).
//
// CFiSemaphore::open(key) gives the platform's semaphore: a System V
// semaphore on POSIX systems (CFiSemaphorePosix), a named semaphore
// "quelb-sem-<key>" on Windows (CFiSemaphoreWin). Key 0 makes one private
// to the object. A holder that dies gives the count back.
//
// A semaphore that cannot be made, opened, taken or given back makes the
// operation return -1 at once, never block; lastError() then holds the
// system's error, so the caller can say why.
#ifndef QLB_PDK_CFISEMAPHORE_H
#define QLB_PDK_CFISEMAPHORE_H

#include <memory>
#include <string>

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiSemaphore {
 public:
  // The platform's semaphore of `key`; never null. Whether it can be used
  // shows at the first wait().
  static std::unique_ptr<CFiSemaphore> open(int key);

  virtual ~CFiSemaphore();
  CFiSemaphore(const CFiSemaphore&) = delete;
  CFiSemaphore& operator=(const CFiSemaphore&) = delete;

  // Takes the count, waiting without time limit. 0, or -1 on failure.
  virtual int wait() = 0;
  // Gives the count back. 0, or -1 on failure.
  virtual int post() = 0;

  int getKey() const { return m_key; }
  // The system error of the last failure, 0 when nothing failed.
  int lastError() const { return m_lastError; }
  // The system's text for lastError().
  std::string lastErrorText() const;

 protected:
  explicit CFiSemaphore(int key) : m_key(key), m_lastError(0) {}

  int m_key;
  int m_lastError;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFISEMAPHORE_H
