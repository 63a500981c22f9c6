// LoadedProvider: base of end-to-end tests that drive libnorvel.so the way
// the framework does, through dlopen and the exported entry points, against
// simulated arrays. It gives the test a private installation whose
// norvel.conf names the simulator's tool directory and traces at level 6
// (so traced lines reach the message callback), instant waits, a private
// CLI lock, and a private TMPDIR for pair files. At the end it checks that
// no pair file is left, that the framework's buffers are back where they
// started and that no child process is left.
#ifndef NORVEL_TESTS_E2E_LOADED_PROVIDER_H
#define NORVEL_TESTS_E2E_LOADED_PROVIDER_H

#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include <quelb/quelb_pgn.h>

#include "framework_node.h"
#include "isolated_install.h"
#include "sim_env.h"
#include "test_env.h"
#include "utf8.h"

namespace e2etest {

inline std::string N(const wchar_t* text) {
  return text ? boundedtext::wideToUtf8(text, std::wcslen(text)) : "<null>";
}

// One run of the simulator's command log: "<tool> <args>" without the
// output option, the contents of its -file and its exit status (-1 for a
// run that did not end).
struct LoggedCommand {
  std::string line;
  std::string pairFile;
  int exitStatus = -1;
};

class LoadedProvider : public ::testing::Test {
 protected:
  // A message the provider pushed; traced lines have no consumer text.
  struct Pushed {
    std::string consumer;
    std::string fallback;
    int severity;
  };

  void SetUp() override {
    install.linkBuiltMessages();
    writeConfig(std::string());
    handle = dlopen(testenv::norvelLibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, handle) << dlerror();
#define RESOLVE(op) \
  pgn.op = reinterpret_cast<qlb_pgn_##op##_t>(dlsym(handle, "norvel_fi_pgn_" #op));
    QLB_PGN_OPERATIONS(RESOLVE)
#undef RESOLVE
    liveBefore = quelb_live_buffers();
    record.ir_callback = &collect;
    record.ir_locale = &locale;
    record.ir_user = &pushed;
  }

  void TearDown() override {
    if (started) pgn.fini();
    if (handle) dlclose(handle);
    EXPECT_EQ(liveBefore, quelb_live_buffers()) << "framework buffers leaked";
    EXPECT_EQ(0u, quelb_bad_frees());
    EXPECT_EQ(std::vector<std::string>(), testenv::listDir(pairFileDir.path()))
        << "pair files left behind";
    EXPECT_EQ(0, testenv::childProcessCount());
  }

  // Writes norvel.conf: the simulator's tools, tracing at level 6 and
  // `more` (further sections).
  void writeConfig(const std::string& more) {
    testenv::makeDirs(install.root() + "ConfigFiles");
    testenv::writeFile(install.configFile("norvel"),
                       "[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + sim.bin() +
                           "\"\n[DEBUG_TRACE_INFO]\n\"TRACELEVEL\"=dword:00000006\n" + more);
  }

  // Builds the simulated arrays (the demo when empty), starts the provider
  // and lets it discover the arrays; the command log is then emptied.
  void start(const std::string& scenario = std::string()) {
    if (scenario.empty())
      sim.initDemo();
    else
      sim.init(scenario);
    ASSERT_EQ(0, pgn.init(&record, version));
    started = true;
    qlb_enclosure_node_list* arrays = nullptr;
    int count = 0;
    ASSERT_EQ(0, pgn.enumerate_enclosures(&arrays, &count, nullptr));
    quelb_free_enclosure_list(arrays);
    sim.admin("log --clear");
    pushed.clear();
  }

  std::vector<LoggedCommand> runs() const {
    std::vector<LoggedCommand> all;
    const simtest::Json log = simtest::parseJson(sim.admin("log --json"));
    for (size_t i = 0; i < log.size(); ++i) {
      LoggedCommand run;
      run.line = log[i]["tool"].string;
      const std::vector<simtest::Json>& args = log[i]["args"].items;
      for (size_t a = 0; a < args.size(); ++a) {
        if (args[a].string == "-output") {
          ++a;
          continue;
        }
        run.line += " " + args[a].string;
      }
      run.pairFile = log[i]["pair_file"].string;
      if (log[i]["exit_status"].type == simtest::Json::Number)
        run.exitStatus = static_cast<int>(log[i]["exit_status"].number);
      all.push_back(run);
    }
    return all;
  }
  std::vector<std::string> commands() const {
    std::vector<std::string> lines;
    for (const LoggedCommand& run : runs()) lines.push_back(run.line);
    return lines;
  }
  // How many command lines start with `prefix` and contain `part`.
  size_t countCommands(const std::string& prefix, const std::string& part = std::string()) const {
    size_t n = 0;
    for (const std::string& line : commands())
      n += line.compare(0, prefix.size(), prefix) == 0 && line.find(part) != std::string::npos;
    return n;
  }

  // The device file of the first run that starts with `prefix` and
  // contains `part`, its lines joined by "|"; "<none>" when no run matches.
  std::string pairFileOf(const std::string& prefix, const std::string& part) const {
    for (const LoggedCommand& run : runs()) {
      if (run.line.compare(0, prefix.size(), prefix) != 0 ||
          run.line.find(part) == std::string::npos)
        continue;
      std::string lines = run.pairFile;
      while (!lines.empty() && lines.back() == '\n') lines.pop_back();
      for (char& c : lines)
        if (c == '\n') c = '|';
      return lines;
    }
    return "<none>";
  }

  // How many traced lines contain `text`.
  int traced(const std::string& text) const {
    int n = 0;
    for (const Pushed& p : pushed)
      n += p.consumer.empty() && p.fallback.find(text) != std::string::npos;
    return n;
  }
  // The id of this thread's last error ("" when none).
  std::string lastErrorId() {
    qlb_msg_info* last = nullptr;
    EXPECT_EQ(0, pgn.get_last_error(&last));
    const std::string text = last ? std::string(last->mi_text, last->mi_length) : std::string();
    if (last) pgn.del_last_error(&last);
    const size_t at = text.find("MSGID=");
    if (at == std::string::npos) return std::string();
    return text.substr(at + 6, text.find(' ', at) - at - 6);
  }

  // What the simulator holds ("symsim show --json").
  simtest::Json arrays() const { return simtest::parseJson(sim.admin("show --json")); }
  // The state of a BCV pair, "" when there is none.
  std::string pairState(const std::string& symid, const std::string& std,
                        const std::string& bcv) const {
    const simtest::Json all = arrays();
    for (const simtest::Json& p : all["pairs"].items)
      if (p["symid"].string == symid && p["std"].string == std && p["bcv"].string == bcv)
        return p["state"].string;
    return std::string();
  }
  // The clone and snap sessions as "<kind> <source> <target> <state>".
  std::vector<std::string> sessions() const {
    std::vector<std::string> all;
    const simtest::Json state = arrays();
    for (const simtest::Json& s : state["sessions"].items)
      all.push_back(s["kind"].string + " " + s["source"].string + " " + s["target"].string + " " +
                    s["state"].string);
    return all;
  }
  // The applied masking records that hold the device, as "<wwn>@<port>".
  std::vector<std::string> maskedTo(const std::string& symid, const std::string& device) const {
    std::vector<std::string> holders;
    const simtest::Json state = arrays();
    for (const simtest::Json& m : state["masking"].items) {
      if (m["symid"].string != symid) continue;
      for (const simtest::Json& d : m["devices"].items)
        if (d.string == device) holders.push_back(m["wwn"].string + "@" + m["port"].string);
    }
    return holders;
  }

  static void collect(qlb_init_rec* rec, const wchar_t* consumer, const wchar_t* fallback,
                      int severity) {
    static_cast<std::vector<Pushed>*>(rec->ir_user)->push_back({N(consumer), N(fallback), severity});
  }

  testenv::ScopedEnv sleepScale{"QUELB_SLEEP_SCALE", "0"};
  testenv::ScopedEnv privateLock{"QUELB_CLI_LOCK_KEY", "0"};
  testenv::ScopedEnv noDatabase{"SYMSIM_DB", nullptr};
  testenv::IsolatedInstall install;
  simtest::SimEnv sim;
  // Made last, so that the directories above are not made inside it.
  testenv::TempDir pairFileDir{"norvel_pairfiles"};
  testenv::ScopedEnv pairFileEnv{"TMPDIR", pairFileDir.path().c_str()};
  void* handle = nullptr;
  qlb_pgn_table pgn = {};
  uint64_t liveBefore = 0;
  qlb_locale_desc locale = {nullptr};
  qlb_init_rec record = {};
  std::vector<Pushed> pushed;
  uint16_t version[4] = {0, 0, 0, 0};
  bool started = false;
};

}  // namespace e2etest

#endif  // NORVEL_TESTS_E2E_LOADED_PROVIDER_H
