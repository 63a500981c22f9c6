// The provider's operation guard.
#include "emcsym_guard.h"

#include <gtest/gtest.h>
#include <quelb/quelb_records.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "cfiicumessage.h"
#include "message_recorder.h"

using namespace quelb_pdk_4_4;

namespace {

class OperationGuard : public ::testing::Test {
 protected:
  OperationGuard() : errors(new CFiErrorManager) { errors->registerHandler(&recorder); }
  ~OperationGuard() override { errors->unregisterHandler(&recorder); }

  template <class Body>
  int run(CEmcSymOperationGuard::Kind kind, Body body) {
    return CEmcSymOperationGuard(kind, 77, errors.get()).run(body);
  }

  CFiErrorManagerPtr errors;
  testenv::MessageRecorder recorder;
};

const std::string kWhere = "providers/emcsymmetrix/emcsym_plugin:77";

}  // namespace

TEST_F(OperationGuard, EachExceptionGivesItsMessageAndArguments) {
  const std::string at = " [providers/emcsymmetrix/emcsym_plugin] [77]";
  const std::string pipe = "MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION 3 " + kWhere;
  const struct {
    std::function<int()> body;
    std::string message;
  } cases[] = {
      {[]() -> int { throw EFiExecPipe("\"/x/symcfg\"  list", QLB_EXEC_PIPE_READ_TIMEOUT); },
       pipe + " [QLB_EXEC_PIPE_READ_TIMEOUT] [\"/x/symcfg\"  list]" + at + " [0] [] [0]"},
      {[]() -> int { throw CFiError(12, L"no detail", L"pdk/src/cfithing", 34, L"CFiThing::do"); },
       "MSG_ERROR_UNHANDLED_FIERROR_EXCEPTION 3 " + kWhere +
           " [no detail] [CFiThing::do] [pdk/src/cfithing] [34]"},
      {[]() -> int { throw CFiUdidException("V##P", 2); },
       "MSG_ERROR_UDID_PARSING_EXCEPTION 3 " + kWhere + " [V##P] [2]"},
      {[]() -> int { throw std::runtime_error("bad state"); },
       "MSG_ERROR_UNHANDLED_RUNTIME_EXCEPTION 3 " + kWhere + " [std::runtime_error] [bad state]" +
           at},
      {[]() -> int { throw 42; }, "MSG_ERROR_UNHANDLED_INT_EXCEPTION 3 " + kWhere + " [42]" + at},
      // A failed run as the runner throws it: exit status and the tool's words.
      {[]() -> int {
         throw EEmcSymCliFailure(
             EFiExecPipe("\"/x/symdev\"  show 0FFF", QLB_EXEC_PIPE_CMD_FAILED, L"", 2),
             {"  Device 0FFF was not found ", ""});
       },
       pipe + " [QLB_EXEC_PIPE_CMD_FAILED] [\"/x/symdev\"  show 0FFF]" + at +
           " [2] [Device 0FFF was not found\n\n] [2]"},
      // The pipe's own words follow the code's name.
      {[]() -> int {
         throw EFiExecPipe("symdev list", QLB_EXEC_PIPE_OUTPUT_LIMIT, L"over 5 bytes");
       },
       pipe + " [QLB_EXEC_PIPE_OUTPUT_LIMIT: over 5 bytes] [symdev list]" + at + " [0] [] [0]"},
  };
  for (const auto& c : cases) {
    recorder.messages.clear();
    EXPECT_EQ(QLB_ERR_FAILED, run(CEmcSymOperationGuard::OPERATION, c.body)) << c.message;
    ASSERT_EQ(1u, recorder.messages.size()) << c.message;
    EXPECT_EQ(c.message, recorder.describe(0));
  }
}

TEST_F(OperationGuard, InitReportsItsFailureAndDelayedInitKeepsGoing) {
  EXPECT_EQ(QLB_ERR_PROVIDER_INIT, run(CEmcSymOperationGuard::INIT, []() -> int { throw 1; }));
  ASSERT_EQ(2u, recorder.messages.size());
  EXPECT_EQ("MSG_ERROR_UNHANDLED_INT_EXCEPTION", recorder.messages[0]->messageId());
  EXPECT_EQ("MSG_ERROR_INITIALIZATION_FAILED 2 " + kWhere, recorder.describe(1));

  // A runtime error inside the delayed initialisation: message, then 0.
  recorder.messages.clear();
  EXPECT_EQ(QLB_SUCCESS, run(CEmcSymOperationGuard::DELAYED_INIT,
                             []() -> int { throw std::runtime_error("lost"); }));
  ASSERT_EQ(1u, recorder.messages.size());
  EXPECT_EQ("MSG_ERROR_UNHANDLED_RUNTIME_EXCEPTION", recorder.messages[0]->messageId());
  // It stays the thread's last error.
  EXPECT_NE(nullptr, errors->getLastError());
}

TEST_F(OperationGuard, ACliExceptionEndsEveryKindWith6AndOtherExceptionsPassOn) {
  EXPECT_EQ(QLB_ERR_NOT_IMPLEMENTED,
            run(CEmcSymOperationGuard::OPERATION, [] { return QLB_ERR_NOT_IMPLEMENTED; }));
  const CEmcSymCliException cli(3, L"[symMirEstablish]", "providers/emcsymmetrix/emcsym_clitool",
                                9);
  for (CEmcSymOperationGuard::Kind kind :
       {CEmcSymOperationGuard::INIT, CEmcSymOperationGuard::DELAYED_INIT,
        CEmcSymOperationGuard::OPERATION})
    EXPECT_EQ(QLB_ERR_FAILED, run(kind, [&]() -> int { throw cli; }));
  EXPECT_THROW(run(CEmcSymOperationGuard::OPERATION, []() -> int { throw std::bad_alloc(); }),
               std::bad_alloc);
  EXPECT_THROW(run(CEmcSymOperationGuard::OPERATION, []() -> int { throw std::logic_error("x"); }),
               std::logic_error);
  EXPECT_TRUE(recorder.messages.empty());
}
