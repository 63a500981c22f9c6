#include "session.h"

#include <chrono>
#include <cstdio>

#include "host_platform.h"
#include "message_log.h"

namespace {

std::string withoutTrailingLineEnds(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// The provider's text for a result code (errmsg), or empty.
std::string resultText(const qlb_pgn_table& pgn, int code) {
  const wchar_t* text = nullptr;
  if (pgn.errmsg(code, &text) != 0 || !text) return std::string();
  return narrow(text);
}

JsonValue errorObject(const std::string& message) {
  JsonValue error = JsonValue::object();
  error.set("message", message);
  error.set("operation", JsonValue());
  error.set("code", JsonValue());
  error.set("text", JsonValue());
  error.set("cause", JsonValue::array());
  return error;
}

}  // namespace

Session::Session(const std::string& command, const Settings& settings)
    : m_command(command), m_settings(settings) {}

int Session::call(const char* operation, const std::function<int()>& run) {
  MessageLog& log = MessageLog::instance();
  log.beginCall();
  const auto started = std::chrono::steady_clock::now();
  const double processorAtStart = host::processorSeconds();
  const int rc = run();
  const double processor = host::processorSeconds() - processorAtStart;
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  log.endCall();
  // The provider runs in this process and its tools in their own, so the
  // processor time is the provider's own work.
  char took[160];
  std::snprintf(took, sizeof took, "%s took %.3f s (%.3f s of processor time in this process)",
                operation, elapsed, processor);
  note(took);
  if (rc == 0) return 0;

  std::fflush(stdout);  // what was printed before comes first
  const std::string text = m_pgn ? resultText(*m_pgn, rc) : std::string();
  const std::string message = std::string(operation) + " returned " + std::to_string(rc) +
                              (text.empty() ? "" : ": ") + text;
  m_error = errorObject(message);
  m_error.set("operation", operation);
  m_error.set("code", rc);
  m_error.set("text", text.empty() ? JsonValue() : JsonValue(text));
  JsonValue& cause = m_error.set("cause", JsonValue::array());
  if (!log.callHasReadableMessage())
    for (const std::string& line : log.callErrors()) cause.push(line);
  if (m_settings.json) return rc;
  log.printError("quelbctl: " + message);
  if (!log.callHasReadableMessage())
    for (const std::string& line : log.callErrors())
      log.printError("quelbctl: the provider traced: " + line);
  return rc;
}

void Session::fail(const std::string& message) {
  m_error = errorObject(message);
  std::fflush(stdout);
  if (!m_settings.json) MessageLog::instance().printError("quelbctl: " + message);
}

void Session::print(const std::string& line) const {
  if (!m_settings.json) std::printf("%s\n", line.c_str());
}

void Session::note(const std::string& text) const {
  if (m_settings.verbose && !m_settings.json)
    MessageLog::instance().printError("quelbctl: " + text);
}

void Session::showLastError(const std::string& language) {
  m_lastErrorAsked = true;
  std::fflush(stdout);
  qlb_msg_info* record = nullptr;
  if (m_pgn->get_last_error(&record) != 0 || !record) {
    if (!m_settings.json)
      MessageLog::instance().printError(
          m_error.type() == JsonValue::NUL
              ? "last error: none"
              : "last error: none (the provider pushed no message; what it traced is above)");
    return;
  }
  std::string texts[2];
  if (record->mi_length == 0) {
    // A message without arguments crosses without any text.
    texts[0] = texts[1] = "a message without arguments (shown when it was pushed)";
  } else {
    const char* locales[2] = {language.empty() ? nullptr : language.c_str(), nullptr};
    for (int i = 0; i < 2; ++i) {
      wchar_t* text = nullptr;
      if (m_pgn->get_locale_message(nullptr, record, locales[i], &text) == 0 && text) {
        texts[i] = withoutTrailingLineEnds(narrow(text));
        m_pgn->del_locale_message(&text);
      }
    }
  }
  m_pgn->del_last_error(&record);
  m_lastError = JsonValue::object();
  m_lastError.set("text", texts[0].empty() ? texts[1] : texts[0]);
  m_lastError.set("default_text", texts[1]);
  if (m_settings.json) return;
  MessageLog& log = MessageLog::instance();
  log.printIndented("last error: ", texts[0].empty() ? texts[1] : texts[0]);
  if (!texts[0].empty() && texts[0] != texts[1]) log.printIndented("            ", texts[1]);
}

int Session::finish(int status) {
  if (!m_settings.json) return status;
  JsonValue document = JsonValue::object();
  document.set("command", m_command);
  document.set("status", status);
  document.set("interface_version",
               m_interfaceVersion.empty() ? JsonValue() : JsonValue(m_interfaceVersion));
  // The run ends here: its result and error move into the document.
  document.set("result", std::move(m_result));
  document.set("error", std::move(m_error));
  JsonValue& messages = document.set("messages", JsonValue::array());
  for (const MessageLog::Message& m : MessageLog::instance().messages()) {
    JsonValue& item = messages.push(JsonValue::object());
    item.set("severity", m.severity);
    item.set("text", m.text);
    item.set("default_text", m.defaultText);
  }
  if (m_lastErrorAsked) document.set("last_error", m_lastError);
  std::FILE* out = m_documentStream ? m_documentStream : stdout;
  std::fputs(document.write().c_str(), out);
  std::fflush(out);
  return status;
}
