// CFiTraceLog: the process-wide trace log. Writes numbered-level lines to a
// daily trace file (optionally echoed to standard output) and forwards every
// traced line to the error manager. Settings live in the section
// "DEBUG_TRACE_INFO" of the component's configuration file.
//
// CFiTraceLogFunction: scope guard writing the "Entering Function" and
// "Exiting Function" lines of a function.
#ifndef QLB_PDK_CFITRACELOG_H
#define QLB_PDK_CFITRACELOG_H

#include <ace/Time_Value.h>

#include <cstdarg>
#include <memory>
#include <string>

#include "boundedtext.h"
#include "cfiexport.h"
#include "cfirefcount.h"
#include "cfismartptr.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class CFiErrorManager;

// Trace levels used by the library.
enum {
  FI_TRACE_ERROR = 1,
  FI_TRACE_WARNING = 2,
  FI_TRACE_INFO = 3,
  FI_TRACE_INFO2 = 4,
  FI_TRACE_DETAIL = 5,
  FI_TRACE_DEBUG = 6
};

// The clock of the trace log (timestamps and the daily file name). The
// default reads the system time; tests install a replacement. Returns the
// previous function; null restores the default.
typedef ACE_Time_Value (*FiTraceClockFunction)();
QLB_PDK_EXPORT FiTraceClockFunction fiSetTraceClockFunction(FiTraceClockFunction fn);

class QLB_PDK_EXPORT CFiTraceLog : public virtual CFiRefCount {
 public:
  typedef CFiSmartPtr<CFiErrorManager, CFiNullAllocator<CFiErrorManager> > ErrorManagerPtr;

  CFiTraceLog();
  virtual ~CFiTraceLog();
  // One trace log per component: its settings and file are not shared by
  // copies.
  CFiTraceLog(const CFiTraceLog&) = delete;
  CFiTraceLog& operator=(const CFiTraceLog&) = delete;

  // Loads (or writes the defaults of) the settings of the component `name`
  // and opens the trace file once when tracing is on. Without a trace
  // directory (no install path and no TRACEDIR) tracing stays off.
  void initialize(const tstring& name, const tstring& directory, const tstring& fileName, int level,
                  bool toStdout);
  bool isInitialized() const;

  void registerErrorManager(const ErrorManagerPtr& errorManager);

  // printf-style trace line of the given level.
  void trace(int level, const char* format, ...) BT_PRINTF(3, 4);
  void vtrace(int level, const char* format, std::va_list args);

  // Stores the current level in `level` and returns it.
  int GetTraceLevels(int& level);

  void updateTraceLevelFromConfigFile();
  int updateConfigFile(const tstring& directory, const tstring& fileName, int level);
  void loadFromConfigFile(tstring& directory, tstring& fileName, int& level);
  void initTraceSettings(tstring& directory, tstring& fileName, int& level);

  // The current path of the trace file (directory/file.MMDDYY).
  tstring path() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

typedef CFiSmartPtr<CFiTraceLog, CFiNullAllocator<CFiTraceLog> > CFiTraceLogPtr;

class QLB_PDK_EXPORT CFiTraceLogFunction {
 public:
  // `name` is not copied: callers pass a literal.
  CFiTraceLogFunction(const CFiTraceLogPtr& traceLog, const char* name);
  ~CFiTraceLogFunction();
  CFiTraceLogFunction(const CFiTraceLogFunction&) = delete;
  CFiTraceLogFunction& operator=(const CFiTraceLogFunction&) = delete;

  // A non-zero status makes the exit line "Exiting Function %s [%d, %s]".
  void setExitStatus(int status, const std::string& text);

 private:
  CFiTraceLogPtr m_traceLog;
  const char* m_name;
  int m_exitStatus;
  std::string m_exitText;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFITRACELOG_H
