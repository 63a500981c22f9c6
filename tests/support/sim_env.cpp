#include "sim_env.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace simtest {

namespace {

int statusOf(int raw) {
  if (WIFEXITED(raw)) return WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
  return -1;
}

std::vector<std::string> childEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "SYMSIM_DB=", 10) != 0) env.push_back(*e);
  return env;
}

}  // namespace

Child::Child(const std::string& path, const std::vector<std::string>& args,
             const std::vector<std::string>& extra) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  std::vector<std::string> env = childEnvironment();
  env.insert(env.end(), extra.begin(), extra.end());
  std::vector<char*> argv, envp;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(&e[0]);
  envp.push_back(nullptr);
  int rc = posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    pid_ = -1;
    throw std::runtime_error("cannot start " + path + ": " + std::strerror(rc));
  }
  fd_ = fds[0];
}

Child::~Child() {
  if (pid_ > 0) kill(SIGKILL);
  if (fd_ >= 0) ::close(fd_);
}

std::string Child::readUntil(const std::string& text) {
  char buf[65536];
  while (fd_ >= 0 && buffered_.find(text) == std::string::npos) {
    ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd_);
      fd_ = -1;
      break;
    }
    buffered_.append(buf, static_cast<size_t>(n));
  }
  return buffered_;
}

ToolRun Child::finish() {
  ToolRun r;
  r.out = readUntil(std::string(1, '\0') + "never");
  int raw = 0;
  while (waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  r.status = statusOf(raw);
  return r;
}

bool Child::running() {
  if (pid_ <= 0) return false;
  int raw = 0;
  return waitpid(pid_, &raw, WNOHANG) == 0;
}

int Child::kill(int sig) {
  if (pid_ <= 0) return -1;
  ::kill(pid_, sig);
  int raw = 0;
  while (waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  return statusOf(raw);
}

ToolRun runProgram(const std::string& path, const std::vector<std::string>& args,
                   const std::vector<std::string>& env) {
  Child child(path, args, env);
  return child.finish();
}

std::vector<std::string> splitCommandLine(const std::string& line) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false, have = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      have = true;
    } else if (c == ' ' && !quoted) {
      if (have) out.push_back(cur);
      cur.clear();
      have = false;
    } else {
      cur += c;
      have = true;
    }
  }
  if (have) out.push_back(cur);
  return out;
}

SimEnv::SimEnv() : temp_("symsim_test") {
  ToolRun r = runProgram(testenv::symsimPath(), {"install", bin()});
  if (r.status != 0) throw std::runtime_error("symsim install failed: " + r.out);
}

ToolRun SimEnv::run(const std::string& tool, const std::vector<std::string>& args) const {
  return runProgram(bin() + "/" + tool, args);
}

ToolRun SimEnv::line(const std::string& tool, const std::string& args) const {
  return run(tool, splitCommandLine(args));
}

ToolRun SimEnv::provider(const std::string& tool, const std::string& args) const {
  std::vector<std::string> argv = splitCommandLine("\"" + bin() + "/" + tool + "\" " + args);
  std::string path = argv[0];
  argv.erase(argv.begin());
  return runProgram(path, argv);
}

std::string SimEnv::admin(const std::string& args) const {
  ToolRun r = run("symsim", splitCommandLine(args));
  EXPECT_EQ(r.status, 0) << "symsim " << args << "\n" << r.out;
  return r.out;
}

void SimEnv::init(const std::string& scenario) const {
  testenv::writeFile(file("scenario.scn"), scenario);
  admin("init " + file("scenario.scn"));
}

std::string SimEnv::pairFile(const std::string& name, const std::string& lines) const {
  testenv::writeFile(file(name), lines);
  return file(name);
}

// ---- XML ----

std::string XmlNode::attr(const std::string& key) const {
  auto it = attrs.find(key);
  return it == attrs.end() ? std::string() : it->second;
}

std::vector<const XmlNode*> XmlNode::all(const std::string& key) const {
  std::vector<const XmlNode*> out;
  for (const auto& c : children) {
    if (c->name == key) out.push_back(c.get());
    std::vector<const XmlNode*> below = c->all(key);
    out.insert(out.end(), below.begin(), below.end());
  }
  return out;
}

const XmlNode* XmlNode::first(const std::string& key) const {
  std::vector<const XmlNode*> v = all(key);
  return v.empty() ? nullptr : v[0];
}

namespace {

class XmlParser {
 public:
  explicit XmlParser(const std::string& s) : s_(s) {}

  std::unique_ptr<XmlNode> document() {
    size_t decl = s_.find("<?xml");
    if (decl == std::string::npos) fail("no XML declaration");
    pos_ = s_.find("?>", decl);
    if (pos_ == std::string::npos) fail("unterminated declaration");
    pos_ += 2;
    skipBlanks();
    std::unique_ptr<XmlNode> root = element();
    if (root->name != "SymCLI_ML") fail("root is " + root->name);
    return root;
  }

 private:
  [[noreturn]] void fail(const std::string& what) { throw std::runtime_error("XML: " + what); }

  void skipBlanks() {
    while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
  }

  std::string name() {
    size_t start = pos_;
    while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) ||
                                s_[pos_] == '_' || s_[pos_] == '-' || s_[pos_] == '.'))
      ++pos_;
    if (start == pos_) fail("name expected at " + std::to_string(pos_));
    return s_.substr(start, pos_ - start);
  }

  std::string unescape(const std::string& t) {
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
      if (t[i] != '&') {
        out += t[i];
        continue;
      }
      size_t semi = t.find(';', i);
      if (semi == std::string::npos) fail("bad entity");
      std::string e = t.substr(i + 1, semi - i - 1);
      if (e == "amp")
        out += '&';
      else if (e == "lt")
        out += '<';
      else if (e == "gt")
        out += '>';
      else if (e == "quot")
        out += '"';
      else if (e == "apos" || e == "#39")
        out += '\'';
      else
        fail("unknown entity " + e);
      i = semi;
    }
    return out;
  }

  std::unique_ptr<XmlNode> element() {
    if (pos_ >= s_.size() || s_[pos_] != '<') fail("element expected at " + std::to_string(pos_));
    ++pos_;
    auto node = std::make_unique<XmlNode>();
    node->name = name();
    for (;;) {
      skipBlanks();
      if (pos_ >= s_.size()) fail("unterminated element " + node->name);
      if (s_.compare(pos_, 2, "/>") == 0) {
        pos_ += 2;
        return node;
      }
      if (s_[pos_] == '>') {
        ++pos_;
        break;
      }
      std::string key = name();
      skipBlanks();
      if (pos_ >= s_.size() || s_[pos_] != '=') fail("= expected after " + key);
      ++pos_;
      skipBlanks();
      if (pos_ >= s_.size() || s_[pos_] != '"') fail("quote expected for " + key);
      size_t end = s_.find('"', pos_ + 1);
      if (end == std::string::npos) fail("unterminated value of " + key);
      if (node->attrs.count(key)) fail("attribute " + key + " twice");
      node->attrs[key] = unescape(s_.substr(pos_ + 1, end - pos_ - 1));
      pos_ = end + 1;
    }
    for (;;) {
      size_t lt = s_.find('<', pos_);
      if (lt == std::string::npos) fail("unterminated element " + node->name);
      node->text += unescape(s_.substr(pos_, lt - pos_));
      pos_ = lt;
      if (s_.compare(pos_, 2, "</") == 0) {
        pos_ += 2;
        std::string closing = name();
        if (closing != node->name) fail("</" + closing + "> closes <" + node->name + ">");
        skipBlanks();
        if (pos_ >= s_.size() || s_[pos_] != '>') fail("> expected");
        ++pos_;
        return node;
      }
      node->children.push_back(element());
    }
  }

  const std::string& s_;
  size_t pos_ = 0;
};

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

std::unique_ptr<XmlNode> parseXml(const std::string& output) {
  return XmlParser(output).document();
}

const Json& Json::operator[](const std::string& key) const {
  static const Json null;
  auto it = fields.find(key);
  return it == fields.end() ? null : it->second;
}

Json parseJson(const std::string& text) { return JsonParser(text).parse(); }

}  // namespace simtest
