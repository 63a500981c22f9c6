#include "emcsym_clierror.h"

#include "cfierrormgr.h"
#include "cfiicumessage.h"
#include "cfisingleton.h"
#include "cfistringtool.h"
#include "emcsym_clifailure.h"

using quelb_pdk_4_4::CFiIcuMessage;
using quelb_pdk_4_4::CFiMessagePtr;
using quelb_pdk_4_4::CFiStringTool;

const char* const MSG_ERROR_CLI_COMMAND_FAILED = "MSG_ERROR_CLI_COMMAND_FAILED";

namespace {
// Result of an operation that failed.
const int kOperationFailed = 6;
// The output quoted for a command that printed nothing.
const char* const kNoOutput = "[no output]";
}  // namespace

std::vector<std::string> emcsymQuotedOutput(const std::vector<std::string>& output) {
  const std::size_t kept = CEmcSymCliException::quotedCount(output);
  std::vector<std::string> lines(output.begin(), output.begin() + static_cast<long>(kept));
  // A first line too long to keep whole keeps its beginning.
  if (kept == 0 && !output.empty()) {
    lines.push_back(output[0].substr(0, CEmcSymCliException::QUOTED_BYTES));
  }
  if (lines.size() < output.size()) {
    lines.push_back("[... " + std::to_string(output.size() - lines.size()) + " more lines]");
  }
  return lines;
}

std::size_t CEmcSymCliException::quotedCount(const std::vector<std::string>& output) {
  std::size_t bytes = 0;
  std::size_t count = 0;
  for (; count < output.size() && count < QUOTED_LINES; ++count) {
    bytes += output[count].size();
    if (bytes > QUOTED_BYTES) break;
  }
  return count;
}

CEmcSymCliException::CEmcSymCliException(int32_t code, const std::wstring& command,
                                         const std::string& where,
                                         const std::vector<std::string>& output,
                                         const std::string& sourceFile, int32_t line)
    : m_command(command),
      m_code(code),
      m_output(emcsymQuotedOutput(output)),
      m_where(where),
      m_sourceFile(sourceFile),
      m_line(line) {}

CEmcSymCliException::CEmcSymCliException(int32_t code, const std::wstring& command,
                                         const std::string& sourceFile, int32_t line)
    : m_command(command), m_code(code), m_sourceFile(sourceFile), m_line(line) {}

std::string CEmcSymCliException::outputText() const { return emcsymOutputText(m_output); }

int CEmcSymCliException::pushCliError() const {
  // A command that printed nothing at all still failed on its output, not
  // on a check: it is quoted as one marker line, so that the catalog picks
  // the form that names the command and its exit status.
  const bool aboutOutput =
      m_where.compare(0, 10, "[cleanXML]") == 0 || m_where.compare(0, 10, "[parseXML]") == 0;
  const std::vector<std::string> quoted =
      aboutOutput && m_output.empty() ? std::vector<std::string>{kNoOutput} : m_output;
  CFiMessagePtr message(new CFiIcuMessage(
      MSG_ERROR_CLI_COMMAND_FAILED,
      {CFiIcuMessage::text(CFiStringTool::wstr2str(m_command)), CFiIcuMessage::text(m_sourceFile),
       icu::Formattable(m_line), CFiIcuMessage::text(m_where),
       CFiIcuMessage::text(emcsymOutputText(quoted)),
       icu::Formattable(static_cast<int32_t>(quoted.size()))},
      QLB_SEV_ERROR, m_sourceFile, m_line));
  // The process-wide error manager, through the kit's accessor (the one the
  // entry points fill), so that this record does not depend on them.
  quelb_pdk_4_4::CFiSingletonAccessor<quelb_pdk_4_4::CFiErrorManager>::Ptr errors =
      quelb_pdk_4_4::CFiSingletonAccessor<quelb_pdk_4_4::CFiErrorManager>::access(false);
  if (errors) errors->pushError(message);
  return kOperationFailed;
}
