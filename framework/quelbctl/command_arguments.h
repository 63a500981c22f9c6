// The commands of quelbctl and the arguments after a command's name:
// options of the form "--name VALUE" and plain words, in any order.
#ifndef QUELBCTL_COMMAND_ARGUMENTS_H
#define QUELBCTL_COMMAND_ARGUMENTS_H

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

class Session;

// What a command does once the provider is loaded and initialised; returns
// quelbctl's exit status (0, or 1 when an operation of the provider
// failed). Commands read their arguments before the provider is loaded, so
// a mistyped command line never waits for the provider: bad arguments give
// an empty action after usageError().
typedef std::function<int(Session&)> CommandAction;

// One command: its name, the synopsis of its arguments, a one-line summary
// for the command list, the text of `quelbctl help NAME`, and the reader of
// its arguments.
struct CommandSpec {
  const char* name;
  const char* synopsis;
  const char* summary;
  const char* help;
  CommandAction (*prepare)(const std::vector<std::string>& arguments);
};

// Records a usage error of `command`: the one line quelbctl prints ("...;
// try 'quelbctl COMMAND --help'"). The last one recorded is usageErrorText().
void usageError(const char* command, const std::string& text);
const std::string& usageErrorText();

// Splits "LEFT=RIGHT" (a restore pair, a snapshot source, a filter item) at
// its one "=": false when there is none, more than one, or a side is empty.
bool splitAtEquals(const std::string& text, std::string& left, std::string& right);

struct CommandArguments {
  // Option name (with its "--") to value; the last of repeated options wins.
  std::map<std::string, std::string> options;
  std::vector<std::string> words;

  bool has(const std::string& option) const { return options.count(option) != 0; }

  // Parses `arguments` of `command`. Every option named in `valueOptions`
  // takes the next argument as its value; "--flags" must be a number
  // (decimal or 0x hex, 0 to 0x7fffffff). Words are accepted only when
  // `wordsAllowed`. False, after usageError(), for an unknown option, a
  // missing or bad value, or an unwanted word.
  bool parse(const char* command, const std::vector<std::string>& arguments,
             std::initializer_list<const char*> valueOptions, bool wordsAllowed);

  // The value of "--flags", or `defaultFlags` when it was not given.
  long flags(long defaultFlags) const;
};

#endif  // QUELBCTL_COMMAND_ARGUMENTS_H
