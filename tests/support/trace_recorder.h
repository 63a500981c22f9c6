// TraceRecorder: a started trace log (in the current install root) whose lines, of every level, are
// caught through its error manager, so that a test can check what a kit class traced. Needs an
// install root for the trace settings (IsolatedInstall) that outlives the recorder.
#ifndef NORVEL_TESTS_TRACE_RECORDER_H
#define NORVEL_TESTS_TRACE_RECORDER_H

#include <string>
#include <vector>

#include "cfierrormgr.h"
#include "cfitracelog.h"

namespace testenv {

class TraceRecorder : public quelb_pdk_4_4::CFiErrorHandlerBase {
 public:
  // One traced message: its text (without the line's prefix and end) and the severity the trace
  // level gave it (3 for level 1, 2 for 2, 1 for 3, 4 for the rest).
  struct Line {
    std::string text;
    qlb_eseverity severity;
  };

  TraceRecorder() {
    using quelb_pdk_4_4::CFiTraceLog;
    // The first start writes the settings and stays off; the second traces.
    log_->initialize(quelb_pdk_4_4::tstring(L"norvel"), quelb_pdk_4_4::tstring(),
                     quelb_pdk_4_4::tstring(), 1, false);
    log_.reset(new CFiTraceLog);
    log_->initialize(quelb_pdk_4_4::tstring(L"norvel"), quelb_pdk_4_4::tstring(),
                     quelb_pdk_4_4::tstring(), 1, false);
    errors_->registerHandler(this);
    log_->registerErrorManager(errors_);
  }
  ~TraceRecorder() override { errors_->unregisterHandler(this); }

  const quelb_pdk_4_4::CFiTraceLogPtr& log() const { return log_; }

  int handle(const char* text, qlb_eseverity severity) override {
    std::string line(text);
    size_t start = line.find("> ");
    line = start == std::string::npos ? line : line.substr(start + 2);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    lines.push_back(Line{line, severity});
    return 0;
  }
  int handle(const quelb_pdk_4_4::CFiMessagePtr&) override { return 0; }

  // Lines holding the text.
  int count(const std::string& part) const {
    int n = 0;
    for (const Line& line : lines) n += line.text.find(part) != std::string::npos;
    return n;
  }
  // The severity of the first line holding the text; QLB_SEV_NONE if none.
  qlb_eseverity severityOf(const std::string& part) const {
    for (const Line& line : lines)
      if (line.text.find(part) != std::string::npos) return line.severity;
    return QLB_SEV_NONE;
  }
  void clear() { lines.clear(); }

  std::vector<Line> lines;

 private:
  quelb_pdk_4_4::CFiTraceLogPtr log_{new quelb_pdk_4_4::CFiTraceLog};
  quelb_pdk_4_4::CFiErrorManagerPtr errors_{new quelb_pdk_4_4::CFiErrorManager};
};

}  // namespace testenv

#endif  // NORVEL_TESTS_TRACE_RECORDER_H
