#include <windows.h>

#include <mutex>

#include "cfiappendfile.h"
#include "utf8.h"

namespace quelb_pdk_4_4 {

bool fiAppendToFile(const std::string& path, const std::string& data) {
  // One append at a time within the process: Wine does not make the writes
  // of an append-only handle atomic as Windows does, and threads of one
  // process are the common case of writers at once.
  static std::mutex appending;
  std::lock_guard<std::mutex> hold(appending);
  HANDLE file = CreateFileW(boundedtext::utf8ToWide(path).c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = data.empty() || (WriteFile(file, data.data(), static_cast<DWORD>(data.size()),
                                             &written, nullptr) &&
                                   written == data.size());
  return CloseHandle(file) && ok;
}

}  // namespace quelb_pdk_4_4
