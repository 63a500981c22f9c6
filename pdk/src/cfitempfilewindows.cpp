// Temporary files on Windows: CreateFileW(CREATE_NEW) under a name with a
// random suffix, WriteFile, CloseHandle, MoveFileExW, DeleteFileW. Paths are
// UTF-8 and go to the wide calls, so any name the file system takes works.
//
// The name is made here rather than by tempnam: CREATE_NEW makes the file
// only when no other has the name, in one step, so two writers never share
// a file. Errors are GetLastError codes (fiSystemErrorText reads them).
#include <winsock2.h>  // before windows.h, as ACE includes it too
#include <windows.h>

#include <mutex>
#include <random>

#include "cfienvironment.h"
#include "cfiplatform.h"
#include "cfitempfile.h"
#include "utf8.h"

namespace quelb_pdk_4_4 {

namespace {

const char kSuffixCharacters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
const int kSuffixLength = 6;
// Names tried before giving up when every one is taken.
const int kCreateAttempts = 100;

std::string randomSuffix() {
  static std::mutex lock;
  static std::mt19937 generator{std::random_device{}()};
  std::lock_guard<std::mutex> hold(lock);
  std::uniform_int_distribution<int> pick(0, sizeof kSuffixCharacters - 2);
  std::string suffix;
  for (int i = 0; i < kSuffixLength; ++i) suffix += kSuffixCharacters[pick(generator)];
  return suffix;
}

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

int CFiTempFile::platformCreate(const std::string& directory, const std::string& prefix,
                                Access access, std::string& path, std::intptr_t& handle) {
  // A PRIVATE file keeps the directory's inherited access list, which on
  // Windows already limits it to its owner and the administrators.
  (void)access;
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    std::string candidate = directory + prefix + randomSuffix();
    HANDLE file = CreateFileW(wide(candidate).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      path = candidate;
      handle = reinterpret_cast<std::intptr_t>(file);
      return 0;
    }
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
      return static_cast<int>(error);
  }
  return ERROR_FILE_EXISTS;
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
