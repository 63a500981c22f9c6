#include "emcsym_clierror.h"

#include "cfiicumessage.h"
#include "cfistringtool.h"
#include "norvel_singletons.h"

using quelb_pdk_4_4::CFiIcuMessage;
using quelb_pdk_4_4::CFiMessagePtr;
using quelb_pdk_4_4::CFiStringTool;

const char* const MSG_ERROR_CLI_COMMAND_FAILED = "MSG_ERROR_CLI_COMMAND_FAILED";

namespace {
// Result of an operation that failed.
const int kOperationFailed = 6;
}  // namespace

CEmcSymCliException::CEmcSymCliException(int32_t code, const std::wstring& command,
                                         const std::string& where,
                                         const std::vector<std::string>& output,
                                         const std::string& sourceFile, int32_t line)
    : m_command(command),
      m_code(code),
      m_output(output),
      m_where(where),
      m_sourceFile(sourceFile),
      m_line(line) {}

CEmcSymCliException::CEmcSymCliException(int32_t code, const std::wstring& command,
                                         const std::string& sourceFile, int32_t line)
    : m_command(command), m_code(code), m_sourceFile(sourceFile), m_line(line) {}

std::string CEmcSymCliException::outputText() const {
  std::string text;
  for (const std::string& line : m_output) {
    text += CFiStringTool::trim(line);
    text += '\n';
  }
  return text;
}

int CEmcSymCliException::pushCliError() const {
  CFiMessagePtr message(new CFiIcuMessage(
      MSG_ERROR_CLI_COMMAND_FAILED,
      {CFiIcuMessage::text(CFiStringTool::wstr2str(m_command)), CFiIcuMessage::text(m_sourceFile),
       icu::Formattable(m_line), CFiIcuMessage::text(m_where), CFiIcuMessage::text(outputText())},
      QLB_SEV_ERROR, m_sourceFile, m_line));
  quelb_pdk_4_4::CFiPluginBase::ErrorManagerRef errors = norvel::errorManager();
  if (errors) errors->pushError(message);
  return kOperationFailed;
}
