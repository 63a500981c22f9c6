// The trace log: settings from the "DEBUG_TRACE_INFO" section of the
// component's configuration file, one append per traced line, every line
// forwarded to the error manager.
#include "cfitracelog.h"

#include <ace/ACE.h>
#include <ace/OS_NS_sys_time.h>
#include <ace/OS_NS_time.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <new>
#include <vector>

#include "cfiappendfile.h"
#include "cficonfiguration.h"
#include "cfierrormgr.h"
#include "cfiplatform.h"
#include "cfistringtool.h"
#include "cfithreadid.h"

namespace quelb_pdk_4_4 {

namespace {

const wchar_t* const kSection = L"DEBUG_TRACE_INFO";
const wchar_t* const kTraceDir = L"TRACEDIR";
const wchar_t* const kTraceFile = L"TRACEFILE";
const wchar_t* const kTraceLevel = L"TRACELEVEL";
const wchar_t* const kTraceStdout = L"TRACESTDOUT";
const wchar_t* const kRuntimeUpdate = L"TRACERUNTIMEUPDATE";

const size_t kFirstBufferSize = 1024;
const size_t kLargestBufferSize = 8192;

ACE_Time_Value systemClock() { return ACE_OS::gettimeofday(); }

std::atomic<FiTraceClockFunction> g_clock{&systemClock};

ACE_Time_Value now() { return g_clock.load()(); }

// "%m%d%y" of the local date.
tstring dateText(const ACE_Time_Value& time) {
  time_t seconds = time.sec();
  struct tm local;
  char text[16] = "";
  if (ACE_OS::localtime_r(&seconds, &local)) ACE_OS::strftime(text, sizeof text, "%m%d%y", &local);
  return CFiStringTool::str2tstr(text);
}

// Appends `value` in decimal, `digits` wide with leading zeros.
void appendDecimal(std::string& text, unsigned long value, int digits) {
  char buffer[24];
  char* const end = buffer + sizeof buffer;
  char* first = end;
  do {
    *--first = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0 || end - first < digits);
  text.append(first, static_cast<size_t>(end - first));
}

std::string timestamp(const ACE_Time_Value& time) {
  ACE_TCHAR text[64];
  if (!ACE::timestamp(time, text, sizeof text / sizeof text[0])) return "<time error>";
  return text;
}

// The text of ACE::timestamp ("2026-12-04 10:20:30.123456"), with the part
// up to the microseconds made once per second: every traced line needs a
// timestamp, and making it in full is a good part of tracing a line.
class TimestampCache {
 public:
  std::string text(const ACE_Time_Value& time) {
    const time_t second = time.sec();
    {
      std::lock_guard<std::mutex> guard(m_lock);
      if (second == m_second) {
        std::string result;
        result.reserve(m_prefix.size() + 6);
        result += m_prefix;
        appendDecimal(result, static_cast<unsigned long>(time.usec()), 6);
        return result;
      }
    }
    std::string full = timestamp(time);
    const size_t dot = full.rfind('.');
    if (dot != std::string::npos && full.size() - dot == 7) {
      std::lock_guard<std::mutex> guard(m_lock);
      m_second = second;
      m_prefix = full.substr(0, dot + 1);
    }
    return full;
  }

 private:
  std::mutex m_lock;
  time_t m_second = -1;
  std::string m_prefix;  // "2026-12-04 10:20:30."
};

// Drops a trailing, incomplete UTF-8 sequence left by a cut.
void trimPartialCharacter(std::string& text) {
  size_t lead = text.size();
  size_t continuation = 0;
  while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80 &&
         continuation < 3) {
    --lead;
    ++continuation;
  }
  if (lead == 0) return;
  unsigned char first = static_cast<unsigned char>(text[lead - 1]);
  size_t expected = first >= 0xF0 ? 3 : first >= 0xE0 ? 2 : first >= 0xC0 ? 1 : 0;
  if (first >= 0xC0 && continuation < expected) text.erase(lead - 1);
}

// The message in a buffer of 1024 bytes, grown (to the reported length
// plus 2) up to 8192 bytes; a longer message is cut to fit the largest
// buffer. False when the format cannot be used. The first buffer is on the
// stack: most lines fit it.
bool formatMessage(const char* format, std::va_list args, std::string& message) {
  char first[kFirstBufferSize];
  std::vector<char> grown;
  char* buffer = first;
  size_t size = kFirstBufferSize;
  for (;;) {
    std::va_list attempt;
    va_copy(attempt, args);
    int needed = boundedtext::vformat(buffer, size, format, attempt);
    va_end(attempt);
    if (needed < 0) return false;
    if (static_cast<size_t>(needed) < size) break;
    size_t next = static_cast<size_t>(needed) + 2;
    if (next > kLargestBufferSize) next = kLargestBufferSize;
    if (next <= size) {
      message.assign(buffer);
      trimPartialCharacter(message);
      return true;
    }
    size = next;
    grown.resize(size);
    buffer = grown.data();
  }
  message.assign(buffer);
  return true;
}

qlb_eseverity severityOfLevel(int level) {
  switch (level) {
    case FI_TRACE_ERROR:
      return QLB_SEV_ERROR;
    case FI_TRACE_WARNING:
      return QLB_SEV_WARNING;
    case FI_TRACE_INFO:
      return QLB_SEV_INFO;
    default:
      return QLB_SEV_TRACE;
  }
}

// One append of the whole line, so that lines of several threads and
// processes never mix.
void appendLine(const std::string& path, const std::string& line) { fiAppendToFile(path, line); }

}  // namespace

FiTraceClockFunction fiSetTraceClockFunction(FiTraceClockFunction fn) {
  return g_clock.exchange(fn ? fn : &systemClock);
}

struct CFiTraceLog::Impl {
  tstring name;
  std::string narrowName;
  tstring fileName;
  tstring directory;
  std::mutex pathLock;  // guards path and date
  tstring path;
  tstring date;
  std::atomic<bool> initialized{false};
  std::atomic<bool> toStdout{false};
  std::atomic<bool> runtimeUpdate{false};
  std::atomic<int> level{12345};
  ErrorManagerPtr errorManager;
  TimestampCache stamps;

  // Directory, the separator unless the directory ends in one, file name,
  // ".", date.
  tstring buildPath() const { return fiWithSeparator(directory) + fileName + L"." + date; }

  // The path of today's file, rebuilt at the first line of a new day.
  std::string currentPath(const ACE_Time_Value& time) {
    tstring today = dateText(time);
    std::lock_guard<std::mutex> guard(pathLock);
    if (today != date) {
      date = today;
      path = buildPath();
    }
    return CFiStringTool::tstr2str(path);
  }
};

CFiTraceLog::CFiTraceLog() : m_impl(new Impl) {}

CFiTraceLog::~CFiTraceLog() {}

void CFiTraceLog::initialize(const tstring& name, const tstring& directory, const tstring& fileName,
                             int level, bool toStdout) {
  m_impl->name = name;
  m_impl->narrowName = CFiStringTool::tstr2str(name);
  m_impl->toStdout = toStdout;

  tstring dir = directory;
  tstring file = fileName;
  int startLevel = level;
  initTraceSettings(dir, file, startLevel);

  m_impl->fileName = file;
  m_impl->directory = dir;
  m_impl->level = startLevel;
  std::string path;
  {
    std::lock_guard<std::mutex> guard(m_impl->pathLock);
    m_impl->date = dateText(now());
    m_impl->path = m_impl->buildPath();
    path = CFiStringTool::tstr2str(m_impl->path);
  }
  // No trace directory (no install path): no trace file, rather than one
  // in the working directory.
  if (startLevel == 0 || dir.length() == 0) return;

  if (!fiAppendToFile(path, std::string())) {
    std::string report = boundedtext::formatString(
        path.size() + file.length() * 4 + dir.length() * 4 + 128,
        "[CFiTraceLog] Error: Tracefile [%s] initialization failed.[%s][%s]\n", path.c_str(),
        CFiStringTool::tstr2str(file).c_str(), CFiStringTool::tstr2str(dir).c_str());
    std::fputs(report.c_str(), stdout);
    std::fflush(stdout);
    return;
  }
  m_impl->initialized = true;
  updateTraceLevelFromConfigFile();
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

void CFiTraceLog::vtrace(int level, const char* format, std::va_list args) {
  if (m_impl->runtimeUpdate) updateTraceLevelFromConfigFile();
  if (!format || !*format || !m_impl->initialized) return;
  const bool written = level <= m_impl->level;
  ErrorManagerPtr errorManager = m_impl->errorManager;
  // A line that is neither written nor forwarded has no effect.
  if (!written && !errorManager) return;
  try {
    std::string message;
    if (!formatMessage(format, args, message)) return;
    const unsigned int tid = fiCurrentThreadId();
    const ACE_Time_Value time = now();
    const std::string stamp = m_impl->stamps.text(time);

    if (written) {
      // Only the written lines show the process id.
      const unsigned long pid = fiCurrentProcessId();
      const size_t limit = message.size() + m_impl->narrowName.size() + 256;
      appendLine(m_impl->currentPath(time),
                 boundedtext::formatString(limit, "%s <Pid - %lu / Thread id - %u> %s\n",
                                           stamp.c_str(), pid, tid, message.c_str()));
      if (m_impl->toStdout) {
        std::string echo = boundedtext::formatString(
            limit, "%s:%s <Pid - %lu / Thread id - %u> %s\n", m_impl->narrowName.c_str(),
            stamp.c_str(), pid, tid, message.c_str());
        std::fwrite(echo.data(), 1, echo.size(), stdout);
        std::fflush(stdout);
      }
    }
    if (errorManager) {
      // "<name>:<timestamp> <Thread id - <tid>> <message>\n", put together
      // without a format pass.
      std::string forwarded;
      forwarded.reserve(m_impl->narrowName.size() + stamp.size() + message.size() + 32);
      forwarded += m_impl->narrowName;
      forwarded += ':';
      forwarded += stamp;
      forwarded += " <Thread id - ";
      appendDecimal(forwarded, tid, 1);
      forwarded += "> ";
      forwarded += message;
      forwarded += '\n';
      errorManager->pushError(forwarded.c_str(), severityOfLevel(level));
    }
  } catch (const std::bad_alloc&) {
    // Tracing never fails its caller; the line is lost.
  }
}

int CFiTraceLog::GetTraceLevels(int& level) {
  level = m_impl->level;
  return level;
}

void CFiTraceLog::updateTraceLevelFromConfigFile() {
  CFiConfiguration config(m_impl->name);
  ACE_Configuration_Section_Key section;
  if (config.openSection(tstring(kSection), section, true) != 0) {
    m_impl->level = 1;
    return;
  }
  uint32_t level = 0;
  if (config.getIntegerValue(tstring(kTraceLevel), level) == 0)
    m_impl->level = static_cast<int>(level);
}

int CFiTraceLog::updateConfigFile(const tstring& directory, const tstring& fileName, int level) {
  CFiConfiguration config(m_impl->name);
  ACE_Configuration_Section_Key section;
  config.openSection(tstring(kSection), section, true);
  config.setStringValue(tstring(kTraceDir), directory);
  config.setStringValue(tstring(kTraceFile), fileName);
  config.setIntegerValue(tstring(kTraceLevel), static_cast<uint32_t>(level));
  config.setIntegerValue(tstring(kTraceStdout), 0);
  config.setIntegerValue(tstring(kRuntimeUpdate), 0);
  return config.exportConfig();
}

void CFiTraceLog::loadFromConfigFile(tstring& directory, tstring& fileName, int& level) {
  CFiConfiguration config(m_impl->name);
  CFiConfigurationPathTool::getTraceFileInfo(m_impl->name, directory, fileName);

  uint32_t configured = 0;
  ACE_Configuration_Section_Key section;
  if (config.openSection(tstring(kSection), section, false) == 0) {
    if (config.getStringValue(tstring(kTraceDir), directory) != 0) {
      config.setStringValue(tstring(kTraceDir), directory);
      config.exportConfig();
    }
    if (config.getStringValue(tstring(kTraceFile), fileName) != 0) {
      config.setStringValue(tstring(kTraceFile), fileName);
      config.exportConfig();
    }
    if (config.getIntegerValue(tstring(kTraceLevel), configured) != 0) {
      config.setIntegerValue(tstring(kTraceLevel), static_cast<uint32_t>(level));
      config.exportConfig();
    }
    uint32_t flag = 0;
    if (config.getIntegerValue(tstring(kTraceStdout), flag) != 0) {
      flag = m_impl->toStdout ? 1 : 0;
      config.setIntegerValue(tstring(kTraceStdout), flag);
      config.exportConfig();
    }
    if (flag == 1) m_impl->toStdout = true;
    flag = 0;
    if (config.getIntegerValue(tstring(kRuntimeUpdate), flag) != 0) {
      flag = m_impl->runtimeUpdate ? 1 : 0;
      config.setIntegerValue(tstring(kRuntimeUpdate), flag);
      config.exportConfig();
    }
    if (flag == 1) m_impl->runtimeUpdate = true;
  } else {
    updateConfigFile(directory, fileName, level);
  }
  // At start-up the configured level only switches tracing on or off.
  level = configured <= 1 ? static_cast<int>(configured) : 1;
}

void CFiTraceLog::initTraceSettings(tstring& directory, tstring& fileName, int& level) {
  if (directory.length() > 0 && fileName.length() > 0) updateConfigFile(directory, fileName, level);
  loadFromConfigFile(directory, fileName, level);
}

tstring CFiTraceLog::path() const {
  std::lock_guard<std::mutex> guard(m_impl->pathLock);
  return m_impl->path;
}

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
