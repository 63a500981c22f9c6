// The device handler against a bare SAX pass over the same bytes: a `symdev
// list` of 16,000 and of 64,000 devices parsed once with the handler and
// once with a handler that does nothing, alternately, in every iteration.
// The counter "ratio" is the handler's time over the bare pass's in one
// repetition; both passes see the same machine load, so the ratio holds
// still where the times do not. The benchmark repeats itself and reports
// the median (the target is 1.2 at most). No allocation is counted here:
// a counting allocator would tilt the comparison against the handler.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <xercesc/sax2/DefaultHandler.hpp>

#include "cfisaxparser.h"
#include "emcsym_handlers.h"
#include "symcli_listings.h"

namespace {

double secondsOf(const std::chrono::steady_clock::duration& d) {
  return std::chrono::duration<double>(d).count();
}

// Seconds of one parse of `document` with a handler of type Handler.
template <class Handler>
double timedParse(const std::string& document, std::size_t* records) {
  const auto start = std::chrono::steady_clock::now();
  Handler handler;
  quelb_pdk_4_4::CFiSaxParser parser(&handler);
  parser.parse(document);
  *records = handler.getResult().size();
  return secondsOf(std::chrono::steady_clock::now() - start);
}

// A handler that reads nothing, with the same result interface.
class BareHandler : public xercesc::DefaultHandler {
 public:
  std::string getResult() const { return std::string(); }
};

void BM_DeviceHandlerOverBareSax(benchmark::State& state) {
  const std::size_t devices = static_cast<std::size_t>(state.range(0));
  const std::string document =
      benchdocs::joined(benchdocs::deviceListing(static_cast<int>(devices)));
  double handlerSeconds = 0;
  double bareSeconds = 0;
  bool handlerFirst = false;
  for (auto _ : state) {
    std::size_t records = 0;
    std::size_t none = 0;
    double handler = 0;
    double bare = 0;
    handlerFirst = !handlerFirst;
    if (handlerFirst) {
      handler = timedParse<CEmcSymDevShowHandler>(document, &records);
      bare = timedParse<BareHandler>(document, &none);
    } else {
      bare = timedParse<BareHandler>(document, &none);
      handler = timedParse<CEmcSymDevShowHandler>(document, &records);
    }
    if (records != devices) state.SkipWithError("unexpected number of devices");
    handlerSeconds += handler;
    bareSeconds += bare;
    state.SetIterationTime(handler);
  }
  state.counters["ratio"] = bareSeconds > 0 ? handlerSeconds / bareSeconds : 0;
  state.counters["bare_ms"] =
      benchmark::Counter(bareSeconds * 1000, benchmark::Counter::kAvgIterations);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(document.size()));
}

}  // namespace

BENCHMARK(BM_DeviceHandlerOverBareSax)
    ->Arg(16000)
    ->Arg(64000)
    ->UseManualTime()
    ->Repetitions(9)
    ->MinTime(0.5)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
