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
    std::string value;
    bool valid;
  };
  const Case cases[] = {
      {NAME_SYMID, "000190100001", true},
      {NAME_SYMID, "00019010000", false},
      {NAME_SYMID, "000190100001 -v", false},
      {NAME_SYMID, "", false},
      {NAME_DEVICE, "0040", true},
      {NAME_DEVICE, "1a2B3", true},
      {NAME_DEVICE, "0040;x", false},
      {NAME_DEVICE, "0040 -force", false},
      {NAME_DEVICE, "0040\nrm", false},
      {NAME_DEVICE, "0040\"", false},
      {NAME_DEVICE, "123456789", false},
      {NAME_DEVICE, "", false},
      {NAME_DIRECTOR, "04A", true},
      {NAME_DIRECTOR, "FA-4A", true},
      {NAME_DIRECTOR, "SE-13C", true},
      {NAME_DIRECTOR, "16B", true},
      {NAME_DIRECTOR, "FA-", false},
      {NAME_DIRECTOR, "-4A", false},
      {NAME_DIRECTOR, "FA-4A -x", false},
      {NAME_DIRECTOR, "FA-4", false},
      {NAME_PORT, "0", true},
      {NAME_PORT, "12", true},
      {NAME_PORT, "1\t2", false},
      {NAME_PORT, "1234", false},
      {NAME_WWN, "10000000C9A00001", true},
      {NAME_WWN, "10:00:00:00:c9:a0:00:01", true},
      {NAME_WWN, "10-00-00-00-c9-a0-00-01", true},
      {NAME_WWN, "10:00-00:00:c9:a0:00:01", false},
      {NAME_WWN, "10000000C9A0000G", false},
      {NAME_WWN, "10000000C9A00001 ", false},
      {NAME_HOST, "backup01", true},
      {NAME_HOST, "HOST.23.4.5", true},
      {NAME_HOST, "db_1.example.com", true},
      {NAME_HOST, "-force", false},
      {NAME_HOST, "a b", false},
      {NAME_HOST, "host\"x", false},
      {NAME_HOST, std::string(256, 'h'), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.valid, isValidName(c.kind, c.value)) << c.kind << " [" << c.value << "]";
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
