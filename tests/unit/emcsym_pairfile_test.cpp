// Device pair files, and the CLI exception's user message.
#include "emcsym_pairfile.h"

#include <gtest/gtest.h>
#include <quelb/quelb_records.h>

#include <stdexcept>

#include "cfierrormgr.h"
#include "cfiicumessage.h"
#include "emcsym_clierror.h"
#include "message_recorder.h"
#include "norvel_singletons.h"
#include "test_env.h"

using namespace quelb_pdk_4_4;

namespace {

SEmcSymDevInfo dev(const std::string& name) {
  SEmcSymDevInfo info;
  info.devName = name;
  return info;
}

class PairFileTest : public ::testing::Test {
 protected:
  PairFileTest()
      : dir_("norvel_pairfile"), tmpdir_(testenv::kTempDirVariable, dir_.path().c_str()) {}

  void expectPrivateFile(const std::string& name, const std::string& content) {
    EXPECT_EQ(dir_.file("hvq_fi"), name.substr(0, dir_.path().size() + 7));
    EXPECT_EQ(content, testenv::readFile(name));
    // Readable by its owner only, where the platform has permission bits.
    if (std::optional<unsigned> bits = testenv::permissionBits(name)) {
      EXPECT_EQ(0600u, *bits);
    }
  }

  testenv::TempDir dir_;
  testenv::ScopedEnv tmpdir_;
};

TEST_F(PairFileTest, KeyedFormWritesOneFilePerArrayAndDeletesThem) {
  {
    CEmcSymPairFile files(CEmcSymPairFile::PairLineMap{{"000190100002", {"0200 0280"}},
                                                       {"000190100001", {"0040 0080", "0041 0081"}},
                                                       {"000190100003", {}}});
    const std::map<std::string, std::string>& names = files.getFilesByKey();
    ASSERT_EQ(3u, names.size());
    expectPrivateFile(names.at("000190100001"), "0040 0080\n0041 0081\n");
    expectPrivateFile(names.at("000190100002"), "0200 0280\n");
    expectPrivateFile(names.at("000190100003"), "");
    EXPECT_NE(names.at("000190100001"), names.at("000190100002"));
    EXPECT_TRUE(files.getFilesByIndex().empty());
    EXPECT_EQ(3u, testenv::listDir(dir_.path()).size());
  }
  EXPECT_TRUE(testenv::listDir(dir_.path()).empty());
  { CEmcSymPairFile none(CEmcSymPairFile::PairLineMap{}); }
  EXPECT_TRUE(testenv::listDir(dir_.path()).empty());
  // A missing directory is no crash: no file.
  testenv::ScopedEnv gone(testenv::kTempDirVariable, dir_.file("missing").c_str());
  CEmcSymPairFile files(CEmcSymPairFile::PairLineMap{{"000190100001", {"0040 0080"}}});
  EXPECT_EQ("", files.getFilesByKey().at("000190100001"));
}

TEST_F(PairFileTest, IndexedFormWritesOneFilePerPair) {
  {
    CEmcSymPairFile files({dev("0040"), dev("0041")}, {dev("00C0"), dev("00C1")});
    ASSERT_EQ(2u, files.getFilesByIndex().size());
    expectPrivateFile(files.getFilesByIndex()[0], "0040 00C0\n");
    expectPrivateFile(files.getFilesByIndex()[1], "0041 00C1\n");
  }
  EXPECT_TRUE(testenv::listDir(dir_.path()).empty());
  EXPECT_THROW(CEmcSymPairFile({dev("0040")}, {}), std::runtime_error);
  EXPECT_TRUE(testenv::listDir(dir_.path()).empty());
}

TEST(CliExceptionTest, PushCliErrorPushesItsArgumentsAndReturns6) {
  testenv::MessageRecorder handler;
  norvel::errorManager()->registerHandler(&handler);
  CEmcSymCliException error(3, L"symcfg list ", "[cleanXML]", {"  first \r", "\tsecond"},
                            "providers/emcsymmetrix/emcsym_clitool.cpp", 42);
  EXPECT_EQ("first\nsecond\n", error.outputText());
  EXPECT_EQ(QLB_ERR_FAILED, error.pushCliError());
  norvel::errorManager()->unregisterHandler(&handler);
  norvel::errorManager(true);

  ASSERT_EQ(1u, handler.messages.size());
  // The sixth argument, the number of output lines, words the two forms.
  EXPECT_EQ(
      "MSG_ERROR_CLI_COMMAND_FAILED 3 providers/emcsymmetrix/emcsym_clitool.cpp:42 "
      "[symcfg list ] [providers/emcsymmetrix/emcsym_clitool.cpp] [42] [[cleanXML]] "
      "[first\nsecond\n] [2]",
      handler.describe(0));

  // The operations' form: no where text and no output.
  CEmcSymCliException short_(3, L"[symMirEstablish]", "f.cpp", 7);
  EXPECT_EQ("", short_.getWhere());
  EXPECT_EQ("", short_.outputText());
}

}  // namespace
