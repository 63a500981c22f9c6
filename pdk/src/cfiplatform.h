// The platform seam of the kit: what differs between operating systems,
// and where it lives.
//
// Every call of the operating system made by the kit and the provider sits
// behind one small interface per service. The interface is portable; each
// service has one file per platform behind it, named for the platform
// (...posix.cpp now, ...windows.cpp for the Windows build), and the build
// compiles only the current platform's files. No other file tests the
// platform or calls the operating system; ACE's portable wrappers for plain
// file and directory access (ACE_OS::fopen, open, stat, mkdir, unlink, ...)
// count as portable.
//
//   Service                  Interface            POSIX file
//   child-process pipe       cfiexecpipebase.h    cfiexecpipeposix.{h,cpp}
//                            (CFiExecPipeBase::create gives the platform's pipe)
//   semaphore (CLI lock)     cfisemaphore.h       cfisemaphoreposix.{h,cpp}
//   registry (HKLM)          cfiregistry.h        cfiregistryposix.{h,cpp}
//   temporary files          cfitempfile.h        cfitempfileposix.cpp
//   appending to a file      cfiappendfile.h      cfiappendfileposix.cpp
//   sleep                    cfisleep.h           cfisleepposix.cpp
//   thread and process id    cfithreadid.h        cfithreadidposix.cpp
//   environment              cfienvironment.h     cfienvironmentposix.cpp
//   host names               cfinetwork.h         cfinetworkposix.cpp
//   constants, error text    cfiplatform.h        cfiplatformposix.cpp
//
// The framework utility library stand-in (framework/quelbutil) is not part
// of the kit (the kit links against it); it reads its environment through
// a platform file of its own, quelbutil_environment_posix.cpp.
//
// Where a portable file (cfienvironment.cpp, cfisleep.cpp, cfitempfile.cpp)
// sits beside the platform file, it holds what both platforms share, such
// as the hooks with which tests replace a service.
#ifndef QLB_PDK_CFIPLATFORM_H
#define QLB_PDK_CFIPLATFORM_H

#include <string>

#include "cfiexport.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

// The file-name suffix of executables: "" on POSIX systems, ".exe" on
// Windows.
QLB_PDK_EXPORT extern const char* const FI_EXE_SUFFIX;

// The separator of path components: '/' on POSIX systems, '\' on Windows.
QLB_PDK_EXPORT extern const wchar_t FI_PATH_SEPARATOR;

// The "ProgramFilesDir" used when the registry names none: "/opt" on POSIX
// systems.
QLB_PDK_EXPORT extern const wchar_t* const FI_PROGRAM_FILES_DEFAULT;

// `name` with the separator appended, unless it is empty or already ends in
// one ("ConfigFiles" -> "ConfigFiles/").
QLB_PDK_EXPORT tstring fiWithSeparator(const tstring& name);
QLB_PDK_EXPORT std::string fiWithSeparator(const std::string& name);

// The system's text for a system error code (errno on POSIX systems, the
// GetLastError code on Windows), without a final line end; empty when the
// system has none.
QLB_PDK_EXPORT std::string fiSystemErrorText(int error);

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIPLATFORM_H
