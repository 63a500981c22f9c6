// The real wait of fiSleep on Windows: Sleep, in whole milliseconds
// (rounded up, so that a wait is never shorter than asked).
#include <winsock2.h>  // before windows.h, as ACE includes it too
#include <windows.h>

#include "cfisleep.h"

namespace quelb_pdk_4_4 {

void fiPlatformSleep(unsigned long long microseconds) {
  unsigned long long ms = (microseconds + 999ULL) / 1000ULL;
  while (ms > 0) {
    DWORD step = ms > 0x7FFFFFFFULL ? 0x7FFFFFFFUL : static_cast<DWORD>(ms);
    Sleep(step);
    ms -= step;
  }
}

}  // namespace quelb_pdk_4_4
