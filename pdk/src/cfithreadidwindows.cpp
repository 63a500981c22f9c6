// Thread and process ids on Windows.
#include <winsock2.h>  // before windows.h, as ACE includes it too
#include <windows.h>

#include "cfithreadid.h"

namespace quelb_pdk_4_4 {

unsigned int fiCurrentThreadId() { return static_cast<unsigned int>(GetCurrentThreadId()); }

unsigned long fiCurrentProcessId() { return static_cast<unsigned long>(GetCurrentProcessId()); }

}  // namespace quelb_pdk_4_4
