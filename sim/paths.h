// Where the simulator's files are: the database of a run and the directory
// that holds the tool names.
#ifndef SYMSIM_PATHS_H
#define SYMSIM_PATHS_H

#include <string>

namespace symsim {

// The directory the program was started from, taken from argv[0] without
// following symbolic links (a tool name is a link to symsim), or found on
// PATH when argv[0] holds no slash.
std::string invocationDirectory(const std::string& argv0);

// SYMSIM_DB when set, else "symsim.db" in the parent of the directory
// holding the program; for a program with no tool names beside it whose
// parent holds symcli/bin/ with them (PREFIX/bin/symsim of an installation
// or a build tree), that directory's database, PREFIX/symcli/symsim.db.
std::string databasePath(const std::string& argv0);

// The final component of a path.
std::string baseName(const std::string& path);

// The absolute path of the running executable (symbolic links resolved).
std::string selfExecutable();

}  // namespace symsim

#endif  // SYMSIM_PATHS_H
