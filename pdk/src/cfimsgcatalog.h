// CFiMessageCatalog: the messages of one language, looked up by id.
// CFiMessageCatalogFactory: makes the catalogs and messages of one catalog
// kind (the ICU implementation is the one the kit ships).
#ifndef QLB_PDK_CFIMSGCATALOG_H
#define QLB_PDK_CFIMSGCATALOG_H

#include <quelb/quelb_records.h>

#include <string>

#include "cfiexport.h"
#include "cfimessage.h"
#include "cfirefcount.h"
#include "cfismartptr.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiMessageCatalog : public virtual CFiRefCount {
 public:
  CFiMessageCatalog(const std::string& language, const tstring& catalogName)
      : m_language(language), m_catalogName(catalogName) {}
  virtual ~CFiMessageCatalog() {}

  // Opens the catalog; 0 on success, 3 on failure.
  virtual int init() = 0;
  // The text of the id: "<catalog name>: <text>"; else the default text when
  // given; else "<catalog name>: <<id>>".
  virtual tstring getMessage(const std::string& messageId, const wchar_t* defaultText) = 0;

  const std::string& language() const { return m_language; }
  const tstring& bundlePath() const { return m_bundlePath; }
  const tstring& catalogName() const { return m_catalogName; }

 protected:
  std::string m_language;
  tstring m_bundlePath;
  tstring m_catalogName;
};

class QLB_PDK_EXPORT CFiMessageCatalogFactory {
 public:
  CFiMessageCatalogFactory(const std::string& defaultLanguage, const tstring& catalogName)
      : m_defaultLanguage(defaultLanguage), m_catalogName(catalogName) {}
  virtual ~CFiMessageCatalogFactory() {}

  // A new catalog for the language; null means the default language.
  virtual CFiMessageCatalog* createCatalog(const char* language) = 0;
  // A new message read from a serialized record.
  virtual CFiMessage* createMessage(const qlb_msg_info* record) = 0;
  virtual std::string getDefaultLanguage() const { return m_defaultLanguage; }

 protected:
  std::string m_defaultLanguage;
  tstring m_catalogName;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIMSGCATALOG_H
