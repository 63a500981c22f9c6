// The nine SYMCLI tools of the simulator: each has a grammar, the command
// lines it accepts, whose every command names the handler that acts on the
// model inside the run's transaction and leaves its output in the context.
#ifndef SYMSIM_TOOLS_H
#define SYMSIM_TOOLS_H

#include <string>
#include <vector>

#include "arguments.h"
#include "model.h"

namespace symsim {

// One line of a device file: two device names.
struct PairLine {
  int line = 0;
  std::string first;
  std::string second;
};

struct Context {
  Model& model;
  const ParsedCommand& cmd;
  std::string pairFileText;  // contents of the -file argument, when given
  bool pairFileRead = false;
  std::string out;  // what the run prints when it succeeds

  // The lines of the device file, each naming two devices. Throws CliError
  // for an unreadable file, a malformed line or an empty file.
  std::vector<PairLine> pairLines() const;
  // The array named by -sid.
  ArrayRow array() const;
};

struct Tool {
  const char* name;
  const ToolGrammar& (*grammar)();
};

// The tool started under `name`, or null.
const Tool* findTool(const std::string& name);
// The nine tool names, in a fixed order.
const std::vector<std::string>& toolNames();

// The grammars of the tools (one source file per tool or family), each
// with the handlers of its commands.
const ToolGrammar& symcfgGrammar();
const ToolGrammar& symdiskGrammar();
const ToolGrammar& symcliGrammar();
const ToolGrammar& symdevGrammar();
const ToolGrammar& symmirGrammar();
const ToolGrammar& symcloneGrammar();
const ToolGrammar& symsnapGrammar();
const ToolGrammar& symmaskGrammar();
const ToolGrammar& symmaskdbGrammar();

}  // namespace symsim

#endif  // SYMSIM_TOOLS_H
