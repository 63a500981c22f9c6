#include "emcsym_guard.h"

#include <quelb/quelb_records.h>

#include "cfiicumessage.h"
#include "cfistringtool.h"

using namespace quelb_pdk_4_4;

const char* const CEmcSymOperationGuard::SOURCE_FILE = "providers/emcsymmetrix/emcsym_plugin";

namespace {

void push(CFiErrorManager* errors, const char* messageId, qlb_eseverity severity, int line,
          std::initializer_list<icu::Formattable> arguments) {
  if (!errors) return;
  errors->pushError(CFiMessagePtr(
      new CFiIcuMessage(messageId, arguments, severity, CEmcSymOperationGuard::SOURCE_FILE, line)));
}

icu::Formattable text(const std::string& value) { return CFiIcuMessage::text(value); }

}  // namespace

int CEmcSymOperationGuard::caught(const EEmcSymCliFailure& e) const {
  e.push(m_errors, QLB_SEV_ERROR, SOURCE_FILE, m_line);
  return failureResult();
}

int CEmcSymOperationGuard::caught(const EFiExecPipe& e) const {
  EEmcSymCliFailure::push(m_errors, e, std::vector<std::string>(), QLB_SEV_ERROR, SOURCE_FILE,
                          m_line);
  return failureResult();
}

int CEmcSymOperationGuard::caught(const CFiError& e) const {
  push(m_errors, "MSG_ERROR_UNHANDLED_FIERROR_EXCEPTION", QLB_SEV_ERROR, m_line,
       {CFiIcuMessage::text(tstring(e.detailText())), CFiIcuMessage::text(e.function()),
        CFiIcuMessage::text(e.sourceFile()), icu::Formattable(e.line())});
  return failureResult();
}

int CEmcSymOperationGuard::caught(const CFiUdidException& e) const {
  push(m_errors, "MSG_ERROR_UDID_PARSING_EXCEPTION", QLB_SEV_ERROR, m_line,
       {text(e.text()), icu::Formattable(e.code())});
  return failureResult();
}

int CEmcSymOperationGuard::caught(const std::runtime_error& e) const {
  push(m_errors, "MSG_ERROR_UNHANDLED_RUNTIME_EXCEPTION", QLB_SEV_ERROR, m_line,
       {text("std::runtime_error"), text(e.what()), text(SOURCE_FILE), icu::Formattable(m_line)});
  return failureResult();
}

int CEmcSymOperationGuard::caught(int value) const {
  push(m_errors, "MSG_ERROR_UNHANDLED_INT_EXCEPTION", QLB_SEV_ERROR, m_line,
       {icu::Formattable(value), text(SOURCE_FILE), icu::Formattable(m_line)});
  return failureResult();
}

int CEmcSymOperationGuard::failureResult() const {
  switch (m_kind) {
    case INIT:
      push(m_errors, "MSG_ERROR_INITIALIZATION_FAILED", QLB_SEV_WARNING, m_line, {});
      return QLB_ERR_PROVIDER_INIT;
    case DELAYED_INIT:
      return 0;
    case OPERATION:
      break;
  }
  return QLB_ERR_FAILED;
}
