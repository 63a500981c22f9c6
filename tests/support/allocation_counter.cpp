#include "allocation_counter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long long> g_live{0};
std::atomic<long long> g_peak{0};
std::atomic<long long> g_count{0};

// Each block carries its size in front of what the caller gets.
void* counted(std::size_t size) {
  void* block = std::malloc(size + alignof(std::max_align_t));
  if (!block) throw std::bad_alloc();
  *static_cast<std::size_t*>(block) = size;
  const long long live = g_live += static_cast<long long>(size);
  long long peak = g_peak.load();
  while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
  }
  ++g_count;
  return static_cast<char*>(block) + alignof(std::max_align_t);
}

void release(void* p) {
  if (!p) return;
  void* block = static_cast<char*>(p) - alignof(std::max_align_t);
  g_live -= static_cast<long long>(*static_cast<std::size_t*>(block));
  std::free(block);
}
}  // namespace

namespace alloccount {
long long liveBytes() { return g_live.load(); }
long long peakBytes() { return g_peak.load(); }
long long allocations() { return g_count.load(); }
void resetPeak() { g_peak = g_live.load(); }
}  // namespace alloccount

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return counted(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
