#include <windows.h>

#include "systemtext.h"
#include "utf8.h"

namespace boundedtext {

std::string systemErrorText(int error) {
  // The system message table, neutral language, no inserts.
  wchar_t* text = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(error), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || !text) return std::string();
  // Without the final line end the table's texts carry.
  while (length > 0 &&
         (text[length - 1] == L'\n' || text[length - 1] == L'\r' || text[length - 1] == L' '))
    --length;
  std::string result = wideToUtf8(text, length);
  LocalFree(text);
  return result;
}

}  // namespace boundedtext
