// Errors, per-thread last errors and the handler that forwards to the framework.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "cfierror.h"
#include "cfierrormgr.h"
#include "cfiicucatalog.h"
#include "cfistringtool.h"
#include "isolated_install.h"

using namespace quelb_pdk_4_4;
using testenv::IsolatedInstall;

namespace {

std::string N(const wchar_t* s) { return s ? CFiStringTool::wcs2mbs(s) : "<null>"; }
tstring T(const std::string& s) { return CFiStringTool::str2tstr(s); }

CFiMessagePtr makeMessage(const std::string& id, const std::string& argument) {
  return CFiMessagePtr(new CFiIcuMessage(id, {CFiIcuMessage::text(argument)}, QLB_SEV_ERROR,
                                         "tests/unit/error_manager_test", __LINE__));
}

std::string lastErrorText(CFiErrorManager& manager) {
  const qlb_msg_info* record = manager.getLastError();
  return record ? std::string(record->mi_text, record->mi_length) : "<none>";
}

struct Delivered {
  std::string consumer;
  std::string fallback;
  int severity;
};

struct CallbackLog {
  qlb_init_rec record = {};
  qlb_locale_desc locale = {nullptr};
  std::vector<Delivered> delivered;

  explicit CallbackLog(const char* language) {
    locale.ld_language = language;
    record.ir_callback = &CallbackLog::callback;
    record.ir_locale = &locale;
    record.ir_user = this;
  }
  static void callback(qlb_init_rec* rec, const wchar_t* consumer, const wchar_t* fallback,
                       int severity) {
    static_cast<CallbackLog*>(rec->ir_user)
        ->delivered.push_back({N(consumer), N(fallback), severity});
  }
};

TEST(ErrorManager, EachThreadSeesOnlyItsOwnLastError) {
  CFiErrorManagerPtr manager(new CFiErrorManager);
  EXPECT_EQ("<none>", lastErrorText(*manager));

  std::string seen[2];
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([&, t] {
      manager->pushError(makeMessage("MSG_T" + std::to_string(t), "first"));
      manager->pushError(makeMessage("MSG_T" + std::to_string(t), "second"));
      seen[t] = lastErrorText(*manager);
      manager->deleteLastError(nullptr);
      if (manager->getLastError() != nullptr) seen[t] += " still there";
    });
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 2; ++t) {
    EXPECT_NE(std::string::npos, seen[t].find("MSGID=MSG_T" + std::to_string(t) + " "));
    EXPECT_NE(std::string::npos, seen[t].find(">second</ARGVALUE>")) << seen[t];
    EXPECT_EQ(std::string::npos, seen[t].find("first"));
    EXPECT_EQ(std::string::npos, seen[t].find("still there"));
  }
  EXPECT_EQ("<none>", lastErrorText(*manager));

  // The record stays valid while the message is the last error.
  manager->pushError(makeMessage("MSG_KEEP", "kept"));
  const qlb_msg_info* record = manager->getLastError();
  manager->pushError("a traced line\n", QLB_SEV_ERROR);
  EXPECT_EQ(record, manager->getLastError());
  EXPECT_NE(std::string::npos, std::string(record->mi_text).find("MSGID=MSG_KEEP"));
}

TEST(ErrorManager, HandlerForwardsTextsAndMessagesInBothLanguages) {
  IsolatedInstall install;
  install.linkBuiltMessages();
  CFiMessageCatalogManagerPtr catalogs(new CFiMessageCatalogManager);
  CFiIcuMessageCatalogFactory factory("root", T("norvel"));
  catalogs->registerFactory(&factory);

  CallbackLog german("de");
  CFiErrorHandler handler(&german.record, catalogs);
  EXPECT_EQ("de", handler.language());
  CallbackLog plain(nullptr);
  CFiErrorHandler plainHandler(&plain.record, catalogs);
  CFiErrorHandler noRecord(nullptr, catalogs);
  qlb_init_rec silentRecord = {};
  CFiErrorHandler noCallback(&silentRecord, catalogs);

  CFiErrorManagerPtr manager(new CFiErrorManager);
  CFiErrorHandlerBase* const handlers[] = {&handler, &plainHandler, &noRecord, &noCallback};
  for (CFiErrorHandlerBase* h : handlers) manager->registerHandler(h);

  manager->pushError("norvel:stamp <Thread id - 1> a trace line \xc3\xa4\n", QLB_SEV_WARNING);
  manager->pushError(CFiMessagePtr(
      new CFiIcuMessage("MSG_ERROR_CLI_NOT_INSTALLED",
                        {CFiIcuMessage::text("/nowhere/"), CFiIcuMessage::text("symcfg.exe")},
                        QLB_SEV_WARNING, "providers/emcsymmetrix/emcsym_plugin", 1)));

  ASSERT_EQ(2u, german.delivered.size());
  EXPECT_EQ("", german.delivered[0].consumer);
  EXPECT_EQ("norvel:stamp <Thread id - 1> a trace line \xc3\xa4\n", german.delivered[0].fallback);
  EXPECT_EQ(QLB_SEV_WARNING, german.delivered[0].severity);
  EXPECT_EQ(0u, german.delivered[1].consumer.find("norvel: Die EMC-SYMCLI-Werkzeuge"));
  EXPECT_NE(std::string::npos, german.delivered[1].consumer.find("\"/nowhere/\""));
  EXPECT_EQ(0u, german.delivered[1].fallback.find("norvel: The EMC SYMCLI tools were not found"));
  EXPECT_EQ(QLB_SEV_WARNING, german.delivered[1].severity);

  ASSERT_EQ(2u, plain.delivered.size());
  EXPECT_EQ(plain.delivered[1].fallback, plain.delivered[1].consumer);
  EXPECT_EQ(german.delivered[1].fallback, plain.delivered[1].fallback);

  for (CFiErrorHandlerBase* h : handlers) manager->unregisterHandler(h);
  catalogs->unregisterFactory(&factory);
}

TEST(ErrorManager, ErrmsgIdsReduceCodesAboveTheOffset) {
  auto id = [](int code) {
    return CFiError(code, T(""), T("src"), 1, T("fn")).messageId("norvel", 6000);
  };
  EXPECT_EQ("MSG_ERROR_NORVEL_0012", id(6012));
  EXPECT_EQ("MSG_ERROR_NORVEL_0025", id(25));
  EXPECT_EQ("MSG_ERROR_NORVEL_6000", id(6000));
  EXPECT_EQ("MSG_ERROR_NORVEL_12345", id(18345));
  EXPECT_EQ("MSG_ERROR_QUELB_0030", CFiError(30, T(""), T(""), 0, T("")).messageId("Quelb", 6000));
}

}  // namespace
