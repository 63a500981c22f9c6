// Module load and unload on Windows: DllMain. Thread notifications are not
// wanted. ICU's caches go with the library when FreeLibrary unloads it; at
// process exit (reserved not null) nothing is freed, as other threads may
// already be gone with locks held.
#include <winsock2.h>  // before windows.h, as ACE includes it too
#include <windows.h>

#include <unicode/uclean.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) u_cleanup();
  return TRUE;
}
