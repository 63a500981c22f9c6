#include "cfisemaphorewindows.h"

#include <winsock2.h>  // before windows.h, as ACE includes it too
#include <windows.h>

#include <cwchar>

namespace quelb_pdk_4_4 {

std::unique_ptr<CFiSemaphore> CFiSemaphore::open(int key) {
  return std::unique_ptr<CFiSemaphore>(new CFiSemaphoreWin(key));
}

CFiSemaphoreWin::CFiSemaphoreWin(int key) : CFiSemaphore(key), m_handle(nullptr) {
  wchar_t name[32];
  if (key != 0) std::swprintf(name, sizeof name / sizeof name[0], L"quelb-sem-%d", key);
  m_handle = CreateSemaphoreW(nullptr, 1, 1, key != 0 ? name : nullptr);
  if (!m_handle) failed();
}

CFiSemaphoreWin::~CFiSemaphoreWin() {
  if (m_handle) CloseHandle(m_handle);
}

int CFiSemaphoreWin::failed() {
  m_lastError = static_cast<int>(GetLastError());
  return -1;
}

int CFiSemaphoreWin::wait() {
  if (!m_handle) return -1;
  DWORD result = WaitForSingleObject(m_handle, INFINITE);
  if (result == WAIT_OBJECT_0) return 0;
  return failed();
}

int CFiSemaphoreWin::post() {
  if (!m_handle) return -1;
  return ReleaseSemaphore(m_handle, 1, nullptr) ? 0 : failed();
}

}  // namespace quelb_pdk_4_4
