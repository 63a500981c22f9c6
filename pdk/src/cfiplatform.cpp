#include "cfiplatform.h"

namespace quelb_pdk_4_4 {

tstring fiWithSeparator(const tstring& name) {
  tstring path(name);
  if (path.length() > 0 && path[path.length() - 1] != FI_PATH_SEPARATOR) {
    const wchar_t separator[2] = {FI_PATH_SEPARATOR, L'\0'};
    path += separator;
  }
  return path;
}

std::string fiWithSeparator(const std::string& name) {
  std::string path(name);
  const char separator = static_cast<char>(FI_PATH_SEPARATOR);
  if (!path.empty() && path[path.size() - 1] != separator) path += separator;
  return path;
}

}  // namespace quelb_pdk_4_4
