#include "emcsym_clifailure.h"

#include "cfiicumessage.h"
#include "cfistringtool.h"
#include "emcsym_clierror.h"

using namespace quelb_pdk_4_4;

std::string emcsymOutputText(const std::vector<std::string>& output) {
  std::string text;
  for (const std::string& line : output) {
    text += CFiStringTool::trim(line);
    text += '\n';
  }
  return text;
}

EEmcSymCliFailure::EEmcSymCliFailure(const EFiExecPipe& run, const std::vector<std::string>& output)
    : EFiExecPipe(run), m_output(emcsymQuotedOutput(output)), m_lineCount(output.size()) {}

void EEmcSymCliFailure::push(CFiErrorManager* errors, qlb_eseverity severity,
                             const std::string& sourceFile, int line) const {
  push(errors, *this, m_output, m_lineCount, severity, sourceFile, line);
}

void EEmcSymCliFailure::push(CFiErrorManager* errors, const EFiExecPipe& failure,
                             const std::vector<std::string>& output, qlb_eseverity severity,
                             const std::string& sourceFile, int line) {
  push(errors, failure, emcsymQuotedOutput(output), output.size(), severity, sourceFile, line);
}

void EEmcSymCliFailure::push(CFiErrorManager* errors, const EFiExecPipe& failure,
                             const std::vector<std::string>& output, std::size_t lineCount,
                             qlb_eseverity severity, const std::string& sourceFile, int line) {
  if (!errors) return;
  std::string code = fiExecPipeCodeName(failure.getCode());
  // An output limit is named by the pipe's message; the other codes' words
  // are the exit status and output the message carries anyway.
  if (failure.getCode() == QLB_EXEC_PIPE_OUTPUT_LIMIT && !failure.getMessage().empty())
    code += ": " + CFiStringTool::wstr2str(failure.getMessage());
  errors->pushError(CFiMessagePtr(new CFiIcuMessage(
      "MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION",
      {CFiIcuMessage::text(code), CFiIcuMessage::text(failure.getCommand()),
       CFiIcuMessage::text(sourceFile), icu::Formattable(line),
       icu::Formattable(failure.getExitStatus()), CFiIcuMessage::text(emcsymOutputText(output)),
       icu::Formattable(static_cast<int32_t>(lineCount))},
      severity, sourceFile, line)));
}
