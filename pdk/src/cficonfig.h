// Configuration parameter descriptions and values exchanged with the
// framework through `config`.
#ifndef QLB_PDK_CFICONFIG_H
#define QLB_PDK_CFICONFIG_H

#include <map>
#include <string>
#include <vector>

#include "cfiexport.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

// One parameter description.
class QLB_PDK_EXPORT CFiConfigParamInfo {
 public:
  CFiConfigParamInfo() {}
  explicit CFiConfigParamInfo(const std::string& key) : m_key(key) {}
  const std::string& getKey() const { return m_key; }

 private:
  std::string m_key;
};

// Parameter descriptions by key.
class QLB_PDK_EXPORT CFiConfigParamInfoList {
 public:
  void addParamInfo(const CFiConfigParamInfo& info) { m_params[info.getKey()] = info; }
  size_t size() const { return m_params.size(); }

 private:
  std::map<std::string, CFiConfigParamInfo> m_params;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFICONFIG_H
