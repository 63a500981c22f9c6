// Temporary files on Windows: CreateFileW(CREATE_NEW), WriteFile,
// CloseHandle, MoveFileExW, DeleteFileW. Paths are UTF-8 and go to the wide
// calls, so any name the file system takes works. Errors are GetLastError
// codes (fiSystemErrorText reads them).
#include <winsock2.h>  // before windows.h, as ACE includes it too
#include <windows.h>

#include "cfienvironment.h"
#include "cfiplatform.h"
#include "cfitempfile.h"
#include "utf8.h"

namespace quelb_pdk_4_4 {

namespace {

std::wstring wide(const std::string& path) { return boundedtext::utf8ToWide(path); }

HANDLE handleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

const std::intptr_t CFiTempFile::kNoHandle = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);

std::string CFiTempFile::temporaryDirectory() {
  wchar_t text[MAX_PATH + 2];
  DWORD length = GetTempPathW(MAX_PATH + 2, text);
  std::string directory =
      length > 0 && length <= MAX_PATH + 1 ? boundedtext::wideToUtf8(text, length) : "";
  if (directory.empty()) directory = fiGetEnvironment("TEMP");
  if (directory.empty()) directory = ".";
  return fiWithSeparator(directory);
}

int CFiTempFile::platformCreateNew(const std::string& path, Access access, std::intptr_t& handle,
                                   bool& taken) {
  // A PRIVATE file keeps the directory's inherited access list, which on
  // Windows already limits it to its owner and the administrators.
  (void)access;
  HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    return static_cast<int>(error);
  }
  handle = reinterpret_cast<std::intptr_t>(file);
  return 0;
}

int CFiTempFile::platformWrite(std::intptr_t handle, const char* data, std::size_t size) {
  while (size > 0) {
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handleOf(handle), data, chunk, &written, nullptr))
      return static_cast<int>(GetLastError());
    if (written == 0) return ERROR_DISK_FULL;
    data += written;
    size -= written;
  }
  return 0;
}

int CFiTempFile::platformClose(std::intptr_t handle) {
  return CloseHandle(handleOf(handle)) ? 0 : static_cast<int>(GetLastError());
}

int CFiTempFile::platformReplace(const std::string& from, const std::string& to) {
  return MoveFileExW(wide(from).c_str(), wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? 0
             : static_cast<int>(GetLastError());
}

int CFiTempFile::platformRemove(const std::string& path) {
  return DeleteFileW(wide(path).c_str()) ? 0 : static_cast<int>(GetLastError());
}

}  // namespace quelb_pdk_4_4
