// The Windows platform services under Wine: the child-process pipe, the
// named semaphore, the registry and the install path rule. The Windows
// twins of the POSIX platform tests. Wide text (UTF-16 here) is the unit
// tests' (StringTool, Utf8), which the Windows build runs as well.
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "cficonfiguration.h"
#include "cfiexecpipewindows.h"
#include "cfiregistry.h"
#include "cfisemaphore.h"
#include "cfistringtool.h"
#include "utf8.h"

namespace quelb_pdk_4_4 {
namespace {

// The pipe with time-outs counted in milliseconds.
class FastPipe : public CFiExecPipeWindows {
 public:
  FastPipe() : CFiExecPipeWindows(1) { setTimeUnitMs(10); }
};

std::string childCommand(const std::string& arguments) {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::string path = boundedtext::wideToUtf8(self, n);
  path = path.substr(0, path.find_last_of('\\') + 1) + "pipe_child.exe";
  return "\"" + path + "\" " + arguments;
}

struct ChildRun {
  int result;
  std::vector<std::string> lines;
  EFiExecPipe error;
};

ChildRun run(const std::string& arguments, uint32_t timeout = 3000) {
  FastPipe pipe;
  ChildRun r;
  r.result = pipe.Exec(childCommand(arguments), r.lines, "", timeout, "", "", "");
  r.error = pipe.getLastError();
  return r;
}

TEST(WindowsPlatform, PipeMergesOutputAndSplitsLines) {
  const struct {
    std::string arguments;
    int result;
    std::vector<std::string> lines;
    int exitStatus;
  } cases[] = {
      // CR LF and LF end lines; stderr arrives on the same pipe; the last
      // line without a line end still counts.
      {"lines", 0, {"abc", "", "err", "last"}, 0},
      {"long 8190", 0, {std::string(8190, 'x')}, 0},
      {"long 8192", 0, {std::string(8191, 'x'), "x"}, 0},
      {"exit 0", 0, {}, 0},
      {"exit 3", QLB_EXEC_PIPE_CMD_FAILED, {}, 3},
  };
  for (const auto& c : cases) {
    ChildRun r = run(c.arguments);
    EXPECT_EQ(r.result, c.result) << c.arguments;
    EXPECT_EQ(r.lines, c.lines) << c.arguments;
    EXPECT_EQ(r.error.getExitStatus(), c.exitStatus) << c.arguments;
  }
}

// A second program of the same build under Wine has its pipe objects at the same addresses: pipes
// it made in these seconds must not capture this pipe's run (they would take its output).
TEST(WindowsPlatform, PipesOfAnotherProcessAtTheSameAddressLeaveARunItsOutput) {
  FastPipe pipe;
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<void*>(&pipe));
  std::vector<HANDLE> others;
  const unsigned long now = static_cast<unsigned long>(std::time(nullptr));
  for (unsigned long second = now; second <= now + 2; ++second) {
    for (const char* kind : {"InputPipeName", "OutputPipeName"}) {
      const std::string name = std::string("\\\\.\\pipe\\CFiExecPipeWindows_") + kind + "_" +
                               address + "_" + std::to_string(second);
      others.push_back(CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 4, 0, 0,
                                        3000, nullptr));
      ASSERT_NE(others.back(), INVALID_HANDLE_VALUE) << name;
    }
  }
  std::vector<std::string> lines;
  EXPECT_EQ(0, pipe.Exec(childCommand("lines"), lines, "", 3000, "", "", ""));
  EXPECT_EQ(lines, (std::vector<std::string>{"abc", "", "err", "last"}));
  for (HANDLE other : others) CloseHandle(other);
}

TEST(WindowsPlatform, PipeTimesOutAndEndsAChildThatIgnoresCtrlCOrCtrlBreak) {
  for (const char* mode : {"ignore-ctrl-c", "ignore-break"}) {
    ChildRun r = run(mode, 20);
    EXPECT_EQ(r.result, QLB_EXEC_PIPE_READ_TIMEOUT) << mode;
    // The auto-close asked, insisted, then terminated it.
    EXPECT_EQ(r.error.getCode(), QLB_EXEC_PIPE_CMD_FAILED) << mode;
    EXPECT_EQ(r.error.getExitStatus(), CFiExecPipeWindows::KILLED_EXIT_STATUS) << mode;
  }
}

TEST(WindowsPlatform, PipeReportsAProgramThatCannotStart) {
  FastPipe pipe;
  std::vector<std::string> lines;
  EXPECT_EQ(pipe.Exec("Z:\\no\\such\\program.exe", lines, "", 100, "", "", ""),
            QLB_EXEC_PIPE_CLOSE_HANDLE_FAILED);
  EXPECT_EQ(pipe.getLastError().getCode(), QLB_EXEC_PIPE_CREATE_CHILD_PROCESS_FAILED);
  EXPECT_NE(pipe.getLastError().getExitStatus(), 0);
  EXPECT_FALSE(pipe.getLastError().getMessage().empty());
}

// The logon as another user needs the LSA calls, which Wine does not
// provide: a run as another user is not tested here.

TEST(WindowsPlatform, NamedSemaphoreIsSharedWithOtherProcesses) {
  const int key = 7000 + static_cast<int>(GetCurrentProcessId() % 1000);
  const std::string probe = "probe " + std::to_string(key);
  {
    std::unique_ptr<CFiSemaphore> lock = CFiSemaphore::open(key);
    ASSERT_EQ(lock->wait(), 0);
    EXPECT_EQ(run(probe).lines, std::vector<std::string>{"busy"});
    ASSERT_EQ(lock->post(), 0);
    EXPECT_EQ(run(probe).lines, std::vector<std::string>{"taken"});
  }
  // A holder that is killed: once no process has the semaphore open, the
  // next one starts afresh with its count.
  ChildRun held = run("hold " + std::to_string(key), 300);
  EXPECT_EQ(held.lines, std::vector<std::string>{"held"});
  EXPECT_EQ(held.error.getExitStatus(), CFiExecPipeWindows::KILLED_EXIT_STATUS);
  EXPECT_EQ(run(probe).lines, std::vector<std::string>{"taken"});
}

// DllMain starts ACE and ICU's caches go at FreeLibrary: loading and
// unloading the provider again and again keeps neither handles nor memory.
TEST(WindowsPlatform, LoadingAndUnloadingTheProviderLeaksNothing) {
  auto cycle = [] {
    HMODULE library = LoadLibraryW(L"norvel.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_NE(GetProcAddress(library, "norvel_fi_pgn_init"), nullptr);
    EXPECT_EQ(GetProcAddress(library, "CFiExecPipeBase"), nullptr);
    FreeLibrary(library);
  };
  cycle();  // the first load also loads the dependencies, which stay
  DWORD handlesBefore = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
  PROCESS_MEMORY_COUNTERS_EX before;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&before),
                       sizeof before);
  for (int i = 0; i < 20; ++i) cycle();
  DWORD handlesAfter = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
  PROCESS_MEMORY_COUNTERS_EX after;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&after),
                       sizeof after);
  EXPECT_EQ(handlesAfter, handlesBefore);
  // Twenty cycles that each kept even 100 KiB would pass 2 MiB.
  EXPECT_LT(after.PrivateUsage, before.PrivateUsage + 2 * 1024 * 1024);
}

// Keys of this test below HKEY_LOCAL_MACHINE, removed again at the end.
class RegistryKeys : public ::testing::Test {
 protected:
  const std::wstring kRoot = L"SOFTWARE\\NorvelPlatformTest";

  void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, kRoot.c_str()); }

  void setString(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  void setNumber(const std::wstring& key, const wchar_t* name, DWORD value) {
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_DWORD, &value, sizeof value),
        ERROR_SUCCESS);
  }
};

TEST_F(RegistryKeys, PresentAbsentAndMalformedValues) {
  setString(kRoot + L"\\Present", L"Path", L"C:\\Quelb\\\u00e9t\u00e9");
  setNumber(kRoot + L"\\Present", L"Number", 5);
  setString(kRoot + L"\\Present\\Child", L"x", L"");
  std::unique_ptr<CFiRegistry> registry = CFiRegistry::localMachine();
  EXPECT_EQ(registry->location(), "HKEY_LOCAL_MACHINE");

  tstring value(L"untouched");
  EXPECT_EQ(registry->readString(tstring((kRoot + L"\\Present").c_str()), tstring(L"Path"), value),
            0);
  EXPECT_EQ(CFiStringTool::tstr2wstr(value), L"C:\\Quelb\\\u00e9t\u00e9");
  const wchar_t* const absent[][2] = {{L"\\Present", L"Number"},  // no string
                                      {L"\\Present", L"Missing"},
                                      {L"\\Absent", L"Path"}};
  for (const auto& a : absent) {
    tstring left(L"untouched");
    EXPECT_NE(registry->readString(tstring((kRoot + a[0]).c_str()), tstring(a[1]), left), 0)
        << CFiStringTool::wstr2str(a[1]);
    EXPECT_EQ(CFiStringTool::tstr2wstr(left), L"untouched");
  }
  ACE_Configuration_Section_Key key;
  ASSERT_EQ(registry->openKey(tstring((kRoot + L"\\Present").c_str()), key), 0);
  tstring child;
  EXPECT_EQ(registry->enumerateSubKey(key, 0, child), 0);
  EXPECT_EQ(CFiStringTool::tstr2wstr(child), L"Child");
  EXPECT_NE(registry->enumerateSubKey(key, 1, child), 0);
}

TEST_F(RegistryKeys, InstallPathEndsInABackslash) {
  const std::wstring key = CFiStringTool::tstr2wstr(CFiConfigurationPathTool::getInstallKey());
  // The test's own value, then the key as it was (the lifecycle test sets it).
  std::wstring before;
  DWORD bytes = 0;
  bool had = RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"InstallDir64", RRF_RT_REG_SZ, nullptr,
                          nullptr, &bytes) == ERROR_SUCCESS;
  if (had) {
    before.resize(bytes / sizeof(wchar_t));
    RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"InstallDir64", RRF_RT_REG_SZ, nullptr,
                 &before[0], &bytes);
    before.resize(wcslen(before.c_str()));
  }
  for (const wchar_t* stored : {L"C:\\Quelb", L"C:\\Quelb\\"}) {
    setString(key, L"InstallDir64", stored);
    tstring path;
    EXPECT_EQ(CFiConfigurationPathTool::getInstallPath(path), 0);
    EXPECT_EQ(CFiStringTool::tstr2wstr(path), L"C:\\Quelb\\");
  }
  if (had) {
    setString(key, L"InstallDir64", before);
  } else {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"InstallDir64");
  }
}

}  // namespace
}  // namespace quelb_pdk_4_4
