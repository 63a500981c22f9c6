// The real wait of fiSleep on POSIX systems.
#include <errno.h>
#include <time.h>

#include "cfisleep.h"

namespace quelb_pdk_4_4 {

void fiPlatformSleep(unsigned long long microseconds) {
  struct timespec left;
  left.tv_sec = static_cast<time_t>(microseconds / 1000000ULL);
  left.tv_nsec = static_cast<long>((microseconds % 1000000ULL) * 1000ULL);
  // A signal handled by the host cuts the wait short; the rest is waited.
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace quelb_pdk_4_4
