// The platform seam from the tests' side: environment, temporary-file faults, thread ids.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>

#include "cficonfiguration.h"
#include "cfienvironment.h"
#include "cfiregistryposix.h"
#include "cfisleep.h"
#include "cfistringtool.h"
#include "cfitempfile.h"
#include "cfithreadid.h"
#include "emcsym_pairfile.h"
#include "isolated_install.h"
#include "test_env.h"

using namespace quelb_pdk_4_4;

namespace {

// The replacement environment of the test in progress.
std::map<std::string, std::string>& fakeEnvironment() {
  static std::map<std::string, std::string> variables;
  return variables;
}

bool readFake(const char* name, std::string& value) {
  auto it = fakeEnvironment().find(name);
  if (it == fakeEnvironment().end()) return false;
  value = it->second;
  return true;
}

// Installs the replacement environment for the life of the object.
class FakeEnvironment {
 public:
  explicit FakeEnvironment(std::map<std::string, std::string> variables) {
    fakeEnvironment() = std::move(variables);
    previous_ = fiSetEnvironmentFunction(&readFake);
  }
  ~FakeEnvironment() {
    fiSetEnvironmentFunction(previous_);
    fakeEnvironment().clear();
  }

 private:
  FiEnvironmentFunction previous_;
};

SEmcSymDevInfo dev(const std::string& name) {
  SEmcSymDevInfo info;
  info.devName = name;
  return info;
}

TEST(PlatformSeam, AReplacedEnvironmentReachesEveryReader) {
  testenv::TempDir dir("norvel_seam");
  const std::string processTmpdir = fiGetEnvironment("TMPDIR");
  struct Case {
    const char* name;
    std::map<std::string, std::string> variables;
    std::string temporaryDirectory;
    std::string registryFile;
  };
  const std::string tmp = dir.path() + "/", etc = "/etc/quelb/registry.reg";
  const Case cases[] = {
      {"set", {{"TMPDIR", dir.path()}, {"QUELB_REGISTRY", "/srv/q.reg"}}, tmp, "/srv/q.reg"},
      {"set with a final separator", {{"TMPDIR", tmp}}, tmp, etc},
      {"empty reads as unset", {{"TMPDIR", ""}, {"QUELB_REGISTRY", ""}}, "/tmp/", etc},
      {"unset", {}, "/tmp/", etc},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeEnvironment environment(c.variables);
    EXPECT_EQ(c.temporaryDirectory, CFiTempFile::temporaryDirectory());
    EXPECT_EQ(c.registryFile, CFiRegistryPosix::registryFilePath());
  }
  // QUELB_SLEEP_SCALE from 0 to 1000 scales the waits; any other text keeps them (a NaN or an
  // infinity would overflow the microseconds).
  const std::pair<const char*, unsigned long long> scales[] = {
      {"0", 0},      {"0.5", 1000},   {"1000", 2000000}, {"nan", 2000},
      {"inf", 2000}, {"1e308", 2000}, {"2x", 2000},      {"-1", 2000}};
  for (const auto& scale : scales) {
    FakeEnvironment environment(
        std::map<std::string, std::string>{{"QUELB_SLEEP_SCALE", scale.first}});
    EXPECT_EQ(scale.second, fiScaledSleepMicroseconds(2)) << scale.first;
  }

  // Pair files go where the replaced TMPDIR says; the process's own
  // environment is not touched.
  FakeEnvironment environment({{"TMPDIR", dir.path()}});
  {
    CEmcSymPairFile files({dev("0040")}, {dev("00C0")});
    EXPECT_EQ(tmp + "hvq_fi", files.getFilesByIndex()[0].substr(0, tmp.size() + 6));
    EXPECT_EQ(1u, testenv::listDir(dir.path()).size());
  }
  EXPECT_TRUE(testenv::listDir(dir.path()).empty());
  fiSetEnvironmentFunction(nullptr);
  EXPECT_EQ(processTmpdir, fiGetEnvironment("TMPDIR"));
}

// The fault the current case injects.
CFiTempFile::Step g_faultStep;
int g_faultError;

int injectFault(const std::string&, CFiTempFile::Step step, std::size_t) {
  return step == g_faultStep ? g_faultError : 0;
}

class InjectedFault {
 public:
  InjectedFault(CFiTempFile::Step step, int error) {
    g_faultStep = step;
    g_faultError = error;
    previous_ = CFiTempFile::setFault(&injectFault);
  }
  ~InjectedFault() { CFiTempFile::setFault(previous_); }

 private:
  CFiTempFile::FaultFunction previous_;
};

TEST(TempFileFaults, AFailedWriteOrCloseLeavesNoFileAndNamesTheReason) {
  testenv::IsolatedInstall install;
  testenv::TempDir tmp("norvel_seam");
  testenv::ScopedEnv tmpdir("TMPDIR", tmp.path().c_str());
  testenv::makeDirs(install.scratch("conf"));
  const std::string confDir = install.scratch("conf") + "/";
  const std::string original = "[TUNING_PARAMS]\n\"LOCK_RETRY_ATTEMPTS\"=dword:00000008\n";
  testenv::writeFile(confDir + "norvel.conf", original);

  const struct {
    CFiTempFile::Step step;
    int error;
    std::string why, systemText;
  } cases[] = {
      {CFiTempFile::STEP_WRITE, ENOSPC, "cannot write ", "No space left on device"},
      {CFiTempFile::STEP_CLOSE, EIO, "cannot close ", "Input/output error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.systemText);
    InjectedFault fault(c.step, c.error);

    // The pair file is refused, so the operation ends before any command (the other form:
    // TimeFinderTest.NoCommandRunsOnAPairFileThatCouldNotBeWritten).
    try {
      CEmcSymPairFile files(CEmcSymPairFile::PairLineMap{{"000190100001", {"0040 0080"}}});
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      const std::string text = e.what();
      EXPECT_NE(std::string::npos, text.find(c.why + tmp.path() + "/hvq_fi")) << text;
      EXPECT_NE(std::string::npos, text.find(": " + c.systemText + ")")) << text;
      EXPECT_NE(std::string::npos, text.find("no command runs on it")) << text;
    }
    EXPECT_TRUE(testenv::listDir(tmp.path()).empty());

    // The configuration writer keeps the old file and says why.
    CFiConfiguration config(CFiStringTool::str2tstr(confDir),
                            CFiStringTool::str2tstr("norvel.conf"), true);
    ACE_Configuration_Section_Key section;
    ASSERT_EQ(0, config.openSection(CFiStringTool::str2tstr("TUNING_PARAMS"), section, true));
    ASSERT_EQ(0, config.setIntegerValue(CFiStringTool::str2tstr("LOCK_RETRY_ATTEMPTS"), 0));
    EXPECT_NE(0, config.exportConfig());
    EXPECT_EQ(original, testenv::readFile(confDir + "norvel.conf"));
    EXPECT_EQ(std::vector<std::string>{"norvel.conf"}, testenv::listDir(confDir));
    const std::string detail = CFiStringTool::tstr2str(config.getLastError().detail());
    EXPECT_NE(std::string::npos, detail.find("Writing the configuration file failed: " + c.why +
                                             confDir + "norvel.conf.write"))
        << detail;
    EXPECT_NE(std::string::npos, detail.find(": " + c.systemText)) << detail;
    EXPECT_EQ(c.error, config.getLastError().code());
  }
}

TEST(PlatformSeam, TheThreadIdIsTheKernelsInEveryThreadAndAfterAFork) {
  // Asked twice: the second answer is the kept one.
  auto matches = [] {
    return fiCurrentThreadId() == static_cast<unsigned>(::gettid()) &&
           fiCurrentThreadId() == static_cast<unsigned>(::gettid());
  };
  EXPECT_TRUE(matches()) << "this thread";
  bool inThread = false;
  std::thread([&] { inThread = matches(); }).join();
  EXPECT_TRUE(inThread) << "another thread";
  const pid_t child = ::fork();
  ASSERT_LE(0, child);
  if (child == 0)
    ::_exit(matches() && fiCurrentProcessId() == static_cast<unsigned long>(::getpid()) ? 0 : 1);
  int status = -1;
  ASSERT_EQ(child, ::waitpid(child, &status, 0));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a forked child";
}

}  // namespace
