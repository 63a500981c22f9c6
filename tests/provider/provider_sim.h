// Harness of the provider tests: simulated arrays behind the SYMCLI tool names, their command log,
// a private installation, configuration, traces and pair-file directory, recorded sleeps.
#ifndef NORVEL_TESTS_PROVIDER_SIM_H
#define NORVEL_TESTS_PROVIDER_SIM_H

#include <gtest/gtest.h>
#include <quelb/quelb_records.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cfisleep.h"
#include "cfistringtool.h"
#include "cfitracelog.h"
#include "emcsym_clitool.h"
#include "isolated_install.h"
#include "sim_env.h"
#include "test_env.h"

namespace providertest {

// The demo's two local arrays, and the source file every CEmcSymCliException of the tool names.
inline const std::string kArray1 = "000190100001";
inline const std::string kArray2 = "000190100002";
inline const std::string kCliToolSource = "providers/emcsymmetrix/emcsym_clitool.cpp";

using simtest::LoggedRun;
using Lines = std::vector<std::string>;
using Sleeps = std::vector<unsigned long>;

// The library's sleeps (ms) since the fixture started or the log was cleared.
std::vector<unsigned long>& recordedSleeps();
// Writes the script `dir`/`name`; returns its path.
std::string writeScript(const testenv::TempDir& dir, const std::string& name,
                        const std::string& text, unsigned mode = 0755);

// The E that `step` throws; none, and a failure, when it throws nothing.
template <class E, class Step>
std::optional<E> thrown(Step step) {
  try {
    step();
  } catch (const E& e) {
    return e;
  }
  ADD_FAILURE() << "no exception";
  return std::nullopt;
}

// norvel.conf tracing at level 6, the demo arrays (log cleared), a tool on them with the trace log,
// a private TMPDIR that must end empty (no pair file left), no child process left.
class ProviderSimTest : public ::testing::Test {
 protected:
  ProviderSimTest();
  void SetUp() override;
  void TearDown() override;

  // Empties the simulator's command log and the recorded sleeps.
  void clearLog() const;
  void writeConfig(uint32_t lockRetryAttempts, uint32_t lockRetryDelaySec,
                   uint32_t restoreTimeoutSec = 6000);
  int traceCount(const std::string& text) const;
  // The runs logged since the last clearLog, those of `tool` only when given.
  std::vector<LoggedRun> runs(const std::string& tool = std::string()) const;
  std::vector<std::string> runLines(const std::string& tool = std::string()) const;

  testenv::IsolatedInstall install_;
  testenv::ScopedEnv noDatabaseOverride_;  // the tools use the database beside them
  simtest::SimEnv sim_;
  const std::string bin_;  // the SYMCLI bin directory, ending in "/"
  testenv::TempDir tempDir_;
  testenv::ScopedEnv tmpdirEnv_;
  quelb_pdk_4_4::CFiTraceLogPtr traceLog_;
  CEmcSymCliTool tool_;

 private:
  quelb_pdk_4_4::FiSleepFunction previousSleep_ = nullptr;
};

}  // namespace providertest

#endif  // NORVEL_TESTS_PROVIDER_SIM_H
