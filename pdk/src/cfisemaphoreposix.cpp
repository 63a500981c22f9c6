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

// Whether the creator has given the semaphore its count. One that cannot
// even be looked at (another user's, not readable) counts as initialised:
// waiting for it would change nothing, and wait() reports why it fails.
bool initialised(int semId) {
  struct semid_ds info;
  SemArgument arg;
  arg.buf = &info;
  return semctl(semId, 0, IPC_STAT, arg) != 0 || info.sem_otime != 0;
}

long elapsedMs(std::chrono::steady_clock::time_point since) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - since)
                               .count());
}

}  // namespace

std::unique_ptr<CFiSemaphore> CFiSemaphore::open(int key) {
  return std::unique_ptr<CFiSemaphore>(new CFiSemaphorePosix(key));
}

CFiSemaphorePosix::CFiSemaphorePosix(int key) : CFiSemaphore(key), m_semId(-1) { m_semId = open(); }

CFiSemaphorePosix::~CFiSemaphorePosix() {
  if (m_key == 0 && m_semId >= 0) semctl(m_semId, 0, IPC_RMID);
}

int CFiSemaphorePosix::failed() {
  m_lastError = errno;
  return -1;
}

int CFiSemaphorePosix::open() {
  if (m_key == 0) {
    int id = semget(IPC_PRIVATE, 1, IPC_CREAT | MODE);
    if (id < 0) return failed();
    // The initial count is no process's hold: no SEM_UNDO.
    if (!adjust(id, 1, 0)) {
      failed();
      semctl(id, 0, IPC_RMID);
      return -1;
    }
    return id;
  }
  for (int attempt = 0; attempt < 3; ++attempt) {
    // System V modes are not narrowed by the process's file-creation mask.
    int id = semget(m_key, 1, IPC_CREAT | IPC_EXCL | MODE);
    if (id >= 0) {
      // Its first semop also marks it initialised for other openers.
      return adjust(id, 1, 0) ? id : failed();
    }
    if (errno != EEXIST) return failed();
    id = semget(m_key, 1, 0);
    if (id < 0) {
      if (errno == ENOENT) continue;  // removed in between
      return failed();
    }
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    while (!initialised(id) && elapsedMs(start) < kCreatorWaitMs) fiSleep(1);
    if (!initialised(id)) adjust(id, 1, 0);
    return id;
  }
  errno = ENOENT;
  return failed();
}

int CFiSemaphorePosix::wait() {
  bool reopened = false;
  if (m_semId < 0 && m_key != 0) {
    m_semId = open();
    reopened = true;
  }
  while (m_semId >= 0) {
    if (adjust(m_semId, -1, SEM_UNDO)) return 0;
    int error = errno;
    if (error == EINTR) continue;
    if ((error == EIDRM || error == EINVAL) && m_key != 0 && !reopened) {
      m_semId = open();
      reopened = true;
      continue;
    }
    return failed();
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
    return failed();
  }
  return 0;
}

}  // namespace quelb_pdk_4_4
