// The interposer: FIM registry, claiming, node set-up and release, import and deport.
#include <gtest/gtest.h>

#include <cstring>

#include "cfifimlink.h"
#include "cfiplugininterposer.h"
#include "cfistringtool.h"
#include "framework_node.h"

using namespace quelb_pdk_4_4;
using testenv::FrameworkNode;

namespace {

const wchar_t kClaimed[] = L"<norvel>UDID##EMC##SYMMETRIX##000187##0A1";

struct ImportCall {
  std::wstring name;
  std::vector<std::wstring> hosts;
  bool transportable, removeOthers, deport;
  int mode;
};

class TestInterposer : public CFiPluginInterposer {
 public:
  TestInterposer() {
    setProviderName(tstring(L"norvel"));
    PrivateDataManagerRef manager;
    manager.create();
    registerPrivateDataManager(manager);
  }
  using CFiPluginInterposer::addFim;
  void registerSymmetrix() {
    for (const char* fim : {"EMC_TimeFinder_Clone", "EMC_TimeFinder_Mirror", "EMC_TimeFinder_Snap"})
      addFim("UDID##EMC##SYMMETRIX##", fim, "FI_QUIESCE_NONE", 3, "");
  }
  int importNode(const tstring& name, const std::vector<tstring>& hosts, bool transportable,
                 bool removeOthers, bool deport, int mode) override {
    ImportCall call{name.c_str(), {}, transportable, removeOthers, deport, mode};
    for (const tstring& h : hosts) call.hosts.push_back(h.c_str());
    calls.push_back(call);
    return 77;
  }
  std::vector<ImportCall> calls;
};

class Interposer : public ::testing::Test {
 protected:
  void SetUp() override { plugin.registerSymmetrix(); }
  void TearDown() override { EXPECT_EQ(linksBefore, fiLiveFimLinks()); }
  size_t linksBefore = fiLiveFimLinks();
  TestInterposer plugin;
};

std::vector<std::string> fimNames(const std::list<CFiPluginInterposer::FimRecord>& fims) {
  std::vector<std::string> names;
  for (const auto& f : fims) names.push_back(f.fimName);
  return names;
}

TEST_F(Interposer, RegistryGroupsAndFims) {
  CFiPluginInterposer::GroupRecord group;
  ASSERT_TRUE(plugin.getGroup("EMC_TimeFinder_Clone_FIM_GROUP", group));
  EXPECT_EQ("UDID##EMC##SYMMETRIX##", group.claimPattern);
  EXPECT_EQ(nullptr, group.node);
  EXPECT_TRUE(plugin.isGroupNode(tstring(L"EMC_TimeFinder_Snap_FIM_GROUP")));
  EXPECT_FALSE(plugin.isGroupNode(tstring(L"EMC_TimeFinder_Snap")));
  EXPECT_STREQ(L"<norvel>", plugin.getInterposeNodePrefix().c_str());

  std::list<CFiPluginInterposer::FimRecord> fims;
  plugin.getFims(fims, tstring(L"EMC_TimeFinder_Mirror_FIM_GROUP"));
  EXPECT_EQ((std::vector<std::string>{"EMC_TimeFinder_Mirror"}), fimNames(fims));
  // A claimed node's FIMs: InitNodeChainsLinks...
  plugin.getFims(fims, tstring(L"UDID##EMC##SYMMETRIX##000187##0A1"));  // no prefix
  EXPECT_TRUE(fims.empty());

  plugin.addFim("", "Ignored", "FI_QUIESCE_NONE", 1, "");
  EXPECT_FALSE(plugin.getGroup("Ignored_FIM_GROUP", group));
  plugin.addFim("OTHER##", "Other", "FI_QUIESCE_NONE", 1, "shared");  // named group, re-made
  plugin.addFim("OTHER##", "Other2", "FI_QUIESCE_NONE", 1, "shared");
  plugin.getFims(fims, tstring(L"shared"));
  EXPECT_EQ((std::vector<std::string>{"Other"}), fimNames(fims));
}

TEST_F(Interposer, ClaimNeedsARegisteredPatternAndAnIdText) {
  quelb_objid** outList = nullptr;
  int count = 9;
  FrameworkNode claimed(kClaimed);
  quelb_objid empty = {};
  EXPECT_EQ(0, plugin.claim(&empty, &outList, &count));
  EXPECT_EQ(QLB_ERR_INVALID_ARG, plugin.checkNodeExistence(claimed.get(), nullptr));
  TestInterposer bare;  // nothing registered
  EXPECT_EQ(QLB_ERR_NOT_IMPLEMENTED, bare.checkNodeExistence(claimed.get(), &count));
  EXPECT_EQ(0, bare.claim(claimed.domain.fid_objid, &outList, &count));
  EXPECT_EQ(9, count);
}

// The ignore mask (type 2048), a node of another vendor and the ids handed out: Nodes (e2e).
TEST_F(Interposer, InterposeLeavesNothingWhenOutOfMemory) {
  quelb_objid* id = nullptr;
  quelb_objid** groups = nullptr;
  int count = 0;
  FrameworkNode again(L"UDID##EMC##SYMMETRIX##000187##0A2");
  const uint64_t before = quelb_live_buffers();
  for (int64_t n = 0; n < 8; ++n) {
    quelb_fail_allocations_after(n);
    count = 5;
    qlb_interpose result = plugin.interpose(again.get(), &id, &groups, &count);
    quelb_fail_allocations_after(-1);
    if (result == QLB_INTERPOSED) {
      quelb_free_objid(id);
      quelb_free_objid_array(groups, count);
    } else {
      EXPECT_EQ(0, count);
    }
    EXPECT_EQ(before, quelb_live_buffers()) << n;
  }
}

TEST_F(Interposer, InitNodeChainsLinksBindsGroupsAndDeInitReleasesAll) {
  FrameworkNode node(kClaimed, 5);
  node.domain.fid_context = &node;
  ASSERT_EQ(0, plugin.initNode(node.get(), nullptr, 0, nullptr));
  EXPECT_EQ(node.domain.fid_objid->qid_text, node.domain.fid_name);
  EXPECT_EQ(nullptr, node.domain.fid_context);
  ASSERT_NE(nullptr, node.domain.fid_private);
  const char* expected[] = {"EMC_TimeFinder_Clone", "EMC_TimeFinder_Mirror", "EMC_TimeFinder_Snap"};
  qlb_fim_link* link = node.domain.fid_links;
  for (const char* fim : expected) {
    ASSERT_NE(nullptr, link);
    EXPECT_STREQ(fim, link->fl_entry[0].fle_text);
    EXPECT_EQ(3, link->fl_entry[0].fle_value);
    EXPECT_STREQ("FI_QUIESCE_NONE", link->fl_entry[1].fle_text);
    EXPECT_EQ(node.get(), link->fl_entry[1].fle_node);
    link = link->fl_next;
  }
  EXPECT_EQ(nullptr, link);
  EXPECT_EQ(linksBefore + 3, fiLiveFimLinks());

  // A second init of the same record replaces its chain.
  ASSERT_EQ(0, plugin.initNode(node.get(), nullptr, 0, nullptr));
  EXPECT_EQ(linksBefore + 3, fiLiveFimLinks());

  // The type init_node sets, and that deinit_node clears links and data: Nodes (e2e).
  plugin.deInitNode(node.get());
  EXPECT_EQ(linksBefore, fiLiveFimLinks());
  plugin.deInitNode(node.get());  // twice is harmless

  // Group nodes: bound to the latest record, unbound only by that record.
  FrameworkNode groupA(L"EMC_TimeFinder_Snap_FIM_GROUP"), groupB(L"EMC_TimeFinder_Snap_FIM_GROUP");
  CFiPluginInterposer::GroupRecord group;
  ASSERT_EQ(0, plugin.initNode(groupA.get(), nullptr, 0, nullptr));
  ASSERT_TRUE(plugin.getGroup("EMC_TimeFinder_Snap_FIM_GROUP", group));
  EXPECT_EQ(groupA.get(), group.node);
  ASSERT_NE(nullptr, groupA.domain.fid_links);
  EXPECT_EQ(nullptr, groupA.domain.fid_links->fl_next);  // the group's one FIM
  groupA.domain.fid_type = 1;
  ASSERT_EQ(0, plugin.initNode(groupA.get(), nullptr, 0, nullptr));  // already bound: untouched
  EXPECT_EQ(1u, groupA.domain.fid_type);
  ASSERT_EQ(0, plugin.initNode(groupB.get(), nullptr, 0, nullptr));
  plugin.getGroup("EMC_TimeFinder_Snap_FIM_GROUP", group);
  EXPECT_EQ(groupB.get(), group.node);
  plugin.deInitNode(groupA.get());
  plugin.getGroup("EMC_TimeFinder_Snap_FIM_GROUP", group);
  EXPECT_EQ(groupB.get(), group.node);
  plugin.deInitNode(groupB.get());
  plugin.getGroup("EMC_TimeFinder_Snap_FIM_GROUP", group);
  EXPECT_EQ(nullptr, group.node);

  // A node that is not ours gets private data but no links; a chain that
  // is not ours is dropped, never freed.
  FrameworkNode plain(L"disk1");
  qlb_fim_link foreign = {};
  plain.domain.fid_links = &foreign;
  ASSERT_EQ(0, plugin.initNode(plain.get(), nullptr, 0, nullptr));
  EXPECT_EQ(nullptr, plain.domain.fid_links);
  EXPECT_NE(nullptr, plain.domain.fid_private);
  plugin.deInitNode(plain.get());
  EXPECT_EQ(QLB_ERR_INVALID_ARG, plugin.initNode(nullptr, nullptr, 0, nullptr));
}

// What readiness marks, and an alt node that is null: Nodes (e2e).
TEST_F(Interposer, AltNodesImportTreesAndReadiness) {
  FrameworkNode first(kClaimed), alt(L"<norvel>UDID##EMC##SYMMETRIX##000187##0B2", 1);
  ASSERT_EQ(0, plugin.initNode(first.get(), nullptr, 0, nullptr));
  wchar_t host[] = L"hostB";
  qlb_host_infn hosts = {host, nullptr};
  qlb_splitnode split = {const_cast<char*>("EMC_TimeFinder_Clone"), first.get(), alt.get()};
  qlb_splitnode* list[] = {&split};
  plugin.setImportOptions(list, 1, &hosts, 0, nullptr);

  EXPECT_EQ(77, plugin.initAltNode(first.get(), nullptr, alt.get(), false));
  ASSERT_EQ(1u, plugin.calls.size());
  EXPECT_EQ(L"<norvel>UDID##EMC##SYMMETRIX##000187##0B2", plugin.calls[0].name);
  EXPECT_EQ((std::vector<std::wstring>{L"hostB"}), plugin.calls[0].hosts);
  EXPECT_EQ(1, plugin.calls[0].mode);
  EXPECT_EQ(4098u | 1u, alt.domain.fid_type);
  ASSERT_NE(nullptr, alt.domain.fid_private);
  EXPECT_EQ(0, plugin.initAltNode(first.get(), nullptr, alt.get(), true));  // remote
  plugin.reAccessTmpObj(first.get(), nullptr, nullptr, nullptr, nullptr, 2);
  EXPECT_EQ(0, plugin.initAltNode(first.get(), nullptr, alt.get(), false));  // intent set
  EXPECT_EQ(1u, plugin.calls.size());

  EXPECT_EQ(QLB_ERR_INVALID_ARG, plugin.importTreeNode(first.get(), nullptr, nullptr, 0, nullptr));
  quelb_objid* imported = nullptr;
  first.domain.fid_import_objid = alt.domain.fid_objid;
  plugin.setImportOptions(list, 1, &hosts, 1, nullptr);
  EXPECT_EQ(77, plugin.importTreeNode(first.get(), nullptr, nullptr, 0, &imported));
  EXPECT_EQ(alt.domain.fid_objid, imported);
  EXPECT_TRUE(plugin.calls.back().transportable);
  EXPECT_EQ((std::vector<std::wstring>{L"hostB"}), plugin.calls.back().hosts);
  alt.domain.fid_import_objid = first.domain.fid_objid;  // alt has its own data, no hosts
  EXPECT_EQ(77, plugin.importTreeNode(alt.get(), nullptr, nullptr, 0, &imported));
  EXPECT_TRUE(plugin.calls.back().hosts.empty());
  EXPECT_FALSE(plugin.calls.back().transportable);

  EXPECT_EQ(0, plugin.isReady(nullptr, nullptr, 1));  // no list: nothing to mark
  plugin.deInitNode(alt.get());
  plugin.deInitNode(first.get());
}

TEST_F(Interposer, ResourceFlagsChooseTheImportNodeCall) {
  wchar_t name[] = L"UDID##EMC##SYMMETRIX##000187##0B2";
  wchar_t host[] = L"hostC";
  wchar_t empty[] = L"";
  wchar_t bad[] = L"0B2";
  EXPECT_EQ(QLB_ERR_INVALID_ARG,
            plugin.importResource(nullptr, nullptr, host, nullptr, 1, nullptr, nullptr));
  EXPECT_EQ(QLB_ERR_BAD_RESOURCE,
            plugin.importResource(nullptr, bad, host, nullptr, 1, nullptr, nullptr));
  EXPECT_EQ(QLB_ERR_BAD_RESOURCE, plugin.deportResource(nullptr, bad, host, nullptr, 0x400));
  EXPECT_EQ(QLB_ERR_NOT_IMPLEMENTED,
            plugin.importResource(nullptr, name, host, nullptr, 0x4 | 0x1, nullptr, nullptr));
  EXPECT_EQ(QLB_ERR_FAILED,
            plugin.importResource(nullptr, name, host, nullptr, 0x8, nullptr, nullptr));
  EXPECT_EQ(0, plugin.deportResource(nullptr, name, host, nullptr, 0x400 | 0x10));
  EXPECT_EQ(QLB_ERR_NOT_IMPLEMENTED, plugin.deportResource(nullptr, name, host, nullptr, 0x40));
  EXPECT_EQ(0, plugin.deportResource(nullptr, name, host, nullptr, 0x8));
  EXPECT_TRUE(plugin.calls.empty());

  struct {
    bool import;
    int flags;
    wchar_t* host;
    bool removeOthers, deport;
  } cases[] = {
      {true, 0x1 | 0x2, host, false, false},
      {true, 0x2, empty, true, false},
      {false, 0x10 | 0x20, host, true, true},
      {false, 0x20 | 0x40, nullptr, false, true},
  };
  for (const auto& c : cases) {
    int result =
        c.import ? plugin.importResource(nullptr, name, c.host, nullptr, c.flags, nullptr, nullptr)
                 : plugin.deportResource(nullptr, name, c.host, nullptr, c.flags);
    EXPECT_EQ(77, result);
    const ImportCall& call = plugin.calls.back();
    EXPECT_EQ(std::wstring(name), call.name);
    EXPECT_FALSE(call.transportable);
    EXPECT_EQ(c.removeOthers, call.removeOthers) << c.flags;
    EXPECT_EQ(c.deport, call.deport) << c.flags;
    EXPECT_EQ(2, call.mode);
    EXPECT_EQ(c.host == host ? 1u : 0u, call.hosts.size());
  }
  CFiPluginInterposer base;
  EXPECT_EQ(QLB_ERR_NOT_IMPLEMENTED,
            base.importResource(nullptr, name, host, nullptr, 1, nullptr, nullptr));
}

}  // namespace
