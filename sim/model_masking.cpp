// Model: logins of host bus adapters, the names arrays know them by, and
// the masking database that grants devices to them.
#include "model.h"

namespace symsim {

namespace {

const char kLoginColumns[] =
    "SELECT a.symid, h.host_id, h.wwn, p.director, p.port, l.logged_in, l.on_fabric "
    "FROM logins l JOIN ports p ON p.id = l.port_id JOIN hbas h ON h.id = l.hba_id "
    "JOIN arrays a ON a.id = p.array_id ";

std::vector<LoginRow> readLogins(Statement& st) {
  std::vector<LoginRow> out;
  while (st.step()) {
    out.push_back({st.text(0), st.integer(1), st.text(2), st.text(3), st.integer(4),
                   st.integer(5) != 0, st.integer(6) != 0});
  }
  return out;
}

}  // namespace

std::vector<LoginRow> Model::loginsByHost(int64_t arrayId) {
  Statement st(
      db_,
      (std::string(kLoginColumns) + "WHERE p.array_id = ? ORDER BY h.host_id, h.id, p.id").c_str());
  st.bind(1, arrayId);
  return readLogins(st);
}

std::vector<LoginRow> Model::loginsByPort(int64_t arrayId) {
  Statement st(db_,
               (std::string(kLoginColumns) + "WHERE p.array_id = ? ORDER BY p.id, h.id").c_str());
  st.bind(1, arrayId);
  return readLogins(st);
}

std::vector<LoginRow> Model::loginsOfHba(int64_t hbaId) {
  Statement st(db_,
               (std::string(kLoginColumns) + "WHERE l.hba_id = ? ORDER BY a.id, p.id").c_str());
  st.bind(1, hbaId);
  return readLogins(st);
}

bool Model::logsIn(int64_t hbaId, int64_t arrayId) {
  Statement st(db_,
               "SELECT 1 FROM logins l JOIN ports p ON p.id = l.port_id WHERE l.hba_id = ? AND "
               "p.array_id = ?");
  st.bind(1, hbaId).bind(2, arrayId);
  return st.step();
}

bool Model::hasAlias(int64_t arrayId, const std::string& wwn) {
  Statement st(db_, "SELECT 1 FROM aliases WHERE array_id = ? AND wwn = ?");
  st.bind(1, arrayId).bind(2, wwn);
  return st.step();
}

void Model::registerAlias(int64_t arrayId, const std::string& wwn, bool rename) {
  const char* sql =
      rename ? "INSERT INTO aliases(array_id, wwn, node, port) VALUES(?, ?, NULL, NULL) "
               "ON CONFLICT(array_id, wwn) DO UPDATE SET node = NULL, port = NULL"
             : "INSERT OR IGNORE INTO aliases(array_id, wwn, node, port) VALUES(?, ?, NULL, NULL)";
  Statement st(db_, sql);
  st.bind(1, arrayId).bind(2, wwn).run();
}

std::vector<std::string> Model::aliasWwns(int64_t arrayId) {
  Statement st(db_, "SELECT wwn FROM aliases WHERE array_id = ? ORDER BY wwn");
  st.bind(1, arrayId);
  std::vector<std::string> out;
  while (st.step()) out.push_back(st.text(0));
  return out;
}

int64_t Model::maskRecord(int64_t portId, const std::string& wwn, bool create) {
  {
    Statement st(db_, "SELECT id FROM maskdb WHERE port_id = ? AND wwn = ?");
    st.bind(1, portId).bind(2, wwn);
    if (st.step()) return st.integer(0);
  }
  if (!create) return 0;
  Statement st(db_, "INSERT INTO maskdb(port_id, wwn) VALUES(?, ?)");
  st.bind(1, portId).bind(2, wwn).run();
  return db_.lastInsertId();
}

int64_t Model::maskState(int64_t recordId, int64_t deviceId) {
  Statement st(db_, "SELECT pending FROM mask_devs WHERE record_id = ? AND device_id = ?");
  st.bind(1, recordId).bind(2, deviceId);
  return st.step() ? st.integer(0) : kNotMasked;
}

void Model::setMaskState(int64_t recordId, int64_t deviceId, int64_t state) {
  if (state == kNotMasked) {
    Statement st(db_, "DELETE FROM mask_devs WHERE record_id = ? AND device_id = ?");
    st.bind(1, recordId).bind(2, deviceId).run();
    return;
  }
  Statement st(db_,
               "INSERT INTO mask_devs(record_id, device_id, pending) VALUES(?, ?, ?) "
               "ON CONFLICT(record_id, device_id) DO UPDATE SET pending = excluded.pending");
  st.bind(1, recordId).bind(2, deviceId).bind(3, state).run();
}

void Model::applyMasking(int64_t arrayId) {
  const char* apply[] = {
      "DELETE FROM mask_devs WHERE pending = 2 AND record_id IN "
      "(SELECT m.id FROM maskdb m JOIN ports p ON p.id = m.port_id WHERE p.array_id = ?)",
      "UPDATE mask_devs SET pending = 0 WHERE pending = 1 AND record_id IN "
      "(SELECT m.id FROM maskdb m JOIN ports p ON p.id = m.port_id WHERE p.array_id = ?)"};
  for (const char* sql : apply) {
    Statement st(db_, sql);
    st.bind(1, arrayId).run();
  }
  Statement st(db_, "UPDATE arrays SET refreshed = ? WHERE id = ?");
  st.bind(1, now_).bind(2, arrayId).run();
}

std::vector<MaskRecordRow> Model::maskRecords(int64_t arrayId, bool withLogins) {
  std::string sql =
      "SELECT m.id, p.director, p.port, m.wwn, p.id FROM maskdb m JOIN ports p ON p.id = "
      "m.port_id WHERE p.array_id = ?1 ";
  if (withLogins) {
    sql +=
        "UNION SELECT 0, p.director, p.port, h.wwn, p.id FROM logins l "
        "JOIN ports p ON p.id = l.port_id JOIN hbas h ON h.id = l.hba_id "
        "JOIN aliases al ON al.array_id = p.array_id AND al.wwn = h.wwn "
        "WHERE p.array_id = ?1 AND NOT EXISTS "
        "(SELECT 1 FROM maskdb m2 WHERE m2.port_id = p.id AND m2.wwn = h.wwn) ";
  }
  sql += "ORDER BY 5, 4";
  Statement st(db_, sql.c_str());
  st.bind(1, arrayId);
  std::vector<MaskRecordRow> out;
  while (st.step()) out.push_back({st.integer(0), st.text(1), st.integer(2), st.text(3)});
  return out;
}

std::vector<MaskedDevice> Model::maskedDevices(int64_t recordId, bool withRemoved) {
  std::string sql =
      "SELECT d.name, d.megabytes, md.pending FROM mask_devs md JOIN devices d ON d.id = "
      "md.device_id WHERE md.record_id = ?";
  if (!withRemoved) sql += " AND md.pending != 2";
  sql += " ORDER BY d.name";
  Statement st(db_, sql.c_str());
  st.bind(1, recordId);
  std::vector<MaskedDevice> out;
  while (st.step()) out.push_back({st.text(0), st.integer(1), st.integer(2)});
  return out;
}

std::vector<MaskRecordRow> Model::assignmentsOf(int64_t deviceId) {
  Statement st(db_,
               "SELECT m.id, p.director, p.port, m.wwn FROM mask_devs md JOIN maskdb m ON m.id = "
               "md.record_id JOIN ports p ON p.id = m.port_id WHERE md.device_id = ? AND "
               "md.pending != 2 ORDER BY p.id, m.wwn");
  st.bind(1, deviceId);
  std::vector<MaskRecordRow> out;
  while (st.step()) out.push_back({st.integer(0), st.text(1), st.integer(2), st.text(3)});
  return out;
}

std::vector<MaskedDevice> Model::devicesMaskedTo(int64_t arrayId, const std::string& wwn) {
  Statement st(db_,
               "SELECT DISTINCT d.name, d.megabytes FROM maskdb m JOIN ports p ON p.id = m.port_id "
               "JOIN mask_devs md ON md.record_id = m.id JOIN devices d ON d.id = md.device_id "
               "WHERE p.array_id = ? AND m.wwn = ? AND md.pending != 2");
  st.bind(1, arrayId).bind(2, wwn);
  std::vector<MaskedDevice> out;
  while (st.step()) out.push_back({st.text(0), st.integer(1), kApplied});
  return out;
}

}  // namespace symsim
