// Every command line the provider builds, run through the tool names as the provider's pipe runs
// them, and the command lines that must be refused. What the provider's handlers make of each
// reading is tested with the provider; here every reading must be accepted and parse back.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "sim_env.h"
#include "sim_scenario.h"

namespace simtest {
namespace {

class SimCommands : public SimTest, public ::testing::WithParamInterface<std::string> {
 protected:
  std::unique_ptr<XmlNode> xml(const std::string& tool, const std::string& args) {
    return read(tool, args, GetParam());
  }
};

TEST_P(SimCommands, EveryReadingCommandAnswersWithItsDocument) {
  struct Case {
    std::string tool, args, element;
    size_t count;
  };
  const std::vector<Case> reads = {
      {"symcfg", " list ", "Symmetrix", 3},
      {"symdisk", " list  -sid " + kSid, "Disk", 4},
      {"symdev", " -sid " + kSid + " -fibre -nobcv  list ", "Device", 13},  // no BCVs
      {"symdev", " -sid " + kSid + " -v  list ", "Device", 17},
      {"symdev", " -sid " + kSid + " show 0040", "Device", 1},
      {"symmaskdb", " -sid " + kSid + " list database ", "Db_Record", 4},  // one per login
      {"symmask", " -sid " + kSid + " list logins ", "Devmask_Login_Record", 3},
      {"symmaskdb", " -sid " + kSid + " -dev 0040 list assignment ", "Device", 1},
      // Two on the first array, one on the second.
      {"symmask", " discover hba -rename ", "Host_HBA", 3},
      {"symmaskdb", " -sid " + kSid + " -host " + hostName() + " list capacity ", "Originator_port",
       2},
      {"symcfg", " -sid " + kSid + " list -connections -sorthost ", "Host", 2},
      {"symmask", " list hba ", "Host_HBA", 2},
      {"symcfg", " -sid " + kSid + " -lock list ", "Lock", 0},
  };
  for (const Case& c : reads)
    EXPECT_EQ(xml(c.tool, c.args)->all(c.element).size(), c.count) << c.tool << c.args;
  EXPECT_EQ(env.line("symcfg", " discover ").status, 0);

  // The version the provider takes is characters 2 to 4 of the text.
  EXPECT_EQ(xml("symcli", "")->first("version")->text.substr(1, 3), "7.0");

  // Absent names read "N/A"; a device masked to this host has a disk name.
  auto show = xml("symdev", " -sid " + kSid + " show 0040");
  const XmlNode* dev = show->first("Device");
  EXPECT_EQ(dev->attr("ld_name"), "N/A");
  EXPECT_EQ(dev->attr("pd_name").rfind("/dev/sd", 0), 0u);
  const XmlNode* pair = dev->first("BCV_Pair");
  ASSERT_NE(pair, nullptr);
  EXPECT_EQ(pair->attr("state"), "Synchronized");
  EXPECT_EQ(pair->first("STD")->attr("dgroup"), "prod");
  EXPECT_EQ(pair->first("BCV")->attr("status"), "Not Ready");
  // A short device name means the same device.
  auto namedDoc = xml("symdev", " -sid " + kSid + " show 50");
  const XmlNode* named = namedDoc->first("Device");
  EXPECT_EQ(named->attr("dev_name"), "0050");
  EXPECT_EQ(named->attr("ld_name"), "DEV050");
}

INSTANTIATE_TEST_SUITE_P(BothOutputForms, SimCommands, ::testing::Values("XML_ATTRIBUTE", "XML"));

using SimCommandLines = SimTest;

TEST_F(SimCommandLines, OptionsParseInAnyOrder) {
  std::string file = env.pairFile("p", "0040 0080\n");
  ToolRun a = env.line("symmir", "query -output XML_ATTRIBUTE -file " + file + " -sid " + kSid);
  ToolRun b =
      env.line("symmir", "-sid " + kSid + " -file " + file + " query -output XML_ATTRIBUTE");
  ASSERT_EQ(a.status, 0) << a.out;
  EXPECT_EQ(parseXml(a.out)->first("BCV_Pair")->attr("state"),
            parseXml(b.out)->first("BCV_Pair")->attr("state"));
  EXPECT_EQ(env.line("symdev", "list -nobcv -sid " + kSid + " -output XML_ATTRIBUTE -fibre").status,
            0);
  // The last digits of an ID name the array, as with SYMCLI.
  EXPECT_EQ(env.line("symdev", "-sid 0001 show 0040").status, 0);
}

// Malformed command lines get the usage and status 1; well-formed ones that name unknown arrays,
// devices, ports or pair-file lines fail with a message.
TEST_F(SimCommandLines, BadCommandLinesFailClearly) {
  const std::string sid = "-sid " + kSid + " ", file = env.pairFile("p", "0040 0080\n");
  // "S" stands for the first array's -sid, "F" for a pair file's -file.
  const std::string malformed =
      "symcfg list -bogus;symcfg frobnicate;symcfg;symcfg S -lockn 16 release;symcfg S -lockn 3;"
      "symcfg list -connections;symdev show 0040 S extra;symdev show S;symdev S list -output HTML;"
      "symdev S S show 0040;symdev S F show 0040;symmir S query;symmir S F terminate;"
      "symsnap S F establish;symclone S F restore -restored;symmask list;"
      "symmask S -wwn 10000000C9A00001 -dir 04A add devs 0040;symmaskdb S list assignment;"
      "symcli -version;symcli extra";
  for (size_t at = 0, end; at < malformed.size(); at = end + 1) {
    end = std::min(malformed.find(';', at), malformed.size());
    const std::string text = malformed.substr(at, end - at);
    std::vector<std::string> words = splitCommandLine(text);
    std::string args;
    for (size_t i = 1; i < words.size(); ++i)
      args += words[i] == "S" ? sid : words[i] == "F" ? "-file " + file + " " : words[i] + " ";
    ToolRun r = env.line(words[0], args);
    EXPECT_EQ(r.status, 1) << text;
    EXPECT_NE(r.out.find("usage: " + words[0]), std::string::npos) << text << "\n" << r.out;
  }
  auto query = [&](const std::string& name, const std::string& lines) {
    return sid + "-file " + env.pairFile(name, lines) + " query";
  };
  const std::string mask = sid + "-wwn 10000000C9A00001 -dir ";
  const std::vector<std::array<std::string, 3>> refused = {
      {"symdev", "-sid 999999999999 show 0040", "999999999999 was not found"},
      {"symdev", sid + "show XYZ", "Invalid Symmetrix device name"},
      {"symmir", sid + "-file /nonexistent/pairs query", "Cannot open the device file"},
      {"symmir", query("bad", "0040\n"), "Invalid line 1"},
      {"symmir", query("empty", "\n# nothing\n"), "names no device pair"},
      {"symmir", query("unk", "0040 0080\n0041 0FFF\n"), "Device 0FFF"},
      {"symmir", query("nb", "0040 0041\n"), "is not a BCV device"},
      {"symmask", mask + "07C -port 0 add devs 0040", "does not exist"},
      {"symmask", sid + "-wwn 1000000000000000 -dir 04A -port 0 add devs 0040", "is not known"},
      {"symmask", mask + "04A -port 1 add devs 0040", "is not mapped"},
      {"symmaskdb", sid + "-dev 0042 list assignment", "No device masking database records"},
      {"symmaskdb", sid + "-host nosuchhost list capacity", "The supplied alias is invalid"},
      {"symcfg", sid + "-noprompt -lockn 3 release", "is not held"},
  };
  for (const auto& c : refused) {
    ToolRun r = env.line(c[0], c[1]);
    EXPECT_NE(r.status, 0) << c[0] << " " << c[1];
    EXPECT_NE(r.out.find(c[2]), std::string::npos) << c[0] << " " << c[1] << "\n" << r.out;
  }
  // A tool with no database says so.
  testenv::TempDir other("symsim_nodb");
  ASSERT_EQ(runProgram(testenv::symsimPath(), {"install", other.path() + "/bin"}).status, 0);
  ToolRun missing = runProgram(other.path() + "/bin/symcfg" + testenv::kExeSuffix, {"list"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.out.find("symsim init"), std::string::npos);
}

}  // namespace
}  // namespace simtest
