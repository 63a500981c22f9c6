// The list factories; every node they build is a framework buffer.
#include <gtest/gtest.h>
#include <quelb/quelb_records.h>

#include "cfielements.h"
#include "cfilist.h"

using namespace quelb_pdk_4_4;

namespace {

class ListFactory : public ::testing::Test {
 protected:
  void SetUp() override { liveBefore = quelb_live_buffers(); }
  void TearDown() override {
    EXPECT_EQ(liveBefore, quelb_live_buffers());
    quelb_fail_allocations_after(-1);
  }
  uint64_t liveBefore = 0;
};

CFiEnclosureNode enclosure(const wchar_t* id) {
  return CFiEnclosureNode(tstring(id), tstring(L"norvel"), tstring(id), tstring(L"EMC"),
                          tstring(L"SYMMETRIX"), 1, 2, 0);
}

// A factory whose second build fails, as a utility library out of memory would.
class FlakyEnclosureFactory : public CFiEnclosureNodeListFactory {
 public:
  using CFiEnclosureNodeListFactory::CFiEnclosureNodeListFactory;
  qlb_enclosure_node_list* buildNode(const CFiEnclosureNode& e) override {
    if (++builds == 2) return nullptr;
    return CFiEnclosureNodeListFactory::buildNode(e);
  }
  int builds = 0;
};

TEST_F(ListFactory, PublishesOnDestructionInOrderSkippingFailedBuilds) {
  qlb_enclosure_node_list* head = reinterpret_cast<qlb_enclosure_node_list*>(0x1);
  int count = 0;
  {
    FlakyEnclosureFactory factory(&head, &count);
    factory.add(enclosure(L"first"));
    factory.add(enclosure(L"second"));
    factory.add(enclosure(L"third"));
    EXPECT_EQ(reinterpret_cast<qlb_enclosure_node_list*>(0x1), head) << "published early";
  }
  EXPECT_EQ(2, count);
  ASSERT_NE(nullptr, head);
  EXPECT_STREQ(L"first", head->el_id);
  ASSERT_NE(nullptr, head->el_next);
  EXPECT_STREQ(L"third", head->el_next->el_id);
  EXPECT_EQ(nullptr, head->el_next->el_next);
  EXPECT_EQ(2u, head->el_total);
  quelb_free_enclosure_list(head);
}

// The records' fields, and empty lists, as the framework reads them: the end-to-end listings
// (Quelbctl.ListsArraysDevicesAndHostsAsTables, Discovery.NoLocalArrayIsReported...).
TEST_F(ListFactory, NodeListDropsANodeThatCannotBeAllocated) {
  // An empty factory publishes null, and needs no count.
  qlb_host_node_list* hosts = reinterpret_cast<qlb_host_node_list*>(0x1);
  { CFiHostNodeListFactory factory(&hosts, nullptr); }
  EXPECT_EQ(nullptr, hosts);

  qlb_node_list* nodes = nullptr;
  int count = 0;
  {
    CFiNodeListFactory factory(&nodes, &count);
    qlb_node_attr attr = {0, 0, 1, 2147483648ull};
    factory.add(CFiNode(attr, tstring(L"EMC##SYMMETRIX##000190100001##0ABC"),
                        tstring(L"UDID##EMC##SYMMETRIX##000190100001##0ABC"), tstring(L"norvel")));
    // Out of memory for the next node: it is dropped, the list stays intact.
    quelb_fail_allocations_after(0);
    factory.add(CFiNode(attr, tstring(L"x"), tstring(L"y"), tstring(L"z")));
    quelb_fail_allocations_after(-1);
  }
  ASSERT_EQ(1, count);
  EXPECT_STREQ(L"UDID##EMC##SYMMETRIX##000190100001##0ABC", nodes->nl_objid->qid_text);
  EXPECT_EQ(QLB_OBJID_NODE, nodes->nl_objid->qid_type);
  quelb_free_node_list(nodes);
}

TEST_F(ListFactory, FimFixedPartPointsIntoItsOwnElementAfterCopies) {
  CFiFim original(tstring(L"EMC_TimeFinder_Snap"), 0, 0, 1, 0, 0, 5,
                  tstring(L"EMC_TimeFinder_Snap"), tstring(L"1.0"));
  CFiFim copy(original);
  CFiFim assigned(tstring(L"x"), 1, 1, 1, 1, 1, 1, tstring(L"x"), tstring(L"x"));
  assigned = original;
  for (const CFiFim* f : {&copy, &assigned}) {
    EXPECT_EQ(f->secondName().c_str(), f->fixed().ff_second_name);
    EXPECT_EQ(f->version().c_str(), f->fixed().ff_version);
  }
  qlb_fim_list* fims = nullptr;
  {
    CFiFimListFactory factory(tstring(L"norvel"), &fims);
    factory.add(copy);
  }
  ASSERT_NE(nullptr, fims);
  EXPECT_STREQ(L"1.0", fims->fl_version);
  EXPECT_STREQ(L"norvel", fims->fl_provider_name);
  EXPECT_EQ(5u, fims->fl_value[5]);
  quelb_free_fim_list(fims);
}

}  // namespace
