// Placeholder catalog manager: answers every lookup with "<id>" until the
// ICU catalogs are in place.
#include "cfimsgcatalogmgr.h"

#include "cfimsgcatalog.h"

namespace quelb_pdk_4_4 {

namespace {

tstring bracketed(const std::string& id) {
  tstring s(L"<");
  for (char c : id) s += static_cast<wchar_t>(static_cast<unsigned char>(c));
  s += L">";
  return s;
}

}  // namespace

CFiMessageCatalogManager::CFiMessageCatalogManager() : m_factory(nullptr) {}

CFiMessageCatalogManager::~CFiMessageCatalogManager() {}

void CFiMessageCatalogManager::registerFactory(CFiMessageCatalogFactory* factory) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  m_factory = factory;
}

void CFiMessageCatalogManager::activateCatalog(const std::string&) {}

tstring CFiMessageCatalogManager::getMessage(const std::string& messageId, const wchar_t* defaultText,
                                             const std::string&) {
  if (defaultText) return tstring(defaultText);
  return bracketed(messageId);
}

int CFiMessageCatalogManager::getLocalizedMessage(const std::string& messageId, const char* language,
                                                  const wchar_t** text) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  tstring& stored = m_localized[messageId];
  stored = getMessage(messageId, nullptr, resolveLanguage(language));
  if (text) *text = stored.c_str();
  return 0;
}

int CFiMessageCatalogManager::getLocalizedMessage(const qlb_msg_info*, const char*,
                                                  const wchar_t** text) {
  if (text) *text = nullptr;
  return 0;
}

tstring CFiMessageCatalogManager::getLocalizedMessage(const CFiMessagePtr& message,
                                                      const std::string& language) {
  if (!message) return tstring();
  return getMessage(message->messageId(), nullptr, language);
}

int CFiMessageCatalogManager::deleteLocalizedMessage(wchar_t** text) {
  if (!text || !*text) return 0;
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  for (auto it = m_localized.begin(); it != m_localized.end(); ++it) {
    if (it->second == tstring(*text)) {
      m_localized.erase(it);
      break;
    }
  }
  return 0;
}

std::string CFiMessageCatalogManager::getNativeLanguage() const {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return m_nativeLanguage;
}

void CFiMessageCatalogManager::setNativeLanguage(const char* language) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  m_nativeLanguage = language ? language : "";
}

std::string CFiMessageCatalogManager::resolveLanguage(const char* language) const {
  if (!language) return std::string();
  if (std::string(language) == "native") return m_nativeLanguage;
  return language;
}

}  // namespace quelb_pdk_4_4
