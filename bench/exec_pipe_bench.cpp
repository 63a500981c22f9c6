// One run of a trivial child through the pipe (split, spawn, read to the
// end, wait) against a bare posix_spawn and waitpid of the same program.
// Wall-clock time: most of a run is spent in the child.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "cfiexecpipeposix.h"

extern char** environ;

namespace {

const char kChild[] = "/bin/true";

void BM_ExecPipe_TrivialChild(benchmark::State& state) {
  quelb_pdk_4_4::CFiExecPipePosix pipe(1);
  std::vector<std::string> output;
  for (auto _ : state) {
    if (pipe.Exec(kChild, output, "", 10, "", "", "") != 0) {
      state.SkipWithError("Exec failed");
      break;
    }
  }
}

void BM_PosixSpawnWaitpid_TrivialChild(benchmark::State& state) {
  char* argv[] = {const_cast<char*>(kChild), nullptr};
  for (auto _ : state) {
    pid_t pid;
    int status = 0;
    if (posix_spawn(&pid, kChild, nullptr, nullptr, argv, environ) != 0 ||
        waitpid(pid, &status, 0) != pid) {
      state.SkipWithError("spawn failed");
      break;
    }
  }
}

}  // namespace

BENCHMARK(BM_ExecPipe_TrivialChild)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PosixSpawnWaitpid_TrivialChild)->UseRealTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
