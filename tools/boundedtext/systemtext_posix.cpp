#include <string.h>

#include "systemtext.h"

namespace boundedtext {

namespace {

// strerror_r comes in two forms; each overload takes the result of one.
[[maybe_unused]] const char* errorTextOf(int result, const char* buffer) {
  return result == 0 ? buffer : "";
}
[[maybe_unused]] const char* errorTextOf(const char* result, const char*) {
  return result ? result : "";
}

}  // namespace

std::string systemErrorText(int error) {
  char buffer[256] = "";
  return errorTextOf(strerror_r(error, buffer, sizeof buffer), buffer);
}

}  // namespace boundedtext
