// Session: one run of quelbctl against a loaded provider: the provider's
// entry points, the output mode, and what the run reports.
//
// Text mode: results go to standard output as plain lines and tables;
// messages, failures and notes to standard error. JSON mode (--json):
// standard output holds exactly one JSON document, written by finish(), and
// standard error only the progress line (on a terminal). The document:
//
//   {
//     "command": "nodes",               the command run
//     "status": 1,                      quelbctl's exit status
//     "interface_version": "7.0.0.0",   null when init was not reached
//     "result": {...},                  what the command produced (also
//                                       the part before a failure)
//     "error": null | {                 why the run failed
//       "message": "...",               the line quelbctl printed
//       "operation": "enumerate_nodes", the entry point, or null
//       "code": 3,                      its result, or null
//       "text": "...",                  the provider's text of the code
//       "cause": ["..."]                error lines the provider traced in
//                                       the call (only when it pushed no
//                                       readable message)
//     },
//     "messages": [{"severity": "warning", "text": "...",
//                   "default_text": "..."}],
//     "last_error": null | {"text": "...", "default_text": "..."}
//                                       only with --last-error
//   }
#ifndef QUELBCTL_SESSION_H
#define QUELBCTL_SESSION_H

#include <quelb/quelb_pgn.h>

#include <cstdio>
#include <functional>
#include <string>

#include "json_value.h"

class Session {
 public:
  struct Settings {
    bool json = false;
    bool human = false;    // sizes in binary units
    bool verbose = false;  // notes on standard error
  };

  Session(const std::string& command, const Settings& settings);

  // The provider, once loaded; calls need it.
  void attach(const qlb_pgn_table& pgn) { m_pgn = &pgn; }
  const qlb_pgn_table& pgn() const { return *m_pgn; }

  bool json() const { return m_settings.json; }
  bool human() const { return m_settings.human; }

  // Runs one entry point: `run` returns its result. A non-zero result is
  // reported (one line with the provider's text of the code, then the
  // error lines it traced in the call when it pushed no readable message)
  // and returned. With -v, a note says how long the call took, elapsed and
  // in processor time of this process.
  int call(const char* operation, const std::function<int()>& run);
  // A failure found by quelbctl itself (one line).
  void fail(const std::string& message);

  // The result object of the JSON document.
  JsonValue& result() { return m_result; }
  // A line of the result on standard output (text mode only).
  void print(const std::string& line) const;
  // A note on standard error, shown with -v (text mode only).
  void note(const std::string& text) const;

  void setInterfaceVersion(const std::string& version) { m_interfaceVersion = version; }
  // Reads, shows and releases this thread's last error of the provider
  // (get_last_error, get_locale_message per language, del_last_error).
  void showLastError(const std::string& language);

  // JSON mode: the document goes to `stream` (the original standard
  // output, when quelbctl diverted it so that nothing a loaded library
  // prints lands in the document); standard output when null.
  void setDocumentStream(std::FILE* stream) { m_documentStream = stream; }

  // Ends the run with `status`: writes the JSON document in JSON mode (the
  // result and error move into it; call once). Returns the status.
  int finish(int status);

 private:
  std::string m_command;
  Settings m_settings;
  const qlb_pgn_table* m_pgn = nullptr;
  std::string m_interfaceVersion;
  JsonValue m_result = JsonValue::object();
  JsonValue m_error;
  JsonValue m_lastError;
  bool m_lastErrorAsked = false;
  std::FILE* m_documentStream = nullptr;
};

#endif  // QUELBCTL_SESSION_H
