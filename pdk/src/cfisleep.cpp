#include "cfisleep.h"

#include <atomic>
#include <cstdlib>

#include "cfienvironment.h"

namespace quelb_pdk_4_4 {

namespace {

// At most this factor: a larger one (or NaN, or infinity) would make the
// microseconds overflow their integer type.
const double kMaxSleepScale = 1000.0;

// QUELB_SLEEP_SCALE when it is a number from 0 to kMaxSleepScale and
// nothing else; 1 otherwise.
double sleepScale() {
  const std::string text = fiGetEnvironment("QUELB_SLEEP_SCALE");
  if (text.empty()) return 1.0;
  char* end = nullptr;
  const double scale = std::strtod(text.c_str(), &end);
  const bool valid = end != text.c_str() && *end == '\0' && scale >= 0 && scale <= kMaxSleepScale;
  return valid ? scale : 1.0;
}

void defaultSleep(unsigned long milliseconds) {
  const unsigned long long microseconds = fiScaledSleepMicroseconds(milliseconds);
  if (microseconds > 0) fiPlatformSleep(microseconds);
}

std::atomic<FiSleepFunction> g_sleep{&defaultSleep};

}  // namespace

unsigned long long fiScaledSleepMicroseconds(unsigned long milliseconds) {
  return static_cast<unsigned long long>(static_cast<double>(milliseconds) * sleepScale() * 1000.0);
}

void fiSleep(unsigned long milliseconds) { g_sleep.load()(milliseconds); }

FiSleepFunction fiSetSleepFunction(FiSleepFunction fn) {
  return g_sleep.exchange(fn ? fn : &defaultSleep);
}

}  // namespace quelb_pdk_4_4
