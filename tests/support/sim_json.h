// Reading the JSON the simulator prints (its log and reports), for tests.
#ifndef NORVEL_TESTS_SIM_JSON_H
#define NORVEL_TESTS_SIM_JSON_H

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

}  // namespace simtest

#endif  // NORVEL_TESTS_SIM_JSON_H
