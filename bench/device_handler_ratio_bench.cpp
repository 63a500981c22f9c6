// The device handler against a bare SAX pass over the same bytes: a `symdev
// list` of 16,000 and of 64,000 devices parsed once with the handler and
// once with a handler that does nothing, alternately, in every iteration.
// The counter "ratio" is the handler's processor time over the bare pass's
// in one repetition: both passes see the same machine, and processor time
// leaves out what other processes take, so the ratio holds still where
// elapsed times do not. The benchmark repeats itself and reports
// the median (the target is 1.2 at most). No allocation is counted here:
// a counting allocator would tilt the comparison against the handler.
#include <benchmark/benchmark.h>

#include <time.h>

#include <string>
#include <xercesc/sax2/DefaultHandler.hpp>

#include "cfisaxparser.h"
#include "emcsym_handlers.h"
#include "symcli_listings.h"

namespace {

// Processor time of this thread, in seconds: unlike the elapsed time it
// does not count the time other processes of a busy machine take.
double threadSeconds() {
  struct timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Seconds of one parse of `document` into `handler`. The handler's
// records are not freed in this time: they are the parse's product, and
// live on in the provider.
template <class Handler>
double timedParse(const std::string& document, Handler& handler) {
  const double start = threadSeconds();
  {
    quelb_pdk_4_4::CFiSaxParser parser(&handler);
    parser.parse(document);
  }
  return threadSeconds() - start;
}

// A handler that reads nothing.
class BareHandler : public xercesc::DefaultHandler {};

void BM_DeviceHandlerOverBareSax(benchmark::State& state) {
  const std::size_t devices = static_cast<std::size_t>(state.range(0));
  const std::string document =
      benchdocs::joined(benchdocs::deviceListing(static_cast<int>(devices)));
  double handlerSeconds = 0;
  double bareSeconds = 0;
  bool handlerFirst = false;
  for (auto _ : state) {
    CEmcSymDevShowHandler deviceHandler;
    BareHandler bareHandler;
    double handler = 0;
    double bare = 0;
    handlerFirst = !handlerFirst;
    if (handlerFirst) {
      handler = timedParse(document, deviceHandler);
      bare = timedParse(document, bareHandler);
    } else {
      bare = timedParse(document, bareHandler);
      handler = timedParse(document, deviceHandler);
    }
    if (deviceHandler.getResult().size() != devices)
      state.SkipWithError("unexpected number of devices");
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
