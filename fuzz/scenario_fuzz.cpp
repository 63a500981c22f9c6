// libFuzzer target: the simulator's scenario files, loaded into an
// in-memory database as "symsim init" loads them. A text the loader does
// not take must end in ScenarioError (or DatabaseError for what the
// database refuses), never in anything else.
#include "database.h"
#include "fuzz_util.h"
#include "scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  symsim::Database db(":memory:", true);
  try {
    symsim::loadScenario(db, text, "fuzz.scn");
  } catch (const symsim::ScenarioError&) {
  } catch (const symsim::DatabaseError&) {
  }
  return 0;
}
