/*
 * quelb_pgn.h - the operation table of a provider plug-in, as the framework
 * sees it: the 70 operation names (each exported as <provider>_fi_pgn_<op>)
 * and the function types of the entry points.
 */
#ifndef QUELB_PGN_H
#define QUELB_PGN_H

#include "quelb_records.h"

#ifdef __cplusplus
extern "C" {
#endif

/* X(op) for every operation, in table order. */
/* clang-format off */
#define QLB_PGN_OPERATIONS(X)                                                                 \
  X(init) X(fini) X(errmsg) X(claim) X(supports_fitype) X(init_node) X(init_altnode)          \
  X(init_remnode) X(deport_tree) X(import_tree) X(pre_prepare) X(reaccess_tmpobj)             \
  X(reaccess_altnode) X(config) X(deinit_node) X(dispose) X(online) X(subobj_list)            \
  X(build_alttree) X(quiesce) X(unquiesce) X(make) X(prepare) X(select) X(isready)            \
  X(cache_disable) X(cache_enable) X(interpose) X(getattr) X(process_providerstate)           \
  X(get_provider_info) X(enumerate_nodes) X(enumerate_group_nodes) X(enumerate_fims)          \
  X(enumerate_associations) X(isvalid_node_association) X(get_associated_nodes)               \
  X(check_node_existence) X(get_last_error) X(del_last_error) X(get_locale_message)           \
  X(del_locale_message) X(objctl) X(enable_access) X(disable_access) X(restore) X(resync)     \
  X(get_status) X(query_valid_secondaries) X(res_status) X(revisit_pgn_nodes)                 \
  X(verify_qscombos) X(set_import_options) X(start_build_alttree) X(translate_resource_names) \
  X(enumerate_enclosures) X(import_resource) X(format) X(enumerate_host_nodes)                \
  X(online_resource) X(deport_resource) X(is_parent_pgn) X(unformat) X(pre_deport_resource)   \
  X(refresh_tree) X(get_backupset) X(get_app_status) X(set_op_status) X(set_comp_status)      \
  X(set_restorepaths)
/* clang-format on */

enum { QLB_PGN_OPERATION_COUNT = 70 };

/* Entry point types, one per operation. */
typedef int (*qlb_pgn_init_t)(qlb_init_rec *rec, uint16_t *version);
typedef void (*qlb_pgn_fini_t)(void);
typedef int (*qlb_pgn_errmsg_t)(int code, const wchar_t **text);
typedef int (*qlb_pgn_claim_t)(quelb_objid *primary, quelb_objid ***out, int *count);
typedef int (*qlb_pgn_supports_fitype_t)(qlb_domain *node, char *fi_type);
typedef int (*qlb_pgn_init_node_t)(qlb_domain *node, qlb_domain **nodes, int count,
                                   quelb_objid *id);
typedef int (*qlb_pgn_init_altnode_t)(qlb_domain *first, qlb_domain *second, qlb_domain *alt);
typedef int (*qlb_pgn_init_remnode_t)(qlb_domain *first, qlb_domain *second, qlb_domain *alt);
typedef int (*qlb_pgn_deport_tree_t)(qlb_domain *a, qlb_domain *b, qlb_accessnode *access);
typedef int (*qlb_pgn_import_tree_t)(qlb_domain *node, quelb_objid **a, quelb_objid **b, int c,
                                     quelb_objid **out);
typedef int (*qlb_pgn_pre_prepare_t)(qlb_domain *node);
typedef int (*qlb_pgn_reaccess_tmpobj_t)(qlb_domain *node, quelb_objid *id, char *split_type,
                                         qlb_domain *node2, char *session_id, qlb_intent intent);
typedef int (*qlb_pgn_reaccess_altnode_t)(qlb_domain *node, quelb_objid *a, quelb_objid *b,
                                          char *session_id, quelb_objid **c, quelb_objid **d, int e,
                                          qlb_intent intent);
typedef int (*qlb_pgn_config_t)(qlb_domain *node, int operation, char *session_id,
                                qlb_confspec *spec);
typedef void (*qlb_pgn_deinit_node_t)(qlb_domain *node);
typedef int (*qlb_pgn_dispose_t)(qlb_domain *primary, qlb_domain *target, qlb_splitnode *split,
                                 qlb_disposition disposition);
typedef int (*qlb_pgn_online_t)(qlb_domain *a, qlb_domain *b, int c, qlb_disposition d);
typedef int (*qlb_pgn_subobj_list_t)(qlb_domain *node, quelb_objid ***list, int *count);
typedef int (*qlb_pgn_build_alttree_t)(qlb_domain *node, char *text, quelb_objid **a,
                                       quelb_objid **b, int c, quelb_objid **d);
typedef int (*qlb_pgn_quiesce_t)(qlb_quiescenode *single, qlb_quiescenode **list, int count,
                                 char *text);
typedef void (*qlb_pgn_unquiesce_t)(qlb_quiescenode *single, qlb_quiescenode **list, int count);
typedef int (*qlb_pgn_make_t)(qlb_splitnode *single, char *session_id, qlb_splitnode **list,
                              int count, quelb_objid ***out, int *out_count);
typedef int (*qlb_pgn_prepare_t)(qlb_splitnode *single, char *session_id, qlb_splitnode **list,
                                 int count, int value);
typedef int (*qlb_pgn_select_t)(qlb_splitnode *single, char *session_id, qlb_splitnode **list,
                                int count);
typedef int (*qlb_pgn_isready_t)(qlb_splitnode *single, char *session_id, qlb_splitnode **list,
                                 int count);
typedef int (*qlb_pgn_cache_disable_t)(qlb_domain *node);
typedef void (*qlb_pgn_cache_enable_t)(qlb_domain *node);
typedef qlb_interpose (*qlb_pgn_interpose_t)(qlb_domain *node, quelb_objid **interposer_id,
                                             quelb_objid ***group_ids, int *count);
typedef int (*qlb_pgn_getattr_t)(qlb_domain *a, qlb_domain *b, qlb_splitnode *c, qlb_attributes *d);
typedef int (*qlb_pgn_process_providerstate_t)(qlb_domain *node, qlb_blob *blob,
                                               qlb_op_providerstate op);
typedef int (*qlb_pgn_get_provider_info_t)(qlb_provider_list **result);
typedef int (*qlb_pgn_enumerate_nodes_t)(qlb_node_list **result, int *count, int flags,
                                         wchar_t *filter);
typedef int (*qlb_pgn_enumerate_group_nodes_t)(qlb_group_node_list **result);
typedef int (*qlb_pgn_enumerate_fims_t)(qlb_fim_list **result);
typedef int (*qlb_pgn_enumerate_associations_t)(qlb_assoc_list **result);
typedef int (*qlb_pgn_isvalid_node_association_t)(qlb_assoc *assoc, int *valid);
typedef int (*qlb_pgn_get_associated_nodes_t)(qlb_node *node, qlb_node_list **result);
typedef int (*qlb_pgn_check_node_existence_t)(qlb_domain *node, int *exists);
typedef int (*qlb_pgn_get_last_error_t)(qlb_msg_info **record);
typedef int (*qlb_pgn_del_last_error_t)(qlb_msg_info **record);
typedef int (*qlb_pgn_get_locale_message_t)(int *code, qlb_msg_info *record, const char *locale,
                                            wchar_t **text);
typedef int (*qlb_pgn_del_locale_message_t)(wchar_t **text);
typedef int (*qlb_pgn_objctl_t)(const wchar_t *operation, const wchar_t *arguments,
                                wchar_t **output, long *status);
typedef int (*qlb_pgn_enable_access_t)(qlb_node_subobj_list *list, long a, int b, int c);
typedef int (*qlb_pgn_disable_access_t)(qlb_node_subobj_list *list, long a);
typedef int (*qlb_pgn_restore_t)(quelb_objid **sources, quelb_objid **targets, long count,
                                 wchar_t *a, wchar_t *b, long flags, long *status);
typedef int (*qlb_pgn_resync_t)(quelb_objid **sources, quelb_objid **targets, long count,
                                wchar_t *a, wchar_t *b, long flags, long *status);
typedef int (*qlb_pgn_get_status_t)(quelb_objid **sources, quelb_objid **targets, long count,
                                    wchar_t *a, long b, long *status);
typedef int (*qlb_pgn_query_valid_secondaries_t)(wchar_t *name, quelb_objid ***list, long *count);
typedef int (*qlb_pgn_res_status_t)(quelb_objid *id, long a, long *b, qlb_msg_info **c);
typedef int (*qlb_pgn_revisit_pgn_nodes_t)(qlb_pgn_node_list *list);
typedef int (*qlb_pgn_verify_qscombos_t)(qlb_splitnode *single, qlb_splitnode **list, int count);
typedef int (*qlb_pgn_set_import_options_t)(qlb_splitnode *single, qlb_splitnode **list, int count,
                                            qlb_host_infn *hosts, int transportable,
                                            void *reserved);
typedef int (*qlb_pgn_start_build_alttree_t)(qlb_domain *node, quelb_objid **id, void *reserved);
typedef int (*qlb_pgn_translate_resource_names_t)(wchar_t **names, int value, wchar_t **out);
typedef int (*qlb_pgn_enumerate_enclosures_t)(qlb_enclosure_node_list **result, int *count,
                                              wchar_t *filter);
typedef int (*qlb_pgn_import_resource_t)(wchar_t **names, wchar_t *name, wchar_t *host,
                                         wchar_t *text, int flags, wchar_t **out, wchar_t *text2);
typedef int (*qlb_pgn_format_t)(wchar_t **names, int a, wchar_t *b, wchar_t *c, wchar_t *d, int e,
                                wchar_t ***out, int *count);
typedef int (*qlb_pgn_enumerate_host_nodes_t)(qlb_host_node_list **result, int *count,
                                              wchar_t *filter);
typedef int (*qlb_pgn_online_resource_t)(wchar_t **names, int a, wchar_t *b, wchar_t *c, wchar_t *d,
                                         wchar_t *e, int f, wchar_t ***out, int *count);
typedef int (*qlb_pgn_deport_resource_t)(wchar_t *a, wchar_t *name, wchar_t *host, wchar_t *d,
                                         int flags);
typedef int (*qlb_pgn_is_parent_pgn_t)(wchar_t *name, int *result, int value);
typedef int (*qlb_pgn_unformat_t)(wchar_t **names, int a, int b);
typedef int (*qlb_pgn_pre_deport_resource_t)(wchar_t *name, int a, wchar_t *b);
typedef int (*qlb_pgn_refresh_tree_t)(qlb_domain *node, int a, int b, qlb_resource *c, int d,
                                      int *e, void *f, int g);
typedef int (*qlb_pgn_get_backupset_t)(qlb_domain *node, int a, wchar_t **b, int c, qlb_bkupset *d);
typedef int (*qlb_pgn_get_app_status_t)(qlb_domain *node, int a, void *b);
typedef int (*qlb_pgn_set_op_status_t)(qlb_domain *node, int a);
typedef int (*qlb_pgn_set_comp_status_t)(qlb_domain *node, int a, wchar_t *b, int c);
typedef int (*qlb_pgn_set_restorepaths_t)(qlb_domain *node, wchar_t *a, int b);

/* The resolved table of one provider. */
typedef struct qlb_pgn_table {
#define QLB_PGN_TABLE_FIELD(op) qlb_pgn_##op##_t op;
  QLB_PGN_OPERATIONS(QLB_PGN_TABLE_FIELD)
#undef QLB_PGN_TABLE_FIELD
} qlb_pgn_table;

#ifdef __cplusplus
}
#endif

#endif /* QUELB_PGN_H */
