// SYMCLI listings as the tools print them, built in memory for the
// benchmarks: `symdev list` of any number of devices and `symmask list
// logins` of any number of logins.
#ifndef NORVEL_BENCH_SYMCLI_LISTINGS_H
#define NORVEL_BENCH_SYMCLI_LISTINGS_H

#include <cstdio>
#include <string>
#include <vector>

namespace benchdocs {

constexpr char kDeclaration[] = "<?xml version=\"1.0\" standalone=\"yes\" ?>";

inline std::string hex4(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", n & 0xFFFF);
  return buf;
}

// `symdev list` of `count` devices: every 4th with two front-end ports,
// every 8th with a BCV pair, every 16th with a clone and a snap session.
inline std::vector<std::string> deviceListing(int count) {
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
inline std::vector<std::string> loginListing(int count) {
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

inline std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

}  // namespace benchdocs

#endif  // NORVEL_BENCH_SYMCLI_LISTINGS_H
