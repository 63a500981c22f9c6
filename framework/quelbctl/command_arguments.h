// The arguments of one quelbctl command after its name: options of the form
// "--name VALUE" and plain words, in any order.
#ifndef QUELBCTL_COMMAND_ARGUMENTS_H
#define QUELBCTL_COMMAND_ARGUMENTS_H

#include <quelb/quelb_pgn.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

// What a command does once the provider is loaded and initialised; returns
// quelbctl's exit status. Commands read their arguments before the
// provider is loaded, so a mistyped command line never waits for the
// provider: a command given bad arguments yields an empty action (after a
// message on standard error) and quelbctl exits with 2.
typedef std::function<int(const qlb_pgn_table&)> CommandAction;

struct CommandArguments {
  // Option name (with its "--") to value; the last of repeated options wins.
  std::map<std::string, std::string> options;
  std::vector<std::string> words;

  bool has(const std::string& option) const { return options.count(option) != 0; }

  // Parses `arguments` of `command`. Every option named in `valueOptions`
  // takes the next argument as its value; "--flags" must be a number
  // (decimal or 0x hex, 0 to 0x7fffffff). Words are accepted only when
  // `wordsAllowed`. False, after a message on standard error, for an unknown
  // option, a missing or bad value, or an unwanted word.
  bool parse(const char* command, const std::vector<std::string>& arguments,
             std::initializer_list<const char*> valueOptions, bool wordsAllowed);

  // The value of "--flags", or `defaultFlags` when it was not given.
  long flags(long defaultFlags) const;
};

#endif  // QUELBCTL_COMMAND_ARGUMENTS_H
