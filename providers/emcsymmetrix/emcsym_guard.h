// CEmcSymOperationGuard: the one list of handlers under which every
// CEmcSymPlugin operation runs its body. Failures travel inside the provider
// as exceptions; the guard turns them into a pushed message and the
// operation's failure result:
//
//   caught               message (severity 3), arguments
//   EFiExecPipe          MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION: code name, command, file, line,
//                        then exit status, output lines and their number (EEmcSymCliFailure)
//   CEmcSymCliException  MSG_ERROR_CLI_COMMAND_FAILED (pushCliError)
//   CFiError             MSG_ERROR_UNHANDLED_FIERROR_EXCEPTION: detail, function, file, line
//   CFiUdidException     MSG_ERROR_UDID_PARSING_EXCEPTION: text, parse code
//   std::runtime_error   MSG_ERROR_UNHANDLED_RUNTIME_EXCEPTION: "std::runtime_error", what,
//                        file, line
//   int                  MSG_ERROR_UNHANDLED_INT_EXCEPTION: value, file, line
//
// File and line are those of the guarded operation: the source file
// "providers/emcsymmetrix/emcsym_plugin" and the line the operation gives.
// Any other exception passes on.
//
// A pipe failure carries three arguments more than the four of the older
// message: the exit status and the lines the SYMCLI tool printed, and
// their number. The runner throws EEmcSymCliFailure, which holds them, so
// that the user reads what the tool said ("Device 0FFF was not found")
// instead of only the name of the result code.
//
// A CLI exception always ends the operation with 6. Every other caught
// exception ends it with the result of its kind: init pushes
// MSG_ERROR_INITIALIZATION_FAILED (severity 2) and returns 30, delayedInit
// returns 0 (the message stays on the error stack), every other operation
// returns 6.
//
// Use, in an operation of the plug-in:
//
//   return guarded(CEmcSymOperationGuard::OPERATION, __LINE__, [&] { ...; return 0; });
#ifndef EMCSYM_GUARD_H
#define EMCSYM_GUARD_H

#include <stdexcept>

#include "cfierror.h"
#include "cfierrormgr.h"
#include "cfiexecpipe.h"
#include "cfiudid.h"
#include "emcsym_clierror.h"
#include "emcsym_clifailure.h"

class CEmcSymOperationGuard {
 public:
  // Which failure result the guarded operation gives.
  enum Kind { INIT, DELAYED_INIT, OPERATION };

  // The raising source file named in the guard's messages.
  static const char* const SOURCE_FILE;  // "providers/emcsymmetrix/emcsym_plugin"

  // `errors` receives the messages (none are pushed when it is null); `line`
  // is the guarded operation's line.
  CEmcSymOperationGuard(Kind kind, int line, quelb_pdk_4_4::CFiErrorManager* errors)
      : m_kind(kind), m_line(line), m_errors(errors) {}

  // Runs `body` (returning the operation's int result) under the handlers.
  template <class Body>
  int run(Body&& body) const {
    try {
      return body();
    } catch (const EEmcSymCliFailure& e) {
      return caught(e);
    } catch (const quelb_pdk_4_4::EFiExecPipe& e) {
      return caught(e);
    } catch (const CEmcSymCliException& e) {
      return e.pushCliError();
    } catch (const quelb_pdk_4_4::CFiError& e) {
      return caught(e);
    } catch (const quelb_pdk_4_4::CFiUdidException& e) {
      return caught(e);
    } catch (const std::runtime_error& e) {
      return caught(e);
    } catch (int value) {
      return caught(value);
    }
  }

 private:
  // Each pushes the message of its exception and returns failureResult().
  int caught(const EEmcSymCliFailure& e) const;
  int caught(const quelb_pdk_4_4::EFiExecPipe& e) const;
  int caught(const quelb_pdk_4_4::CFiError& e) const;
  int caught(const quelb_pdk_4_4::CFiUdidException& e) const;
  int caught(const std::runtime_error& e) const;
  int caught(int value) const;

  // The kind's result after a caught exception other than the CLI one.
  int failureResult() const;

  Kind m_kind;
  int m_line;
  quelb_pdk_4_4::CFiErrorManager* m_errors;
};

#endif  // EMCSYM_GUARD_H
