// CFiMessageCatalogManager: the process-wide owner of the message catalogs.
// Picks the catalog of a language (creating it through the registered
// factory on first use), falls back to the default language, formats
// messages and keeps the localized texts it hands to the framework.
#ifndef QLB_PDK_CFIMSGCATALOGMGR_H
#define QLB_PDK_CFIMSGCATALOGMGR_H

#include <quelb/quelb_records.h>

#include <map>
#include <mutex>
#include <string>

#include "cfiexport.h"
#include "cfimessage.h"
#include "cfirefcount.h"
#include "cfismartptr.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class CFiMessageCatalog;
class CFiMessageCatalogFactory;

class QLB_PDK_EXPORT CFiMessageCatalogManager : public virtual CFiRefCount {
 public:
  typedef CFiSmartPtr<CFiMessageCatalog, CFiNullAllocator<CFiMessageCatalog> > CatalogPtr;

  CFiMessageCatalogManager();
  virtual ~CFiMessageCatalogManager();

  // Stores the factory (not owned) and activates the catalog of its default
  // language.
  void registerFactory(CFiMessageCatalogFactory* factory);
  // Forgets the factory, when it is the registered one, and the catalogs it
  // made; its owner calls this before deleting it.
  void unregisterFactory(CFiMessageCatalogFactory* factory);
  // Creates and enters the catalog of `language` when it has none yet and
  // the catalog's init succeeds.
  void activateCatalog(const std::string& language);

  // The catalog text for the id (no argument formatting): from the
  // language's catalog, else from the default language's, else the default
  // text, else "<id>". An empty language means the default language.
  tstring getMessage(const std::string& messageId, const wchar_t* defaultText,
                     const std::string& language);

  // Form 1: looks the id up, stores the text under the id and hands out a
  // pointer to the stored text. "native" means the native language; null
  // means the factory's default language.
  int getLocalizedMessage(const std::string& messageId, const char* language, const wchar_t** text);
  // Form 2: makes a message from the record, formats it and stores it as in
  // form 1. Without a registered factory or a record the text is null.
  int getLocalizedMessage(const qlb_msg_info* record, const char* language, const wchar_t** text);
  // Form 3: the catalog text of the message's id formatted with its
  // arguments (an empty language means the default language).
  tstring getLocalizedMessage(const CFiMessagePtr& message, const std::string& language);

  // Removes the first stored text equal to *text and then sets *text to
  // null (the removed text is gone); a text not stored is left alone.
  int deleteLocalizedMessage(wchar_t** text);

  std::string getNativeLanguage() const;
  void setNativeLanguage(const char* language);

 private:
  std::string resolveLanguage(const char* language) const;

  mutable std::recursive_mutex m_lock;  // the framework calls from several threads
  std::map<std::string, CatalogPtr> m_catalogs;
  CFiMessageCatalogFactory* m_factory;
  std::map<std::string, tstring> m_localized;
  std::string m_nativeLanguage;
};

typedef CFiSmartPtr<CFiMessageCatalogManager, CFiNullAllocator<CFiMessageCatalogManager> >
    CFiMessageCatalogManagerPtr;

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIMSGCATALOGMGR_H
