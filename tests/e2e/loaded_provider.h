// LoadedProvider: end-to-end tests that drive libnorvel.so as the framework does (loaded by
// quelbctl's ProviderLibrary, reached through the entry points) against simulated arrays, in a
// private installation tracing at level 6 (traced lines reach the callback), with instant waits, a
// private CLI lock and pair-file directory. At the end no pair file, framework buffer or child
// process may be left.
#ifndef NORVEL_TESTS_E2E_LOADED_PROVIDER_H
#define NORVEL_TESTS_E2E_LOADED_PROVIDER_H

#include <gmock/gmock.h>
#include <quelb/quelb_pgn.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework_node.h"
#include "isolated_install.h"
#include "provider_library.h"
#include "sim_env.h"
#include "test_env.h"
#include "utf8.h"

namespace e2etest {

inline std::string N(const wchar_t* text) {
  return text ? boundedtext::wideToUtf8(text, std::wcslen(text)) : "<null>";
}
inline std::wstring wide(const std::string& text) { return boundedtext::utf8ToWide(text); }

const std::string kArray1 = "000190100001";
const std::string kArray2 = "000190100002";
const char kMirror[] = "EMC_TimeFinder_Mirror";
const char kClone[] = "EMC_TimeFinder_Clone";
const char kSnap[] = "EMC_TimeFinder_Snap";

// "UDID##EMC##SYMMETRIX##<symid>##<device>"
inline std::string udid(const std::string& symid, const std::string& device) {
  return "UDID##EMC##SYMMETRIX##" + symid + "##" + device;
}
// The identity of "<device>" on the first array or of "<symid>##<device>".
inline std::wstring identity(const std::string& spec) {
  const size_t at = spec.find("##");
  return wide(at == std::string::npos ? udid(kArray1, spec)
                                      : udid(spec.substr(0, at), spec.substr(at + 2)));
}

using simtest::LoggedRun;

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
    writeConfig(simConfig());
    ASSERT_TRUE(library.load(testenv::norvelLibraryPath(), "norvel")) << library.error();
    pgn = library.entries();
    liveBefore = quelb_live_buffers();
    record.ir_callback = &collect;
    record.ir_locale = &locale;
    record.ir_user = this;
  }

  void TearDown() override {
    if (started) pgn.fini();
    library.unload();
    EXPECT_EQ(liveBefore, quelb_live_buffers()) << "framework buffers leaked";
    EXPECT_EQ(0u, quelb_bad_frees());
    EXPECT_EQ(std::vector<std::string>(), testenv::listDir(pairFileDir.path()))
        << "pair files left behind";
    EXPECT_EQ(0, testenv::childProcessCount());
  }

  // norvel.conf naming the simulator's tools and tracing at level 6.
  std::string simConfig() const {
    return "[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + sim.bin() +
           "\"\n[DEBUG_TRACE_INFO]\n\"TRACELEVEL\"=dword:00000006\n";
  }
  void writeConfig(const std::string& text) {
    testenv::makeDirs(install.root() + "ConfigFiles");
    testenv::writeFile(install.configFile("norvel"), text);
  }

  // Builds the arrays (the demo when empty; their log and faults start empty) and starts the
  // provider; with `discover` the arrays are discovered and the log emptied after.
  void start(const std::string& scenario = std::string(), bool discover = true) {
    if (scenario.empty())
      sim.initDemo();
    else
      sim.init(scenario);
    ASSERT_EQ(0, pgn.init(&record, version));
    started = true;
    if (!discover) return;
    qlb_enclosure_node_list* arrays = nullptr;
    int count = 0;
    ASSERT_EQ(0, pgn.enumerate_enclosures(&arrays, &count, nullptr))
        << "last error: " << lastError() << "\nsimulator log: " << sim.admin("log --json");
    quelb_free_enclosure_list(arrays);
    clearLog();
    pushed.clear();
  }
  void clearLog() const { sim.admin("log --clear"); }

  // Each enumeration with a filter (none when null) as "<rc>: <element> <element> ...", the list
  // freed; the count handed out must match the list.
  template <class List, class Enumerate, class Describe>
  static std::string listing(const wchar_t* filter, Enumerate enumerate, List* List::*next,
                             Describe describe, void (*release)(List*)) {
    std::wstring text = filter ? filter : L"";
    List* list = nullptr;
    int count = 0, n = 0;
    std::string out = std::to_string(enumerate(&list, &count, filter ? &text[0] : nullptr)) + ":";
    for (List* e = list; e; e = e->*next, ++n) out += " " + describe(*e);
    EXPECT_EQ(n, count);
    release(list);
    return out;
  }
  std::string enclosures(const wchar_t* filter) {
    return listing(
        filter, pgn.enumerate_enclosures, &qlb_enclosure_node_list::el_next,
        [](const qlb_enclosure_node_list& e) {
          return N(e.el_id) + "," + N(e.el_name) + "," + N(e.el_provider_name) + "," +
                 N(e.el_vendor) + "," + N(e.el_product) + "," + std::to_string(e.el_available) +
                 "/" + std::to_string(e.el_total) + "," + std::to_string(e.el_value);
        },
        &quelb_free_enclosure_list);
  }
  std::string nodes(const wchar_t* filter, int flags = 0) {
    auto enumerate = [&](qlb_node_list** list, int* count, wchar_t* text) {
      return pgn.enumerate_nodes(list, count, flags, text);
    };
    return listing(
        filter, enumerate, &qlb_node_list::nl_next,
        [](const qlb_node_list& node) {
          const qlb_node_attr& a = node.nl_attr;
          return N(node.nl_name) + "," + N(node.nl_objid->qid_text) + "," + N(node.nl_text) + "," +
                 std::to_string(a.na_value1) + "/" + std::to_string(a.na_value2) + "/" +
                 std::to_string(a.na_value3) + "/" + std::to_string(a.na_size);
        },
        &quelb_free_node_list);
  }
  std::string hosts(const wchar_t* filter) {
    return listing(
        filter, pgn.enumerate_host_nodes, &qlb_host_node_list::hl_next,
        [](const qlb_host_node_list& h) {
          std::string out = N(h.hl_host_name) + "@" + N(h.hl_text);
          for (int32_t i = 0; i < h.hl_port_count; ++i) out += "," + N(h.hl_ports[i]);
          return out;
        },
        &quelb_free_host_node_list);
  }

  // import_resource, deport_resource and dispose (detach by default) of devices as identity() takes
  // them.
  int importDevice(const std::string& device, int flags) {
    return pgn.import_resource(nullptr, &identity(device)[0], nullptr, nullptr, flags, nullptr,
                               nullptr);
  }
  int deportDevice(const std::string& device, int flags) {
    return pgn.deport_resource(nullptr, &identity(device)[0], nullptr, nullptr, flags);
  }
  int dispose(const std::string& source, const std::string& snapshot,
              qlb_disposition disposition = QLB_DISPOSITION_DETACH) {
    testenv::FrameworkNode sourceNode(identity(source));
    testenv::FrameworkNode snapshotNode(identity(snapshot));
    qlb_splitnode split = {nullptr, sourceNode.get(), nullptr};
    return pgn.dispose(sourceNode.get(), snapshotNode.get(), &split, disposition);
  }

  std::vector<LoggedRun> runs() const { return simtest::loggedRuns(sim.admin("log --json")); }
  // The command lines run, with the pair-file path replaced by "F".
  std::vector<std::string> commands() const {
    std::vector<std::string> result;
    for (const LoggedRun& run : runs()) result.push_back(run.line("F"));
    return result;
  }
  // A pair file's lines, each ended by "|".
  static std::string barred(std::string lines) {
    std::replace(lines.begin(), lines.end(), '\n', '|');
    return lines;
  }
  // Each run as commands() shows it and, when it had a pair file, ": " and barred() lines.
  std::vector<std::string> filed() const {
    std::vector<std::string> result;
    for (const LoggedRun& run : runs())
      result.push_back(run.line("F") + (run.pairFile.empty() ? "" : ": " + barred(run.pairFile)));
    return result;
  }
  // How many command lines start with `prefix` and contain `part`.
  size_t countCommands(const std::string& prefix, const std::string& part = std::string()) const {
    size_t n = 0;
    for (const std::string& line : commands())
      n += line.compare(0, prefix.size(), prefix) == 0 && line.find(part) != std::string::npos;
    return n;
  }

  // How many traced lines contain `text`.
  int traced(const std::string& text) const {
    int n = 0;
    for (const Pushed& p : pushed)
      n += p.consumer.empty() && p.fallback.find(text) != std::string::npos;
    return n;
  }
  // The catalog text of the last pushed message.
  std::string lastMessage() const {
    for (auto p = pushed.rbegin(); p != pushed.rend(); ++p)
      if (!p->consumer.empty()) return p->consumer;
    return std::string();
  }
  // The serialized last error of this thread ("" when none).
  std::string lastError() {
    qlb_msg_info* last = nullptr;
    EXPECT_EQ(0, pgn.get_last_error(&last));
    const std::string text = last ? std::string(last->mi_text, last->mi_length) : std::string();
    if (last) pgn.del_last_error(&last);
    return text;
  }
  // The id of this thread's last error ("" when none).
  std::string lastErrorId() {
    const std::string text = lastError();
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

  // The framework's callback, which any thread may call.
  static void collect(qlb_init_rec* rec, const wchar_t* consumer, const wchar_t* fallback,
                      int severity) {
    LoadedProvider* self = static_cast<LoadedProvider*>(rec->ir_user);
    std::lock_guard<std::mutex> hold(self->pushedLock);
    self->pushed.push_back({N(consumer), N(fallback), severity});
  }

  testenv::ScopedEnv sleepScale{"QUELB_SLEEP_SCALE", "0"};
  testenv::ScopedEnv privateLock{"QUELB_CLI_LOCK_KEY", "0"};
  testenv::ScopedEnv noDatabase{"SYMSIM_DB", nullptr};
  testenv::IsolatedInstall install;
  simtest::SimEnv sim;
  // Made last, so that the directories above are not made inside it.
  testenv::TempDir pairFileDir{"norvel_pairfiles"};
  testenv::ScopedEnv pairFileEnv{testenv::kTempDirVariable, pairFileDir.path().c_str()};
  ProviderLibrary library;
  qlb_pgn_table pgn = {};
  uint64_t liveBefore = 0;
  qlb_locale_desc locale = {nullptr};
  qlb_init_rec record = {};
  std::vector<Pushed> pushed;
  std::mutex pushedLock;
  uint16_t version[4] = {0, 0, 0, 0};
  bool started = false;
};

// The framework's records of one claimed source device: its node is interposed, and the node that
// comes back ("<norvel>" + identity) is initialised as the source of a split node of the given
// method. Released as the framework does: deinit_node, then the ids.
class SourceNode {
 public:
  SourceNode(const qlb_pgn_table& pgn, const std::string& identity, const std::string& method)
      : pgn_(pgn), method_(method) {
    testenv::FrameworkNode device(wide(identity));
    EXPECT_EQ(QLB_INTERPOSED,
              pgn_.interpose(device.get(), &domain_.fid_objid, &groups_, &groupCount_));
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

  // config operation 5 (set values) in mode 1 with the snapshot resource specification; the text
  // handed back is freed.
  int configure(const std::string& spec) {
    std::wstring text = wide(
        "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<ConfigValueList>\n<ConfigValue>\n"
        "\t<dataType></dataType>\n\t<key>snapshot_resource_spec</key>\n\t<value>" +
        spec + "</value>\n</ConfigValue>\n</ConfigValueList>\n");
    char session[] = "cfg";
    qlb_confspec confspec = {1, 0, &text[0]};
    const int rc = pgn_.config(&domain_, 5, session, &confspec);
    if (confspec.cs_text && confspec.cs_text != &text[0]) std::free(confspec.cs_text);
    return rc;
  }

  qlb_splitnode* split() { return &split_; }
  qlb_domain* node() { return &domain_; }
  std::string name() const { return N(domain_.fid_objid->qid_text); }

 private:
  const qlb_pgn_table& pgn_;
  std::string method_;
  qlb_domain domain_ = {};
  int support_ = 0;
  quelb_objid** groups_ = nullptr;
  int groupCount_ = 0;
  qlb_splitnode split_ = {};
};

// A node record the provider has not initialised (unclaimed, a group, or stale), by its id.
class PlainNode {
 public:
  PlainNode(const std::string& id, const std::string& method) : node_(wide(id)), method_(method) {
    node_.domain.fid_name = node_.domain.fid_objid->qid_text;
    split_.sn_name = &method_[0];
    split_.sn_node = node_.get();
  }
  qlb_splitnode* split() { return &split_; }

 private:
  testenv::FrameworkNode node_;
  std::string method_;
  qlb_splitnode split_ = {};
};

// The snapshot lifecycle: source nodes as the framework prepares them, and select, prepare and make
// over split nodes in sessions of the test's own.
class SnapshotTest : public LoadedProvider {
 protected:
  typedef std::vector<qlb_splitnode*> Splits;

  void SetUp() override {
    LoadedProvider::SetUp();
    start();
  }

  // A claimed source node of `symid`/`device` configured with `spec` (none when empty).
  std::unique_ptr<SourceNode> source(const std::string& symid, const std::string& device,
                                     const std::string& method, const std::string& spec) {
    std::unique_ptr<SourceNode> node(new SourceNode(pgn, udid(symid, device), method));
    if (!spec.empty()) {
      EXPECT_EQ(0, node->configure(spec));
    }
    return node;
  }

  // Sessions live as long as the process: each test names its own.
  std::string sessionId(const char* name) const {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(test->test_suite_name()) + "." + test->name() + "." + name;
  }

  int select(Splits nodes, const char* session = "s1") {
    return pgn.select(nullptr, &sessionId(session)[0], nodes.data(),
                      static_cast<int>(nodes.size()));
  }
  int prepare(Splits nodes, const char* session = "s1") {
    return pgn.prepare(nullptr, &sessionId(session)[0], nodes.data(),
                       static_cast<int>(nodes.size()), 0);
  }
  // make; `names` receives the snapshot identities of the out array, which is then freed.
  int make(Splits nodes, std::vector<std::string>* names, const char* session = "s1") {
    std::string id = sessionId(session);
    quelb_objid** out = nullptr;
    int count = -1;
    const int rc =
        pgn.make(nullptr, &id[0], nodes.data(), static_cast<int>(nodes.size()), &out, &count);
    if (names) {
      names->clear();
      for (int i = 0; out && i < count; ++i) names->push_back(N(out[i]->qid_text));
    }
    if (out) quelb_free_objid_array(out, count);
    return rc;
  }

  // How many catalog messages were pushed.
  size_t messages() const {
    size_t n = 0;
    for (const Pushed& p : pushed) n += !p.consumer.empty();
    return n;
  }
};

}  // namespace e2etest

#endif  // NORVEL_TESTS_E2E_LOADED_PROVIDER_H
