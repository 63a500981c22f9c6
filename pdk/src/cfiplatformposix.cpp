// Platform constants and system error texts on POSIX systems.
#include <string.h>

#include "cfiplatform.h"

namespace quelb_pdk_4_4 {

const char* const FI_EXE_SUFFIX = "";
const wchar_t FI_PATH_SEPARATOR = L'/';
const wchar_t* const FI_PROGRAM_FILES_DEFAULT = L"/opt";

namespace {

// strerror_r comes in two forms; each overload takes the result of one.
[[maybe_unused]] const char* errorTextOf(int result, const char* buffer) {
  return result == 0 ? buffer : "";
}
[[maybe_unused]] const char* errorTextOf(const char* result, const char*) {
  return result ? result : "";
}

}  // namespace

std::string fiSystemErrorText(int error) {
  char buffer[256] = "";
  return errorTextOf(strerror_r(error, buffer, sizeof buffer), buffer);
}

}  // namespace quelb_pdk_4_4
