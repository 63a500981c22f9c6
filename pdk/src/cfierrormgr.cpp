#include "cfierrormgr.h"

#include "cfithreadid.h"
#include "utf8.h"

namespace quelb_pdk_4_4 {

namespace {

long currentThreadId() { return static_cast<long>(fiCurrentThreadId()); }

}  // namespace

int CFiErrorHandlerBase::handle(const char*, qlb_eseverity) { return 0; }

CFiErrorHandler::CFiErrorHandler(qlb_init_rec* initRecord,
                                 const CFiMessageCatalogManagerPtr& catalogManager)
    : m_initRecord(initRecord), m_catalogManager(catalogManager) {
  if (initRecord && initRecord->ir_locale && initRecord->ir_locale->ld_language)
    m_language = initRecord->ir_locale->ld_language;
}

int CFiErrorHandler::handle(const char* text, qlb_eseverity severity) {
  if (!m_initRecord || !m_initRecord->ir_callback) return 0;
  std::wstring wide = boundedtext::utf8ToWide(text ? std::string(text) : std::string());
  m_initRecord->ir_callback(m_initRecord, L"", wide.c_str(), severity);
  return 0;
}

int CFiErrorHandler::handle(const CFiMessagePtr& message) {
  if (!m_initRecord || !m_initRecord->ir_callback || !message) return 0;
  tstring defaultText;
  tstring consumerText;
  if (m_catalogManager) {
    defaultText = m_catalogManager->getLocalizedMessage(message, std::string());
    consumerText = m_catalogManager->getLocalizedMessage(message, m_language);
  }
  m_initRecord->ir_callback(m_initRecord, consumerText.c_str(), defaultText.c_str(),
                            message->severity());
  return 0;
}

CFiErrorManager::CFiErrorManager() {}

CFiErrorManager::~CFiErrorManager() {}

void CFiErrorManager::registerHandler(CFiErrorHandlerBase* handler) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (handler) m_handlers.push_back(handler);
}

void CFiErrorManager::unregisterHandler(CFiErrorHandlerBase* handler) {
  std::lock_guard<std::mutex> guard(m_lock);
  for (auto it = m_handlers.begin(); it != m_handlers.end(); ++it) {
    if (*it == handler) {
      m_handlers.erase(it);
      return;
    }
  }
}

std::vector<CFiErrorHandlerBase*> CFiErrorManager::handlersCopy() {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_handlers;
}

void CFiErrorManager::pushError(const char* text, qlb_eseverity severity) {
  for (CFiErrorHandlerBase* handler : handlersCopy()) handler->handle(text, severity);
}

void CFiErrorManager::pushError(const CFiMessagePtr& message) {
  CFiMessagePtr previous;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    CFiMessagePtr& slot = m_lastErrors[currentThreadId()];
    previous = slot;  // released outside the lock
    slot = message;
  }
  for (CFiErrorHandlerBase* handler : handlersCopy()) handler->handle(CFiMessagePtr(message));
}

const qlb_msg_info* CFiErrorManager::getLastError() {
  CFiMessagePtr message = lastMessage();
  if (!message) return nullptr;
  // The record lives in the message, which the map keeps alive.
  return message->serialize();
}

void CFiErrorManager::deleteLastError(qlb_msg_info**) {
  CFiMessagePtr previous;
  std::lock_guard<std::mutex> guard(m_lock);
  auto it = m_lastErrors.find(currentThreadId());
  if (it != m_lastErrors.end()) {
    previous = it->second;
    it->second.reset();
  }
}

CFiMessagePtr CFiErrorManager::lastMessage() {
  std::lock_guard<std::mutex> guard(m_lock);
  auto it = m_lastErrors.find(currentThreadId());
  return it == m_lastErrors.end() ? CFiMessagePtr() : it->second;
}

}  // namespace quelb_pdk_4_4
