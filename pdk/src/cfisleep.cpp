#include "cfisleep.h"

#include <atomic>
#include <cstdlib>

#include "cfienvironment.h"

namespace quelb_pdk_4_4 {

namespace {

double sleepScale() {
  const std::string text = fiGetEnvironment("QUELB_SLEEP_SCALE");
  if (text.empty()) return 1.0;
  char* end = nullptr;
  double scale = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || scale < 0) return 1.0;
  return scale;
}

void defaultSleep(unsigned long milliseconds) {
  double scaled = static_cast<double>(milliseconds) * sleepScale();
  if (scaled <= 0) return;
  fiPlatformSleep(static_cast<unsigned long long>(scaled * 1000.0));
}

std::atomic<FiSleepFunction> g_sleep{&defaultSleep};

}  // namespace

void fiSleep(unsigned long milliseconds) { g_sleep.load()(milliseconds); }

FiSleepFunction fiSetSleepFunction(FiSleepFunction fn) {
  return g_sleep.exchange(fn ? fn : &defaultSleep);
}

}  // namespace quelb_pdk_4_4
