// Errors, per-thread last errors and the handler that forwards to the framework.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cfierror.h"
#include "cfierrormgr.h"
#include "cfiicumessage.h"
#include "cfistringtool.h"

using namespace quelb_pdk_4_4;

namespace {

tstring T(const std::string& s) { return CFiStringTool::str2tstr(s); }

CFiMessagePtr makeMessage(const std::string& id, const std::string& argument) {
  return CFiMessagePtr(new CFiIcuMessage(id, {CFiIcuMessage::text(argument)}, QLB_SEV_ERROR,
                                         "tests/unit/error_manager_test", __LINE__));
}

std::string lastErrorText(CFiErrorManager& manager) {
  const qlb_msg_info* record = manager.getLastError();
  return record ? std::string(record->mi_text, record->mi_length) : "<none>";
}

// That each thread sees only its own:
// Messages.APushedFailureReachesTheCallbackAndTheFailingThreadOnly and ThreadStress (e2e). The
// later message replaces the earlier one; a traced text does not, and the record stays valid while
// its message is the last error.
TEST(ErrorManager, TheLastMessageIsTheLastErrorUntilDeleted) {
  CFiErrorManagerPtr manager(new CFiErrorManager);
  EXPECT_EQ("<none>", lastErrorText(*manager));
  manager->pushError(makeMessage("MSG_KEEP", "first"));
  manager->pushError(makeMessage("MSG_KEEP", "second"));
  const qlb_msg_info* record = manager->getLastError();
  manager->pushError("a traced line\n", QLB_SEV_ERROR);
  EXPECT_EQ(record, manager->getLastError());
  const std::string text = lastErrorText(*manager);
  EXPECT_NE(std::string::npos, text.find("MSGID=MSG_KEEP ")) << text;
  EXPECT_NE(std::string::npos, text.find(">second</ARGVALUE>")) << text;
  EXPECT_EQ(std::string::npos, text.find("first")) << text;
  manager->deleteLastError(nullptr);
  EXPECT_EQ("<none>", lastErrorText(*manager));
}

// What the callback receives, in the consumer's language and the default one, is the end-to-end
// Messages and FailureMessages tests'.
// A traced text reaches the callback second and whole, decoded from UTF-8, at every length: short
// ones through a buffer on the stack, longer ones through the heap. Handlers without a record or a
// callback, registered beside it, pass nothing on.
TEST(ErrorManager, ATracedTextReachesTheCallbackWholeAtAnyLength) {
  static std::vector<std::wstring> received;
  received.clear();
  CFiMessageCatalogManagerPtr catalogs(new CFiMessageCatalogManager);
  CFiErrorHandler noRecord(nullptr, catalogs);
  qlb_init_rec silentRecord = {};
  CFiErrorHandler noCallback(&silentRecord, catalogs);
  CFiErrorManagerPtr manager(new CFiErrorManager);
  manager->registerHandler(&noRecord);
  manager->registerHandler(&noCallback);
  manager->pushError(makeMessage("MSG_ERROR_CLI_NOT_INSTALLED", "/nowhere/"));

  qlb_init_rec record = {};
  record.ir_callback = [](qlb_init_rec*, const wchar_t* consumer, const wchar_t* text, int) {
    received.push_back(std::wstring(consumer) + L"|" + text);
  };
  CFiErrorHandler handler(&record, catalogs);
  manager->registerHandler(&handler);
  const std::pair<std::string, std::wstring> cases[] = {
      {"", L""},
      {"K\xC3\xB6ln", L"K\x00F6ln"},
      {std::string(511, 'x'), std::wstring(511, L'x')},  // the most the stack buffer takes
      {std::string(512, 'x'), std::wstring(512, L'x')},
      {std::string(3000, 'x') + "\xE2\x82\xAC", std::wstring(3000, L'x') + L"\x20AC"}};
  for (const auto& c : cases) {
    received.clear();
    manager->pushError(c.first.c_str(), QLB_SEV_TRACE);
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ(L"|" + c.second, received[0]) << c.first.size();
  }
  manager->unregisterHandler(&handler);
  manager->unregisterHandler(&noRecord);
  manager->unregisterHandler(&noCallback);
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
