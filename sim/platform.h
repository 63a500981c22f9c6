// The operating-system calls of the simulator, behind one small interface;
// one file per platform (platform_posix.cpp, platform_windows.cpp). Paths
// are UTF-8.
#ifndef SYMSIM_PLATFORM_H
#define SYMSIM_PLATFORM_H

#include <ctime>
#include <string>

namespace symsim {

// The characters that separate path components ("/", or "/\" on Windows).
extern const char* const kPathSeparators;
// The separator of the directories in PATH.
extern const char kPathListSeparator;
// The file-name suffix of programs: "" or ".exe".
extern const char* const kExecutableSuffix;

bool isAbsolutePath(const std::string& path);
std::string currentDirectory();
// The absolute path of the running executable (symbolic links resolved);
// empty when the system does not say.
std::string selfExecutable();
// A regular file this process may run.
bool isExecutable(const std::string& path);
bool isDirectory(const std::string& path);
// Makes one directory; an existing one is fine.
void makeDirectory(const std::string& path);
// Makes `name` start the program `target`: a symbolic link on POSIX
// systems, a hard link (or, across volumes, a copy) on Windows. An older
// file of that name is replaced. False with `why` set on failure.
bool placeTool(const std::string& target, const std::string& name, std::string& why);

// Seconds since the epoch, with a fraction.
double realNow();
// The local time of `t`.
void localTime(std::time_t t, std::tm& out);
long processId();

// Blocks until the process is killed: the hang faults. An interrupt
// (SIGINT, Ctrl-C) ends the process as it would end a real tool.
[[noreturn]] void hangForever();
// Dies as a crashing tool does (a segmentation fault, an access
// violation), without leaving a core file or opening an error dialog.
[[noreturn]] void crashNow();

}  // namespace symsim

#endif  // SYMSIM_PLATFORM_H
