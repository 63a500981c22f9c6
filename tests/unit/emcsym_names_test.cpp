// The values that go into SYMCLI command lines.
#include <gtest/gtest.h>

#include "emcsym_clierror.h"
#include "emcsym_clitool_util.h"
#include "emcsym_names.h"
#include "sim_env.h"
#include "test_env.h"

using namespace quelb_pdk_4_4;
using namespace emcsym;

namespace {

TEST(EmcSymNames, EachFormAcceptsItsValuesAndNothingThatCouldAddAnArgument) {
  struct Case {
    NameKind kind;
    std::vector<std::string> valid, invalid;
  };
  const Case cases[] = {
      {NAME_SYMID, {"000190100001"}, {"00019010000", "000190100001 -v", ""}},
      {NAME_DEVICE,
       {"0040", "1a2B3"},
       {"0040;x", "0040 -force", "0040\nrm", "0040\"", "123456789", ""}},
      {NAME_DIRECTOR, {"04A", "FA-4A", "SE-13C", "16B"}, {"FA-", "-4A", "FA-4A -x", "FA-4"}},
      {NAME_PORT, {"0", "12"}, {"1\t2", "1234"}},
      {NAME_WWN,
       {"10000000C9A00001", "10:00:00:00:c9:a0:00:01", "10-00-00-00-c9-a0-00-01"},
       {"10:00-00:00:c9:a0:00:01", "10000000C9A0000G", "10000000C9A00001 "}},
      {NAME_HOST,
       {"backup01", "HOST.23.4.5", "db_1.example.com"},
       {"-force", "a b", "host\"x", std::string(256, 'h')}},
  };
  for (const Case& c : cases) {
    for (const std::string& v : c.valid) EXPECT_TRUE(isValidName(c.kind, v)) << c.kind << " " << v;
    for (const std::string& v : c.invalid)
      EXPECT_FALSE(isValidName(c.kind, v)) << c.kind << " [" << v << "]";
  }
}

TEST(EmcSymNames, ARefusalNamesTheValueWithItsControlCharactersVisible) {
  try {
    checkedName(NAME_DEVICE, "0040\nmore\x01", L"[getSymDev]");
    FAIL() << "not refused";
  } catch (const CEmcSymCliException& e) {
    EXPECT_EQ(L"[getSymDev]", e.getCommand());
    EXPECT_EQ(
        "the device name \"0040\\nmore\\x01\" is not 1 to 8 hexadecimal digits; no SYMCLI command "
        "was run",
        e.getWhere());
    EXPECT_TRUE(e.getOutput().empty());
  }
  EXPECT_EQ(" -sid 000190100001", sidArgument("000190100001", L"[x]"));
  EXPECT_THROW(sidArgument("0001;ls", L"[x]"), CEmcSymCliException);
}

TEST(EmcSymNames, APairFilePathReachesTheToolAsOneArgument) {
  const std::string paths[] = {
      "/tmp/hvq_fiAbc",  "/tmp/my dir/hvq_fiAbc", "/tmp/a\tb/c",
      "/tmp/quo\"te/x",  "/tmp/back\\slash/x",    "/tmp/back\\\"both/x",
      "/tmp/trailing\\", "C:\\Temp dir\\hvq_fi1", "/tmp/-file x",
  };
  for (const std::string& path : paths) {
    // A Windows file name holds no double quote (and Windows reads a
    // backslash before one by rules of its own).
    if (testenv::kPathSeparator == '\\' && path.find('"') != std::string::npos) continue;
    // As the tool reads its command line on this platform.
    const std::vector<std::string> args =
        simtest::splitCommandLine("symmir" + fileArgument(path) + " query");
    EXPECT_EQ((std::vector<std::string>{"symmir", "-file", path, "query"}), args) << path;
  }
}

}  // namespace
