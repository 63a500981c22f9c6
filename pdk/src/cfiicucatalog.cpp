#include "cfiicucatalog.h"

#include <unicode/locid.h>
#include <unicode/resbund.h>

#include <cstring>

#include "cficonfiguration.h"
#include "cfiplatform.h"
#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

CFiIcuMessageCatalog::CFiIcuMessageCatalog(const std::string& language, const tstring& catalogName)
    : CFiMessageCatalog(language, catalogName) {}

CFiIcuMessageCatalog::~CFiIcuMessageCatalog() {}

int CFiIcuMessageCatalog::init() {
  tstring directory;
  tstring fileName;
  CFiConfigurationPathTool::getMessageFileInfo(m_catalogName, directory, fileName);
  // Without an install path there are no catalogs: nothing is looked up in
  // the working directory.
  if (directory.length() == 0) return 3;
  if (!isLocaleName(m_language)) return 3;
  m_bundlePath = directory + fileName;
  const std::string path = fiWithSeparator(CFiStringTool::tstr2str(m_bundlePath));

  UErrorCode status = U_ZERO_ERROR;
  m_bundle.reset(new icu::ResourceBundle(path.c_str(), icu::Locale(m_language.c_str()), status));
  if (status == U_USING_DEFAULT_WARNING) {
    // ICU tries the process's default locale before root; only root is
    // wanted when the language has no bundle.
    UErrorCode actual = U_ZERO_ERROR;
    const icu::Locale found = m_bundle->getLocale(ULOC_ACTUAL_LOCALE, actual);
    const char* name = found.getName();
    if (U_SUCCESS(actual) && name && *name && std::strcmp(name, "root") != 0) {
      status = U_ZERO_ERROR;
      m_bundle.reset(new icu::ResourceBundle(path.c_str(), icu::Locale::getRoot(), status));
      if (status == U_ZERO_ERROR) status = U_USING_DEFAULT_WARNING;
    }
  }
  return status == U_ZERO_ERROR || status == U_USING_DEFAULT_WARNING ? 0 : 3;
}

bool CFiIcuMessageCatalog::isLocaleName(const std::string& language) {
  return language.find_first_not_of(
             "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
             "0123456789_-") == std::string::npos;
}

tstring CFiIcuMessageCatalog::getMessage(const std::string& messageId, const wchar_t* defaultText) {
  if (m_bundle) {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString text = m_bundle->getStringEx(messageId.c_str(), status);
    if (U_SUCCESS(status)) return m_catalogName + L": " + CFiStringTool::ustr2tstr(text);
  }
  if (defaultText) return tstring(defaultText);
  return m_catalogName + L": <" + CFiStringTool::str2tstr(messageId) + L">";
}

CFiMessageCatalog* CFiIcuMessageCatalogFactory::createCatalog(const char* language) {
  return new CFiIcuMessageCatalog(language ? std::string(language) : m_defaultLanguage,
                                  m_catalogName);
}

CFiMessage* CFiIcuMessageCatalogFactory::createMessage(const qlb_msg_info* record) {
  return new CFiIcuMessage(record);
}

}  // namespace quelb_pdk_4_4
