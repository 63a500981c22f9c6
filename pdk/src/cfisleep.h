// The kit's one sleep function. Every wait of the library goes through
// fiSleep, so that tests can make waits instant and record them.
#ifndef QLB_PDK_CFISLEEP_H
#define QLB_PDK_CFISLEEP_H

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

// A replacement sleep: receives the wait in milliseconds.
typedef void (*FiSleepFunction)(unsigned long milliseconds);

// Waits the given number of milliseconds through the installed function.
// The default function really sleeps, scaled by the environment variable
// QUELB_SLEEP_SCALE when it is set (a number from 0 to 1000; 0 makes every
// wait instant, which the demo and the end-to-end tests use; any other text
// keeps the real waits).
QLB_PDK_EXPORT void fiSleep(unsigned long milliseconds);

// The microseconds the default function waits for `milliseconds`, the
// scale applied.
QLB_PDK_EXPORT unsigned long long fiScaledSleepMicroseconds(unsigned long milliseconds);

// Installs a replacement (null restores the default) and returns the
// previous one. Process-wide; not meant to be changed while waits run.
QLB_PDK_EXPORT FiSleepFunction fiSetSleepFunction(FiSleepFunction fn);

// The platform's real wait (the platform file's); callers use fiSleep.
void fiPlatformSleep(unsigned long long microseconds);

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFISLEEP_H
