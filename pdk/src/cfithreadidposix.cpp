// Thread and process ids on POSIX systems (Linux: the kernel's thread id).
#include <sys/syscall.h>
#include <unistd.h>

#include "cfithreadid.h"

namespace quelb_pdk_4_4 {

unsigned int fiCurrentThreadId() { return static_cast<unsigned int>(::syscall(SYS_gettid)); }

unsigned long fiCurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

}  // namespace quelb_pdk_4_4
