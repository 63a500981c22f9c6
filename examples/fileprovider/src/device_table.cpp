#include "device_table.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace fileprovider {

bool DeviceTable::load(const std::string& path) {
  m_devices.clear();
  m_error.clear();
  std::ifstream in(path);
  if (!in) {
    m_error = "the device file " + path + " cannot be read";
    return false;
  }
  const size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::istringstream words(line);
    Device device;
    std::string extra;
    if (!(words >> device.array) || device.array[0] == '#') continue;
    if (!(words >> device.name >> device.dataFile) || (words >> extra)) {
      m_error = path + " line " + std::to_string(number) + ": not ARRAY DEVICE DATAFILE: " + line;
      return false;
    }
    if (device.dataFile[0] != '/') device.dataFile = directory + device.dataFile;
    m_devices.push_back(device);
  }
  return true;
}

std::vector<std::string> DeviceTable::arrays() const {
  std::vector<std::string> names;
  for (const Device& device : m_devices) {
    bool known = false;
    for (const std::string& name : names) known = known || name == device.array;
    if (!known) names.push_back(device.array);
  }
  return names;
}

const Device* DeviceTable::find(const std::string& array, const std::string& name) const {
  for (const Device& device : m_devices)
    if (device.array == array && device.name == name) return &device;
  return nullptr;
}

uint64_t DeviceTable::sizeOf(const Device& device) {
  struct stat info;
  return ::stat(device.dataFile.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

}  // namespace fileprovider
