// The 70 entry points of libfileprovider.so, "fileprovider_fi_pgn_<op>".
//
// Every provider exports this table; the framework resolves it by name.
// Each entry traces its name, passes the delayed initialisation where the
// operation needs the array, and forwards to the plug-in object, whose kit
// base answers what this provider does not override. init creates and
// wires the provider's own process-wide objects; fini releases them.
#include <quelb/pdk/cfierrormgr.h>
#include <quelb/pdk/cfimsgcatalogmgr.h>
#include <quelb/pdk/cfiobjctl.h>
#include <quelb/pdk/cfipluginbase.h>
#include <quelb/pdk/cfiprivatedata.h>
#include <quelb/pdk/cfisession.h>
#include <quelb/pdk/cfisingleton.h>
#include <quelb/pdk/cfistringtool.h>
#include <quelb/pdk/cfitracelog.h>
#include <quelb/quelb_pgn.h>

#include <memory>

#include "file_plugin.h"

using namespace quelb_pdk_4_4;

namespace {

const tstring& providerName() {
  static const tstring name(L"fileprovider");
  return name;
}

// The provider's process-wide objects, each made on first use.
typedef CFiSingletonAccessor<CFiPluginBase, fileprovider::CFileProviderPlugin> Plugin;
typedef CFiSingletonAccessor<CFiTraceLog> TraceLog;
typedef CFiSingletonAccessor<CFiMessageCatalogManager> Catalogs;
typedef CFiSingletonAccessor<CFiErrorManager> Errors;
typedef CFiSingletonAccessor<CFiPrivateDataManager> PrivateData;
typedef CFiSingletonAccessor<CFiSessionManager> Sessions;

// The handler that passes pushed messages to the framework's callback.
std::unique_ptr<CFiErrorHandler>& errorHandler() {
  static std::unique_ptr<CFiErrorHandler> handler;
  return handler;
}

}  // namespace

#define ENTRY extern "C" __attribute__((visibility("default")))
#define SCOPE(op) CFiTraceLogFunction scope(TraceLog::access(false), "fileprovider_fi_pgn_" #op)
// Entries whose operation needs the array: the first one reads it.
#define GATED(op, call)                                              \
  SCOPE(op);                                                         \
  Plugin::Ptr plugin = Plugin::access(false);                        \
  if (plugin->invokeDelayedInit() != 0) return QLB_ERR_DELAYED_INIT; \
  return plugin->call
#define PLAIN(op, call) \
  SCOPE(op);            \
  return Plugin::access(false)->call

ENTRY int fileprovider_fi_pgn_init(qlb_init_rec* rec, uint16_t* version) {
  if (!version) return QLB_ERR_NO_VERSION;
  version[0] = 7;
  version[1] = version[2] = version[3] = 0;

  Plugin::Ptr plugin = Plugin::access(false);
  plugin->setProviderName(providerName());
  Catalogs::Ptr catalogs = Catalogs::access(false);
  TraceLog::Ptr traceLog = TraceLog::access(false);
  Errors::Ptr errors = Errors::access(false);
  PrivateData::Ptr privateData = PrivateData::access(false);
  Sessions::Ptr sessions = Sessions::access(false);

  traceLog->registerErrorManager(errors);
  privateData->setTraceLog(traceLog);
  // Trace settings come from [DEBUG_TRACE_INFO] of ConfigFiles/fileprovider.conf.
  if (!traceLog->isInitialized())
    traceLog->initialize(providerName(), tstring(), tstring(), 1, false);
  if (rec && rec->ir_locale && rec->ir_locale->ld_language)
    catalogs->setNativeLanguage(rec->ir_locale->ld_language);

  if (errorHandler()) errors->unregisterHandler(errorHandler().get());
  errorHandler().reset(new CFiErrorHandler(rec, catalogs));
  errors->registerHandler(errorHandler().get());

  plugin->setTraceLog(traceLog);
  plugin->registerErrorManager(errors);
  plugin->registerCatalogManager(catalogs);
  plugin->registerPrivateDataManager(privateData);
  plugin->registerSessionManager(sessions);
  return plugin->init();
}

ENTRY void fileprovider_fi_pgn_fini(void) {
  {
    SCOPE(fini);
    CFiPluginBase::isShuttingDown(true);
    Plugin::access(false)->fini();
    if (errorHandler()) Errors::access(false)->unregisterHandler(errorHandler().get());
    errorHandler().reset();
  }
  Plugin::access(true);
  Catalogs::access(true);
  TraceLog::access(true);
  Errors::access(true);
  PrivateData::access(true);
  Sessions::access(true);
}

// --- the operations this provider answers itself -------------------------

ENTRY int fileprovider_fi_pgn_get_provider_info(qlb_provider_list** result) {
  SCOPE(get_provider_info);
  if (!result) return QLB_ERR_INVALID_ARG;
  *result = nullptr;
  return Plugin::access(false)->getProviderInfo(result);
}
ENTRY int fileprovider_fi_pgn_enumerate_fims(qlb_fim_list** result) {
  PLAIN(enumerate_fims, enumerateFims(result));
}
ENTRY int fileprovider_fi_pgn_enumerate_enclosures(qlb_enclosure_node_list** result, int* count,
                                                   wchar_t* filter) {
  PLAIN(enumerate_enclosures, enumerateEnclosures(result, count, filter));
}
ENTRY int fileprovider_fi_pgn_enumerate_nodes(qlb_node_list** result, int* count, int flags,
                                              wchar_t* filter) {
  if (!result) return QLB_ERR_INVALID_ARG;
  PLAIN(enumerate_nodes, enumerateNodes(result, count, flags, filter));
}
ENTRY int fileprovider_fi_pgn_select(qlb_splitnode* single, char* session, qlb_splitnode** list,
                                     int count) {
  if (!list && count == 0 && single)
    return fileprovider_fi_pgn_select(nullptr, session, &single, 1);
  GATED(select, select(session, list, count));
}
ENTRY int fileprovider_fi_pgn_prepare(qlb_splitnode* single, char* session, qlb_splitnode** list,
                                      int count, int value) {
  if (!list && count == 0 && single)
    return fileprovider_fi_pgn_prepare(nullptr, session, &single, 1, value);
  GATED(prepare, prepare(session, list, count, value));
}
ENTRY int fileprovider_fi_pgn_make(qlb_splitnode* single, char* session, qlb_splitnode** list,
                                   int count, quelb_objid*** out, int* outCount) {
  if (!list && count == 0 && single)
    return fileprovider_fi_pgn_make(nullptr, session, &single, 1, out, outCount);
  GATED(make, make(session, list, count, out, outCount));
}

// --- nodes: the kit's interposer claims, names and configures them -------

ENTRY qlb_interpose fileprovider_fi_pgn_interpose(qlb_domain* node, quelb_objid** id,
                                                  quelb_objid*** groups, int* count) {
  SCOPE(interpose);
  Plugin::Ptr plugin = Plugin::access(false);
  CFiMutexWrapper lock(plugin->getMutex(), true);
  plugin->invokeDelayedInit();
  return plugin->interpose(node, id, groups, count);
}
ENTRY int fileprovider_fi_pgn_claim(quelb_objid* primary, quelb_objid*** out, int* count) {
  if (!primary || !out || !count) return 0;
  PLAIN(claim, claim(primary, out, count));
}
ENTRY int fileprovider_fi_pgn_supports_fitype(qlb_domain* node, char* type) {
  PLAIN(supports_fitype, supportsFiType(node, type));
}
ENTRY int fileprovider_fi_pgn_init_node(qlb_domain* node, qlb_domain** nodes, int count,
                                        quelb_objid* id) {
  GATED(init_node, initNode(node, nodes, count, id));
}
ENTRY void fileprovider_fi_pgn_deinit_node(qlb_domain* node) {
  SCOPE(deinit_node);
  Plugin::access(false)->deInitNode(node);
}
ENTRY int fileprovider_fi_pgn_config(qlb_domain* node, int operation, char* session,
                                     qlb_confspec* spec) {
  if (!node || !spec) return QLB_ERR_INVALID_ARG;
  GATED(config, config(node, operation, session, spec));
}

// --- messages and errors ---------------------------------------------------

ENTRY int fileprovider_fi_pgn_errmsg(int code, const wchar_t** text) {
  PLAIN(errmsg, errMsg(code, text));
}
ENTRY int fileprovider_fi_pgn_get_last_error(qlb_msg_info** record) {
  PLAIN(get_last_error, getLastError(record));
}
ENTRY int fileprovider_fi_pgn_del_last_error(qlb_msg_info** record) {
  PLAIN(del_last_error, delLastError(record));
}
ENTRY int fileprovider_fi_pgn_get_locale_message(int* code, qlb_msg_info* record,
                                                 const char* locale, wchar_t** text) {
  PLAIN(get_locale_message, getLocaleMessage(code, record, locale, text));
}
ENTRY int fileprovider_fi_pgn_del_locale_message(wchar_t** text) {
  PLAIN(del_locale_message, delLocaleMessage(text));
}

// --- everything else: the kit's defaults ----------------------------------

ENTRY int fileprovider_fi_pgn_init_altnode(qlb_domain* a, qlb_domain* b, qlb_domain* alt) {
  GATED(init_altnode, initAltNode(a, b, alt, false));
}
ENTRY int fileprovider_fi_pgn_init_remnode(qlb_domain* a, qlb_domain* b, qlb_domain* alt) {
  GATED(init_remnode, initAltNode(a, b, alt, true));
}
ENTRY int fileprovider_fi_pgn_deport_tree(qlb_domain* a, qlb_domain* b, qlb_accessnode* c) {
  GATED(deport_tree, deportTree(a, b, c));
}
ENTRY int fileprovider_fi_pgn_import_tree(qlb_domain* node, quelb_objid** a, quelb_objid** b, int c,
                                          quelb_objid** out) {
  GATED(import_tree, importTreeNode(node, a, b, c, out));
}
ENTRY int fileprovider_fi_pgn_pre_prepare(qlb_domain* node) {
  GATED(pre_prepare, prePrepare(node));
}
ENTRY int fileprovider_fi_pgn_reaccess_tmpobj(qlb_domain* node, quelb_objid* id, char* type,
                                              qlb_domain* node2, char* session, qlb_intent i) {
  PLAIN(reaccess_tmpobj, reAccessTmpObj(node, id, type, node2, session, i));
}
ENTRY int fileprovider_fi_pgn_reaccess_altnode(qlb_domain* node, quelb_objid* a, quelb_objid* b,
                                               char* session, quelb_objid** c, quelb_objid** d,
                                               int e, qlb_intent i) {
  GATED(reaccess_altnode, reAccessAltNode(node, a, b, session, c, d, e, i));
}
ENTRY int fileprovider_fi_pgn_dispose(qlb_domain* a, qlb_domain* b, qlb_splitnode* c,
                                      qlb_disposition d) {
  GATED(dispose, dispose(a, b, c, d));
}
ENTRY int fileprovider_fi_pgn_online(qlb_domain* a, qlb_domain* b, int c, qlb_disposition d) {
  GATED(online, online(a, b, c, d));
}
ENTRY int fileprovider_fi_pgn_subobj_list(qlb_domain* node, quelb_objid*** list, int* count) {
  if (!node || !list || !count) return QLB_ERR_INVALID_ARG;
  GATED(subobj_list, subobjList(node, list, count));
}
ENTRY int fileprovider_fi_pgn_build_alttree(qlb_domain* node, char* text, quelb_objid** a,
                                            quelb_objid** b, int c, quelb_objid** d) {
  GATED(build_alttree, buildAltTree(node, text, a, b, c, d));
}
ENTRY int fileprovider_fi_pgn_quiesce(qlb_quiescenode* single, qlb_quiescenode** list, int count,
                                      char* text) {
  if (!list && count == 0 && single) return fileprovider_fi_pgn_quiesce(nullptr, &single, 1, text);
  GATED(quiesce, quiesce(list, count, text));
}
ENTRY void fileprovider_fi_pgn_unquiesce(qlb_quiescenode* single, qlb_quiescenode** list,
                                         int count) {
  if (!list && count == 0 && single) return fileprovider_fi_pgn_unquiesce(nullptr, &single, 1);
  SCOPE(unquiesce);
  Plugin::access(false)->unquiesce(list, count);
}
ENTRY int fileprovider_fi_pgn_isready(qlb_splitnode* single, char* session, qlb_splitnode** list,
                                      int count) {
  if (!list && count == 0 && single)
    return fileprovider_fi_pgn_isready(nullptr, session, &single, 1);
  GATED(isready, isReady(session, list, count));
}
ENTRY int fileprovider_fi_pgn_cache_disable(qlb_domain* node) {
  GATED(cache_disable, cacheDisable(node, 0));
}
ENTRY void fileprovider_fi_pgn_cache_enable(qlb_domain* node) {
  SCOPE(cache_enable);
  Plugin::access(false)->cacheEnable(node, 0);
}
ENTRY int fileprovider_fi_pgn_getattr(qlb_domain* a, qlb_domain* b, qlb_splitnode* c,
                                      qlb_attributes* d) {
  GATED(getattr, getAttr(a, b, c, d));
}
ENTRY int fileprovider_fi_pgn_process_providerstate(qlb_domain* node, qlb_blob* blob,
                                                    qlb_op_providerstate op) {
  GATED(process_providerstate, processProviderState(node, blob, op));
}
ENTRY int fileprovider_fi_pgn_enumerate_group_nodes(qlb_group_node_list** result) {
  GATED(enumerate_group_nodes, enumerateGroupNodes(result));
}
ENTRY int fileprovider_fi_pgn_enumerate_associations(qlb_assoc_list** result) {
  GATED(enumerate_associations, enumerateAssociations(result));
}
ENTRY int fileprovider_fi_pgn_isvalid_node_association(qlb_assoc* assoc, int* valid) {
  GATED(isvalid_node_association, isValidNodeAssociation(assoc, valid));
}
ENTRY int fileprovider_fi_pgn_get_associated_nodes(qlb_node* node, qlb_node_list** result) {
  GATED(get_associated_nodes, getAssociatedNodes(node, result));
}
ENTRY int fileprovider_fi_pgn_check_node_existence(qlb_domain* node, int* exists) {
  GATED(check_node_existence, checkNodeExistence(node, exists));
}
ENTRY int fileprovider_fi_pgn_objctl(const wchar_t* operation, const wchar_t* arguments,
                                     wchar_t** output, long* status) {
  SCOPE(objctl);
  Plugin::Ptr plugin = Plugin::access(false);
  if (plugin->invokeDelayedInit() != 0) return QLB_ERR_DELAYED_INIT;
  CFiObjctlArgs args(arguments);
  const long result = plugin->objctl(tstring(operation ? operation : L""), args);
  if (status) *status = result;
  if (output) *output = CFiStringTool::wstrdup(args.toText().c_str());
  return 0;
}
ENTRY int fileprovider_fi_pgn_enable_access(qlb_node_subobj_list* list, long a, int b, int c) {
  GATED(enable_access, enableAccess(list, a, b, c));
}
ENTRY int fileprovider_fi_pgn_disable_access(qlb_node_subobj_list* list, long a) {
  GATED(disable_access, disableAccess(list, a));
}
ENTRY int fileprovider_fi_pgn_restore(quelb_objid** sources, quelb_objid** targets, long count,
                                      wchar_t* a, wchar_t* b, long flags, long* status) {
  GATED(restore, restore(sources, targets, count, a, b, flags, status));
}
ENTRY int fileprovider_fi_pgn_resync(quelb_objid** sources, quelb_objid** targets, long count,
                                     wchar_t* a, wchar_t* b, long flags, long* status) {
  GATED(resync, resync(sources, targets, count, a, b, flags, status));
}
ENTRY int fileprovider_fi_pgn_get_status(quelb_objid** sources, quelb_objid** targets, long count,
                                         wchar_t* a, long b, long* status) {
  GATED(get_status, getStatus(sources, targets, count, a, b, status));
}
ENTRY int fileprovider_fi_pgn_query_valid_secondaries(wchar_t* name, quelb_objid*** list,
                                                      long* count) {
  GATED(query_valid_secondaries, queryValidSecondaries(name, list, count));
}
ENTRY int fileprovider_fi_pgn_res_status(quelb_objid* id, long a, long* b, qlb_msg_info** c) {
  GATED(res_status, resourceStatus(id, a, b, c));
}
ENTRY int fileprovider_fi_pgn_revisit_pgn_nodes(qlb_pgn_node_list* list) {
  PLAIN(revisit_pgn_nodes, revisitPluginNodes(list));
}
ENTRY int fileprovider_fi_pgn_verify_qscombos(qlb_splitnode* single, qlb_splitnode** list,
                                              int count) {
  if (!list && count == 0 && single)
    return fileprovider_fi_pgn_verify_qscombos(nullptr, &single, 1);
  GATED(verify_qscombos, verifyQSCombos(list, count));
}
ENTRY int fileprovider_fi_pgn_set_import_options(qlb_splitnode* single, qlb_splitnode** list,
                                                 int count, qlb_host_infn* hosts, int transportable,
                                                 void* reserved) {
  if (!list && count == 0 && single)
    return fileprovider_fi_pgn_set_import_options(nullptr, &single, 1, hosts, transportable,
                                                  reserved);
  GATED(set_import_options, setImportOptions(list, count, hosts, transportable, reserved));
}
ENTRY int fileprovider_fi_pgn_start_build_alttree(qlb_domain* node, quelb_objid** id, void* r) {
  GATED(start_build_alttree, startBuildAltTree(node, id, r));
}
ENTRY int fileprovider_fi_pgn_translate_resource_names(wchar_t** names, int value, wchar_t** out) {
  if (!names || !out || value != 0) return QLB_ERR_INVALID_ARG;
  GATED(translate_resource_names, translateResourceNames(names, value, out));
}
ENTRY int fileprovider_fi_pgn_import_resource(wchar_t** names, wchar_t* name, wchar_t* host,
                                              wchar_t* text, int flags, wchar_t** out,
                                              wchar_t* text2) {
  GATED(import_resource, importResource(names, name, host, text, flags, out, text2));
}
ENTRY int fileprovider_fi_pgn_format(wchar_t** names, int a, wchar_t* b, wchar_t* c, wchar_t* d,
                                     int e, wchar_t*** out, int* count) {
  GATED(format, format(names, a, b, c, d, e, out, count));
}
ENTRY int fileprovider_fi_pgn_enumerate_host_nodes(qlb_host_node_list** result, int* count,
                                                   wchar_t* filter) {
  PLAIN(enumerate_host_nodes, enumerateHostNodes(result, count, filter));
}
ENTRY int fileprovider_fi_pgn_online_resource(wchar_t** names, int a, wchar_t* b, wchar_t* c,
                                              wchar_t* d, wchar_t* e, int f, wchar_t*** out,
                                              int* count) {
  GATED(online_resource, onlineResource(names, a, b, c, d, e, f, out, count));
}
ENTRY int fileprovider_fi_pgn_deport_resource(wchar_t* a, wchar_t* name, wchar_t* host, wchar_t* d,
                                              int flags) {
  GATED(deport_resource, deportResource(a, name, host, d, flags));
}
ENTRY int fileprovider_fi_pgn_is_parent_pgn(wchar_t* name, int* result, int value) {
  GATED(is_parent_pgn, isParentPgn(name, result, value));
}
ENTRY int fileprovider_fi_pgn_unformat(wchar_t** names, int a, int b) {
  GATED(unformat, unformat(names, a, b));
}
ENTRY int fileprovider_fi_pgn_pre_deport_resource(wchar_t* name, int a, wchar_t* b) {
  GATED(pre_deport_resource, preDeportResource(name, a, b));
}
ENTRY int fileprovider_fi_pgn_refresh_tree(qlb_domain* node, int a, int b, qlb_resource* c, int d,
                                           int* e, void* f, int g) {
  GATED(refresh_tree, refreshTree(node, a, b, c, d, e, f, g));
}
ENTRY int fileprovider_fi_pgn_get_backupset(qlb_domain* node, int a, wchar_t** b, int c,
                                            qlb_bkupset* d) {
  GATED(get_backupset, getBackupset(node, a, b, c, d));
}
ENTRY int fileprovider_fi_pgn_get_app_status(qlb_domain* node, int a, void* b) {
  GATED(get_app_status, getAppStatus(node, a, b));
}
ENTRY int fileprovider_fi_pgn_set_op_status(qlb_domain* node, int a) {
  GATED(set_op_status, setOpStatus(node, a));
}
ENTRY int fileprovider_fi_pgn_set_comp_status(qlb_domain* node, int a, wchar_t* b, int c) {
  GATED(set_comp_status, setCompStatus(node, a, b, c));
}
ENTRY int fileprovider_fi_pgn_set_restorepaths(qlb_domain* node, wchar_t* a, int b) {
  GATED(set_restorepaths, setRestorepaths(node, a, b));
}
