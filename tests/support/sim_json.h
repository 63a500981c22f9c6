// Reading the JSON the simulator prints (its log and reports), for tests.
#ifndef NORVEL_TESTS_SIM_JSON_H
#define NORVEL_TESTS_SIM_JSON_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace simtest {

// A parsed JSON value (enough for the simulator's log and reports).
struct Json {
  enum Type { Null, Bool, Number, String, Array, Object } type = Null;
  bool boolean = false;
  double number = 0;
  std::string string;
  std::vector<Json> items;
  std::map<std::string, Json> fields;

  const Json& operator[](const std::string& key) const;
  const Json& operator[](size_t index) const { return items.at(index); }
  size_t size() const { return type == Array ? items.size() : fields.size(); }
};
Json parseJson(const std::string& text);

// One run of the simulator's command log ("symsim log --json").
struct LoggedRun {
  int64_t pid = 0;
  std::string tool;
  std::vector<std::string> args;
  std::string command;   // the simulator's name of the command ("list", "lock list", ...)
  std::string sid;       // -sid, empty when none
  std::string output;    // the value of -output, empty when none
  std::string pairFile;  // contents of the -file, empty when none
  int exitStatus = -1;   // -1 for a run that did not end

  // "<tool> <arg> <arg> ...", the output option left out; with `pairFileAs` the path after -file is
  // replaced by that text.
  std::string line(const char* pairFileAs = nullptr) const;
};
// The runs of a log printed by "symsim log --json", in order.
std::vector<LoggedRun> loggedRuns(const std::string& logJson);

}  // namespace simtest

#endif  // NORVEL_TESTS_SIM_JSON_H
