#include "arguments.h"

#include "errors.h"
#include "text.h"

namespace symsim {

std::string ParsedCommand::value(const std::string& option) const {
  auto it = values.find(option);
  return it == values.end() ? "" : it->second;
}

namespace {

struct RawArgs {
  std::map<std::string, std::string> values;
  std::set<std::string> flags;
  std::vector<std::string> words;
};

RawArgs split(const ToolGrammar& g, const std::vector<std::string>& args) {
  RawArgs raw;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 1 && a[0] == '-') {
      if (a == "-output" || g.valueOptions.count(a)) {
        if (i + 1 >= args.size()) throw UsageError("Option " + a + " needs a value");
        if (raw.values.count(a)) throw UsageError("Option " + a + " given twice");
        raw.values[a] = args[++i];
      } else if (g.flagOptions.count(a)) {
        if (raw.flags.count(a)) throw UsageError("Option " + a + " given twice");
        raw.flags.insert(a);
      } else {
        throw UsageError("Unrecognized option: " + a);
      }
    } else if (!a.empty()) {
      raw.words.push_back(a);
    }
  }
  return raw;
}

bool wordsMatch(const CommandSpec& spec, const RawArgs& raw) {
  if (raw.words.size() < spec.words.size()) return false;
  for (size_t i = 0; i < spec.words.size(); ++i)
    if (!equalsNoCase(raw.words[i], spec.words[i])) return false;
  for (const std::string& f : spec.needFlags)
    if (!raw.flags.count(f)) return false;
  return true;
}

}  // namespace

ParsedCommand parseCommand(const ToolGrammar& g, const std::vector<std::string>& args) {
  RawArgs raw = split(g, args);
  const CommandSpec* spec = nullptr;
  for (const CommandSpec& s : g.commands) {
    if (wordsMatch(s, raw)) {
      spec = &s;
      break;
    }
  }
  if (!spec) {
    if (raw.words.empty()) throw UsageError("No action was given");
    throw UsageError("Unrecognized action: " + join(raw.words, " "));
  }
  size_t operands = raw.words.size() - spec->words.size();
  if (operands < static_cast<size_t>(spec->operands))
    throw UsageError("The action \"" + spec->name + "\" needs " + std::to_string(spec->operands) +
                     " argument(s)");
  if (operands > static_cast<size_t>(spec->operands))
    throw UsageError("Unexpected argument: " +
                     raw.words[spec->words.size() + static_cast<size_t>(spec->operands)]);

  ParsedCommand cmd;
  cmd.spec = spec;
  cmd.name = spec->name;
  for (const auto& v : raw.values) {
    if (v.first == "-output") {
      std::string form = toUpper(v.second);
      if (form != "XML" && form != "XML_ATTRIBUTE" && form != "XML_ELEMENT")
        throw UsageError("Invalid output format: " + v.second);
      cmd.output = form;
      continue;
    }
    if (!spec->required.count(v.first) && !spec->optional.count(v.first))
      throw UsageError("Option " + v.first + " is not allowed with \"" + spec->name + "\"");
    cmd.values[v.first] = v.second;
  }
  for (const std::string& r : spec->required)
    if (!cmd.values.count(r)) throw UsageError("The action \"" + spec->name + "\" requires " + r);
  for (const std::string& f : raw.flags) {
    if (!spec->flags.count(f) && !spec->needFlags.count(f))
      throw UsageError("Option " + f + " is not allowed with \"" + spec->name + "\"");
    cmd.flags.insert(f);
  }
  for (size_t i = spec->words.size(); i < raw.words.size(); ++i)
    cmd.operands.push_back(raw.words[i]);
  return cmd;
}

}  // namespace symsim
