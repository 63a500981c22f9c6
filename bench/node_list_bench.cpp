// Building the framework's node list of one array's devices, as
// enumerate_nodes does: one element per device (name, identity, size), the
// list published to the framework's buffers when the factory goes, then
// freed by the framework's utility library. Includes the utility library's
// own buffer accounting, which the framework stand-in always does.
#include <benchmark/benchmark.h>
#include <quelb/quelb_records.h>

#include <cstdio>
#include <string>

#include "cfielements.h"
#include "cfilist.h"
#include "cfistringtool.h"

namespace {

using quelb_pdk_4_4::CFiNode;
using quelb_pdk_4_4::CFiNodeListFactory;
using quelb_pdk_4_4::CFiStringTool;
using quelb_pdk_4_4::tstring;

void BM_NodeListFactory_Devices(benchmark::State& state) {
  const int devices = static_cast<int>(state.range(0));
  const tstring provider = CFiStringTool::str2tstr("norvel");
  for (auto _ : state) {
    qlb_node_list* list = nullptr;
    int count = 0;
    {
      CFiNodeListFactory factory(&list, &count);
      for (int i = 0; i < devices; ++i) {
        char device[8];
        std::snprintf(device, sizeof device, "%04X", i & 0xFFFF);
        qlb_node_attr attributes = {};
        attributes.na_value3 = 1;
        attributes.na_size = 8632ull * 1024 * 1024;
        factory.add(CFiNode(
            attributes,
            CFiStringTool::str2tstr(std::string("EMC##SYMMETRIX##000190101234##") + device),
            CFiStringTool::str2tstr(std::string("UDID##EMC##SYMMETRIX##000190101234##") + device),
            provider));
      }
    }
    if (count != devices) state.SkipWithError("unexpected number of nodes");
    quelb_free_node_list(list);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * devices);
}

}  // namespace

BENCHMARK(BM_NodeListFactory_Devices)->Arg(16000)->Arg(64000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
