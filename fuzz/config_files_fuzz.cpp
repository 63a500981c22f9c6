// libFuzzer target: the files the kit reads. The selector picks the file
// the input becomes:
//   0 the provider's configuration file (ConfigFiles/norvel.conf), read
//     as the provider reads it at start-up and before every retry,
//   1 the registry file (QUELB_REGISTRY), read for the installation and
//     the SYMCLI directories,
//   2 LUN cache records (CacheFiles/luns/<array>/), the input cut into
//     records at every 0x1E byte, read as the LUN map reads them.
// Everything lives in a scratch installation of the process's own.
#include <filesystem>

#include "cficonfiguration.h"
#include "cfierror.h"
#include "cfipblm.h"
#include "emcsym_config.h"
#include "fuzz_util.h"

using namespace quelb_pdk_4_4;

namespace {

const char kArray[] = "000190100001";

// The registry file of the scratch installation.
const std::string& installRegistry() {
  static const std::string path = [] {
    const std::string file = fuzz::ScratchDir::file("registry.reg");
    fuzz::ScratchDir::write(file,
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Dravonel\\Quelb]\n\"InstallDir64\"=\"" +
                                fuzz::ScratchDir::path() + "/\"\n");
    return file;
  }();
  return path;
}

void configurationFile(const std::string& text) {
  std::filesystem::create_directories(fuzz::ScratchDir::file("ConfigFiles"));
  fuzz::ScratchDir::write(fuzz::ScratchDir::file("ConfigFiles/norvel.conf"), text);
  CEmcSymConfiguration configuration;
  (void)configuration.importCliPathInfo();
  SEmcSymTuningParams params;
  configuration.getTuningParams(params);
  (void)configuration.getRestoreTimeout();
}

// Only the registry reads see the input's registry: what writes files (the
// configuration, which creates its directories under the installation the
// registry names) is made before, under the scratch installation, so that
// no input can make the target create a directory anywhere else.
void registryFile(const std::string& text) {
  CEmcSymConfiguration configuration;
  const std::string file = fuzz::ScratchDir::file("fuzz.reg");
  fuzz::ScratchDir::write(file, text);
  setenv("QUELB_REGISTRY", file.c_str(), 1);
  tstring path;
  CFiConfigurationPathTool::getInstallPath(path);
  CFiConfigurationPathTool::getProgramFilesDir(path);
  try {
    (void)configuration.getSymCliDirFromRegistry();
  } catch (const CFiError&) {
  }
  setenv("QUELB_REGISTRY", installRegistry().c_str(), 1);
}

void lunRecords(const std::string& text) {
  const std::string directory = fuzz::ScratchDir::file(std::string("CacheFiles/luns/") + kArray);
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
  std::filesystem::create_directories(directory);
  std::vector<std::string> paths;
  std::size_t begin = 0;
  while (begin <= text.size() && paths.size() < 16) {
    std::size_t end = text.find('\x1e', begin);
    if (end == std::string::npos) end = text.size();
    paths.push_back(directory + "/dev" + std::to_string(paths.size()));
    fuzz::ScratchDir::write(paths.back(), text.substr(begin, end - begin));
    begin = end + 1;
  }
  CFiPblmOps map;
  std::vector<int> free;
  map.getNewValue(kArray, free);
  for (std::size_t i = 0; i < free.size(); ++i) {
    fuzz::check(free[i] >= 0 && free[i] <= 254, "free numbers within 0 to 254");
    fuzz::check(i == 0 || free[i] > free[i - 1], "free numbers ascend");
  }
  int first = -1;
  for (const std::string& path : paths) {
    int lun = -1;
    map.getKeyValue(path.c_str(), lun);
    fuzz::check(lun >= -1 && lun <= 255, "a record's number is -1 or 0 to 255");
    if (first < 0) first = lun;
  }
  if (first >= 0) map.rmLunCacheRecord(kArray, static_cast<uint32_t>(first));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("QUELB_REGISTRY", installRegistry().c_str(), 1);
  setenv("QUELB_SLEEP_SCALE", "0", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const fuzz::Input input(data, size);
  switch (input.selector % 3) {
    case 0:
      configurationFile(input.text);
      break;
    case 1:
      registryFile(input.text);
      break;
    default:
      lunRecords(input.text);
      break;
  }
  return 0;
}
