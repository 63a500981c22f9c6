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
    skip();
    if (pos_ != s_.size()) fail("trailing text");
    return v;
  }

 private:
  [[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("JSON: " + what + " at " + std::to_string(pos_));
  }
  void skip() {
    while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
  }
  bool take(const char* word) {
    size_t n = std::strlen(word);
    if (s_.compare(pos_, n, word) != 0) return false;
    pos_ += n;
    return true;
  }
  std::string str() {
    if (s_[pos_] != '"') fail("string expected");
    ++pos_;
    std::string out;
    while (pos_ < s_.size() && s_[pos_] != '"') {
      char c = s_[pos_++];
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= s_.size()) fail("bad escape");
      char e = s_[pos_++];
      switch (e) {
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        case 'r':
          out += '\r';
          break;
        case 'u':
          out += static_cast<char>(std::stoi(s_.substr(pos_, 4), nullptr, 16));
          pos_ += 4;
          break;
        default:
          out += e;
      }
    }
    if (pos_ >= s_.size()) fail("unterminated string");
    ++pos_;
    return out;
  }
  Json value() {
    skip();
    if (pos_ >= s_.size()) fail("value expected");
    Json v;
    char c = s_[pos_];
    if (c == '{') {
      v.type = Json::Object;
      ++pos_;
      skip();
      if (s_[pos_] == '}') {
        ++pos_;
        return v;
      }
      for (;;) {
        skip();
        std::string key = str();
        skip();
        if (s_[pos_++] != ':') fail(": expected");
        v.fields[key] = value();
        skip();
        if (s_[pos_] == ',') {
          ++pos_;
          continue;
        }
        if (s_[pos_++] != '}') fail("} expected");
        return v;
      }
    }
    if (c == '[') {
      v.type = Json::Array;
      ++pos_;
      skip();
      if (s_[pos_] == ']') {
        ++pos_;
        return v;
      }
      for (;;) {
        v.items.push_back(value());
        skip();
        if (s_[pos_] == ',') {
          ++pos_;
          continue;
        }
        if (s_[pos_++] != ']') fail("] expected");
        return v;
      }
    }
    if (c == '"') {
      v.type = Json::String;
      v.string = str();
      return v;
    }
    if (take("null")) return v;
    if (take("true") || take("false")) {
      v.type = Json::Bool;
      v.boolean = s_[pos_ - 1] == 'e' && s_[pos_ - 2] == 'u';
      return v;
    }
    size_t used = 0;
    v.type = Json::Number;
    v.number = std::stod(s_.substr(pos_, 40), &used);
    pos_ += used;
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

}  // namespace simtest
