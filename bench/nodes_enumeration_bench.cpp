// The enumeration of one array of 64,000 devices (sim/scenarios/scale.scn)
// against the simulator, timed as the library's own time: the elapsed time
// less the run times the simulator logged for its tools. Tracing is on at
// level 1, as a first start of the provider leaves it.
//
// BM_QuelbctlNodes runs `quelbctl -v nodes` as a person would, once with the
// utility library's buffer accounting (argument 1) and once without it (0),
// which a real framework's utility library does not have. The target is
// 0.4 s for the library's own time. The benchmark's time is the whole
// quelbctl run less the simulator's; "call_s" is the library's own time:
// the elapsed time of the enumerate_nodes call (quelbctl's -v note) less
// the simulator's, without quelbctl's start, the loading of the library
// and the printing of the table, which are the host's. It also reads two
// processor times, which hold on a busy machine better than elapsed ones:
// the library's call ("call_cpu_s": quelbctl's -v note of the processor
// time its process took in enumerate_nodes; the library runs in that
// process, the simulator's tools in their own); and the whole quelbctl
// process ("cpu_s": the call, plus quelbctl's start, the loading of the
// library and its catalog, and the printing of the table).
// BM_NodesEnumeration_EntryPoint calls enumerate_nodes of the loaded
// library in this process and frees the list, as a framework does
// (without the buffer accounting). Besides the elapsed figure it counts
// the processor time of this process over the call and the release
// ("cpu_s"): the library's own work and nothing else, as the tools run in
// processes of their own. Unlike the elapsed figures it holds on a busy
// machine.
//
// What the elapsed figures count beyond the library: the simulator logs a
// tool's run from the start of its command to the end of its work, so a
// tool's process start and exit and the writing of its output (megabytes
// for a listing of many devices) count as the library's; and on a busy
// machine, so does every wait for a processor. Read them on a quiet
// machine only.
//
// Each repetition is one run (a run takes seconds); the medians are the
// figures to read.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <quelb/quelb_pgn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

double secondsSince(const std::chrono::steady_clock::time_point& start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of this process (all its threads), in seconds.
double processSeconds() {
  struct timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Processor time (user and system) of the finished, not yet reaped child
// `pid`, in seconds, without the time of its own children: their times
// reach a process's record only as "children's time" (/proc/<pid>/stat
// fields 14 and 15 against 16 and 17). -1 when it cannot be read.
double ownSecondsOfZombie(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The command name (field 2) is in parentheses and may hold blanks.
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  const char* p = stat.c_str() + close + 1;
  unsigned long long utime = 0;
  unsigned long long stime = 0;
  // Fields 3 to 13 skipped, then utime and stime.
  if (std::sscanf(p, " %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %llu %llu", &utime, &stime) != 2)
    return -1;
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Runs a program without a shell, standard output and error to /dev/null
// unless `output` is given (it gets the descriptor `outputFd`: 1 for
// standard output, 2 for standard error); returns its exit status (-1
// when it cannot run).
// With `ownSeconds`, also the processor time the program took itself (not
// its children).
int run(const std::vector<std::string>& args, std::string* output = nullptr,
        double* ownSeconds = nullptr, int outputFd = 1) {
  std::string capture;
  char captureName[] = "/tmp/nodes_bench_XXXXXX";
  int captureFd = -1;
  if (output) {
    captureFd = mkstemp(captureName);
    if (captureFd < 0) return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  for (int fd = 1; fd <= 2; ++fd) {
    if (output && fd == outputFd) {
      posix_spawn_file_actions_adddup2(&actions, captureFd, fd);
    } else {
      posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_WRONLY, 0);
    }
  }
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = -1;
  if (rc == 0) {
    if (ownSeconds) {
      // Wait for the end but leave the process to be reaped, so that its
      // times can still be read.
      siginfo_t info;
      while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) < 0) {
      }
      *ownSeconds = ownSecondsOfZombie(pid);
    }
    int raw = 0;
    while (waitpid(pid, &raw, 0) < 0) {
    }
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  if (output) {
    std::ifstream in(captureName);
    output->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    close(captureFd);
    unlink(captureName);
  }
  return status;
}

// The times quelbctl's -v note gives for the call of `operation`
// ("<operation> took E s (P s of processor time in this process)"): the
// elapsed time E and the processor time P; false when the note is missing.
bool callSeconds(const std::string& notes, const std::string& operation, double& elapsed,
                 double& processor) {
  const std::string key = "quelbctl: " + operation + " took ";
  const std::size_t at = notes.find(key);
  if (at == std::string::npos) return false;
  const std::size_t open = notes.find('(', at);
  if (open == std::string::npos) return false;
  elapsed = std::strtod(notes.c_str() + at + key.size(), nullptr);
  processor = std::strtod(notes.c_str() + open + 1, nullptr);
  return true;
}

// A private installation with the simulator's tools, the scale scenario
// and the provider's configuration naming those tools; made once.
class Scene {
 public:
  Scene() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/nodes_bench_XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = name.data();
    bin_ = dir_ + "/bin";
    root_ = dir_ + "/root/";
    if (run({SYMSIM_PATH, "install", bin_}) != 0) throw std::runtime_error("symsim install");
    if (run({bin_ + "/symsim", "init", NORVEL_SOURCE_DIR "/sim/scenarios/scale.scn"}) != 0)
      throw std::runtime_error("symsim init");
    run({"/bin/mkdir", "-p", root_ + "ConfigFiles", dir_ + "/tmp"});
    symlink(NORVEL_BINARY_DIR "/Messages", (root_ + "Messages").c_str());
    std::ofstream(root_ + "ConfigFiles/norvel.conf")
        << "[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" << bin_ << "\"\n";
    setenv("QUELB_INSTALL_ROOT", root_.c_str(), 1);
    // An empty registry: no key, as on a machine without the framework's.
    const std::string registry = dir_ + "/registry.reg";
    std::ofstream(registry).flush();
    setenv("QUELB_REGISTRY", registry.c_str(), 1);
    setenv("QUELB_SLEEP_SCALE", "0", 1);
    setenv("QUELB_CLI_LOCK_KEY", "0", 1);
    setenv("TMPDIR", (dir_ + "/tmp").c_str(), 1);
    // The benchmarks measure without the utility library's accounting
    // unless they ask for it.
    setenv("QUELB_BUFFER_ACCOUNTING", "0", 1);
    unsetenv("SYMSIM_DB");
    unsetenv("QUELB_CONSUMER");
    // The first start writes the trace settings (tracing off); later
    // starts trace at level 1.
    run({QUELBCTL_PATH, "--lib", NORVEL_LIB_PATH, "enclosures"});
  }
  ~Scene() { run({"/bin/rm", "-rf", dir_}); }

  // Empties the simulator's command log.
  void clearLog() const { run({bin_ + "/symsim", "log", "--clear"}); }
  // The run times the simulator logged since the last clearLog, in seconds.
  double loggedSeconds() const {
    std::string log;
    run({bin_ + "/symsim", "log", "--json"}, &log);
    double ms = 0;
    const std::string key = "\"duration_ms\":";
    for (size_t at = log.find(key); at != std::string::npos; at = log.find(key, at + 1))
      ms += std::strtod(log.c_str() + at + key.size(), nullptr);
    return ms / 1000;
  }

 private:
  std::string dir_;
  std::string bin_;
  std::string root_;
};

Scene& scene() {
  static Scene s;
  return s;
}

void BM_QuelbctlNodes(benchmark::State& state) {
  Scene& s = scene();
  setenv("QUELB_BUFFER_ACCOUNTING", state.range(0) ? "1" : "0", 1);
  double wall = 0;
  double sim = 0;
  double cpu = 0;
  double callCpu = 0;
  double callLessSim = 0;
  for (auto _ : state) {
    s.clearLog();
    double own = 0;
    std::string notes;
    const auto start = std::chrono::steady_clock::now();
    const int status =
        run({QUELBCTL_PATH, "-v", "--lib", NORVEL_LIB_PATH, "nodes"}, &notes, &own, 2);
    const double elapsed = secondsSince(start);
    double call = 0;
    double callProcessor = 0;
    if (status != 0 || own < 0 || !callSeconds(notes, "enumerate_nodes", call, callProcessor))
      state.SkipWithError("quelbctl nodes failed");
    callCpu += callProcessor;
    const double logged = s.loggedSeconds();
    callLessSim += call - logged;
    wall += elapsed;
    sim += logged;
    cpu += own;
    state.SetIterationTime(elapsed - logged);
  }
  state.counters["wall_s"] = benchmark::Counter(wall, benchmark::Counter::kAvgIterations);
  state.counters["sim_s"] = benchmark::Counter(sim, benchmark::Counter::kAvgIterations);
  state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
  state.counters["call_cpu_s"] = benchmark::Counter(callCpu, benchmark::Counter::kAvgIterations);
  state.counters["call_s"] = benchmark::Counter(callLessSim, benchmark::Counter::kAvgIterations);
  setenv("QUELB_BUFFER_ACCOUNTING", "0", 1);
}

void quietCallback(qlb_init_rec*, const wchar_t*, const wchar_t*, int) {}

void BM_NodesEnumeration_EntryPoint(benchmark::State& state) {
  Scene& s = scene();
  void* library = dlopen(NORVEL_LIB_PATH, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    state.SkipWithError("cannot load the provider library");
    return;
  }
  auto init = reinterpret_cast<qlb_pgn_init_t>(dlsym(library, "norvel_fi_pgn_init"));
  auto fini = reinterpret_cast<qlb_pgn_fini_t>(dlsym(library, "norvel_fi_pgn_fini"));
  auto enumerate =
      reinterpret_cast<qlb_pgn_enumerate_nodes_t>(dlsym(library, "norvel_fi_pgn_enumerate_nodes"));
  qlb_locale_desc locale = {"root"};
  qlb_init_rec record = {};
  record.ir_callback = &quietCallback;
  record.ir_locale = &locale;
  uint16_t version[4] = {0, 0, 0, 0};
  if (init(&record, version) != 0) state.SkipWithError("init failed");
  double wall = 0;
  double sim = 0;
  double cpu = 0;
  int64_t nodes = 0;
  for (auto _ : state) {
    s.clearLog();
    qlb_node_list* list = nullptr;
    int count = 0;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = processSeconds();
    if (enumerate(&list, &count, 0, nullptr) != 0) state.SkipWithError("enumerate_nodes failed");
    quelb_free_node_list(list);
    cpu += processSeconds() - cpuStart;
    const double elapsed = secondsSince(start);
    const double logged = s.loggedSeconds();
    wall += elapsed;
    sim += logged;
    nodes += count;
    state.SetIterationTime(elapsed - logged);
  }
  fini();
  dlclose(library);
  state.counters["wall_s"] = benchmark::Counter(wall, benchmark::Counter::kAvgIterations);
  state.counters["sim_s"] = benchmark::Counter(sim, benchmark::Counter::kAvgIterations);
  state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
  state.counters["nodes"] =
      benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(BM_QuelbctlNodes)
    ->ArgName("accounting")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NodesEnumeration_EntryPoint)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
