// CFiPluginBase: the class every provider derives from. One virtual
// operation per framework operation, each with a default a provider
// overrides as needed; the entry points reach the provider only through
// these. Holds the provider name, the message index offset, the recursive
// mutex of the delayed initialisation, the process-wide managers and the
// global configuration parameter descriptions.
//
// The virtual operations are declared in the slot order of the framework's
// operation table (slot numbers in the comments).
#ifndef QLB_PDK_CFIPLUGINBASE_H
#define QLB_PDK_CFIPLUGINBASE_H

#include <ace/Recursive_Thread_Mutex.h>
#include <quelb/quelb_records.h>

#include "cficonfig.h"
#include "cfierrormgr.h"
#include "cfiexport.h"
#include "cfimsgcatalogmgr.h"
#include "cfiobjctl.h"
#include "cfiprivatedata.h"
#include "cfirefcount.h"
#include "cfisession.h"
#include "cfismartptr.h"
#include "cfitraceable.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

// Scoped lock on a recursive mutex. acquire() locks only when the mutex is
// non-null and not yet held by this wrapper; release() unlocks only when
// held; the destructor releases.
class QLB_PDK_EXPORT CFiMutexWrapper {
 public:
  CFiMutexWrapper(ACE_Recursive_Thread_Mutex* mutex, bool acquireNow);
  ~CFiMutexWrapper();
  CFiMutexWrapper(const CFiMutexWrapper&) = delete;
  CFiMutexWrapper& operator=(const CFiMutexWrapper&) = delete;

  void acquire();
  void release();
  bool held() const { return m_held; }

 private:
  ACE_Recursive_Thread_Mutex* m_mutex;
  bool m_held;
};

class QLB_PDK_EXPORT CFiPluginBase : public virtual CFiRefCount, public virtual CFiTraceable {
 public:
  typedef CFiSmartPtr<CFiErrorManager, CFiContextSingletonAllocator<CFiErrorManager> >
      ErrorManagerRef;
  typedef CFiSmartPtr<CFiMessageCatalogManager,
                      CFiContextSingletonAllocator<CFiMessageCatalogManager> >
      CatalogManagerRef;
  typedef CFiSmartPtr<CFiPrivateDataManager, CFiContextSingletonAllocator<CFiPrivateDataManager> >
      PrivateDataManagerRef;
  typedef CFiSmartPtr<CFiSessionManager, CFiContextSingletonAllocator<CFiSessionManager> >
      SessionManagerRef;
  typedef CFiSmartPtr<CFiSession, CFiNullAllocator<CFiSession> > SessionRef;

  CFiPluginBase();
  virtual ~CFiPluginBase();

  void setProviderName(const tstring& name);
  tstring getProviderName() const;
  void setMessageIndexOffset(long offset);
  long getMessageIndexOffset() const { return m_messageIndexOffset; }

  void registerErrorManager(const ErrorManagerRef& manager);
  void registerCatalogManager(const CatalogManagerRef& manager);
  void registerPrivateDataManager(const PrivateDataManagerRef& manager);
  void registerSessionManager(const SessionManagerRef& manager);

  const ErrorManagerRef& errorManager() const { return m_errorManager; }
  const CatalogManagerRef& catalogManager() const { return m_catalogManager; }
  const PrivateDataManagerRef& privateDataManager() const { return m_privateDataManager; }
  const SessionManagerRef& sessionManager() const { return m_sessionManager; }

  ACE_Recursive_Thread_Mutex* getMutex();

  // Runs delayedInit once per process: under the mutex, returns 0 when it
  // has run before; otherwise sets the done flag, then calls it and returns
  // its result (so a failure is not retried).
  int invokeDelayedInit();

  // Sets the process-wide shutting-down flag when `set` is true; returns it.
  static bool isShuttingDown(bool set);

  // Appends a description to the global list of the mode (the shared list
  // when `shared`).
  void addDefaultConfigInfoParam(CFiConfigParamInfo& info, int mode, bool shared);

  int setOwnerIds(const std::string& owner, long first, long second);

  // --- slots 0 to 74 ---------------------------------------------------
  virtual int delayedInit();                                                            // 0
  virtual CFiConfigParamInfoList& globalConfigInfoList(int mode, bool shared);          // 1
  virtual int init();                                                                   // 2
  virtual void fini();                                                                  // 3
  virtual int claim(quelb_objid* primary, quelb_objid*** out, int* count);              // 4
  virtual int supportsFiType(qlb_domain* node, char* fiType);                           // 5
  virtual int deportTree(qlb_domain* node, qlb_domain* node2, qlb_accessnode* access);  // 6
  virtual int importTreeNode(qlb_domain* node, quelb_objid** a, quelb_objid** b, int c,
                             quelb_objid** out);  // 7
  virtual int initNode(qlb_domain* node, qlb_domain** nodes, int count,
                       quelb_objid* id);  // 8
  virtual int config(qlb_domain* node, int operation, char* sessionId,
                     qlb_confspec* spec);  // 9
  virtual int initAltNode(qlb_domain* first, qlb_domain* second, qlb_domain* alt,
                          bool remote);  // 10
  virtual int reAccessTmpObj(qlb_domain* node, quelb_objid* id, char* splitType, qlb_domain* node2,
                             char* sessionId, qlb_intent intent);  // 11
  virtual int reAccessAltNode(qlb_domain* node, quelb_objid* a, quelb_objid* b, char* sessionId,
                              quelb_objid** c, quelb_objid** d, int e,
                              qlb_intent intent);  // 12
  virtual void deInitNode(qlb_domain* node);       // 13
  virtual int dispose(qlb_domain* primary, qlb_domain* target, qlb_splitnode* split,
                      qlb_disposition disposition);                            // 14
  virtual int online(qlb_domain* a, qlb_domain* b, int c, qlb_disposition d);  // 15
  virtual int subobjList(qlb_domain* node, quelb_objid*** list, int* count);   // 16
  virtual int errMsg(int code, const wchar_t** text);                          // 17
  virtual int buildAltTree(qlb_domain* node, char* text, quelb_objid** a, quelb_objid** b, int c,
                           quelb_objid** d);                           // 18
  virtual int quiesce(qlb_quiescenode** list, int count, char* text);  // 19
  virtual void unquiesce(qlb_quiescenode** list, int count);           // 20
  virtual int make(char* sessionId, qlb_splitnode** list, int count, quelb_objid*** out,
                   int* outCount);                                                   // 21
  virtual int makeSnapshots(SessionRef& session);                                    // 22
  virtual int prepare(char* sessionId, qlb_splitnode** list, int count, int value);  // 23
  virtual int prepareSnapshots(SessionRef& session);                                 // 24
  virtual int select(char* sessionId, qlb_splitnode** list, int count);              // 25
  virtual int selectSnapshots(SessionRef& session);                                  // 26
  virtual int isReady(char* sessionId, qlb_splitnode** list, int count);             // 27
  virtual int cacheDisable(qlb_domain* node, int value);                             // 28
  virtual void cacheEnable(qlb_domain* node, int value);                             // 29
  virtual void cacheFlush(qlb_domain* node);                                         // 30
  virtual qlb_interpose interpose(qlb_domain* node, quelb_objid** interposerId,
                                  quelb_objid*** groupIds, int* count);  // 31
  virtual int getAttr(qlb_domain* a, qlb_domain* b, qlb_splitnode* c,
                      qlb_attributes* d);                   // 32
  virtual int getProviderInfo(qlb_provider_list** result);  // 33
  virtual int enumerateNodes(qlb_node_list** result, int* count, int flags,
                             wchar_t* filter);                             // 34
  virtual int enumerateAssociations(qlb_assoc_list** result);              // 35
  virtual int enumerateGroupNodes(qlb_group_node_list** result);           // 36
  virtual int enumerateFims(qlb_fim_list** result);                        // 37
  virtual int isValidNodeAssociation(qlb_assoc* assoc, int* valid);        // 38
  virtual int getAssociatedNodes(qlb_node* node, qlb_node_list** result);  // 39
  virtual int checkNodeExistence(qlb_domain* node, int* exists);           // 40
  virtual long objctl(const tstring& operation, CFiObjctlArgs& args);      // 41
  virtual int processProviderState(qlb_domain* node, qlb_blob* blob,
                                   qlb_op_providerstate operation);  // 42
  virtual int getLastError(qlb_msg_info** record);                   // 43
  virtual int delLastError(qlb_msg_info** record);                   // 44
  virtual int getLocaleMessage(int* code, qlb_msg_info* record, const char* locale,
                               wchar_t** text);                                // 45
  virtual int delLocaleMessage(wchar_t** text);                                // 46
  virtual int enableAccess(qlb_node_subobj_list* list, long a, int b, int c);  // 47
  virtual int disableAccess(qlb_node_subobj_list* list, long a);               // 48
  virtual int restore(quelb_objid** sources, quelb_objid** targets, long count, wchar_t* a,
                      wchar_t* b, long flags, long* status);  // 49
  virtual int resync(quelb_objid** sources, quelb_objid** targets, long count, wchar_t* a,
                     wchar_t* b, long flags, long* status);  // 50
  virtual int getStatus(quelb_objid** sources, quelb_objid** targets, long count, wchar_t* a,
                        long b, long* status);                                         // 51
  virtual int prePrepare(qlb_domain* node);                                            // 52
  virtual int queryValidSecondaries(wchar_t* name, quelb_objid*** list, long* count);  // 53
  virtual int resourceStatus(quelb_objid* id, long a, long* b, qlb_msg_info** c);      // 54
  virtual int revisitPluginNodes(qlb_pgn_node_list* list);                             // 55
  virtual int verifyQSCombos(qlb_splitnode** list, int count);                         // 56
  virtual int setImportOptions(qlb_splitnode** list, int count, qlb_host_infn* hosts,
                               int transportable, void* reserved);                    // 57
  virtual int startBuildAltTree(qlb_domain* node, quelb_objid** id, void* reserved);  // 58
  virtual int translateResourceNames(wchar_t** names, int value, wchar_t** out);      // 59
  virtual int enumerateEnclosures(qlb_enclosure_node_list** result, int* count,
                                  wchar_t* filter);  // 60
  virtual int importResource(wchar_t** names, wchar_t* name, wchar_t* host, wchar_t* text,
                             int flags, wchar_t** out, wchar_t* text2);  // 61
  virtual int format(wchar_t** names, int a, wchar_t* b, wchar_t* c, wchar_t* d, int e,
                     wchar_t*** out, int* count);  // 62
  virtual int enumerateHostNodes(qlb_host_node_list** result, int* count,
                                 wchar_t* filter);  // 63
  virtual int onlineResource(wchar_t** names, int a, wchar_t* b, wchar_t* c, wchar_t* d, wchar_t* e,
                             int f, wchar_t*** out, int* count);  // 64
  virtual int deportResource(wchar_t* a, wchar_t* name, wchar_t* host, wchar_t* d,
                             int flags);                            // 65
  virtual int isParentPgn(wchar_t* name, int* result, int value);   // 66
  virtual int unformat(wchar_t** names, int a, int b);              // 67
  virtual int preDeportResource(wchar_t* name, int a, wchar_t* b);  // 68
  virtual int refreshTree(qlb_domain* node, int a, int b, qlb_resource* c, int d, int* e, void* f,
                          int g);  // 69
  virtual int getBackupset(qlb_domain* node, int a, wchar_t** b, int c,
                           qlb_bkupset* d);                               // 70
  virtual int getAppStatus(qlb_domain* node, int a, void* b);             // 71
  virtual int setOpStatus(qlb_domain* node, int a);                       // 72
  virtual int setCompStatus(qlb_domain* node, int a, wchar_t* b, int c);  // 73
  virtual int setRestorepaths(qlb_domain* node, wchar_t* a, int b);       // 74

 protected:
  // The private data attached to the node (empty without a node, a manager
  // or data).
  CFiPrivateDataPtr nodePrivateData(qlb_domain* node) const;

  tstring m_providerName;
  ACE_Recursive_Thread_Mutex m_mutex;
  ErrorManagerRef m_errorManager;
  CatalogManagerRef m_catalogManager;
  PrivateDataManagerRef m_privateDataManager;
  SessionManagerRef m_sessionManager;
  CFiConfigParamInfoList m_globalConfigInfo[2];
  CFiConfigParamInfoList m_sharedGlobalConfigInfo[2];
  long m_messageIndexOffset;
  bool m_delayedInitDone;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIPLUGINBASE_H
