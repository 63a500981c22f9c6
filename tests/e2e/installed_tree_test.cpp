// An installation in a scratch prefix, used as a newcomer does: from another directory, with no
// environment but instant waits, a private CLI lock and temporary directory. It finds its registry,
// catalogs and simulator itself and writes only into its prefix; an unusable registry or
// configuration is one clear message and exit status, and nothing is written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "quelbctl_fixture.h"

namespace {

using e2etest::contains;
using e2etest::kSource;
const std::string kTarget = e2etest::kUdid + "00C1";

// Every file and directory below `dir` with its size and modification time.
std::map<std::string, std::string> treeOf(const std::string& dir) {
  std::map<std::string, std::string> tree;
  for (const std::string& name : testenv::listDir(dir)) {
    const std::string path = dir + "/" + name;
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) continue;
    tree[path] = std::to_string(info.st_size) + "@" + std::to_string(info.st_mtim.tv_sec) + "." +
                 std::to_string(info.st_mtim.tv_nsec);
    if (S_ISDIR(info.st_mode)) tree.merge(treeOf(path));
  }
  return tree;
}

class InstalledTree : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (testenv::fileExists("/etc/quelb/registry.reg")) return;  // the system's would win
    prefixDir.reset(new testenv::TempDir("norvel_prefix"));
    const simtest::ToolRun installed = simtest::runProgram(
        NORVEL_CMAKE, {"--install", testenv::binaryDir(), "--prefix", prefixDir->path()});
    ASSERT_EQ(0, installed.status) << installed.out;
  }
  static void TearDownTestSuite() { prefixDir.reset(); }

  void SetUp() override {
    if (!prefixDir) GTEST_SKIP() << "/etc/quelb/registry.reg exists on this machine";
    prefix = prefixDir->path();
    ASSERT_EQ(0, run("symcli/bin/symsim", {"init", "--demo"}).status);
    // The installed sample, with the installed simulator as SYMCLI.
    const std::string sample = testenv::readFile(prefix + "/share/doc/norvel/norvel.conf.example");
    const size_t line = sample.find(";\"FILEPATH\"=");
    ASSERT_NE(std::string::npos, line);
    std::string conf = sample;
    conf.replace(line, sample.find('\n', line) - line,
                 "\"FILEPATH\"=\"" + prefix + "/symcli/bin/\"");
    testenv::writeFile(prefix + "/ConfigFiles/norvel.conf", conf);
  }
  void TearDown() override {
    EXPECT_EQ(std::vector<std::string>(), testenv::listDir(elsewhere.path()))
        << "written outside the prefix";
    EXPECT_EQ(std::vector<std::string>(), testenv::listDir(temporary.path()))
        << "temporary files left";
  }

  // Runs <prefix>/<program> from another directory with no environment but `extra` and the three
  // test settings.
  simtest::ToolRun run(const std::string& program, const std::vector<std::string>& args,
                       const std::vector<std::string>& extra = {}) {
    std::vector<std::string> argv = {"-i", "QUELB_SLEEP_SCALE=0", "QUELB_CLI_LOCK_KEY=0",
                                     "TMPDIR=" + temporary.path()};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.insert(argv.end(), {"/bin/sh", "-c", "cd \"$0\" && exec \"$@\"", elsewhere.path(),
                             prefix + "/" + program});
    argv.insert(argv.end(), args.begin(), args.end());
    return simtest::runProgram("/usr/bin/env", argv);
  }

  static std::unique_ptr<testenv::TempDir> prefixDir;
  std::string prefix;
  testenv::TempDir elsewhere{"norvel_cwd"};
  testenv::TempDir temporary{"norvel_tmp"};
};

std::unique_ptr<testenv::TempDir> InstalledTree::prefixDir;

}  // namespace

TEST_F(InstalledTree, WorksFromAnotherDirectoryAndWritesOnlyIntoItsPrefix) {
  const std::vector<std::vector<std::string>> steps = {
      {"info"},
      {"enclosures"},
      {"snapshot", "--method", "EMC_TimeFinder_Clone", kSource + "=00C1"},
      {"import", kTarget},
      {"deport", kTarget},
      {"restore", kSource + "=" + kTarget},
      {"dispose", kSource, kTarget},
  };
  for (const std::vector<std::string>& step : steps) {
    const simtest::ToolRun r = run("bin/quelbctl", step);
    EXPECT_EQ(0, r.status) << step[0] << "\n" << r.out;
  }
  EXPECT_TRUE(contains(run("bin/quelbctl", {"enclosures"}).out, "000190100002  EMC"));
  // bin/symsim, the one on a newcomer's PATH, shows the arrays symcli/bin/ serves.
  EXPECT_TRUE(contains(run("bin/symsim", {"show"}).out, "000190100002"));
  EXPECT_TRUE(
      contains(run("bin/quelbctl", {"-v", "info"}).out,
               "quelbctl: registry " + prefix + "/etc/quelb/registry.reg (this installation)"));
  EXPECT_EQ(1u, testenv::listDir(prefix + "/Logs").size()) << "today's trace file";
  EXPECT_TRUE(contains(testenv::readFile(prefix + "/ConfigFiles/norvel.conf"), "; norvel.conf:"))
      << "the commented configuration is read, not rewritten";
}

TEST_F(InstalledTree, EachUnusableRegistryOrConfigurationIsOneMessageAndWritesNothing) {
  const std::string registry = prefix + "/etc/quelb/registry.reg";
  const std::string conf = prefix + "/ConfigFiles/norvel.conf";
  const std::string goodRegistry = testenv::readFile(registry);
  const std::string goodConf = testenv::readFile(conf);
  const std::string unreadable = prefix + "/share";  // a directory
  // The text of the registry file ("-": none) and of norvel.conf ("/": a directory), a variable to
  // set ("" none), and the texts of the message, separated by "|".
  const struct {
    const char* fault;
    std::string registry;
    std::string conf;
    std::string variable;
    std::string texts;
  } cases[] = {
      {"no registry", "-", goodConf, "",
       "no registry file|" + prefix + "/bin/../etc/quelb/registry.reg"},
      {"an unreadable registry", goodRegistry, goodConf, "QUELB_REGISTRY=" + unreadable,
       "the registry file " + unreadable + " cannot be read: Is a directory"},
      {"a registry with garbage", goodRegistry + "this is no registry line\n", goodConf, "",
       registry + " cannot be used: line 3 is no [KEY]|this is no registry line"},
      {"a registry with a NUL byte", goodRegistry + std::string("; \0\n", 4), goodConf, "",
       registry + " cannot be used: line 3 holds a NUL byte; the file must be text"},
      {"a registry without the installation", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Dravonel\\Quelb]\n",
       goodConf, "", "names no installation directory|\"InstallDir64\"="},
      {"a configuration with garbage", goodRegistry, goodConf + "FILEPATH=/opt/symcli\n", "",
       "norvel: The file " + conf + " cannot be used: line " +
           std::to_string(std::count(goodConf.begin(), goodConf.end(), '\n') + 1) +
           " is no [SECTION]|\"FILEPATH=/opt/symcli\"|it was left as it is"},
      {"an unreadable configuration", goodRegistry, "/", "",
       "norvel: The file " + conf + " cannot be used: it cannot be read (Is a directory)."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    if (c.registry == "-")
      ::unlink(registry.c_str());
    else
      testenv::writeFile(registry, c.registry);
    ::unlink(conf.c_str());
    if (c.conf == "/")
      ::mkdir(conf.c_str(), 0755);
    else
      testenv::writeFile(conf, c.conf);

    const std::map<std::string, std::string> before = treeOf(prefix);
    std::vector<std::string> environment;
    if (!c.variable.empty()) environment.push_back(c.variable);
    const simtest::ToolRun r = run("bin/quelbctl", {"info"}, environment);
    EXPECT_EQ(3, r.status) << r.out;
    for (size_t at = 0, end; at < c.texts.size(); at = end + 1) {
      end = std::min(c.texts.find('|', at), c.texts.size());
      EXPECT_TRUE(contains(r.out, c.texts.substr(at, end - at))) << c.texts << "\n" << r.out;
    }
    EXPECT_EQ(before, treeOf(prefix)) << "something was written";
    ::rmdir(conf.c_str());
  }
  testenv::writeFile(registry, goodRegistry);
  testenv::writeFile(conf, goodConf);
  EXPECT_EQ(0, run("bin/quelbctl", {"info"}).status);
}
