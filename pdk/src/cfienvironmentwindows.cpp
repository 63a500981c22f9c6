// The environment on Windows: the process's variables, read as wide text
// and given as UTF-8.
#include <winsock2.h>  // before windows.h, as ACE includes it too
#include <windows.h>

#include <vector>

#include "cfienvironment.h"
#include "utf8.h"

namespace quelb_pdk_4_4 {

bool fiPlatformGetEnvironment(const char* name, std::string& value) {
  const std::wstring wideName = boundedtext::utf8ToWide(name);
  std::vector<wchar_t> text(256);
  while (true) {
    SetLastError(ERROR_SUCCESS);
    DWORD length =
        GetEnvironmentVariableW(wideName.c_str(), text.data(), static_cast<DWORD>(text.size()));
    if (length == 0) {
      // Unset, or set to the empty text.
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      value.clear();
      return true;
    }
    if (length < text.size()) {
      value = boundedtext::wideToUtf8(text.data(), length);
      return true;
    }
    text.resize(length);  // the size it needs, terminator included
  }
}

}  // namespace quelb_pdk_4_4
