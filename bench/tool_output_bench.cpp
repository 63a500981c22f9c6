// The cost of a tool's output, whatever its shape, through the whole path
// the provider takes: the runner starts a tool that prints a prepared file,
// the pipe reads it, cleanXML trims it and the device handler parses it
// (getSymDevList). Each shape at three sizes, a factor 4 apart: time and
// memory are linear when "ns_per_byte" and "peak_bytes_per_byte" stay flat
// from one size to the next. The shapes are those a tool gone wrong was
// seen to print, with the cost they had before the output and parser
// limits (200,000 devices whose names repeat, one internal entity of
// 64 KiB referenced hundreds of times, a single huge attribute, megabytes
// of output that is no XML, many short lines) and an ordinary listing.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "cfisaxparser.h"
#include "cfistringtool.h"
#include "emcsym_clierror.h"
#include "emcsym_clitool.h"
#include "emcsym_handlers.h"

namespace {

const char kDeclaration[] = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n";

// The SYMCLI directory of the benchmark: a "symdev" that prints the file
// named by BENCH_OUTPUT, whatever it is asked.
class FakeTool {
 public:
  FakeTool() {
    char name[] = "/tmp/norvel_bench_XXXXXX";
    if (mkdtemp(name)) m_dir = name;
    write("symdev", "#!/bin/sh\nexec cat \"$BENCH_OUTPUT\"\n");
    chmod(file("symdev").c_str(), 0755);
    setenv("QUELB_CLI_LOCK_KEY", "0", 1);
    setenv("BENCH_OUTPUT", file("output").c_str(), 1);
  }
  ~FakeTool() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }
  std::string file(const std::string& name) const { return m_dir + "/" + name; }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(file(name), std::ios::binary | std::ios::trunc) << text;
  }
  const std::string& dir() const { return m_dir; }

 private:
  std::string m_dir;
};

FakeTool& fakeTool() {
  static FakeTool tool;
  return tool;
}

std::string hex4(long n) {
  char text[8];
  std::snprintf(text, sizeof text, "%04lX", n & 0xFFFF);
  return text;
}

// The output of each shape, about `scale` times its unit.
std::string output(int shape, long scale) {
  std::string text;
  switch (shape) {
    case 0:  // an ordinary listing, device names repeating after 65,536
      text = std::string(kDeclaration) + "<SymCLI_ML>\n  <Symmetrix symid=\"000190100001\">\n";
      for (long i = 0; i < scale; ++i) {
        text += "    <Device pd_name=\"N/A\" ld_name=\"N/A\" dev_name=\"" + hex4(i) +
                "\" device_group=\"N/A\" status=\"Ready\" attached_bcv=\"N/A\">\n"
                "      <Capacity megabytes=\"8632\"/>\n"
                "      <Front_End><Port director=\"FA-4A\" port=\"0\"/></Front_End>\n"
                "    </Device>\n";
      }
      return text + "  </Symmetrix>\n</SymCLI_ML>\n";
    case 1:  // a 64 KiB internal entity referenced in one attribute value
      text = "<?xml version=\"1.0\"?>\n<!DOCTYPE SymCLI_ML [<!ENTITY big \"" +
             std::string(64 * 1024, 'y') + "\">]>\n<SymCLI_ML><Device dev_name=\"";
      for (long i = 0; i < scale / 16; ++i) text += "&big;";
      return text + "\"/></SymCLI_ML>\n";
    case 2:  // one attribute value of about 100 bytes per unit
      return std::string(kDeclaration) + "<SymCLI_ML><Device dev_name=\"" +
             std::string(static_cast<std::size_t>(scale) * 100, 'x') + "\"/></SymCLI_ML>\n";
    case 3:  // output that is no XML
      for (long i = 0; i < scale; ++i) text += "garbage output from a broken tool, no XML at all\n";
      return text;
    default:  // short lines, one element each
      text = std::string(kDeclaration) + "<SymCLI_ML>\n";
      for (long i = 0; i < scale * 4; ++i) text += "  <Lock   />\n";
      return text + "</SymCLI_ML>\n";
  }
}

void BM_ToolOutput(benchmark::State& state) {
  const std::string text = output(static_cast<int>(state.range(0)), state.range(1));
  fakeTool().write("output", text);
  CEmcSymCliTool tool(quelb_pdk_4_4::CFiStringTool::str2tstr(fakeTool().dir()));
  std::size_t devices = 0;
  long long peak = 0;
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const long long before = alloccount::liveBytes();
    alloccount::resetPeak();
    EmcSymDevList list;
    try {
      tool.getSymDevList("000190100001", list, false);
    } catch (const CEmcSymCliException&) {
    } catch (const quelb_pdk_4_4::EFiExecPipe&) {
    }
    devices = list.size();
    peak = alloccount::peakBytes() - before;
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  const double bytes = static_cast<double>(text.size());
  state.counters["output_MiB"] = bytes / (1024.0 * 1024.0);
  state.counters["devices"] = static_cast<double>(devices);
  state.counters["peak_MiB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
  state.counters["peak_bytes_per_byte"] = static_cast<double>(peak) / bytes;
  // Wall time, the tool's run included.
  state.counters["ns_per_byte"] = seconds * 1e9 / (bytes * static_cast<double>(state.iterations()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

const char* const kShapes[] = {"listing", "entity_in_value", "huge_attribute", "no_xml",
                               "short_lines"};

}  // namespace

// Scales 12,500, 50,000 and 200,000: the listing has that many devices
// (1.9, 7.6 and 30 MiB), the other shapes about as many bytes.
static void Sizes(benchmark::internal::Benchmark* b) {
  for (int shape = 0; shape < 5; ++shape) {
    for (long scale : {12500L, 50000L, 200000L}) b->Args({shape, scale});
  }
  b->ArgNames({"shape", "scale"});
}
BENCHMARK(BM_ToolOutput)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Iterations(2);

// The host listing of a masking database (symmaskdb list database), every
// record a host of its own: its handler keeps each host once, and looking a
// name up must not cost more as the list grows.
void BM_MaskdbDatabaseHosts(benchmark::State& state) {
  std::vector<std::string> lines = {kDeclaration, "<SymCLI_ML><Symmetrix symid=\"000190100001\">"};
  for (long i = 0; i < state.range(0); ++i) {
    lines.push_back("<Db_Record awwn_node_name=\"host" + std::to_string(i) +
                    ".example.com\" awwn_port_name=\"hba0\"/>");
  }
  lines.push_back("</Symmetrix></SymCLI_ML>");
  std::size_t hosts = 0;
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    CEmcSymMaskdbListDatabaseHandler handler;
    {
      quelb_pdk_4_4::CFiSaxParser parser(&handler);
      parser.parse(lines);
    }
    hosts = handler.getResult().size();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  if (hosts != static_cast<std::size_t>(state.range(0))) state.SkipWithError("hosts lost");
  state.counters["ns_per_record"] =
      seconds * 1e9 /
      (static_cast<double>(state.range(0)) * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_MaskdbDatabaseHosts)
    ->Arg(20000)
    ->Arg(80000)
    ->Arg(320000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::printf("shapes: ");
  for (int i = 0; i < 5; ++i) std::printf("%d %s%s", i, kShapes[i], i < 4 ? ", " : "\n");
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
