// The <Device> element of symdev show and symdev list: identity, capacity,
// front-end ports, BCV pairs and clone and snap sessions of a device.
#ifndef SYMSIM_DEVICEREPORT_H
#define SYMSIM_DEVICEREPORT_H

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model.h"
#include "xmlwriter.h"

namespace symsim {

class DeviceReport {
 public:
  // Loads what the reports need for one device (`deviceId`) or, with
  // `deviceId` 0, for every device of the array at once. With `query` set,
  // every pair or session shown counts as a query of it.
  DeviceReport(Model& model, const ArrayRow& array, int64_t deviceId, bool query);

  // Writes the device. The brief form (of a plain listing) has the
  // identity, the capacity and the first front-end port; `verbose` adds
  // every port, the pair and session elements.
  void write(XmlWriter& xml, const DeviceRow& device, bool verbose);

  // The device's status as a host sees it: a BCV attached to its standard
  // device is not ready.
  std::string status(const DeviceRow& device);

 private:
  struct PortInfo {
    std::string director;
    int64_t port;
    int64_t lun;
  };
  const DeviceRow& partner(int64_t id);
  std::string physicalName(const DeviceRow& device) const;
  void writePairs(XmlWriter& xml, const DeviceRow& device);
  void writeSessions(XmlWriter& xml, const DeviceRow& device, const std::string& kind);

  Model& model_;
  ArrayRow array_;
  bool query_;
  std::map<int64_t, std::vector<PortInfo>> ports_;
  std::deque<CopyRow> copies_;  // every pair and session loaded, once
  std::map<int64_t, std::vector<CopyRow*>> pairsByStd_;
  std::map<int64_t, CopyRow*> pairByBcv_;
  std::map<int64_t, std::vector<CopyRow*>> sessions_;  // by source and by target
  std::set<int64_t> visible_;
  std::map<int64_t, DeviceRow> partners_;
};

// Track counts shown as invalid tracks: sixteen 64 KB tracks per megabyte.
int64_t tracksOf(int64_t megabytes);

// The configuration text of a device type ("2-Way Mir", "BCV", "VDEV").
std::string configurationOf(const std::string& type);

}  // namespace symsim

#endif  // SYMSIM_DEVICEREPORT_H
