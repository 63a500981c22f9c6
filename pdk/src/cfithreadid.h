// The ids of the calling thread and of this process, as the trace lines
// and the per-thread last errors use them. The thread id is the system's
// own (the one process listings and debuggers show), not a library handle.
#ifndef QLB_PDK_CFITHREADID_H
#define QLB_PDK_CFITHREADID_H

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

QLB_PDK_EXPORT unsigned int fiCurrentThreadId();
QLB_PDK_EXPORT unsigned long fiCurrentProcessId();

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFITHREADID_H
