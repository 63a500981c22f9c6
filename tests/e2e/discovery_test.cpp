// Start-up and discovery as the framework sees them: the delayed initialisation's commands and
// output forms, what a failed start-up leaves, and the three enumerations' answers to filters,
// flags and identities.
#include "loaded_provider.h"

namespace {

using e2etest::kArray1;
using e2etest::kArray2;

// One array with a known size and devices; WWNs written with separators.
const char kOneArray[] =
    "set version V7.1.0.0\n"
    "host local\n"
    "  hba 10:00:00:00:c9:a0:00:01 port=hba0\n"
    "host backup01 address=10.20.30.41\n"
    "  hba 10-00-00-00-C9-B0-00-01 port=hba0\n"
    "array 000190100011 local\n"
    "  port FA-1A:0\n"
    "  disk D1 size=3072 avail=1024\n"
    "  disk D2 size=1024 avail=0\n"
    "  devices 0040-0041 std size=2048 ports=FA-1A:0\n"
    "  login 10:00:00:00:c9:a0:00:01 FA-1A:0\n"
    "  login 10-00-00-00-C9-B0-00-01 FA-1A:0\n"
    "array 000190100019 remote\n"
    "  port FA-1A:0\n"
    "  device 0040 std size=2048 ports=FA-1A:0\n";

class Discovery : public e2etest::LoadedProvider {
 protected:
  // The command lines run so far with their output option, e.g. "symcfg list -output XML".
  std::vector<std::string> ran() const {
    std::vector<std::string> lines;
    for (const e2etest::LoggedRun& run : runs())
      lines.push_back(run.line() + (run.output.empty() ? "" : " -output " + run.output));
    return lines;
  }
};

}  // namespace

// --- start-up ------------------------------------------------------------------

TEST_F(Discovery, TheFirstEnumerationDiscoversOnceInAttributeFormSizesAreBytesAndHostsHaveWwns) {
  start(kOneArray, false);
  EXPECT_TRUE(ran().empty()) << "init runs no SYMCLI command";
  // 1024 MB available and 4096 MB total; the remote array is not listed.
  EXPECT_EQ("0: 000190100011,000190100011,norvel,EMC,SYMMETRIX,1073741824/4294967296,0",
            enclosures(nullptr));
  const std::vector<std::string> expected = {
      "symcfg discover", "symcli -output XML", "symcfg list -output XML_ATTRIBUTE",
      "symdisk list -sid 000190100011 -output XML_ATTRIBUTE"};
  EXPECT_EQ(expected, ran());
  // Later operations use the arrays found then: no second discovery.
  EXPECT_EQ(
      "0: EMC##SYMMETRIX##000190100011##0040,UDID##EMC##SYMMETRIX##000190100011##0040,"
      "norvel,0/0/1/2147483648 EMC##SYMMETRIX##000190100011##0041,"
      "UDID##EMC##SYMMETRIX##000190100011##0041,norvel,0/0/1/2147483648",
      nodes(L"", 0x10));
  EXPECT_EQ(1u, countCommands("symcfg discover"));
  EXPECT_EQ("symdev -sid 000190100011 -fibre -nobcv list -output XML_ATTRIBUTE", ran().back());
  EXPECT_EQ("", lastError());
  // Host nodes carry bare port WWNs per array.
  sim.admin("set local_host_name thishost");
  EXPECT_EQ("0: backup01@000190100011,10000000C9B00001 thishost@000190100011,10000000C9A00001",
            hosts(L""));
  EXPECT_EQ("symmask -sid 000190100011 list logins -output XML_ATTRIBUTE", ran().back());
  // The simulator prints bare WWNs; made to reply as some arrays do, it prints them with
  // separators.
  sim.reply(
      "--always --tool symmask",
      "<?xml version=\"1.0\" standalone=\"yes\" ?>\n<SymCLI_ML><Symmetrix symid=\"000190100011\">"
      "<Devmask_Login_Record director=\"FA-1A\" port=\"0\">\n"
      "<Login originator_port_wwn=\"10:00:00:00:c9:a0:00:01\" awwn_node_name=\"thishost\" "
      "awwn_port_name=\"hba0\" type=\"Fibre\" logged_in=\"Yes\" on_fabric=\"Yes\"/>\n"
      "<Login originator_port_wwn=\"10-00-00-00-C9-A0-00-02\" awwn_node_name=\"thishost\" "
      "awwn_port_name=\"hba1\" type=\"Fibre\" logged_in=\"Yes\" on_fabric=\"Yes\"/>\n"
      "</Devmask_Login_Record></Symmetrix></SymCLI_ML>\n");
  EXPECT_EQ("0: thishost@000190100011,10000000C9A00002,10000000c9a00001", hosts(L""));
}

TEST_F(Discovery, AShortVersionTextEndsStartUpBeforeTheArraysAreListed) {
  start(std::string(kOneArray) + "set version V6\n", false);
  EXPECT_EQ("1:", enclosures(nullptr));
  const std::vector<std::string> expected = {"symcfg discover", "symcli -output XML"};
  EXPECT_EQ(expected, ran());
  // Start-up fails here, so the user is told why.
  EXPECT_EQ("MSG_ERROR_CLI_COMMAND_FAILED", lastErrorId());
  EXPECT_NE(std::string::npos,
            lastMessage().find("The provider step [delayedInit] failed: symcli -output XML "
                               "printed the version text \"V6\", which holds no version number"))
      << lastMessage();
  // Not retried: the array list stays empty.
  EXPECT_EQ("0:", enclosures(nullptr));
  EXPECT_EQ("0:", nodes(nullptr));
  EXPECT_EQ(expected, ran());
}

// SYMCLI 6.3 is asked for plain XML from its version query on.
TEST_F(Discovery, Version6Point3AndNoLocalArrayIsReportedOnceAndLeavesEmptyAnswers) {
  start("set version V6.3.1.0\narray 000190100019 remote\n  port FA-1A:0\n", false);
  EXPECT_EQ("1:", nodes(nullptr));
  // A message without arguments crosses as an empty record; its text was pushed.
  qlb_msg_info* last = nullptr;
  EXPECT_EQ(0, pgn.get_last_error(&last));
  EXPECT_NE(nullptr, last);
  pgn.del_last_error(&last);
  using namespace ::testing;
  EXPECT_THAT(pushed, Contains(AllOf(Field(&Pushed::severity, QLB_SEV_WARNING),
                                     Field(&Pushed::consumer, HasSubstr("No locally attached")))));

  EXPECT_EQ("0:", hosts(L""));
  EXPECT_EQ("0:", enclosures(nullptr));
  EXPECT_EQ((std::vector<std::string>{"symcfg discover", "symcli -output XML",
                                      "symcfg list -output XML"}),
            ran());
}

// --- filters -----------------------------------------------------------------------

TEST_F(Discovery, AFilterThatExcludesTheProviderRunsNothing) {
  start(std::string(), false);
  EXPECT_EQ("0:", enclosures(L"vendor_id=HDS"));
  EXPECT_EQ("0:", nodes(L"provider_name=", 0x10));
  EXPECT_EQ("0:", hosts(L"product_id=CLARIION"));
  EXPECT_TRUE(ran().empty()) << "no discovery for a filter that excludes the provider";
  // Enclosures leave the caller's outputs alone; nodes hand over an empty list.
  qlb_enclosure_node_list* untouched = reinterpret_cast<qlb_enclosure_node_list*>(&version);
  int count = 7;
  std::wstring filter = L"vendor_id=HDS";
  EXPECT_EQ(0, pgn.enumerate_enclosures(&untouched, &count, &filter[0]));
  EXPECT_EQ(reinterpret_cast<qlb_enclosure_node_list*>(&version), untouched);
  EXPECT_EQ(7, count);
  // Vendor in lower case, and an item without "=", pass.
  EXPECT_EQ(0u, enclosures(L"vendor_id=emc,provider_name").find("0: " + kArray1));
  EXPECT_EQ(1u, countCommands("symcfg discover"));
}

TEST_F(Discovery, EnclosureAndUdidFiltersSelectAndWhatCannotMatchIsReported) {
  start();
  const std::string second = enclosures(L" enclosure_name = 000190100002");
  EXPECT_EQ(0u, second.find("0: " + kArray2 + "," + kArray2 + ",norvel,EMC,SYMMETRIX,"));
  EXPECT_EQ(std::string::npos, second.find(kArray1));
  EXPECT_EQ("", lastError()) << "a filter that matches says nothing";
  // An array that is not attached, an attribute nobody knows, another vendor: each is a warning;
  // only the device listing also fails.
  const struct {
    char list;  // enclosures, hosts or nodes
    const wchar_t* filter;
    const char* result;
    const char* warning;
  } cases[] = {
      {'e', L"enclosure_id=000199999999", "0:", "MSG_ERROR_FILTER_MATCHES_NOTHING"},
      {'h', L"enclosure_id=000199999999", "0:", "MSG_ERROR_FILTER_MATCHES_NOTHING"},
      {'n', L"enclosure_id=000199999999", "3:", "MSG_ERROR_FILTER_MATCHES_NOTHING"},
      {'e', L"colour=blue", "0:", "MSG_ERROR_FILTER_UNKNOWN_ATTRIBUTE"},
      {'n', L"vendor_id=HDS", "0:", "MSG_ERROR_FILTER_MATCHES_NOTHING"},
  };
  for (const auto& c : cases) {
    const std::string listed = c.list == 'e'   ? enclosures(c.filter)
                               : c.list == 'h' ? hosts(c.filter)
                                               : nodes(c.filter);
    EXPECT_EQ(0u, listed.find(c.result)) << listed;
    EXPECT_EQ(c.warning, lastErrorId()) << listed;  // reading it clears it
  }
  EXPECT_LT(0, traced("Could not find the specified enclosure."));
  EXPECT_LT(0, traced("No array 000199999999 is attached to this host (local arrays: " + kArray1 +
                      ", " + kArray2 + ")."));

  const std::string devices = nodes(L"enclosure_id=000190100002", 0x10);
  EXPECT_EQ(0u, devices.find("0: EMC##SYMMETRIX##000190100002##0200,"));
  EXPECT_EQ(std::string::npos, devices.find(kArray1));
  EXPECT_EQ(std::string::npos, devices.find("##0280,")) << "BCVs are not listed";
  // A UDID filter lists exactly that device, whatever the other filters.
  EXPECT_EQ(
      "0: EMC##SYMMETRIX##000190100001##0040,UDID##EMC##SYMMETRIX##000190100001##0040,"
      "norvel,0/0/1/2147483648",
      nodes(L"enclosure_id=000190100002,udid=UDID##EMC##symmetrix##000190100001##0040", 0x90));
  EXPECT_EQ("symdev -sid 000190100001 show 0040 -output XML_ATTRIBUTE", ran().back());

  const size_t before = ran().size();
  EXPECT_EQ("0:", nodes(L"udid=UDID##HDS##SYMMETRIX##000190100001##0040"));
  EXPECT_LT(0, traced("Warning:vendor id [HDS] in udid, specified as filter, doesn't match the "
                      "array vendor"));
  EXPECT_EQ(before, ran().size());

  // A device the array does not have: the failed command is reported.
  EXPECT_EQ("6:", nodes(L"udid=UDID##EMC##SYMMETRIX##000190100001##0FFF"));
  EXPECT_EQ("MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION", lastErrorId());
}

TEST_F(Discovery, FlagsChooseWhetherDevicesAreListedAndAFailingArrayIsSkipped) {
  start();
  qlb_node_list* untouched = reinterpret_cast<qlb_node_list*>(&version);
  int count = 5;
  EXPECT_EQ(0, pgn.enumerate_nodes(&untouched, &count, 0x20, nullptr));
  EXPECT_EQ(reinterpret_cast<qlb_node_list*>(&version), untouched);
  EXPECT_EQ(5, count);
  EXPECT_EQ(0, traced("CEmcSymPlugin::enumerateNodes"));
  EXPECT_TRUE(ran().empty());
  // 0x80 leaves out every device, whose mark is never set.
  EXPECT_EQ("0:", nodes(nullptr, 0x10 | 0x80));
  // 0x40 leaves out marked devices: none.
  const std::string all = nodes(nullptr, 0x40 | 0x10);
  EXPECT_NE(std::string::npos, all.find("##000190100001##0040,"));
  EXPECT_NE(std::string::npos, all.find("##000190100002##0303,"));
  // A failing device list keeps the devices of earlier arrays.
  sim.admin("fault add noxml --tool symdev --sid " + kArray2);
  const std::string partial = nodes(nullptr);
  EXPECT_EQ(0u, partial.find("6: EMC##SYMMETRIX##000190100001##0040,"));
  EXPECT_EQ(std::string::npos, partial.find(kArray2));
  EXPECT_EQ("MSG_ERROR_CLI_COMMAND_FAILED", lastErrorId());
  // A host query that fails skips only that array.
  sim.admin("fault clear");
  sim.admin("fault add fail --tool symmask --sid " + kArray1 + " --message refused");
  const std::string listed = hosts(L"");
  EXPECT_EQ(std::string::npos, listed.find("@" + kArray1));
  EXPECT_NE(std::string::npos, listed.find("@" + kArray2 + ",10000000C9A00001,10000000C9A00002"));
  EXPECT_EQ(0u, listed.find("0: "));
}
