// MessageRecorder: an error handler that keeps what reaches it, for tests of what the library
// reports: the messages pushed (with a one-line description of each) and the traced text lines with
// their severity. Register it on an error manager and unregister it before it goes.
#ifndef NORVEL_TESTS_MESSAGE_RECORDER_H
#define NORVEL_TESTS_MESSAGE_RECORDER_H

#include <string>
#include <utility>
#include <vector>

#include "cfierrormgr.h"
#include "cfiicumessage.h"
#include "cfistringtool.h"

namespace testenv {

class MessageRecorder : public quelb_pdk_4_4::CFiErrorHandlerBase {
 public:
  int handle(const char* text, qlb_eseverity severity) override {
    texts.emplace_back(std::string(text), severity);
    return 0;
  }
  int handle(const quelb_pdk_4_4::CFiMessagePtr& message) override {
    messages.push_back(message);
    return 0;
  }

  // "<id> <severity> <file>:<line> [argument]..." of message i, numbers in decimal.
  std::string describe(size_t i) const {
    const auto* m = dynamic_cast<const quelb_pdk_4_4::CFiIcuMessage*>(messages.at(i).get());
    if (!m) return "(not a catalog message)";
    std::string text = m->messageId() + " " + std::to_string(m->severity()) + " " +
                       m->sourceFile() + ":" + std::to_string(m->line());
    for (int32_t a = 0; a < m->argumentCount(); ++a) {
      const icu::Formattable& arg = m->argument(a);
      icu::UnicodeString s;
      text += " [" +
              (arg.getType() == icu::Formattable::kString
                   ? quelb_pdk_4_4::CFiStringTool::ustr2str(arg.getString(s))
                   : std::to_string(arg.getLong())) +
              "]";
    }
    return text;
  }

  std::vector<quelb_pdk_4_4::CFiMessagePtr> messages;
  std::vector<std::pair<std::string, qlb_eseverity> > texts;
};

}  // namespace testenv

#endif  // NORVEL_TESTS_MESSAGE_RECORDER_H
