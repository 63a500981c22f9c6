// The scenario of most simulator tests: one local array with a few devices of each kind, a second
// local array, a remote one, this host with two HBAs and another host.
#ifndef NORVEL_TESTS_SIM_SCENARIO_H
#define NORVEL_TESTS_SIM_SCENARIO_H

#include <gtest/gtest.h>

#include <string>

#include "sim_env.h"
#include "test_env.h"

namespace simtest {

// The name the simulator gives the local host by default.
using testenv::hostName;

// The first array of kSmallScenario, and the output option the provider gives most commands.
inline const std::string kSid = "000190100001";
inline const std::string kSuffix = " -output XML_ATTRIBUTE ";

inline const char* const kSmallScenario = R"(
set version V7.0.0.0
set progress queries
set copy_queries 2
set split_queries 1
host local
  hba 10000000C9A00001 port=hba0
  hba 10000000C9A00002 port=hba1
host backup01 address=10.20.30.41
  hba 10000000C9B00001
array 000190100001 local
  port FA-4A:0 FA-4A:1 FA-13A:0
  disks 4 size=1000 avail=250
  devices 0040-0043 std size=1024 ports=FA-4A:0,FA-13A:0 group=prod
  devices 0080-0083 bcv size=1024 ports=FA-4A:1
  devices 00C0-00C3 clone size=1024 ports=FA-4A:1
  devices 0100-0103 vdev size=1024 ports=FA-4A:1
  device 0050 std size=2048 ports=FA-4A:0 ld=DEV050 pd=/dev/sdz
  pair 0040 0080 Synchronized
  pair 0041 0081 Split
  login 10000000C9A00001 FA-4A:0 FA-4A:1
  login 10000000C9A00002 FA-13A:0
  login 10000000C9B00001 FA-4A:1
  mask 10000000C9A00001 FA-4A:0 0040-0041
  mask 10000000C9B00001 FA-4A:1 0080
array 000190100002 local
  port FA-3B:0
  devices 0200-0201 std size=512 ports=FA-3B:0
  devices 0280-0281 bcv size=512 ports=FA-3B:0
  login 10000000C9A00001 FA-3B:0
array 000190100003 remote
  port FA-5A:0
  devices 0010 std ports=FA-5A:0
)";

// A simulator holding kSmallScenario.
class SimTest : public ::testing::Test {
 protected:
  void SetUp() override { env.init(kSmallScenario); }
  // Runs `tool -sid <first array> -file F <action>` as the provider builds it.
  ToolRun act(const std::string& tool, const std::string& file, const std::string& action) {
    return env.line(tool, " -sid " + kSid + " -file " + file + " " + action);
  }
  // The document `tool` prints for `args` in the output form `form`; the run must succeed.
  std::unique_ptr<XmlNode> read(const std::string& tool, const std::string& args,
                                const std::string& form = "XML_ATTRIBUTE") {
    ToolRun r = env.line(tool, args + " -output " + form + " ");
    EXPECT_EQ(r.status, 0) << tool << args << "\n" << r.out;
    return parseXml(r.out);
  }
  std::unique_ptr<XmlNode> show(const std::string& dev) {
    return read("symdev", " -sid " + kSid + " show " + dev);
  }
  SimEnv env;
};

}  // namespace simtest

#endif  // NORVEL_TESTS_SIM_SCENARIO_H
