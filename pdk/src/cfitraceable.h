// CFiTraceable: virtual base of the kit classes that trace. Holds a
// reference to the trace log, set with setTraceLog; traces nothing while it
// has none.
#ifndef QLB_PDK_CFITRACEABLE_H
#define QLB_PDK_CFITRACEABLE_H

#include <cstdarg>

#include "cfiexport.h"
#include "cfitracelog.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiTraceable {
 public:
  CFiTraceable() {}
  virtual ~CFiTraceable() {}

  virtual void setTraceLog(const CFiTraceLogPtr& traceLog) { m_traceLog = traceLog; }
  const CFiTraceLogPtr& getTraceLog() const { return m_traceLog; }

 protected:
  // Writes a trace line when a trace log is attached.
  void trace(int level, const char* format, ...) const BT_PRINTF(3, 4) {
    if (m_traceLog.isNull()) return;
    std::va_list args;
    va_start(args, format);
    m_traceLog->vtrace(level, format, args);
    va_end(args);
  }

  CFiTraceLogPtr m_traceLog;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFITRACEABLE_H
