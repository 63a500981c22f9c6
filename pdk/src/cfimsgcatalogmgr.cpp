#include "cfimsgcatalogmgr.h"

#include "cfimsgcatalog.h"
#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

CFiMessageCatalogManager::CFiMessageCatalogManager() : m_factory(nullptr) {}

CFiMessageCatalogManager::~CFiMessageCatalogManager() {}

void CFiMessageCatalogManager::registerFactory(CFiMessageCatalogFactory* factory) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  m_factory = factory;
  if (m_factory) activateCatalog(m_factory->getDefaultLanguage());
}

void CFiMessageCatalogManager::unregisterFactory(CFiMessageCatalogFactory* factory) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (m_factory != factory) return;
  m_factory = nullptr;
  m_catalogs.clear();
}

void CFiMessageCatalogManager::activateCatalog(const std::string& language) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!m_factory || m_catalogs.count(language) != 0) return;
  CatalogPtr catalog(m_factory->createCatalog(language.c_str()));
  if (catalog && catalog->init() == 0) m_catalogs[language] = catalog;
}

tstring CFiMessageCatalogManager::getMessage(const std::string& messageId,
                                             const wchar_t* defaultText,
                                             const std::string& language) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (m_factory) {
    const std::string defaultLanguage = m_factory->getDefaultLanguage();
    const std::string wanted = language.empty() ? defaultLanguage : language;
    activateCatalog(wanted);
    auto found = m_catalogs.find(wanted);
    if (found != m_catalogs.end()) return found->second->getMessage(messageId, defaultText);
    if (wanted != defaultLanguage) {
      found = m_catalogs.find(defaultLanguage);
      if (found != m_catalogs.end()) return found->second->getMessage(messageId, defaultText);
    }
  }
  if (defaultText) return tstring(defaultText);
  return tstring(L"<") + CFiStringTool::str2tstr(messageId) + L">";
}

int CFiMessageCatalogManager::getLocalizedMessage(const std::string& messageId,
                                                  const char* language, const wchar_t** text) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  tstring& stored = m_localized[messageId];
  stored = getMessage(messageId, nullptr, resolveLanguage(language));
  if (text) *text = stored.c_str();
  return 0;
}

int CFiMessageCatalogManager::getLocalizedMessage(const qlb_msg_info* record, const char* language,
                                                  const wchar_t** text) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (text) *text = nullptr;
  if (!m_factory || !record) return 0;
  CFiMessagePtr message(m_factory->createMessage(record));
  if (!message) return 0;
  tstring& stored = m_localized[message->messageId()];
  stored = getLocalizedMessage(message, resolveLanguage(language));
  if (text) *text = stored.c_str();
  return 0;
}

tstring CFiMessageCatalogManager::getLocalizedMessage(const CFiMessagePtr& message,
                                                      const std::string& language) {
  if (!message) return tstring();
  tstring pattern = getMessage(message->messageId(), nullptr, language);
  return message->formatMessage(pattern);
}

int CFiMessageCatalogManager::deleteLocalizedMessage(wchar_t** text) {
  if (!text || !*text) return 0;
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  const tstring wanted(*text);
  for (auto it = m_localized.begin(); it != m_localized.end(); ++it) {
    if (it->second == wanted) {
      m_localized.erase(it);
      *text = nullptr;
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
  if (!language) return m_factory ? m_factory->getDefaultLanguage() : std::string();
  if (std::string(language) == "native") return m_nativeLanguage;
  return language;
}

}  // namespace quelb_pdk_4_4
