// The operating-system calls of quelbctl, behind one small interface; one
// file per platform (host_platform_posix.cpp, host_platform_windows.cpp).
// Text is UTF-8 on both.
#ifndef QUELBCTL_HOST_PLATFORM_H
#define QUELBCTL_HOST_PLATFORM_H

#include <cstddef>
#include <cstdio>
#include <string>

namespace host {

// The running program's file; empty when the system does not say.
std::string executablePath();
// This machine's name; false when the system does not say.
bool machineName(std::string& name);
unsigned long processId();
// The processor time this process has taken so far (user and system, all
// threads, not its children), in seconds.
double processorSeconds();
// Whether standard error is a terminal, and its width in columns (0 when
// unknown).
bool stderrIsTerminal();
std::size_t stderrColumns();
// Whether `path` names a file this process may read.
bool readable(const std::string& path);
// The directory separator of the platform's paths.
char separator();
// Sends whatever is written to standard output from now on to standard
// error, and returns a stream on the original standard output; null (and
// nothing changed) when the system refuses.
std::FILE* divertStandardOutput();

// A loaded library: the handle, or null with `why` set.
void* loadLibrary(const std::string& path, std::string& why);
void* librarySymbol(void* library, const std::string& name);
void unloadLibrary(void* library);

}  // namespace host

#endif  // QUELBCTL_HOST_PLATFORM_H
