// Module unload on POSIX systems: ICU's caches go with the library when it
// is unloaded (dlclose) or the process ends.
#include <unicode/uclean.h>

__attribute__((destructor)) static void norvelModuleUnload() { u_cleanup(); }
