// The fault matrix: every provider operation, through quelbctl, against every fault kind the
// simulator injects on every SYMCLI command the operation runs (found by a run without a fault).
// Each cell (operation, command, fault kind) starts from fresh arrays and checks that quelbctl ends
// with 0 or 1, the result is the one expected() defines, a failure names the tool and its cause, no
// pair file, child or taken CLI lock is left, and the operation then succeeds without the fault.
// Sleeps are instant (QUELB_SLEEP_SCALE=0); a hang ends at the one-second CLI_TIMEOUT_IN_SEC.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/sem.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "isolated_install.h"
#include "sim_env.h"
#include "test_env.h"

namespace {

const char kArray1[] = "000190100001";
const std::string kU1 = std::string("UDID##EMC##SYMMETRIX##") + kArray1 + "##";

// The first array's "symsim state" needed first, and the quelbctl line ("@": the first array's
// UDID prefix). Only the `discovery` row faults the start-up's commands.
struct Operation {
  const char* name;
  const char* before;
  const char* line;
  bool discovery = false;

  std::vector<std::string> args() const {
    std::string text = line;
    for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, kU1);
    return simtest::splitCommandLine(text);
  }
};

const Operation kOperations[] = {
    {"discovery_and_enclosures", "", "enclosures", true},
    {"nodes", "", "nodes"},
    {"hosts", "", "hosts"},
    {"snapshot_mirror", "", "snapshot --method EMC_TimeFinder_Mirror @0041=0081"},
    {"snapshot_clone", "", "snapshot --method EMC_TimeFinder_Clone @0042=00C2"},
    {"snapshot_snap", "", "snapshot --method EMC_TimeFinder_Snap @0043=0103"},
    {"import", "pair 0041 0081 Split", "import @0081"},
    {"deport", "", "deport @0045 --flags 0x20"},
    {"restore_mirror", "pair 0041 0081 Split", "restore @0041=@0081"},
    {"restore_clone", "clone 0042 00C2 Copied", "restore @0042=@00C2"},
    {"restore_snap", "snap 0043 0103 CopyOnWrite", "restore @0043=@0103"},
    {"dispose_mirror", "pair 0041 0081 Split", "dispose @0041 @0081"},
    {"dispose_clone", "clone 0042 00C2 Copied", "dispose @0042 @00C2"},
    {"dispose_snap", "snap 0043 0103 CopyOnWrite", "dispose @0043 @0103"},
};

// What a cell may end with.
enum Expect {
  kSucceeds,     // status 0
  kFailsNamed,   // status 1, the output names the tool and `cause`
  kEitherNamed,  // either; a failure names the tool (a limit's error)
};

enum Effect {
  kOnceRetried,  // fails once with a lock message or no output: retried
  kOnceFails,    // fails once with a message of its own
  kAlwaysFails,  // fails on every run
  kBadOutput,    // ends with status 0 but its output is no document
  kLateFailure,  // did its work, then failed (output printed)
  kBigOutput,    // status 0, a document after very much text
};

// The arguments of "symsim fault add", and what a failure must say besides the tool's name.
struct FaultKind {
  const char* name;
  const char* add;
  Effect effect;
  const char* cause;
};

const FaultKind kFaultKinds[] = {
    {"gatekeeper busy once", "gatekeeper --msg 3", kOnceRetried, ""},
    {"gatekeeper busy always", "gatekeeper --msg 3 --always", kAlwaysFails,
     "A gate keeper cannot be opened"},
    {"failure once", "fail --exit 3 --message \"Injected failure 4711\"", kOnceFails,
     "Injected failure 4711"},
    {"failure always", "fail --exit 3 --message \"Injected failure 4711\" --always", kAlwaysFails,
     "Injected failure 4711"},
    {"hang", "hang", kOnceRetried, ""},
    {"hang midway", "hang --midway", kLateFailure, "operation execution is in progress"},
    {"crash before output", "crash", kOnceRetried, ""},
    {"crash after output", "crash --after", kLateFailure, ""},
    {"garbage", "garbage", kBadOutput, "exit status 0"},
    {"no XML", "noxml", kBadOutput, "exit status 0"},
    {"truncated XML", "truncate", kBadOutput, "exit status 0"},
    {"empty output", "empty", kBadOutput, "exit status 0"},
    {"huge output", "huge --bytes 4194304", kBigOutput, ""},
    {"over-long lines", "longline --bytes 1048576", kBigOutput, ""},
};

// What an operation does when a command fails for good.
enum Policy {
  kFailsOperation,
  kRetriesItself,     // a failure of its own is run again before giving up
  kOneOfMany,         // run once per path; the operation needs one to work,
                      // and a message must name the one that failed
  kReportsAndGoesOn,  // the operation goes on (and may succeed); a message
                      // must still name the command
  kIgnored,           // its result is not examined and nothing depends on it
};

// By "operation|command" first, then by command.
const std::map<std::string, Policy> kPolicies = {
    // Start-up: a rescan whose result is not examined (also run between the retries of a masking
    // refresh).
    {"symcfg discover", kIgnored},
    // Start-up reports a failed version query or array listing and returns 0; the operation then
    // finds no arrays.
    {"symcli version", kReportsAndGoesOn},
    {"symcfg list", kReportsAndGoesOn},
    // Start-up leaves the sizes of an array it cannot size at zero.
    {"symdisk list", kReportsAndGoesOn},
    // Host listing skips an array whose logins cannot be read.
    {"symmask list logins", kReportsAndGoesOn},
    // Import and deport go on without the device's assignments.
    {"symmaskdb list assignment", kReportsAndGoesOn},
    // A removal that fails does not stop a deport.
    {"symmask remove", kReportsAndGoesOn},
    // The refresh runs again (and rediscovers the arrays) before it gives up.
    {"symmask refresh", kRetriesItself},
    // An add runs for every HBA and director port; one that works is enough.
    {"symmask add", kOneOfMany},
    // A forced terminate that fails does not stop a dispose, nor the clearing of old sessions
    // before a snapshot.
    {"symclone terminate", kReportsAndGoesOn},
    {"symsnap terminate", kReportsAndGoesOn},
    // After a snap restore the restored session must end: a failure fails.
    {"restore_snap|symsnap terminate", kFailsOperation},
};

Policy policyOf(const std::string& operation, const std::string& key) {
  auto found = kPolicies.find(operation + "|" + key);
  if (found == kPolicies.end()) found = kPolicies.find(key);
  return found == kPolicies.end() ? kFailsOperation : found->second;
}

// The outcome for a fault of `effect` on a command of `policy` (printing a document when `reads`);
// `named`: a message must name the command even when the operation succeeds.
Expect expected(Policy policy, bool reads, Effect effect, bool* named) {
  *named = false;
  if (effect == kOnceRetried || policy == kIgnored) return kSucceeds;
  if (effect == kBigOutput) return kEitherNamed;
  if (effect == kBadOutput && !reads) return kSucceeds;
  const bool once = effect == kOnceFails || effect == kLateFailure;
  if (once && policy == kRetriesItself) return kSucceeds;
  if (once && policy == kOneOfMany) {
    *named = true;
    return kSucceeds;
  }
  if (policy == kReportsAndGoesOn) {
    *named = true;
    return kEitherNamed;
  }
  return kFailsNamed;
}

using simtest::LoggedRun;

std::string keyOf(const LoggedRun& run) { return run.tool + " " + run.command; }

std::string tail(const std::string& text) {
  return text.size() <= 1500 ? text : "..." + text.substr(text.size() - 1500);
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

struct CellResult {
  std::string id;  // "operation|command|fault kind"
  int status = -1;
  std::string problem;  // empty when the cell passed
  std::string output;
};

void PrintTo(const Operation& op, std::ostream* out) { *out << op.name; }

class FaultMatrix : public ::testing::TestWithParam<Operation> {
 protected:
  void SetUp() override {
    install.linkBuiltMessages();
    install.writeRegistry();
    testenv::makeDirs(install.root() + "ConfigFiles");
    // Few retries keep a command that always fails cheap; one second of time-out ends a hang.
    testenv::writeFile(install.configFile("norvel"),
                       "[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + sim.bin() +
                           "\"\n[DEBUG_TRACE_INFO]\n\"TRACELEVEL\"=dword:00000001\n"
                           "[TUNING_PARAMS]\n\"LOCK_RETRY_ATTEMPTS\"=dword:00000002\n"
                           "\"CLI_TIMEOUT_IN_SEC\"=dword:00000001\n"
                           "[RESTORE_INFO]\n\"TIMEOUT\"=dword:00000001\n");
  }

  // One cell's database, TMPDIR and CLI lock, a semaphore created here free (at 1) under a key no
  // one else uses, so that cells running side by side do not wait for each other.
  struct Cell {
    Cell() : dir("matrix_cell"), lockKey(reserveLockKey()) { testenv::makeDirs(tmp()); }
    ~Cell() {
      const int id = ::semget(lockKey, 1, 0);
      if (id >= 0) ::semctl(id, 0, IPC_RMID);
    }
    std::string db() const { return dir.file("symsim.db"); }
    std::string tmp() const { return dir.file("tmp"); }
    testenv::TempDir dir;
    key_t lockKey;
  };
  static key_t reserveLockKey() {
    static std::mutex mutex;
    static std::mt19937 random{std::random_device{}()};
    std::lock_guard<std::mutex> hold(mutex);
    for (;;) {
      const key_t key = static_cast<key_t>(0x4d000000 | (random() & 0xffffff));
      const int id = ::semget(key, 1, IPC_CREAT | IPC_EXCL | 0600);
      if (id < 0 && errno == EEXIST) continue;
      if (id < 0) throw std::runtime_error(std::string("no CLI lock: ") + std::strerror(errno));
      struct sembuf free = {0, 1, 0};
      if (::semop(id, &free, 1) == 0) return key;
      ::semctl(id, 0, IPC_RMID);
    }
  }

  simtest::ToolRun admin(const Cell& cell, const std::vector<std::string>& args) const {
    std::vector<std::string> all = {"--db", cell.db()};
    all.insert(all.end(), args.begin(), args.end());
    return simtest::runProgram(sim.bin() + "/symsim", all);
  }
  simtest::ToolRun quelbctl(const Cell& cell, const std::vector<std::string>& args) const {
    std::vector<std::string> all = {"--lib", testenv::norvelLibraryPath()};
    all.insert(all.end(), args.begin(), args.end());
    return simtest::runProgram(
        testenv::quelbctlPath(), all,
        {"QUELB_SLEEP_SCALE=0", "QUELB_CLI_LOCK_KEY=" + std::to_string(cell.lockKey),
         "TMPDIR=" + cell.tmp(), "SYMSIM_DB=" + cell.db()});
  }
  // A copy of the demo database in the operation's starting state; "" or what failed.
  std::string prepare(const Cell& cell, const Operation& op) const {
    // The shared-memory index is rebuilt from the database and its log.
    ::unlink((cell.db() + "-shm").c_str());
    for (const char* suffix : {"", "-wal"}) {
      if (testenv::fileExists(demo.db() + suffix))
        testenv::writeFile(cell.db() + suffix, testenv::readFile(demo.db() + suffix));
      else
        ::unlink((cell.db() + suffix).c_str());
    }
    if (!*op.before) return "";
    const simtest::ToolRun r = admin(
        cell, simtest::splitCommandLine(std::string("state --sid ") + kArray1 + " " + op.before));
    return r.status == 0 ? "" : "symsim state: " + r.out;
  }
  std::vector<LoggedRun> log(const Cell& cell) const {
    return simtest::loggedRuns(admin(cell, {"log", "--json"}).out);
  }
  // Pair files, runs still alive and a CLI lock not given back.
  std::string leftovers(const Cell& cell, const std::vector<LoggedRun>& runs) const {
    std::string found;
    const int lock = ::semget(cell.lockKey, 1, 0);
    if (lock >= 0 && ::semctl(lock, 0, GETVAL) != 1) found += " the CLI lock is still taken;";
    for (const std::string& f : testenv::listDir(cell.tmp())) found += " pair file " + f + ";";
    for (const LoggedRun& run : runs)
      if (run.pid > 0 && (::kill(static_cast<pid_t>(run.pid), 0) == 0 || errno != ESRCH))
        found += " child " + std::to_string(run.pid) + " (" + keyOf(run) + ") alive;";
    return found;
  }

  // The commands of a run without a fault, each with the number of its earlier runs to skip.
  struct Target {
    std::string key;
    bool reads;
    int skip;
    bool failsWithoutFault;  // its run failed in the reference run
  };
  std::vector<Target> targets(const Operation& op) {
    EXPECT_EQ(0, admin(demo, {"init", "--demo"}).status);
    Cell cell;
    EXPECT_EQ("", prepare(cell, op));
    size_t discoveryRuns = 0;
    if (!op.discovery) {
      simtest::ToolRun r = quelbctl(cell, {"enclosures"});
      EXPECT_EQ(0, r.status) << r.out;
      discoveryRuns = log(cell).size();
      EXPECT_EQ("", prepare(cell, op));
    }
    simtest::ToolRun r = quelbctl(cell, op.args());
    EXPECT_EQ(0, r.status) << "the operation fails without a fault:\n" << r.out;
    std::vector<LoggedRun> runs = log(cell);
    std::vector<Target> all;
    std::set<std::string> seen;
    for (size_t i = discoveryRuns; i < runs.size(); ++i) {
      const std::string key = keyOf(runs[i]);
      if (!seen.insert(key).second) continue;
      int skip = 0;
      for (size_t k = 0; k < i; ++k) skip += keyOf(runs[k]) == key;
      all.push_back({key, !runs[i].output.empty(), skip, runs[i].exitStatus > 0});
    }
    return all;
  }

  CellResult runCell(const Operation& op, const Target& target, const FaultKind& kind) const {
    CellResult result;
    result.id = std::string(op.name) + "|" + target.key + "|" + kind.name;
    Cell cell;
    std::string failed = prepare(cell, op);
    if (!failed.empty()) {
      result.problem = failed;
      return result;
    }
    const std::string tool = target.key.substr(0, target.key.find(' '));
    const std::string command = target.key.substr(tool.size() + 1);
    std::vector<std::string> add = simtest::splitCommandLine(std::string("fault add ") + kind.add);
    add.insert(add.end(),
               {"--tool", tool, "--cmd", command, "--skip", std::to_string(target.skip)});
    simtest::ToolRun added = admin(cell, add);
    if (added.status != 0) {
      result.problem = "symsim fault add: " + added.out;
      return result;
    }

    simtest::ToolRun r = quelbctl(cell, op.args());
    result.status = r.status;
    result.output = r.out;
    const simtest::Json faults = simtest::parseJson(admin(cell, {"fault", "list", "--json"}).out);
    const bool fired = faults.items.size() == 1 && faults[0]["fired"].number > 0;
    std::string problems;
    if (!fired) problems += " the fault never fired;";
    if (r.status != 0 && r.status != 1)
      problems += " quelbctl ended with status " + std::to_string(r.status) + ";";
    bool named = false;
    Expect expect = expected(policyOf(op.name, target.key), target.reads, kind.effect, &named);
    // A fault acting after the work (hang midway, crash after output, output replaced or added)
    // on a command that fails anyway in the reference run leaves the operation's ending unchanged.
    const bool afterWork =
        kind.effect == kLateFailure || kind.effect == kBadOutput || kind.effect == kBigOutput;
    if (afterWork && target.failsWithoutFault) {
      expect = kSucceeds;
      named = false;
    }
    if (expect == kSucceeds && r.status != 0) problems += " failed where it should succeed;";
    if (expect == kFailsNamed && r.status != 1) problems += " succeeded where it should fail;";
    if (r.status == 1 && !contains(r.out, tool))
      problems += " the failure does not name " + tool + ";";
    if (r.status == 1 && expect == kFailsNamed && *kind.cause && !contains(r.out, kind.cause))
      problems += std::string(" the failure does not say \"") + kind.cause + "\";";
    if (contains(r.out, "The messages before this one") && !contains(r.out, "[error] ") &&
        !contains(r.out, "[warning] ") && !contains(r.out, "[message] "))
      problems += " a message points to messages before it, and there are none;";
    if (named && r.status == 0 && !contains(r.out, tool))
      problems += " no message names the failed " + tool + ";";
    problems += leftovers(cell, log(cell));

    // Without the fault, with the same CLI lock and TMPDIR, the operation succeeds again.
    failed = prepare(cell, op);
    simtest::ToolRun again = quelbctl(cell, op.args());
    if (!failed.empty() || again.status != 0)
      problems += " the rerun without the fault failed: " + failed + tail(again.out) + ";";
    problems += leftovers(cell, log(cell));
    result.problem = problems;
    return result;
  }

  testenv::IsolatedInstall install;
  simtest::SimEnv sim;
  Cell demo;
  testenv::ScopedEnv noDatabase{"SYMSIM_DB", nullptr};
};

TEST_P(FaultMatrix, EveryFaultOfEveryCommand) {
  const Operation& op = GetParam();
  const std::vector<Target> all = targets(op);
  ASSERT_FALSE(all.empty()) << op.name << " runs no SYMCLI command";

  std::vector<std::pair<const Target*, const FaultKind*>> cells;
  for (const Target& t : all)
    for (const FaultKind& k : kFaultKinds) cells.push_back({&t, &k});
  std::vector<CellResult> results(cells.size());
  std::atomic<size_t> next{0};
  // The cells mostly wait: a few at a time.
  auto worker = [&]() {
    for (size_t i; (i = next++) < cells.size();)
      results[i] = runCell(op, *cells[i].first, *cells[i].second);
  };
  std::vector<std::thread> workers;
  for (int w = 0; w < 6; ++w) workers.emplace_back(worker);
  for (std::thread& w : workers) w.join();

  int passed = 0;
  for (const CellResult& r : results) {
    if (r.problem.empty())
      ++passed;
    else
      ADD_FAILURE() << r.id << " (status " << r.status << "):" << r.problem << "\n"
                    << tail(r.output);
  }
  std::printf("[ matrix ] %s: %zu commands x %zu fault kinds = %zu cells: %d pass, %zu fail\n",
              op.name, all.size(), std::size(kFaultKinds), results.size(), passed,
              results.size() - passed);
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultMatrix, ::testing::ValuesIn(kOperations),
                         [](const ::testing::TestParamInfo<Operation>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
