// The FIM link records that the interposer chains on a framework node (its
// twelfth field): per FIM one record of two entries, each a duplicated
// narrow text, the node and a value:
//   entry 0: the FIM name and the FIM's capability flags;
//   entry 1: the FIM's quiesce type and 0.
// The records and their texts belong to the provider. Every record made
// here is remembered, so that releasing a chain frees only records of ours:
// a field the framework left uninitialised, or a chain released twice, is
// never freed by mistake.
#ifndef QLB_PDK_CFIFIMLINK_H
#define QLB_PDK_CFIFIMLINK_H

#include <quelb/quelb_records.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

// Appends one record at the end of the node's chain. Throws std::bad_alloc
// when memory runs out (nothing is appended then).
QLB_PDK_EXPORT void fiAppendFimLink(qlb_domain* node, const std::string& fimName, int32_t flags,
                                    const std::string& quiesceType);

// Frees the node's chain, record by record, up to the first record that
// is not ours, and empties the field.
QLB_PDK_EXPORT void fiFreeFimLinks(qlb_domain* node);

// Number of link records alive in the process.
QLB_PDK_EXPORT size_t fiLiveFimLinks();

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIFIMLINK_H
