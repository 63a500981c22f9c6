// Framework node records built the way the framework builds them: a qlb_domain whose object id
// comes from the utility library. The id is released with the record.
#ifndef NORVEL_TESTS_FRAMEWORK_NODE_H
#define NORVEL_TESTS_FRAMEWORK_NODE_H

#include <quelb/quelb_records.h>

#include <cwchar>
#include <string>

namespace testenv {

class FrameworkNode {
 public:
  explicit FrameworkNode(const std::wstring& id, uint32_t type = 0) {
    domain.fid_type = type;
    domain.fid_objid =
        quelb_get_objid(id.c_str(), (id.size() + 1) * sizeof(wchar_t), QLB_OBJID_NODE);
    domain.fid_support = &support;
  }
  ~FrameworkNode() { quelb_free_objid(domain.fid_objid); }
  FrameworkNode(const FrameworkNode&) = delete;
  FrameworkNode& operator=(const FrameworkNode&) = delete;

  qlb_domain* get() { return &domain; }

  qlb_domain domain = {};
  int support = 0;
};

}  // namespace testenv

#endif  // NORVEL_TESTS_FRAMEWORK_NODE_H
