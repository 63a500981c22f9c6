// The provider's device records travel with shared private data, not the node state.
#include "emcsym_privatedata.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "framework_node.h"

using namespace quelb_pdk_4_4;

namespace {

TEST(EmcSymPrivateData, DevicesAreSharedByRecordsOfOneNodeAndNotInTheNodeState) {
  const uint64_t live = quelb_live_buffers();
  {
    CFiPrivateDataConcreteFactory<CEmcSymPrivateData> factory;
    testenv::FrameworkNode a(L"<norvel>UDID##EMC##SYMMETRIX##000187##0A1");
    testenv::FrameworkNode b(L"<norvel>UDID##EMC##SYMMETRIX##000187##0A1");
    CEmcSymPrivateDataPtr selected =
        factory.create(a.get(), false).dynamicCast<CEmcSymPrivateData>();
    ASSERT_FALSE(selected.isNull());
    EXPECT_TRUE(selected->sourceDevice().devName.empty());
    SEmcSymDevInfo source, target;
    source.devName = "0A1";
    source.capacityMegabytes = 1024;
    target.devName = "0B2";
    selected->setSourceDevice(source);
    selected->setTargetDevice(target);

    CEmcSymPrivateDataPtr prepared =
        factory.create(b.get(), false).dynamicCast<CEmcSymPrivateData>();
    EXPECT_EQ("0A1", prepared->sourceDevice().devName);
    EXPECT_EQ(1024u, prepared->sourceDevice().capacityMegabytes);
    EXPECT_EQ("0B2", prepared->targetDevice().devName);

    qlb_blob blob = {};
    ASSERT_EQ(0, prepared->getNodeState(&blob));
    const wchar_t* state = static_cast<const wchar_t*>(blob.blob_data);
    EXPECT_EQ(nullptr, std::wcsstr(state, L"0B2"));
    CEmcSymPrivateData fresh(tstring(L"<norvel>UDID##EMC##SYMMETRIX##000187##0A1"), false);
    EXPECT_EQ(0, fresh.setNodeState(&blob));
    EXPECT_TRUE(fresh.sourceDevice().devName.empty());
    EXPECT_TRUE(fresh.targetDevice().devName.empty());
    quelb_free_buf(blob.blob_data, blob.blob_length);
    factory.remove(a.get());
    factory.remove(b.get());
  }
  EXPECT_EQ(live, quelb_live_buffers());
}

}  // namespace
