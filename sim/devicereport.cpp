#include "devicereport.h"

#include <cmath>

#include "text.h"

namespace symsim {

int64_t tracksOf(int64_t megabytes) { return megabytes * 16; }

std::string configurationOf(const std::string& type) {
  if (type == "bcv") return "BCV";
  if (type == "vdev") return "VDEV";
  return "2-Way Mir";
}

namespace {

std::string percentOf(double fraction) {
  return std::to_string(static_cast<int>(std::floor(fraction * 100)));
}

std::string invalidsOf(int64_t megabytes, double fraction) {
  return std::to_string(static_cast<int64_t>(
      std::llround(static_cast<double>(tracksOf(megabytes)) * (1.0 - fraction))));
}

// Linux-style disk letters: 0 -> a, 25 -> z, 26 -> aa.
std::string diskLetters(int64_t n) {
  std::string s;
  do {
    s.insert(s.begin(), static_cast<char>('a' + n % 26));
    n = n / 26 - 1;
  } while (n >= 0);
  return s;
}

}  // namespace

DeviceReport::DeviceReport(Model& model, const ArrayRow& array, int64_t deviceId, bool query)
    : model_(model), array_(array), query_(query) {
  const DeviceScope scope{array.id, deviceId};
  for (const DevicePortRow& p : model.devicePortsIn(scope))
    ports_[p.deviceId].push_back({p.director, p.port, p.lun});
  for (const CopyRow& pair : model.pairsIn(scope)) {
    copies_.push_back(pair);
    CopyRow* c = &copies_.back();
    pairsByStd_[c->first].push_back(c);
    pairByBcv_[c->second] = c;
  }
  for (const CopyRow& session : model.sessionsIn(scope)) {
    copies_.push_back(session);
    CopyRow* c = &copies_.back();
    sessions_[c->first].push_back(c);
    if (c->second != c->first) sessions_[c->second].push_back(c);
  }
  visible_ = model.locallyVisibleIn(scope);
}

const DeviceRow& DeviceReport::partner(int64_t id) {
  auto it = partners_.find(id);
  if (it != partners_.end()) return it->second;
  return partners_[id] = model_.deviceById(id);
}

std::string DeviceReport::physicalName(const DeviceRow& d) const {
  if (!d.pdName.empty()) return d.pdName;
  if (visible_.count(d.id)) return "/dev/sd" + diskLetters(d.id);
  return "Not Visible";
}

std::string DeviceReport::status(const DeviceRow& d) {
  if (d.type == "bcv") {
    auto it = pairByBcv_.find(d.id);
    if (it != pairByBcv_.end()) {
      const DeviceRow& standard = partner(it->second->first);
      CopyView v = model_.observe(*it->second, standard.megabytes, false);
      if (bcvAttached(v.state)) return "Not Ready";
    }
  }
  return d.status;
}

void DeviceReport::write(XmlWriter& xml, const DeviceRow& d, bool verbose) {
  partners_[d.id] = d;
  if (!verbose) {
    xml.open("Device", {{"dev_name", d.name},
                        {"pd_name", physicalName(d)},
                        {"configuration", configurationOf(d.type)},
                        {"status", status(d)}});
    xml.leaf("Capacity", {{"megabytes", std::to_string(d.megabytes)}});
    auto pit = ports_.find(d.id);
    if (pit != ports_.end()) {
      const PortInfo& p = pit->second.front();
      xml.leaf("Port",
               {{"director", directorDisplay(p.director)}, {"port", std::to_string(p.port)}});
    }
    xml.close();
    return;
  }
  xml.open("Device", {{"dev_name", d.name},
                      {"pd_name", physicalName(d)},
                      {"ld_name", d.ldName},
                      {"device_group", d.dgroup},
                      {"configuration", configurationOf(d.type)},
                      {"emulation", "FBA"},
                      {"status", status(d)},
                      {"bcv", d.type == "bcv" ? "Yes" : "No"},
                      {"vdev", d.type == "vdev" ? "Yes" : "No"},
                      {"attached_bcv", d.attachedBcv}});
  xml.leaf("Capacity", {{"block_size", "512"},
                        {"blocks", std::to_string(d.megabytes * 2048)},
                        {"cylinders", std::to_string(d.megabytes * 1024 * 1024 / (15 * 65536))},
                        {"megabytes", std::to_string(d.megabytes)}});
  auto pit = ports_.find(d.id);
  if (pit != ports_.end()) {
    xml.open("Front_End");
    for (const PortInfo& p : pit->second) {
      xml.leaf("Port", {{"type", "FA"},
                        {"director", directorDisplay(p.director)},
                        {"port", std::to_string(p.port)},
                        {"lun", deviceName(static_cast<uint64_t>(p.lun)).substr(1)},
                        {"status", "On"}});
    }
    xml.close();
  }
  writePairs(xml, d);
  writeSessions(xml, d, "clone");
  writeSessions(xml, d, "snap");
  xml.close();
}

void DeviceReport::writePairs(XmlWriter& xml, const DeviceRow& d) {
  std::vector<CopyRow*> rows;
  auto sit = pairsByStd_.find(d.id);
  if (sit != pairsByStd_.end())
    for (CopyRow* c : sit->second) rows.push_back(c);
  auto bit = pairByBcv_.find(d.id);
  if (bit != pairByBcv_.end()) rows.push_back(bit->second);

  if (rows.empty() && d.type == "bcv") {
    // A BCV that was never paired still reports its pair state.
    xml.open("BCV_Pair", {{"state", "NeverEstab"}, {"last_action", ""}, {"state_flags", ""}});
    xml.leaf(
        "STD",
        {{"dev_name", ""}, {"ld_name", ""}, {"dgroup", ""}, {"status", ""}, {"invalids", "0"}});
    xml.leaf("BCV", {{"dev_name", d.name},
                     {"ld_name", d.ldName},
                     {"dgroup", d.dgroup},
                     {"status", d.status},
                     {"invalids", "0"}});
    xml.close();
    return;
  }
  for (CopyRow* c : rows) {
    DeviceRow standard = partner(c->first);
    DeviceRow bcv = partner(c->second);
    CopyView v = model_.observe(*c, standard.megabytes, query_);
    std::string stdInvalid = "0", bcvInvalid = "0";
    if (v.state == "SyncInProg") bcvInvalid = invalidsOf(standard.megabytes, v.fraction);
    if (v.state == "RestInProg") stdInvalid = invalidsOf(standard.megabytes, v.fraction);
    xml.open("BCV_Pair", {{"state", v.state},
                          {"last_action", c->lastAction},
                          {"state_flags", ""},
                          {"percent", percentOf(v.fraction)}});
    xml.leaf("STD", {{"dev_name", standard.name},
                     {"ld_name", standard.ldName},
                     {"dgroup", standard.dgroup},
                     {"status", standard.status},
                     {"invalids", stdInvalid}});
    xml.leaf("BCV", {{"dev_name", bcv.name},
                     {"ld_name", bcv.ldName},
                     {"dgroup", bcv.dgroup},
                     {"status", status(bcv)},
                     {"invalids", bcvInvalid}});
    xml.close();
  }
}

void DeviceReport::writeSessions(XmlWriter& xml, const DeviceRow& d, const std::string& kind) {
  auto it = sessions_.find(d.id);
  if (it == sessions_.end()) return;
  bool clone = kind == "clone";
  for (CopyRow* row : it->second) {
    CopyRow& c = *row;
    if (c.kind != kind) continue;
    DeviceRow src = partner(c.first);
    DeviceRow tgt = partner(c.second);
    CopyView v = model_.observe(c, src.megabytes, query_);
    double shown = (!clone && !isTransient(v.state) && v.state != "Restored") ? 0.0 : v.fraction;
    xml.open(clone ? "CLONE_Device" : "SNAP_Device",
             {{"state", v.state},
              {"last_action", c.lastAction},
              {clone ? "clone_state_flags" : "snap_state_flags", ""},
              {"percent_copied", percentOf(shown)}});
    xml.leaf("SRC", {{"dev_name", src.name}, {"ld_name", src.ldName}, {"status", src.status}});
    xml.leaf("TGT", {{"dev_name", tgt.name}, {"ld_name", tgt.ldName}, {"status", tgt.status}});
    xml.close();
  }
}

}  // namespace symsim
