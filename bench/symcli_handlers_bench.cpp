// Parsing of SYMCLI output: the fixed cost of one parse (a one-device
// `symdev show`), and the memory of large listings: the device handler on
// a `symdev list` of up to 64,000 devices and the login handler on a
// `symmask list logins` of 10,000 logins, each beside a bare SAX pass over
// the same bytes. The "peak_bytes_per_item" counter is the most memory held
// at once during a parse (reader, document and result) divided by the
// number of devices or logins: it stays flat when memory grows linearly
// with the output. Every allocation is counted, so the times here are not
// the handler's own: device_handler_ratio_bench compares those.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>
#include <xercesc/sax2/DefaultHandler.hpp>

#include "cfisaxparser.h"
#include "emcsym_handlers.h"
#include "symcli_listings.h"

// --- allocation accounting ----------------------------------------------------

// The benchmarks run on one thread: plain counters keep the accounting
// cheap enough not to tilt the comparison.
namespace {
long long g_liveBytes = 0;
long long g_peakBytes = 0;

void* countedAllocate(std::size_t size) {
  std::size_t* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
  if (!block) throw std::bad_alloc();
  *block = size;
  g_liveBytes += static_cast<long long>(size);
  if (g_liveBytes > g_peakBytes) g_peakBytes = g_liveBytes;
  return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}

void countedFree(void* p) {
  if (!p) return;
  std::size_t* block =
      reinterpret_cast<std::size_t*>(static_cast<char*>(p) - sizeof(std::max_align_t));
  g_liveBytes -= static_cast<long long>(*block);
  std::free(block);
}

// Peak of the memory held during `work`, above what was held before it.
template <class Work>
long long peakDuring(Work work) {
  long long before = g_liveBytes;
  g_peakBytes = before;
  work();
  return g_peakBytes - before;
}
}  // namespace

void* operator new(std::size_t size) { return countedAllocate(size); }
void* operator new[](std::size_t size) { return countedAllocate(size); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }

namespace {

using benchdocs::deviceListing;
using benchdocs::joined;
using benchdocs::loginListing;

template <class Handler>
std::size_t parseWith(const std::string& document) {
  Handler handler;
  quelb_pdk_4_4::CFiSaxParser parser(&handler);
  parser.parse(document);
  return handler.getResult().size();
}

std::size_t bareParse(const std::string& document) {
  xercesc::DefaultHandler handler;
  quelb_pdk_4_4::CFiSaxParser parser(&handler);
  parser.parse(document);
  return 0;
}

template <class Parse>
void runParse(benchmark::State& state, const std::string& document, Parse parse,
              std::size_t expected) {
  std::size_t items = 0;
  for (auto _ : state) {
    items = parse(document);
    benchmark::DoNotOptimize(items);
  }
  if (expected && items != expected) state.SkipWithError("unexpected number of records");
  long long peak = peakDuring([&] { parse(document); });
  state.counters["peak_bytes_per_item"] =
      static_cast<double>(peak) / static_cast<double>(state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(document.size()));
}

void BM_DevShowHandler_SymdevList(benchmark::State& state) {
  std::string document = joined(deviceListing(static_cast<int>(state.range(0))));
  runParse(state, document, parseWith<CEmcSymDevShowHandler>,
           static_cast<std::size_t>(state.range(0)));
}

void BM_BareSax_SymdevList(benchmark::State& state) {
  std::string document = joined(deviceListing(static_cast<int>(state.range(0))));
  runParse(state, document, bareParse, 0);
}

void BM_LoginHandler_SymmaskListLogins(benchmark::State& state) {
  std::string document = joined(loginListing(static_cast<int>(state.range(0))));
  runParse(state, document, parseWith<CEmcSymMaskListLoginHandler>, 0);
}

void BM_BareSax_SymmaskListLogins(benchmark::State& state) {
  std::string document = joined(loginListing(static_cast<int>(state.range(0))));
  runParse(state, document, bareParse, 0);
}

}  // namespace

// One device, as `symdev show` prints it: the fixed cost of every command's parse.
BENCHMARK(BM_DevShowHandler_SymdevList)
    ->Name("BM_DevShowHandler_SymdevShow")
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DevShowHandler_SymdevList)->Arg(16000)->Arg(64000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareSax_SymdevList)->Arg(16000)->Arg(64000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoginHandler_SymmaskListLogins)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareSax_SymmaskListLogins)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
