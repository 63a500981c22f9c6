// MessageLog: what the provider says while quelbctl drives it, as the init
// record's callback receives it.
//
// Catalog messages come with a text in the consumer's language (and one in
// the default language); they are kept for the JSON answer and, in text
// mode, printed on standard error as they arrive ("[warning] ..."), in both
// languages when the texts differ, unless quiet. Traced lines come with the
// default text only: verbosity 1 prints those of error and warning level,
// 2 all of them (without their time and thread prefix); those of error
// level are also kept per provider call, so that a failed call that pushed no
// readable message can still show its cause. A traced line "Waiting for
// ..." becomes the progress line: one status line on standard error,
// rewritten in place, when standard error is a terminal.
#ifndef QUELBCTL_MESSAGE_LOG_H
#define QUELBCTL_MESSAGE_LOG_H

#include <quelb/quelb_records.h>

#include <string>
#include <vector>

class MessageLog {
 public:
  struct Message {
    std::string severity;     // "info", "warning", "error", "trace"
    std::string text;         // in the consumer's language
    std::string defaultText;  // in the default language
  };

  // The one log of the process (the callback has no place for a pointer).
  static MessageLog& instance();
  // The init record's callback.
  static void receive(qlb_init_rec* record, const wchar_t* consumerText, const wchar_t* defaultText,
                      int severity);

  // quiet: no messages on standard error; verbosity: which traced lines
  // are printed (0 none, 1 errors and warnings, 2 all); json: nothing but
  // the progress line on standard error; progress: standard error is a
  // terminal.
  void configure(bool quiet, int verbosity, bool json, bool progress);

  // The window of one provider call: beginCall forgets the previous call's
  // lines, endCall removes the progress line.
  void beginCall();
  void endCall();
  // Whether a message that a person can read came during the call (not a
  // bare message id, which is what a provider without catalogs sends).
  bool callHasReadableMessage() const { return m_readableInCall; }
  // The error-level traced lines of the call, without their prefix.
  const std::vector<std::string>& callErrors() const { return m_callErrors; }

  // Every catalog message of the run, in order.
  const std::vector<Message>& messages() const { return m_messages; }

  // Prints one line on standard error (after removing the progress line).
  void printError(const std::string& line);
  // Prints `text` after `prefix`, further lines indented under the first.
  void printIndented(const std::string& prefix, const std::string& text);

  // The message of a traced line: what follows "<Thread id - N> ", or the
  // whole text when it has no such prefix (a plain text of the provider).
  static std::string tracedMessage(const std::string& line);

 private:
  MessageLog() = default;
  // Whether handle() does anything with a traced line of this severity:
  // keeps it, prints it or shows it as the progress line.
  bool usesTracedLine(const wchar_t* line, int severity) const;
  void handle(const std::string& consumer, const std::string& fallback, int severity);
  void showProgress(const std::string& text);
  void clearProgress();

  bool m_quiet = false;
  int m_verbosity = 0;
  bool m_json = false;
  bool m_progress = false;
  bool m_progressShown = false;
  bool m_readableInCall = false;
  std::vector<std::string> m_callErrors;
  std::vector<Message> m_messages;
};

// Wide text of the provider as UTF-8; empty for null.
std::string narrow(const wchar_t* text);

#endif  // QUELBCTL_MESSAGE_LOG_H
