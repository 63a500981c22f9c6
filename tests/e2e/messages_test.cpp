// Messages, last errors and tracing of libnorvel.so as the framework sees them: a failure pushed
// during init reaches the init record's callback in the consumer's and the default language,
// get_last_error answers on the failing thread only, and the configured trace level writes the
// trace file. quelbctl shows the same texts (Quelbctl).
#include <thread>

#include "loaded_provider.h"

namespace {

using e2etest::N;

class Messages : public e2etest::LoadedProvider {
 protected:
  std::string localeText(qlb_msg_info* last, const char* language) {
    wchar_t* text = nullptr;
    EXPECT_EQ(0, pgn.get_locale_message(nullptr, last, language, &text));
    std::string copy = N(text);
    EXPECT_EQ(0, pgn.del_locale_message(&text));
    return copy;
  }
};

TEST_F(Messages, APushedFailureReachesTheCallbackAndTheFailingThreadOnly) {
  const std::string missing = install.scratch("no-symcli");
  writeConfig("[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + missing + "\"\n");
  locale.ld_language = "de";
  ASSERT_EQ(QLB_ERR_PROVIDER_INIT, pgn.init(&record, version));
  started = true;

  // The texts themselves: Quelbctl.InfoHelpVersionALibraryWithoutEntryPointsAndBothLanguages.
  ASSERT_EQ(1u, pushed.size());
  EXPECT_EQ(QLB_SEV_WARNING, pushed[0].severity);
  EXPECT_NE(pushed[0].consumer, pushed[0].fallback);

  qlb_msg_info* last = nullptr;
  ASSERT_EQ(0, pgn.get_last_error(&last));
  ASSERT_NE(nullptr, last);
  const std::string serialized(last->mi_text, last->mi_length);
  EXPECT_EQ(0u,
            serialized.find("<SERIALIZED_MESSAGE MSGID=MSG_ERROR_CLI_NOT_INSTALLED SEVERITY=2>\n"));
  EXPECT_EQ(pushed[0].consumer, localeText(last, "de"));
  EXPECT_EQ(pushed[0].consumer, localeText(last, "native"));
  EXPECT_EQ(pushed[0].fallback, localeText(last, nullptr));
  EXPECT_EQ(pushed[0].fallback, localeText(last, "fr"));

  std::thread([this] {
    qlb_msg_info* other = reinterpret_cast<qlb_msg_info*>(1);
    EXPECT_EQ(0, pgn.get_last_error(&other));
    EXPECT_EQ(nullptr, other);
  }).join();

  EXPECT_EQ(0, pgn.del_last_error(&last));
  EXPECT_EQ("", lastError());
}

TEST_F(Messages, EntryPointsAreTracedToTheDaysFile) {
  start();
  qlb_fim_list* fims = nullptr;
  EXPECT_EQ(0, pgn.enumerate_fims(&fims));
  quelb_free_fim_list(fims);
  pgn.fini();
  started = false;

  std::vector<std::string> logs = testenv::listDir(install.root() + "Logs");
  // The day's name: TraceLogTest.TheFileChangesWithTheDayAndLinesCarryTheirTime.
  ASSERT_EQ(1u, logs.size());
  std::string trace = testenv::readFile(install.root() + "Logs/" + logs[0]);
  for (const char* line : {"> Entering Function CEmcSymPlugin::init\n",
                           "> Entering Function norvel_fi_pgn_enumerate_fims\n",
                           "> Entering Function CEmcSymPlugin::enumerateFims\n",
                           "> Exiting Function norvel_fi_pgn_fini\n"})
    EXPECT_NE(std::string::npos, trace.find(line)) << line;
}

}  // namespace
