// Plug-in base operations that hand errors and messages to the framework:
// errMsg, getLastError, delLastError, getLocaleMessage, delLocaleMessage.
#include "cfierror.h"
#include "cfipluginbase.h"
#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

#define FI_BASE_SCOPE(op) \
  CFiTraceLogFunction fiScope(m_traceLog, "quelb_pdk_4_4::CFiPluginBase::" op)

int CFiPluginBase::errMsg(int code, const wchar_t** text) {
  FI_BASE_SCOPE("errMsg");
  CFiError error(code, tstring(L""), tstring(L"pdk/src/cfipluginbase"), 422,
                 tstring(L"quelb_pdk_4_4::CFiPluginBase::errMsg"));
  std::string id = error.messageId(CFiStringTool::tstr2str(m_providerName), m_messageIndexOffset);
  const wchar_t* found = nullptr;
  if (m_catalogManager) m_catalogManager->getLocalizedMessage(id, "native", &found);
  if (text) *text = found;
  return 0;
}

int CFiPluginBase::getLastError(qlb_msg_info** record) {
  FI_BASE_SCOPE("getLastError");
  const qlb_msg_info* last = m_errorManager ? m_errorManager->getLastError() : nullptr;
  if (record) *record = const_cast<qlb_msg_info*>(last);
  return 0;
}

int CFiPluginBase::delLastError(qlb_msg_info** record) {
  FI_BASE_SCOPE("delLastError");
  if (m_errorManager) m_errorManager->deleteLastError(record);
  return 0;
}

int CFiPluginBase::getLocaleMessage(int*, qlb_msg_info* record, const char* locale,
                                    wchar_t** text) {
  FI_BASE_SCOPE("getLocaleMessage");
  const wchar_t* found = nullptr;
  if (m_catalogManager) m_catalogManager->getLocalizedMessage(record, locale, &found);
  if (text) *text = const_cast<wchar_t*>(found);
  return 0;
}

int CFiPluginBase::delLocaleMessage(wchar_t** text) {
  FI_BASE_SCOPE("delLocaleMessage");
  if (m_catalogManager) m_catalogManager->deleteLocalizedMessage(text);
  return 0;
}

}  // namespace quelb_pdk_4_4
