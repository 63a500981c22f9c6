// libFuzzer target: the simulator's scenario files, loaded into an
// in-memory database as "symsim init" loads them. A text the loader does
// not take must end in ScenarioError (or DatabaseError for what the
// database refuses), never in anything else.
//
// The loader builds arrays as large as they are asked for (a device range
// may name a million devices, a disk count any number): that is the
// simulator's scale, not a fault, and one such text takes seconds. Texts
// that ask for more than kMaxRows devices and disks in all are skipped, so
// that the fuzzer spends its time on the loader's parsing.
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string>

#include "database.h"
#include "fuzz_util.h"
#include "scenario.h"

namespace {

const unsigned long kMaxRows = 4096;

// The devices and disks the text asks for, counted generously: a range or
// a count that does not read is taken as a large one.
unsigned long rowsAskedFor(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  unsigned long rows = 0;
  while (std::getline(lines, line) && rows <= kMaxRows) {
    std::istringstream words(line);
    std::string keyword, first;
    if (!(words >> keyword >> first)) continue;
    for (char& c : keyword) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (keyword == "disks") {
      rows += std::strtoul(first.c_str(), nullptr, 10);
    } else if (keyword == "devices" || keyword == "device") {
      const std::size_t sep = first.find_first_of("-:");
      if (sep == std::string::npos) {
        ++rows;
        continue;
      }
      const unsigned long from = std::strtoul(first.substr(0, sep).c_str(), nullptr, 16);
      const unsigned long to = std::strtoul(first.substr(sep + 1).c_str(), nullptr, 16);
      rows += to >= from ? to - from + 1 : 1;
    }
  }
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (rowsAskedFor(text) > kMaxRows) return 0;
  symsim::Database db(":memory:", true);
  try {
    symsim::loadScenario(db, text, "fuzz.scn");
  } catch (const symsim::ScenarioError&) {
  } catch (const symsim::DatabaseError&) {
  }
  return 0;
}
