// Tests of the simulator harness's own readers (tests/support/sim_env.h).
#include <gtest/gtest.h>

#include "sim_env.h"

namespace simtest {

TEST(SimHarness, SplitsCommandLinesLikeThePipe) {
  EXPECT_EQ(splitCommandLine("\"/opt/x/symcfg\"  list  -output XML_ATTRIBUTE "),
            (std::vector<std::string>{"/opt/x/symcfg", "list", "-output", "XML_ATTRIBUTE"}));
  EXPECT_EQ(splitCommandLine("a \"b c\" \"\""), (std::vector<std::string>{"a", "b c", ""}));
}

TEST(SimHarness, ReadersRejectBrokenDocuments) {
  auto doc = parseXml("junk\n<?xml version=\"1.0\" ?>\n<SymCLI_ML><A x=\"1&amp;2\"><B/></A></SymCLI_ML>\njunk");
  EXPECT_EQ(doc->first("A")->attr("x"), "1&2");
  EXPECT_NE(doc->first("B"), nullptr);
  EXPECT_THROW(parseXml("<?xml ?><SymCLI_ML><A></B></SymCLI_ML>"), std::runtime_error);
  EXPECT_THROW(parseXml("<?xml ?><SymCLI_ML><A>"), std::runtime_error);
  EXPECT_THROW(parseXml("no document"), std::runtime_error);
  Json j = parseJson("{\"a\":[1,\"x\\n\",null,true],\"b\":{}}");
  EXPECT_EQ(j["a"].size(), 4u);
  EXPECT_EQ(j["a"][1].string, "x\n");
  EXPECT_TRUE(j["a"][3].boolean);
}

}  // namespace simtest
