// Harness of the end-to-end snapshot tests: libnorvel.so loaded with
// dlopen against simulated arrays, source nodes built, interposed,
// initialised and configured as the framework does it, and readers for the
// simulator's command log (with the contents of each pair file) and the
// pair-file directory. The framework's buffers must be back where they
// started when a test ends.
#ifndef NORVEL_TESTS_E2E_SNAPSHOT_HARNESS_H
#define NORVEL_TESTS_E2E_SNAPSHOT_HARNESS_H

#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include <quelb/quelb_pgn.h>

#include "isolated_install.h"
#include "sim_env.h"
#include "test_env.h"
#include "utf8.h"

namespace snapshottest {

inline std::string narrow(const wchar_t* text) {
  return text ? boundedtext::wideToUtf8(text, std::wcslen(text)) : std::string();
}

inline std::wstring wide(const std::string& text) { return boundedtext::utf8ToWide(text); }

// "UDID##EMC##SYMMETRIX##<symid>##<device>"
inline std::string udid(const std::string& symid, const std::string& device) {
  return "UDID##EMC##SYMMETRIX##" + symid + "##" + device;
}

// The mode-1 configuration value list that names the snapshot resources.
inline std::wstring resourceSpecXml(const std::string& spec) {
  return wide(
      "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<ConfigValueList>\n<ConfigValue>\n"
      "\t<dataType></dataType>\n\t<key>snapshot_resource_spec</key>\n\t<value>" +
      spec + "</value>\n</ConfigValue>\n</ConfigValueList>\n");
}

// The framework's records of one source device claimed by the provider:
// the device's node is interposed, and the interposer node that comes back
// ("<norvel>" + identity) is initialised and becomes the source node of a
// split node of the given method. Released as the framework does:
// deinit_node, then the ids with the utility library.
class SourceNode {
 public:
  SourceNode(const qlb_pgn_table& pgn, const std::string& identity, const std::string& method)
      : pgn_(pgn), method_(method) {
    const std::wstring id = wide(identity);
    qlb_domain device = {};
    device.fid_objid =
        quelb_get_objid(id.c_str(), (id.size() + 1) * sizeof(wchar_t), QLB_OBJID_NODE);
    EXPECT_EQ(QLB_INTERPOSED, pgn_.interpose(&device, &domain_.fid_objid, &groups_, &groupCount_));
    quelb_free_objid(device.fid_objid);
    domain_.fid_support = &support_;
    EXPECT_EQ(0, pgn_.init_node(&domain_, nullptr, 0, nullptr));
    split_.sn_name = &method_[0];
    split_.sn_node = &domain_;
  }
  ~SourceNode() {
    pgn_.deinit_node(&domain_);
    quelb_free_objid(domain_.fid_objid);
    quelb_free_objid_array(groups_, groupCount_);
  }
  SourceNode(const SourceNode&) = delete;
  SourceNode& operator=(const SourceNode&) = delete;

  // config operation 5 (set values) in mode 1 with this resource
  // specification; the text handed back is freed.
  int configure(const std::string& spec) {
    std::wstring text = resourceSpecXml(spec);
    char session[] = "cfg";
    qlb_confspec confspec = {1, 0, &text[0]};
    const int rc = pgn_.config(&domain_, 5, session, &confspec);
    if (confspec.cs_text && confspec.cs_text != &text[0]) std::free(confspec.cs_text);
    return rc;
  }

  qlb_splitnode* split() { return &split_; }
  qlb_domain* node() { return &domain_; }
  std::string name() const { return narrow(domain_.fid_objid ? domain_.fid_objid->qid_text : nullptr); }

 private:
  const qlb_pgn_table& pgn_;
  std::string method_;
  qlb_domain domain_ = {};
  int support_ = 0;
  quelb_objid** groups_ = nullptr;
  int groupCount_ = 0;
  qlb_splitnode split_ = {};
};

// A framework node record that the provider has not initialised (a node
// it does not claim, a group node, or a stale record): its id, and its
// name set to the id text.
class PlainNode {
 public:
  PlainNode(const std::string& id, const std::string& method) : method_(method) {
    const std::wstring text = wide(id);
    domain_.fid_objid =
        quelb_get_objid(text.c_str(), (text.size() + 1) * sizeof(wchar_t), QLB_OBJID_NODE);
    domain_.fid_name = domain_.fid_objid->qid_text;
    split_.sn_name = &method_[0];
    split_.sn_node = &domain_;
  }
  ~PlainNode() { quelb_free_objid(domain_.fid_objid); }
  PlainNode(const PlainNode&) = delete;
  PlainNode& operator=(const PlainNode&) = delete;
  qlb_splitnode* split() { return &split_; }

 private:
  std::string method_;
  qlb_domain domain_ = {};
  qlb_splitnode split_ = {};
};

// One run of the simulator's command log.
struct LoggedRun {
  std::string line;      // "<tool> <arg> ...", the output option left out
  std::string pairFile;  // contents of the -file, empty when none
  int exitStatus = -1;
};

struct Pushed {
  std::string consumer;  // empty for a traced line
  std::string fallback;
  int severity;
};

class SnapshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install.linkBuiltMessages();
    testenv::makeDirs(install.root() + "ConfigFiles");
    testenv::writeFile(install.configFile("norvel"),
                       "[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + sim.bin() +
                           "\"\n[DEBUG_TRACE_INFO]\n\"TRACELEVEL\"=dword:00000006\n");
    handle = dlopen(testenv::norvelLibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, handle) << dlerror();
#define RESOLVE(op) \
  pgn.op = reinterpret_cast<qlb_pgn_##op##_t>(dlsym(handle, "norvel_fi_pgn_" #op));
    QLB_PGN_OPERATIONS(RESOLVE)
#undef RESOLVE
    liveBefore = quelb_live_buffers();
    badBefore = quelb_bad_frees();
    record.ir_callback = &collect;
    record.ir_user = &pushed;
    sim.initDemo();
    ASSERT_EQ(0, pgn.init(&record, version));
    started = true;
  }

  void TearDown() override {
    EXPECT_TRUE(pairFilesLeft().empty()) << "pair files left in the temporary directory";
    if (started) pgn.fini();
    if (handle) dlclose(handle);
    EXPECT_EQ(liveBefore, quelb_live_buffers()) << "framework buffers leaked";
    EXPECT_EQ(badBefore, quelb_bad_frees());
  }

  static void collect(qlb_init_rec* rec, const wchar_t* consumer, const wchar_t* fallback,
                      int severity) {
    static_cast<std::vector<Pushed>*>(rec->ir_user)
        ->push_back({narrow(consumer), narrow(fallback), severity});
  }

  // A claimed source node of `symid`/`device` whose configuration names
  // `spec` (no configuration when empty).
  std::unique_ptr<SourceNode> source(const std::string& symid, const std::string& device,
                                     const std::string& method, const std::string& spec) {
    std::unique_ptr<SourceNode> node(new SourceNode(pgn, udid(symid, device), method));
    if (!spec.empty()) {
      EXPECT_EQ(0, node->configure(spec));
    }
    return node;
  }

  static std::vector<qlb_splitnode*> splits(std::initializer_list<qlb_splitnode*> nodes) {
    return std::vector<qlb_splitnode*>(nodes);
  }

  int select(std::vector<qlb_splitnode*> nodes, const char* session = "s1") {
    std::string id = sessionId(session);
    return pgn.select(nullptr, &id[0], nodes.data(), static_cast<int>(nodes.size()));
  }
  int prepare(std::vector<qlb_splitnode*> nodes, const char* session = "s1") {
    std::string id = sessionId(session);
    return pgn.prepare(nullptr, &id[0], nodes.data(), static_cast<int>(nodes.size()), 0);
  }
  // make; `names` receives the snapshot identities of the out array (one
  // per split node, "<null>" for a null entry), which is then freed.
  int make(std::vector<qlb_splitnode*> nodes, std::vector<std::string>* names = nullptr,
           const char* session = "s1") {
    std::string id = sessionId(session);
    quelb_objid** out = nullptr;
    int count = -1;
    const int rc =
        pgn.make(nullptr, &id[0], nodes.data(), static_cast<int>(nodes.size()), &out, &count);
    if (names) {
      names->clear();
      for (int i = 0; out && i < count; ++i)
        names->push_back(out[i] ? narrow(out[i]->qid_text) : "<null>");
      if (!out && count > 0) names->push_back("<no array>");
    }
    if (out) quelb_free_objid_array(out, count);
    return rc;
  }

  // Sessions live as long as the process: each test names its own.
  std::string sessionId(const char* name) const {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(test->test_suite_name()) + "." + test->name() + "." + name;
  }

  // The runs logged since the last clearLog (of `tool` only when given).
  std::vector<LoggedRun> runs(const std::string& tool = std::string()) const {
    std::vector<LoggedRun> result;
    const simtest::Json all = simtest::parseJson(sim.admin("log --json"));
    for (const simtest::Json& item : all.items) {
      if (!tool.empty() && item["tool"].string != tool) continue;
      LoggedRun run;
      run.line = item["tool"].string;
      const std::vector<simtest::Json>& args = item["args"].items;
      for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].string == "-output") {
          ++i;
          continue;
        }
        run.line += " " + args[i].string;
      }
      run.pairFile = item["pair_file"].string;
      if (item["exit_status"].type == simtest::Json::Number)
        run.exitStatus = static_cast<int>(item["exit_status"].number);
      result.push_back(run);
    }
    return result;
  }
  // The lines of the runs with the pair-file path replaced by "F".
  std::vector<std::string> lines(const std::string& tool = std::string()) const {
    std::vector<std::string> result;
    for (const LoggedRun& run : runs(tool)) {
      std::string line = run.line;
      const size_t file = line.find(" -file ");
      if (file != std::string::npos) {
        const size_t end = line.find(' ', file + 7);
        line.replace(file + 7, end == std::string::npos ? std::string::npos : end - file - 7, "F");
      }
      result.push_back(line);
    }
    return result;
  }
  void clearLog() const { sim.admin("log --clear"); }

  // The state of one pair or session as "symsim show" reports it.
  std::string show() const { return sim.admin("show --sid 000190100001"); }

  std::vector<std::string> pairFilesLeft() const { return testenv::listDir(pairDir.path()); }

  bool traced(const std::string& text) const {
    for (const Pushed& p : pushed)
      if (p.consumer.empty() && p.fallback.find(text) != std::string::npos) return true;
    return false;
  }
  int tracedCount(const std::string& text) const {
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
  // The catalog text of the last pushed message.
  std::string lastMessage() const {
    for (auto p = pushed.rbegin(); p != pushed.rend(); ++p)
      if (!p->consumer.empty()) return p->consumer;
    return std::string();
  }

  testenv::ScopedEnv sleepScale{"QUELB_SLEEP_SCALE", "0"};
  testenv::ScopedEnv privateLock{"QUELB_CLI_LOCK_KEY", "0"};
  testenv::ScopedEnv noDatabase{"SYMSIM_DB", nullptr};
  testenv::IsolatedInstall install;
  simtest::SimEnv sim;
  // The provider's pair files go here, and nowhere else.
  testenv::TempDir pairDir{"norvel_pairs"};
  testenv::ScopedEnv tmpdir{"TMPDIR", pairDir.path().c_str()};
  void* handle = nullptr;
  qlb_pgn_table pgn = {};
  uint64_t liveBefore = 0;
  uint64_t badBefore = 0;
  qlb_init_rec record = {};
  std::vector<Pushed> pushed;
  uint16_t version[4] = {0, 0, 0, 0};
  bool started = false;
};

const std::string kArray1 = "000190100001";
const std::string kArray2 = "000190100002";
const char kMirror[] = "EMC_TimeFinder_Mirror";
const char kClone[] = "EMC_TimeFinder_Clone";
const char kSnap[] = "EMC_TimeFinder_Snap";

}  // namespace snapshottest

#endif  // NORVEL_TESTS_E2E_SNAPSHOT_HARNESS_H
