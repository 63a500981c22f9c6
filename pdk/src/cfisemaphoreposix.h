// CFiSemaphorePosix: the semaphore of CFiSemaphore on POSIX systems, a
// System V semaphore.
//
// - A non-zero key opens the system-wide semaphore of that IPC key,
//   creating it (count 1) when it does not exist. It is created with mode
//   0666, so that the processes of every local user can take it: the CLI
//   lock must hold whoever runs the provider. It outlives the object, as
//   other processes may be using it. A semaphore of the key made with a
//   narrower mode (by an older version, or by hand) is not changed; a
//   process that may not use it gets EACCES from wait(), and the caller
//   reports it (remove it once with "ipcrm -S <key>").
// - Key 0 makes a private semaphore, removed when the object goes.
// - wait() and post() use SEM_UNDO: a process that dies while holding the
//   semaphore gives it back.
// - A keyed semaphore removed while in use (for example with ipcrm) is
//   opened again (recreated) on the next wait or post; one that could not
//   be had when the object was made is tried again by each wait.
#ifndef QLB_PDK_CFISEMAPHOREPOSIX_H
#define QLB_PDK_CFISEMAPHOREPOSIX_H

#include "cfiexport.h"
#include "cfisemaphore.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiSemaphorePosix : public CFiSemaphore {
 public:
  // The mode of a semaphore this class creates.
  static const int MODE = 0666;

  explicit CFiSemaphorePosix(int key);
  ~CFiSemaphorePosix() override;

  int wait() override;
  int post() override;

  // The System V identifier, -1 when the semaphore could not be had.
  int getSemId() const { return m_semId; }

 private:
  // Opens or creates the semaphore of m_key; the identifier, or -1 with
  // m_lastError set.
  int open();
  // Records errno as the last error; returns -1.
  int failed();

  int m_semId;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFISEMAPHOREPOSIX_H
