// The record pool behind device lists: blocks go back as soon as they are
// empty, and every list (copies included) frees only into its own pool.
#include "emcsym_recordpool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "emcsym_records.h"

namespace {

TEST(RecordPool, BlocksGoBackOnceEmptyInAnyOrder) {
  CEmcSymRecordPool pool;
  const std::size_t record = sizeof(SEmcSymDevInfo);
  const std::size_t count = 4 * CEmcSymRecordPool::kBlockBytes / record;
  for (bool fromFront : {true, false}) {
    std::vector<void*> taken;
    for (std::size_t i = 0; i < count; ++i) taken.push_back(pool.allocate(record));
    EXPECT_LE(4u, pool.blocks());
    for (std::size_t i = 1; i < count; ++i) {
      EXPECT_NE(taken[i - 1], taken[i]);
      EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(taken[i]) % alignof(std::max_align_t));
    }
    for (std::size_t i = 0; i < count; ++i) {
      pool.deallocate(taken[fromFront ? i : count - 1 - i], record);
      // Emptied from its front, the pool keeps only the blocks still in use.
      if (fromFront) {
        EXPECT_GE((count - i - 1) * record / CEmcSymRecordPool::kBlockBytes + 2, pool.blocks());
      }
    }
    EXPECT_GE(1u, pool.blocks());
  }
  // What is larger than a quarter block comes from the heap and goes back there.
  void* large = pool.allocate(CEmcSymRecordPool::kBlockBytes);
  pool.deallocate(large, CEmcSymRecordPool::kBlockBytes);
  EXPECT_GE(1u, pool.blocks());
}

TEST(RecordPool, CopiedMovedAndSwappedListsKeepTheirRecords) {
  EmcSymDevList list;
  for (int i = 0; i < 3000; ++i) {
    list.emplace_back().devName = std::to_string(i);
    list.back().ports["04A"].push_back("0");
  }
  EmcSymDevList copy(list);
  EXPECT_NE(list.get_allocator(), copy.get_allocator());
  while (list.size() > 1000) list.pop_front();
  EmcSymDevList moved(std::move(list));
  EmcSymDevList assigned;
  assigned = std::move(moved);
  EmcSymDevList other;
  other.emplace_back().devName = "other";
  other.swap(assigned);
  assigned = copy;
  ASSERT_EQ(1000u, other.size());
  EXPECT_EQ("2000", other.front().devName);
  EXPECT_EQ("0", other.back().ports["04A"].front());
  ASSERT_EQ(3000u, assigned.size());
  EXPECT_EQ("2999", assigned.back().devName);
  EXPECT_NE(copy.get_allocator(), assigned.get_allocator());
}

}  // namespace
