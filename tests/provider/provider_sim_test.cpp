// The harness of the provider tests (provider_sim.h): simulated arrays, their command log,
// configuration, traces, pair-file directory, sleeps.
#include "provider_sim.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "cfisleep.h"
#include "cfistringtool.h"

using namespace quelb_pdk_4_4;

namespace providertest {

namespace {

// A CLI lock private to the process: test processes side by side do not wait for each other.
const bool kPrivateCliLock = [] {
  ::setenv("QUELB_CLI_LOCK_KEY", "0", 1);
  return true;
}();

void recordSleep(unsigned long milliseconds) { recordedSleeps().push_back(milliseconds); }

}  // namespace

std::vector<unsigned long>& recordedSleeps() {
  static std::vector<unsigned long> sleeps;
  return sleeps;
}

std::string writeScript(const testenv::TempDir& dir, const std::string& name,
                        const std::string& text, unsigned mode) {
  const std::string path = dir.file(name);
  testenv::writeFile(path, text);
  EXPECT_EQ(0, ::chmod(path.c_str(), mode)) << path;
  return path;
}

ProviderSimTest::ProviderSimTest()
    : noDatabaseOverride_("SYMSIM_DB", nullptr),
      bin_(sim_.bin() + "/"),
      tempDir_("norvel_pairfiles"),
      tmpdirEnv_("TMPDIR", tempDir_.path().c_str()),
      tool_(CFiStringTool::str2tstr(bin_)) {}

void ProviderSimTest::SetUp() {
  (void)kPrivateCliLock;
  recordedSleeps().clear();
  previousSleep_ = fiSetSleepFunction(&recordSleep);
  CEmcSymCliTool::setOutputFormatSuffix(" -output XML_ATTRIBUTE ");
  writeConfig(8, 2);
  traceLog_ = CFiTraceLogPtr(new CFiTraceLog);
  traceLog_->initialize(CFiStringTool::str2tstr("norvel"), tstring(), tstring(), 1, false);
  ASSERT_TRUE(traceLog_->isInitialized());
  tool_.setTraceLog(traceLog_);
  sim_.initDemo();
  clearLog();
}

void ProviderSimTest::clearLog() const {
  sim_.admin("log --clear");
  recordedSleeps().clear();
}

void ProviderSimTest::TearDown() {
  fiSetSleepFunction(previousSleep_);
  EXPECT_TRUE(testenv::listDir(tempDir_.path()).empty()) << "pair files left behind";
  EXPECT_EQ(0, testenv::childProcessCount());
}

void ProviderSimTest::writeConfig(uint32_t lockRetryAttempts, uint32_t lockRetryDelaySec,
                                  uint32_t restoreTimeoutSec) {
  char values[256];
  std::snprintf(values, sizeof values,
                "[TUNING_PARAMS]\n\"LOCK_RETRY_ATTEMPTS\"=dword:%08x\n"
                "\"LOCK_RETRY_DELAY_IN_SEC\"=dword:%08x\n"
                "[RESTORE_INFO]\n\"TIMEOUT\"=dword:%08x\n",
                lockRetryAttempts, lockRetryDelaySec, restoreTimeoutSec);
  testenv::makeDirs(install_.root() + "ConfigFiles");
  testenv::writeFile(install_.configFile("norvel"),
                     std::string("[DEBUG_TRACE_INFO]\n\"TRACELEVEL\"=dword:00000006\n") + values);
}

int ProviderSimTest::traceCount(const std::string& text) const {
  const std::string path = CFiStringTool::tstr2str(traceLog_->path());
  std::istringstream in(testenv::fileExists(path) ? testenv::readFile(path) : std::string());
  int count = 0;
  for (std::string line; std::getline(in, line);) count += line.find(text) != std::string::npos;
  return count;
}

std::vector<LoggedRun> ProviderSimTest::runs(const std::string& tool) const {
  std::vector<LoggedRun> runs = simtest::loggedRuns(sim_.admin("log --json"));
  if (!tool.empty())
    runs.erase(std::remove_if(runs.begin(), runs.end(),
                              [&](const LoggedRun& run) { return run.tool != tool; }),
               runs.end());
  return runs;
}

std::vector<std::string> ProviderSimTest::runLines(const std::string& tool) const {
  std::vector<std::string> lines;
  for (const LoggedRun& run : runs(tool)) lines.push_back(run.line());
  return lines;
}

}  // namespace providertest
