// Errors reach the framework in two ways: pushed at once through the error
// handlers to the framework's message callback, and asked for later as the
// calling thread's last error.
//
// CFiErrorManager keeps one last error per thread and the registered
// handlers. CFiErrorHandlerBase is the handler interface; CFiErrorHandler
// forwards to the callback of the framework's init record.
#ifndef QLB_PDK_CFIERRORMGR_H
#define QLB_PDK_CFIERRORMGR_H

#include <quelb/quelb_records.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cfiexport.h"
#include "cfimessage.h"
#include "cfimsgcatalogmgr.h"
#include "cfirefcount.h"
#include "cfismartptr.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiErrorHandlerBase {
 public:
  virtual ~CFiErrorHandlerBase() {}
  // A traced text line; the base does nothing.
  virtual int handle(const char* text, qlb_eseverity severity);
  // A message.
  virtual int handle(const CFiMessagePtr& message) = 0;
};

class QLB_PDK_EXPORT CFiErrorHandler : public CFiErrorHandlerBase {
 public:
  // Takes the consumer's language from the init record's locale descriptor.
  CFiErrorHandler(qlb_init_rec* initRecord, const CFiMessageCatalogManagerPtr& catalogManager);

  // Calls the callback with (record, "", the text widened, severity).
  int handle(const char* text, qlb_eseverity severity) override;
  // Calls the callback with (record, text in the consumer's language, text in
  // the default language, severity).
  int handle(const CFiMessagePtr& message) override;

  const std::string& language() const { return m_language; }

 private:
  qlb_init_rec* m_initRecord;
  std::string m_language;
  CFiMessageCatalogManagerPtr m_catalogManager;
};

class QLB_PDK_EXPORT CFiErrorManager : public virtual CFiRefCount {
 public:
  CFiErrorManager();
  virtual ~CFiErrorManager();

  // Appends a handler; the manager neither owns nor deletes it.
  void registerHandler(CFiErrorHandlerBase* handler);
  // Removes a handler, so that its owner may delete it.
  void unregisterHandler(CFiErrorHandlerBase* handler);

  // Hands a text to every handler; the last error is not changed.
  void pushError(const char* text, qlb_eseverity severity);
  // Makes the message the calling thread's last error, then hands it to
  // every handler.
  void pushError(const CFiMessagePtr& message);

  // The calling thread's last error, serialized, or null.
  const qlb_msg_info* getLastError();
  // Releases the calling thread's last error.
  void deleteLastError(qlb_msg_info** record);

  // The calling thread's last error as a message (empty when none).
  CFiMessagePtr lastMessage();

 private:
  typedef std::vector<CFiErrorHandlerBase*> Handlers;
  // The handlers as registered now. Registering replaces the list, so a
  // push holds a list that no later change touches, without copying it:
  // every traced line is pushed.
  std::shared_ptr<const Handlers> handlers();

  std::mutex m_lock;  // guards both members; handlers run outside it
  std::map<long, CFiMessagePtr> m_lastErrors;
  std::shared_ptr<const Handlers> m_handlers;
};

typedef CFiSmartPtr<CFiErrorManager, CFiNullAllocator<CFiErrorManager> > CFiErrorManagerPtr;

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIERRORMGR_H
