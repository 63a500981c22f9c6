// CFiSemaphoreWin: the semaphore of CFiSemaphore on Windows, a semaphore
// object of count 1 (initial count 1, maximum 1).
//
// - A non-zero key creates or opens the named semaphore "quelb-sem-<key>"
//   in the session's namespace, with the default access of its creator.
// - Key 0 makes an unnamed one, private to the object.
// - wait() waits without time limit; post() releases one count; the
//   destructor closes the handle. The system removes the semaphore when the
//   last handle to it closes.
// - Semaphores have no owner: a holder killed while holding the count does
//   not give it back. Once every process that had it open is gone, the next
//   opener creates it afresh with its count; a process still waiting on it
//   keeps waiting. The CLI runner bounds each command with its time-out, so
//   a holder that dies is a process killed from outside.
#ifndef QLB_PDK_CFISEMAPHOREWINDOWS_H
#define QLB_PDK_CFISEMAPHOREWINDOWS_H

#include "cfiexport.h"
#include "cfisemaphore.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiSemaphoreWin : public CFiSemaphore {
 public:
  explicit CFiSemaphoreWin(int key);
  ~CFiSemaphoreWin() override;

  int wait() override;
  int post() override;

 private:
  // Records GetLastError() as the last error; returns -1.
  int failed();

  void* m_handle;  // the semaphore's HANDLE, null when it could not be had
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFISEMAPHOREWINDOWS_H
