// Tests against the SYMCLI simulator: a private install of the tool names
// with its own database, child-process runs through the tool names (no
// shell), and small readers for the XML and JSON the simulator prints.
#ifndef NORVEL_TESTS_SIM_ENV_H
#define NORVEL_TESTS_SIM_ENV_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "test_env.h"

namespace simtest {

// Result of one child run: exit status (128 + signal when killed) and the
// merged standard output and error.
struct ToolRun {
  int status = -1;
  std::string out;
};

// A child started without waiting for it; the destructor kills and reaps it.
class Child {
 public:
  // `env` entries ("NAME=value") are added to the child's environment.
  Child(const std::string& path, const std::vector<std::string>& args,
        const std::vector<std::string>& env = {});
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  // Reads output until `text` has appeared or the output ends; returns all read.
  std::string readUntil(const std::string& text);
  // Reads everything and waits for the exit.
  ToolRun finish();
  // Whether the child is still running (not reaped).
  bool running();
  // Sends `sig` and reaps the child; returns the status as ToolRun::status does.
  int kill(int sig);

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
  std::string buffered_;
};

// Splits a command line at blanks, honouring double quotes, as the
// provider's pipe does.
std::vector<std::string> splitCommandLine(const std::string& line);

// A temporary directory with the tool names installed in bin/ and the
// database at symsim.db beside it.
class SimEnv {
 public:
  SimEnv();
  const std::string& dir() const { return temp_.path(); }
  std::string bin() const { return temp_.path() + "/bin"; }
  std::string db() const { return temp_.path() + "/symsim.db"; }
  std::string file(const std::string& name) const { return temp_.file(name); }

  // Runs bin/<tool> with the arguments.
  ToolRun run(const std::string& tool, const std::vector<std::string>& args) const;
  // Runs bin/<tool> with a command line split like the provider's pipe.
  ToolRun line(const std::string& tool, const std::string& args) const;
  // Runs a command as the provider builds it: the quoted tool path, one
  // blank, then `args` (which starts with a blank of its own).
  ToolRun provider(const std::string& tool, const std::string& args) const;
  // Runs the administration command; fails the test when it fails.
  std::string admin(const std::string& args) const;
  // symsim init from a scenario text.
  void init(const std::string& scenario) const;
  void initDemo() const { admin("init --demo"); }
  // Writes a device file and returns its path.
  std::string pairFile(const std::string& name, const std::string& lines) const;

 private:
  testenv::TempDir temp_;
};

// Runs a program directly; SYMSIM_DB is removed from its environment.
ToolRun runProgram(const std::string& path, const std::vector<std::string>& args,
                   const std::vector<std::string>& env = {});

// A parsed XML element: name, attributes, children, text.
struct XmlNode {
  std::string name;
  std::map<std::string, std::string> attrs;
  std::vector<std::unique_ptr<XmlNode>> children;
  std::string text;

  std::string attr(const std::string& name) const;
  // Every element of that name below this one (depth first, in order).
  std::vector<const XmlNode*> all(const std::string& name) const;
  const XmlNode* first(const std::string& name) const;
};

// Parses the one document in `output` (lines before "<?xml" and after the
// root are ignored, as the provider does). Throws std::runtime_error for
// output without a well-formed SymCLI_ML document.
std::unique_ptr<XmlNode> parseXml(const std::string& output);

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

#endif  // NORVEL_TESTS_SIM_ENV_H
