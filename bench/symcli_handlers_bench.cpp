// Parsing of SYMCLI output: the fixed cost of one parse (a one-device
// `symdev show`), and of large listings: the device handler on a `symdev list`
// of up to 64,000 devices and the login handler on a `symmask list logins`
// of 10,000 logins, each beside a bare SAX pass over the same bytes with a
// handler that does nothing. The "peak_bytes_per_item" counter is the most
// memory held at once during a parse (reader, document and result)
// divided by the number of devices or logins: it stays flat when memory
// grows linearly with the output.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>
#include <xercesc/sax2/DefaultHandler.hpp>

#include "cfisaxparser.h"
#include "emcsym_handlers.h"

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

// --- documents as the tools print them ------------------------------------------

namespace {

const char kDeclaration[] = "<?xml version=\"1.0\" standalone=\"yes\" ?>";

std::string hex4(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", n & 0xFFFF);
  return buf;
}

// `symdev list` of `count` devices: every 4th with two front-end ports,
// every 8th with a BCV pair, every 16th with a clone and a snap session.
std::vector<std::string> deviceListing(int count) {
  std::vector<std::string> lines{kDeclaration, "<SymCLI_ML>",
                                 "  <Symmetrix symid=\"000190101234\">"};
  for (int i = 0; i < count; ++i) {
    std::string dev = hex4(i);
    lines.push_back("    <Device pd_name=\"" +
                    (i % 3 == 0 ? "/dev/sd" + std::to_string(i) : "N/A") +
                    "\" ld_name=\"N/A\" dev_name=\"" + dev +
                    "\" device_group=\"N/A\" status=\"Ready\" attached_bcv=\"N/A\" "
                    "emulation=\"FBA\" config=\"2-Way Mir\">");
    lines.push_back("      <Capacity cylinders=\"9207\" megabytes=\"8632\"/>");
    if (i % 4 == 0) {
      lines.push_back("      <Front_End>");
      lines.push_back("        <Port director=\"FA-4A\" port=\"0\"/>");
      lines.push_back("        <Port director=\"FA-13B\" port=\"1\"/>");
      lines.push_back("      </Front_End>");
    }
    if (i % 8 == 0) {
      lines.push_back(
          "      <BCV_Pair state=\"Synchronized\" last_action=\"Establish\" state_flags=\"N/A\">");
      lines.push_back("        <STD dev_name=\"" + dev +
                      "\" dgroup=\"dg1\" status=\"Ready\" invalids=\"0\"/>");
      lines.push_back("        <BCV dev_name=\"F" + dev.substr(1) +
                      "\" dgroup=\"dg1\" status=\"Ready\" invalids=\"0\"/>");
      lines.push_back("      </BCV_Pair>");
    }
    if (i % 16 == 0) {
      lines.push_back(
          "      <CLONE_Device state=\"Copied\" last_action=\"Create\" clone_state_flags=\"X.\" "
          "percent_copied=\"100\">");
      lines.push_back("        <SRC dev_name=\"" + dev + "\"/>");
      lines.push_back("        <TGT dev_name=\"E" + dev.substr(1) + "\"/>");
      lines.push_back("      </CLONE_Device>");
      lines.push_back(
          "      <SNAP_Device state=\"CopyOnWrite\" last_action=\"Activate\" "
          "snap_state_flags=\"..X\" percent_copied=\"2\">");
      lines.push_back("        <SRC dev_name=\"" + dev + "\"/>");
      lines.push_back("        <TGT dev_name=\"D" + dev.substr(1) + "\"/>");
      lines.push_back("      </SNAP_Device>");
    }
    lines.push_back("    </Device>");
  }
  lines.push_back("  </Symmetrix>");
  lines.push_back("</SymCLI_ML>");
  return lines;
}

// `symmask list logins` of `count` logins: hosts with two HBAs each, seen
// on five director ports; one login in 50 is unusable (NULL node name).
std::vector<std::string> loginListing(int count) {
  std::vector<std::string> lines{kDeclaration, "<SymCLI_ML>",
                                 "  <Symmetrix symid=\"000190101234\">"};
  const int records = 5;
  const int perRecord = count / records;
  for (int r = 0; r < records; ++r) {
    lines.push_back("    <Devmask_Login_Record director=\"FA-" + std::to_string(r + 3) +
                    "A\" port=\"" + std::to_string(r % 2) + "\">");
    for (int i = 0; i < perRecord; ++i) {
      std::string wwn = "10000000c9" + hex4(i / 2) + hex4(i % 2);
      std::string host = i % 50 == 7 ? "NULL" : "host" + std::to_string(i / 2) + ".example.com";
      lines.push_back("      <Login originator_port_wwn=\"" + wwn + "\" awwn_node_name=\"" + host +
                      "\" awwn_port_name=\"" + wwn +
                      "\" type=\"Fibre\" logged_in=\"Yes\" on_fabric=\"Yes\"/>");
    }
    lines.push_back("    </Devmask_Login_Record>");
  }
  lines.push_back("  </Symmetrix>");
  lines.push_back("</SymCLI_ML>");
  return lines;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

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
