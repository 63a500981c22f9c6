// The nine SYMCLI tools of the simulator: each has a grammar (the command
// lines it accepts) and an executor that acts on the model inside the run's
// transaction and leaves its output in the context.
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
  void (*execute)(Context&);
  // Whether a held symcfg lock on the command's array blocks the command.
  bool (*blockedByLock)(const ParsedCommand&);
};

// The tool started under `name`, or null.
const Tool* findTool(const std::string& name);
// The nine tool names, in a fixed order.
const std::vector<std::string>& toolNames();

// Per-tool entry points (one source file each).
const ToolGrammar& symcfgGrammar();
void symcfgExecute(Context& ctx);
bool symcfgBlocked(const ParsedCommand& cmd);
const ToolGrammar& symdiskGrammar();
void symdiskExecute(Context& ctx);
const ToolGrammar& symcliGrammar();
void symcliExecute(Context& ctx);
const ToolGrammar& symdevGrammar();
void symdevExecute(Context& ctx);
const ToolGrammar& symmirGrammar();
void symmirExecute(Context& ctx);
const ToolGrammar& symcloneGrammar();
void symcloneExecute(Context& ctx);
const ToolGrammar& symsnapGrammar();
void symsnapExecute(Context& ctx);
const ToolGrammar& symmaskGrammar();
void symmaskExecute(Context& ctx);
const ToolGrammar& symmaskdbGrammar();
void symmaskdbExecute(Context& ctx);

}  // namespace symsim

#endif  // SYMSIM_TOOLS_H
