#include "cfienvironment.h"

#include <atomic>

namespace quelb_pdk_4_4 {

namespace {

std::atomic<FiEnvironmentFunction> g_environment{nullptr};

}  // namespace

std::string fiGetEnvironment(const char* name) {
  std::string value;
  if (!name || !*name) return value;
  FiEnvironmentFunction replacement = g_environment.load();
  bool set = replacement ? replacement(name, value) : fiPlatformGetEnvironment(name, value);
  if (!set) value.clear();
  return value;
}

FiEnvironmentFunction fiSetEnvironmentFunction(FiEnvironmentFunction fn) {
  return g_environment.exchange(fn);
}

}  // namespace quelb_pdk_4_4
