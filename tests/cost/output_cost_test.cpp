// The memory a tool's output costs the provider, measured by counting
// every allocation of the process: a command runs through the real runner
// and pipe (the tool prints a prepared file), its output is trimmed and
// parsed as the provider parses it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>
#include <xercesc/sax/SAXException.hpp>

#include "allocation_counter.h"
#include "cfisaxhandler.h"
#include "cfisaxparser.h"
#include "cfistringtool.h"
#include "emcsym_clierror.h"
#include "emcsym_clitool.h"
#include "test_env.h"

namespace {

using quelb_pdk_4_4::CFiSaxParseHandler;

// What one command's output cost: the most bytes held at once above what
// was held before, and the number of allocations.
struct Cost {
  long long peak = 0;
  long long allocations = 0;
};

// Prints `file` through the runner and parses it as the provider does,
// with a handler that keeps nothing: what is measured is the pipe, the
// trimming and the parser.
Cost costOf(const std::string& bin, const std::string& file) {
  testenv::ScopedEnv output("COST_OUTPUT", file.c_str());
  const long long before = alloccount::liveBytes();
  alloccount::resetPeak();
  const long long allocations = alloccount::allocations();
  {
    CEmcSymCliTool tool(quelb_pdk_4_4::CFiStringTool::str2tstr(bin));
    std::vector<std::string> lines;
    tool.execSymCLI(L"symdev list ", lines, false, false, 600);
    try {
      tool.cleanXML(L"symdev list ", lines);
      CFiSaxParseHandler handler;
      quelb_pdk_4_4::CFiSaxParser parser(&handler);
      parser.parse(lines);
    } catch (const CEmcSymCliException&) {
    } catch (const xercesc::SAXException&) {
    }
  }
  return {alloccount::peakBytes() - before, alloccount::allocations() - allocations};
}

// A document of repetitions of `unit` between `head` and `tail`.
struct Shape {
  const char* name;
  std::string head;
  std::string unit;
  std::string tail;
};

const char kDeclaration[] = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<SymCLI_ML>\n";

}  // namespace

TEST(OutputCost, PeakMemoryStaysBelowFourBytesPerOutputByteAndGrowsInProportion) {
  testenv::TempDir dir;
  const std::string bin = dir.path() + "/";
  testenv::writeFile(bin + "symdev", "#!/bin/sh\nexec cat \"$COST_OUTPUT\"\n");
  ASSERT_EQ(0, chmod((bin + "symdev").c_str(), 0755));
  testenv::ScopedEnv privateLock("QUELB_CLI_LOCK_KEY", "0");

  const std::string entity =
      "<!DOCTYPE SymCLI_ML [<!ENTITY v \"" + std::string(1000, 'v') + "\">]>";
  const std::vector<Shape> shapes = {
      {"device listing", kDeclaration,
       "  <Symmetrix symid=\"000190100001\">\n    <Device pd_name=\"/dev/sdb\" ld_name=\"N/A\" "
       "dev_name=\"0040\" device_group=\"N/A\" status=\"Ready\" attached_bcv=\"N/A\">\n      "
       "<Capacity cylinders=\"9207\" megabytes=\"8632\"/>\n      <Front_End>\n        <Port "
       "director=\"FA-4A\" port=\"0\"/>\n      </Front_End>\n    </Device>\n  </Symmetrix>\n",
       "</SymCLI_ML>\n"},
      {"output without XML", "", "garbage output line from a broken tool, nothing like XML\n", ""},
      {"short lines", kDeclaration, "  <Lock   />\n", "</SymCLI_ML>\n"},
      {"long values", kDeclaration, "<Device dev_name=\"" + std::string(60000, 'd') + "\"/>\n",
       "</SymCLI_ML>\n"},
      {"entities", std::string("<?xml version=\"1.0\"?>\n") + entity + "<SymCLI_ML>\n",
       "<Device dev_name=\"&v;\"/>&v;\n", "</SymCLI_ML>\n"},
  };
  // Beyond this the output is paid for per byte: the reader's buffers, the
  // pipe's read buffer, the runner's own objects.
  const long long kBase = 2 * 1024 * 1024;
  const std::size_t kBytes = 1024 * 1024;
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    Cost costs[2];
    std::size_t sizes[2];
    for (int i = 0; i < 2; ++i) {
      std::string text = shape.head;
      for (std::size_t n = (i == 0 ? kBytes : 4 * kBytes) / shape.unit.size(); n > 0; --n)
        text += shape.unit;
      text += shape.tail;
      testenv::writeFile(dir.file("output"), text);
      sizes[i] = text.size();
      costs[i] = costOf(bin, dir.file("output"));
      EXPECT_LT(costs[i].peak, kBase + 4 * static_cast<long long>(sizes[i]))
          << costs[i].peak << " bytes for " << sizes[i] << " bytes of output";
    }
    // Four times the output: about four times the memory and allocations.
    auto grew = [](long long a, long long b) { return static_cast<double>(b) / a; };
    const double size = grew(sizes[0], sizes[1]);
    EXPECT_LT(grew(costs[0].peak, costs[1].peak), size * 1.25)
        << costs[0].peak << " then " << costs[1].peak << " bytes";
    EXPECT_LT(grew(costs[0].allocations, costs[1].allocations), size * 1.25)
        << costs[0].allocations << " then " << costs[1].allocations << " allocations";
  }
}
