// An array of 64,000 devices: build, list and show stay fast. The figures are printed. The limits
// (init 10 s, list 2 s, show 20 ms) are checked on the processor time of each run, which a busy
// shared machine disturbs far less than the elapsed time, with a margin of half as much again, and
// in optimised builds only.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <iostream>

#include "sim_env.h"

namespace simtest {
namespace {

#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
constexpr bool kTimed = false;
#else
constexpr bool kTimed = true;
#endif

// Runs `step`; returns its elapsed and its children's processor seconds.
std::pair<double, double> measure(const std::function<void()>& step) {
  auto start = std::chrono::steady_clock::now();
  double cpu = childProcessorSeconds();
  step();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          childProcessorSeconds() - cpu};
}

TEST(SimScale, SixtyFourThousandDevices) {
  SimEnv env;
  testenv::writeFile(env.file("big.scn"),
                     "array 000190199999 local\n"
                     "  port FA-1A:0 FA-16A:0 FA-1B:0\n"
                     "  devices 0000-F9FF std size=1024 ports=FA-1A:0,FA-16A:0\n"
                     "  device FA00 bcv size=1024 ports=FA-1B:0\n"
                     "  pair 0100 FA00 Synchronized\n");
  auto init = measure([&] { env.admin("init " + env.file("big.scn")); });

  ToolRun list;
  auto listing = measure([&] {
    list = env.provider("symdev", " -sid 000190199999 -fibre -nobcv  list  -output XML_ATTRIBUTE ");
  });
  ASSERT_EQ(list.status, 0);
  auto doc = parseXml(list.out);
  auto devices = doc->all("Device");
  ASSERT_EQ(devices.size(), 64000u);
  EXPECT_EQ(devices[0]->attr("dev_name"), "0000");
  EXPECT_EQ(devices[63999]->attr("dev_name"), "F9FF");

  // Best of five.
  std::pair<double, double> show = {1e9, 1e9};
  for (int i = 0; i < 5; ++i) {
    ToolRun one;
    auto t = measure([&] {
      one = env.provider("symdev", " -sid 000190199999 show 0100 -output XML_ATTRIBUTE ");
    });
    show = {std::min(show.first, t.first), std::min(show.second, t.second)};
    ASSERT_EQ(one.status, 0);
    EXPECT_EQ(parseXml(one.out)->first("BCV_Pair")->attr("state"), "Synchronized");
  }

  std::cout << "[ figures  ] elapsed (processor): init " << init.first << " s (" << init.second
            << " s), list " << listing.first << " s (" << listing.second << " s, "
            << list.out.size() / 1048576 << " MB), show " << show.first * 1000 << " ms ("
            << show.second * 1000 << " ms)\n";
  RecordProperty("init_seconds", std::to_string(init.second));
  RecordProperty("list_seconds", std::to_string(listing.second));
  RecordProperty("show_ms", std::to_string(show.second * 1000));
  if (kTimed) {
    const double margin = 1.5;
    EXPECT_LT(init.second, 10.0 * margin);
    EXPECT_LT(listing.second, 2.0 * margin);
    EXPECT_LT(show.second, 0.020 * margin);
  }
}

}  // namespace
}  // namespace simtest
