// The operating system's own text for an error code: strerror_r's on POSIX
// systems (errno values), the system message table's on Windows
// (GetLastError values), as UTF-8 without a final line end. "" when the
// system has no text for the code.
//
// One file per platform: systemtext_posix.cpp and systemtext_windows.cpp.
#ifndef BOUNDEDTEXT_SYSTEMTEXT_H
#define BOUNDEDTEXT_SYSTEMTEXT_H

#include <string>

namespace boundedtext {

std::string systemErrorText(int error);

}  // namespace boundedtext

#endif  // BOUNDEDTEXT_SYSTEMTEXT_H
