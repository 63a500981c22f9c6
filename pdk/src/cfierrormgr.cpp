#include "cfierrormgr.h"

#include <cstring>

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
  const std::size_t length = text ? std::strlen(text) : 0;
  // Every traced line passes here: most fit a buffer on the stack.
  wchar_t small[512];
  if (length < sizeof small / sizeof small[0]) {
    small[boundedtext::utf8ToWide(text, length, small)] = L'\0';
    m_initRecord->ir_callback(m_initRecord, L"", small, severity);
  } else {
    const std::wstring wide = boundedtext::utf8ToWide(text, length);
    m_initRecord->ir_callback(m_initRecord, L"", wide.c_str(), severity);
  }
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

CFiErrorManager::CFiErrorManager() : m_handlers(std::make_shared<const Handlers>()) {}

CFiErrorManager::~CFiErrorManager() {}

void CFiErrorManager::registerHandler(CFiErrorHandlerBase* handler) {
  if (!handler) return;
  std::lock_guard<std::mutex> guard(m_lock);
  auto next = std::make_shared<Handlers>(*m_handlers);
  next->push_back(handler);
  m_handlers = std::move(next);
}

void CFiErrorManager::unregisterHandler(CFiErrorHandlerBase* handler) {
  std::lock_guard<std::mutex> guard(m_lock);
  auto next = std::make_shared<Handlers>(*m_handlers);
  for (auto it = next->begin(); it != next->end(); ++it) {
    if (*it == handler) {
      next->erase(it);
      m_handlers = std::move(next);
      return;
    }
  }
}

std::shared_ptr<const CFiErrorManager::Handlers> CFiErrorManager::handlers() {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_handlers;
}

void CFiErrorManager::pushError(const char* text, qlb_eseverity severity) {
  const std::shared_ptr<const Handlers> current = handlers();
  for (CFiErrorHandlerBase* handler : *current) handler->handle(text, severity);
}

void CFiErrorManager::pushError(const CFiMessagePtr& message) {
  CFiMessagePtr previous;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    CFiMessagePtr& slot = m_lastErrors[currentThreadId()];
    previous = slot;  // released outside the lock
    slot = message;
  }
  const std::shared_ptr<const Handlers> current = handlers();
  for (CFiErrorHandlerBase* handler : *current) handler->handle(CFiMessagePtr(message));
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
