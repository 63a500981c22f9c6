#include "model_build.h"

#include "model_schema.h"

namespace symsim {

namespace {

// A text to bind: absent when empty.
const char* orNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

ModelBuilder::ModelBuilder(Database& db) : db_(db) {}

ModelBuilder::~ModelBuilder() {}

void ModelBuilder::reset() {
  addDevice_.reset();
  mapDevice_.reset();
  createSchema(db_);
  for (const SettingInfo& s : allSettings()) symsim::setSetting(db_, s.key, s.fallback);
}

void ModelBuilder::setSetting(const std::string& key, const std::string& value) {
  symsim::setSetting(db_, key, value);
}

int64_t ModelBuilder::addHost(const std::string& name, const std::string& address, bool local) {
  Statement st(db_, "INSERT INTO hosts(name, address, local) VALUES(?, ?, ?)");
  st.bind(1, orNull(name)).bind(2, orNull(address)).bind(3, local ? 1 : 0).run();
  return db_.lastInsertId();
}

void ModelBuilder::addHba(int64_t hostId, const std::string& wwn, const std::string& portName) {
  Statement st(db_, "INSERT INTO hbas(host_id, wwn, port_name) VALUES(?, ?, ?)");
  st.bind(1, hostId).bind(2, wwn).bind(3, orNull(portName)).run();
}

int64_t ModelBuilder::addArray(const ArrayRow& a) {
  Statement st(db_,
               "INSERT INTO arrays(symid, local, model, microcode, cache_mb, discovered) "
               "VALUES(?, ?, ?, ?, ?, ?)");
  st.bind(1, a.symid)
      .bind(2, a.local ? 1 : 0)
      .bind(3, a.model)
      .bind(4, a.microcode)
      .bind(5, a.cacheMb)
      .bind(6, a.discovered ? 1 : 0)
      .run();
  return db_.lastInsertId();
}

int64_t ModelBuilder::addPort(int64_t arrayId, const std::string& director, int64_t port,
                              const std::string& wwn) {
  Statement st(db_, "INSERT INTO ports(array_id, director, port, wwn) VALUES(?, ?, ?, ?)");
  st.bind(1, arrayId).bind(2, director).bind(3, port).bind(4, wwn).run();
  return db_.lastInsertId();
}

void ModelBuilder::addDisk(int64_t arrayId, const std::string& ident, int64_t megabytes,
                           int64_t availMb) {
  Statement st(db_, "INSERT INTO disks(array_id, ident, megabytes, avail_mb) VALUES(?, ?, ?, ?)");
  st.bind(1, arrayId).bind(2, ident).bind(3, megabytes).bind(4, availMb).run();
}

int64_t ModelBuilder::diskCount(int64_t arrayId) {
  Statement st(db_, "SELECT count(*) FROM disks WHERE array_id = ?");
  st.bind(1, arrayId);
  return st.step() ? st.integer(0) : 0;
}

int64_t ModelBuilder::addDevice(const DeviceRow& d) {
  if (!addDevice_) {
    addDevice_.reset(new Statement(
        db_,
        "INSERT INTO devices(array_id, name, type, megabytes, pd_name, ld_name, dgroup, status, "
        "attached_bcv) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)"));
  }
  addDevice_->bind(1, d.arrayId)
      .bind(2, d.name)
      .bind(3, d.type)
      .bind(4, d.megabytes)
      .bind(5, orNull(d.pdName))
      .bind(6, orNull(d.ldName))
      .bind(7, orNull(d.dgroup))
      .bind(8, d.status)
      .bind(9, orNull(d.attachedBcv))
      .run();
  return db_.lastInsertId();
}

void ModelBuilder::mapDevice(int64_t deviceId, int64_t portId, int64_t lun) {
  if (!mapDevice_) {
    mapDevice_.reset(
        new Statement(db_, "INSERT INTO device_ports(device_id, port_id, lun) VALUES(?, ?, ?)"));
  }
  mapDevice_->bind(1, deviceId).bind(2, portId).bind(3, lun).run();
}

void ModelBuilder::attachBcv(int64_t deviceId, const std::string& bcvName) {
  Statement st(db_, "UPDATE devices SET attached_bcv = coalesce(attached_bcv, ?) WHERE id = ?");
  st.bind(1, bcvName).bind(2, deviceId).run();
}

void ModelBuilder::addPair(int64_t stdId, int64_t bcvId, const std::string& state,
                           const std::string& lastAction) {
  Statement st(
      db_, "INSERT INTO pairs(std_id, bcv_id, state, last_action, started) VALUES(?, ?, ?, ?, 0)");
  st.bind(1, stdId).bind(2, bcvId).bind(3, state).bind(4, lastAction).run();
}

void ModelBuilder::addSession(const std::string& kind, int64_t srcId, int64_t tgtId,
                              const std::string& state) {
  Statement st(db_,
               "INSERT INTO sessions(kind, src_id, tgt_id, state, last_action, started) "
               "VALUES(?, ?, ?, ?, 'Create', 0)");
  st.bind(1, kind).bind(2, srcId).bind(3, tgtId).bind(4, state).run();
}

int64_t ModelBuilder::hbaId(const std::string& wwn) {
  Statement st(db_, "SELECT id FROM hbas WHERE wwn = ?");
  st.bind(1, wwn);
  return st.step() ? st.integer(0) : 0;
}

void ModelBuilder::addLogin(int64_t portId, int64_t hbaId, bool loggedIn, bool onFabric) {
  Statement st(
      db_,
      "INSERT OR REPLACE INTO logins(port_id, hba_id, logged_in, on_fabric) VALUES(?, ?, ?, ?)");
  st.bind(1, portId).bind(2, hbaId).bind(3, loggedIn ? 1 : 0).bind(4, onFabric ? 1 : 0).run();
}

void ModelBuilder::registerAlias(int64_t arrayId, const std::string& wwn) {
  Statement st(db_,
               "INSERT OR IGNORE INTO aliases(array_id, wwn, node, port) VALUES(?, ?, NULL, NULL)");
  st.bind(1, arrayId).bind(2, wwn).run();
}

void ModelBuilder::setAlias(int64_t arrayId, const std::string& wwn, const std::string& node,
                            const std::string& port) {
  Statement st(db_, "INSERT OR REPLACE INTO aliases(array_id, wwn, node, port) VALUES(?, ?, ?, ?)");
  st.bind(1, arrayId).bind(2, wwn).bind(3, orNull(node)).bind(4, orNull(port)).run();
}

int64_t ModelBuilder::maskRecord(int64_t portId, const std::string& wwn) {
  {
    Statement st(db_, "INSERT OR IGNORE INTO maskdb(port_id, wwn) VALUES(?, ?)");
    st.bind(1, portId).bind(2, wwn).run();
  }
  Statement st(db_, "SELECT id FROM maskdb WHERE port_id = ? AND wwn = ?");
  st.bind(1, portId).bind(2, wwn);
  return st.step() ? st.integer(0) : 0;
}

bool ModelBuilder::deviceOnPort(int64_t deviceId, int64_t portId) {
  Statement st(db_, "SELECT 1 FROM device_ports WHERE device_id = ? AND port_id = ?");
  st.bind(1, deviceId).bind(2, portId);
  return st.step();
}

void ModelBuilder::maskDevice(int64_t recordId, int64_t deviceId) {
  Statement st(db_,
               "INSERT OR IGNORE INTO mask_devs(record_id, device_id, pending) VALUES(?, ?, 0)");
  st.bind(1, recordId).bind(2, deviceId).run();
}

void ModelBuilder::holdLock(int64_t arrayId, int64_t number, const std::string& holder) {
  Statement st(db_,
               "INSERT OR REPLACE INTO locks(array_id, number, holder, since) VALUES(?, ?, ?, 0)");
  st.bind(1, arrayId).bind(2, number).bind(3, holder).run();
}

int64_t ModelBuilder::arrayCount() { return db_.scalar("SELECT count(*) FROM arrays", 0); }

}  // namespace symsim
