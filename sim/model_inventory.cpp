// Model: devices, disks, locks, and what the device reports load at once.
#include "model.h"
#include "model_rows.h"

namespace symsim {

namespace {

// "d.id = ?1" or "d.array_id = ?1", and the value to bind, for a scope.
const char* scopeCondition(const DeviceScope& scope) {
  return scope.deviceId ? "d.id = ?1" : "d.array_id = ?1";
}
int64_t scopeKey(const DeviceScope& scope) {
  return scope.deviceId ? scope.deviceId : scope.arrayId;
}

}  // namespace

std::vector<DeviceRow> Model::devices(int64_t arrayId, const DeviceFilter& filter) {
  std::string sql = std::string(rows::kDeviceColumns) + "WHERE d.array_id = ?";
  if (filter.noBcv) sql += " AND d.type != 'bcv'";
  if (filter.onlyBcv) sql += " AND d.type = 'bcv'";
  if (filter.fibre) sql += " AND EXISTS (SELECT 1 FROM device_ports dp WHERE dp.device_id = d.id)";
  sql += " ORDER BY d.name";
  Statement st(db_, sql.c_str());
  st.bind(1, arrayId);
  std::vector<DeviceRow> out;
  while (st.step()) out.push_back(rows::device(st));
  return out;
}

int64_t Model::deviceCount(int64_t arrayId) {
  Statement st(db_, "SELECT count(*) FROM devices WHERE array_id = ?");
  st.bind(1, arrayId);
  return st.step() ? st.integer(0) : 0;
}

void Model::setDeviceStatus(int64_t deviceId, const std::string& status) {
  Statement st(db_, "UPDATE devices SET status = ? WHERE id = ?");
  st.bind(1, status).bind(2, deviceId).run();
}

std::vector<DiskRow> Model::disks(int64_t arrayId) {
  Statement st(db_, "SELECT ident, megabytes, avail_mb FROM disks WHERE array_id = ? ORDER BY id");
  st.bind(1, arrayId);
  std::vector<DiskRow> out;
  while (st.step()) out.push_back({st.text(0), st.integer(1), st.integer(2)});
  return out;
}

void Model::markDiscovered(int64_t arrayId) {
  if (arrayId == 0) {
    db_.exec("UPDATE arrays SET discovered = 1");
    return;
  }
  Statement st(db_, "UPDATE arrays SET discovered = 1 WHERE id = ?");
  st.bind(1, arrayId).run();
}

std::vector<LockRow> Model::locks(int64_t arrayId) {
  Statement st(db_,
               "SELECT a.symid, l.number, l.holder FROM locks l JOIN arrays a ON a.id = l.array_id "
               "WHERE ?1 = 0 OR l.array_id = ?1 ORDER BY a.id, l.number");
  st.bind(1, arrayId);
  std::vector<LockRow> out;
  while (st.step()) out.push_back({st.text(0), st.integer(1), st.text(2)});
  return out;
}

void Model::holdLock(int64_t arrayId, int64_t number, const std::string& holder) {
  Statement st(db_,
               "INSERT OR REPLACE INTO locks(array_id, number, holder, since) VALUES(?, ?, ?, ?)");
  st.bind(1, arrayId).bind(2, number).bind(3, holder).bind(4, now_).run();
}

bool Model::releaseLock(int64_t arrayId, int64_t number) {
  Statement st(db_, "DELETE FROM locks WHERE array_id = ? AND number = ?");
  st.bind(1, arrayId).bind(2, number).run();
  return db_.changes() != 0;
}

std::vector<DevicePortRow> Model::devicePortsIn(const DeviceScope& scope) {
  std::string sql =
      "SELECT dp.device_id, p.director, p.port, dp.lun FROM device_ports dp "
      "JOIN ports p ON p.id = dp.port_id JOIN devices d ON d.id = dp.device_id WHERE " +
      std::string(scopeCondition(scope)) + " ORDER BY dp.device_id, p.id";
  Statement st(db_, sql.c_str());
  st.bind(1, scopeKey(scope));
  std::vector<DevicePortRow> out;
  while (st.step()) out.push_back({st.integer(0), st.text(1), st.integer(2), st.integer(3)});
  return out;
}

std::vector<CopyRow> Model::pairsIn(const DeviceScope& scope) {
  std::string sql =
      "SELECT pr.id, pr.std_id, pr.bcv_id, pr.state, pr.last_action, pr.started, pr.queries "
      "FROM pairs pr JOIN devices d ON d.id IN (pr.std_id, pr.bcv_id) WHERE " +
      std::string(scopeCondition(scope)) + " GROUP BY pr.id ORDER BY pr.id";
  Statement st(db_, sql.c_str());
  st.bind(1, scopeKey(scope));
  std::vector<CopyRow> out;
  while (st.step()) out.push_back(rows::copy(st, "pair"));
  return out;
}

std::vector<CopyRow> Model::sessionsIn(const DeviceScope& scope) {
  std::string sql =
      "SELECT s.id, s.src_id, s.tgt_id, s.state, s.last_action, s.started, s.queries, s.kind "
      "FROM sessions s JOIN devices d ON d.id IN (s.src_id, s.tgt_id) WHERE " +
      std::string(scopeCondition(scope)) + " GROUP BY s.id ORDER BY s.id";
  Statement st(db_, sql.c_str());
  st.bind(1, scopeKey(scope));
  std::vector<CopyRow> out;
  while (st.step()) out.push_back(rows::copy(st, st.text(7)));
  return out;
}

std::set<int64_t> Model::locallyVisibleIn(const DeviceScope& scope) {
  std::string sql =
      "SELECT DISTINCT md.device_id FROM mask_devs md JOIN maskdb m ON m.id = md.record_id "
      "JOIN hbas h ON h.wwn = m.wwn JOIN hosts ho ON ho.id = h.host_id "
      "JOIN devices d ON d.id = md.device_id WHERE ho.local = 1 AND md.pending != 1 AND " +
      std::string(scopeCondition(scope));
  Statement st(db_, sql.c_str());
  st.bind(1, scopeKey(scope));
  std::set<int64_t> out;
  while (st.step()) out.insert(st.integer(0));
  return out;
}

std::vector<CopyRow> Model::pairsOfArray(int64_t arrayId) {
  Statement st(db_,
               "SELECT pr.id, pr.std_id, pr.bcv_id, pr.state, pr.last_action, pr.started, "
               "pr.queries FROM pairs pr JOIN devices d ON d.id = pr.std_id WHERE d.array_id = ? "
               "ORDER BY pr.id");
  st.bind(1, arrayId);
  std::vector<CopyRow> out;
  while (st.step()) out.push_back(rows::copy(st, "pair"));
  return out;
}

std::vector<CopyRow> Model::sessionsOfArray(int64_t arrayId) {
  Statement st(db_,
               "SELECT s.id, s.src_id, s.tgt_id, s.state, s.last_action, s.started, s.queries, "
               "s.kind FROM sessions s JOIN devices d ON d.id = s.src_id WHERE d.array_id = ? "
               "ORDER BY s.kind, s.id");
  st.bind(1, arrayId);
  std::vector<CopyRow> out;
  while (st.step()) out.push_back(rows::copy(st, st.text(7)));
  return out;
}

}  // namespace symsim
