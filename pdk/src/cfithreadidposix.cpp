// Thread and process ids on POSIX systems (Linux: the kernel's thread id).
//
// The thread id is asked of the kernel once per thread and kept: every
// traced line carries it, and a system call per line is a good part of
// tracing a line that the level then drops. A child made by fork has new
// ids, so a fork makes every kept id stale.
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

#include "cfithreadid.h"

namespace quelb_pdk_4_4 {

namespace {

// Counts the forks this process is the child of; a kept id is good only
// for the count it was read at.
std::atomic<unsigned> g_forkGeneration{0};

void onForkChild() { g_forkGeneration.fetch_add(1, std::memory_order_relaxed); }

struct KeptThreadId {
  bool set = false;
  unsigned generation = 0;
  unsigned id = 0;
};

thread_local KeptThreadId t_threadId;

}  // namespace

unsigned int fiCurrentThreadId() {
  // Registered once; the handler goes with this library when it unloads.
  static const int registered = ::pthread_atfork(nullptr, nullptr, &onForkChild);
  (void)registered;
  const unsigned generation = g_forkGeneration.load(std::memory_order_relaxed);
  KeptThreadId& kept = t_threadId;
  if (!kept.set || kept.generation != generation) {
    kept.id = static_cast<unsigned int>(::syscall(SYS_gettid));
    kept.generation = generation;
    kept.set = true;
  }
  return kept.id;
}

unsigned long fiCurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

}  // namespace quelb_pdk_4_4
