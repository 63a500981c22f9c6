// Node handling through the entry points on records built as the framework builds them: claim,
// method support, interpose, init and release, config, readiness, objctl. The utility library's
// account proves that every buffer handed out is released.
#include "loaded_provider.h"

using testenv::FrameworkNode;

namespace {

const wchar_t kDevice[] = L"UDID##EMC##SYMMETRIX##000187##0A1";
const wchar_t kClaimed[] = L"<norvel>UDID##EMC##SYMMETRIX##000187##0A1";

bool contains(const wchar_t* text, const wchar_t* part) {
  return text && std::wcsstr(text, part) != nullptr;
}

class Nodes : public e2etest::LoadedProvider {
 protected:
  void SetUp() override {
    LoadedProvider::SetUp();
    start();
    liveAfterInit = quelb_live_buffers();
  }
  // Runs one config operation; returns the result and the text handed out (which it frees).
  int config(FrameworkNode& node, int operation, intptr_t selector1, intptr_t selector2,
             const wchar_t* in, std::wstring* out, bool* outNull = nullptr) {
    std::wstring input = in ? in : L"";
    qlb_confspec spec = {selector1, selector2, in ? &input[0] : nullptr};
    char session[] = "sess1";
    int result = pgn.config(node.get(), operation, session, &spec);
    if (outNull) *outNull = spec.cs_text == nullptr;
    if (out) *out = spec.cs_text ? spec.cs_text : L"";
    if (spec.cs_text && (!in || spec.cs_text != &input[0])) std::free(spec.cs_text);
    return result;
  }

  // Whether a config operation without input succeeds and hands out no text.
  bool answersNothing(FrameworkNode& node, int operation, intptr_t selector1, intptr_t selector2) {
    bool null = false;
    return config(node, operation, selector1, selector2, nullptr, nullptr, &null) == 0 && null;
  }

  uint64_t liveAfterInit = 0;
};

TEST_F(Nodes, ClaimsPrefixedSymmetrixNodesAsSecondaryAndInterposesWithIdsTheFrameworkFrees) {
  FrameworkNode claimed(kClaimed), plain(kDevice), foreign(L"<norvel>UDID##OTHER##X##1##2");
  quelb_objid** out = reinterpret_cast<quelb_objid**>(&record);
  int count = 4;
  EXPECT_EQ(QLB_CLAIM_SECONDARY, pgn.claim(claimed.domain.fid_objid, &out, &count));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(0, count);
  EXPECT_EQ(0, pgn.claim(plain.domain.fid_objid, &out, &count));
  EXPECT_EQ(0, pgn.claim(foreign.domain.fid_objid, &out, &count));

  claimed.support = 4;
  EXPECT_EQ(1, pgn.supports_fitype(claimed.get(), const_cast<char*>("any")));
  EXPECT_EQ(7, claimed.support);  // the methods' flags ORed in
  EXPECT_EQ(1, pgn.supports_fitype(claimed.get(), const_cast<char*>("EMC_TimeFinder_Mirror")));
  EXPECT_EQ(0, pgn.supports_fitype(claimed.get(), const_cast<char*>("EMC_SRDF")));
  EXPECT_EQ(0, claimed.support);
  // Hosts to import to decide the answer: 1 here, 2 when transportable
  // (InitAndDeinitLeaveNothingBehind).
  ASSERT_EQ(0, pgn.init_node(claimed.get(), nullptr, 0, nullptr));
  wchar_t hostName[] = L"hostB";
  qlb_host_infn hosts = {hostName, nullptr};
  qlb_splitnode split = {const_cast<char*>("EMC_TimeFinder_Snap"), claimed.get(), nullptr};
  ASSERT_EQ(0, pgn.set_import_options(&split, nullptr, 0, &hosts, 0, nullptr));
  EXPECT_EQ(1, pgn.supports_fitype(claimed.get(), const_cast<char*>("any")));
  EXPECT_EQ(1, claimed.support);
  pgn.deinit_node(claimed.get());

  int exists = -1;
  EXPECT_EQ(0, pgn.check_node_existence(claimed.get(), &exists));
  EXPECT_EQ(1, exists);
  EXPECT_EQ(0, pgn.check_node_existence(plain.get(), &exists));
  EXPECT_EQ(0, exists);
  // Interpose hands out ids the framework frees.
  FrameworkNode device(kDevice, 1), ignored(kDevice, 2048), other(L"disk7");
  const uint64_t live = quelb_live_buffers();
  quelb_objid* id = nullptr;
  quelb_objid** groups = nullptr;
  count = 0;
  ASSERT_EQ(QLB_INTERPOSED, pgn.interpose(device.get(), &id, &groups, &count));
  ASSERT_NE(nullptr, id);
  EXPECT_STREQ(kClaimed, id->qid_text);
  ASSERT_EQ(3, count);
  EXPECT_STREQ(L"EMC_TimeFinder_Clone_FIM_GROUP", groups[0]->qid_text);
  EXPECT_STREQ(L"EMC_TimeFinder_Mirror_FIM_GROUP", groups[1]->qid_text);
  EXPECT_STREQ(L"EMC_TimeFinder_Snap_FIM_GROUP", groups[2]->qid_text);
  quelb_free_objid(id);
  for (int i = 0; i < count; ++i) quelb_free_objid(groups[i]);
  quelb_free_buf(groups, count * sizeof(quelb_objid*));
  EXPECT_EQ(live, quelb_live_buffers());

  id = nullptr;
  EXPECT_EQ(QLB_NOT_INTERPOSED, pgn.interpose(ignored.get(), &id, &groups, &count));
  EXPECT_EQ(QLB_NOT_INTERPOSED, pgn.interpose(other.get(), &id, &groups, &count));
  EXPECT_EQ(nullptr, id);
  EXPECT_EQ(live, quelb_live_buffers());
  // isready marks split nodes; objctl answers text.
  FrameworkNode source(kClaimed), second(kDevice);
  qlb_splitnode ready = {const_cast<char*>("EMC_TimeFinder_Clone"), source.get(), second.get()};
  EXPECT_EQ(0, pgn.isready(&ready, nullptr, nullptr, 0));
  EXPECT_EQ(unsigned(QLB_NODE_READY), source.domain.fid_flags);
  EXPECT_EQ(unsigned(QLB_NODE_READY), second.domain.fid_flags);
  for (const wchar_t* input : {L"<OBJCTL_ARG_LIST> <OBJCTL_INPUT arg=n value=5 type=int /> "
                               L"<OBJCTL_INPUT arg=m value=x type=string /> </OBJCTL_ARG_LIST>",
                               L"garbage"}) {
    wchar_t* output = nullptr;
    long status = -1;
    EXPECT_EQ(0, pgn.objctl(L"query", input, &output, &status));
    EXPECT_EQ(0, status);
    ASSERT_NE(nullptr, output);
    EXPECT_STREQ(L"<OBJCTL_ARG_LIST> </OBJCTL_ARG_LIST> ", output);
    std::free(output);
  }
  EXPECT_EQ(0, pgn.objctl(nullptr, nullptr, nullptr, nullptr));
}

TEST_F(Nodes, InitAndDeinitLeaveNothingBehind) {
  {
    FrameworkNode a(kClaimed), b(kClaimed), group(L"EMC_TimeFinder_Clone_FIM_GROUP"),
        plain(L"disk1"), alt(L"<norvel>UDID##EMC##SYMMETRIX##000187##0B2");
    const uint64_t live = quelb_live_buffers();
    // What init_node writes is the interposer's unit test; here it must be reached and released.
    for (FrameworkNode* n : {&a, &b, &group, &plain})
      ASSERT_EQ(0, pgn.init_node(n->get(), nullptr, 0, nullptr));
    EXPECT_EQ(4098u, a.domain.fid_type);
    EXPECT_NE(nullptr, group.domain.fid_links);

    EXPECT_EQ(0, pgn.init_remnode(a.get(), nullptr, alt.get()));
    EXPECT_EQ(QLB_ERR_INVALID_ARG, pgn.init_altnode(a.get(), nullptr, nullptr));
    EXPECT_NE(nullptr, alt.domain.fid_private);
    // a and b share their private data: import options set through a show in b's answer; the alt
    // node of the same device has its own.
    wchar_t hostName[] = L"hostB";
    qlb_host_infn hosts = {hostName, nullptr};
    qlb_splitnode split = {const_cast<char*>("EMC_TimeFinder_Snap"), a.get(), nullptr};
    ASSERT_EQ(0, pgn.set_import_options(&split, nullptr, 0, &hosts, 1, nullptr));
    EXPECT_EQ(1, pgn.supports_fitype(b.get(), const_cast<char*>("any")));
    EXPECT_EQ(2, b.support);

    quelb_objid** subs = reinterpret_cast<quelb_objid**>(&record);
    int count = 5;
    EXPECT_EQ(0, pgn.subobj_list(a.get(), &subs, &count));
    EXPECT_EQ(nullptr, subs);
    EXPECT_EQ(0, count);

    for (FrameworkNode* n : {&a, &b, &group, &plain, &alt}) {
      pgn.deinit_node(n->get());
      EXPECT_EQ(nullptr, n->domain.fid_links);
      EXPECT_EQ(nullptr, n->domain.fid_private);
    }
    EXPECT_EQ(live, quelb_live_buffers());
  }
  EXPECT_EQ(liveAfterInit, quelb_live_buffers());
}

TEST_F(Nodes, ConfigExchangesDescriptionsAndValuesInBothModes) {
  FrameworkNode node(kClaimed), first(L"<norvel>UDID##EMC##SYMMETRIX##000187##0A2"),
      uninitialised(kDevice);
  qlb_domain* members[] = {first.get(), node.get()};
  qlb_group group = {2, members};
  node.domain.fid_group = &group;
  first.domain.fid_group = &group;
  ASSERT_EQ(0, pgn.init_node(node.get(), nullptr, 0, nullptr));
  ASSERT_EQ(0, pgn.init_node(first.get(), nullptr, 0, nullptr));

  std::wstring text;
  bool null = false;
  EXPECT_EQ(QLB_ERR_INVALID_ARG, config(uninitialised, 4, 1, 0, nullptr, &text));
  // Descriptions: mode 1 holds snapshot_resource_spec; the first member of a group asks for the
  // shared descriptions, of which there are none.
  ASSERT_EQ(0, config(node, 4, 1, 0, nullptr, &text, &null));
  EXPECT_TRUE(contains(text.c_str(), L"<ConfigParamList>")) << text.size();
  EXPECT_TRUE(contains(text.c_str(), L"\t<key>snapshot_resource_spec</key>\n"));
  EXPECT_TRUE(answersNothing(first, 4, 1, 0));
  EXPECT_TRUE(answersNothing(node, 4, 0, 1));  // mode 0: nothing described
  // Values: the defaults of mode 1, none in mode 0.
  ASSERT_EQ(0, config(node, 1, 1, 0, nullptr, &text, &null));
  EXPECT_TRUE(contains(text.c_str(), L"<ConfigValueList>"));
  EXPECT_TRUE(contains(text.c_str(), L"\t<key>snapshot_resource_spec</key>\n\t<value></value>\n"));
  EXPECT_TRUE(answersNothing(node, 1, 0, 1));
  // Operation 2 does nothing; operation 5 without text is ignored.
  ASSERT_EQ(0, config(node, 2, 1, 0, L"x", &text));
  EXPECT_TRUE(answersNothing(node, 5, 1, 0));
  // Set values: the result lists them with the defaults the text lacks.
  const wchar_t* values =
      L"<?xml version=\"1.0\" standalone=\"yes\" ?>\n<ConfigValueList>\n<ConfigValue>\n"
      L"\t<dataType></dataType>\n\t<key>retries</key>\n\t<value>4</value>\n</ConfigValue>\n"
      L"</ConfigValueList>\n";
  ASSERT_EQ(0, config(node, 5, 1, 0, values, &text));
  EXPECT_TRUE(contains(text.c_str(), L"<key>retries</key>\n\t<value>4</value>"));
  EXPECT_TRUE(contains(text.c_str(), L"<key>snapshot_resource_spec</key>"));
  std::wstring got;
  ASSERT_EQ(0, config(node, 1, 1, 0, nullptr, &got));
  EXPECT_EQ(text, got);
  const std::wstring spec =
      L"<ConfigValueList><ConfigValue><key>snapshot_resource_spec</key>"
      L"<value>000187##0A1;0B2</value></ConfigValue></ConfigValueList>";
  ASSERT_EQ(0, config(node, 5, 1, 0, spec.c_str(), &text));
  EXPECT_TRUE(contains(text.c_str(), L"<value>000187##0A1;0B2</value>"));
  EXPECT_FALSE(contains(text.c_str(), L"retries"));
  // A text that is no value list is refused and changes nothing.
  EXPECT_EQ(QLB_ERR_INVALID_ARG, config(node, 5, 1, 0, L"<ConfigValueList><oops>", &text, &null));
  EXPECT_TRUE(null);
  ASSERT_EQ(0, config(node, 1, 1, 0, nullptr, &got));
  EXPECT_TRUE(contains(got.c_str(), L"<value>000187##0A1;0B2</value>"));
  // Mode 0 keeps its own values; a reset empties a mode's values.
  ASSERT_EQ(0, config(node, 5, 0, 1, values, &text));
  EXPECT_FALSE(contains(text.c_str(), L"snapshot_resource_spec"));
  ASSERT_EQ(0, config(node, 3, 1, 0, nullptr, &text));
  EXPECT_TRUE(answersNothing(node, 1, 1, 0));
  ASSERT_EQ(0, config(node, 1, 0, 1, nullptr, &text));
  EXPECT_TRUE(contains(text.c_str(), L"<key>retries</key>"));

  pgn.deinit_node(node.get());
  pgn.deinit_node(first.get());
}

}  // namespace
