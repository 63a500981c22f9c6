// symsim: a SYMCLI simulator. Started under one of the nine tool names
// (symcfg, symmir, ...) it acts as that tool on the simulated arrays of its
// database; started as symsim it is the administration command.
#include <string>
#include <vector>

#include "admin.h"
#include "paths.h"
#include "runner.h"
#include "tools.h"

int main(int argc, char** argv) {
  std::string argv0 = argc > 0 && argv[0] ? argv[0] : "symsim";
  std::string name = symsim::baseName(argv0);
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
    name.resize(name.size() - 4);
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (const symsim::Tool* tool = symsim::findTool(name))
    return symsim::runTool(*tool, args, symsim::databasePath(argv0));
  return symsim::runAdmin(argv0, args);
}
