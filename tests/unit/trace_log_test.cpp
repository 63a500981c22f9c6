// The trace log.
#include <ace/ACE.h>
#include <gtest/gtest.h>

#include <cstdarg>
#include <ctime>
#include <sstream>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "cficonfiguration.h"
#include "cfierrormgr.h"
#include "cfistringtool.h"
#include "cfitracelog.h"
#include "isolated_install.h"
#include "message_recorder.h"
#include "test_env.h"

using namespace quelb_pdk_4_4;
using testenv::IsolatedInstall;

namespace {

// A copy would share (and delete twice) the log's settings and file state.
static_assert(!std::is_copy_constructible<CFiTraceLog>::value &&
                  !std::is_copy_assignable<CFiTraceLog>::value,
              "a trace log is not copyable");

tstring T(const std::string& s) { return CFiStringTool::str2tstr(s); }
std::string N(const tstring& s) { return CFiStringTool::tstr2str(s); }

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// trace() without the compiler's format check, for formats it rejects.
void traceUnchecked(CFiTraceLog& log, int level, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  log.vtrace(level, format, args);
  va_end(args);
}

class TraceLogTest : public ::testing::Test {
 protected:
  void TearDown() override { fiSetTraceClockFunction(nullptr); }

  void writeSettings(const std::string& values) {
    testenv::makeDirs(install.root() + "ConfigFiles");
    testenv::writeFile(install.configFile("norvel"), "[DEBUG_TRACE_INFO]\n" + values);
  }

  CFiTraceLogPtr start() {
    CFiTraceLogPtr log(new CFiTraceLog);
    log->initialize(T("norvel"), tstring(), tstring(), 1, false);
    return log;
  }

  std::string logText(const CFiTraceLogPtr& log) { return testenv::readFile(N(log->path())); }

  IsolatedInstall install;
};

TEST_F(TraceLogTest, FirstStartWritesDefaultsAndStaysOffNextStartTraces) {
  CFiTraceLogPtr first = start();
  EXPECT_FALSE(first->isInitialized());
  int level = -1;
  EXPECT_EQ(0, first->GetTraceLevels(level));
  first->trace(FI_TRACE_ERROR, "not written %d", 1);
  EXPECT_TRUE(testenv::listDir(install.root() + "Logs").empty());

  const std::string written = testenv::readFile(install.configFile("norvel"));
  for (const std::string& line :
       {std::string("[DEBUG_TRACE_INFO]"),
        "\"TRACEDIR\"=\"" + testenv::nativePath(install.root() + "Logs/") + "\"",
        std::string("\"TRACEFILE\"=\"norvel.log\""), std::string("\"TRACELEVEL\"=dword:00000001"),
        std::string("\"TRACESTDOUT\"=dword:00000000"),
        std::string("\"TRACERUNTIMEUPDATE\"=dword:00000000")})
    EXPECT_NE(std::string::npos, written.find(line + "\n")) << line;

  CFiTraceLogPtr second = start();
  ASSERT_TRUE(second->isInitialized());
  EXPECT_EQ(1, second->GetTraceLevels(level));
  second->trace(FI_TRACE_ERROR, "failure %s", "seen");
  second->trace(FI_TRACE_WARNING, "warning not seen");
  std::vector<std::string> lines = linesOf(logText(second));
  ASSERT_EQ(1u, lines.size());
  std::ostringstream tail;
  tail << " <Pid - " << testenv::processId() << " / Thread id - " << testenv::threadId()
       << "> failure seen";
  EXPECT_EQ(tail.str(), lines[0].substr(lines[0].size() - tail.str().size()));
}

TEST_F(TraceLogTest, LevelsAreWrittenUpToTheConfiguredOneAndAllAreForwarded) {
  writeSettings("\"TRACELEVEL\"=dword:00000006\n");
  CFiTraceLogPtr log = start();
  ASSERT_TRUE(log->isInitialized());
  int level = 0;
  EXPECT_EQ(6, log->GetTraceLevels(level));
  // Missing keys were written with their defaults.
  CFiConfiguration config(T("norvel"));
  tstring file;
  EXPECT_EQ(0, config.getStringValue(T("DEBUG_TRACE_INFO"), T("TRACEFILE"), file));

  CFiErrorManagerPtr errors(new CFiErrorManager);
  testenv::MessageRecorder handler;
  errors->registerHandler(&handler);
  log->registerErrorManager(errors);
  for (int l = 1; l <= 7; ++l) log->trace(l, "line of level %d", l);
  log->trace(FI_TRACE_ERROR, "%s", "");  // an empty message is still a line
  traceUnchecked(*log, 1, "");           // an empty format is not

  std::vector<std::string> lines = linesOf(logText(log));
  ASSERT_EQ(7u, lines.size());
  for (int l = 1; l <= 6; ++l)
    EXPECT_NE(std::string::npos, lines[l - 1].find("> line of level " + std::to_string(l)));

  const qlb_eseverity expected[] = {QLB_SEV_ERROR, QLB_SEV_WARNING, QLB_SEV_INFO, QLB_SEV_TRACE,
                                    QLB_SEV_TRACE, QLB_SEV_TRACE,   QLB_SEV_TRACE};
  ASSERT_EQ(8u, handler.texts.size());
  for (int l = 1; l <= 7; ++l) {
    const std::string& text = handler.texts[l - 1].first;
    EXPECT_EQ(expected[l - 1], handler.texts[l - 1].second) << l;
    EXPECT_EQ(0u, text.find("norvel:"));
    EXPECT_NE(std::string::npos, text.find(" <Thread id - " + std::to_string(testenv::threadId()) +
                                           "> line of level " + std::to_string(l) + "\n"));
  }
  errors->unregisterHandler(&handler);
}

TEST_F(TraceLogTest, RuntimeUpdateRereadsTheLevelOnEveryCall) {
  writeSettings("\"TRACELEVEL\"=dword:00000006\n\"TRACERUNTIMEUPDATE\"=dword:00000001\n");
  CFiTraceLogPtr log = start();
  ASSERT_TRUE(log->isInitialized());
  log->trace(FI_TRACE_DEBUG, "detail while at six");
  writeSettings("\"TRACELEVEL\"=dword:00000002\n\"TRACERUNTIMEUPDATE\"=dword:00000001\n");
  log->trace(FI_TRACE_DEBUG, "detail after the change");
  log->trace(FI_TRACE_INFO, "info after the change");
  log->trace(FI_TRACE_WARNING, "warning after the change");
  std::string text = logText(log);
  EXPECT_NE(std::string::npos, text.find("detail while at six"));
  EXPECT_EQ(std::string::npos, text.find("detail after the change"));
  EXPECT_EQ(std::string::npos, text.find("info after the change"));
  EXPECT_NE(std::string::npos, text.find("warning after the change"));

  // Level 0 at start-up: nothing is written, and runtime update cannot
  // switch tracing on later.
  writeSettings("\"TRACELEVEL\"=dword:00000000\n\"TRACERUNTIMEUPDATE\"=dword:00000001\n");
  const std::string path = N(log->path());
  testenv::removeTree(path);
  CFiTraceLogPtr off = start();
  EXPECT_FALSE(off->isInitialized());
  writeSettings("\"TRACELEVEL\"=dword:00000006\n\"TRACERUNTIMEUPDATE\"=dword:00000001\n");
  off->trace(FI_TRACE_ERROR, "still off");
  EXPECT_TRUE(testenv::listDir(install.root() + "Logs").empty());
}

time_t g_fakeNow = 0;
suseconds_t g_fakeUsec = 0;
ACE_Time_Value fakeClock() { return ACE_Time_Value(g_fakeNow, g_fakeUsec); }

// ACE's timestamp text of a time: what every line starts with.
std::string aceStamp(time_t seconds, suseconds_t usec) {
  char text[64];
  ACE::timestamp(ACE_Time_Value(seconds, usec), text, sizeof text);
  return text;
}

time_t localTime(int year, int month, int day, int hour) {
  struct tm parts = {};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_isdst = -1;
  return std::mktime(&parts);
}

TEST_F(TraceLogTest, TheFileChangesWithTheDayAndLinesCarryTheirTime) {
  writeSettings("\"TRACELEVEL\"=dword:00000003\n\"TRACEDIR\"=\"" + install.root() + "day\"\n");
  testenv::makeDirs(install.root() + "day");
  g_fakeNow = localTime(2026, 12, 4, 23);
  fiSetTraceClockFunction(&fakeClock);
  CFiTraceLogPtr log = start();
  ASSERT_TRUE(log->isInitialized());
  const std::string dayOne = testenv::nativePath(install.root() + "day/norvel.log.120426");
  EXPECT_EQ(dayOne, N(log->path()));
  log->trace(FI_TRACE_INFO, "before midnight");
  g_fakeNow = localTime(2026, 12, 5, 0);
  log->trace(FI_TRACE_INFO, "after midnight");
  EXPECT_EQ(testenv::nativePath(install.root() + "day/norvel.log.120526"), N(log->path()));
  EXPECT_EQ(1u, linesOf(testenv::readFile(dayOne)).size());
  EXPECT_NE(std::string::npos, testenv::readFile(dayOne).find("before midnight"));
  EXPECT_NE(std::string::npos, logText(log).find("after midnight"));

  // Lines within one second keep the time to the microsecond.
  for (suseconds_t usec : {999999, 5, 0, 123456}) {
    g_fakeUsec = usec;
    log->trace(FI_TRACE_INFO, "at %ld", static_cast<long>(usec));
  }
  const std::vector<std::string> lines = linesOf(logText(log));
  ASSERT_EQ(5u, lines.size());
  const suseconds_t expected[] = {0, 999999, 5, 0, 123456};
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(0u, lines[i].find(aceStamp(g_fakeNow, expected[i]) + " <Pid - ")) << lines[i];
  g_fakeUsec = 0;
}

TEST_F(TraceLogTest, LongMessagesAreCutAtTheLargestBuffer) {
  writeSettings("\"TRACELEVEL\"=dword:00000001\n");
  CFiTraceLogPtr log = start();
  CFiErrorManagerPtr errors(new CFiErrorManager);
  testenv::MessageRecorder handler;
  errors->registerHandler(&handler);
  log->registerErrorManager(errors);

  const std::string longText(10000, 'x');
  log->trace(FI_TRACE_ERROR, "%s", longText.c_str());
  std::string umlauts;
  for (int i = 0; i < 5000; ++i) umlauts += "\xc3\xa4";
  log->trace(FI_TRACE_ERROR, "<%s>", umlauts.c_str());
  std::string fits(5000, 'y');
  log->trace(FI_TRACE_ERROR, "%s", fits.c_str());

  std::vector<std::string> lines = linesOf(logText(log));
  ASSERT_EQ(3u, lines.size());
  size_t start = lines[0].find("> ") + 2;
  EXPECT_EQ(std::string(8191, 'x'), lines[0].substr(start));
  // The cut never splits a character.
  std::string cut = lines[1].substr(lines[1].find("> <") + 3);
  EXPECT_EQ(8190u, cut.size());
  EXPECT_EQ(umlauts.substr(0, 8190), cut);
  EXPECT_NE(std::string::npos, lines[2].find("> " + fits));
  ASSERT_EQ(3u, handler.texts.size());
  EXPECT_NE(std::string::npos, handler.texts[0].first.find("> " + std::string(8191, 'x') + "\n"));
  errors->unregisterHandler(&handler);
}

TEST_F(TraceLogTest, LinesOfManyThreadsNeverMix) {
  writeSettings("\"TRACELEVEL\"=dword:00000006\n");
  CFiTraceLogPtr log = start();
  const std::string payload(300, 'p');
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&log, &payload, t] {
      for (int i = 0; i < 150; ++i) log->trace(FI_TRACE_INFO, "T%d %s end", t, payload.c_str());
    });
  for (std::thread& thread : threads) thread.join();
  std::vector<std::string> lines = linesOf(logText(log));
  ASSERT_EQ(600u, lines.size());
  for (const std::string& line : lines) {
    ASSERT_NE(std::string::npos, line.find("> T"));
    ASSERT_EQ(payload + " end", line.substr(line.find("> T") + 5));
  }
}

TEST_F(TraceLogTest, EchoFunctionScopesAndAnUnusableDirectory) {
  writeSettings("\"TRACELEVEL\"=dword:00000006\n\"TRACESTDOUT\"=dword:00000001\n");
  CFiTraceLogPtr log = start();
  testing::internal::CaptureStdout();
  {
    CFiTraceLogFunction scope(log, "CEmcSymPlugin::init");
    scope.setExitStatus(30, "no SYMCLI");
  }
  { CFiTraceLogFunction quiet(log, "CEmcSymPlugin::fini"); }
  std::string echoed = testing::internal::GetCapturedStdout();
  std::vector<std::string> lines = linesOf(logText(log));
  ASSERT_EQ(4u, lines.size());  // the plain forms: Messages.EntryPointsAreTracedToTheDaysFile
  EXPECT_NE(std::string::npos,
            lines[1].find("> Exiting Function CEmcSymPlugin::init [30, no SYMCLI]"));
  std::vector<std::string> echo = linesOf(echoed);
  ASSERT_EQ(4u, echo.size());
  EXPECT_EQ(0u, echo[0].find("norvel:"));
  EXPECT_NE(std::string::npos, echo[0].find(" / Thread id - "));

  writeSettings("\"TRACELEVEL\"=dword:00000006\n\"TRACEDIR\"=\"" + install.scratch("gone/") +
                "\"\n");
  testing::internal::CaptureStdout();
  CFiTraceLogPtr broken = start();
  std::string report = testing::internal::GetCapturedStdout();
  EXPECT_FALSE(broken->isInitialized());
  EXPECT_EQ(0u, report.find("[CFiTraceLog] Error: Tracefile [" + install.scratch("gone/") +
                            "norvel.log."));
  EXPECT_NE(std::string::npos,
            report.find("initialization failed.[norvel.log][" + install.scratch("gone/") + "]\n"));
}

}  // namespace
