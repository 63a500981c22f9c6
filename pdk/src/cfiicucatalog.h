// The kit's message catalogs on ICU resource bundles.
//
// CFiIcuMessageCatalog: the messages of one language, read from the bundle
// <install>/Messages/lib<catalog name>/<language>.res (compiled with genrb).
// CFiIcuMessageCatalogFactory: makes these catalogs and CFiIcuMessage
// objects for one catalog name.
#ifndef QLB_PDK_CFIICUCATALOG_H
#define QLB_PDK_CFIICUCATALOG_H

#include <unicode/resbund.h>

#include <memory>
#include <string>

#include "cfiexport.h"
#include "cfiicumessage.h"
#include "cfimsgcatalog.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiIcuMessageCatalog : public CFiMessageCatalog {
 public:
  CFiIcuMessageCatalog(const std::string& language, const tstring& catalogName);
  ~CFiIcuMessageCatalog() override;

  // Opens the bundle of the language. 0 when ICU finds it or falls back to
  // the root bundle (U_USING_DEFAULT_WARNING); 3 otherwise, including a
  // fallback to a parent language (U_USING_FALLBACK_WARNING), so that the
  // manager uses its default language instead. A language without a bundle
  // of its own always gets the root bundle, never one picked by the
  // process's default locale. A language that is no locale name (see
  // isLocaleName) gets 3 as well.
  int init() override;
  tstring getMessage(const std::string& messageId, const wchar_t* defaultText) override;

  // True for a name of letters, digits, "_" and "-": ICU would take a name
  // with path separators as the path of another bundle.
  static bool isLocaleName(const std::string& language);

 private:
  std::unique_ptr<icu::ResourceBundle> m_bundle;
};

class QLB_PDK_EXPORT CFiIcuMessageCatalogFactory : public CFiMessageCatalogFactory {
 public:
  CFiIcuMessageCatalogFactory(const std::string& defaultLanguage, const tstring& catalogName)
      : CFiMessageCatalogFactory(defaultLanguage, catalogName) {}

  CFiMessageCatalog* createCatalog(const char* language) override;
  CFiMessage* createMessage(const qlb_msg_info* record) override;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIICUCATALOG_H
