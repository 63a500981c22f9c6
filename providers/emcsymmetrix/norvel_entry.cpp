// The 70 exported entry points of libnorvel.so. Each traces its own name,
// passes the delayed-initialisation gate where its operation needs the
// arrays ("dispatch rule"), checks the arguments its row names and forwards
// to one virtual operation of the plug-in object. init, fini, select,
// prepare, make, objctl and the single-node entries do a little more.
#include "norvel_entry.h"

#include <quelb/quelb_pgn.h>

#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "cfiobjctl.h"
#include "cfiobjid.h"
#include "cfipluginbase.h"
#include "cfistringtool.h"
#include "cfitracelog.h"
#include "norvel_singletons.h"

using namespace quelb_pdk_4_4;

#define NORVEL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

typedef CFiSmartPtr<CFiPluginBase, CFiContextSingletonAllocator<CFiPluginBase> > PluginRef;

// The trace scope of an entry, named by its export name.
#define ENTRY_SCOPE(op) \
  CFiTraceLogFunction entryScope(norvel::traceLog(false), "norvel_fi_pgn_" #op)

// Steps 1 and 2 of the dispatch rule.
#define DELAYED_INIT_GATE(plugin)                                        \
  do {                                                                   \
    if ((plugin)->invokeDelayedInit() != 0) return QLB_ERR_DELAYED_INIT; \
  } while (0)

// Single-node form: with a null list, count 0 and a non-null single node the
// operation gets a one-element list of that node and the count 1; otherwise
// list and count pass unchanged.
template <class Node>
class SingleNodeList {
 public:
  SingleNodeList(Node* single, Node** list, int count) : m_list(list), m_count(count) {
    m_one[0] = single;
    if (!list && count == 0 && single) {
      m_list = m_one;
      m_count = 1;
    }
  }
  Node** list() { return m_list; }
  int count() const { return m_count; }

 private:
  Node* m_one[1];
  Node** m_list;
  int m_count;
};

// The error handler that init gives the error manager. The manager only
// refers to handlers; the module owns this one, from init until fini (or
// unload).
struct InstalledHandler {
  std::unique_ptr<CFiErrorHandler> handler;
  CFiPluginBase::ErrorManagerRef manager;

  void install(qlb_init_rec* rec, const CFiPluginBase::ErrorManagerRef& errors,
               const CFiPluginBase::CatalogManagerRef& catalogs) {
    remove();
    handler.reset(new CFiErrorHandler(rec, catalogs));
    manager = errors;
    manager->registerHandler(handler.get());
  }
  void remove() {
    if (manager && handler) manager->unregisterHandler(handler.get());
    manager.reset();
    handler.reset();
  }
  ~InstalledHandler() { remove(); }
};

InstalledHandler& installedHandler() {
  static InstalledHandler installed;
  return installed;
}

}  // namespace

// ---------------------------------------------------------------------------
// Start and end.
// ---------------------------------------------------------------------------

NORVEL_EXPORT int norvel_fi_pgn_init(qlb_init_rec* rec, uint16_t* version) {
  if (!version) return QLB_ERR_NO_VERSION;
  version[0] = 7;
  version[1] = 0;
  version[2] = 0;
  version[3] = 0;

  PluginRef plugin = norvel::plugin(false);
  plugin->setProviderName(norvel::providerName());
  plugin->setMessageIndexOffset(6000);

  CFiPluginBase::CatalogManagerRef catalogs = norvel::catalogManager(false);
  CFiSmartPtr<CFiTraceLog, CFiContextSingletonAllocator<CFiTraceLog> > traceLog =
      norvel::traceLog(false);
  CFiPluginBase::ErrorManagerRef errors = norvel::errorManager(false);
  CFiPluginBase::PrivateDataManagerRef privateData = norvel::privateDataManager(false);
  CFiPluginBase::SessionManagerRef sessions = norvel::sessionManager(false);

  traceLog->registerErrorManager(errors);
  privateData->setTraceLog(traceLog);

  if (!traceLog->isInitialized())
    traceLog->initialize(norvel::providerName(), tstring(), tstring(), 1, false);

  if (rec && rec->ir_locale && rec->ir_locale->ld_language)
    catalogs->setNativeLanguage(rec->ir_locale->ld_language);

  // A repeated init replaces the handler, so each message reaches the
  // framework once.
  installedHandler().install(rec, errors, catalogs);

  plugin->setTraceLog(traceLog);
  plugin->registerErrorManager(errors);
  plugin->registerCatalogManager(catalogs);
  plugin->registerPrivateDataManager(privateData);
  plugin->registerSessionManager(sessions);

  return plugin->init();
}

NORVEL_EXPORT void norvel_fi_pgn_fini(void) {
  ENTRY_SCOPE(fini);
  CFiPluginBase::isShuttingDown(true);
  norvel::plugin(false)->fini();
  installedHandler().remove();
  norvel::plugin(true);
  norvel::catalogManager(true);
  norvel::traceLog(true);
  norvel::errorManager(true);
  norvel::privateDataManager(true);
}

// ---------------------------------------------------------------------------
// Entries that skip the delayed initialisation.
// ---------------------------------------------------------------------------

NORVEL_EXPORT int norvel_fi_pgn_errmsg(int code, const wchar_t** text) {
  ENTRY_SCOPE(errmsg);
  return norvel::plugin(false)->errMsg(code, text);
}

NORVEL_EXPORT int norvel_fi_pgn_claim(quelb_objid* primary, quelb_objid*** out, int* count) {
  ENTRY_SCOPE(claim);
  if (!primary || !out || !count) return 0;
  return norvel::plugin(false)->claim(primary, out, count);
}

NORVEL_EXPORT int norvel_fi_pgn_supports_fitype(qlb_domain* node, char* fiType) {
  ENTRY_SCOPE(supports_fitype);
  return norvel::plugin(false)->supportsFiType(node, fiType);
}

NORVEL_EXPORT int norvel_fi_pgn_reaccess_tmpobj(qlb_domain* node, quelb_objid* id, char* splitType,
                                                qlb_domain* node2, char* sessionId,
                                                qlb_intent intent) {
  ENTRY_SCOPE(reaccess_tmpobj);
  return norvel::plugin(false)->reAccessTmpObj(node, id, splitType, node2, sessionId, intent);
}

NORVEL_EXPORT void norvel_fi_pgn_deinit_node(qlb_domain* node) {
  ENTRY_SCOPE(deinit_node);
  norvel::plugin(false)->deInitNode(node);
}

NORVEL_EXPORT void norvel_fi_pgn_unquiesce(qlb_quiescenode* single, qlb_quiescenode** list,
                                           int count) {
  ENTRY_SCOPE(unquiesce);
  SingleNodeList<qlb_quiescenode> nodes(single, list, count);
  norvel::plugin(false)->unquiesce(nodes.list(), nodes.count());
}

NORVEL_EXPORT void norvel_fi_pgn_cache_enable(qlb_domain* node) {
  ENTRY_SCOPE(cache_enable);
  norvel::plugin(false)->cacheEnable(node, 0);
}

NORVEL_EXPORT qlb_interpose norvel_fi_pgn_interpose(qlb_domain* node, quelb_objid** interposerId,
                                                    quelb_objid*** groupIds, int* count) {
  ENTRY_SCOPE(interpose);
  PluginRef plugin = norvel::plugin(false);
  CFiMutexWrapper lock(plugin->getMutex(), true);
  plugin->invokeDelayedInit();
  return plugin->interpose(node, interposerId, groupIds, count);
}

NORVEL_EXPORT int norvel_fi_pgn_get_provider_info(qlb_provider_list** result) {
  ENTRY_SCOPE(get_provider_info);
  if (!result) return QLB_ERR_INVALID_ARG;
  *result = nullptr;
  return norvel::plugin(false)->getProviderInfo(result);
}

NORVEL_EXPORT int norvel_fi_pgn_enumerate_nodes(qlb_node_list** result, int* count, int flags,
                                                wchar_t* filter) {
  ENTRY_SCOPE(enumerate_nodes);
  if (!result) return QLB_ERR_INVALID_ARG;
  return norvel::plugin(false)->enumerateNodes(result, count, flags, filter);
}

NORVEL_EXPORT int norvel_fi_pgn_enumerate_fims(qlb_fim_list** result) {
  ENTRY_SCOPE(enumerate_fims);
  return norvel::plugin(false)->enumerateFims(result);
}

NORVEL_EXPORT int norvel_fi_pgn_get_last_error(qlb_msg_info** record) {
  ENTRY_SCOPE(get_last_error);
  return norvel::plugin(false)->getLastError(record);
}

NORVEL_EXPORT int norvel_fi_pgn_del_last_error(qlb_msg_info** record) {
  ENTRY_SCOPE(del_last_error);
  return norvel::plugin(false)->delLastError(record);
}

NORVEL_EXPORT int norvel_fi_pgn_get_locale_message(int* code, qlb_msg_info* record,
                                                   const char* locale, wchar_t** text) {
  ENTRY_SCOPE(get_locale_message);
  return norvel::plugin(false)->getLocaleMessage(code, record, locale, text);
}

NORVEL_EXPORT int norvel_fi_pgn_del_locale_message(wchar_t** text) {
  ENTRY_SCOPE(del_locale_message);
  return norvel::plugin(false)->delLocaleMessage(text);
}

NORVEL_EXPORT int norvel_fi_pgn_revisit_pgn_nodes(qlb_pgn_node_list* list) {
  ENTRY_SCOPE(revisit_pgn_nodes);
  return norvel::plugin(false)->revisitPluginNodes(list);
}

NORVEL_EXPORT int norvel_fi_pgn_enumerate_enclosures(qlb_enclosure_node_list** result, int* count,
                                                     wchar_t* filter) {
  ENTRY_SCOPE(enumerate_enclosures);
  return norvel::plugin(false)->enumerateEnclosures(result, count, filter);
}

NORVEL_EXPORT int norvel_fi_pgn_enumerate_host_nodes(qlb_host_node_list** result, int* count,
                                                     wchar_t* filter) {
  ENTRY_SCOPE(enumerate_host_nodes);
  return norvel::plugin(false)->enumerateHostNodes(result, count, filter);
}

// ---------------------------------------------------------------------------
// Entries with the special algorithms: select, prepare, make, objctl.
// ---------------------------------------------------------------------------

NORVEL_EXPORT int norvel_fi_pgn_select(qlb_splitnode* single, char* sessionId, qlb_splitnode** list,
                                       int count) {
  ENTRY_SCOPE(select);
  PluginRef plugin = norvel::plugin(false);
  DELAYED_INIT_GATE(plugin);
  SingleNodeList<qlb_splitnode> nodes(single, list, count);
  int result = plugin->select(sessionId, nodes.list(), nodes.count());
  if (result != QLB_ERR_NOT_IMPLEMENTED && result != 0) return result;
  CFiSessionPtr session = norvel::sessionManager(false)->get(sessionId);
  if (session) session->addSplitNodes(nodes.list(), nodes.count());
  if (result == 0) return 0;
  CFiPluginBase::SessionRef ref(session);
  return plugin->selectSnapshots(ref);
}

NORVEL_EXPORT int norvel_fi_pgn_prepare(qlb_splitnode* single, char* sessionId,
                                        qlb_splitnode** list, int count, int value) {
  ENTRY_SCOPE(prepare);
  PluginRef plugin = norvel::plugin(false);
  DELAYED_INIT_GATE(plugin);
  SingleNodeList<qlb_splitnode> nodes(single, list, count);
  int result = plugin->prepare(sessionId, nodes.list(), nodes.count(), value);
  if (result != QLB_ERR_NOT_IMPLEMENTED) return result;
  CFiPluginBase::SessionRef session(norvel::sessionManager(false)->get(sessionId));
  return plugin->prepareSnapshots(session);
}

NORVEL_EXPORT int norvel_fi_pgn_make(qlb_splitnode* single, char* sessionId, qlb_splitnode** list,
                                     int count, quelb_objid*** out, int* outCount) {
  ENTRY_SCOPE(make);
  PluginRef plugin = norvel::plugin(false);
  DELAYED_INIT_GATE(plugin);
  SingleNodeList<qlb_splitnode> nodes(single, list, count);
  int result = plugin->make(sessionId, nodes.list(), nodes.count(), out, outCount);
  if (result != QLB_ERR_NOT_IMPLEMENTED) return result;
  CFiPluginBase::SessionRef session(norvel::sessionManager(false)->get(sessionId));
  result = plugin->makeSnapshots(session);
  if (result != 0) return result;

  std::vector<tstring> names;
  for (int i = 0; i < nodes.count(); ++i) {
    qlb_splitnode* split = nodes.list() ? nodes.list()[i] : nullptr;
    tstring name;
    if (split && split->sn_node) {
      split->sn_node->fid_flags |= QLB_NODE_MADE;
      CFiSessionNode record;
      if (session && split->sn_node->fid_name &&
          session->getNode(tstring(split->sn_node->fid_name), record))
        name = record.snapshotName;
    }
    names.push_back(name);
  }
  // A failed array leaves *out null; it does not change make's result.
  fiBuildObjidArray(names, QLB_OBJID_SNAPSHOT, out, outCount);
  return result;
}

NORVEL_EXPORT int norvel_fi_pgn_objctl(const wchar_t* operation, const wchar_t* arguments,
                                       wchar_t** output, long* status) {
  ENTRY_SCOPE(objctl);
  PluginRef plugin = norvel::plugin(false);
  DELAYED_INIT_GATE(plugin);
  CFiObjctlArgs args(arguments);
  long result = plugin->objctl(tstring(operation ? operation : L""), args);
  if (status) *status = result;
  tstring text = args.toText();
  if (output) *output = CFiStringTool::wstrdup(text.c_str());
  return 0;
}

// ---------------------------------------------------------------------------
// Entries that follow the dispatch rule and forward.
// ---------------------------------------------------------------------------

// Defines an entry that passes the gate and forwards its arguments.
#define DI_ENTRY(op, call, params)              \
  NORVEL_EXPORT int norvel_fi_pgn_##op params { \
    ENTRY_SCOPE(op);                            \
    PluginRef plugin = norvel::plugin(false);   \
    DELAYED_INIT_GATE(plugin);                  \
    return plugin->call;                        \
  }

DI_ENTRY(init_node, initNode(node, nodes, count, id),
         (qlb_domain * node, qlb_domain** nodes, int count, quelb_objid* id))
DI_ENTRY(init_altnode, initAltNode(first, second, alt, false),
         (qlb_domain * first, qlb_domain* second, qlb_domain* alt))
DI_ENTRY(init_remnode, initAltNode(first, second, alt, true),
         (qlb_domain * first, qlb_domain* second, qlb_domain* alt))
DI_ENTRY(deport_tree, deportTree(a, b, access),
         (qlb_domain * a, qlb_domain* b, qlb_accessnode* access))
DI_ENTRY(import_tree, importTreeNode(node, a, b, c, out),
         (qlb_domain * node, quelb_objid** a, quelb_objid** b, int c, quelb_objid** out))
DI_ENTRY(pre_prepare, prePrepare(node), (qlb_domain * node))
DI_ENTRY(reaccess_altnode, reAccessAltNode(node, a, b, sessionId, c, d, e, intent),
         (qlb_domain * node, quelb_objid* a, quelb_objid* b, char* sessionId, quelb_objid** c,
          quelb_objid** d, int e, qlb_intent intent))
DI_ENTRY(dispose, dispose(primary, target, split, disposition),
         (qlb_domain * primary, qlb_domain* target, qlb_splitnode* split,
          qlb_disposition disposition))
DI_ENTRY(online, online(a, b, c, d), (qlb_domain * a, qlb_domain* b, int c, qlb_disposition d))
DI_ENTRY(build_alttree, buildAltTree(node, text, a, b, c, d),
         (qlb_domain * node, char* text, quelb_objid** a, quelb_objid** b, int c, quelb_objid** d))
DI_ENTRY(getattr, getAttr(a, b, c, d),
         (qlb_domain * a, qlb_domain* b, qlb_splitnode* c, qlb_attributes* d))
DI_ENTRY(process_providerstate, processProviderState(node, blob, op),
         (qlb_domain * node, qlb_blob* blob, qlb_op_providerstate op))
DI_ENTRY(enumerate_group_nodes, enumerateGroupNodes(result), (qlb_group_node_list * *result))
DI_ENTRY(enumerate_associations, enumerateAssociations(result), (qlb_assoc_list * *result))
DI_ENTRY(isvalid_node_association, isValidNodeAssociation(assoc, valid),
         (qlb_assoc * assoc, int* valid))
DI_ENTRY(get_associated_nodes, getAssociatedNodes(node, result),
         (qlb_node * node, qlb_node_list** result))
DI_ENTRY(check_node_existence, checkNodeExistence(node, exists), (qlb_domain * node, int* exists))
DI_ENTRY(enable_access, enableAccess(list, a, b, c),
         (qlb_node_subobj_list * list, long a, int b, int c))
DI_ENTRY(disable_access, disableAccess(list, a), (qlb_node_subobj_list * list, long a))
DI_ENTRY(restore, restore(sources, targets, count, a, b, flags, status),
         (quelb_objid * *sources, quelb_objid** targets, long count, wchar_t* a, wchar_t* b,
          long flags, long* status))
DI_ENTRY(resync, resync(sources, targets, count, a, b, flags, status),
         (quelb_objid * *sources, quelb_objid** targets, long count, wchar_t* a, wchar_t* b,
          long flags, long* status))
DI_ENTRY(get_status, getStatus(sources, targets, count, a, b, status),
         (quelb_objid * *sources, quelb_objid** targets, long count, wchar_t* a, long b,
          long* status))
DI_ENTRY(query_valid_secondaries, queryValidSecondaries(name, list, count),
         (wchar_t * name, quelb_objid*** list, long* count))
DI_ENTRY(res_status, resourceStatus(id, a, b, c),
         (quelb_objid * id, long a, long* b, qlb_msg_info** c))
DI_ENTRY(start_build_alttree, startBuildAltTree(node, id, reserved),
         (qlb_domain * node, quelb_objid** id, void* reserved))
DI_ENTRY(import_resource, importResource(names, name, host, text, flags, out, text2),
         (wchar_t * *names, wchar_t* name, wchar_t* host, wchar_t* text, int flags, wchar_t** out,
          wchar_t* text2))
DI_ENTRY(format, format(names, a, b, c, d, e, out, count),
         (wchar_t * *names, int a, wchar_t* b, wchar_t* c, wchar_t* d, int e, wchar_t*** out,
          int* count))
DI_ENTRY(online_resource, onlineResource(names, a, b, c, d, e, f, out, count),
         (wchar_t * *names, int a, wchar_t* b, wchar_t* c, wchar_t* d, wchar_t* e, int f,
          wchar_t*** out, int* count))
DI_ENTRY(deport_resource, deportResource(a, name, host, d, flags),
         (wchar_t * a, wchar_t* name, wchar_t* host, wchar_t* d, int flags))
DI_ENTRY(is_parent_pgn, isParentPgn(name, result, value), (wchar_t * name, int* result, int value))
DI_ENTRY(unformat, unformat(names, a, b), (wchar_t * *names, int a, int b))
DI_ENTRY(pre_deport_resource, preDeportResource(name, a, b), (wchar_t * name, int a, wchar_t* b))
DI_ENTRY(refresh_tree, refreshTree(node, a, b, c, d, e, f, g),
         (qlb_domain * node, int a, int b, qlb_resource* c, int d, int* e, void* f, int g))
DI_ENTRY(get_backupset, getBackupset(node, a, b, c, d),
         (qlb_domain * node, int a, wchar_t** b, int c, qlb_bkupset* d))
DI_ENTRY(get_app_status, getAppStatus(node, a, b), (qlb_domain * node, int a, void* b))
DI_ENTRY(set_op_status, setOpStatus(node, a), (qlb_domain * node, int a))
DI_ENTRY(set_comp_status, setCompStatus(node, a, b, c),
         (qlb_domain * node, int a, wchar_t* b, int c))
DI_ENTRY(set_restorepaths, setRestorepaths(node, a, b), (qlb_domain * node, wchar_t* a, int b))

// The dispatch rule with the checks of their rows.

NORVEL_EXPORT int norvel_fi_pgn_config(qlb_domain* node, int operation, char* sessionId,
                                       qlb_confspec* spec) {
  ENTRY_SCOPE(config);
  PluginRef plugin = norvel::plugin(false);
  DELAYED_INIT_GATE(plugin);
  if (!node || !spec) return QLB_ERR_INVALID_ARG;
  return plugin->config(node, operation, sessionId, spec);
}

NORVEL_EXPORT int norvel_fi_pgn_subobj_list(qlb_domain* node, quelb_objid*** list, int* count) {
  ENTRY_SCOPE(subobj_list);
  PluginRef plugin = norvel::plugin(false);
  DELAYED_INIT_GATE(plugin);
  if (!node || !list || !count) return QLB_ERR_INVALID_ARG;
  return plugin->subobjList(node, list, count);
}

NORVEL_EXPORT int norvel_fi_pgn_translate_resource_names(wchar_t** names, int value,
                                                         wchar_t** out) {
  ENTRY_SCOPE(translate_resource_names);
  PluginRef plugin = norvel::plugin(false);
  DELAYED_INIT_GATE(plugin);
  if (!names || !out || value != 0) return QLB_ERR_INVALID_ARG;
  return plugin->translateResourceNames(names, value, out);
}

NORVEL_EXPORT int norvel_fi_pgn_cache_disable(qlb_domain* node) {
  ENTRY_SCOPE(cache_disable);
  PluginRef plugin = norvel::plugin(false);
  DELAYED_INIT_GATE(plugin);
  return plugin->cacheDisable(node, 0);
}

// The single-node entries.

NORVEL_EXPORT int norvel_fi_pgn_quiesce(qlb_quiescenode* single, qlb_quiescenode** list, int count,
                                        char* text) {
  ENTRY_SCOPE(quiesce);
  PluginRef plugin = norvel::plugin(false);
  DELAYED_INIT_GATE(plugin);
  SingleNodeList<qlb_quiescenode> nodes(single, list, count);
  return plugin->quiesce(nodes.list(), nodes.count(), text);
}

NORVEL_EXPORT int norvel_fi_pgn_isready(qlb_splitnode* single, char* sessionId,
                                        qlb_splitnode** list, int count) {
  ENTRY_SCOPE(isready);
  PluginRef plugin = norvel::plugin(false);
  DELAYED_INIT_GATE(plugin);
  SingleNodeList<qlb_splitnode> nodes(single, list, count);
  return plugin->isReady(sessionId, nodes.list(), nodes.count());
}

NORVEL_EXPORT int norvel_fi_pgn_verify_qscombos(qlb_splitnode* single, qlb_splitnode** list,
                                                int count) {
  ENTRY_SCOPE(verify_qscombos);
  PluginRef plugin = norvel::plugin(false);
  DELAYED_INIT_GATE(plugin);
  SingleNodeList<qlb_splitnode> nodes(single, list, count);
  return plugin->verifyQSCombos(nodes.list(), nodes.count());
}

NORVEL_EXPORT int norvel_fi_pgn_set_import_options(qlb_splitnode* single, qlb_splitnode** list,
                                                   int count, qlb_host_infn* hosts,
                                                   int transportable, void* reserved) {
  ENTRY_SCOPE(set_import_options);
  PluginRef plugin = norvel::plugin(false);
  DELAYED_INIT_GATE(plugin);
  SingleNodeList<qlb_splitnode> nodes(single, list, count);
  return plugin->setImportOptions(nodes.list(), nodes.count(), hosts, transportable, reserved);
}
