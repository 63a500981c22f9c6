// Private data of framework nodes: sharing between records of one id, alt
// nodes, release, node state, default merging and the choice of the
// snapshot target from the configuration.
#include <gtest/gtest.h>

#include <cwchar>

#include "cfiprivatedata.h"
#include "cfiudid.h"
#include "framework_node.h"

using namespace quelb_pdk_4_4;
using testenv::FrameworkNode;

namespace {

const wchar_t kNodeId[] = L"UDID##EMC##SYMMETRIX##SYM1##0a1";

class PrivateData : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(liveBefore, quelb_live_buffers()) << "framework buffers leaked";
  }
  uint64_t liveBefore = quelb_live_buffers();
  CFiPrivateDataConcreteFactory<CFiPrivateData> factory;
};

TEST_F(PrivateData, RecordsOfOneIdShareAndAltNodesAreSeparate) {
  FrameworkNode a(kNodeId), b(kNodeId), alt(kNodeId), other(L"UDID##EMC##SYMMETRIX##SYM1##0a2");
  EXPECT_TRUE(factory.get(a.get()).isNull());

  CFiPrivateDataPtr first = factory.create(a.get(), false);
  ASSERT_FALSE(first.isNull());
  EXPECT_EQ(first, factory.create(a.get(), false));  // already attached
  EXPECT_EQ(first, factory.get(a.get()));
  EXPECT_EQ(first, factory.create(b.get(), false));
  CFiPrivateDataPtr altData = factory.create(alt.get(), true);
  EXPECT_NE(first, altData);
  EXPECT_TRUE(altData->getIsAltNode());
  EXPECT_FALSE(first->getIsAltNode());
  EXPECT_NE(first, factory.create(other.get(), false));
  EXPECT_STREQ(kNodeId, first->getObjName().c_str());
  EXPECT_EQ(3u, factory.size());

  // The entry stays while one record of the id is still attached.
  factory.remove(a.get());
  EXPECT_EQ(nullptr, a.domain.fid_private);
  EXPECT_EQ(3u, factory.size());
  EXPECT_EQ(first, factory.create(a.get(), false));
  factory.remove(a.get());
  factory.remove(b.get());
  factory.remove(b.get());  // a second release does nothing
  EXPECT_EQ(2u, factory.size());
  factory.remove(alt.get());
  factory.remove(other.get());
  EXPECT_EQ(0u, factory.size());
  EXPECT_EQ(1, first->referenceCount());  // only the test holds it now

  FrameworkNode noId(L"x");
  quelb_free_objid(noId.domain.fid_objid);
  noId.domain.fid_objid = nullptr;
  EXPECT_TRUE(factory.create(noId.get(), false).isNull());
  EXPECT_TRUE(factory.create(nullptr, false).isNull());
}

TEST_F(PrivateData, NodeStateIsThreeTaggedLinesInAFrameworkBuffer) {
  CFiPrivateData data(tstring(L"nodeA"), false);
  data.setSessionId("sess7");
  data.setSessionId(nullptr);  // ignored
  qlb_blob blob = {};
  ASSERT_EQ(0, data.getNodeState(&blob));
  const std::wstring expected =
      L"<NODE_NAME>nodeA</NODE_NAME>\n<IS_ALT_NODE>false</IS_ALT_NODE>\n"
      L"<SESSION_ID>sess7</SESSION_ID>\n";
  EXPECT_EQ((expected.size() + 1) * sizeof(wchar_t), blob.blob_length);
  EXPECT_EQ(1, blob.blob_filled);
  EXPECT_EQ(expected, static_cast<const wchar_t*>(blob.blob_data));
  const uint64_t badBefore = quelb_bad_frees();
  quelb_free_buf(blob.blob_data, blob.blob_length);  // the byte count must match
  EXPECT_EQ(badBefore, quelb_bad_frees());

  data.setIsAltNode(true);
  EXPECT_EQ(0, data.getNodeState(&blob));
  EXPECT_NE(nullptr, wcsstr(static_cast<const wchar_t*>(blob.blob_data), L"<IS_ALT_NODE>true<"));
  quelb_free_buf(blob.blob_data, blob.blob_length);
  EXPECT_EQ(QLB_ERR_INVALID_ARG, data.getNodeState(nullptr));
  EXPECT_EQ(0, data.setNodeState(&blob));

  quelb_fail_allocations_after(0);
  qlb_blob untouched = {};
  EXPECT_EQ(QLB_ERR_NO_MEMORY, data.getNodeState(&untouched));
  quelb_fail_allocations_after(-1);
  EXPECT_EQ(nullptr, untouched.blob_data);
}

TEST_F(PrivateData, PerNodeValues) {
  CFiPrivateData data(tstring(L"n"), false);
  wchar_t h1[] = L"host1", h3[] = L"host3";
  qlb_host_infn third = {h3, nullptr}, second = {nullptr, &third}, first = {h1, &second};
  data.setHostList(&first);
  ASSERT_EQ(2u, data.getHostList().size());
  EXPECT_STREQ(L"host3", data.getHostList()[1].c_str());
  data.setHostList(nullptr);
  EXPECT_TRUE(data.getHostList().empty());

  qlb_ownergid gid = {};
  data.setOwnerGID(4, 9);
  EXPECT_EQ(0, data.getOwnerGID(&gid));
  EXPECT_EQ(4u, gid.og_first);
  EXPECT_EQ(9u, gid.og_second);
  EXPECT_EQ(QLB_ERR_INVALID_ARG, data.getOwnerGID(nullptr));

  EXPECT_EQ(nullptr, data.getSubObjectList());
  quelb_objid* sub = data.getObjId();
  data.addSubObject(sub);
  ASSERT_EQ(1, data.getSubObjectListLength());
  EXPECT_EQ(sub, data.getSubObjectList()[0]);
  data.setSplitType("clone");
  data.setSplitType(nullptr);
  EXPECT_EQ("clone", data.getSplitType());
  EXPECT_FALSE(data.hasConfigDataList(1));
  data.configDataList(7);  // any other mode is mode 0
  EXPECT_TRUE(data.hasConfigDataList(0));
  EXPECT_FALSE(data.hasConfigDataList(1));
}

TEST_F(PrivateData, DefaultsFillEmptyListsAndAddOnlyUncoveredKeys) {
  CFiConfigParamInfoList info;
  info.addParamInfo(CFiConfigParamInfo("snapshot_resource_spec", "dflt", 0, "", false, false));
  info.addParamInfo(CFiConfigParamInfo("retries", 3, 0, -1, -1, "", false, false));

  CFiPrivateData data(tstring(L"n"), false);
  data.addDefaultConfigParamsToDataList(1, nullptr);  // no own descriptions: nothing
  EXPECT_FALSE(data.hasConfigDataList(1));
  data.addDefaultConfigParamsToDataList(1, &info);
  EXPECT_EQ((std::vector<std::string>{"retries", "snapshot_resource_spec"}),
            data.configDataList(1).getKeys());

  CFiPrivateData similar(tstring(L"n"), false);
  similar.configDataList(1).setValue("snapshot_resource_spec_x", "v");
  similar.configInfoList(1) = info;
  similar.addDefaultConfigParamsToDataList(1, nullptr);  // own descriptions
  EXPECT_EQ((std::vector<std::string>{"retries", "snapshot_resource_spec_x"}),
            similar.configDataList(1).getKeys());
  std::string value;
  similar.configDataList(1).getValue("retries", value);
  EXPECT_EQ("3", value);
}

// The target chosen from a "snapshot_resource_spec" value.
struct Selection {
  int result;
  std::string target;
  std::vector<std::string> targets;
};

Selection selectFor(const wchar_t* nodeId, const char* spec, bool setValue = true) {
  CFiPrivateData data{tstring(nodeId), false};
  if (spec) {
    if (setValue)
      data.configDataList(1).setValue("snapshot_resource_spec", spec);
    else
      data.configDataList(1).setValue("other", spec);
  }
  data.addTarget("stale");
  Selection s;
  s.result = data.selectTargetFromConfigData();
  s.target = data.getConfiguredTarget();
  s.targets = data.getTargets();
  return s;
}

TEST_F(PrivateData, SelectsTheTargetsOfTheMatchingSource) {
  Selection s = selectFor(kNodeId, "SYM1##0A1;0B2;0B3");
  EXPECT_EQ(0, s.result);
  EXPECT_EQ((std::vector<std::string>{"0B2", "0B3"}), s.targets);
  EXPECT_EQ("UDID##EMC##SYMMETRIX##SYM1##0B2", s.target);

  s = selectFor(kNodeId, "[SYM2##0A1;0B2][SYM1##0A1;0B9]");
  EXPECT_EQ(0, s.result);
  EXPECT_EQ((std::vector<std::string>{"0B9"}), s.targets);

  // Targets with their own enclosure; ampersands, line ends and escapes.
  s = selectFor(L"<norvel>UDID##EMC##SYMMETRIX##sym1##0A1",
                "SYM9##0A1;0c0&amp;\r\nsym1##0a1;OTHER##0c1;0c2\n&SYM1##0A1;0FF");
  EXPECT_EQ(0, s.result);
  EXPECT_EQ((std::vector<std::string>{"0c1", "0c2"}), s.targets);
  EXPECT_EQ("UDID##EMC##SYMMETRIX##SYM1##0C1", s.target);
}

TEST_F(PrivateData, EachFailureGivesSix) {
  EXPECT_EQ(QLB_ERR_FAILED, selectFor(kNodeId, nullptr).result);                 // no value list
  EXPECT_EQ(QLB_ERR_FAILED, selectFor(kNodeId, "SYM1##0A1;0B2", false).result);  // key missing
  EXPECT_EQ(QLB_ERR_FAILED, selectFor(kNodeId, "").result);                      // no resources
  EXPECT_EQ(QLB_ERR_FAILED, selectFor(kNodeId, "[]&\n").result);                 // only separators
  EXPECT_EQ(QLB_ERR_FAILED, selectFor(kNodeId, ";;").result);          // resource without parts
  EXPECT_EQ(QLB_ERR_FAILED, selectFor(kNodeId, "0A1;0B2").result);     // no enclosure
  EXPECT_EQ(QLB_ERR_FAILED, selectFor(kNodeId, "SYM1##;0B2").result);  // no source device
  EXPECT_EQ(QLB_ERR_FAILED,
            selectFor(kNodeId, "SYM1##0A1;SYM1##").result);               // target without device
  EXPECT_EQ(QLB_ERR_FAILED, selectFor(kNodeId, "SYM2##0A1;0B2").result);  // no match
  Selection alone = selectFor(kNodeId, "SYM1##0A1");                      // no targets
  EXPECT_EQ(QLB_ERR_FAILED, alone.result);
  EXPECT_TRUE(alone.targets.empty());
  EXPECT_EQ("", alone.target);
  // A mismatching resource is left before its broken parts are looked at.
  EXPECT_EQ(0, selectFor(kNodeId, "[SYM2##0A1;SYM2##][SYM1##0A1;0B2]").result);
  EXPECT_THROW(selectFor(L"not an identity", "SYM1##0A1;0B2"), CFiUdidException);
}

TEST_F(PrivateData, ManagerFallsBackToPlainDataAndPassesTheTraceLog) {
  CFiPrivateDataManager manager;
  FrameworkNode node(kNodeId);
  CFiPrivateDataPtr data = manager.create(node.get(), false);
  ASSERT_FALSE(data.isNull());
  EXPECT_EQ(data, manager.get(node.get()));
  manager.remove(node.get());
  EXPECT_TRUE(manager.get(node.get()).isNull());

  CFiTraceLogPtr log(new CFiTraceLog);
  manager.setTraceLog(log);
  CFiPrivateDataFactoryPtr own(new CFiPrivateDataConcreteFactory<CFiPrivateData>);
  manager.registerFactory(own);
  EXPECT_EQ(own, manager.getFactory());
  EXPECT_EQ(log.get(), own->getTraceLog().get());
  CFiPrivateDataPtr traced = manager.create(node.get(), false);
  EXPECT_EQ(log.get(), traced->getTraceLog().get());
  manager.remove(node.get());
}

}  // namespace
