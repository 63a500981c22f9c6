// The utility library's environment on Windows: the process's variables,
// read as wide text and given as UTF-8.
#include <winsock2.h>  // before windows.h, as ACE includes it too
#include <windows.h>

#include <vector>

#include "quelbutil_environment.h"
#include "utf8.h"

namespace quelbutil {

std::string environment(const char* name) {
  const std::wstring wideName = boundedtext::utf8ToWide(name);
  std::vector<wchar_t> value(256);
  while (true) {
    SetLastError(ERROR_SUCCESS);
    DWORD length =
        GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return std::string();  // unset, or set to the empty text
    if (length < value.size()) return boundedtext::wideToUtf8(value.data(), length);
    value.resize(length);  // the size it needs, terminator included
  }
}

}  // namespace quelbutil
