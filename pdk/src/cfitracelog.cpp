// Minimal trace log: keeps its settings in memory and writes nothing until
// the configuration-backed implementation replaces it.
#include "cfitracelog.h"

#include "cfierrormgr.h"

namespace quelb_pdk_4_4 {

struct CFiTraceLog::Impl {
  tstring name;
  tstring fileName;
  tstring directory;
  tstring path;
  bool initialized = false;
  bool toStdout = false;
  int level = 12345;
  ErrorManagerPtr errorManager;
};

CFiTraceLog::CFiTraceLog() : m_impl(new Impl) {}

CFiTraceLog::~CFiTraceLog() { delete m_impl; }

void CFiTraceLog::initialize(const tstring& name, const tstring& directory,
                             const tstring& fileName, int level, bool toStdout) {
  m_impl->name = name;
  m_impl->directory = directory;
  m_impl->fileName = fileName;
  m_impl->level = level;
  m_impl->toStdout = toStdout;
}

bool CFiTraceLog::isInitialized() const { return m_impl->initialized; }

void CFiTraceLog::registerErrorManager(const ErrorManagerPtr& errorManager) {
  m_impl->errorManager = errorManager;
}

void CFiTraceLog::trace(int level, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  vtrace(level, format, args);
  va_end(args);
}

void CFiTraceLog::vtrace(int, const char*, std::va_list) {}

int CFiTraceLog::GetTraceLevels(int& level) {
  level = m_impl->level;
  return level;
}

void CFiTraceLog::updateTraceLevelFromConfigFile() {}

int CFiTraceLog::updateConfigFile(const tstring&, const tstring&, int) { return 0; }

void CFiTraceLog::loadFromConfigFile(tstring&, tstring&, int&) {}

void CFiTraceLog::initTraceSettings(tstring&, tstring&, int&) {}

tstring CFiTraceLog::path() const { return m_impl->path; }

CFiTraceLogFunction::CFiTraceLogFunction(const CFiTraceLogPtr& traceLog, const char* name)
    : m_traceLog(traceLog), m_name(name), m_exitStatus(0) {
  if (m_traceLog) m_traceLog->trace(FI_TRACE_DEBUG, "Entering Function %s", m_name);
}

CFiTraceLogFunction::~CFiTraceLogFunction() {
  if (!m_traceLog) return;
  if (m_exitStatus != 0)
    m_traceLog->trace(FI_TRACE_DEBUG, "Exiting Function %s [%d, %s]", m_name, m_exitStatus,
                      m_exitText.c_str());
  else
    m_traceLog->trace(FI_TRACE_DEBUG, "Exiting Function %s", m_name);
}

void CFiTraceLogFunction::setExitStatus(int status, const std::string& text) {
  m_exitStatus = status;
  m_exitText = text;
}

}  // namespace quelb_pdk_4_4
