// DeviceTable: the imaginary array of the example provider. Its devices are
// the lines of one text file:
//
//   # array    device  data file (relative to this file, or absolute)
//   FA000001   0001    disks/0001.img
//
// Blank lines and lines starting with '#' are skipped. A device's size is
// the size of its data file; an array (enclosure) is every distinct first
// column.
#ifndef FILEPROVIDER_DEVICE_TABLE_H
#define FILEPROVIDER_DEVICE_TABLE_H

#include <cstdint>
#include <string>
#include <vector>

namespace fileprovider {

struct Device {
  std::string array;
  std::string name;
  std::string dataFile;  // absolute
};

class DeviceTable {
 public:
  // Reads the file. False when it cannot be read or holds a line that is not
  // three words; error() then names the file (and the line).
  bool load(const std::string& path);

  const std::vector<Device>& devices() const { return m_devices; }
  // The arrays, in the order of their first device.
  std::vector<std::string> arrays() const;
  // The device, or null.
  const Device* find(const std::string& array, const std::string& name) const;
  const std::string& error() const { return m_error; }

  // The size of a device's data file in bytes (0 when it cannot be read).
  static uint64_t sizeOf(const Device& device);

 private:
  std::vector<Device> m_devices;
  std::string m_error;
};

}  // namespace fileprovider

#endif  // FILEPROVIDER_DEVICE_TABLE_H
