#include "message_log.h"

#include <cstdio>
#include <cwchar>

#include "host_platform.h"
#include "utf8.h"

namespace {

const char kWaitingPrefix[] = "Waiting for ";
const size_t kProgressWidth = 79;

const char* severityName(int severity) {
  switch (severity) {
    case QLB_SEV_INFO:
      return "info";
    case QLB_SEV_WARNING:
      return "warning";
    case QLB_SEV_ERROR:
      return "error";
    case QLB_SEV_TRACE:
      return "trace";
    default:
      return "message";
  }
}

std::string withoutTrailingLineEnds(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// "<ID>" or "name: <ID>": the text of a message whose catalog was not found.
bool isBareMessageId(const std::string& text) {
  const size_t open = text.find("<MSG_");
  if (open == std::string::npos || text.back() != '>') return false;
  if (open != 0 && text.compare(open - 2, 2, ": ") != 0) return false;
  for (size_t i = open + 1; i + 1 < text.size(); ++i) {
    const char c = text[i];
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  }
  return true;
}

// Whether a traced line, as received, is a progress line: its message
// (what tracedMessage() returns) starts with "Waiting for ".
bool isWaitingLine(const wchar_t* line) {
  const wchar_t* message = line;
  if (const wchar_t* thread = std::wcsstr(line, L" <Thread id - ")) {
    if (const wchar_t* end = std::wcsstr(thread, L"> ")) message = end + 2;
  }
  return std::wcsncmp(message, L"Waiting for ", sizeof kWaitingPrefix - 1) == 0;
}

// Whether a text is empty once its trailing line ends are removed.
bool isBlank(const wchar_t* text) {
  return !text || std::wcsspn(text, L"\r\n") == std::wcslen(text);
}

}  // namespace

std::string narrow(const wchar_t* text) {
  if (!text) return std::string();
  return boundedtext::wideToUtf8(text, std::wcslen(text));
}

MessageLog& MessageLog::instance() {
  static MessageLog log;
  return log;
}

void MessageLog::receive(qlb_init_rec*, const wchar_t* consumerText, const wchar_t* defaultText,
                         int severity) {
  MessageLog& log = instance();
  // A provider traces tens of thousands of lines while it lists a large
  // array: a traced line that is neither kept, shown nor a progress line
  // is dropped before it is converted.
  if (isBlank(consumerText) && !log.usesTracedLine(defaultText, severity)) return;
  log.handle(withoutTrailingLineEnds(narrow(consumerText)),
             withoutTrailingLineEnds(narrow(defaultText)), severity);
}

void MessageLog::configure(bool quiet, int verbosity, bool json, bool progress) {
  m_quiet = quiet;
  m_verbosity = verbosity;
  m_json = json;
  m_progress = progress;
}

bool MessageLog::usesTracedLine(const wchar_t* line, int severity) const {
  if (severity == QLB_SEV_ERROR) return true;  // kept for the call's cause
  if (!m_json && (m_verbosity >= 2 || (m_verbosity == 1 && severity == QLB_SEV_WARNING)))
    return true;
  return m_progress && line && isWaitingLine(line);
}

void MessageLog::beginCall() {
  m_readableInCall = false;
  m_callErrors.clear();
}

void MessageLog::endCall() { clearProgress(); }

std::string MessageLog::tracedMessage(const std::string& line) {
  const size_t thread = line.find(" <Thread id - ");
  if (thread == std::string::npos) return line;
  const size_t end = line.find("> ", thread);
  return end == std::string::npos ? line : line.substr(end + 2);
}

void MessageLog::handle(const std::string& consumer, const std::string& fallback, int severity) {
  if (consumer.empty()) {
    // A traced line, or a plain text of the provider.
    const std::string message = tracedMessage(fallback);
    if (message.compare(0, sizeof kWaitingPrefix - 1, kWaitingPrefix) == 0) {
      showProgress(message);
    }
    if (severity == QLB_SEV_ERROR) m_callErrors.push_back(message);
    const bool shown =
        m_verbosity >= 2 ||
        (m_verbosity == 1 && (severity == QLB_SEV_ERROR || severity == QLB_SEV_WARNING));
    if (shown && !m_json)
      printIndented(severity == QLB_SEV_TRACE
                        ? std::string("[trace] ")
                        : std::string("[trace ") + severityName(severity) + "] ",
                    message);
    return;
  }
  m_messages.push_back(Message{severityName(severity), consumer, fallback});
  if (!isBareMessageId(consumer)) m_readableInCall = true;
  if (m_quiet || m_json) return;
  const std::string label = std::string("[") + severityName(severity) + "] ";
  printIndented(label, consumer);
  if (!fallback.empty() && fallback != consumer)
    printIndented(std::string(label.size(), ' '), fallback);
}

void MessageLog::printError(const std::string& line) {
  clearProgress();
  std::fprintf(stderr, "%s\n", line.c_str());
}

void MessageLog::printIndented(const std::string& prefix, const std::string& text) {
  clearProgress();
  const std::string indent(prefix.size(), ' ');
  size_t start = 0;
  bool first = true;
  do {
    const size_t end = text.find('\n', start);
    const std::string line =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::fprintf(stderr, "%s%s\n", first ? prefix.c_str() : indent.c_str(), line.c_str());
    first = false;
    start = end == std::string::npos ? text.size() + 1 : end + 1;
  } while (start <= text.size());
}

void MessageLog::showProgress(const std::string& text) {
  if (!m_progress) return;
  // One line that fits the terminal (80 columns when it does not say).
  const size_t columns = host::stderrColumns();
  const size_t width = columns > 10 ? columns - 1 : kProgressWidth;
  std::string line = "waiting: " + text.substr(sizeof kWaitingPrefix - 1);
  if (line.size() > width) line = line.substr(0, width - 3) + "...";
  // Carriage return, the line, then erase what an older, longer line left.
  std::fprintf(stderr, "\r%s\033[K", line.c_str());
  std::fflush(stderr);
  m_progressShown = true;
}

void MessageLog::clearProgress() {
  if (!m_progressShown) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  m_progressShown = false;
}
