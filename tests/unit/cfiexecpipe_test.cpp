// Child-process pipe; no run may leave a descriptor, a child or a group member behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "cfiexecpipeposix.h"
#include "cfistringtool.h"
#include "cfitracelog.h"
#include "isolated_install.h"
#include "test_env.h"
#include "trace_recorder.h"

using quelb_pdk_4_4::CFiExecPipePosix;
using quelb_pdk_4_4::EFiExecPipe;
using quelb_pdk_4_4::tstring;
using Lines = std::vector<std::string>;

namespace {

// Exposes the protected operations and test hooks.
class TestPipe : public CFiExecPipePosix {
 public:
  explicit TestPipe(unsigned long unitMs = 1000, int autoClose = 1) : CFiExecPipePosix(autoClose) {
    setTimeUnitMs(unitMs);
  }
  using CFiExecPipePosix::Close;
  using CFiExecPipePosix::m_Lock;
  using CFiExecPipePosix::setLockWaitMs;

  int run(const std::string& command, Lines& out, uint32_t timeoutSec = 10,
          const std::string& workDir = "", const std::string& user = "") {
    return Exec(command, out, "", timeoutSec, workDir, user, "");
  }
  // {code, exit status} of the last error.
  std::tuple<int, int> error() const {
    return {getLastError().getCode(), static_cast<int>(getLastError().getExitStatus())};
  }
};

// Stops the run after `limit` lines, as another thread would.
class AbortingPipe : public TestPipe {
 public:
  explicit AbortingPipe(int limit) : TestPipe(20), m_limit(limit) {}

 protected:
  int ReadLine(char* buf, std::size_t size, int& timedOut, uint32_t timeoutSec) override {
    int got = TestPipe::ReadLine(buf, size, timedOut, timeoutSec);
    if (got == 1 && ++m_lines == m_limit) Abort();
    return got;
  }

 private:
  int m_limit;
  int m_lines = 0;
};

// Clock ticks since boot: the unit of a process's start time in /proc.
unsigned long long ticksSinceBoot() {
  const double seconds = std::strtod(testenv::readFile("/proc/uptime").c_str(), nullptr);
  return static_cast<unsigned long long>(seconds * static_cast<double>(sysconf(_SC_CLK_TCK)));
}

// Live processes of the group started by `startedBy` (clock ticks since boot): a later one took a
// number the group had left free.
int liveGroupMembers(pid_t pgid, unsigned long long startedBy) {
  int count = 0;
  for (const std::string& pid : testenv::listDir("/proc")) {
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string stat = testenv::readFile("/proc/" + pid + "/stat");
    std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    // Fields 3 to 5 (state, parent, group), then 22 (start time).
    std::istringstream rest(stat.substr(close + 1));
    std::string state, skipped;
    long ppid = 0, pgrp = 0;
    unsigned long long started = 0;
    rest >> state >> ppid >> pgrp;
    for (int field = 6; field < 22; ++field) rest >> skipped;
    rest >> started;
    if (pgrp == pgid && state != "Z" && state != "X" && started <= startedBy) ++count;
  }
  return count;
}

// The kernel finishes a SIGKILL asynchronously: waits briefly for the group to go.
int groupMembersAfterSettling(pid_t pgid) {
  const unsigned long long startedBy = ticksSinceBoot();
  for (int i = 0; i < 100 && liveGroupMembers(pgid, startedBy) > 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return liveGroupMembers(pgid, startedBy);
}

pid_t readPid(const std::string& path) {
  for (int i = 0; i < 100 && testenv::readFile(path).empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return static_cast<pid_t>(std::atol(testenv::readFile(path).c_str()));
}

}  // namespace

TEST(ExecPipe, SplitsCommandLinesHonouringDoubleQuotes) {
  Lines args;
  ASSERT_TRUE(CFiExecPipePosix::SplitCommandLine("a\t\"b c\"d \"\" e\\\"f \\x", args));
  EXPECT_EQ(args, (Lines{"a", "b cd", "", "e\"f", "\\x"}));
  EXPECT_FALSE(CFiExecPipePosix::SplitCommandLine(" \t ", args));
  EXPECT_FALSE(CFiExecPipePosix::SplitCommandLine(std::string("a\0b", 3), args));
}

// Each run's result, its lines (none left from before a success) and, when it fails,
// its error record (exit status -1: not looked at).
TEST(ExecPipe, RunsGiveTheirLinesAndTheirFailuresOwnCodes) {
  testenv::TempDir dir;
  // Exactly 8191 bytes fill a piece; the line feed then ends an empty line.
  const std::string piece(8191, '0');
  const Lines pieces{piece, piece, std::string(20000 - 2 * 8191, '0'), piece, ""};
  const Lines eight{"1", "2", "3", "4", "5", "6", "7", "8"};
  int leaky = dup(STDERR_FILENO);  // deliberately without close-on-exec
  ASSERT_GE(leaky, 0);
  const struct {
    std::string command;
    int result;
    Lines out;
    int code = 0, status = 0;
    std::string workDir = "";
    unsigned long unitMs = 0;
  } cases[] = {
      {"/bin/sh -c \"echo one; echo two >&2; echo three\"", 0, {"one", "two", "three"}},
      {"printf \"abc\\r\\n\\nlast\"", 0, {"abc", "", "last"}},
      {"/bin/true", 0, {}},
      {"printf \"%020000d\\n%08191d\\n\" 0 0", 0, pieces},
      // The status is examined even when the child ended before the reads.
      {"/bin/sh -c \"echo failing; exit 7\"", 11, {"failing"}, 11, 7},
      {"/bin/sh -c \"kill -TERM $$\"", 12, {}, 12, 128 + SIGTERM},  // a signal nobody here sent
      {"/nonexistent/symcfg list", 7, {}, 7, -1},
      {"no_such_tool_anywhere list", 7, {}, 7, -1},
      {"\"/bin/echo unterminated", 6, {}, 6, -1},
      // A working directory that is missing fails the child's creation.
      {"/bin/pwd", 3, {}, 4, -1, "/nonexistent/dir"},
      {"/bin/pwd", 0, {dir.path()}, 0, 0, dir.path()},
      // Only the standard descriptors; ls holds the directory it lists as 3.
      {"/bin/ls /proc/self/fd", 0, {"0", "1", "2", "3"}},
      {"/bin/sh -c \"read line; echo [$line]\"", 0, {"[]"}},  // standard input is empty
      // 8 lines 50 ms apart: 400 ms in all, never silent for the 200 ms time-out.
      {"/bin/sh -c \"for i in 1 2 3 4 5 6 7 8; do echo $i; sleep 0.05; done\"", 0, eight, 0, 0, "",
       200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    TestPipe pipe(c.unitMs ? c.unitMs : 1000);
    Lines out(c.result == 0 ? 1 : 0, "stale");
    EXPECT_EQ(pipe.run(c.command, out, c.unitMs ? 1 : 10, c.workDir), c.result);
    EXPECT_EQ(out, c.out);
    if (c.result == 0) continue;
    EXPECT_EQ(pipe.getLastError().getCode(), c.code);
    if (c.status != -1) {
      EXPECT_EQ(pipe.error(), std::make_tuple(c.code, c.status));
    }
    if (c.status == 7) {
      EXPECT_EQ(pipe.getLastError().getMessage(), L"Command exited with status 7");
      EXPECT_EQ(pipe.getLastError().getCommand(), c.command);
    }
  }
  close(leaky);
}

TEST(ExecPipe, OutputBeyondALimitStopsTheRunAndNamesTheLimit) {
  struct Case {
    quelb_pdk_4_4::SFiOutputLimits limits;  // bytes, bytes of a line, lines
    std::string command;
    std::size_t kept;     // lines in the output afterwards
    const char* message;  // null: the run succeeds
  };
  const std::string twoLines = "printf \"abcde\\nfghij\\n\"";  // 12 bytes with line ends
  const std::string longLine = "printf \"%020000d\\n\" 0";     // one line, three pieces
  const std::vector<Case> cases = {
      {{12, 0, 0}, twoLines, 2, nullptr},
      {{11, 0, 0}, twoLines, 1, "the output is longer than the limit of 11 bytes"},
      {{0, 20000, 0}, longLine, 3, nullptr},
      {{0, 19999, 0}, longLine, 2, "an output line is longer than the limit of 19999 bytes"},
      {{0, 0, 2}, twoLines, 2, nullptr},
      {{0, 0, 1}, twoLines, 1, "the output has more than the limit of 1 lines"},
      {{1000000, 0, 0}, "yes", 500000, "the output is longer than the limit of 1000000 bytes"},
  };
  const int children = testenv::childProcessCount();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command + " " + std::to_string(c.kept));
    TestPipe pipe(20);
    pipe.setOutputLimits(c.limits);
    Lines out;
    EXPECT_EQ(pipe.run(c.command, out), c.message ? quelb_pdk_4_4::QLB_EXEC_PIPE_OUTPUT_LIMIT : 0);
    EXPECT_EQ(out.size(), c.kept);
    if (!c.message) continue;
    EXPECT_EQ(pipe.getLastError().getCode(), quelb_pdk_4_4::QLB_EXEC_PIPE_OUTPUT_LIMIT);
    EXPECT_EQ(quelb_pdk_4_4::CFiStringTool::wstr2str(pipe.getLastError().getMessage()), c.message);
  }
  // A child stopped for its output is gone, however it went on printing.
  EXPECT_EQ(testenv::childProcessCount(), children);
}

TEST(ExecPipe, QuotedPathWithSpacesAndArgumentsReachTheChildVerbatim) {
  testenv::TempDir dir;
  testenv::makeDirs(dir.file("SYM CLI/bin"));
  std::string tool = dir.file("SYM CLI/bin/my tool");
  testenv::writeFile(tool, "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done\n");
  chmod(tool.c_str(), 0755);

  TestPipe pipe;
  Lines out;
  std::string marker = dir.file("pwned");
  ASSERT_EQ(
      pipe.run("\"" + tool + "\"  -sid 0001 \"dev name\" \"\" ;touch " + marker + " $(id) `id`",
               out, 10, dir.path()),
      0);
  EXPECT_EQ(out, (Lines{"[-sid]", "[0001]", "[dev name]", "[]", "[;touch]", "[" + marker + "]",
                        "[$(id)]", "[`id`]"}));
  EXPECT_FALSE(testenv::fileExists(marker));
}

TEST(ExecPipe, SilentHungChildTimesOutAndItsWholeGroupIsKilled) {
  testenv::TempDir dir;
  std::string pidFile = dir.file("pgid");
  int children = testenv::childProcessCount();
  // One time-out unit is 50 ms here: read time-out 50 ms, each close
  // attempt 500 ms. The background sleep ignores SIGINT, as background jobs
  // of a shell do; it goes with the group.
  testenv::IsolatedInstall install;
  testenv::TraceRecorder traces;
  TestPipe pipe(50);
  pipe.setTraceLog(traces.log());
  Lines out;
  EXPECT_EQ(
      pipe.run("/bin/sh -c \"echo $$ > " + pidFile + "; sleep 100 & exec sleep 100\"", out, 1), 5);
  EXPECT_TRUE(out.empty());
  // The time-out, the record and its trace: RunnerTest.HungToolTimesOutAndIsGone (provider).
  EXPECT_EQ(1, traces.count("Close of the process returned 11"));
  pid_t pgid = readPid(pidFile);
  ASSERT_GT(pgid, 1);
  EXPECT_EQ(groupMembersAfterSettling(pgid), 0);
  EXPECT_EQ(testenv::childProcessCount(), children);
}

TEST(ExecPipe, ChildThatIgnoresPoliteSignalsIsKilledOnTheThirdAttempt) {
  // A time unit of 200 ms: the shell's first line comes within the read
  // time-out even on a loaded machine (at 20 ms it once did not).
  TestPipe pipe(200, 0);
  Lines out;
  EXPECT_EQ(
      pipe.run("/bin/sh -c \"trap '' INT TERM; echo ready; while :; do sleep 1; done\"", out, 1),
      5);
  EXPECT_EQ(out, (Lines{"ready"}));  // the lines read before the time-out stay
  // Without auto-close the run stays open until Close.
  EXPECT_EQ(pipe.Close(1), 11);
  EXPECT_EQ(pipe.error(), std::make_tuple(11, 1067));
  EXPECT_EQ(pipe.Close(1), 0);  // closing a closed pipe does nothing
}

TEST(ExecPipe, OutputEndsWhenTheChildEndsEvenIfDescendantsHoldThePipe) {
  testenv::TempDir dir;
  std::string pidFile = dir.file("pgid");
  TestPipe pipe;
  Lines out;
  // Waiting for the sleep, which holds the pipe for 30 s, would end in the
  // 10 s read time-out instead.
  EXPECT_EQ(pipe.run("/bin/sh -c \"echo $$ > " + pidFile + "; sleep 30 & echo done\"", out, 10), 0);
  EXPECT_EQ(out, (Lines{"done"}));
  pid_t pgid = readPid(pidFile);
  ASSERT_GT(pgid, 1);
  killpg(pgid, SIGKILL);  // the background sleep is the test's to end
  EXPECT_EQ(groupMembersAfterSettling(pgid), 0);
}

TEST(ExecPipe, AbortStopsBeforeTheNextLineAndClosesTheRun) {
  AbortingPipe pipe(2);
  Lines out;
  // The producer never ends by itself; closing the pipe early ends it.
  EXPECT_EQ(pipe.run("/usr/bin/yes line", out), 11);
  EXPECT_EQ(out, (Lines{"line", "line"}));
  EXPECT_EQ(pipe.error(), std::make_tuple(11, 1067));
  // Abort before the first read: nothing is read, the run is closed.
  TestPipe early;
  early.Abort();
  int children = testenv::childProcessCount();
  EXPECT_EQ(early.run("/bin/true", out), 0);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(testenv::childProcessCount(), children);
}

TEST(ExecPipe, UserSwitchRunsAsThatAccountAndFailsCleanly) {
  testenv::IsolatedInstall install;
  testenv::TraceRecorder traces;
  TestPipe pipe;
  pipe.setTraceLog(traces.log());
  pipe.setLockWaitMs(20);
  Lines out;
  EXPECT_EQ(pipe.run("/usr/bin/id -u", out, 10, "", "no_such_user_here"), 3);
  EXPECT_EQ(pipe.getLastError().getCode(), 10);
  EXPECT_EQ(pipe.getLastError().getCommand(), "no_such_user_here");
  EXPECT_EQ(1, traces.count("Execption occured while closing handles"));
  if (geteuid() == 0) {
    EXPECT_EQ(pipe.run("/usr/bin/id -u", out, 10, "", "nobody"), 0);
    EXPECT_EQ(out, (Lines{"65534"}));
  } else {
    EXPECT_EQ(pipe.run("/usr/bin/id -u", out, 10, "", "root"), 3);
    EXPECT_EQ(pipe.getLastError().getCode(), 10);
  }

  // Another pipe holds the lock for the whole wait bound. That every run above gave it back:
  // the take succeeds.
  ASSERT_TRUE(TestPipe::m_Lock.take());
  EXPECT_EQ(pipe.run("/usr/bin/id -u", out, 10, "", "nobody"), 3);
  EXPECT_EQ(pipe.getLastError().getCode(), 9);
  TestPipe::m_Lock.release();
}

TEST(ExecPipe, HostIgnoringSigchldLosesOnlyTheExitStatus) {
  struct sigaction ignore, old;
  std::memset(&ignore, 0, sizeof(ignore));
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGCHLD, &ignore, &old), 0);
  TestPipe pipe(20);
  Lines out;
  int result = pipe.run("/bin/sh -c \"echo one; sleep 0.1; echo two\"", out, 10);
  sigaction(SIGCHLD, &old, nullptr);
  EXPECT_EQ(result, 8);
  EXPECT_EQ(out, (Lines{"one", "two"}));
  EXPECT_EQ(pipe.getLastError().getMessage(), L"Error in WaitPid()");
}

TEST(ExecPipe, ManyRunsLeaveNoDescriptorsOrChildren) {
  int fds = testenv::openDescriptorCount();
  int children = testenv::childProcessCount();
  TestPipe pipe(20);
  Lines out;
  for (int i = 0; i < 40; ++i) {
    ASSERT_EQ(pipe.run("/bin/echo run " + std::to_string(i), out), 0);
    ASSERT_EQ(out, (Lines{"run " + std::to_string(i)}));
    pipe.run("/bin/false", out);
    pipe.run("/nonexistent", out);
  }
  pipe.run("/bin/sleep 100", out, 1);  // timed out and killed
  {
    TestPipe open(20, 0);
    open.run("/bin/sleep 100", out, 1);  // left open; the destructor closes
  }
  EXPECT_EQ(testenv::openDescriptorCount(), fds);
  EXPECT_EQ(testenv::childProcessCount(), children);
}
