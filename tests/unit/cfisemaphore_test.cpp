// CLI execution lock: a System V semaphore shared across processes and users.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "cfisemaphoreposix.h"
#include "test_env.h"

using quelb_pdk_4_4::CFiSemaphorePosix;

namespace {

int semValue(int semId) { return semctl(semId, 0, GETVAL); }

bool semExists(int key) { return semget(key, 1, 0) >= 0; }

void removeKey(int key) {
  int id = semget(key, 1, 0);
  if (id >= 0) semctl(id, 0, IPC_RMID);
}

// A key of this test process only.
int privateTestKey() { return 0x51A00000 + (getpid() & 0xFFFF); }

// IPC_STAT (or IPC_SET) of the semaphore set `id`.
bool semStat(int id, int command, struct semid_ds& info) {
  union {
    int val;
    struct semid_ds* buf;
  } arg;
  arg.buf = &info;
  return semctl(id, 0, command, arg) == 0;
}

// Makes the semaphore of `key` with count 1, as a creator does, then gives
// it `mode`.
bool makeInitialised(int key, int mode) {
  int id = semget(key, 1, IPC_CREAT | IPC_EXCL | 0600);
  struct sembuf up = {0, 1, 0};
  struct semid_ds info;
  if (id < 0 || semop(id, &up, 1) != 0 || !semStat(id, IPC_STAT, info)) return false;
  info.sem_perm.mode = static_cast<unsigned short>(mode);
  return semStat(id, IPC_SET, info);
}

// Runs `body` in a child process, which exits with its result.
pid_t forkRunning(const std::function<int()>& body) {
  pid_t child = fork();
  if (child == 0) _exit(body());
  return child;
}

bool exitedCleanly(pid_t child) {
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Takes and gives back the semaphore of `key` in a child process running
// as `uid` (a switch needs root). "taken", or the system's reason for the
// failure as the semaphore reports it.
std::string takeAs(uid_t uid, int key) {
  int report[2];
  if (pipe(report) != 0) return "no pipe";
  pid_t child = forkRunning([&] {
    close(report[0]);
    if (uid != geteuid() && (setgid(uid) != 0 || setuid(uid) != 0)) return 3;
    CFiSemaphorePosix sem(key);
    std::string text = sem.wait() == 0 && sem.post() == 0 ? "taken" : sem.lastErrorText();
    return write(report[1], text.data(), text.size()) < 0 ? 4 : 0;
  });
  close(report[1]);
  std::string text;
  char buffer[256];
  for (ssize_t got; (got = read(report[0], buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  close(report[0]);
  return exitedCleanly(child) ? text : "child failed";
}

void appendMark(const std::string& path, char mark) {
  int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0600);
  if (fd < 0) return;
  if (write(fd, &mark, 1) != 1) std::cerr << "mark " << mark << " not written\n";
  close(fd);
}

}  // namespace

// A private one (key 0) starts free: every provider test takes it (provider_sim.h); what wait and
// post do to the count: HolderKilledWhileHoldingDoesNotBlockTheNext.
TEST(Semaphore, PrivateSemaphoreIsRemovedWithTheObject) {
  int id;
  {
    CFiSemaphorePosix sem(0);
    id = sem.getSemId();
    ASSERT_GE(id, 0);
  }
  errno = 0;
  EXPECT_EQ(semctl(id, 0, GETVAL), -1);
  EXPECT_TRUE(errno == EINVAL || errno == EIDRM);
}

TEST(Semaphore, TwoProcessesAreSerialisedByKey2004) {
  const int key = 2004;
  bool existed = semExists(key);
  testenv::TempDir dir;
  std::string log = dir.file("order");
  int go[2];
  ASSERT_EQ(pipe(go), 0);

  pid_t children[2];
  for (pid_t& child : children) {
    child = forkRunning([&] {
      char start;
      close(go[1]);
      if (read(go[0], &start, 1) < 0) return 4;
      CFiSemaphorePosix sem(key);
      if (sem.wait() != 0) return 2;
      appendMark(log, 'S');
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      appendMark(log, 'E');
      return sem.post() == 0 ? 0 : 3;
    });
    ASSERT_GE(child, 0);
  }
  close(go[0]);
  close(go[1]);  // both start at once
  for (pid_t child : children) EXPECT_TRUE(exitedCleanly(child));
  EXPECT_EQ(testenv::readFile(log), "SESE");
  if (!existed) removeKey(key);
}

TEST(Semaphore, HolderKilledWhileHoldingDoesNotBlockTheNext) {
  const int key = privateTestKey();
  removeKey(key);
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t holder = forkRunning([&] {
    close(ready[0]);
    CFiSemaphorePosix sem(key);
    if (sem.wait() != 0 || write(ready[1], "x", 1) != 1) return 2;
    pause();
    return 0;
  });
  ASSERT_GE(holder, 0);
  close(ready[1]);
  char byte;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  close(ready[0]);

  CFiSemaphorePosix sem(key);
  ASSERT_GE(sem.getSemId(), 0);
  EXPECT_EQ(semValue(sem.getSemId()), 0);  // held by the other process
  kill(holder, SIGKILL);
  ASSERT_FALSE(exitedCleanly(holder));
  EXPECT_EQ(semValue(sem.getSemId()), 1);  // given back by its undo
  EXPECT_EQ(sem.wait(), 0);
  EXPECT_EQ(sem.post(), 0);

  // Removed underneath (ipcrm): the next wait opens a new one.
  removeKey(key);
  EXPECT_EQ(sem.wait(), 0);
  EXPECT_TRUE(semExists(key));
  removeKey(key);
  EXPECT_EQ(sem.post(), 0);  // the hold went with it; a fresh one is free
  EXPECT_EQ(semValue(sem.getSemId()), 1);
  removeKey(key);
}

TEST(Semaphore, EveryLocalUserCanTakeItAndAnUnusableOneSaysWhy) {
  const int key = privateTestKey() + 1;
  const uid_t self = geteuid();
  const uid_t other = 65534;  // nobody
  struct Case {
    const char* name;
    int existingMode;  // made beforehand with this mode; 0: made by the class
    bool asOther;      // taken by another user (only root can switch)
    const char* expected;
  };
  const Case cases[] = {
      {"made here, taken by this user", 0, false, "taken"},
      {"made here, taken by another user", 0, true, "taken"},
      // A semaphore left by an older version (0600) is not another user's.
      {"0600 of root, taken by another user", 0600, true, "Permission denied"},
      // Read-only even for its owner (root is not held by modes).
      {"0400 of its own user", 0400, false, self == 0 ? "taken" : "Permission denied"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.asOther && self != 0) {
      std::cout << "[ SKIPPED  ] " << c.name << ": switching users needs root\n";
      continue;
    }
    removeKey(key);
    std::unique_ptr<CFiSemaphorePosix> made;
    if (c.existingMode == 0) {
      made.reset(new CFiSemaphorePosix(key));
    } else {
      ASSERT_TRUE(makeInitialised(key, c.existingMode));
    }
    EXPECT_EQ(c.expected, takeAs(c.asOther ? other : self, key));
    struct semid_ds info;
    if (c.existingMode == 0) {
      ASSERT_TRUE(semStat(semget(key, 1, 0), IPC_STAT, info));
      EXPECT_EQ(0666, info.sem_perm.mode & 0777);
    }
  }
  removeKey(key);
}
