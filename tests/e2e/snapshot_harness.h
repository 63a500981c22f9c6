// Harness of the end-to-end snapshot tests: on top of LoadedProvider (the
// library loaded against the demo arrays, with the checks for pair files,
// framework buffers and children at the end), source nodes interposed,
// initialised and configured as the framework does it, and select, prepare
// and make over split nodes in sessions of the test's own.
#ifndef NORVEL_TESTS_E2E_SNAPSHOT_HARNESS_H
#define NORVEL_TESTS_E2E_SNAPSHOT_HARNESS_H

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "loaded_provider.h"

namespace snapshottest {

inline std::wstring wide(const std::string& text) { return boundedtext::utf8ToWide(text); }

// "UDID##EMC##SYMMETRIX##<symid>##<device>"
inline std::string udid(const std::string& symid, const std::string& device) {
  return "UDID##EMC##SYMMETRIX##" + symid + "##" + device;
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
    testenv::FrameworkNode device(wide(identity));
    EXPECT_EQ(QLB_INTERPOSED, pgn_.interpose(device.get(), &domain_.fid_objid, &groups_, &groupCount_));
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

  // config operation 5 (set values) in mode 1: the snapshot resource
  // specification as a value list; the text handed back is freed.
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
  std::string name() const { return e2etest::N(domain_.fid_objid->qid_text); }

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
// it does not claim, a group node, or a stale record), named by its id.
class PlainNode {
 public:
  PlainNode(const std::string& id, const std::string& method)
      : node_(wide(id)), method_(method) {
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

class SnapshotTest : public e2etest::LoadedProvider {
 protected:
  void SetUp() override {
    LoadedProvider::SetUp();
    start();
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

  // Sessions live as long as the process: each test names its own.
  std::string sessionId(const char* name) const {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(test->test_suite_name()) + "." + test->name() + "." + name;
  }

  int select(std::vector<qlb_splitnode*> nodes, const char* session = "s1") {
    std::string id = sessionId(session);
    return pgn.select(nullptr, &id[0], nodes.data(), static_cast<int>(nodes.size()));
  }
  int prepare(std::vector<qlb_splitnode*> nodes, const char* session = "s1") {
    std::string id = sessionId(session);
    return pgn.prepare(nullptr, &id[0], nodes.data(), static_cast<int>(nodes.size()), 0);
  }
  // make; `names` receives the snapshot identities of the out array, which
  // is then freed.
  int make(std::vector<qlb_splitnode*> nodes, std::vector<std::string>* names,
           const char* session = "s1") {
    std::string id = sessionId(session);
    quelb_objid** out = nullptr;
    int count = -1;
    const int rc =
        pgn.make(nullptr, &id[0], nodes.data(), static_cast<int>(nodes.size()), &out, &count);
    if (names) {
      names->clear();
      for (int i = 0; out && i < count; ++i) names->push_back(e2etest::N(out[i]->qid_text));
    }
    if (out) quelb_free_objid_array(out, count);
    return rc;
  }

  // The command lines run, with the pair-file path replaced by "F".
  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    for (std::string line : commands()) {
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

  // The catalog text of the last pushed message, and how many were pushed.
  std::string lastMessage() const {
    for (auto p = pushed.rbegin(); p != pushed.rend(); ++p)
      if (!p->consumer.empty()) return p->consumer;
    return std::string();
  }
  size_t messages() const {
    size_t n = 0;
    for (const Pushed& p : pushed) n += !p.consumer.empty();
    return n;
  }
};

const std::string kArray1 = "000190100001";
const std::string kArray2 = "000190100002";
const char kMirror[] = "EMC_TimeFinder_Mirror";
const char kClone[] = "EMC_TimeFinder_Clone";
const char kSnap[] = "EMC_TimeFinder_Snap";

}  // namespace snapshottest

#endif  // NORVEL_TESTS_E2E_SNAPSHOT_HARNESS_H
