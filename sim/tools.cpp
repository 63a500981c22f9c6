#include "tools.h"

#include "errors.h"
#include "text.h"

namespace symsim {

namespace {

const Tool kTools[] = {
    {"symcfg", symcfgGrammar},   {"symmir", symmirGrammar},   {"symclone", symcloneGrammar},
    {"symsnap", symsnapGrammar}, {"symmask", symmaskGrammar}, {"symmaskdb", symmaskdbGrammar},
    {"symdev", symdevGrammar},   {"symdisk", symdiskGrammar}, {"symcli", symcliGrammar},
};

}  // namespace

const Tool* findTool(const std::string& name) {
  for (const Tool& t : kTools)
    if (name == t.name) return &t;
  return nullptr;
}

const std::vector<std::string>& toolNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const Tool& t : kTools) n.push_back(t.name);
    return n;
  }();
  return names;
}

ArrayRow Context::array() const { return model.findArray(cmd.value("-sid")); }

std::vector<PairLine> Context::pairLines() const {
  std::string path = cmd.value("-file");
  if (!pairFileRead) throw CliError("Cannot open the device file " + path);
  std::vector<PairLine> lines;
  int number = 0;
  for (const std::string& raw : split(pairFileText, '\n')) {
    ++number;
    std::string line = trim(raw);
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> w = words(line);
    if (w.size() != 2)
      throw CliError("Invalid line " + std::to_string(number) + " in the device file " + path +
                     ": \"" + line + "\" (two device names expected)");
    lines.push_back({number, w[0], w[1]});
  }
  if (lines.empty()) throw CliError("The device file " + path + " names no device pair");
  return lines;
}

}  // namespace symsim
