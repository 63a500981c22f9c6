// Tests against the SYMCLI simulator: a private install of the tool names with its own database,
// and child runs without a shell. Includes the readers sim_xml.h and sim_json.h.
#ifndef NORVEL_TESTS_SIM_ENV_H
#define NORVEL_TESTS_SIM_ENV_H

#include <memory>
#include <string>
#include <vector>

#include "sim_json.h"
#include "sim_xml.h"
#include "test_env.h"

namespace simtest {

// One child run: exit status (128 + signal when killed) and the merged output and error.
struct ToolRun {
  int status = -1;
  std::string out;
};

// The status of a child that Child::kill ended: 128 + SIGKILL, on Windows too.
constexpr int kKilledStatus = 128 + 9;
// A crashed tool's status: 128 + SIGSEGV, on Windows an access violation's code.
extern const int kCrashedStatus;

// Processor seconds (user and system) of every child reaped so far; POSIX systems only (the
// simulator's scale test).
double childProcessorSeconds();

// What a child's pipe carries: output and error merged, or output alone (error goes nowhere).
enum class Streams { kMerged, kOutputOnly };

// A child started without waiting, its input empty; the destructor kills and reaps it.
// sim_env_posix.cpp uses posix_spawn, sim_env_windows.cpp CreateProcess.
class Child {
 public:
  // `env` entries ("NAME=value") are added to the environment; SYMSIM_DB is removed.
  Child(const std::string& path, const std::vector<std::string>& args,
        const std::vector<std::string>& env = {}, Streams streams = Streams::kMerged);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Reads until `text` has appeared or the output ends; returns all read.
  std::string readUntil(const std::string& text);
  ToolRun finish();  // reads everything and waits for the exit
  // Kills and reaps the child; kKilledStatus, or the status it had already ended with.
  int kill();

 private:
  struct Process;
  std::unique_ptr<Process> process_;
  std::string buffered_;
};

// Splits a command line as the started program sees it: the POSIX pipe's splitter (blanks outside
// double quotes), on Windows CommandLineToArgvW. A blank line gives no argument; throws
// std::runtime_error for a line that cannot be split.
std::vector<std::string> splitCommandLine(const std::string& line);

// A temporary directory with the tool names in bin/ and the database at symsim.db beside it.
class SimEnv {
 public:
  SimEnv();
  std::string bin() const { return temp_.path() + "/bin"; }
  std::string db() const { return temp_.path() + "/symsim.db"; }
  std::string file(const std::string& name) const { return temp_.file(name); }

  std::string tool(const std::string& name) const;  // bin/<tool> with the executable suffix
  ToolRun run(const std::string& tool, const std::vector<std::string>& args) const;
  // bin/<tool> with a command line split like the provider's pipe.
  ToolRun line(const std::string& tool, const std::string& args) const;
  std::string admin(const std::string& args) const;  // fails the test when it fails
  // A reply fault: the runs `options` select (symsim fault add) print `output` and end with status
  // 0. Returns the fault's number.
  std::string reply(const std::string& options, const std::string& output) const;
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
