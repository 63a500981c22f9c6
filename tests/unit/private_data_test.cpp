// Private data of framework nodes and the choice of the snapshot target.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "cfiprivatedata.h"
#include "cfiudid.h"
#include "framework_node.h"
#include "isolated_install.h"
#include "trace_recorder.h"

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

TEST_F(PrivateData, ThreadsAttachingRecordsOfOneIdShareOneObject) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < 200; ++i) {
        FrameworkNode mine(kNodeId), other(L"UDID##EMC##SYMMETRIX##SYM1##0F" + std::to_wstring(t));
        CFiPrivateDataPtr data = factory.create(mine.get(), false);
        factory.create(other.get(), i % 2 == 0);
        EXPECT_FALSE(data.isNull());
        factory.remove(other.get());
        factory.remove(mine.get());
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(0u, factory.size());
  // While one record of the id stays attached, every thread gets its object.
  FrameworkNode anchor(kNodeId);
  CFiPrivateDataPtr kept = factory.create(anchor.get(), false);
  std::vector<std::thread> sharing;
  std::vector<CFiPrivateData*> shared(4, nullptr);
  for (int t = 0; t < 4; ++t)
    sharing.emplace_back([this, t, &shared] {
      FrameworkNode mine(kNodeId);
      shared[t] = factory.create(mine.get(), false).get();
      factory.remove(mine.get());
    });
  for (std::thread& thread : sharing) thread.join();
  for (CFiPrivateData* p : shared) EXPECT_EQ(kept.get(), p);
  factory.remove(anchor.get());
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

  // The host list skips entries without a name.
  wchar_t h1[] = L"host1", h3[] = L"host3";
  qlb_host_infn third = {h3, nullptr}, second = {nullptr, &third}, first = {h1, &second};
  data.setHostList(&first);
  ASSERT_EQ(2u, data.getHostList().size());
  EXPECT_STREQ(L"host3", data.getHostList()[1].c_str());
  data.setHostList(nullptr);
  EXPECT_TRUE(data.getHostList().empty());
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

// The target chosen from a "snapshot_resource_spec" value, and the error
// lines traced on the way.
struct Selection {
  int result;
  std::string target;
  std::vector<std::string> targets;
  std::vector<std::string> errors;
};

class TargetSelection : public PrivateData {
 protected:
  Selection selectFor(const wchar_t* nodeId, const char* spec,
                      const char* key = "snapshot_resource_spec") {
    CFiPrivateData data{tstring(nodeId), false};
    data.setTraceLog(traces.log());
    if (spec) data.configDataList(1).setValue(key, spec);
    data.addTarget("stale");
    traces.clear();
    Selection s;
    s.result = data.selectTargetFromConfigData();
    s.target = data.getConfiguredTarget();
    s.targets = data.getTargets();
    for (const auto& line : traces.lines)
      if (line.severity == QLB_SEV_ERROR) s.errors.push_back(line.text);
    return s;
  }

  testenv::IsolatedInstall install;
  testenv::TraceRecorder traces;
};

TEST_F(TargetSelection, SelectsTheTargetsOfTheMatchingSource) {
  using Targets = std::vector<std::string>;
  Selection s = selectFor(kNodeId, "SYM1##0A1;0B2;0B3");
  EXPECT_EQ(std::make_tuple(0, Targets{"0B2", "0B3"}, "UDID##EMC##SYMMETRIX##SYM1##0B2", true),
            std::make_tuple(s.result, s.targets, s.target, s.errors.empty()));
  s = selectFor(kNodeId, "[SYM2##0A1;0B2][SYM1##0A1;0B9]");
  EXPECT_EQ(std::make_tuple(0, Targets{"0B9"}), std::make_tuple(s.result, s.targets));
  // Targets with their own enclosure; ampersands, line ends and escapes.
  s = selectFor(L"<norvel>UDID##EMC##SYMMETRIX##sym1##0A1",
                "SYM9##0A1;0c0&amp;\r\nsym1##0a1;OTHER##0c1;0c2\n&SYM1##0A1;0FF");
  EXPECT_EQ(std::make_tuple(0, Targets{"0c1", "0c2"}, "UDID##EMC##SYMMETRIX##SYM1##0C1"),
            std::make_tuple(s.result, s.targets, s.target));

  // A mismatching resource is left before its broken parts are looked at.
  EXPECT_EQ(0, selectFor(kNodeId, "[SYM2##0A1;SYM2##][SYM1##0A1;0B2]").result);
  EXPECT_THROW(selectFor(L"not an identity", "SYM1##0A1;0B2"), CFiUdidException);
}

TEST_F(TargetSelection, EachFailureGivesSixAndOneErrorLine) {
  const std::string of = " [UDID##EMC##SYMMETRIX##SYM1##0a1].";
  const std::string spec = "\"snapshot_resource_spec\"";
  const std::string source = "Source configuration " + spec + " has ";
  const std::string none = "Configuration " + spec + " has no resources specified for source" + of;
  struct {
    const char* spec;
    std::string line;
    const char* key = "snapshot_resource_spec";
  } cases[] = {
      {nullptr, "Error: No snapshot configuration data has been specified for" +
                    of.substr(0, of.size() - 1)},
      {"SYM1##0A1;0B2", "Configuration data parameter " + spec + " unspecified for object" + of,
       "other"},
      {"", none},
      {"[]&\n", none},
      {";;", source + "not targets specified for" + of},
      {"0A1;0B2", source + "no enclosure data specified for" + of},
      {"SYM1##;0B2", source + "no device data specified for" + of},
      {"SYM1##0A1;SYM1##", source + "no device data specified for" + of},
      {"SYM2##0A1;0B2", "No matching source specification found for" + of},
      {"SYM1##0A1", "Source configuration found, but no targets are specified for" + of},
  };
  for (const auto& c : cases) {
    Selection s = selectFor(kNodeId, c.spec, c.key);
    EXPECT_EQ(std::make_tuple(int{QLB_ERR_FAILED}, "", std::vector<std::string>{c.line}),
              std::make_tuple(s.result, s.target, s.errors));
  }
}

// Without a registered factory the manager makes plain data:
// Interposer.InitNodeChainsLinksBindsGroupsAndDeInitReleasesAll.
TEST_F(PrivateData, ManagerPassesTheTraceLogToARegisteredFactory) {
  CFiPrivateDataManager manager;
  FrameworkNode node(kNodeId);
  CFiTraceLogPtr log(new CFiTraceLog);
  manager.setTraceLog(log);
  manager.registerFactory(
      CFiPrivateDataFactoryPtr(new CFiPrivateDataConcreteFactory<CFiPrivateData>));
  EXPECT_EQ(log.get(), manager.create(node.get(), false)->getTraceLog().get());
  manager.remove(node.get());
}

}  // namespace
