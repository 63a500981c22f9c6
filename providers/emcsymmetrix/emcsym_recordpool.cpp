#include "emcsym_recordpool.h"

#include <cstdint>
#include <memory>

namespace {

const std::size_t kAlignment = alignof(std::max_align_t);
const std::size_t kLargest = CEmcSymRecordPool::kBlockBytes / 4;

// `bytes` (at least 1) rounded up to the alignment of any type.
std::size_t rounded(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  return (bytes + kAlignment - 1) / kAlignment * kAlignment;
}

}  // namespace

CEmcSymRecordPool::~CEmcSymRecordPool() {
  for (const Block& block : m_blocks) delete[] block.memory;
}

void* CEmcSymRecordPool::allocate(std::size_t bytes) {
  if (bytes > kLargest) return ::operator new(bytes);
  bytes = rounded(bytes);
  if (m_blocks.empty() || m_blocks.back().used + bytes > kBlockBytes) {
    std::unique_ptr<char[]> memory(new char[kBlockBytes]);
    m_blocks.push_back(Block{memory.get(), 0, 0});
    memory.release();
  }
  Block& block = m_blocks.back();
  void* memory = block.memory + block.used;
  block.used += bytes;
  ++block.live;
  return memory;
}

void CEmcSymRecordPool::deallocate(void* memory, std::size_t bytes) noexcept {
  if (bytes > kLargest) {
    ::operator delete(memory);
    return;
  }
  // Lists give memory back mostly in the order they took it: the block is
  // looked for from the oldest on.
  const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(memory);
  for (auto block = m_blocks.begin(); block != m_blocks.end(); ++block) {
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(block->memory);
    if (address < start || address - start >= kBlockBytes) continue;
    if (--block->live > 0) return;
    if (block + 1 == m_blocks.end()) {
      block->used = 0;  // the block being filled starts again
    } else {
      delete[] block->memory;
      m_blocks.erase(block);
    }
    return;
  }
}
