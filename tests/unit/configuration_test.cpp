// Configuration files, the registry file and the installation paths.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "cficonfiguration.h"
#include "cficonfigurationtext.h"
#include "cfistringtool.h"
#include "cfitracelog.h"
#include "isolated_install.h"

using namespace quelb_pdk_4_4;
using testenv::IsolatedInstall;

namespace {

tstring T(const char* s) { return CFiStringTool::str2tstr(s); }
std::string N(const tstring& s) { return CFiStringTool::tstr2str(s); }

std::string directoryOf(const std::string& path) {
  return path.substr(0, path.rfind(testenv::kPathSeparator) + 1);
}
std::string fileOf(const std::string& path) {
  return path.substr(path.rfind(testenv::kPathSeparator) + 1);
}

// A path in a directory of its own.
std::string scratchFile(const IsolatedInstall& install, const char* name) {
  testenv::makeDirs(install.scratch("files"));
  return install.scratch("files/") + name;
}

// Imports the file into a fresh configuration.
struct Loaded {
  explicit Loaded(const std::string& path)
      : config(T(directoryOf(path).c_str()), T(fileOf(path).c_str()), true) {}
  std::string str(const char* section, const char* name) {
    tstring value(L"<unset>");
    int status = config.getStringValue(T(section), T(name), value);
    return status == 0 ? N(value) : "<missing>";
  }
  uint32_t dword(const char* section, const char* name, uint32_t otherwise = 12345) {
    uint32_t value = otherwise;
    config.getIntegerValue(T(section), T(name), value);
    return value;
  }
  CFiConfiguration config;
};

TEST(ConfigurationText, EscapingRoundTripsEveryValueAndKeepsHandWrittenPercents) {
  for (const std::string value : {"", "plain", "100%", "%0A", "a\nb\r\nc", "%%25\n%",
                                  "quote\"in\"side\"", "\xc3\xa4\xe2\x82\xac"}) {
    std::string escaped = CFiConfigurationText::escapeValue(value);
    EXPECT_EQ(std::string::npos, escaped.find('\n')) << value;
    EXPECT_EQ(value, CFiConfigurationText::unescapeValue(escaped));
  }
  EXPECT_EQ("100% sure", CFiConfigurationText::unescapeValue("100% sure"));
  EXPECT_EQ("50%", CFiConfigurationText::unescapeValue("50%"));
  EXPECT_EQ("x%4", CFiConfigurationText::unescapeValue("x%4"));
  EXPECT_EQ("a\nb", CFiConfigurationText::unescapeValue("a%0ab"));
}

TEST(ConfigurationText, CheckFindsTheFirstLineTheReaderWouldSkip) {
  const struct {
    const char* text;
    const char* kind;  // "" for a usable text
    int line;
    const char* shown;
  } cases[] = {
      {"; c\r\n# c\n\n[S]\r\n  \"A\" = \"x\"\n\"B\"=dword:0000000a\n\"C\"=hex:01,ff\n\"D\"=\"open",
       "", 0, ""},
      {"[S]\nFILEPATH=/opt\r\n", "line", 2, "FILEPATH=/opt"},
      // A UTF-8 byte-order mark is no part of the first line.
      {"\xEF\xBB\xBF[S]\n\"A\"=\"b\"\n", "", 0, ""},
      {"\xEF\xBB\xBF"
       "FILEPATH=/opt\n",
       "line", 1, "FILEPATH=/opt"},
      {"[S]\n\"A\n", "line", 2, "\"A"},
      {"[S\n\"A\"=\"b\"\n", "section", 1, "[S"},
      {"[S] trailing\n", "section", 1, "[S] trailing"},
      {"[]\n", "section", 1, "[]"},
      {"[S]\n\"A\"=yes\n", "value", 2, "\"A\"=yes"},
      {"[S]\n\"A\"=dword:123456789\n", "value", 2, "\"A\"=dword:123456789"},
      {"[S]\n\"A\"=hex:0g\n", "value", 2, "\"A\"=hex:0g"},
      {"\"A\"=\"b\"\n[S]\n", "orphan", 1, "\"A\"=\"b\""},
  };
  for (const auto& c : cases) {
    const SFiConfigurationFault fault = CFiConfigurationText::check(c.text);
    EXPECT_EQ(c.kind, fault.kind) << c.text;
    EXPECT_EQ(c.line, fault.line) << c.text;
    EXPECT_EQ(c.shown, fault.text) << c.text;
  }
  // A NUL byte, as in a file saved as UTF-16, refuses the whole file: ACE's reader would grow its
  // line buffer twofold for every line that holds one.
  const SFiConfigurationFault nul = CFiConfigurationText::check(std::string("[S]\n# a\0b\n", 10));
  EXPECT_EQ("unreadable", nul.kind);
  EXPECT_EQ(2, nul.line);
  EXPECT_EQ("line 2 holds a NUL byte; the file must be text in ASCII or UTF-8", nul.text);
}

// Only a regular file of at most MAX_FILE_BYTES is read: a device such as /dev/zero never ends.
TEST(ConfigurationText, ReadFileTakesOnlyARegularFileOfBoundedSize) {
  IsolatedInstall install;
  std::string text;
  std::string why;
  const std::string directory = install.scratch("adir");
  testenv::makeDirs(directory);
  EXPECT_FALSE(CFiConfigurationText::readFile(directory, text, why));
  EXPECT_EQ(std::strerror(EISDIR), why);
  if (testenv::fileExists("/dev/zero")) {
    EXPECT_FALSE(CFiConfigurationText::readFile("/dev/zero", text, why));
    EXPECT_EQ("not a regular file", why);
  }
  const std::string path = scratchFile(install, "big.conf");
  testenv::writeFile(path, std::string(CFiConfigurationText::MAX_FILE_BYTES, '#'));
  EXPECT_TRUE(CFiConfigurationText::readFile(path, text, why));
  EXPECT_EQ(CFiConfigurationText::MAX_FILE_BYTES, text.size());
  testenv::writeFile(path, std::string(CFiConfigurationText::MAX_FILE_BYTES + 1, '#'));
  EXPECT_FALSE(CFiConfigurationText::readFile(path, text, why));
  EXPECT_EQ("larger than 1024 KiB", why);
}

TEST(Configuration, ValuesRoundTripThroughTheFile) {
  IsolatedInstall install;
  const std::string path = scratchFile(install, "round.conf");
  const std::string tricky = "line one\nline \"two\"\r\n100% done \xc3\xa4";
  {
    CFiConfiguration config(T(directoryOf(path).c_str()), T(fileOf(path).c_str()), false);
    ACE_Configuration_Section_Key key;
    ASSERT_EQ(0, config.openSection(T("DEBUG_TRACE_INFO"), key, true));
    EXPECT_EQ(0, config.setStringValue(T("TRACEDIR"), T("/var/log/quelb/")));
    EXPECT_EQ(0, config.setStringValue(T("TRICKY"), T(tricky.c_str())));
    EXPECT_EQ(0, config.setStringValue(T("EMPTY"), T("")));
    EXPECT_EQ(0, config.setIntegerValue(T("TRACELEVEL"), 6));
    EXPECT_EQ(0, config.setIntegerValue(T("BIG"), 0xFFFFFFFFu));
    ASSERT_EQ(0, config.openSection(T("TUNING_PARAMS"), key, true));
    EXPECT_EQ(0, config.setIntegerValue(T("LOCK_RETRY_ATTEMPTS"), 0));
    ASSERT_EQ(0, config.exportConfig());
  }
  // Nothing but the file itself is left in the directory.
  EXPECT_EQ(std::vector<std::string>{"round.conf"}, testenv::listDir(directoryOf(path)));

  Loaded loaded(path);
  EXPECT_EQ("/var/log/quelb/", loaded.str("DEBUG_TRACE_INFO", "TRACEDIR"));
  EXPECT_EQ(tricky, loaded.str("DEBUG_TRACE_INFO", "TRICKY"));
  EXPECT_EQ("", loaded.str("DEBUG_TRACE_INFO", "EMPTY"));
  EXPECT_EQ(6u, loaded.dword("DEBUG_TRACE_INFO", "TRACELEVEL"));
  EXPECT_EQ(0xFFFFFFFFu, loaded.dword("DEBUG_TRACE_INFO", "BIG"));
  EXPECT_EQ(0u, loaded.dword("TUNING_PARAMS", "LOCK_RETRY_ATTEMPTS"));
  // Missing keys and sections, and a value of the other type: non-zero, out
  // value untouched.
  EXPECT_EQ(12345u, loaded.dword("TUNING_PARAMS", "POST_UNMASK_WAIT_IN_SEC"));
  EXPECT_EQ(12345u, loaded.dword("NO_SUCH_SECTION", "TRACELEVEL"));
  EXPECT_EQ(12345u, loaded.dword("DEBUG_TRACE_INFO", "TRACEDIR"));
  EXPECT_EQ("<missing>", loaded.str("DEBUG_TRACE_INFO", "TRACELEVEL"));
  EXPECT_EQ("<missing>", loaded.str("NO_SUCH_SECTION", "X"));
  ACE_Configuration_Section_Key key;
  EXPECT_NE(0, loaded.config.openSection(T("ALSO_MISSING"), key, false));
}

TEST(Configuration, HandEditedFileLosesNoSetting) {
  IsolatedInstall install;
  const std::string path = scratchFile(install, "hand.conf");
  const std::string original =
      "; edited by hand\r\n"
      "[DEBUG_TRACE_INFO]\r\n"
      "  \"TRACEDIR\" = \"/logs/\"\r\n"
      "\"TRACELEVEL\" =dword:00000006\n"
      "\t\"TRACESTDOUT\"= dword:00000001\n"
      "[CLI_TOOL_INFO]\n"
      "\"FILEPATH\"=\"/opt/symcli/bin\"";  // no line end
  testenv::writeFile(path, original);
  Loaded loaded(path);
  EXPECT_EQ("/logs/", loaded.str("DEBUG_TRACE_INFO", "TRACEDIR"));
  EXPECT_EQ(6u, loaded.dword("DEBUG_TRACE_INFO", "TRACELEVEL"));
  EXPECT_EQ(1u, loaded.dword("DEBUG_TRACE_INFO", "TRACESTDOUT"));
  EXPECT_EQ("/opt/symcli/bin", loaded.str("CLI_TOOL_INFO", "FILEPATH"));
  // Reading never changes the file and leaves no copy behind.
  EXPECT_EQ(original, testenv::readFile(path));
  EXPECT_EQ(1u, testenv::listDir(directoryOf(path)).size());
}

TEST(Configuration, NamedConfigurationWritesAnEmptyFileWhenNoneExists) {
  IsolatedInstall install;
  // An import that finds no directory or no file sets the last error.
  CFiConfiguration unnamed;
  EXPECT_NE(0, unnamed.importConfig(T(install.scratch("nodir/").c_str()), T("x.conf")));
  EXPECT_EQ("Configuration path verification failed", N(unnamed.getLastError().detail()));
  EXPECT_NE(0, unnamed.importConfig(T(install.root().c_str()), T("x.conf")));
  EXPECT_EQ("Configuration path succeeded but no configuration file exists.",
            N(unnamed.getLastError().detail()));
  // Exporting into a directory that does not exist fails and creates nothing.
  CFiConfiguration nowhere(T(install.scratch("nodir/").c_str()), T("x.conf"), false);
  EXPECT_NE(0, nowhere.exportConfig());
  EXPECT_FALSE(testenv::fileExists(install.scratch("nodir")));
  EXPECT_NE(0, CFiConfiguration().exportConfig());

  {
    CFiConfiguration config(T("norvel"));
    EXPECT_EQ("Configuration path succeeded but no configuration file exists.",
              N(config.getLastError().detail()));
    EXPECT_EQ(install.configFile("norvel"), N(config.path()));
    uint32_t level = 7;
    EXPECT_NE(0, config.getIntegerValue(T("DEBUG_TRACE_INFO"), T("TRACELEVEL"), level));
    EXPECT_EQ(7u, level);
  }
  ASSERT_TRUE(testenv::fileExists(install.configFile("norvel")));
  EXPECT_EQ("", testenv::readFile(install.configFile("norvel")));
  EXPECT_EQ(testenv::defaultDirectoryBits().value_or(0) & 0755,
            testenv::permissionBits(install.root() + "ConfigFiles").value_or(0));

  // Once there, it is read without a fault (its settings:
  // TraceLogTest.LevelsAreWrittenUpToTheConfiguredOneAndAllAreForwarded).
  EXPECT_EQ(0, CFiConfiguration(T("norvel")).getLastError().code());
}

TEST(Configuration, AFileThatCannotBeUsedIsReportedAndNeverWrittenOver) {
  IsolatedInstall install;
  testenv::makeDirs(install.root() + "ConfigFiles");
  const std::string mistyped = "[TUNING_PARAMS]\nLOCK_RETRY_ATTEMPTS=3\n";
  testenv::writeFile(install.configFile("norvel"), mistyped);
  CFiConfiguration config(T("norvel"));
  EXPECT_EQ("line", config.fault().kind);
  EXPECT_EQ(2, config.fault().line);
  uint32_t attempts = 8;
  EXPECT_NE(0, config.getIntegerValue(T("TUNING_PARAMS"), T("LOCK_RETRY_ATTEMPTS"), attempts));
  EXPECT_EQ(8u, attempts) << "nothing of it is read";
  EXPECT_EQ(-1, config.exportConfig());
  CFiTraceLog log;  // would add its settings to a usable file
  log.initialize(T("norvel"), tstring(), tstring(), 1, false);
  EXPECT_FALSE(log.isInitialized());
  EXPECT_EQ(mistyped, testenv::readFile(install.configFile("norvel")));
  EXPECT_EQ(std::vector<std::string>{"norvel.conf"},
            testenv::listDir(install.root() + "ConfigFiles"));
}

class InstallPath : public ::testing::Test {
 protected:
  std::string installPath(int* status = nullptr) {
    tstring path;
    int rc = CFiConfigurationPathTool::getInstallPath(path);
    if (status) *status = rc;
    return N(path);
  }
  IsolatedInstall install;
};

TEST_F(InstallPath, ComesFromTheRegistryFileThenTheFrameworkRoot) {
  // No registry file: the framework's install root.
  int status = 0;
  EXPECT_EQ(install.root(), installPath(&status));
  EXPECT_NE(0, status);
  EXPECT_NE(0, CFiConfigurationPathTool::verify(T(install.registry().c_str())));

  testenv::writeFile(install.registry(),
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Dravonel\\Quelb]\n"
                     "\"InstallDir64\"=\"/srv/quelb\"");
  EXPECT_EQ("/srv/quelb/", installPath(&status));
  EXPECT_EQ(0, status);
  EXPECT_EQ(0, CFiConfigurationPathTool::verify(T(install.registry().c_str())));
  // The locations under the install path: TraceLogTest.FirstStartWritesDefaults...,
  // ProviderCatalog.ReadsTheBundlesOfTheInstallation and DeviceCacheKeysLiveInTheSerialsDirectory.
}

TEST_F(InstallPath, AConsumerReadsOnlyItsOwnSubkey) {
  testenv::writeFile(install.registry(),
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Dravonel\\Quelb]\n"
                     "\"InstallDir64\"=\"/plain/\"\n"
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Dravonel\\Quelb\\backup]\n"
                     "\"InstallDir64\"=\"/consumer/\"\n");
  EXPECT_EQ("/plain/", installPath());
  {
    testenv::ScopedEnv consumer("QUELB_CONSUMER", "backup");
    EXPECT_EQ("/consumer/", installPath());
  }
  {
    // A consumer without a subkey does not fall back to the plain key.
    testenv::ScopedEnv consumer("QUELB_CONSUMER", "other");
    EXPECT_EQ(install.root(), installPath());
  }
  {
    testenv::ScopedEnv root("QUELB_INSTALL_ROOT", nullptr);
    testenv::ScopedEnv consumer("QUELB_CONSUMER", "other");
    int status = 0;
    EXPECT_EQ("", installPath(&status));
    EXPECT_NE(0, status);
  }
}

// Without an install path there is no location, not even one relative to the working directory
// (that init writes nothing there: Library.WithoutAnInstallPathItWritesNothingAndSaysSo).
TEST_F(InstallPath, WithoutOneThereIsNoLocation) {
  testenv::ScopedEnv root("QUELB_INSTALL_ROOT", nullptr);
  tstring directory, file, path;
  CFiConfigurationPathTool::getConfigFileInfo(T("norvel"), directory, file);
  EXPECT_EQ("", N(directory));
  CFiConfigurationPathTool::getTraceFileInfo(T("norvel"), directory, file);
  EXPECT_EQ("", N(directory));
  CFiConfigurationPathTool::getLunKey(T("UDID##EMC##SYMMETRIX##1##0ABC"), path);
  EXPECT_EQ("", N(path));
}

TEST_F(InstallPath, DeviceCacheKeysLiveInTheSerialsDirectory) {
  tstring path;
  EXPECT_EQ(
      0, CFiConfigurationPathTool::getDevKey(T("UDID##EMC##SYMMETRIX##000192601234##0A:BC"), path));
  EXPECT_EQ(testenv::nativePath(
                install.root() +
                "CacheFiles/devHandle/000192601234/UDID##EMC##SYMMETRIX##000192601234##0A_BC"),
            N(path));
  EXPECT_TRUE(testenv::fileExists(install.root() + "CacheFiles/devHandle/000192601234"));
  EXPECT_EQ(0, CFiConfigurationPathTool::getLunKey(T("UDID##EMC##SYMMETRIX##1##0ABC"), path));
  EXPECT_EQ(testenv::nativePath(install.root() + "CacheFiles/luns/1/UDID##EMC##SYMMETRIX##1##0ABC"),
            N(path));
  // Nothing reaches outside the cache, and no identity string is an error.
  EXPECT_EQ(0, CFiConfigurationPathTool::getLunKey(T("UDID##V##P##../x##D/../y"), path));
  EXPECT_EQ(testenv::nativePath(install.root() + "CacheFiles/luns/.._x/UDID##V##P##.._x##D_.._y"),
            N(path));
  EXPECT_EQ(2, CFiConfigurationPathTool::getDevKey(T("no identity"), path));
  EXPECT_EQ(testenv::nativePath(install.root() + "CacheFiles/devHandle/no identity"), N(path));
}

}  // namespace
