// Array credentials: the framework's credentials text and the configured sections.
#include <gtest/gtest.h>
#include <quelb/quelb_records.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cficonfiguration.h"
#include "cficredentials.h"
#include "cfistringtool.h"
#include "isolated_install.h"
#include "trace_recorder.h"

using namespace quelb_pdk_4_4;
using testenv::ScopedEnv;

namespace {

std::string N(const tstring& s) { return CFiStringTool::tstr2str(s); }

std::vector<std::string> hosts(const std::vector<SFiCredential>& credentials) {
  std::vector<std::string> names;
  for (const SFiCredential& c : credentials) names.push_back(N(c.hostName));
  return names;
}

// Host names lower-cased and sorted: the configuration lists its sections in
// an order of its own.
std::vector<std::string> hostSet(const std::vector<SFiCredential>& credentials) {
  std::vector<std::string> names;
  for (const std::string& name : hosts(credentials))
    names.push_back(CFiStringTool::tostrlower(name));
  std::sort(names.begin(), names.end());
  return names;
}

std::string section(const std::string& header, const std::string& values) {
  return "[" + header + "]\r\n" + values;
}
const std::string kUserAndPassword = "\"USERNAME\"=\"admin\"\n\"PASSWORD\"=\"secret\"\n";

class Credentials : public ::testing::Test {
 protected:
  void SetUp() override { parser.setTraceLog(traces.log()); }

  std::vector<SFiCredential> parse(const std::string& text, bool openArray) {
    std::vector<SFiCredential> found;
    EXPECT_EQ(0, parser.parse(text, "EMC", "SYMMETRIX", found, openArray));
    return found;
  }

  testenv::IsolatedInstall install;
  testenv::TraceRecorder traces;
  CFiCredentialsParser parser;
};

TEST_F(Credentials, OnlyThreeTokenServiceSectionsOfTheVendorCount) {
  const std::string text =
      section("STORAGE_MANAGEMENT_SERVICE\\EMC_SYMMETRIX_SERVER\\1",
              "\"HOSTNAME\" = \"mgmt01\"\r\n\"USERNAME\"=\"admin\"\n\"PASSWORD\"=\"pa=ss\"x\"\n"
              "\"PORT\"=dword:2707\n\"DATA\"=\"extra\"\n\"OTHER\"=junk\nHOSTNAME=\"bad\"\n"
              // Malformed secrets: none of them may reach the trace.
              "\"PASSWORD\"=zqA1\nPASSWORD=\"zqB2\"\n\"PASSWORD=zqC3\"\n"
              "\"Passwd\"=zqD4 x\n\n") +
      section("STORAGE_MANAGEMENT_SERVICE\\EMC_SYMMETRIX_SERVER",
              "\"HOSTNAME\"=\"two\"\n" + kUserAndPassword) +
      section("OTHER_KEY\\EMC_SYMMETRIX_SERVER\\2", "\"HOSTNAME\"=\"other\"\n" + kUserAndPassword) +
      section("STORAGE_MANAGEMENT_SERVICE\\XYZ_SERVER\\3",
              "\"HOSTNAME\"=\"xyz\"\n" + kUserAndPassword) +
      section("storage_management_service\\EMC_SYMMETRIX_SERVER\\4",
              "\"HOSTNAME\"=\"mgmt02\"\n\"PORT\"=dword:0000000a\n\"PORT\"=\"x1\"\n" +
                  kUserAndPassword) +
      // A quoted line that holds "[" and "]" is a header all the same: it
      // ends this section before its password.
      section("STORAGE_MANAGEMENT_SERVICE\\EMC_SYMMETRIX_SERVER\\5",
              "\"HOSTNAME\"=\"mgmt03\"\n\"USERNAME\"=\"admin\"\n\"PASSWORD\"=\"pa[ss]\"\n");
  std::vector<SFiCredential> found = parse(text, false);
  ASSERT_EQ((std::vector<std::string>{"mgmt01", "mgmt02"}), hosts(found));
  EXPECT_EQ("pa=ss\"x", N(found[0].password));
  EXPECT_EQ(2707, found[0].port);
  EXPECT_EQ("extra", N(found[0].data));
  EXPECT_EQ(-1, found[1].port);
  EXPECT_EQ(0u, found[1].data.length());

  EXPECT_EQ(1, traces.count("WARNING: Invalid value 'junk' for key section 'OTHER'"));
  EXPECT_EQ(1, traces.count("WARNING: Invalid credentials section 'HOSTNAME=\"bad\"'"));
  EXPECT_EQ(1, traces.count("WARNING: Invalid dword value '0000000a' for key section 'PORT'"));
  EXPECT_EQ(1, traces.count("WARNING: Invalid dword value 'x1' for key section 'PORT'"));
  EXPECT_EQ(QLB_SEV_INFO, traces.severityOf("INFO: adding array credentials for: vendor EMC, "
                                            "product SYMMETRIX, server mgmt01, username admin"));
  EXPECT_EQ(0, traces.count("secret") + traces.count("pa=ss") + traces.count("zq"));
  EXPECT_EQ(2, traces.count("WARNING: Invalid credentials section '<a line naming a password, "
                            "not shown>'"));
  EXPECT_EQ(2, traces.count("WARNING: Invalid value '<value not shown>'"));
}

TEST_F(Credentials, OpenArrayFlagSelectsSectionsAndWhetherInvalidOnesCount) {
  const std::string text =
      section("STORAGE_MANAGEMENT_SERVICE\\EMC_SYMMETRIX_OPENARRAY\\1", "\"HOSTNAME\"=\"open\"\n") +
      section("STORAGE_MANAGEMENT_SERVICE\\EMC_SYMMETRIX\\2",
              "\"HOSTNAME\"=\"early\"\n\"USERNAME\"=\"u\"\n") +
      section("STORAGE_MANAGEMENT_SERVICE\\EMC_SYMMETRIX\\3",
              "\"HOSTNAME\"=\"late\"\n\"USERNAME\"=\"u\"\n");
  EXPECT_EQ(std::vector<std::string>{"open"}, hosts(parse(text, true)));
  EXPECT_EQ(2, traces.count("INFO: Skipping non OPENARRAY credentials section 'EMC_SYMMETRIX'"));

  traces.clear();
  EXPECT_TRUE(parse(text, false).empty());
  EXPECT_EQ(1, traces.count("INFO: Skipping OPENARRAY credentials section "
                            "'EMC_SYMMETRIX_OPENARRAY'"));
  // Only the section closed by the end of the text is reported.
  EXPECT_EQ(1, traces.count("WARNING: skipping invalid credentials for vendor EMC"));
  EXPECT_EQ(QLB_SEV_WARNING, traces.severityOf("WARNING: skipping invalid credentials"));
}

TEST_F(Credentials, FrameworkTextIsOptionalButNotEmpty) {
  const uint64_t buffers = quelb_live_buffers();
  std::vector<SFiCredential> found;
  {
    ScopedEnv none("QUELB_CREDENTIALS_FILE", nullptr);
    EXPECT_EQ(0, parser.parse("EMC", "SYMMETRIX", found, false));
  }
  const std::string file = install.scratch("credentials.reg");
  ScopedEnv env("QUELB_CREDENTIALS_FILE", file.c_str());
  testenv::writeFile(file, "");
  EXPECT_EQ(QLB_ERR_NO_CREDENTIALS, parser.parse("EMC", "SYMMETRIX", found, false));
  EXPECT_TRUE(found.empty());
  testenv::writeFile(file, section("STORAGE_MANAGEMENT_SERVICE\\EMC_SYMMETRIX\\1",
                                   "\"HOSTNAME\"=\"h\xc3\xa4st\"\n" + kUserAndPassword));
  EXPECT_EQ(0, parser.parse("EMC", "SYMMETRIX", found, false));
  ASSERT_EQ(1u, found.size());
  EXPECT_EQ(L"h\u00e4st", CFiStringTool::tstr2wstr(found[0].hostName));
  EXPECT_EQ(buffers, quelb_live_buffers());
}

TEST_F(Credentials, ImportAddsUsableConfiguredHostsOnce) {
  const std::string file = install.scratch("credentials.reg");
  testenv::writeFile(file, section("STORAGE_MANAGEMENT_SERVICE\\EMC_SYMMETRIX\\1",
                                   "\"HOSTNAME\"=\"mgmt01\"\n" + kUserAndPassword));
  testenv::makeDirs(install.root() + "ConfigFiles");
  auto configured = [](const char* name, const char* host, const char* user) {
    return "[ARRAY_CREDENTIALS\\" + std::string(name) + "]\n\"HOSTNAME\"=\"" + host +
           "\"\n\"USERNAME\"=\"" + user + "\"\n\"PASSWORD\"=\"p\"\n";
  };
  testenv::writeFile(
      install.configFile("credtest"),
      configured("SYM_A", "MGMT01", "x") + configured("SYM_B", "mgmt03", "<none>") +
          configured("SYM_C", "mgmt04", "u") + configured("SYM_C2", "Mgmt04", "v") +
          configured("SYM_OPENARRAY_D", "open", "u") +
          "[ARRAY_CREDENTIALS\\SYM_E]\n\"HOSTNAME\"=\"nopass\"\n\"USERNAME\"=\"u\"\n");
  CFiConfiguration config{tstring(L"credtest")};
  config.setTraceLog(traces.log());

  {
    ScopedEnv env("QUELB_CREDENTIALS_FILE", file.c_str());
    std::vector<SFiCredential> found =
        config.importCredentials("EMC", "SYMMETRIX", tstring(L"ARRAY_CREDENTIALS"), false);
    ASSERT_EQ((std::vector<std::string>{"mgmt01", "mgmt04"}), hostSet(found));
    EXPECT_EQ("mgmt01", N(found[0].hostName));  // the framework's come first
    EXPECT_EQ(1, traces.count("INFO: 2 credentials found for EMC SYMMETRIX."));
    EXPECT_EQ(1, traces.count("Skipping credentials section [SYM_OPENARRAY_D]"));
    EXPECT_EQ(5, traces.count("Importing credentials section [SYM_"));
  }
  ScopedEnv none("QUELB_CREDENTIALS_FILE", nullptr);
  EXPECT_EQ(
      (std::vector<std::string>{"open"}),
      hosts(config.importCredentials("EMC", "SYMMETRIX", tstring(L"ARRAY_CREDENTIALS"), true)));
  EXPECT_EQ((std::vector<std::string>{"mgmt01", "mgmt04"}),
            hostSet(config.importCredentials("", "", tstring(L"ARRAY_CREDENTIALS"), false)));
  EXPECT_TRUE(config.importCredentials("EMC", "SYMMETRIX", tstring(L"NO_SUCH"), false).empty());
  EXPECT_EQ(1, traces.count("WARNING: No credentials found for EMC SYMMETRIX."));
}

}  // namespace
