// CFiConfigurationPathTool: installation paths from the registry and the
// framework utility library.
#include <ace/OS_NS_errno.h>
#include <ace/OS_NS_sys_stat.h>
#include <quelb/quelb_records.h>

#include <cstring>
#include <cwchar>

#include "cficonfiguration.h"
#include "cfiplatform.h"
#include "cfiregistry.h"
#include "cfistringtool.h"
#include "cfiudid.h"

namespace quelb_pdk_4_4 {

namespace {

const wchar_t* const kQuelbKey = L"SOFTWARE\\Dravonel\\Quelb";
const wchar_t* const kWindowsKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// The framework's consumer name; empty when it reports none.
std::string consumerName() {
  char* name = nullptr;
  quelb_get_consumer_name(&name);
  if (!name) return std::string();
  std::string copy(name);
  quelb_free_buf(name, std::strlen(name) + 1);
  return copy;
}

// The framework's install root; empty when it reports none.
tstring frameworkInstallRoot() {
  wchar_t* root = nullptr;
  quelb_get_install_root(&root);
  if (!root) return tstring();
  tstring copy(root);
  quelb_free_buf(root, (std::wcslen(root) + 1) * sizeof(wchar_t));
  return copy;
}

int readRegistryDirectory(const wchar_t* value, tstring& path) {
  tstring read;
  int status = CFiRegistry::localMachine()->readString(tstring(kWindowsKey), tstring(value), read);
  path = status == 0 && read.length() > 0 ? read : tstring(FI_PROGRAM_FILES_DEFAULT);
  return status;
}

}  // namespace

tstring CFiConfigurationPathTool::getInstallKey() {
  tstring key(kQuelbKey);
  std::string consumer = consumerName();
  if (!consumer.empty()) key += L"\\" + CFiStringTool::str2tstr(consumer);
  return key;
}

SFiConfigurationFault CFiConfigurationPathTool::getRegistryFault(std::string& registryFile) {
  const std::unique_ptr<CFiRegistry> registry = CFiRegistry::localMachine();
  registryFile = registry->isFile() ? registry->location() : std::string();
  return registry->fault();
}

int CFiConfigurationPathTool::getInstallPath(tstring& path) {
  const tstring key = getInstallKey();
  tstring read;
  int status = CFiRegistry::localMachine()->readString(key, tstring(L"InstallDir64"), read);
  if (status == 0) {
    path = fiWithSeparator(read);
    return 0;
  }
  if (path.length() == 0) path = fiWithSeparator(frameworkInstallRoot());
  return status;
}

int CFiConfigurationPathTool::getProgramFilesDir(tstring& path) {
  return readRegistryDirectory(L"ProgramFilesDir", path);
}

int CFiConfigurationPathTool::getProgramFilesX86Dir(tstring& path) {
  return readRegistryDirectory(L"ProgramFilesDir (x86)", path);
}

// Without an install path there is no location: the directory stays
// empty and nothing is created, so that the library never writes into the
// working directory of whatever process loaded it.
int CFiConfigurationPathTool::locationUnderInstall(const wchar_t* subdirectory,
                                                   tstring& directory) {
  tstring install;
  getInstallPath(install);
  if (install.length() == 0) {
    directory = tstring();
    return 0;
  }
  directory = install + fiWithSeparator(tstring(subdirectory));
  createDirectory(directory);
  return 0;
}

int CFiConfigurationPathTool::getConfigFileInfo(const tstring& name, tstring& directory,
                                                tstring& fileName) {
  locationUnderInstall(L"ConfigFiles", directory);
  fileName = name + L".conf";
  return 0;
}

int CFiConfigurationPathTool::getTraceFileInfo(const tstring& name, tstring& directory,
                                               tstring& fileName) {
  locationUnderInstall(L"Logs", directory);
  fileName = name + L".log";
  return 0;
}

int CFiConfigurationPathTool::getMessageFileInfo(const tstring& name, tstring& directory,
                                                 tstring& fileName) {
  locationUnderInstall(L"Messages", directory);
  fileName = tstring(L"lib") + name;
  return 0;
}

int CFiConfigurationPathTool::getCacheLocationInfo(tstring& directory) {
  return locationUnderInstall(L"CacheFiles", directory);
}

namespace {

// A text usable as one path component: ":" (as on every platform), "/"
// and the platform's separator become "_", so no name reaches outside its
// directory.
tstring pathComponent(const std::string& text) {
  const char separator = static_cast<char>(FI_PATH_SEPARATOR);
  std::string component = text;
  for (char& c : component)
    if (c == ':' || c == '/' || c == separator) c = '_';
  return CFiStringTool::str2tstr(component);
}

}  // namespace

int CFiConfigurationPathTool::cacheKey(const wchar_t* kind, const tstring& identity,
                                       tstring& path) {
  int status = 0;
  std::string serial;
  try {
    serial = CFiUdid(identity).serial();
  } catch (const CFiUdidException& error) {
    status = error.code();
  }
  tstring directory;
  getCacheLocationInfo(directory);
  if (directory.length() == 0) {
    path = tstring();
    return status;
  }
  directory += fiWithSeparator(tstring(kind));
  if (!serial.empty() && serial != "." && serial != "..")
    directory += fiWithSeparator(pathComponent(serial));
  createDirectory(directory);
  path = directory + pathComponent(CFiStringTool::tstr2str(identity));
  return status;
}

int CFiConfigurationPathTool::getDevKey(const tstring& identity, tstring& path) {
  return cacheKey(L"devHandle", identity, path);
}

int CFiConfigurationPathTool::getLunKey(const tstring& identity, tstring& path) {
  return cacheKey(L"luns", identity, path);
}

int CFiConfigurationPathTool::verify(const tstring& path) {
  std::string name = CFiStringTool::tstr2str(path);
  // A directory named with its final separator: the Windows C runtime's
  // stat does not find it so; a root ("/", "C:\") keeps it.
  const char separator = static_cast<char>(FI_PATH_SEPARATOR);
  while (name.size() > 1 && (name.back() == separator || name.back() == '/') &&
         !(name.size() == 3 && name[1] == ':'))
    name.pop_back();
  ACE_stat info;
  if (ACE_OS::stat(name.c_str(), &info) == 0) return 0;
  return errno != 0 ? errno : -1;
}

int CFiConfigurationPathTool::createDirectory(const tstring& path) {
  std::string full = CFiStringTool::tstr2str(path);
  if (full.empty()) return 0;  // the working directory
  const char separator = static_cast<char>(FI_PATH_SEPARATOR);
  for (size_t slash = full.find(separator, 1);; slash = full.find(separator, slash + 1)) {
    std::string prefix = full.substr(0, slash);
    ACE_stat info;
    if (!prefix.empty() && ACE_OS::stat(prefix.c_str(), &info) != 0)
      ACE_OS::mkdir(prefix.c_str(), 0755);
    if (slash == std::string::npos) break;
  }
  return verify(path);
}

}  // namespace quelb_pdk_4_4
