// Tests against the SYMCLI simulator: a private install of the tool names
// with its own database and child-process runs through the tool names (no
// shell). The readers of what the simulator prints are sim_xml.h and
// sim_json.h, included here for the tests' convenience.
#ifndef NORVEL_TESTS_SIM_ENV_H
#define NORVEL_TESTS_SIM_ENV_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim_json.h"
#include "sim_xml.h"
#include "test_env.h"

namespace simtest {

// Result of one child run: exit status (128 + signal when killed) and the
// merged standard output and error.
struct ToolRun {
  int status = -1;
  std::string out;
};

// The status of a child that Child::kill ended: 128 + SIGKILL, on Windows
// too (the exit code it is terminated with).
constexpr int kKilledStatus = 128 + 9;

// The status of a tool that crashed: 128 + SIGSEGV, on Windows the code of
// an access violation.
extern const int kCrashedStatus;

// Processor seconds (user and system) of every child reaped so far.
double childProcessorSeconds();

// Which of a child's streams its pipe carries: standard output and error
// merged, or standard output alone (standard error then goes nowhere).
enum class Streams { kMerged, kOutputOnly };

// A child started without waiting for it, its standard input empty, its
// standard output and error merged into one pipe (or its standard output
// alone); the destructor kills and reaps it. One implementation per platform: sim_env_posix.cpp
// (posix_spawn) and sim_env_windows.cpp (CreateProcess).
class Child {
 public:
  // `env` entries ("NAME=value") are added to the child's environment;
  // SYMSIM_DB is removed from it.
  Child(const std::string& path, const std::vector<std::string>& args,
        const std::vector<std::string>& env = {}, Streams streams = Streams::kMerged);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Reads output until `text` has appeared or the output ends; returns all read.
  std::string readUntil(const std::string& text);
  // Reads everything and waits for the exit.
  ToolRun finish();
  // Whether the child is still running (not reaped).
  bool running();
  // Kills the child at once and reaps it; returns kKilledStatus, or the
  // status it had already ended with.
  int kill();

 private:
  struct Process;
  std::unique_ptr<Process> process_;
  std::string buffered_;
};

// Splits a command line as the program it starts would see it: with the
// POSIX pipe's own splitter (blanks outside double quotes), on Windows with
// the system's rules (CommandLineToArgvW). A blank line gives no argument.
// Throws std::runtime_error for a line that cannot be split.
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

  // The path of bin/<tool>, with the platform's executable suffix.
  std::string tool(const std::string& name) const;
  // Runs bin/<tool> with the arguments.
  ToolRun run(const std::string& tool, const std::vector<std::string>& args) const;
  // Runs bin/<tool> with a command line split like the provider's pipe.
  ToolRun line(const std::string& tool, const std::string& args) const;
  // Runs a command as the provider builds it: the quoted tool path, one
  // blank, then `args` (which starts with a blank of its own).
  ToolRun provider(const std::string& tool, const std::string& args) const;
  // Runs the administration command; fails the test when it fails.
  std::string admin(const std::string& args) const;
  // Adds a reply fault: the runs that `options` select (symsim fault add
  // options) print `output` instead of their own and end with status 0.
  // Returns the fault's number.
  std::string reply(const std::string& options, const std::string& output) const;
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
                   const std::vector<std::string>& env = {}, Streams streams = Streams::kMerged);

}  // namespace simtest

#endif  // NORVEL_TESTS_SIM_ENV_H
