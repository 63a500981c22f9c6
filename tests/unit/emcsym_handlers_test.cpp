// SYMCLI output handlers on documents as the tools print them: XML
// declaration, two-space indentation, attribute form, "N/A" for absent
// values, and stray lines around the document (blanked before parsing, as
// the runner does).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <xercesc/sax/SAXParseException.hpp>

#include "cfisaxparser.h"
#include "emcsym_handlers.h"

using quelb_pdk_4_4::CFiSaxParser;
using xercesc::SAXParseException;

namespace {

const char kDeclaration[] = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n";

// The tool's output: a stray line, the document, a stray line; lines
// outside the document are blanked and the rest joined as the parser does.
template <class Handler>
void parseToolOutput(Handler& handler, const std::string& body) {
  std::vector<std::string> lines{"Symmetrix ID: 000190101234 (stray banner)"};
  std::istringstream in(kDeclaration + body);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  lines.push_back("");
  lines.push_back("Command completed (stray trailer).");
  bool inDocument = false;
  for (std::string& line : lines) {
    if (line.find("<?xml") != std::string::npos) inDocument = true;
    bool last = line.find("</SymCLI_ML") != std::string::npos;
    if (!inDocument) line.clear();
    if (last) inDocument = false;
  }
  CFiSaxParser parser(&handler);
  parser.parse(lines);
}

std::string dpText(const std::vector<SEmcSymDirectorPort>& list) {
  std::string text;
  for (const SEmcSymDirectorPort& p : list) text += p.director + ":" + p.port + " ";
  return text;
}

}  // namespace

TEST(SymHandlers, DirectorNormalisation) {
  EXPECT_EQ(emcSymNormaliseDirector("FA-4A"), "04A");
  EXPECT_EQ(emcSymNormaliseDirector("FA-14A"), "14A");
  EXPECT_EQ(emcSymNormaliseDirector("16B"), "16B");
  EXPECT_EQ(emcSymNormaliseDirector("SE-1-2"), "1-2");
  EXPECT_EQ(emcSymNormaliseDirector("FA-"), "");
}

TEST(SymHandlers, LockQueryKeepsHeldNumberedLocksOnly) {
  CEmcSymLockQueryHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
  <Symmetrix>
    <Symm_Info symid="000190101234"/>
    <Lock number="N/A" status="Locked" usage="N/A"/>
    <Lock number="4" status="Unlocked" usage="N/A"/>
    <Lock number="15" status="Locked" usage="Config change" time="Mon Jan 12 10:00:01 2026"/>
    <Lock status="Locked" number="7"/>
    <Lock number="3" status="Locked"/>
  </Symmetrix>
</SymCLI_ML>)xml");
  EXPECT_EQ(handler.getResult(), (std::set<int>{3, 7, 15}));
}

TEST(SymHandlers, MirQueryListsEveryPair) {
  CEmcSymMirQueryHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
  <DG>
    <DG_Info name="proddg" type="REGULAR"/>
    <Device symmetrix="000190101234">
      <BCV_Pair state="Split" invalid_tracks="0">
        <STD dev_name="0ABC" ld_name="DEV001"/>
        <BCV dev_name="0DEF" ld_name="BCV001"/>
      </BCV_Pair>
    </Device>
    <Device symmetrix="000190105678">
      <BCV_Pair state="SyncInProg">
        <STD dev_name="0AC0"/>
        <BCV dev_name="0DF0"/>
      </BCV_Pair>
    </Device>
  </DG>
</SymCLI_ML>)xml");
  const std::vector<SEmcSymPairInfo>& pairs = handler.getResult();
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].symid, "000190101234");
  EXPECT_EQ(pairs[0].pairState, "Split");
  EXPECT_EQ(pairs[0].stdDevName, "0ABC");
  EXPECT_EQ(pairs[0].bcvDevName, "0DEF");
  EXPECT_EQ(pairs[1].symid, "000190105678");
  EXPECT_EQ(pairs[1].pairState, "SyncInProg");
  EXPECT_EQ(pairs[1].stdDevName, "0AC0");
  EXPECT_EQ(pairs[1].bcvDevName, "0DF0");
}

TEST(SymHandlers, MaskdbDatabaseListsEachNodeNameOnce) {
  CEmcSymMaskdbListDatabaseHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
  <Symmetrix symid="000190101234">
    <Db_Record originator_port_wwn="10000000c9aaaa01" awwn_node_name="hosta.example.com"/>
    <db_record originator_port_wwn="10000000c9aaaa02" AWWN_NODE_NAME="hosta.example.com"/>
    <Db_Record originator_port_wwn="10000000c9bbbb01" awwn_node_name="hosta"/>
    <Db_Record originator_port_wwn="10000000c9cccc01" awwn_node_name="hostb"/>
  </Symmetrix>
</SymCLI_ML>)xml");
  EXPECT_EQ(handler.getResult(),
            (std::vector<std::string>{"hosta.example.com", "hosta", "hostb"}));
}

TEST(SymHandlers, VersionFromAttributeOrText) {
  CEmcSymVersionHandler attribute;
  parseToolOutput(attribute, R"xml(<SymCLI_ML>
  <SYMCLI version="V7.3-1214 (0.0)" build="N/A"/>
</SymCLI_ML>)xml");
  EXPECT_EQ(attribute.getResult(), "V7.3-1214 (0.0)");

  CEmcSymVersionHandler text;
  parseToolOutput(text, R"xml(<SymCLI_ML>
  <SYMCLI>
    <version>V6.4.2.0</version>
    <build>N/A</build>
  </SYMCLI>
</SymCLI_ML>)xml");
  EXPECT_EQ(text.getResult(), "V6.4.2.0");
}

TEST(SymHandlers, CfgListKeepsLocalArraysAndTheLaterIdAttribute) {
  CEmcSymCfgListHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
  <Symmetrix id="000190101234" attachment="Local" model="DMX3-24" microcode_version="5773" cache_megabytes="65536" physical_devices="238" devices="162"/>
  <Symmetrix id="000190109999" attachment="Remote" model="DMX3-24" microcode_version="5773"/>
  <Symmetrix id="000187400111" symid="000187400222" attachment="Local" model="3300" microcode_version="5267"/>
</SymCLI_ML>)xml");
  const std::vector<SEmcSymArrayInfo>& arrays = handler.getResult();
  ASSERT_EQ(arrays.size(), 2u);
  EXPECT_EQ(arrays[0].symid, "000190101234");
  EXPECT_EQ(arrays[0].model, "DMX3-24");
  EXPECT_EQ(arrays[0].microcodeVersion, "5773");
  EXPECT_TRUE(arrays[0].local);
  EXPECT_EQ(arrays[1].symid, "000187400222");
  EXPECT_EQ(arrays[1].model, "3300");
  EXPECT_EQ(arrays[1].availableStorage, 0u);
}

TEST(SymHandlers, DiskListClearsEachRecord) {
  CEmcSymMaskDiskHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
  <Symmetrix symid="000190101234">
    <Disk ident="DF-1A" megabytes="140014" avail_megabytes="2048"/>
    <DISK IDENT="DF-16B" MEGABYTES="140014"/>
  </Symmetrix>
</SymCLI_ML>)xml");
  const std::vector<SEmcSymDiskInfo>& disks = handler.getResult();
  ASSERT_EQ(disks.size(), 2u);
  EXPECT_EQ(disks[0].ident, "DF-1A");
  EXPECT_EQ(disks[0].availMegabytes, "2048");
  EXPECT_EQ(disks[1].ident, "DF-16B");
  EXPECT_EQ(disks[1].megabytes, "140014");
  EXPECT_EQ(disks[1].availMegabytes, "");
}

TEST(SymHandlers, HbaDiscoveryCarriesTheArrayId) {
  CEmcSymMaskHbaHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
  <Symmetrix id="000190101234">
    <Host_HBA WWN="10000000c9aaaa01" awwn_node_name="hosta" awwn_port_name="10000000c9aaaa01"/>
    <host_hba wwn="10000000c9aaaa02" AWWN_NODE_NAME="hosta" Awwn_Port_Name="hba2"/>
  </Symmetrix>
</SymCLI_ML>)xml");
  const std::vector<SEmcSymHbaInfo>& hbas = handler.getResult();
  ASSERT_EQ(hbas.size(), 2u);
  EXPECT_EQ(hbas[0].symid, "000190101234");
  EXPECT_EQ(hbas[0].wwn, "10000000c9aaaa01");
  EXPECT_EQ(hbas[1].symid, "000190101234");
  EXPECT_EQ(hbas[1].wwn, "10000000c9aaaa02");
  EXPECT_EQ(hbas[1].hostNodeName, "hosta");
  EXPECT_EQ(hbas[1].hostPortName, "hba2");
}

TEST(SymHandlers, AssignmentsNormaliseDirectors) {
  CEmcSymMaskdbListAssignmentHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
  <Symmetrix symid="000190101234">
    <Device number="0ABC" Director="FA-4A" Port="0" port_wwn="10000000c9aaaa01"/>
    <device number="0ABC" Director="FA-14A" Port="1" port_wwn="10000000c9aaaa02"/>
  </Symmetrix>
  <SYMMETRIX id="000190105678">
    <Device number="0001" Director="16B" Port="0" port_wwn="10000000c9aaaa01"/>
  </SYMMETRIX>
</SymCLI_ML>)xml");
  const std::vector<SEmcSymAssignment>& list = handler.getResult();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].symid, "000190101234");
  EXPECT_EQ(list[0].devNumber, "0ABC");
  EXPECT_EQ(list[0].director, "04A");
  EXPECT_EQ(list[0].port, "0");
  EXPECT_EQ(list[0].portWwn, "10000000c9aaaa01");
  EXPECT_EQ(list[1].director, "14A");
  EXPECT_EQ(list[2].symid, "000190105678");
  EXPECT_EQ(list[2].director, "16B");
}

TEST(SymHandlers, DevShowReadsPortsPairsSessionsAndSkipsMetaMembers) {
  CEmcSymDevShowHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
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
  </Symmetrix>
</SymCLI_ML>)xml");
  const std::deque<SEmcSymDevInfo>& devices = handler.getResult();
  ASSERT_EQ(devices.size(), 2u);
  const SEmcSymDevInfo& first = devices[0];
  EXPECT_EQ(first.symid, "000190101234");
  EXPECT_EQ(first.pdName, "/dev/sdb");
  EXPECT_EQ(first.ldName, "N/A");
  EXPECT_EQ(first.devName, "0ABC");
  EXPECT_EQ(first.devGroup, "proddg");
  EXPECT_EQ(first.status, "Ready");
  EXPECT_EQ(first.attachedBcv, "0DEF");
  EXPECT_EQ(first.capacityMegabytes, 8632u);
  EXPECT_EQ(first.ports, (std::map<std::string, std::vector<std::string> >{{"04A", {"0", "1"}},
                                                                           {"14A", {"1"}}}));
  ASSERT_EQ(first.pairs.size(), 1u);
  EXPECT_EQ(first.pairs[0].pairState, "Split");
  EXPECT_EQ(first.pairs[0].lastAction, "Split");
  EXPECT_EQ(first.pairs[0].stdDevName, "0ABC");
  EXPECT_EQ(first.pairs[0].stdDevGroup, "proddg");
  EXPECT_EQ(first.pairs[0].bcvDevName, "0DEF");
  EXPECT_EQ(first.pairs[0].bcvDevInvalids, "12");
  ASSERT_EQ(first.clones.size(), 1u);
  EXPECT_EQ(first.clones[0].state, "Copied");
  EXPECT_EQ(first.clones[0].stateFlags, "X.");
  EXPECT_EQ(first.clones[0].percentCopied, "100");
  EXPECT_EQ(first.clones[0].srcDevName, "0ABC");
  EXPECT_EQ(first.clones[0].tgtDevName, "0E00");
  ASSERT_EQ(first.snaps.size(), 1u);
  EXPECT_EQ(first.snaps[0].state, "CopyOnWrite");
  EXPECT_EQ(first.snaps[0].lastAction, "Activate");
  EXPECT_EQ(first.snaps[0].stateFlags, "..X");
  EXPECT_EQ(first.snaps[0].tgtDevName, "0F00");

  // The next device starts with empty lists but keeps fields it does not
  // print itself.
  const SEmcSymDevInfo& second = devices[1];
  EXPECT_EQ(second.devName, "0AC4");
  EXPECT_EQ(second.ldName, "DEV002");
  EXPECT_EQ(second.status, "Not Ready");
  EXPECT_EQ(second.pdName, "/dev/sdb");
  EXPECT_EQ(second.capacityMegabytes, 8632u);
  EXPECT_TRUE(second.pairs.empty());
  EXPECT_TRUE(second.clones.empty());
  EXPECT_TRUE(second.snaps.empty());
  EXPECT_TRUE(second.ports.empty());
  EXPECT_FALSE(second.deviceMark);
}

TEST(SymHandlers, LoginsGroupByHostAndDropUnusableOnes) {
  CEmcSymMaskListLoginHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
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
  </Symmetrix>
</SymCLI_ML>)xml");
  const std::map<std::string, SEmcSymMaskHostInfo>& hosts = handler.getResult();
  ASSERT_EQ(hosts.size(), 2u);
  ASSERT_EQ(hosts.count("hosta"), 1u);
  const SEmcSymMaskHostInfo& hosta = hosts.at("hosta");
  EXPECT_EQ(hosta.symid, "000190101234");
  EXPECT_EQ(hosta.hostNodeName, "hosta");
  ASSERT_EQ(hosta.logins.size(), 2u);
  const SEmcSymMaskHbaInfo& first = hosta.logins.at("10000000c9aaaa01");
  EXPECT_EQ(first.awwnPortName, "10000000c9aaaa01");
  EXPECT_EQ(first.type, "Fibre");
  EXPECT_TRUE(first.loggedIn);
  EXPECT_TRUE(first.onFabric);
  EXPECT_EQ(dpText(first.directorPorts), "04A:0 14A:1 ");
  const SEmcSymMaskHbaInfo& second = hosta.logins.at("10000000c9aaaa02");
  EXPECT_EQ(second.awwnPortName, "hba2");
  EXPECT_EQ(dpText(second.directorPorts), "14A:1 ");
  // Once set, the flags stay set for later logins of the same listing.
  EXPECT_TRUE(second.loggedIn);
  EXPECT_EQ(hosts.count("hostc"), 1u);
  EXPECT_EQ(hosts.count("hostb"), 0u);
  EXPECT_EQ(hosts.count("NULL"), 0u);
  EXPECT_EQ(hosts.count("10000000c9cccc01"), 0u);
}

TEST(SymHandlers, MaskDbMapsNodesToPortNames) {
  CEmcSymMaskDbHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
  <Symmetrix symid="000190101234">
    <Db_Record originator_port_wwn="10000000c9aaaa01" awwn_node_name="hosta" awwn_port_name="hba1"/>
    <Db_Record originator_port_wwn="10000000c9aaaa02" awwn_node_name="hosta" awwn_port_name="hba2"/>
    <Db_Record originator_port_wwn="10000000c9bbbb01" awwn_node_name="hostb" awwn_port_name="N/A"/>
  </Symmetrix>
</SymCLI_ML>)xml");
  EXPECT_EQ(handler.getResult(),
            (std::map<std::string, std::vector<std::string> >{{"hosta", {"hba1", "hba2"}},
                                                              {"hostb", {"N/A"}}}));
}

TEST(SymHandlers, CloneAndSnapQueriesReadTheirStateAttribute) {
  const std::string document = R"xml(<SymCLI_ML>
  <DG name="proddg">
    <Session state="CopyInProg" snap_state="CopyOnWrite" percent="50">
      <Source dev_name="0ABC"/>
      <Target dev_name="0E00"/>
    </Session>
  </DG>
</SymCLI_ML>)xml";
  CEmcSymCloneQueryHandler clone;
  parseToolOutput(clone, document);
  EXPECT_EQ(clone.getResult().state, "CopyInProg");
  EXPECT_EQ(clone.getResult().srcDevName, "0ABC");
  EXPECT_EQ(clone.getResult().tgtDevName, "0E00");
  CEmcSymSnapQueryHandler snap;
  parseToolOutput(snap, document);
  EXPECT_EQ(snap.getResult().state, "CopyOnWrite");
  EXPECT_EQ(snap.getResult().tgtDevName, "0E00");
}

TEST(SymHandlers, CapacityListsOriginatorPorts) {
  CEmcSymMaskdbListCapacityHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
  <Symmetrix symid="000190101234">
    <Host name="hosta">
      <Originator_port wwn="10000000c9aaaa01" capacity="8632"/>
      <ORIGINATOR_PORT WWN="10000000c9aaaa02" capacity="N/A"/>
    </Host>
  </Symmetrix>
</SymCLI_ML>)xml");
  EXPECT_EQ(handler.getResult(), (std::vector<std::string>{"10000000c9aaaa01", "10000000c9aaaa02"}));
}

TEST(SymHandlers, ConnectionsCollectPerHostAddress) {
  CEmcSymCfgListConnectionHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
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
  </Symmetrix>
</SymCLI_ML>)xml");
  const auto& hosts = handler.getResult();
  ASSERT_EQ(hosts.size(), 2u);
  EXPECT_EQ(dpText(hosts.at("10.1.2.3")), "04A:0 14A:1 16B:1 ");
  EXPECT_EQ(dpText(hosts.at("10.1.2.4")), "03B:0 ");
}

TEST(SymHandlers, HbaListKeepsDirectorsAsPrinted) {
  CEmcSymMaskListHbaHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
  <Host_HBA WWN="10000000c9aaaa01" awwn_node_name="hosta">
    <Port director="FA-4A" port="0"/>
    <PORT director="FA-14A" port="1"/>
  </Host_HBA>
  <host_hba WWN="10000000c9aaaa02">
    <Port director="FA-4A" port="1"/>
  </host_hba>
</SymCLI_ML>)xml");
  const auto& hbas = handler.getResult();
  ASSERT_EQ(hbas.size(), 2u);
  EXPECT_EQ(dpText(hbas.at("10000000c9aaaa01")), "FA-4A:0 FA-14A:1 ");
  EXPECT_EQ(dpText(hbas.at("10000000c9aaaa02")), "FA-4A:1 ");
}

TEST(SymHandlers, MalformedOutputSurfacesFromTheGetter) {
  CEmcSymDevShowHandler devices;
  parseToolOutput(devices, R"xml(<SymCLI_ML>
  <Symmetrix symid="000190101234">
    <Device dev_name="0ABC" status="Ready">
  </Symmetrix>
</SymCLI_ML>)xml");
  EXPECT_THROW(devices.getResult(), SAXParseException);

  CEmcSymCfgListHandler arrays;
  parseToolOutput(arrays, "<SymCLI_ML>\n  <Symmetrix id=\"0001\" model=3300/>\n</SymCLI_ML>");
  EXPECT_THROW(arrays.getResult(), SAXParseException);

  CEmcSymLockQueryHandler locks;
  parseToolOutput(locks, "<SymCLI_ML>\n  <Lock number=\"1\" status=\"Locked\"/>\n</SymCLI_ML>");
  EXPECT_NO_THROW(locks.getResult());
}

TEST(SymHandlers, HostInfoFindsDirectorPortsOfALogin) {
  CEmcSymMaskListLoginHandler handler;
  parseToolOutput(handler, R"xml(<SymCLI_ML>
  <Symmetrix symid="000190101234">
    <Devmask_Login_Record director="FA-4A" port="0">
      <Login originator_port_wwn="10000000c9aaaa01" awwn_node_name="hosta" awwn_port_name="hba1" type="Fibre" logged_in="Yes" on_fabric="Yes"/>
    </Devmask_Login_Record>
    <Devmask_Login_Record director="FA-14b" port="1">
      <Login originator_port_wwn="10000000c9aaaa01" awwn_node_name="hosta" awwn_port_name="hba1" type="Fibre" logged_in="Yes" on_fabric="Yes"/>
    </Devmask_Login_Record>
  </Symmetrix>
</SymCLI_ML>)xml");
  const SEmcSymMaskHostInfo& host = handler.getResult().at("hosta");
  EXPECT_TRUE(host.findEntry("10000000c9aaaa01", "04A", "0"));
  EXPECT_TRUE(host.findEntry("10000000c9aaaa01", "14B", "1"));  // director case ignored
  EXPECT_FALSE(host.findEntry("10000000c9aaaa01", "04A", "1"));  // pairs, not parts
  EXPECT_FALSE(host.findEntry("10000000C9AAAA01", "04A", "0"));  // the WWN key is exact
  host.print();
}
