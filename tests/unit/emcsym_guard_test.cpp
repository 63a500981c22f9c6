// The provider's operation guard.
#include "emcsym_guard.h"

#include <gtest/gtest.h>
#include <quelb/quelb_records.h>

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
  const CFiUdidException udid("V##P", 2);
  EXPECT_EQ(QLB_ERR_FAILED, run(CEmcSymOperationGuard::OPERATION, [&]() -> int {
              throw EFiExecPipe("\"/x/symcfg\"  list", QLB_EXEC_PIPE_READ_TIMEOUT);
            }));
  EXPECT_EQ(QLB_ERR_FAILED, run(CEmcSymOperationGuard::OPERATION, []() -> int {
              throw CFiError(12, L"no detail", L"pdk/src/cfithing", 34, L"CFiThing::do");
            }));
  EXPECT_EQ(QLB_ERR_FAILED, run(CEmcSymOperationGuard::OPERATION, [&]() -> int { throw udid; }));
  EXPECT_EQ(QLB_ERR_FAILED, run(CEmcSymOperationGuard::OPERATION,
                                []() -> int { throw std::runtime_error("bad state"); }));
  EXPECT_EQ(QLB_ERR_FAILED, run(CEmcSymOperationGuard::OPERATION, []() -> int { throw 42; }));
  // A failed run as the runner throws it: exit status and the tool's words.
  EXPECT_EQ(QLB_ERR_FAILED, run(CEmcSymOperationGuard::OPERATION, []() -> int {
              throw EEmcSymCliFailure(
                  EFiExecPipe("\"/x/symdev\"  show 0FFF", QLB_EXEC_PIPE_CMD_FAILED, L"", 2),
                  {"  Device 0FFF was not found ", ""});
            }));
  // The pipe's own words follow the code's name.
  EXPECT_EQ(6, run(CEmcSymOperationGuard::OPERATION, [&]() -> int {
              throw EFiExecPipe("symdev list", QLB_EXEC_PIPE_OUTPUT_LIMIT, L"over 5 bytes");
            }));

  ASSERT_EQ(7u, recorder.messages.size());
  EXPECT_EQ("MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION 3 " + kWhere +
                " [QLB_EXEC_PIPE_OUTPUT_LIMIT: over 5 bytes] [symdev list]"
                " [providers/emcsymmetrix/emcsym_plugin] [77] [0] [] [0]",
            recorder.describe(6));
  EXPECT_EQ("MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION 3 " + kWhere +
                " [QLB_EXEC_PIPE_READ_TIMEOUT] [\"/x/symcfg\"  list]"
                " [providers/emcsymmetrix/emcsym_plugin] [77] [0] [] [0]",
            recorder.describe(0));
  EXPECT_EQ(
      "MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION 3 " + kWhere +
          " [QLB_EXEC_PIPE_CMD_FAILED] [\"/x/symdev\"  show 0FFF]"
          " [providers/emcsymmetrix/emcsym_plugin] [77] [2] [Device 0FFF was not found\n\n] [2]",
      recorder.describe(5));
  EXPECT_EQ("MSG_ERROR_UNHANDLED_FIERROR_EXCEPTION 3 " + kWhere +
                " [no detail] [CFiThing::do] [pdk/src/cfithing] [34]",
            recorder.describe(1));
  EXPECT_EQ("MSG_ERROR_UDID_PARSING_EXCEPTION 3 " + kWhere + " [V##P] [2]", recorder.describe(2));
  EXPECT_EQ("MSG_ERROR_UNHANDLED_RUNTIME_EXCEPTION 3 " + kWhere +
                " [std::runtime_error] [bad state] [providers/emcsymmetrix/emcsym_plugin] [77]",
            recorder.describe(3));
  EXPECT_EQ("MSG_ERROR_UNHANDLED_INT_EXCEPTION 3 " + kWhere +
                " [42] [providers/emcsymmetrix/emcsym_plugin] [77]",
            recorder.describe(4));
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
