#include "cfiregistryposix.h"

#include <vector>

#include "cfienvironment.h"
#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

namespace {

const wchar_t* const kLocalMachine = L"HKEY_LOCAL_MACHINE\\";

void splitPath(const std::string& path, tstring& directory, tstring& fileName) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    directory = tstring(L"./");
    fileName = CFiStringTool::str2tstr(path);
  } else {
    directory = CFiStringTool::str2tstr(path.substr(0, slash + 1));
    fileName = CFiStringTool::str2tstr(path.substr(slash + 1));
  }
}

}  // namespace

std::unique_ptr<CFiRegistry> CFiRegistry::localMachine() {
  return std::unique_ptr<CFiRegistry>(new CFiRegistryPosix());
}

CFiRegistryPosix::CFiRegistryPosix() {
  tstring directory;
  tstring fileName;
  splitPath(registryFilePath(), directory, fileName);
  m_file.importConfig(directory, fileName);
}

std::string CFiRegistryPosix::registryFilePath() {
  const std::string path = fiGetEnvironment("QUELB_REGISTRY");
  return path.empty() ? std::string("/etc/quelb/registry.reg") : path;
}

int CFiRegistryPosix::openKey(const tstring& keyPath, ACE_Configuration_Section_Key& key) {
  return m_file.openSection(tstring(kLocalMachine) + keyPath, key, false);
}

int CFiRegistryPosix::enumerateSubKey(const ACE_Configuration_Section_Key& key, int index,
                                      tstring& name) {
  std::vector<tstring> names;
  m_file.enumerateSections(names, key);
  if (index < 0 || static_cast<size_t>(index) >= names.size()) return -1;
  name = names[index];
  return 0;
}

int CFiRegistryPosix::getStringValue(const ACE_Configuration_Section_Key& key, const tstring& name,
                                     tstring& value) {
  m_file.setCurrentSection(key);
  return m_file.getStringValue(name, value);
}

}  // namespace quelb_pdk_4_4
