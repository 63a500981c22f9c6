#include "cfiexecpipebase.h"

#include <algorithm>
#include <cstring>
#include <deque>

#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

namespace {
// Every run ends with a close that waits this long per attempt.
const uint32_t kCloseTimeoutSec = 10;

// Counts a run's output against the limits; names the one broken.
class OutputBudget {
 public:
  OutputBudget(const SFiOutputLimits& limits, std::size_t pieceSize)
      : m_limits(limits), m_pieceSize(pieceSize) {}

  // Counts one line as ReadLine gave it. Empty, or the broken limit.
  std::string add(std::size_t length) {
    m_bytes += length + 1;
    ++m_lines;
    // A full piece is a line cut by the buffer: the next piece goes on it.
    m_lineBytes = m_lastCut ? m_lineBytes + length : length;
    m_lastCut = length >= m_pieceSize;
    if (m_limits.maxBytes && m_bytes > m_limits.maxBytes) {
      return "the output is longer than the limit of " + std::to_string(m_limits.maxBytes) +
             " bytes";
    }
    if (m_limits.maxLineBytes && m_lineBytes > m_limits.maxLineBytes) {
      return "an output line is longer than the limit of " + std::to_string(m_limits.maxLineBytes) +
             " bytes";
    }
    if (m_limits.maxLines && m_lines > m_limits.maxLines) {
      return "the output has more than the limit of " + std::to_string(m_limits.maxLines) +
             " lines";
    }
    return std::string();
  }

 private:
  const SFiOutputLimits m_limits;
  const std::size_t m_pieceSize;
  std::size_t m_bytes = 0;
  std::size_t m_lines = 0;
  std::size_t m_lineBytes = 0;
  bool m_lastCut = false;
};

// The lines of a run as they arrive, packed one after another, each ended
// by a NUL (a line is taken as a C text, up to its first NUL byte, as the
// list always took it), in blocks that are never moved.
// The caller's list gets them at the end, sized once, while the blocks are
// freed as they are emptied: at no time is more held than the packed text
// and the list's string objects. Lines that grow a list one by one, or
// pass through a second container, cost up to three times their string
// objects while the list moves to a larger block; for the short lines of
// a tool gone wrong that is many times the output.
class PackedLines {
 public:
  void add(const char* line, std::size_t length) {
    if (m_blocks.empty() || m_blocks.back().size() + length + 1 > m_blocks.back().capacity()) {
      m_blocks.emplace_back();
      m_blocks.back().reserve(std::max(kBlockSize, length + 1));
    }
    m_blocks.back().append(line, length).push_back('\0');
    ++m_count;
  }

  void handOver(std::vector<std::string>& output) {
    output.reserve(output.size() + m_count);
    for (std::string& block : m_blocks) {
      for (std::size_t at = 0; at < block.size();) {
        const std::size_t length = std::strlen(block.data() + at);
        output.emplace_back(block.data() + at, length);
        at += length + 1;
      }
      std::string().swap(block);
    }
    m_blocks.clear();
    m_count = 0;
  }

 private:
  static constexpr std::size_t kBlockSize = 256 * 1024;
  std::deque<std::string> m_blocks;
  std::size_t m_count = 0;
};
}  // namespace

CFiExecPipeBase::CFiExecPipeBase(int autoClose)
    : m_abortRequested(0), m_autoClose(autoClose != 0) {}

CFiExecPipeBase::CFiExecPipeBase(const std::vector<std::string>& list, int autoClose)
    : m_abortRequested(0), m_list(list), m_autoClose(autoClose != 0) {}

CFiExecPipeBase::~CFiExecPipeBase() {}

int CFiExecPipeBase::IsAbortRequested() { return m_abortRequested.load(); }

int CFiExecPipeBase::IsChildContext() { return 0; }

int CFiExecPipeBase::ExecCommandInChildContext(const std::string&, std::vector<std::string>&) {
  return 0;
}

void CFiExecPipeBase::Init() {}

void CFiExecPipeBase::Abort() { m_abortRequested.store(1); }

EFiExecPipe CFiExecPipeBase::getLastError() const { return m_lastError; }

int CFiExecPipeBase::Exec(const std::string& command, std::vector<std::string>& output,
                          const std::string& reserved, uint32_t timeoutSec,
                          const std::string& workDir, const std::string& user,
                          const std::string& password) {
  int result = ExecMain(command, output, reserved, timeoutSec, workDir, user, password);
  if (m_autoClose) {
    int closed = Close(kCloseTimeoutSec);
    if (closed != 0) trace(FI_TRACE_WARNING, "Close of the process returned %d", closed);
  }
  return result;
}

int CFiExecPipeBase::ExecMain(const std::string& command, std::vector<std::string>& output,
                              const std::string& reserved, uint32_t timeoutSec,
                              const std::string& workDir, const std::string& user,
                              const std::string& password) {
  std::vector<char> line(LINE_BUFFER_SIZE);
  m_user = user;
  m_password = password;
  m_reserved = reserved;
  if (IsChildContext() != 0) return ExecCommandInChildContext(command, output);

  int result = ExecPipe(command, workDir);
  if (result != QLB_EXEC_PIPE_SUCCESS) return result;

  output.clear();
  OutputBudget budget(m_outputLimits, LINE_BUFFER_SIZE - 1);
  PackedLines lines;
  auto handOver = [&output, &lines]() { lines.handOver(output); };
  while (true) {
    line[0] = '\0';
    if (IsAbortRequested() != 0) break;
    int timedOut = 0;
    int got = ReadLine(line.data(), LINE_BUFFER_SIZE - 1, timedOut, timeoutSec);
    if (timedOut == 1) {
      // Left open: the auto-close (or the destructor) stops the child.
      m_lastError = EFiExecPipe(command, QLB_EXEC_PIPE_READ_TIMEOUT);
      trace(FI_TRACE_ERROR, "Process has timmedout (%d sec)", static_cast<int>(timeoutSec));
      handOver();
      return QLB_EXEC_PIPE_READ_TIMEOUT;
    }
    if (got != 1) break;
    const std::size_t length = std::strlen(line.data());
    const std::string broken = budget.add(length);
    if (!broken.empty()) {
      // Stop the child now; the close's own verdict (a child killed or
      // ended by the closed pipe) gives way to the limit.
      trace(FI_TRACE_ERROR, "Command [%s] stopped: %s", command.c_str(), broken.c_str());
      Close(kCloseTimeoutSec);
      m_lastError =
          EFiExecPipe(command, QLB_EXEC_PIPE_OUTPUT_LIMIT, CFiStringTool::str2wstr(broken));
      handOver();
      return QLB_EXEC_PIPE_OUTPUT_LIMIT;
    }
    lines.add(line.data(), length);
  }
  handOver();
  return Close(kCloseTimeoutSec);
}

}  // namespace quelb_pdk_4_4
