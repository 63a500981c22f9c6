#include "cfipluginbase.h"

#include <atomic>

namespace quelb_pdk_4_4 {

// Every default opens the trace scope "quelb_pdk_4_4::CFiPluginBase::<op>".
#define FI_BASE_SCOPE(op) \
  CFiTraceLogFunction fiScope(m_traceLog, "quelb_pdk_4_4::CFiPluginBase::" op)

namespace {
std::atomic<bool> g_shuttingDown{false};
}  // namespace

CFiMutexWrapper::CFiMutexWrapper(ACE_Recursive_Thread_Mutex* mutex, bool acquireNow)
    : m_mutex(mutex), m_held(false) {
  if (acquireNow) acquire();
}

CFiMutexWrapper::~CFiMutexWrapper() { release(); }

void CFiMutexWrapper::acquire() {
  if (!m_mutex || m_held) return;
  if (m_mutex->acquire() == 0) m_held = true;
}

void CFiMutexWrapper::release() {
  if (!m_held) return;
  m_mutex->release();
  m_held = false;
}

CFiPluginBase::CFiPluginBase() : m_messageIndexOffset(6000), m_delayedInitDone(false) {}

CFiPluginBase::~CFiPluginBase() {}

void CFiPluginBase::setProviderName(const tstring& name) { m_providerName = name; }
tstring CFiPluginBase::getProviderName() const { return m_providerName; }
void CFiPluginBase::setMessageIndexOffset(long offset) { m_messageIndexOffset = offset; }

void CFiPluginBase::registerErrorManager(const ErrorManagerRef& manager) {
  m_errorManager = manager;
}
void CFiPluginBase::registerCatalogManager(const CatalogManagerRef& manager) {
  m_catalogManager = manager;
}
void CFiPluginBase::registerPrivateDataManager(const PrivateDataManagerRef& manager) {
  m_privateDataManager = manager;
}
void CFiPluginBase::registerSessionManager(const SessionManagerRef& manager) {
  m_sessionManager = manager;
}

ACE_Recursive_Thread_Mutex* CFiPluginBase::getMutex() { return &m_mutex; }

int CFiPluginBase::invokeDelayedInit() {
  CFiMutexWrapper lock(&m_mutex, true);
  if (m_delayedInitDone) return 0;
  m_delayedInitDone = true;
  return delayedInit();
}

bool CFiPluginBase::isShuttingDown(bool set) {
  if (set) g_shuttingDown = true;
  return g_shuttingDown;
}

void CFiPluginBase::addDefaultConfigInfoParam(CFiConfigParamInfo& info, int mode, bool shared) {
  if (mode < 0 || mode > 1) return;
  (shared ? m_sharedGlobalConfigInfo : m_globalConfigInfo)[mode].addParamInfo(info);
}

int CFiPluginBase::setOwnerIds(const std::string&, long, long) {
  trace(FI_TRACE_INFO, "INFO: setOwnerIds done");
  return 0;
}

int CFiPluginBase::delayedInit() {
  FI_BASE_SCOPE("delayedInit");
  return 0;
}

CFiConfigParamInfoList& CFiPluginBase::globalConfigInfoList(int mode, bool shared) {
  FI_BASE_SCOPE("globalConfigInfoList");
  int m = mode == 1 ? 1 : 0;
  return (shared ? m_sharedGlobalConfigInfo : m_globalConfigInfo)[m];
}

int CFiPluginBase::init() {
  FI_BASE_SCOPE("init");
  return 0;
}

void CFiPluginBase::fini() { FI_BASE_SCOPE("fini"); }

int CFiPluginBase::claim(quelb_objid*, quelb_objid***, int*) {
  FI_BASE_SCOPE("claim");
  return 0;
}

int CFiPluginBase::supportsFiType(qlb_domain* node, char*) {
  FI_BASE_SCOPE("supportsFiType");
  if (node && node->fid_support) *node->fid_support = 0;
  return 0;
}

int CFiPluginBase::deportTree(qlb_domain*, qlb_domain*, qlb_accessnode*) {
  FI_BASE_SCOPE("deportTree");
  return 0;
}

int CFiPluginBase::importTreeNode(qlb_domain*, quelb_objid**, quelb_objid**, int, quelb_objid**) {
  FI_BASE_SCOPE("importTreeNode");
  return 0;
}

int CFiPluginBase::initNode(qlb_domain*, qlb_domain**, int, quelb_objid*) {
  FI_BASE_SCOPE("initNode");
  return 0;
}

int CFiPluginBase::initAltNode(qlb_domain*, qlb_domain*, qlb_domain*, bool) {
  FI_BASE_SCOPE("initAltNode");
  return 0;
}

int CFiPluginBase::dispose(qlb_domain*, qlb_domain*, qlb_splitnode*, qlb_disposition) {
  FI_BASE_SCOPE("dispose");
  return 0;
}

int CFiPluginBase::online(qlb_domain*, qlb_domain*, int, qlb_disposition) {
  FI_BASE_SCOPE("online");
  return 0;
}

int CFiPluginBase::buildAltTree(qlb_domain*, char*, quelb_objid**, quelb_objid**, int,
                                quelb_objid**) {
  FI_BASE_SCOPE("buildAltTree");
  return 0;
}

int CFiPluginBase::quiesce(qlb_quiescenode**, int, char*) {
  FI_BASE_SCOPE("quiesce");
  return 0;
}

void CFiPluginBase::unquiesce(qlb_quiescenode**, int) { FI_BASE_SCOPE("unquiesce"); }

int CFiPluginBase::make(char*, qlb_splitnode**, int, quelb_objid***, int*) {
  FI_BASE_SCOPE("make");
  return QLB_ERR_NOT_IMPLEMENTED;
}

int CFiPluginBase::makeSnapshots(SessionRef&) {
  FI_BASE_SCOPE("makeSnapshots");
  return QLB_ERR_NOT_IMPLEMENTED;
}

int CFiPluginBase::prepare(char*, qlb_splitnode**, int, int) {
  FI_BASE_SCOPE("prepare");
  return QLB_ERR_NOT_IMPLEMENTED;
}

int CFiPluginBase::prepareSnapshots(SessionRef&) {
  FI_BASE_SCOPE("prepareSnapshots");
  return 0;
}

int CFiPluginBase::select(char*, qlb_splitnode**, int) {
  FI_BASE_SCOPE("select");
  return QLB_ERR_NOT_IMPLEMENTED;
}

int CFiPluginBase::selectSnapshots(SessionRef&) {
  FI_BASE_SCOPE("selectSnapshots");
  return 0;
}

int CFiPluginBase::isReady(char*, qlb_splitnode**, int) {
  FI_BASE_SCOPE("isReady");
  return 0;
}

int CFiPluginBase::cacheDisable(qlb_domain*, int) {
  FI_BASE_SCOPE("cacheDisable");
  return 0;
}

void CFiPluginBase::cacheEnable(qlb_domain*, int) { FI_BASE_SCOPE("cacheEnable"); }

void CFiPluginBase::cacheFlush(qlb_domain*) { FI_BASE_SCOPE("cacheFlush"); }

qlb_interpose CFiPluginBase::interpose(qlb_domain*, quelb_objid**, quelb_objid***, int*) {
  FI_BASE_SCOPE("interpose");
  return QLB_NOT_INTERPOSED;
}

int CFiPluginBase::getAttr(qlb_domain*, qlb_domain*, qlb_splitnode*, qlb_attributes*) {
  FI_BASE_SCOPE("getAttr");
  return 0;
}

int CFiPluginBase::getProviderInfo(qlb_provider_list**) {
  FI_BASE_SCOPE("getProviderInfo");
  return 0;
}

int CFiPluginBase::enumerateNodes(qlb_node_list** result, int*, int, wchar_t*) {
  FI_BASE_SCOPE("enumerateNodes");
  if (!result) return QLB_ERR_INVALID_ARG;
  *result = nullptr;
  return 0;
}

int CFiPluginBase::enumerateAssociations(qlb_assoc_list** result) {
  FI_BASE_SCOPE("enumerateAssociations");
  if (!result) return QLB_ERR_INVALID_ARG;
  *result = nullptr;
  return 0;
}

int CFiPluginBase::enumerateGroupNodes(qlb_group_node_list** result) {
  FI_BASE_SCOPE("enumerateGroupNodes");
  if (!result) return QLB_ERR_INVALID_ARG;
  *result = nullptr;
  return 0;
}

int CFiPluginBase::enumerateFims(qlb_fim_list** result) {
  FI_BASE_SCOPE("enumerateFims");
  if (result) *result = nullptr;
  return 0;
}

int CFiPluginBase::isValidNodeAssociation(qlb_assoc*, int*) {
  FI_BASE_SCOPE("isValidNodeAssociation");
  return QLB_ERR_NOT_IMPLEMENTED;
}

int CFiPluginBase::getAssociatedNodes(qlb_node*, qlb_node_list** result) {
  FI_BASE_SCOPE("getAssociatedNodes");
  if (!result) return QLB_ERR_INVALID_ARG;
  *result = nullptr;
  return 0;
}

int CFiPluginBase::checkNodeExistence(qlb_domain*, int*) {
  FI_BASE_SCOPE("checkNodeExistence");
  return QLB_ERR_NOT_IMPLEMENTED;
}

long CFiPluginBase::objctl(const tstring&, CFiObjctlArgs&) {
  FI_BASE_SCOPE("objctl");
  return 0;
}

int CFiPluginBase::processProviderState(qlb_domain*, qlb_blob* blob, qlb_op_providerstate op) {
  FI_BASE_SCOPE("processProviderState");
  if (op == 1 && blob) {
    blob->blob_length = 0;
    blob->blob_data = nullptr;
  }
  return 0;
}

int CFiPluginBase::enableAccess(qlb_node_subobj_list* list, long, int, int) {
  FI_BASE_SCOPE("enableAccess");
  if (!list) return QLB_ERR_INVALID_ARG;
  for (qlb_node_subobj_list* e = list; e; e = e->nsl_next)
    if (e->nsl_node) e->nsl_node->fid_flags &= ~static_cast<uint32_t>(QLB_NODE_NOACCESS);
  return 0;
}

int CFiPluginBase::disableAccess(qlb_node_subobj_list* list, long) {
  FI_BASE_SCOPE("disableAccess");
  if (!list) return QLB_ERR_INVALID_ARG;
  for (qlb_node_subobj_list* e = list; e; e = e->nsl_next)
    if (e->nsl_node) e->nsl_node->fid_flags |= QLB_NODE_NOACCESS;
  return 0;
}

int CFiPluginBase::restore(quelb_objid**, quelb_objid**, long, wchar_t*, wchar_t*, long, long*) {
  FI_BASE_SCOPE("restore");
  return QLB_ERR_NOT_IMPLEMENTED;
}

int CFiPluginBase::resync(quelb_objid**, quelb_objid**, long, wchar_t*, wchar_t*, long, long*) {
  FI_BASE_SCOPE("resync");
  return 0;
}

int CFiPluginBase::getStatus(quelb_objid**, quelb_objid**, long count, wchar_t*, long,
                             long* status) {
  FI_BASE_SCOPE("getStatus");
  if (count && status)
    for (long i = 0; i < count; ++i) status[i] = 8;
  return 0;
}

int CFiPluginBase::prePrepare(qlb_domain*) {
  FI_BASE_SCOPE("prePrepare");
  return 0;
}

int CFiPluginBase::queryValidSecondaries(wchar_t*, quelb_objid***, long* count) {
  FI_BASE_SCOPE("queryValidSecondaries");
  if (count) *count = 0;
  return 0;
}

int CFiPluginBase::resourceStatus(quelb_objid*, long, long*, qlb_msg_info**) {
  FI_BASE_SCOPE("resourceStatus");
  return 0;
}

int CFiPluginBase::revisitPluginNodes(qlb_pgn_node_list*) {
  FI_BASE_SCOPE("revisitPluginNodes");
  return 0;
}

int CFiPluginBase::verifyQSCombos(qlb_splitnode**, int) {
  FI_BASE_SCOPE("verifyQSCombos");
  return 0;
}

int CFiPluginBase::startBuildAltTree(qlb_domain*, quelb_objid**, void*) {
  FI_BASE_SCOPE("startBuildAltTree");
  return 0;
}

int CFiPluginBase::translateResourceNames(wchar_t**, int, wchar_t**) {
  FI_BASE_SCOPE("translateResourceNames");
  return 0;
}

int CFiPluginBase::enumerateEnclosures(qlb_enclosure_node_list**, int*, wchar_t*) {
  FI_BASE_SCOPE("enumerateEnclosures");
  return 0;
}

int CFiPluginBase::importResource(wchar_t**, wchar_t*, wchar_t*, wchar_t*, int, wchar_t**,
                                  wchar_t*) {
  FI_BASE_SCOPE("importResource");
  return 0;
}

int CFiPluginBase::format(wchar_t**, int, wchar_t*, wchar_t*, wchar_t*, int, wchar_t***, int*) {
  FI_BASE_SCOPE("format");
  return 0;
}

int CFiPluginBase::enumerateHostNodes(qlb_host_node_list**, int*, wchar_t*) {
  FI_BASE_SCOPE("enumerateHostNodes");
  return 0;
}

int CFiPluginBase::onlineResource(wchar_t**, int, wchar_t*, wchar_t*, wchar_t*, wchar_t*, int,
                                  wchar_t***, int*) {
  FI_BASE_SCOPE("onlineResource");
  return 0;
}

int CFiPluginBase::deportResource(wchar_t*, wchar_t*, wchar_t*, wchar_t*, int) {
  FI_BASE_SCOPE("deportResource");
  return 0;
}

int CFiPluginBase::isParentPgn(wchar_t*, int*, int) {
  FI_BASE_SCOPE("isParentPgn");
  return 0;
}

int CFiPluginBase::unformat(wchar_t**, int, int) {
  FI_BASE_SCOPE("unformat");
  return 0;
}

int CFiPluginBase::preDeportResource(wchar_t*, int, wchar_t*) {
  FI_BASE_SCOPE("preDeportResource");
  return 0;
}

int CFiPluginBase::refreshTree(qlb_domain*, int, int, qlb_resource*, int, int*, void*, int) {
  FI_BASE_SCOPE("refreshTree");
  return 0;
}

int CFiPluginBase::getBackupset(qlb_domain*, int, wchar_t**, int, qlb_bkupset*) {
  FI_BASE_SCOPE("getBackupset");
  return 0;
}

int CFiPluginBase::getAppStatus(qlb_domain*, int, void*) {
  FI_BASE_SCOPE("getAppStatus");
  return 0;
}

int CFiPluginBase::setOpStatus(qlb_domain*, int) {
  FI_BASE_SCOPE("setOpStatus");
  return 0;
}

int CFiPluginBase::setCompStatus(qlb_domain*, int, wchar_t*, int) {
  FI_BASE_SCOPE("setCompStatus");
  return 0;
}

int CFiPluginBase::setRestorepaths(qlb_domain*, wchar_t*, int) {
  FI_BASE_SCOPE("setRestorepaths");
  return 0;
}

}  // namespace quelb_pdk_4_4
