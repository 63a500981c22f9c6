// Memory for the lists of device records that array listings fill. A
// listing makes tens of thousands of records in one go, and taking each
// from the heap alone costs a fair share of reading it. The pool hands out
// memory from blocks taken one after the other and gives a block back as
// soon as nothing in it is in use, so a list emptied from its front (as
// the enumeration empties it while it makes nodes) holds at most about one
// block beyond its live records.
//
// One pool serves one list (and what the list leaves in a moved-from
// husk); like the list, it is used by one thread at a time.
#ifndef EMCSYM_RECORDPOOL_H
#define EMCSYM_RECORDPOOL_H

#include <cstddef>
#include <memory>
#include <type_traits>
#include <vector>

class CEmcSymRecordPool {
 public:
  // Bytes of a block; a request larger than a quarter of that (a large
  // list's index, say) goes to the heap directly.
  static constexpr std::size_t kBlockBytes = 64 * 1024;

  CEmcSymRecordPool() = default;
  ~CEmcSymRecordPool();
  CEmcSymRecordPool(const CEmcSymRecordPool&) = delete;
  CEmcSymRecordPool& operator=(const CEmcSymRecordPool&) = delete;

  // Memory for `bytes`, aligned for any type; throws std::bad_alloc.
  void* allocate(std::size_t bytes);
  // Gives back what allocate(bytes) returned, with the same `bytes`.
  void deallocate(void* memory, std::size_t bytes) noexcept;

  // Blocks held (for tests).
  std::size_t blocks() const { return m_blocks.size(); }

 private:
  struct Block {
    char* memory;
    std::size_t used;  // bytes handed out from its start
    std::size_t live;  // allocations not given back
  };
  // Oldest first; the last one is the one being filled.
  std::vector<Block> m_blocks;
};

// A standard allocator on a record pool: every list gets a pool of its own
// (a copied list too), a moved or swapped list takes its pool along.
template <typename T>
class CEmcSymPoolAllocator {
 public:
  using value_type = T;
  using propagate_on_container_copy_assignment = std::false_type;
  using propagate_on_container_move_assignment = std::true_type;
  using propagate_on_container_swap = std::true_type;
  using is_always_equal = std::false_type;

  CEmcSymPoolAllocator() : m_pool(std::make_shared<CEmcSymRecordPool>()) {}
  // Copies (and so moves, which must leave the source as it was) share the pool.
  CEmcSymPoolAllocator(const CEmcSymPoolAllocator&) = default;
  template <typename U>
  CEmcSymPoolAllocator(const CEmcSymPoolAllocator<U>& other) noexcept : m_pool(other.m_pool) {}
  CEmcSymPoolAllocator& operator=(const CEmcSymPoolAllocator&) = default;

  T* allocate(std::size_t n) { return static_cast<T*>(m_pool->allocate(n * sizeof(T))); }
  void deallocate(T* memory, std::size_t n) noexcept { m_pool->deallocate(memory, n * sizeof(T)); }
  CEmcSymPoolAllocator select_on_container_copy_construction() const {
    return CEmcSymPoolAllocator();
  }

  template <typename U>
  bool operator==(const CEmcSymPoolAllocator<U>& other) const noexcept {
    return m_pool == other.m_pool;
  }
  template <typename U>
  bool operator!=(const CEmcSymPoolAllocator<U>& other) const noexcept {
    return m_pool != other.m_pool;
  }

 private:
  template <typename U>
  friend class CEmcSymPoolAllocator;
  std::shared_ptr<CEmcSymRecordPool> m_pool;
};

#endif  // EMCSYM_RECORDPOOL_H
