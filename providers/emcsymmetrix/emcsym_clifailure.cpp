#include "emcsym_clifailure.h"

#include "cfiicumessage.h"
#include "cfistringtool.h"

using namespace quelb_pdk_4_4;

std::string emcsymOutputText(const std::vector<std::string>& output) {
  std::string text;
  for (const std::string& line : output) {
    text += CFiStringTool::trim(line);
    text += '\n';
  }
  return text;
}

void EEmcSymCliFailure::push(CFiErrorManager* errors, const EFiExecPipe& failure,
                             const std::vector<std::string>& output, qlb_eseverity severity,
                             const std::string& sourceFile, int line) {
  if (!errors) return;
  errors->pushError(CFiMessagePtr(
      new CFiIcuMessage("MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION",
                        {CFiIcuMessage::text(fiExecPipeCodeName(failure.getCode())),
                         CFiIcuMessage::text(failure.getCommand()), CFiIcuMessage::text(sourceFile),
                         icu::Formattable(line), icu::Formattable(failure.getExitStatus()),
                         CFiIcuMessage::text(emcsymOutputText(output)),
                         icu::Formattable(static_cast<int32_t>(output.size()))},
                        severity, sourceFile, line)));
}
