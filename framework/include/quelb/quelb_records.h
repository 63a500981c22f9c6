/*
 * quelb_records.h - the records that the Quelb snapshot framework and its
 * providers exchange, and the functions of the framework utility library.
 *
 * This header is the only definition of these records. The provider, the
 * utility library, quelbctl and the tests all include it. Fields that the
 * provider neither reads nor writes are kept as reserved padding so that the
 * fields it does use sit at the positions the framework gives them.
 *
 * Plain C; usable from C and C++.
 */
#ifndef QUELB_RECORDS_H
#define QUELB_RECORDS_H

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define QUELB_API __attribute__((visibility("default")))
#else
#define QUELB_API
#endif

/* ------------------------------------------------------------------ */
/* Result codes returned by the entry points and operations.          */
/* ------------------------------------------------------------------ */
enum {
  QLB_SUCCESS = 0,
  QLB_ERR_DELAYED_INIT = 1,    /* delayed initialisation failed */
  QLB_CLAIM_SECONDARY = 2,     /* claim: node claimed as secondary */
  QLB_ERR_INVALID_ARG = 3,     /* null argument, invalid XML, failed precondition */
  QLB_ERR_NOT_IMPLEMENTED = 4, /* not in this form; select/prepare/make use the session form */
  QLB_ERR_NO_MEMORY = 5,       /* a framework buffer could not be allocated */
  QLB_ERR_FAILED = 6,          /* operation failed */
  QLB_ERR_NO_VERSION = 7,      /* init without a place for the interface version */
  QLB_ERR_NOT_FOUND = 19,      /* no such session record / no login information */
  QLB_ERR_BAD_RESOURCE = 21,   /* a resource name that is no device identity */
  QLB_ERR_CACHE_FILE = 26,     /* a cache file cannot be opened, read or written */
  QLB_ERR_PROVIDER_INIT = 30,  /* provider initialisation failed */
  QLB_ERR_NO_CREDENTIALS = 31  /* empty credentials text */
};

/* Message severities (qlb_eseverity). */
typedef enum qlb_eseverity {
  QLB_SEV_NONE = 0,
  QLB_SEV_INFO = 1,
  QLB_SEV_WARNING = 2,
  QLB_SEV_ERROR = 3,
  QLB_SEV_TRACE = 4
} qlb_eseverity;

/* Object id types used by the provider. */
enum { QLB_OBJID_SNAPSHOT = 1, QLB_OBJID_NODE = 3 };

typedef int32_t qlb_intent;
typedef int32_t qlb_disposition;      /* 1 = detach */
typedef int32_t qlb_interpose;        /* 1 = interposed, 0 = not */
typedef int32_t qlb_op_providerstate; /* 1 = reset the blob */

enum { QLB_DISPOSITION_DETACH = 1 };
enum { QLB_NOT_INTERPOSED = 0, QLB_INTERPOSED = 1 };

/* ------------------------------------------------------------------ */
/* Object ids.                                                        */
/* ------------------------------------------------------------------ */

/* An object id. Only the first field, the id's wide text, is read by the
 * provider; the rest belongs to the utility library. Made with
 * quelb_get_objid, released with quelb_free_objid. */
typedef struct quelb_objid {
  wchar_t *qid_text;
  int32_t qid_type;
  uint32_t qid_bytes; /* byte length of qid_text, terminator included */
} quelb_objid;

/* ------------------------------------------------------------------ */
/* Nodes.                                                             */
/* ------------------------------------------------------------------ */

struct qlb_domain;

/* The group record of a node: member count first, then the members. */
typedef struct qlb_group {
  uint32_t grp_count;
  struct qlb_domain **grp_members;
} qlb_group;

/* One entry of a FIM link record chained on a node by the interposer's
 * initNode: a duplicated narrow text, the node, and a further value. */
typedef struct qlb_fim_link_entry {
  char *fle_text;
  struct qlb_domain *fle_node;
  intptr_t fle_value;
} qlb_fim_link_entry;

/* A link record: two entries per FIM, chained through fl_next. Owned by
 * the provider; freed by deInitNode. */
typedef struct qlb_fim_link {
  qlb_fim_link_entry fl_entry[2];
  struct qlb_fim_link *fl_next;
} qlb_fim_link;

/* A framework node. Positions are those the framework fixes; reserved
 * fields are the framework's. */
typedef struct qlb_domain {
  uint32_t fid_type;      /* word 1: node type */
  uint32_t fid_flags;     /* word 2: flags (bits 0, 3, 6 used) */
  quelb_objid *fid_objid; /* pointer 2: the node's object id */
  void *fid_reserved3;    /* pointer 3 */
  int *fid_support;       /* pointer 4: support answer of supportsFiType */
  void *fid_reserved5;    /* pointers 5 to 10 */
  void *fid_reserved6;
  void *fid_reserved7;
  void *fid_reserved8;
  void *fid_reserved9;
  void *fid_reserved10;
  void *fid_context;             /* pointer 11: cleared by initNode */
  qlb_fim_link *fid_links;       /* pointer 12: FIM link chain (initNode) */
  qlb_group *fid_group;          /* pointer 13: group record or null */
  void *fid_reserved14;          /* pointer 14 */
  quelb_objid *fid_import_objid; /* pointer 15: id under which importTreeNode imports */
  void *fid_reserved16;          /* pointers 16 to 18 */
  void *fid_reserved17;
  void *fid_reserved18;
  void *fid_private; /* pointer 19: private data reference */
  wchar_t *fid_name; /* pointer 20: the node's name */
} qlb_domain;

/* Node flag bits. */
enum {
  QLB_NODE_MADE = 0x1,     /* set on source nodes after a session-form make */
  QLB_NODE_READY = 0x8,    /* set by isReady */
  QLB_NODE_NOACCESS = 0x40 /* set by disableAccess, cleared by enableAccess */
};

/* One source node of a snapshot operation. */
typedef struct qlb_splitnode {
  char *sn_name;        /* narrow name: the snapshot method */
  qlb_domain *sn_node;  /* the source node */
  qlb_domain *sn_node2; /* a second node record, or null */
} qlb_splitnode;

typedef qlb_splitnode qlb_quiescenode;

/* A list entry for enable and disable access. */
typedef struct qlb_node_subobj_list {
  qlb_domain *nsl_node;
  void *nsl_reserved2;
  void *nsl_reserved3;
  struct qlb_node_subobj_list *nsl_next;
} qlb_node_subobj_list;

/* Configuration exchange. The text carries XML in and, on return, out; a
 * returned text is the framework's to free (with free()). */
typedef struct qlb_confspec {
  intptr_t cs_selector1;
  intptr_t cs_selector2;
  wchar_t *cs_text;
} qlb_confspec;

/* Node and provider state. The data buffer comes from quelb_alloc_buf. */
typedef struct qlb_blob {
  size_t blob_length;
  void *blob_data;
  int blob_filled;
} qlb_blob;

/* Hosts for import: a singly linked list. */
typedef struct qlb_host_infn {
  wchar_t *hi_name;
  struct qlb_host_infn *hi_next;
} qlb_host_infn;

typedef struct qlb_ownergid {
  uint32_t og_first;
  uint32_t og_second;
} qlb_ownergid;

/* A message record: the serialized message text and its length in bytes. */
typedef struct qlb_msg_info {
  char *mi_text;
  uint32_t mi_length;
} qlb_msg_info;

/* A node as the association operations see it. */
typedef struct qlb_node {
  wchar_t *nd_name;
  quelb_objid *nd_objid;
} qlb_node;

/* Records that the provider only passes on. */
typedef struct qlb_accessnode {
  qlb_domain *an_node;
} qlb_accessnode;
typedef struct qlb_attributes {
  void *at_reserved;
} qlb_attributes;
typedef struct qlb_resource {
  wchar_t *rs_name;
} qlb_resource;
typedef struct qlb_bkupset {
  void *bs_reserved;
} qlb_bkupset;
typedef struct qlb_assoc {
  void *as_reserved;
} qlb_assoc;
typedef struct qlb_assoc_list {
  qlb_assoc al_assoc;
  struct qlb_assoc_list *al_next;
} qlb_assoc_list;
typedef struct qlb_group_node_list {
  qlb_domain *gnl_node;
  struct qlb_group_node_list *gnl_next;
} qlb_group_node_list;
typedef struct qlb_pgn_node_list {
  qlb_domain *pnl_node;
  struct qlb_pgn_node_list *pnl_next;
} qlb_pgn_node_list;

/* ------------------------------------------------------------------ */
/* Init record.                                                       */
/* ------------------------------------------------------------------ */

struct qlb_init_rec;

/* The framework's message callback: (init record, text in the consumer's
 * language, text in the catalogs' default language, severity). */
typedef void (*qlb_msg_callback)(struct qlb_init_rec *rec, const wchar_t *consumer_text,
                                 const wchar_t *default_text, int severity);

typedef struct qlb_locale_desc {
  const char *ld_language; /* the consumer's language name, e.g. "de" */
} qlb_locale_desc;

typedef struct qlb_init_rec {
  qlb_msg_callback ir_callback; /* field 1 */
  void *ir_reserved2;
  void *ir_reserved3;
  qlb_locale_desc *ir_locale; /* pointer 4 */
  void *ir_user;              /* the host's own context */
} qlb_init_rec;

/* ------------------------------------------------------------------ */
/* Framework list records. Each node's last field is the next node.   */
/* ------------------------------------------------------------------ */

/* Fixed part of a FIM element: six 32-bit values and two wide texts. */
typedef struct qlb_fim_fixed {
  uint32_t ff_value[6];
  wchar_t *ff_second_name;
  wchar_t *ff_version;
} qlb_fim_fixed;

/* Attribute part of a node element. */
typedef struct qlb_node_attr {
  uint32_t na_value1;
  uint32_t na_value2;
  uint64_t na_value3;
  uint64_t na_size; /* bytes */
} qlb_node_attr;

/* Name and object id pair of a node element. */
typedef struct qlb_node_name_id {
  wchar_t *nni_name;
  quelb_objid *nni_objid;
} qlb_node_name_id;

typedef struct qlb_provider_list {
  wchar_t *pl_provider_name;
  intptr_t pl_value1;
  intptr_t pl_value2;
  uint16_t pl_version[4];
  wchar_t **pl_claim_patterns; /* null-terminated */
  struct qlb_provider_list *pl_next;
} qlb_provider_list;

typedef struct qlb_fim_list {
  wchar_t *fl_name;
  uint32_t fl_value[6];
  wchar_t *fl_second_name;
  wchar_t *fl_version;
  wchar_t *fl_text;
  wchar_t *fl_provider_name;
  struct qlb_fim_list *fl_next;
} qlb_fim_list;

typedef struct qlb_enclosure_node_list {
  wchar_t *el_id;
  wchar_t *el_provider_name;
  wchar_t *el_name;
  wchar_t *el_vendor;
  wchar_t *el_product;
  uint64_t el_available;
  uint64_t el_total;
  int32_t el_value;
  struct qlb_enclosure_node_list *el_next;
} qlb_enclosure_node_list;

typedef struct qlb_node_list {
  wchar_t *nl_name;
  quelb_objid *nl_objid;
  qlb_node_attr nl_attr;
  wchar_t *nl_text;
  struct qlb_node_list *nl_next;
} qlb_node_list;

typedef struct qlb_host_node_list {
  wchar_t *hl_host_name;
  wchar_t **hl_ports; /* hl_port_count texts */
  int32_t hl_port_count;
  wchar_t *hl_text;
  struct qlb_host_node_list *hl_next;
} qlb_host_node_list;

/* ------------------------------------------------------------------ */
/* Framework utility library (libquelbutil).                          */
/* ------------------------------------------------------------------ */

/* Buffers that cross the boundary. quelb_free_buf must be given the byte
 * count the buffer was allocated with. */
QUELB_API void *quelb_alloc_buf(uint64_t bytes);
QUELB_API void quelb_free_buf(void *buf, uint64_t bytes);

/* A new object id from a wide text and its byte length including the
 * terminating null; null on failure. */
QUELB_API quelb_objid *quelb_get_objid(const wchar_t *text, uint64_t bytes, int type);
/* 0 when both ids denote the same object. */
QUELB_API int quelb_objidcmp(const quelb_objid *a, const quelb_objid *b);

QUELB_API qlb_provider_list *quelb_build_providerlist_node(const wchar_t *provider_name,
                                                           intptr_t value1, intptr_t value2,
                                                           const uint16_t *version,
                                                           wchar_t *const *claim_patterns);
QUELB_API qlb_fim_list *quelb_build_fim_list_node(const wchar_t *name, const qlb_fim_fixed *fixed,
                                                  const wchar_t *text,
                                                  const wchar_t *provider_name);
QUELB_API qlb_enclosure_node_list *quelb_build_enclosure_list_node(
    const wchar_t *id, const wchar_t *provider_name, const wchar_t *name, const wchar_t *vendor,
    const wchar_t *product, uint64_t available, uint64_t total, int value);
QUELB_API qlb_node_list *quelb_build_nodelist_node(const qlb_node_name_id *pair,
                                                   const qlb_node_attr *attr, const wchar_t *text);
/* ports: the address of an array of port_count wide texts. */
QUELB_API qlb_host_node_list *quelb_build_host_list_node(const wchar_t *host_name, uintptr_t ports,
                                                         int port_count, const wchar_t *text);

/* Installation answers. The install root is freed by the caller with
 * quelb_free_buf and (characters + 1) * sizeof(wchar_t) bytes; the
 * consumer name and the credentials text likewise (narrow: characters + 1,
 * wide: (characters + 1) * sizeof(wchar_t)). */
QUELB_API void quelb_get_install_root(wchar_t **root);
QUELB_API void quelb_get_consumer_name(char **name);
QUELB_API void quelb_get_credential_blob(wchar_t **text);

/* Releasing what the framework received (used by the host side). */
QUELB_API void quelb_free_objid(quelb_objid *id);
QUELB_API void quelb_free_objid_array(quelb_objid **ids, int count);
QUELB_API void quelb_free_provider_list(qlb_provider_list *list);
QUELB_API void quelb_free_fim_list(qlb_fim_list *list);
QUELB_API void quelb_free_enclosure_list(qlb_enclosure_node_list *list);
QUELB_API void quelb_free_node_list(qlb_node_list *list);
QUELB_API void quelb_free_host_node_list(qlb_host_node_list *list);

/* Accounting hooks for tests: the number of live buffers (and object ids
 * and list nodes) handed out, and the number of bad releases seen (unknown
 * pointer, or a byte count that differs from the allocation). */
QUELB_API uint64_t quelb_live_buffers(void);
QUELB_API uint64_t quelb_bad_frees(void);
/* Fault injection for tests: after `n` more successful allocations every
 * allocation fails; a negative n turns failing off again. */
QUELB_API void quelb_fail_allocations_after(int64_t n);

#ifdef __cplusplus
} /* extern "C" */

static_assert(offsetof(qlb_domain, fid_objid) == 1 * sizeof(void *), "pointer 2");
static_assert(offsetof(qlb_domain, fid_support) == 3 * sizeof(void *), "pointer 4");
static_assert(offsetof(qlb_domain, fid_context) == 10 * sizeof(void *), "pointer 11");
static_assert(offsetof(qlb_domain, fid_links) == 11 * sizeof(void *), "pointer 12");
static_assert(offsetof(qlb_domain, fid_group) == 12 * sizeof(void *), "pointer 13");
static_assert(offsetof(qlb_domain, fid_import_objid) == 14 * sizeof(void *), "pointer 15");
static_assert(offsetof(qlb_domain, fid_private) == 18 * sizeof(void *), "pointer 19");
static_assert(offsetof(qlb_domain, fid_name) == 19 * sizeof(void *), "pointer 20");
static_assert(offsetof(qlb_init_rec, ir_locale) == 3 * sizeof(void *), "pointer 4");
static_assert(offsetof(qlb_node_subobj_list, nsl_next) == 3 * sizeof(void *), "pointer 4");
#endif

#endif /* QUELB_RECORDS_H */
