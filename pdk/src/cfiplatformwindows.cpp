// Platform constants and system error texts on Windows.
#include <winsock2.h>  // before windows.h, as ACE includes it too
#include <windows.h>

#include "cfiplatform.h"
#include "utf8.h"

namespace quelb_pdk_4_4 {

const char* const FI_EXE_SUFFIX = ".exe";
const wchar_t FI_PATH_SEPARATOR = L'\\';
const wchar_t* const FI_PROGRAM_FILES_DEFAULT = L"C:\\Program Files";

std::string fiSystemErrorText(int error) {
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
  std::string result = boundedtext::wideToUtf8(text, length);
  LocalFree(text);
  return result;
}

}  // namespace quelb_pdk_4_4
