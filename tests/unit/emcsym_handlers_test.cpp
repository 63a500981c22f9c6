// SYMCLI output handlers on documents as the tools print them, stray lines included.
#include "emcsym_handlers.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cfisaxparser.h"

using quelb_pdk_4_4::CFiSaxParser;

namespace {

const char kDeclaration[] = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n";

// The handler's result for the tool's output as cleanXML leaves it: the stray lines around the
// document blank.
template <class Handler>
auto resultOf(const std::string& body) {
  Handler handler;
  std::vector<std::string> lines{""};
  std::istringstream in(kDeclaration + ("<SymCLI_ML>" + body + "\n</SymCLI_ML>"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  lines.insert(lines.end(), 2, "");
  CFiSaxParser parser(&handler);
  parser.parse(lines);
  return handler.getResult();
}

std::string dpText(const std::vector<SEmcSymDirectorPort>& list) {
  std::string text;
  for (const SEmcSymDirectorPort& p : list) text += p.director + ":" + p.port + " ";
  return text;
}

// The fields of each record of a list, joined by "|", one string per record.
template <class List, class Fields>
std::vector<std::string> rows(const List& list, Fields fields) {
  std::vector<std::string> out;
  for (const auto& record : list) {
    std::string row;
    for (const std::string& field : fields(record)) row += (row.empty() ? "" : "|") + field;
    out.push_back(row);
  }
  return out;
}
using Rows = std::vector<std::string>;
using Fields = std::vector<std::string>;

}  // namespace

TEST(SymHandlers, DirectorNormalisation) {
  for (const auto& c : std::vector<std::pair<const char*, const char*>>{
           {"FA-4A", "04A"}, {"FA-14A", "14A"}, {"16B", "16B"}, {"SE-1-2", "1-2"}, {"FA-", ""}})
    EXPECT_EQ(emcSymNormaliseDirector(c.first), c.second) << c.first;
}

// Digits are read straight from the parser's text; every other form must
// still convert as CFiStringTool::str2uint does, and an empty value keeps
// the previous device's capacity.
TEST(SymHandlers, DevShowCapacityConvertsAsTheKitDoes) {
  const char* inputs[] = {"8632", "999999999", "4294967295", "4294967296", " 12", "12abc",
                          "N/A",  "-5",        "",           "7",          ""};
  std::string body = "<Symmetrix symid=\"000190101234\">\n";
  for (const char* input : inputs)
    body +=
        "<Device dev_name=\"0001\"><Capacity megabytes=\"" + std::string(input) + "\"/></Device>\n";
  std::string read;
  for (const auto& device : resultOf<CEmcSymDevShowHandler>(body + "</Symmetrix>"))
    read += std::to_string(device.capacityMegabytes) + " ";
  EXPECT_EQ(read, "8632 999999999 4294967295 4294967295 12 12 0 0 0 7 7 ");
}

TEST(SymHandlers, LocksVersionsAndCapacityPorts) {
  EXPECT_EQ(resultOf<CEmcSymLockQueryHandler>(R"xml(
  <Symmetrix>
    <Symm_Info symid="000190101234"/>
    <Lock number="N/A" status="Locked" usage="N/A"/>
    <Lock number="4" status="Unlocked" usage="N/A"/>
    <Lock number="15" status="Locked" usage="Config change" time="Mon Jan 12 10:00:01 2026"/>
    <Lock status="Locked" number="7"/>
    <Lock number="3" status="Locked"/>
  </Symmetrix>)xml"),
            (std::set<int>{3, 7, 15}));
  // The version from the element's text alone (with its attribute too: Discovery, e2e).
  EXPECT_EQ(resultOf<CEmcSymVersionHandler>(R"xml(
  <SYMCLI>
    <version>V6.4.2.0</version>
    <build>N/A</build>
  </SYMCLI>)xml"),
            "V6.4.2.0");
  EXPECT_EQ(resultOf<CEmcSymMaskdbListCapacityHandler>(R"xml(
  <Symmetrix symid="000190101234">
    <Host name="hosta">
      <Originator_port wwn="10000000c9aaaa01" capacity="8632"/>
      <ORIGINATOR_PORT WWN="10000000c9aaaa02" capacity="N/A"/>
    </Host>
  </Symmetrix>)xml"),
            (std::vector<std::string>{"10000000c9aaaa01", "10000000c9aaaa02"}));
}

TEST(SymHandlers, MaskDatabaseNodeNamesAndTheirPortNames) {
  const std::string document = R"xml(
  <Symmetrix symid="000190101234">
    <Db_Record originator_port_wwn="10000000c9aaaa01" awwn_node_name="hosta.example.com" awwn_port_name="hba1"/>
    <Db_Record originator_port_wwn="10000000c9aaaa02" AWWN_NODE_NAME="hosta.example.com" awwn_port_name="hba2"/>
    <Db_Record originator_port_wwn="10000000c9bbbb01" awwn_node_name="hosta" awwn_port_name="N/A"/>
    <Db_Record originator_port_wwn="10000000c9cccc01" awwn_node_name="hostb" awwn_port_name="hbb"/>
  </Symmetrix>)xml";
  EXPECT_EQ(resultOf<CEmcSymMaskdbListDatabaseHandler>(document),
            (std::vector<std::string>{"hosta.example.com", "hosta", "hostb"}));
  EXPECT_EQ(resultOf<CEmcSymMaskDbHandler>(document),
            (std::map<std::string, std::vector<std::string>>{
                {"hosta.example.com", {"hba1", "hba2"}}, {"hosta", {"N/A"}}, {"hostb", {"hbb"}}}));
}

// Local arrays (the later id attribute wins), disks (each record cleared), HBAs with the array's
// id, assignments with normalised directors. The mirror query's pairs, as the arrays print them:
// SnapshotMethods (e2e), TimeFinderTest (provider).
TEST(SymHandlers, RecordListsKeepEveryRecordWhateverTheCaseOfItsNames) {
  EXPECT_EQ(rows(resultOf<CEmcSymCfgListHandler>(R"xml(
  <Symmetrix id="000190101234" attachment="Local" model="DMX3-24" microcode_version="5773" cache_megabytes="65536" physical_devices="238" devices="162"/>
  <Symmetrix id="000190109999" attachment="Remote" model="DMX3-24" microcode_version="5773"/>
  <Symmetrix id="000187400111" symid="000187400222" attachment="Local" model="3300" microcode_version="5267"/>)xml"),
                 [](const SEmcSymArrayInfo& a) {
                   return Fields{a.symid, a.model, a.microcodeVersion, a.local ? "local" : "remote",
                                 std::to_string(a.availableStorage)};
                 }),
            (Rows{"000190101234|DMX3-24|5773|local|0", "000187400222|3300|5267|local|0"}));

  EXPECT_EQ(rows(resultOf<CEmcSymMaskDiskHandler>(R"xml(
  <Symmetrix symid="000190101234">
    <Disk ident="DF-1A" megabytes="140014" avail_megabytes="2048"/>
    <DISK IDENT="DF-16B" MEGABYTES="140014"/>
  </Symmetrix>)xml"),
                 [](const SEmcSymDiskInfo& d) {
                   return Fields{d.ident, d.megabytes, d.availMegabytes};
                 }),
            (Rows{"DF-1A|140014|2048", "DF-16B|140014|"}));

  EXPECT_EQ(rows(resultOf<CEmcSymMaskHbaHandler>(R"xml(
  <Symmetrix id="000190101234">
    <Host_HBA WWN="10000000c9aaaa01" awwn_node_name="hosta" awwn_port_name="10000000c9aaaa01"/>
    <host_hba wwn="10000000c9aaaa02" AWWN_NODE_NAME="hosta" Awwn_Port_Name="hba2"/>
  </Symmetrix>)xml"),
                 [](const SEmcSymHbaInfo& h) {
                   return Fields{h.symid, h.wwn, h.hostNodeName, h.hostPortName};
                 }),
            (Rows{"000190101234|10000000c9aaaa01|hosta|10000000c9aaaa01",
                  "000190101234|10000000c9aaaa02|hosta|hba2"}));

  EXPECT_EQ(
      rows(resultOf<CEmcSymMaskdbListAssignmentHandler>(R"xml(
  <Symmetrix symid="000190101234">
    <Device number="0ABC" Director="FA-4A" Port="0" port_wwn="10000000c9aaaa01"/>
    <device number="0ABC" Director="FA-14A" Port="1" port_wwn="10000000c9aaaa02"/>
  </Symmetrix>
  <SYMMETRIX id="000190105678">
    <Device number="0001" Director="16B" Port="0" port_wwn="10000000c9aaaa01"/>
  </SYMMETRIX>)xml"),
           [](const SEmcSymAssignment& a) {
             return Fields{a.symid, a.devNumber, a.director, a.port, a.portWwn};
           }),
      (Rows{"000190101234|0ABC|04A|0|10000000c9aaaa01", "000190101234|0ABC|14A|1|10000000c9aaaa02",
            "000190105678|0001|16B|0|10000000c9aaaa01"}));
}

TEST(SymHandlers, DevShowReadsPortsPairsSessionsAndSkipsMetaMembers) {
  const auto devices = resultOf<CEmcSymDevShowHandler>(R"xml(
  <Symmetrix symid="000190101234">
    <Device pd_name="/dev/sdb" ld_name="N/A" dev_name="0ABC" device_group="proddg" status="Ready" attached_bcv="0DEF" emulation="FBA">
      <Capacity cylinders="9207" megabytes="8632"/>
      <Front_End>
        <Port director="FA-4A" port="0"/>
        <Port DIRECTOR="FA-14A" PORT="1"/>
        <Port director="FA-4A" port="1"/>
      </Front_End>
      <Meta>
        <Device pd_name="N/A" dev_name="0ABD" status="Ready"/>
        <Port director="FA-9A" port="0"/>
        <Capacity megabytes="1"/>
      </Meta>
      <BCV_Pair state="Split" last_action="Split" state_flags="N/A">
        <STD dev_name="0ABC" dgroup="proddg" status="Ready" invalids="0"/>
        <BCV dev_name="0DEF" dgroup="proddg" status="Ready" invalids="12"/>
      </BCV_Pair>
      <CLONE_Device state="Copied" last_action="Create" clone_state_flags="X." percent_copied="100">
        <SRC dev_name="0ABC"/>
        <TGT dev_name="0E00"/>
      </CLONE_Device>
      <SNAP_Device state="CopyOnWrite" last_action="Activate" snap_state_flags="..X" percent_copied="2">
        <SRC dev_name="0ABC"/>
        <TGT dev_name="0F00"/>
      </SNAP_Device>
    </Device>
    <Device ld_name="DEV002" dev_name="0AC4" device_group="N/A" status="Not Ready" attached_bcv="N/A">
    </Device>
  </Symmetrix>)xml");
  // The next device starts with empty lists but keeps fields it does not
  // print itself (pd_name, capacity).
  const auto sessions = [](const std::vector<SEmcSymSessionInfo>& list) {
    return rows(list, [](const SEmcSymSessionInfo& s) {
      return Fields{s.state,         s.lastAction, s.stateFlags,
                    s.percentCopied, s.srcDevName, s.tgtDevName};
    });
  };
  EXPECT_EQ(rows(devices,
                 [&](const SEmcSymDevInfo& d) {
                   std::string ports;
                   for (const auto& p : d.ports)
                     for (const std::string& port : p.second) ports += p.first + ":" + port + " ";
                   Fields f{d.symid,       d.pdName,
                            d.ldName,      d.devName,
                            d.devGroup,    d.status,
                            d.attachedBcv, std::to_string(d.capacityMegabytes),
                            ports,         d.deviceMark ? "marked" : ""};
                   for (const SEmcSymPairInfo& p : d.pairs)
                     f.push_back(p.pairState + "," + p.lastAction + "," + p.stdDevName + "," +
                                 p.stdDevGroup + "," + p.bcvDevName + "," + p.bcvDevInvalids);
                   for (const std::string& s : sessions(d.clones)) f.push_back("clone " + s);
                   for (const std::string& s : sessions(d.snaps)) f.push_back("snap " + s);
                   return f;
                 }),
            (Rows{"000190101234|/dev/sdb|N/A|0ABC|proddg|Ready|0DEF|8632|04A:0 04A:1 14A:1 ||"
                  "Split,Split,0ABC,proddg,0DEF,12|clone Copied|Create|X.|100|0ABC|0E00|"
                  "snap CopyOnWrite|Activate|..X|2|0ABC|0F00",
                  "000190101234|/dev/sdb|DEV002|0AC4|N/A|Not Ready|N/A|8632||"}));
}

TEST(SymHandlers, LoginsGroupByHostAndDropUnusableOnes) {
  const auto hosts = resultOf<CEmcSymMaskListLoginHandler>(R"xml(
  <Symmetrix symid="000190101234">
    <Devmask_Login_Record director="FA-4A" port="0">
      <Login originator_port_wwn="10000000c9aaaa01" awwn_node_name="hosta" awwn_port_name="10000000c9aaaa01" type="Fibre" logged_in="Yes" on_fabric="Yes"/>
      <Login originator_port_wwn="10000000c9bbbb01" awwn_node_name="NULL" awwn_port_name="NULL" type="Fibre" logged_in="Yes" on_fabric="Yes"/>
      <Login originator_port_wwn="10000000c9cccc01" awwn_node_name="10000000c9cccc01" awwn_port_name="10000000c9cccc01" type="Fibre" logged_in="No" on_fabric="Yes"/>
      <Login originator_port_wwn="iqn.1991-05.com.example:hostb" awwn_node_name="hostb" awwn_port_name="N/A" type="iSCSI" logged_in="Yes" on_fabric="N/A"/>
    </Devmask_Login_Record>
    <DEVMASK_LOGIN_RECORD DIRECTOR="FA-14A" PORT="1">
      <LOGIN ORIGINATOR_PORT_WWN="10000000c9aaaa01" AWWN_NODE_NAME="hosta" AWWN_PORT_NAME="10000000c9aaaa01" TYPE="Fibre" LOGGED_IN="No" ON_FABRIC="No"/>
      <Login originator_port_wwn="10000000c9aaaa02" awwn_node_name="hosta" awwn_port_name="hba2" type="Fibre" logged_in="No" on_fabric="No"/>
      <Login originator_port_wwn="10000000c9dddd01" awwn_node_name="hostc" awwn_port_name="hbac" type="Fibre" logged_in="No" on_fabric="No"/>
    </DEVMASK_LOGIN_RECORD>
  </Symmetrix>)xml");
  std::string names;
  for (const auto& host : hosts) names += host.first + " ";
  ASSERT_EQ(names, "hosta hostc ");
  const SEmcSymMaskHostInfo& hosta = hosts.at("hosta");
  EXPECT_EQ(hosta.symid + "|" + hosta.hostNodeName, "000190101234|hosta");
  // Once set, the flags stay set for later logins of the same listing.
  EXPECT_EQ(rows(hosta.logins,
                 [](const std::pair<const std::string, SEmcSymMaskHbaInfo>& l) {
                   const SEmcSymMaskHbaInfo& h = l.second;
                   return Fields{l.first,
                                 h.awwnPortName,
                                 h.type,
                                 h.loggedIn ? "in" : "out",
                                 h.onFabric ? "fabric" : "-",
                                 dpText(h.directorPorts)};
                 }),
            (Rows{"10000000c9aaaa01|10000000c9aaaa01|Fibre|in|fabric|04A:0 14A:1 ",
                  "10000000c9aaaa02|hba2|Fibre|in|fabric|14A:1 "}));
  EXPECT_TRUE(hosta.findEntry("10000000c9aaaa01", "04A", "0"));
  EXPECT_TRUE(hosta.findEntry("10000000c9aaaa01", "14a", "1"));   // director case ignored
  EXPECT_FALSE(hosta.findEntry("10000000c9aaaa01", "04A", "1"));  // pairs, not parts
  EXPECT_FALSE(hosta.findEntry("10000000C9AAAA01", "04A", "0"));  // the WWN key is exact
}

// Director ports per host address (directors normalised, a host seen twice
// collects both) and per HBA (directors as printed).
TEST(SymHandlers, DirectorPortsPerHostAddressAndPerHba) {
  const auto text = [](const std::map<std::string, std::vector<SEmcSymDirectorPort>>& ports) {
    std::string all;
    for (const auto& entry : ports) all += entry.first + " " + dpText(entry.second) + "| ";
    return all;
  };
  EXPECT_EQ(text(resultOf<CEmcSymCfgListConnectionHandler>(R"xml(
  <Symmetrix symid="000190101234">
    <Host address="10.1.2.3" node_name="hosta">
      <Connection director="FA-4A" port="0"/>
      <CONNECTION director="FA-14A" PORT="1"/>
    </Host>
    <host address="10.1.2.4" node_name="hostb">
      <Connection director="FA-3B" port="0"/>
    </host>
    <Host address="10.1.2.3" node_name="hosta">
      <Connection director="16B" port="1"/>
    </Host>
  </Symmetrix>)xml")),
            "10.1.2.3 04A:0 14A:1 16B:1 | 10.1.2.4 03B:0 | ");
  EXPECT_EQ(text(resultOf<CEmcSymMaskListHbaHandler>(R"xml(
  <Host_HBA WWN="10000000c9aaaa01" awwn_node_name="hosta">
    <Port director="FA-4A" port="0"/>
    <PORT director="FA-14A" port="1"/>
  </Host_HBA>
  <host_hba WWN="10000000c9aaaa02">
    <Port director="FA-4A" port="1"/>
  </host_hba>)xml")),
            "10000000c9aaaa01 FA-4A:0 FA-14A:1 | 10000000c9aaaa02 FA-4A:1 | ");
}
