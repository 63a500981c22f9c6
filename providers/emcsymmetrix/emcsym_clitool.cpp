// CEmcSymCliTool: the runner of SYMCLI commands, the CLI execution lock,
// the output-format suffix, cleanXML and the symcfg lock commands.
#include "emcsym_clitool.h"

#include <cerrno>
#include <cstdarg>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <xercesc/sax/SAXException.hpp>
#include <xercesc/util/XMLException.hpp>

#include "boundedtext.h"
#include "cfienvironment.h"
#include "cfierror.h"
#include "cfiplatform.h"
#include "cfisaxparser.h"
#include "cfisleep.h"
#include "emcsym_clierror.h"
#include "emcsym_clitool_util.h"
#include "emcsym_handlers.h"
#include "emcsym_names.h"

using namespace quelb_pdk_4_4;
using emcsym::narrow;
using emcsym::toolCommand;

namespace {

const char kDefaultSuffix[] = " -output XML_ATTRIBUTE ";

// Searched for, in this order, in the output of a failed command.
const char* const kGatekeeperMessages[] = {
    "The operation failed because another process has an exclusive lock on the local Symmetrix",
    "The gatekeeper device (while using the Base Daemon) has an error (Please see the Log file)",
    "A gate keeper cannot be opened",
    "The Symmetrix configuration could not be loaded for a locally-attached Symmetrix",
};

// Lock numbers released when the held ones cannot be listed.
const int kFirstLockNumber = 1;
const int kLastLockNumber = 15;

std::mutex g_suffixMutex;
std::string& suffixStorage() {
  static std::string suffix(kDefaultSuffix);
  return suffix;
}

int cliLockKey() {
  const std::string text = fiGetEnvironment("QUELB_CLI_LOCK_KEY");
  if (text.empty()) return CEmcSymCliTool::CLI_LOCK_KEY;
  char* end = nullptr;
  errno = 0;
  long key = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || key < 0 || key > 0x7fffffffL) {
    return CEmcSymCliTool::CLI_LOCK_KEY;
  }
  return static_cast<int>(key);
}

// The CLI execution lock: made on first use, gone at process exit.
CFiSemaphore& processCliLock() {
  static const std::unique_ptr<CFiSemaphore> lock = CFiSemaphore::open(cliLockKey());
  return *lock;
}

// Holds the CLI execution lock for one child run.
class CliLockGuard {
 public:
  explicit CliLockGuard(CFiSemaphore& lock) : m_lock(lock), m_held(lock.wait() == 0) {}
  ~CliLockGuard() {
    if (m_held) m_lock.post();
  }
  CliLockGuard(const CliLockGuard&) = delete;
  CliLockGuard& operator=(const CliLockGuard&) = delete;
  bool held() const { return m_held; }

 private:
  CFiSemaphore& m_lock;
  bool m_held;
};

// Sets a flag for the life of a scope.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
  ~FlagScope() { m_flag = false; }

 private:
  bool& m_flag;
};

}  // namespace

const wchar_t* const CEmcSymCliTool::SPLIT_TYPE_CLONE = L"EMC_TimeFinder_Clone";
const wchar_t* const CEmcSymCliTool::SPLIT_TYPE_SNAP = L"EMC_TimeFinder_Snap";
const wchar_t* const CEmcSymCliTool::SPLIT_TYPE_MIRROR = L"EMC_TimeFinder_Mirror";

namespace emcsym {

std::string joinLines(const std::vector<std::string>& lines, const char* separator) {
  const size_t quoted = CEmcSymCliException::quotedCount(lines);
  std::string text;
  for (size_t i = 0; i < quoted; ++i) {
    if (i > 0) text += separator;
    text += lines[i];
  }
  if (quoted < lines.size()) {
    if (quoted > 0) text += separator;
    text += "[... " + std::to_string(lines.size() - quoted) + " more lines]";
  }
  return text;
}

std::string sidArgument(const std::string& symid, const wchar_t* operation) {
  return " -sid " + checkedName(NAME_SYMID, symid, operation);
}

std::string fileArgument(const std::string& path) {
  size_t end = path.size();
  while (end > 0 && path[end - 1] == '\\') --end;
  std::string quoted = " -file \"";
  for (size_t i = 0; i < end; ++i) {
    if (path[i] == '"') quoted += '\\';
    quoted += path[i];
  }
  quoted += '"';
  quoted.append(path, end, std::string::npos);
  return quoted;
}

SEmcSymTuningParams readTuningParams(const CFiTraceLogPtr& traceLog) {
  SEmcSymTuningParams params;
  CEmcSymConfiguration configuration;
  configuration.setTraceLog(traceLog);
  configuration.getTuningParams(params);
  return params;
}

}  // namespace emcsym

CEmcSymCliTool::CEmcSymCliTool(const tstring& symCliBinDir, const CFiTraceLogPtr& traceLog)
    : m_binDir(fiWithSeparator(CFiStringTool::tstr2str(symCliBinDir))),
      m_releasingLocks(false),
      m_commandTimeoutSec(0) {
  CFiTraceable::setTraceLog(traceLog);
}

CEmcSymCliTool::~CEmcSymCliTool() {}

std::string CEmcSymCliTool::getOutputFormatSuffix() {
  std::lock_guard<std::mutex> hold(g_suffixMutex);
  return suffixStorage();
}

void CEmcSymCliTool::setOutputFormatSuffix(const std::string& suffix) {
  std::lock_guard<std::mutex> hold(g_suffixMutex);
  suffixStorage() = suffix;
}

std::unique_ptr<CFiExecPipeBase> CEmcSymCliTool::createPipe() { return CFiExecPipeBase::create(1); }

CFiSemaphore& CEmcSymCliTool::cliExecutionLock() { return processCliLock(); }

std::string CEmcSymCliTool::fullCommand(const std::wstring& command) const {
  const std::string text = narrow(command);
  const size_t blank = text.find(' ');
  const std::string tool = text.substr(0, blank);
  const std::string arguments = blank == std::string::npos ? std::string() : text.substr(blank);
  return "\"" + m_binDir + tool + "\" " + arguments;
}

int CEmcSymCliTool::runLocked(CFiExecPipeBase& pipe, const std::string& fullCommand, Lines& output,
                              uint32_t timeoutSec) {
  int result;
  trace(FI_TRACE_DETAIL, "execSymCLI : Acquring CLI execution lock .");
  {
    CFiSemaphore& semaphore = cliExecutionLock();
    CliLockGuard lock(semaphore);
    if (!lock.held()) {
      // Running without the lock could run two commands at once against
      // one gatekeeper; the command is not run.
      const std::string detail = "The CLI execution lock (semaphore key " +
                                 std::to_string(semaphore.getKey()) +
                                 ") cannot be taken: " + semaphore.lastErrorText() +
                                 ". The command [" + fullCommand + "] is not run without it.";
      trace(FI_TRACE_ERROR, "execSymCLI : %s", detail.c_str());
      throw CFiError(semaphore.lastError(), CFiStringTool::str2tstr(detail),
                     CFiStringTool::str2tstr(emcsym::kCliToolSourceFile), __LINE__,
                     tstring(L"CEmcSymCliTool::execSymCLI"));
    }
    trace(FI_TRACE_DETAIL, "execSymCLI : Got the CLI execution lock .");
    result = pipe.Exec(fullCommand, output, std::string(), timeoutSec, std::string(), std::string(),
                       std::string());
  }
  trace(FI_TRACE_DETAIL, "execSymCLI : Releaseing the CLI execution lock.");
  trace(FI_TRACE_DETAIL, "execSymCLI : Command returned [%d] .", result);
  return result;
}

bool CEmcSymCliTool::findError(const Lines& lines, const std::string& text) {
  for (const std::string& line : lines) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

bool CEmcSymCliTool::isGatekeeperLocked(const Lines& output) {
  if (output.empty()) return true;
  if (output.size() == 1 && CFiStringTool::trim(output[0]).empty()) return true;
  for (const char* message : kGatekeeperMessages) {
    if (findError(output, message)) {
      trace(FI_TRACE_INFO, "execSymCLI : found message [%s] gatekepper is locked.", message);
      return true;
    }
  }
  return false;
}

int CEmcSymCliTool::execSymCLI(const std::wstring& command, Lines& output, bool throwOnError,
                               bool retryOnGatekeeperLock, uint32_t timeoutSec) {
  cliExecutionLock();
  output.clear();
  if (timeoutSec == DEFAULT_TIMEOUT_SEC) {
    if (m_commandTimeoutSec == 0)
      m_commandTimeoutSec = emcsym::readTuningParams(m_traceLog).cliTimeoutInSec;
    timeoutSec = m_commandTimeoutSec;
  }
  std::unique_ptr<CFiExecPipeBase> pipe = createPipe();
  pipe->setTraceLog(m_traceLog);
  SFiOutputLimits limits;
  limits.maxBytes = MAX_OUTPUT_BYTES;
  limits.maxLineBytes = MAX_OUTPUT_LINE_BYTES;
  limits.maxLines = MAX_OUTPUT_LINES;
  pipe->setOutputLimits(limits);
  const std::string full = fullCommand(command);
  trace(FI_TRACE_INFO, "Executing CLI command: [%s]", full.c_str());

  // A run inside the retries of another command is itself a retry.
  const bool nested = insideRetries();
  if (nested) takeRetryRun();
  // One retry run: counted, and its time charged to the budget.
  auto retryRun = [&]() {
    takeRetryRun();
    const auto from = std::chrono::steady_clock::now();
    const int code = runLocked(*pipe, full, output, timeoutSec);
    chargeRetryTime(from);
    return code;
  };
  const auto from = std::chrono::steady_clock::now();
  int result = runLocked(*pipe, full, output, timeoutSec);
  if (nested) chargeRetryTime(from);
  if (result == 0) return 0;

  // Traces the failed run's output and keeps it as the last failure: the
  // pipe's last error as it stands (after a read time-out that is the
  // record of the close that stopped the child, code 11 and exit status
  // 1067; for a child that could not be started, the cause the pipe
  // recorded).
  auto traceOutput = [&]() {
    trace(FI_TRACE_WARNING, "execSymCLI : Command output \n%s",
          emcsym::joinLines(output, "").c_str());
    const EFiExecPipe last = pipe->getLastError();
    recordFailure(EEmcSymCliFailure(
        last.getCode() != QLB_EXEC_PIPE_SUCCESS ? last : EFiExecPipe(full, result), output));
  };
  traceOutput();
  if (result == QLB_EXEC_PIPE_CMD_FAILED) {
    trace(FI_TRACE_WARNING, "Warning: execSymCLI, CLI Command [%s] failed with error [%ld].",
          full.c_str(), static_cast<long>(pipe->getLastError().getExitStatus()));
  }

  // Output beyond the limits is a tool gone wrong, not a busy gatekeeper.
  if (retryOnGatekeeperLock && !nested && result != QLB_EXEC_PIPE_OUTPUT_LIMIT &&
      isGatekeeperLocked(output)) {
    const SEmcSymTuningParams params = emcsym::readTuningParams(m_traceLog);
    bool locked = true;
    for (uint32_t attempt = 1; attempt <= params.lockRetryAttempts && locked; ++attempt) {
      trace(FI_TRACE_WARNING,
            "Gate keeper is locked. Retrying [%u/%u] till the lock on the gate keeper is release.",
            attempt, params.lockRetryAttempts);
      retryPause(static_cast<unsigned long>(params.lockRetryDelayInSec) * 1000UL);
      trace(FI_TRACE_DETAIL, "Retrying CLI command: [%s]", full.c_str());
      result = retryRun();
      if (result == 0) {
        trace(FI_TRACE_DETAIL, "Command passed on retry.");
        return 0;
      }
      traceOutput();
      if (!isGatekeeperLocked(output)) {
        trace(FI_TRACE_WARNING,
              "Gate keeper is  not locked any more. Command failed due to some other error.");
        locked = false;
      }
    }
    // The locks are released once per operation: a second release would
    // find the same holder (or none) and only add runs.
    if (locked && !m_locksReleased) {
      m_locksReleased = true;
      trace(FI_TRACE_WARNING, "Gate keeper is locked. Releasing the lock on the gate keeper.");
      releaseGatekeeperLocks();
      trace(FI_TRACE_DETAIL,
            "execSymCLI : Retrying command [%s] after deleting the lock forcefully.", full.c_str());
      output.clear();
      result = retryRun();
      if (result != 0) traceOutput();
    }
  }
  if (result == 0) return 0;

  trace(FI_TRACE_ERROR, "%s: CLI returned; status=%d, %d lines of stdout",
        throwOnError ? "ERROR" : "WARNING", result, static_cast<int>(output.size()));
  const size_t traced = CEmcSymCliException::quotedCount(output);
  for (size_t i = 0; i < traced; ++i) trace(FI_TRACE_ERROR, ">> %s", output[i].c_str());
  if (traced < output.size()) {
    trace(FI_TRACE_ERROR, ">> [... %d more lines]", static_cast<int>(output.size() - traced));
  }
  if (throwOnError) throw m_lastFailure;
  return result;
}

void CEmcSymCliTool::retryPause(unsigned long ms) {
  if (!m_retryBudget.takeTime(ms)) retryBoundReached();
  if (ms > 0) fiSleep(ms);
}

void CEmcSymCliTool::takeRetryRun() {
  if (!m_retryBudget.takeRun()) retryBoundReached();
}

void CEmcSymCliTool::chargeRetryTime(std::chrono::steady_clock::time_point from) {
  const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - from);
  if (!m_retryBudget.takeTime(static_cast<uint64_t>(spent.count()))) retryBoundReached();
}

void CEmcSymCliTool::retryBoundReached() const {
  const size_t kShownLines = 10;
  const Lines& output = m_lastFailure.getOutput();
  const Lines shown(output.begin(),
                    output.begin() + static_cast<long>(std::min(output.size(), kShownLines)));
  const std::string where = "the operation stopped retrying after " + m_retryBudget.describe() +
                            "; the last failed command was [" + m_lastFailure.getCommand() +
                            "], exit status " + std::to_string(m_lastFailure.getExitStatus()) +
                            ", output: " + emcsym::joinLines(shown, " | ");
  trace(FI_TRACE_ERROR, "%s", where.c_str());
  throw CEmcSymCliException(3, L"[execSymCLI]", where, Lines(), emcsym::kCliToolSourceFile,
                            __LINE__);
}

void CEmcSymCliTool::recordFailure(const EEmcSymCliFailure& failure) {
  m_lastFailure = failure;
  ++m_failureCount;
}

void CEmcSymCliTool::recordUnreadable(const std::wstring& command, const Lines& output) {
  recordFailure(
      EEmcSymCliFailure(EFiExecPipe(fullCommand(command), QLB_EXEC_PIPE_SUCCESS), output));
}

void CEmcSymCliTool::releaseGatekeeperLocks() {
  FlagScope releasing(m_releasingLocks);
  const LockMap locks = symCfgGetLockList();
  if (locks.empty()) {
    trace(FI_TRACE_WARNING,
          "Could not deternime the lock on gate keeper. Forcefully releasing all the locks.");
    std::vector<SEmcSymArrayInfo> arrays;
    try {
      arrays = getSymmetrixList();
    } catch (const EFiExecPipe& e) {
      trace(FI_TRACE_ERROR, "The arrays cannot be listed (%s); no lock is released.",
            fiExecPipeCodeName(e.getCode()));
    } catch (const CEmcSymCliException&) {
      trace(FI_TRACE_ERROR, "The arrays cannot be listed; no lock is released.");
    }
    for (const SEmcSymArrayInfo& array : arrays) {
      for (int n = kFirstLockNumber; n <= kLastLockNumber; ++n) symCfgReleaseLock(array.symid, n);
    }
    return;
  }
  trace(FI_TRACE_WARNING, "Forcefully releasing all the locks aquired by other processe.");
  for (const auto& array : locks) {
    for (int n : array.second) symCfgReleaseLock(array.first, n);
  }
}

void CEmcSymCliTool::traceCheck(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  m_failedCheck = boundedtext::vformatString(8192, format, args);
  va_end(args);
  trace(FI_TRACE_ERROR, "%s", m_failedCheck.c_str());
}

CEmcSymCliException CEmcSymCliTool::checkFailed(const wchar_t* operation, const char* sourceFile,
                                                int line) const {
  return CEmcSymCliException(3, operation, m_failedCheck, Lines(), sourceFile, line);
}

void CEmcSymCliTool::cleanXML(const std::wstring& command, Lines& lines) {
  size_t end = 0;
  if (CFiStringTool::find(lines, "</SymCLI_ML", end, false) == std::string::npos) {
    throw CEmcSymCliException(3, command, "[cleanXML]", lines, emcsym::kCliToolSourceFile,
                              __LINE__);
  }
  size_t start = 0;
  if (CFiStringTool::find(lines, "<?xml", start, false) == std::string::npos) {
    throw CEmcSymCliException(3, command, "[cleanXML]", lines, emcsym::kCliToolSourceFile,
                              __LINE__);
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i < start || i > end) lines[i].clear();
  }
}

CEmcSymCliTool::LockMap CEmcSymCliTool::symCfgGetLockList() {
  LockMap locks;
  try {
    const std::vector<SEmcSymArrayInfo> arrays = getSymmetrixList();
    for (const SEmcSymArrayInfo& array : arrays) {
      Lines output;
      execSymCLI(
          toolCommand(emcsym::kSymCfg, emcsym::sidArgument(array.symid, L"[symCfgGetLockList]") +
                                           " -lock list " + getOutputFormatSuffix()),
          output, false, false, DEFAULT_TIMEOUT_SEC);
      size_t first = 0;
      while (first < output.size() && CFiStringTool::trim(output[first]).empty()) {
        trace(FI_TRACE_DETAIL, "Deleting first empty line of XML output");
        ++first;
      }
      output.erase(output.begin(), output.begin() + static_cast<long>(first));
      for (const std::string& line : output) trace(FI_TRACE_WARNING, "========>>%s|", line.c_str());
      CEmcSymLockQueryHandler handler;
      {
        CFiSaxParser parser(&handler);
        parser.parse(output);
      }
      const std::set<int> numbers = handler.getResult();
      if (!numbers.empty()) locks[array.symid] = numbers;
    }
  } catch (...) {
    trace(FI_TRACE_ERROR, "throw while retriving list of locks.");
    return LockMap();
  }
  return locks;
}

int CEmcSymCliTool::symCfgReleaseLock(const std::string& symid, int lockNumber) {
  trace(FI_TRACE_WARNING, "Releasing lock %d for symmetrix %s.", lockNumber, symid.c_str());
  Lines output;
  return execSymCLI(
      toolCommand(emcsym::kSymCfg, emcsym::sidArgument(symid, L"[symCfgReleaseLock]") +
                                       " -noprompt -lockn " + std::to_string(lockNumber) +
                                       " release "),
      output, false, false, DEFAULT_TIMEOUT_SEC);
}

int CEmcSymCliTool::execSymCLIStatus(const std::wstring& command, Lines& output) {
  try {
    return execSymCLI(command, output, true, true, DEFAULT_TIMEOUT_SEC);
  } catch (const EFiExecPipe& e) {
    return e.getCode();
  }
}

bool CEmcSymCliTool::parseOutput(const std::wstring& command, Lines& output,
                                 CFiSaxParseHandler& handler, const char* what) {
  return parseFailure(command, output, handler, what).empty();
}

std::string CEmcSymCliTool::parseFailure(const std::wstring& command, Lines& output,
                                         CFiSaxParseHandler& handler, const char* what) {
  cleanXML(command, output);
  std::string error;
  try {
    CFiSaxParser parser(&handler);
    parser.parse(output);
  } catch (const xercesc::SAXException& e) {
    error = CFiSaxParseHandler::toString(e.getMessage());
  } catch (const xercesc::XMLException& e) {
    error = CFiSaxParseHandler::toString(e.getMessage());
  } catch (const std::runtime_error& e) {
    error = e.what();
  }
  if (error.empty() && handler.hasLastError()) {
    error = CFiSaxParseHandler::toString(handler.getLastError().getMessage());
    if (error.empty()) error = "parse error";
  }
  if (error.empty()) return error;
  trace(FI_TRACE_ERROR, "%s: the output of [%s] cannot be parsed: %s", what,
        narrow(command).c_str(), error.c_str());
  return error;
}

void CEmcSymCliTool::parseOutputOrThrow(const std::wstring& command, Lines& output,
                                        CFiSaxParseHandler& handler, int line) {
  const std::string error = parseFailure(command, output, handler, "CEmcSymCliTool");
  if (!error.empty()) {
    // The reader's reason (a limit the output broke, or where it is not
    // well-formed) goes with the where text to the user.
    throw CEmcSymCliException(3, command, "[parseXML] (" + error + ")", output,
                              emcsym::kCliToolSourceFile, line);
  }
}
