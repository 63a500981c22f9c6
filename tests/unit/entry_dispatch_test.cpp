// The entry points' own logic, run against an instrumented plug-in object.
#include <gtest/gtest.h>
#include <quelb/quelb_records.h>

#include <atomic>
#include <chrono>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "cfipluginbase.h"
#include "norvel_entry.h"
#include "norvel_singletons.h"

using namespace quelb_pdk_4_4;

namespace {

// A plug-in whose answers the tests set and whose calls they read.
class FakePlugin : public CFiPluginBase {
 public:
  int delayedInitResult = 0;
  std::atomic<int> delayedInitCalls{0};
  int selectResult = QLB_ERR_NOT_IMPLEMENTED;
  int selectSnapshotsResult = 0;
  int makeSnapshotsResult = 0;
  int selectSnapshotsCalls = 0;
  int quiesceCount = -1;
  qlb_quiescenode** quiesceList = nullptr;
  // The first node as the call saw it: a one-node list made by the entry
  // point is gone once the call returns.
  qlb_quiescenode* quiesceFirst = nullptr;
  int configCalls = 0;
  int claimCalls = 0;
  std::vector<std::pair<std::wstring, std::wstring> > snapshotNames;  // node -> snapshot

  int delayedInit() override {
    ++delayedInitCalls;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return delayedInitResult;
  }
  int select(char*, qlb_splitnode**, int) override { return selectResult; }
  int selectSnapshots(SessionRef&) override {
    ++selectSnapshotsCalls;
    return selectSnapshotsResult;
  }
  int makeSnapshots(SessionRef& session) override {
    for (const auto& entry : snapshotNames)
      session->setSnapshotName(tstring(entry.first.c_str()), tstring(entry.second.c_str()));
    return makeSnapshotsResult;
  }
  int quiesce(qlb_quiescenode** list, int count, char*) override {
    quiesceList = list;
    quiesceCount = count;
    quiesceFirst = list && count > 0 ? list[0] : nullptr;
    return 0;
  }
  int config(qlb_domain*, int, char*, qlb_confspec*) override {
    ++configCalls;
    return 0;
  }
  int claim(quelb_objid*, quelb_objid***, int*) override {
    ++claimCalls;
    return QLB_CLAIM_SECONDARY;
  }
};

// A source node with a name, and a split node pointing at it.
struct TestNode {
  explicit TestNode(const std::wstring& name, const char* method = "EMC_TimeFinder_Clone")
      : name_(name) {
    domain.fid_name = &name_[0];
    split.sn_name = const_cast<char*>(method);
    split.sn_node = &domain;
  }
  std::wstring name_;
  qlb_domain domain = {};
  qlb_splitnode split = {};
};

class EntryDispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin = new FakePlugin;
    norvel::replacePlugin(plugin);
    liveBefore = quelb_live_buffers();
    badBefore = quelb_bad_frees();
  }
  void TearDown() override {
    norvel::replacePlugin(nullptr);
    EXPECT_EQ(liveBefore, quelb_live_buffers()) << "framework buffers leaked";
    EXPECT_EQ(badBefore, quelb_bad_frees());
  }

  std::string freshSessionId() {
    static int n = 0;
    return "session-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
           std::to_string(++n);
  }

  FakePlugin* plugin = nullptr;
  uint64_t liveBefore = 0;
  uint64_t badBefore = 0;
};

TEST_F(EntryDispatch, ConcurrentFirstCallsRunDelayedInitOnceAndAFailureIsNotRetried) {
  plugin->delayedInitResult = QLB_ERR_PROVIDER_INIT;
  qlb_domain node = {};
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int i = 0; i < 4; ++i)
    threads.emplace_back([&] {
      if (norvel_fi_pgn_pre_prepare(&node) == QLB_ERR_DELAYED_INIT) ++failures;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(1, plugin->delayedInitCalls.load());
  EXPECT_EQ(1, failures.load());  // only the call that ran it reports the failure
  EXPECT_EQ(0, norvel_fi_pgn_pre_prepare(&node));
  EXPECT_EQ(1, plugin->delayedInitCalls.load());
}

TEST_F(EntryDispatch, NullArgumentChecks) {
  quelb_objid id = {};
  quelb_objid** out = nullptr;
  int count = 0;
  // claim answers 0 without reaching the provider when any argument is null.
  EXPECT_EQ(0, norvel_fi_pgn_claim(nullptr, &out, &count));
  EXPECT_EQ(0, norvel_fi_pgn_claim(&id, nullptr, &count));
  EXPECT_EQ(0, norvel_fi_pgn_claim(&id, &out, nullptr));
  EXPECT_EQ(0, plugin->claimCalls);
  EXPECT_EQ(QLB_CLAIM_SECONDARY, norvel_fi_pgn_claim(&id, &out, &count));

  qlb_domain node = {};
  qlb_confspec spec = {};
  EXPECT_EQ(QLB_ERR_INVALID_ARG, norvel_fi_pgn_config(nullptr, 1, nullptr, &spec));
  EXPECT_EQ(QLB_ERR_INVALID_ARG, norvel_fi_pgn_config(&node, 1, nullptr, nullptr));
  EXPECT_EQ(0, plugin->configCalls);

  quelb_objid** list = nullptr;
  EXPECT_EQ(QLB_ERR_INVALID_ARG, norvel_fi_pgn_subobj_list(&node, nullptr, &count));
  EXPECT_EQ(QLB_ERR_INVALID_ARG, norvel_fi_pgn_subobj_list(&node, &list, nullptr));
  EXPECT_EQ(QLB_ERR_INVALID_ARG, norvel_fi_pgn_get_provider_info(nullptr));
  EXPECT_EQ(QLB_ERR_INVALID_ARG, norvel_fi_pgn_enumerate_nodes(nullptr, &count, 0, nullptr));

  wchar_t* names[] = {nullptr};
  wchar_t* translated = nullptr;
  EXPECT_EQ(QLB_ERR_INVALID_ARG, norvel_fi_pgn_translate_resource_names(nullptr, 0, &translated));
  EXPECT_EQ(QLB_ERR_INVALID_ARG, norvel_fi_pgn_translate_resource_names(names, 1, &translated));
  EXPECT_EQ(0, norvel_fi_pgn_translate_resource_names(names, 0, &translated));

  // get_provider_info clears the caller's pointer before the provider runs.
  qlb_provider_list* providers = reinterpret_cast<qlb_provider_list*>(0x1);
  EXPECT_EQ(0, norvel_fi_pgn_get_provider_info(&providers));
  EXPECT_EQ(nullptr, providers);
}

TEST_F(EntryDispatch, SingleNodeForm) {
  TestNode a(L"a");
  qlb_quiescenode* list[] = {&a.split};
  EXPECT_EQ(0, norvel_fi_pgn_quiesce(&a.split, nullptr, 0, nullptr));
  ASSERT_EQ(1, plugin->quiesceCount);
  EXPECT_EQ(&a.split, plugin->quiesceFirst);

  EXPECT_EQ(0, norvel_fi_pgn_quiesce(nullptr, nullptr, 0, nullptr));
  EXPECT_EQ(0, plugin->quiesceCount);
  EXPECT_EQ(nullptr, plugin->quiesceList);

  // A list, or a non-zero count, passes unchanged.
  EXPECT_EQ(0, norvel_fi_pgn_quiesce(&a.split, list, 1, nullptr));
  EXPECT_EQ(list, plugin->quiesceList);
  EXPECT_EQ(0, norvel_fi_pgn_quiesce(&a.split, nullptr, 2, nullptr));
  EXPECT_EQ(2, plugin->quiesceCount);
  EXPECT_EQ(nullptr, plugin->quiesceList);
}

TEST_F(EntryDispatch, SelectRecordsSplitNodesOnlyForZeroAndFour) {
  TestNode a(L"nodeA", "EMC_TimeFinder_Mirror");
  qlb_splitnode* list[] = {&a.split};

  std::string rejected = freshSessionId();
  plugin->selectResult = QLB_ERR_FAILED;
  EXPECT_EQ(QLB_ERR_FAILED, norvel_fi_pgn_select(nullptr, &rejected[0], list, 1));
  EXPECT_TRUE(norvel::sessionManager()->get(rejected.c_str())->getNodes().empty());

  std::string accepted = freshSessionId();
  plugin->selectResult = 0;
  EXPECT_EQ(0, norvel_fi_pgn_select(nullptr, &accepted[0], list, 1));
  EXPECT_EQ(0, plugin->selectSnapshotsCalls);
  std::vector<CFiSessionNode> nodes = norvel::sessionManager()->get(accepted.c_str())->getNodes();
  ASSERT_EQ(1u, nodes.size());
  EXPECT_STREQ(L"nodeA", nodes[0].nodeName.c_str());
  EXPECT_EQ("EMC_TimeFinder_Mirror", nodes[0].splitName);
  EXPECT_EQ(0, nodes[0].status);
  EXPECT_TRUE(nodes[0].snapshotName.empty());

  std::string sessionForm = freshSessionId();
  plugin->selectResult = QLB_ERR_NOT_IMPLEMENTED;
  plugin->selectSnapshotsResult = 17;
  EXPECT_EQ(17, norvel_fi_pgn_select(&a.split, &sessionForm[0], nullptr, 0));
  EXPECT_EQ(1, plugin->selectSnapshotsCalls);
  EXPECT_EQ(1u, norvel::sessionManager()->get(sessionForm.c_str())->getNodes().size());
}

TEST_F(EntryDispatch, MakeBuildsOutArrayFromSessionAndMarksNodesAndAnEmptyListNone) {
  TestNode a(L"nodeA"), b(L"nodeB");
  qlb_splitnode* list[] = {&a.split, &b.split};
  std::string session = freshSessionId();
  plugin->selectResult = 0;
  ASSERT_EQ(0, norvel_fi_pgn_select(nullptr, &session[0], list, 2));
  plugin->snapshotNames = {{L"nodeA", L"snapA"}, {L"nodeB", L"snapB"}};

  quelb_objid** out = nullptr;
  int outCount = -1;
  ASSERT_EQ(0, norvel_fi_pgn_make(nullptr, &session[0], list, 2, &out, &outCount));
  ASSERT_EQ(2, outCount);
  ASSERT_NE(nullptr, out);
  EXPECT_STREQ(L"snapA", out[0]->qid_text);
  EXPECT_STREQ(L"snapB", out[1]->qid_text);
  EXPECT_EQ(QLB_OBJID_SNAPSHOT, out[0]->qid_type);
  EXPECT_EQ((std::wcslen(L"snapA") + 1) * sizeof(wchar_t), out[0]->qid_bytes);
  EXPECT_TRUE(a.domain.fid_flags & QLB_NODE_MADE);
  EXPECT_TRUE(b.domain.fid_flags & QLB_NODE_MADE);
  quelb_free_objid_array(out, outCount);

  // The session records hold the names with status 1.
  CFiSessionNode record;
  ASSERT_TRUE(norvel::sessionManager()->get(session.c_str())->getNode(tstring(L"nodeA"), record));
  EXPECT_EQ(1, record.status);

  // A failing id builder: the array is allocated, the first id is built (two
  // allocations), the second fails; everything built is released, the out
  // array stays null and the result is kept.
  for (int64_t allowed : {0, 1, 2, 3, 4}) {
    out = reinterpret_cast<quelb_objid**>(0x1);
    outCount = -1;
    quelb_fail_allocations_after(allowed);
    int rc = norvel_fi_pgn_make(nullptr, &session[0], list, 2, &out, &outCount);
    quelb_fail_allocations_after(-1);
    EXPECT_EQ(0, rc) << allowed;
    EXPECT_EQ(2, outCount) << allowed;
    EXPECT_EQ(nullptr, out) << allowed;
  }

  // An empty list: no out array; a failure leaves the count alone.
  session = freshSessionId();
  out = reinterpret_cast<quelb_objid**>(0x1);
  outCount = -1;
  EXPECT_EQ(0, norvel_fi_pgn_make(nullptr, &session[0], nullptr, 0, &out, &outCount));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(0, outCount);

  plugin->makeSnapshotsResult = QLB_ERR_FAILED;
  out = nullptr;
  outCount = -1;
  EXPECT_EQ(QLB_ERR_FAILED, norvel_fi_pgn_make(nullptr, &session[0], nullptr, 0, &out, &outCount));
  EXPECT_EQ(-1, outCount);
}

}  // namespace
