// The utility library's environment on POSIX systems.
#include <cstdlib>

#include "quelbutil_environment.h"

namespace quelbutil {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

}  // namespace quelbutil
