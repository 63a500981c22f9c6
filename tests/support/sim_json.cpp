#include "sim_json.h"

#include <cctype>
#include <cstring>
#include <stdexcept>

namespace simtest {

namespace {

class JsonParser {
 public:
  explicit JsonParser(const std::string& s) : s_(s) {}
  Json parse() {
    Json v = value();
    if (skip() != '\0') fail("trailing text");
    return v;
  }

 private:
  [[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("JSON: " + what + " at " + std::to_string(pos_));
  }
  // Skips blanks; the next character, '\0' at the end.
  char skip() {
    while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    return pos_ < s_.size() ? s_[pos_] : '\0';
  }
  bool next(char c) {
    if (skip() != c) return false;
    ++pos_;
    return true;
  }
  void expect(char c) {
    if (!next(c)) fail(std::string(1, c) + " expected");
  }
  bool take(const char* word) {
    const size_t n = std::strlen(word);
    if (s_.compare(pos_, n, word) != 0) return false;
    pos_ += n;
    return true;
  }
  std::string str() {
    expect('"');
    std::string out;
    while (pos_ < s_.size() && s_[pos_] != '"') {
      const char c = s_[pos_++];
      if (c != '\\') {
        out += c;
      } else if (pos_ >= s_.size()) {
        fail("bad escape");
      } else if (s_[pos_] == 'u') {
        out += static_cast<char>(std::stoi(s_.substr(pos_ + 1, 4), nullptr, 16));
        pos_ += 5;
      } else {
        const size_t shortForm = std::string("ntrbf").find(s_[pos_]);
        out += shortForm == std::string::npos ? s_[pos_] : "\n\t\r\b\f"[shortForm];
        ++pos_;
      }
    }
    expect('"');
    return out;
  }
  Json value() {
    Json v;
    const char c = skip();
    if (c == '{' || c == '[') {
      const char close = c == '{' ? '}' : ']';
      v.type = c == '{' ? Json::Object : Json::Array;
      ++pos_;
      if (next(close)) return v;
      do {
        if (v.type == Json::Array) {
          v.items.push_back(value());
          continue;
        }
        const std::string key = str();
        expect(':');
        v.fields[key] = value();
      } while (next(','));
      expect(close);
    } else if (c == '"') {
      v.type = Json::String;
      v.string = str();
    } else if (take("true") || take("false")) {
      v.type = Json::Bool;
      v.boolean = s_[pos_ - 1] == 'e' && s_[pos_ - 2] == 'u';
    } else if (!take("null")) {
      if (c == '\0') fail("value expected");
      size_t used = 0;
      v.type = Json::Number;
      v.number = std::stod(s_.substr(pos_, 40), &used);
      pos_ += used;
    }
    return v;
  }

  const std::string& s_;
  size_t pos_ = 0;
};

}  // namespace

const Json& Json::operator[](const std::string& key) const {
  static const Json null;
  auto it = fields.find(key);
  return it == fields.end() ? null : it->second;
}

Json parseJson(const std::string& text) { return JsonParser(text).parse(); }

std::string LoggedRun::line(const char* pairFileAs) const {
  std::string text = tool;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-output") {
      ++i;
      continue;
    }
    const bool file = pairFileAs && i > 0 && args[i - 1] == "-file";
    text += " " + (file ? std::string(pairFileAs) : args[i]);
  }
  return text;
}

std::vector<LoggedRun> loggedRuns(const std::string& logJson) {
  std::vector<LoggedRun> runs;
  for (const Json& entry : parseJson(logJson).items) {
    LoggedRun run;
    run.pid = static_cast<int64_t>(entry["pid"].number);
    run.tool = entry["tool"].string;
    for (const Json& arg : entry["args"].items) run.args.push_back(arg.string);
    for (size_t a = 0; a + 1 < run.args.size(); ++a)
      if (run.args[a] == "-output") run.output = run.args[a + 1];
    run.command = entry["command"].string;
    run.sid = entry["sid"].string;
    run.pairFile = entry["pair_file"].string;
    if (entry["exit_status"].type == Json::Number)
      run.exitStatus = static_cast<int>(entry["exit_status"].number);
    runs.push_back(run);
  }
  return runs;
}

}  // namespace simtest
