// CFiSemaphorePosix: a counting lock of count 1 shared by the threads of a
// process and by all processes that use the same key: a System V semaphore.
//
// - A non-zero key opens the system-wide semaphore of that IPC key,
//   creating it (count 1, mode 0600) when it does not exist. It outlives the
//   object, as other processes may be using it.
// - Key 0 makes a private semaphore, removed when the object goes.
// - wait() and post() use SEM_UNDO: a process that dies while holding the
//   semaphore gives it back.
// - A keyed semaphore removed while in use (for example with ipcrm) is
//   opened again (recreated) on the next wait or post.
// A semaphore that cannot be had at all (permissions, system limits) makes
// wait() and post() return -1 at once instead of blocking.
#ifndef QLB_PDK_CFISEMAPHOREPOSIX_H
#define QLB_PDK_CFISEMAPHOREPOSIX_H

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiSemaphorePosix {
 public:
  explicit CFiSemaphorePosix(int key);
  ~CFiSemaphorePosix();
  CFiSemaphorePosix(const CFiSemaphorePosix&) = delete;
  CFiSemaphorePosix& operator=(const CFiSemaphorePosix&) = delete;

  // Takes the count, waiting without time limit. 0, or -1 on failure.
  int wait();
  // Gives the count back. 0, or -1 on failure.
  int post();

  int getKey() const { return m_key; }
  // The System V identifier, -1 when the semaphore could not be had.
  int getSemId() const { return m_semId; }

 private:
  // Opens or creates the semaphore of m_key; the identifier or -1.
  int open();

  int m_semId;
  int m_key;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFISEMAPHOREPOSIX_H
