// Messages, last errors and tracing of libnorvel.so as the framework sees
// them: a failure pushed during init reaches the init record's callback in
// the consumer's and the default language, get_last_error answers on the
// failing thread only, and a configured trace level writes the trace file.
#include <dlfcn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include <quelb/quelb_pgn.h>

#include "isolated_install.h"
#include "test_env.h"
#include "utf8.h"

namespace {

std::string N(const wchar_t* text) {
  return text ? boundedtext::wideToUtf8(text, std::wcslen(text)) : "<null>";
}

struct Pushed {
  std::string consumer;
  std::string fallback;
  int severity;
};

void collect(qlb_init_rec* rec, const wchar_t* consumer, const wchar_t* fallback, int severity) {
  static_cast<std::vector<Pushed>*>(rec->ir_user)->push_back({N(consumer), N(fallback), severity});
}

class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    install.linkBuiltMessages();
    handle = dlopen(testenv::norvelLibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, handle) << dlerror();
#define RESOLVE(op) \
  pgn.op = reinterpret_cast<qlb_pgn_##op##_t>(dlsym(handle, "norvel_fi_pgn_" #op));
    QLB_PGN_OPERATIONS(RESOLVE)
#undef RESOLVE
    liveBefore = quelb_live_buffers();
    record.ir_callback = &collect;
    record.ir_locale = &locale;
    record.ir_user = &pushed;
  }
  void TearDown() override {
    if (handle) dlclose(handle);
    EXPECT_EQ(liveBefore, quelb_live_buffers()) << "framework buffers leaked";
  }

  void writeConfig(const std::string& text) {
    testenv::makeDirs(install.root() + "ConfigFiles");
    testenv::writeFile(install.configFile("norvel"), text);
  }

  std::string localeText(qlb_msg_info* last, const char* language) {
    wchar_t* text = nullptr;
    EXPECT_EQ(0, pgn.get_locale_message(nullptr, last, language, &text));
    std::string copy = N(text);
    EXPECT_EQ(0, pgn.del_locale_message(&text));
    return copy;
  }

  testenv::IsolatedInstall install;
  void* handle = nullptr;
  qlb_pgn_table pgn = {};
  uint64_t liveBefore = 0;
  qlb_locale_desc locale = {"de"};
  qlb_init_rec record = {};
  std::vector<Pushed> pushed;
  uint16_t version[4] = {0, 0, 0, 0};
};

TEST_F(Messages, APushedFailureReachesTheCallbackAndTheFailingThreadOnly) {
  const std::string missing = install.scratch("no-symcli");
  writeConfig("[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + missing + "\"\n");
  ASSERT_EQ(QLB_ERR_PROVIDER_INIT, pgn.init(&record, version));

  ASSERT_EQ(1u, pushed.size());
  EXPECT_EQ(QLB_SEV_WARNING, pushed[0].severity);
  EXPECT_EQ("norvel: Die EMC-SYMCLI-Werkzeuge wurden nicht gefunden: Im Verzeichnis \"" + missing +
                "/\" gibt es kein symcfg.",
            pushed[0].consumer.substr(0, pushed[0].consumer.find(". ") + 1));
  EXPECT_EQ("norvel: The EMC SYMCLI tools were not found: there is no symcfg in the "
            "directory \"" + missing + "/\".",
            pushed[0].fallback.substr(0, pushed[0].fallback.find(". ") + 1));

  qlb_msg_info* last = nullptr;
  ASSERT_EQ(0, pgn.get_last_error(&last));
  ASSERT_NE(nullptr, last);
  const std::string serialized(last->mi_text, last->mi_length);
  EXPECT_EQ(0u, serialized.find("<SERIALIZED_MESSAGE MSGID=MSG_ERROR_CLI_NOT_INSTALLED SEVERITY=2>\n"));
  EXPECT_EQ(pushed[0].consumer, localeText(last, "de"));
  EXPECT_EQ(pushed[0].consumer, localeText(last, "native"));
  EXPECT_EQ(pushed[0].fallback, localeText(last, nullptr));
  EXPECT_EQ(pushed[0].fallback, localeText(last, "fr"));

  std::thread([this] {
    qlb_msg_info* other = reinterpret_cast<qlb_msg_info*>(1);
    EXPECT_EQ(0, pgn.get_last_error(&other));
    EXPECT_EQ(nullptr, other);
  }).join();

  const wchar_t* text = nullptr;
  EXPECT_EQ(0, pgn.errmsg(30, &text));
  EXPECT_EQ(0u, N(text).find("norvel: Der Symmetrix-Provider konnte nicht initialisiert werden."));
  EXPECT_EQ(0, pgn.errmsg(6006, &text));
  EXPECT_EQ(0u, N(text).find("norvel: Der Vorgang ist fehlgeschlagen."));

  EXPECT_EQ(0, pgn.del_last_error(&last));
  EXPECT_EQ(0, pgn.get_last_error(&last));
  EXPECT_EQ(nullptr, last);
  pgn.fini();
}

TEST_F(Messages, TheSecondStartTracesEveryOperation) {
  testenv::makeDirs(install.scratch("symcli"));
  writeConfig("[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + install.scratch("symcli") + "\"\n");
  ASSERT_EQ(0, pgn.init(&record, version));
  pgn.fini();
  EXPECT_TRUE(testenv::listDir(install.root() + "Logs").empty());
  std::string config = testenv::readFile(install.configFile("norvel"));
  EXPECT_NE(std::string::npos, config.find("\"TRACELEVEL\"=dword:00000001\n")) << config;
  EXPECT_NE(std::string::npos, config.find("[CLI_TOOL_INFO]\n\"FILEPATH\"=")) << config;

  // Raised by hand, as a person would: blanks and no final line end.
  size_t at = config.find("\"TRACELEVEL\"=dword:00000001\n");
  config.replace(at, 28, "");
  writeConfig(config + "[DEBUG_TRACE_INFO]\n\"TRACELEVEL\" = dword:00000006");
  ASSERT_EQ(0, pgn.init(&record, version));
  qlb_fim_list* fims = nullptr;
  EXPECT_EQ(0, pgn.enumerate_fims(&fims));
  quelb_free_fim_list(fims);
  pgn.fini();

  std::vector<std::string> logs = testenv::listDir(install.root() + "Logs");
  ASSERT_EQ(1u, logs.size());
  char date[16];
  time_t now = time(nullptr);
  struct tm local;
  strftime(date, sizeof date, "%m%d%y", localtime_r(&now, &local));
  EXPECT_EQ(std::string("norvel.log.") + date, logs[0]);
  std::string trace = testenv::readFile(install.root() + "Logs/" + logs[0]);
  for (const char* line :
       {"> Entering Function CEmcSymPlugin::init\n", "> Exiting Function CEmcSymPlugin::init\n",
        "> Entering Function norvel_fi_pgn_enumerate_fims\n",
        "> Entering Function CEmcSymPlugin::enumerateFims\n",
        "> Exiting Function norvel_fi_pgn_fini\n"})
    EXPECT_NE(std::string::npos, trace.find(line)) << line;
  bool forwarded = false;
  for (const Pushed& p : pushed)
    forwarded = forwarded || (p.consumer.empty() && p.severity == QLB_SEV_TRACE &&
                              p.fallback.find("Entering Function CEmcSymPlugin::enumerateFims") !=
                                  std::string::npos);
  EXPECT_TRUE(forwarded);
}

std::string run(const std::string& command, int* exitStatus) {
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  if (!pipe) return output;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
  int status = pclose(pipe);
  *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

TEST(QuelbctlMessages, ShowsBothLanguagesAndTheLastError) {
  testenv::IsolatedInstall install;
  install.linkBuiltMessages();
  const std::string missing = install.scratch("absent/");
  testenv::makeDirs(install.root() + "ConfigFiles");
  testenv::writeFile(install.configFile("norvel"),
                     "[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + missing + "\"\n");
  int status = 0;
  std::string output = run(testenv::quelbctlPath() + " --lib " + testenv::norvelLibraryPath() +
                               " --lang de --last-error info 2>&1",
                           &status);
  EXPECT_EQ(1, status) << output;
  const std::string german = "norvel: Die EMC-SYMCLI-Werkzeuge wurden nicht gefunden: Im "
                             "Verzeichnis \"" + missing + "\" gibt es kein symcfg.";
  const std::string english = "          norvel: The EMC SYMCLI tools were not found: there is no "
                              "symcfg in the directory \"" + missing + "\".";
  EXPECT_NE(std::string::npos, output.find("[warning] " + german)) << output;
  EXPECT_NE(std::string::npos, output.find("\n" + english)) << output;
  EXPECT_NE(std::string::npos,
            output.find("quelbctl: init returned 30: norvel: Der Symmetrix-Provider konnte nicht "
                        "initialisiert werden."))
      << output;
  EXPECT_NE(std::string::npos, output.find("last error: " + german)) << output;
  EXPECT_NE(std::string::npos, output.find("\n            norvel: The EMC SYMCLI tools were not"))
      << output;

}

}  // namespace
