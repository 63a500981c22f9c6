// quelbctl run as a person runs it, against a private installation and the demo arrays.
#ifndef NORVEL_TESTS_E2E_QUELBCTL_FIXTURE_H
#define NORVEL_TESTS_E2E_QUELBCTL_FIXTURE_H

#include <gmock/gmock.h>

#include <algorithm>
#include <string>
#include <vector>

#include "isolated_install.h"
#include "sim_env.h"
#include "test_env.h"
#include "utf8.h"

namespace e2etest {

inline const std::string kUdid = "UDID##EMC##SYMMETRIX##000190100001##";
inline const std::string kSource = kUdid + "0041";

inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// JSON as a strict reader wants it: UTF-8 throughout (unchanged by a round trip through wide text,
// which replaces what is not), no raw control character but line ends.
inline bool strictlyEncoded(const std::string& text) {
  return boundedtext::wideToUtf8(boundedtext::utf8ToWide(text)) == text &&
         std::none_of(text.begin(), text.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\n'; });
}

class QuelbctlFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    install.linkBuiltMessages();
    install.writeRegistry();
    writeConfig(sim.bin());
    sim.initDemo();
  }
  void TearDown() override {
    EXPECT_EQ(std::vector<std::string>(), testenv::listDir(pairFileDir.path()))
        << "pair files left behind";
  }

  void writeConfig(const std::string& symcli) {
    testenv::makeDirs(install.root() + "ConfigFiles");
    testenv::writeFile(install.configFile("norvel"),
                       "[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + symcli +
                           "\"\n[DEBUG_TRACE_INFO]\n\"TRACELEVEL\"=dword:00000001\n"
                           "[TUNING_PARAMS]\n\"LOCK_RETRY_ATTEMPTS\"=dword:00000001\n");
  }

  std::vector<std::string> environment() const {
    return {"QUELB_SLEEP_SCALE=0", "QUELB_CLI_LOCK_KEY=0",
            std::string(testenv::kTempDirVariable) + "=" + pairFileDir.path()};
  }
  // Standard output and error together.
  simtest::ToolRun quelbctl(const std::vector<std::string>& arguments,
                            const std::string& library = testenv::norvelLibraryPath(),
                            simtest::Streams streams = simtest::Streams::kMerged) {
    std::vector<std::string> args = {"--lib", library};
    args.insert(args.end(), arguments.begin(), arguments.end());
    return simtest::runProgram(testenv::quelbctlPath(), args, environment(), streams);
  }
  // Standard output alone.
  simtest::ToolRun quelbctlOut(const std::vector<std::string>& arguments) {
    return quelbctl(arguments, testenv::norvelLibraryPath(), simtest::Streams::kOutputOnly);
  }
  // Runs quelbctl and expects `status` and every text in its output.
  void expect(const std::vector<std::string>& args, int status,
              const std::vector<std::string>& texts) {
    const simtest::ToolRun r = quelbctl(args);
    EXPECT_EQ(status, r.status) << r.out;
    for (const std::string& text : texts)
      EXPECT_TRUE(contains(r.out, text)) << text << "\n" << r.out;
  }
  // The one JSON document of a --json run, checked to be strictly encoded.
  simtest::Json json(const std::vector<std::string>& args, int status) {
    std::vector<std::string> all = {"--json"};
    all.insert(all.end(), args.begin(), args.end());
    const simtest::ToolRun r = quelbctlOut(all);
    EXPECT_EQ(status, r.status) << r.out;
    EXPECT_TRUE(strictlyEncoded(r.out)) << r.out;
    return simtest::parseJson(r.out);
  }
  // The runs after the start-up's discovery, "<tool> <args>" without the output option and with the
  // pair-file path as "F".
  std::vector<std::string> commands() const {
    std::vector<std::string> lines;
    for (const simtest::LoggedRun& run : simtest::loggedRuns(sim.admin("log --json")))
      if (run.tool != "symcfg" && run.tool != "symcli" && run.tool != "symdisk")
        lines.push_back(run.line("F"));
    return lines;
  }

  testenv::IsolatedInstall install;
  simtest::SimEnv sim;
  testenv::TempDir pairFileDir{"norvel_pairfiles"};
};

}  // namespace e2etest

#endif  // NORVEL_TESTS_E2E_QUELBCTL_FIXTURE_H
