// An array of 64,000 devices: build, list and show stay fast. The figures
// are printed. The limits (init 10 s, list 2 s, show 20 ms) are checked on
// the processor time of each run, which a busy shared machine disturbs far
// less than the elapsed time, with a margin of half as much again, and in
// optimised builds only.
#include <sys/resource.h>

#include <chrono>
#include <iostream>

#include <gtest/gtest.h>

#include "sim_env.h"
#include "sim_scenario.h"

namespace simtest {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(NORVEL_SANITIZED)
constexpr bool kTimed = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kTimed = false;
#else
constexpr bool kTimed = true;
#endif
#else
constexpr bool kTimed = true;
#endif

double since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time (user and system) of all children waited for so far.
double childCpu() {
  struct rusage ru;
  getrusage(RUSAGE_CHILDREN, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

TEST(SimScale, SixtyFourThousandDevices) {
  SimEnv env;
  testenv::writeFile(env.file("big.scn"),
                     "array 000190199999 local\n"
                     "  port FA-1A:0 FA-16A:0 FA-1B:0\n"
                     "  devices 0000-F9FF std size=1024 ports=FA-1A:0,FA-16A:0\n"
                     "  device FA00 bcv size=1024 ports=FA-1B:0\n"
                     "  pair 0100 FA00 Synchronized\n");
  auto start = std::chrono::steady_clock::now();
  double cpu = childCpu();
  env.admin("init " + env.file("big.scn"));
  double init = since(start);
  double initCpu = childCpu() - cpu;

  start = std::chrono::steady_clock::now();
  cpu = childCpu();
  ToolRun list = env.provider("symdev", " -sid 000190199999 -fibre -nobcv  list  -output XML_ATTRIBUTE ");
  double listing = since(start);
  double listCpu = childCpu() - cpu;
  ASSERT_EQ(list.status, 0);
  auto doc = parseXml(list.out);
  auto devices = doc->all("Device");
  ASSERT_EQ(devices.size(), 64000u);
  EXPECT_EQ(devices[0]->attr("dev_name"), "0000");
  EXPECT_EQ(devices[63999]->attr("dev_name"), "F9FF");

  // Best of five; the log holds each run's own time, without process start.
  double best = 1e9, showCpu = 1e9;
  for (int i = 0; i < 5; ++i) {
    start = std::chrono::steady_clock::now();
    cpu = childCpu();
    ToolRun show = env.provider("symdev", " -sid 000190199999 show 0100 -output XML_ATTRIBUTE ");
    best = std::min(best, since(start));
    showCpu = std::min(showCpu, childCpu() - cpu);
    ASSERT_EQ(show.status, 0);
    EXPECT_EQ(parseXml(show.out)->first("BCV_Pair")->attr("state"), "Synchronized");
  }
  Json runs = parseJson(env.admin("log --json --tool symdev --last 5"));
  double inside = 1e9;
  for (const Json& r : runs.items) inside = std::min(inside, r["duration_ms"].number);

  std::cout << "[ figures  ] elapsed (processor): init " << init << " s (" << initCpu << " s), list " << listing
            << " s (" << listCpu << " s, " << list.out.size() / 1048576 << " MB), show " << best * 1000 << " ms ("
            << showCpu * 1000 << " ms; " << inside << " ms from start to end of the run)\n";
  RecordProperty("init_seconds", std::to_string(initCpu));
  RecordProperty("list_seconds", std::to_string(listCpu));
  RecordProperty("show_ms", std::to_string(showCpu * 1000));
  if (kTimed) {
    const double margin = 1.5;
    EXPECT_LT(initCpu, 10.0 * margin);
    EXPECT_LT(listCpu, 2.0 * margin);
    EXPECT_LT(showCpu, 0.020 * margin);
  }
}

}  // namespace
}  // namespace simtest
