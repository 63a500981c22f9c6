// The environment on POSIX systems: the process's variables, taken as
// UTF-8 text.
#include <cstdlib>

#include "cfienvironment.h"

namespace quelb_pdk_4_4 {

bool fiPlatformGetEnvironment(const char* name, std::string& value) {
  const char* text = std::getenv(name);
  if (!text) return false;
  value = text;
  return true;
}

}  // namespace quelb_pdk_4_4
