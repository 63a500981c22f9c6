#include "cfisleep.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace quelb_pdk_4_4 {

namespace {

double sleepScale() {
  const char* text = std::getenv("QUELB_SLEEP_SCALE");
  if (!text || !*text) return 1.0;
  char* end = nullptr;
  double scale = std::strtod(text, &end);
  if (end == text || scale < 0) return 1.0;
  return scale;
}

void defaultSleep(unsigned long milliseconds) {
  double scaled = static_cast<double>(milliseconds) * sleepScale();
  if (scaled <= 0) return;
  std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(scaled));
}

std::atomic<FiSleepFunction> g_sleep{&defaultSleep};

}  // namespace

void fiSleep(unsigned long milliseconds) { g_sleep.load()(milliseconds); }

FiSleepFunction fiSetSleepFunction(FiSleepFunction fn) {
  return g_sleep.exchange(fn ? fn : &defaultSleep);
}

}  // namespace quelb_pdk_4_4
