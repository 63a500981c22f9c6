// The provider's device records travel with shared private data, not the node state. That the
// records of one node share them: SnapshotEdges (e2e) and PrivateData.
#include "emcsym_privatedata.h"

#include <gtest/gtest.h>
#include <quelb/quelb_records.h>

#include <cwchar>

using namespace quelb_pdk_4_4;

namespace {

TEST(EmcSymPrivateData, DevicesAreNotInTheNodeState) {
  const tstring id(L"<norvel>UDID##EMC##SYMMETRIX##000187##0A1");
  CEmcSymPrivateData selected(id, false);
  EXPECT_TRUE(selected.sourceDevice().devName.empty());
  SEmcSymDevInfo source, target;
  source.devName = "0A1";
  target.devName = "0B2";
  selected.setSourceDevice(source);
  selected.setTargetDevice(target);
  EXPECT_EQ("0B2", selected.targetDevice().devName);

  qlb_blob blob = {};
  ASSERT_EQ(0, selected.getNodeState(&blob));
  EXPECT_EQ(nullptr, std::wcsstr(static_cast<const wchar_t*>(blob.blob_data), L"0B2"));
  CEmcSymPrivateData fresh(id, false);
  EXPECT_EQ(0, fresh.setNodeState(&blob));
  EXPECT_TRUE(fresh.sourceDevice().devName.empty());
  EXPECT_TRUE(fresh.targetDevice().devName.empty());
  const uint64_t bad = quelb_bad_frees();
  quelb_free_buf(blob.blob_data, blob.blob_length);
  EXPECT_EQ(bad, quelb_bad_frees());
}

}  // namespace
