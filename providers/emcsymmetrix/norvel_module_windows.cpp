// Module load and unload on Windows: DllMain. Thread notifications are not
// wanted.
//
// ACE on Windows keeps the locks of some of its calls (ACE_OS::open of a
// file for appending, among others) in its object manager, which a program
// gets from ACE's main() and a library must start itself: the library
// starts it when loaded and ends it, with ICU's caches, when FreeLibrary
// unloads it. At process exit (reserved not null) nothing is freed, as
// other threads may already be gone with locks held.
#include <winsock2.h>  // before windows.h, as ACE includes it too
#include <windows.h>

#include <ace/Init_ACE.h>
#include <unicode/uclean.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(module);
    ACE::init();
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    u_cleanup();
    ACE::fini();
  }
  return TRUE;
}
