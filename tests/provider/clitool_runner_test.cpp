// The SYMCLI runner against the simulator: its command lines, gatekeeper retries and forced lock
// release (by the command log), failures, time-outs, the CLI lock, unstartable tools, cleanXML.
#include <signal.h>

#include <cerrno>

#include "cfierror.h"
#include "cfiexecpipeposix.h"
#include "cfisemaphore.h"
#include "emcsym_clierror.h"
#include "provider_sim.h"

using namespace quelb_pdk_4_4;

namespace providertest {
namespace {

const std::string kShow = "symdev -sid " + kArray1 + " show 0040";

using RunnerTest = ProviderSimTest;

// A successful run's command line (quoted path, two blanks, the output option), run once without
// a pause: Discovery, FailureMessages (e2e) and the exact runs, sleeps and traces below.
TEST_F(RunnerTest, EachGatekeeperMessageAndEmptyOutputIsRetriedAtTheConfiguredDelay) {
  writeConfig(2, 3);
  for (const char* which : {"1", "2", "3", "4", "none"}) {
    SCOPED_TRACE(which);
    clearLog();
    sim_.admin(std::string("fault add gatekeeper --msg ") + which +
               " --tool symdev --cmd show --count 2");
    EXPECT_EQ("0040", tool_.getSymDev(kArray1, "0040").devName);
    EXPECT_EQ((Lines{kShow, kShow, kShow}), runLines());
    EXPECT_EQ((Sleeps{3000, 3000}), recordedSleeps());
  }
  EXPECT_EQ(5, traceCount("Command passed on retry."));
  // Each of the four messages was recognised on both failed runs.
  EXPECT_EQ(8, traceCount("gatekepper is locked."));
}

TEST_F(RunnerTest, HeldLockIsReleasedFromTheLockList) {
  writeConfig(1, 2);
  sim_.admin("fault add lock --sid " + kArray1 + " --lockn 5");
  EXPECT_EQ("0041", tool_.getSymDev(kArray1, "0041").devName);
  const std::string show = "symdev -sid " + kArray1 + " show 0041";
  EXPECT_EQ((Lines{show, show, "symcfg list", "symcfg -sid " + kArray1 + " -lock list",
                   "symcfg -sid " + kArray2 + " -lock list",
                   "symcfg -sid " + kArray1 + " -noprompt -lockn 5 release", show}),
            runLines());
  EXPECT_EQ((Sleeps{2000}), recordedSleeps());
  EXPECT_EQ(1, traceCount("Forcefully releasing all the locks aquired by other processe."));
  EXPECT_EQ(1, traceCount("Releasing lock 5 for symmetrix 000190100001."));
}

// A gatekeeper still locked after the retries, or with none and a lock list that cannot be read:
// the arrays, their lock lists (the first failing one ends the listing), the arrays again and
// locks 1 to 15 of each are released, then the command runs once more. A tool forces the release
// once only: each case has a tool of its own.
TEST_F(RunnerTest, GatekeeperStillLockedReleasesLocksOneTo15ThenRunsOnceMore) {
  const auto expectForcedRelease = [&](uint32_t attempts, Lines expected, bool locksListed,
                                       const Sleeps& sleeps) {
    writeConfig(attempts, 3);
    CEmcSymCliTool tool(CFiStringTool::str2tstr(bin_), traceLog_);
    EXPECT_EQ("0040", tool.getSymDev(kArray1, "0040").devName);
    expected.insert(expected.end(), {"symcfg list", "symcfg -sid " + kArray1 + " -lock list"});
    if (locksListed) expected.push_back("symcfg -sid " + kArray2 + " -lock list");
    expected.push_back("symcfg list");
    for (const std::string& symid : {kArray1, kArray2})
      for (int n = 1; n <= 15; ++n)
        expected.push_back("symcfg -sid " + symid + " -noprompt -lockn " + std::to_string(n) +
                           " release");
    expected.push_back(kShow);
    EXPECT_EQ(expected, runLines());
    EXPECT_EQ(sleeps, recordedSleeps());
    clearLog();
  };
  sim_.admin("fault add gatekeeper --msg 4 --tool symdev --cmd show --count 3");
  expectForcedRelease(2, {kShow, kShow, kShow}, true, {3000, 3000});
  EXPECT_EQ(1, traceCount("Gate keeper is locked. Releasing the lock on the gate keeper."));
  EXPECT_EQ(
      1, traceCount(
             "Could not deternime the lock on gate keeper. Forcefully releasing all the locks."));
  EXPECT_EQ(1, traceCount("after deleting the lock forcefully."));

  sim_.admin("fault add gatekeeper --msg 3 --tool symdev --cmd show --count 1");
  sim_.admin("fault add noxml --tool symcfg --cmd lock --count 1");
  expectForcedRelease(0, {kShow}, false, {});
  EXPECT_EQ(1, traceCount("throw while retriving list of locks."));
}

TEST_F(RunnerTest, OtherFailuresAreNotRetried) {
  sim_.admin("fault add fail --tool symdev --cmd show --message \"Device busy\" --exit 2");
  const auto e = thrown<EFiExecPipe>([&] { tool_.getSymDev(kArray1, "0040"); });
  ASSERT_TRUE(e);
  EXPECT_EQ(QLB_EXEC_PIPE_CMD_FAILED, e->getCode());
  EXPECT_EQ(2, e->getExitStatus());
  EXPECT_EQ(Lines{kShow}, runLines());
  EXPECT_EQ(1, traceCount("ERROR: CLI returned; status=11, 1 lines of stdout"));
  EXPECT_EQ(1, traceCount(">> Device busy"));
  // Without throwOnError the result and the output come back.
  sim_.admin("fault add fail --tool symcfg --cmd list --message \"No good\"");
  Lines output;
  EXPECT_EQ(QLB_EXEC_PIPE_CMD_FAILED,
            tool_.execSymCLI(L"symcfg list  -output XML_ATTRIBUTE ", output, false, true, 600));
  EXPECT_EQ(Lines{"No good"}, output);
  EXPECT_EQ(1, traceCount("Executing CLI command: [\"" + bin_ +
                          "symcfg\"  list  -output XML_ATTRIBUTE ]"));
  EXPECT_EQ(1, traceCount("WARNING: CLI returned; status=11, 1 lines of stdout"));
  // A gatekeeper that frees up but leaves another failure: no lock release.
  clearLog();
  sim_.admin("fault add gatekeeper --msg 1 --tool symdev --cmd show");
  sim_.admin("fault add fail --tool symdev --cmd show --message \"Device busy\"");
  EXPECT_THROW(tool_.getSymDev(kArray1, "0040"), EFiExecPipe);
  EXPECT_EQ((Lines{kShow, kShow}), runLines());
  EXPECT_EQ(1, traceCount(
                   "Gate keeper is  not locked any more. Command failed due to some other error."));
  EXPECT_EQ(1u, recordedSleeps().size());
}

TEST_F(RunnerTest, OutputBeyondTheLimitsIsStoppedAndNotRetried) {
  // A tool gone wrong: one line of 2 MB, which also names the gatekeeper.
  testenv::TempDir dir;
  const std::string runs = dir.file("runs");
  writeScript(
      dir, "symdev",
      "#!/bin/sh\necho run >> " + runs +
          "\necho \"A gate keeper cannot be opened\"\nhead -c 2000000 /dev/zero | tr '\\0' x\n");
  CEmcSymCliTool tool(CFiStringTool::str2tstr(dir.path()), traceLog_);
  Lines output;
  const auto e =
      thrown<EFiExecPipe>([&] { tool.execSymCLI(L"symdev list ", output, true, true, 600); });
  ASSERT_TRUE(e);
  EXPECT_EQ(QLB_EXEC_PIPE_OUTPUT_LIMIT, e->getCode());
  EXPECT_EQ(L"an output line is longer than the limit of 1048576 bytes", e->getMessage());
  EXPECT_EQ("run\n", testenv::readFile(runs));
  EXPECT_TRUE(recordedSleeps().empty());
  // The failure's trace quotes the output's first lines, not a megabyte.
  EXPECT_EQ(1, traceCount(">> A gate keeper cannot be opened"));
  EXPECT_EQ(1, traceCount(">> [... 127 more lines]"));
}

// A pipe whose time-out unit is 20 ms, so that a hang ends quickly.
class FastPipe : public CFiExecPipePosix {
 public:
  FastPipe() : CFiExecPipePosix(1) { setTimeUnitMs(20); }
};

class FastTool : public CEmcSymCliTool {
 public:
  explicit FastTool(const tstring& bin) : CEmcSymCliTool(bin) {}

 protected:
  std::unique_ptr<CFiExecPipeBase> createPipe() override {
    return std::unique_ptr<CFiExecPipeBase>(new FastPipe);
  }
};

TEST_F(RunnerTest, HungToolTimesOutAndIsGone) {
  FastTool tool(CFiStringTool::str2tstr(bin_));
  tool.setTraceLog(traceLog_);
  sim_.admin("fault add hang --tool symcfg --cmd list");
  Lines output;
  const auto e = thrown<EEmcSymCliFailure>(
      [&] { tool.execSymCLI(L"symcfg list  -output XML_ATTRIBUTE ", output, true, false, 5); });
  ASSERT_TRUE(e);
  // The pipe's last error: the close that stopped the child replaced the time-out with the killed
  // child's exit status. The hang printed nothing.
  EXPECT_EQ(QLB_EXEC_PIPE_CMD_FAILED, e->getCode());
  EXPECT_EQ(1067, e->getExitStatus());
  EXPECT_NE(std::string::npos, e->getCommand().find("/symcfg\"  list")) << e->getCommand();
  EXPECT_EQ(Lines(), e->getOutput());
  EXPECT_EQ(QLB_EXEC_PIPE_CMD_FAILED, tool.lastFailure().getCode());
  std::vector<LoggedRun> logged = runs();
  ASSERT_EQ(1u, logged.size());
  EXPECT_EQ(-1, logged[0].exitStatus);  // it did not end
  EXPECT_EQ(-1, ::kill(static_cast<pid_t>(logged[0].pid), 0));
  EXPECT_EQ(ESRCH, errno);
  EXPECT_EQ(1, traceCount("Process has timmedout (5 sec)"));
}

// A CLI lock the system refuses, as it refuses another user's semaphore.
class RefusedLock : public CFiSemaphore {
 public:
  RefusedLock() : CFiSemaphore(4711) { m_lastError = EACCES; }
  int wait() override { return -1; }
  int post() override { return -1; }
};

class ToolWithRefusedLock : public CEmcSymCliTool {
 public:
  explicit ToolWithRefusedLock(const tstring& bin) : CEmcSymCliTool(bin) {}

 protected:
  CFiSemaphore& cliExecutionLock() override { return m_lock; }

 private:
  RefusedLock m_lock;
};

TEST_F(RunnerTest, NoCommandRunsWithoutTheCliLock) {
  ToolWithRefusedLock tool(CFiStringTool::str2tstr(bin_));
  tool.setTraceLog(traceLog_);
  for (bool throwOnError : {true, false}) {
    Lines output;
    const auto e = thrown<CFiError>([&] {
      tool.execSymCLI(L"symcfg list  -output XML_ATTRIBUTE ", output, throwOnError, true, 600);
    });
    ASSERT_TRUE(e);
    EXPECT_EQ(EACCES, e->code());
    const std::string detail = CFiStringTool::tstr2str(e->detail());
    EXPECT_NE(std::string::npos,
              detail.find("(semaphore key 4711) cannot be taken: Permission denied"))
        << detail;
  }
  EXPECT_TRUE(runs().empty());
  EXPECT_EQ(2, traceCount("cannot be taken: Permission denied"));
  EXPECT_EQ(0, traceCount("Got the CLI execution lock"));
}

TEST_F(RunnerTest, ToolThatCannotBeStartedIsReportedWithTheSystemsReason) {
  testenv::TempDir dir;
  struct Case {
    const char* tool;
    const char* content;
    unsigned mode;
    int error;
    const char* reason;
  };
  const Case cases[] = {
      {"symcfg", "#!/bin/sh\necho listed\n", 0644, EACCES, "Permission denied"},
      {"symdev", "#!/nonexistent/interpreter\n", 0755, ENOENT, "No such file or directory"},
      {"symmir", "not a program\n", 0755, ENOEXEC, "Exec format error"},
  };
  CEmcSymCliTool tool(CFiStringTool::str2tstr(dir.path()), traceLog_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tool);
    const std::string path = writeScript(dir, c.tool, c.content, c.mode);
    const std::wstring command = CFiStringTool::str2wstr(std::string(c.tool) + " list ");
    Lines output;
    // The result the pipe gives a failed child creation, and, thrown, the record of the cause.
    EXPECT_EQ(QLB_EXEC_PIPE_CLOSE_HANDLE_FAILED,
              tool.execSymCLI(command, output, false, false, 600));
    const auto e = thrown<EFiExecPipe>([&] { tool.execSymCLI(command, output, true, false, 600); });
    ASSERT_TRUE(e);
    EXPECT_EQ(QLB_EXEC_PIPE_CREATE_CHILD_PROCESS_FAILED, e->getCode());
    EXPECT_EQ(c.error, e->getExitStatus());
    EXPECT_EQ(CFiStringTool::str2wstr(c.reason), e->getMessage());
    EXPECT_EQ(2, traceCount("cannot start [" + path + "], Error Code: " + std::to_string(c.error) +
                            ", Reason: " + c.reason));
  }
}

// That an operation meeting output without a document reports it: Quelbctl (e2e), the fault matrix.
TEST_F(RunnerTest, CleanXmlBlanksStrayLinesAndRejectsOutputWithoutDocument) {
  // Text before the declaration and after the closing tag on those lines stays.
  Lines lines = {"a", "b", "junk<?xml version=\"1.0\" ?><SymCLI_ML>", "</SymCLI_ML>junk", "c"};
  tool_.cleanXML(L"cmd", lines);
  EXPECT_EQ((Lines{"", "", "junk<?xml version=\"1.0\" ?><SymCLI_ML>", "</SymCLI_ML>junk", ""}),
            lines);

  for (const Lines& bad :
       {Lines{"The command completed."}, Lines{}, Lines{"<SymCLI_ML>", "</SymCLI_ML>"},
        Lines{"<?xml version=\"1.0\" ?>", "<SymCLI_ML>"}}) {
    Lines copy = bad;
    const auto e = thrown<CEmcSymCliException>([&] { tool_.cleanXML(L"symcfg list ", copy); });
    ASSERT_TRUE(e);
    EXPECT_EQ(QLB_ERR_INVALID_ARG, e->getCode());
    EXPECT_EQ(L"symcfg list ", e->getCommand());
    EXPECT_EQ("[cleanXML]", e->getWhere());
    EXPECT_EQ(kCliToolSource, e->getSourceFile());
    EXPECT_EQ(bad, e->getOutput());
  }
  // The exception keeps the first lines of a long output, and the start of a long first line.
  Lines many(1000, "garbage");
  Lines wide = {std::string(100000, 'w')};
  for (Lines* output : {&many, &wide}) {
    const auto e = thrown<CEmcSymCliException>([&] { tool_.cleanXML(L"symcfg list ", *output); });
    ASSERT_TRUE(e);
    ASSERT_EQ(output == &many ? 201u : 1u, e->getOutput().size());
    EXPECT_EQ(output == &many ? "[... 800 more lines]" : std::string(16384, 'w'),
              e->getOutput().back());
  }
}

}  // namespace
}  // namespace providertest
