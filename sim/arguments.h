// Command-line parsing for the nine tools: options in any order, each
// command of a tool described by a CommandSpec, and anything that fits no
// spec refused as a usage error.
#ifndef SYMSIM_ARGUMENTS_H
#define SYMSIM_ARGUMENTS_H

#include <map>
#include <set>
#include <string>
#include <vector>

namespace symsim {

struct Context;

// One command a tool accepts, for example symmaskdb's
// "-sid S -dev D list assignment", with the handler that runs it. A tool's
// table of these is the one place where a command is named.
struct CommandSpec {
  std::string name;                 // canonical name: "list assignment"
  std::vector<std::string> words;   // the fixed positional words, in order
  int operands = 0;                 // positional values after the words
  std::set<std::string> required;   // value options that must be given
  std::set<std::string> optional;   // value options that may be given
  std::set<std::string> needFlags;  // flags that select this command
  std::set<std::string> flags;      // further flags that may be given
  void (*run)(Context&) = nullptr;  // acts on the model, leaves the output in the context
  bool blockedByLock = true;        // a held symcfg lock on its array refuses it
};

// A command line matched against a tool's specs.
struct ParsedCommand {
  const CommandSpec* spec = nullptr;  // the matched command of the tool's grammar
  std::string name;
  std::map<std::string, std::string> values;  // "-sid" -> "000190100001"
  std::set<std::string> flags;                // "-noprompt", ...
  std::vector<std::string> operands;
  std::string output;  // "XML" or "XML_ATTRIBUTE"; empty when not asked for

  bool has(const std::string& flag) const { return flags.count(flag) != 0; }
  std::string value(const std::string& option) const;
};

// What a tool knows: its value options, its flags and its commands. A
// grammar lives as long as the program (ParsedCommand points into it).
struct ToolGrammar {
  std::set<std::string> valueOptions;  // "-output" is implied
  std::set<std::string> flagOptions;
  std::vector<CommandSpec> commands;
  std::string usage;  // printed after a usage error
};

// Matches `args` (argv without the program name) against the grammar.
// Throws UsageError with a message that names the offending piece.
ParsedCommand parseCommand(const ToolGrammar& grammar, const std::vector<std::string>& args);

}  // namespace symsim

#endif  // SYMSIM_ARGUMENTS_H
