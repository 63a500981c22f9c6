#include "cfisemaphoreposix.h"

#include <errno.h>
#include <sys/ipc.h>
#include <sys/sem.h>

#include <chrono>

#include "cfisleep.h"

namespace quelb_pdk_4_4 {

namespace {

// The caller defines semun on Linux.
union SemArgument {
  int val;
  struct semid_ds* buf;
  unsigned short* array;
};

const int kMode = 0600;
// How long an opener waits for the creator to give the new semaphore its
// count before giving it the count itself (the creator died in between).
const long kCreatorWaitMs = 1000;

bool adjust(int semId, short delta, short flags) {
  struct sembuf op;
  op.sem_num = 0;
  op.sem_op = delta;
  op.sem_flg = flags;
  return semop(semId, &op, 1) == 0;
}

bool initialised(int semId) {
  struct semid_ds info;
  SemArgument arg;
  arg.buf = &info;
  return semctl(semId, 0, IPC_STAT, arg) == 0 && info.sem_otime != 0;
}

long elapsedMs(std::chrono::steady_clock::time_point since) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - since)
                               .count());
}

}  // namespace

CFiSemaphorePosix::CFiSemaphorePosix(int key) : m_semId(-1), m_key(key) { m_semId = open(); }

CFiSemaphorePosix::~CFiSemaphorePosix() {
  if (m_key == 0 && m_semId >= 0) semctl(m_semId, 0, IPC_RMID);
}

int CFiSemaphorePosix::open() {
  if (m_key == 0) {
    int id = semget(IPC_PRIVATE, 1, IPC_CREAT | kMode);
    // The initial count is no process's hold: no SEM_UNDO.
    if (id >= 0 && !adjust(id, 1, 0)) {
      semctl(id, 0, IPC_RMID);
      return -1;
    }
    return id;
  }
  for (int attempt = 0; attempt < 3; ++attempt) {
    int id = semget(m_key, 1, IPC_CREAT | IPC_EXCL | kMode);
    if (id >= 0) {
      // Its first semop also marks it initialised for other openers.
      return adjust(id, 1, 0) ? id : -1;
    }
    if (errno != EEXIST) return -1;
    id = semget(m_key, 1, 0);
    if (id < 0) {
      if (errno == ENOENT) continue;  // removed in between
      return -1;
    }
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    while (!initialised(id) && elapsedMs(start) < kCreatorWaitMs) fiSleep(1);
    if (!initialised(id)) adjust(id, 1, 0);
    return id;
  }
  return -1;
}

int CFiSemaphorePosix::wait() {
  bool reopened = false;
  while (m_semId >= 0) {
    if (adjust(m_semId, -1, SEM_UNDO)) return 0;
    int error = errno;
    if (error == EINTR) continue;
    if ((error == EIDRM || error == EINVAL) && m_key != 0 && !reopened) {
      m_semId = open();
      reopened = true;
      continue;
    }
    return -1;
  }
  return -1;
}

int CFiSemaphorePosix::post() {
  if (m_semId < 0) return -1;
  while (!adjust(m_semId, 1, SEM_UNDO)) {
    int error = errno;
    if (error == EINTR) continue;
    if ((error == EIDRM || error == EINVAL) && m_key != 0) {
      // Our hold went with the removed semaphore; a new one starts free.
      m_semId = open();
      return m_semId >= 0 ? 0 : -1;
    }
    return -1;
  }
  return 0;
}

}  // namespace quelb_pdk_4_4
