#include "model.h"

#include <cmath>
#include <cstring>

#include "errors.h"
#include "model_rows.h"
#include "model_schema.h"
#include "platform.h"
#include "text.h"

namespace symsim {

namespace {

double settingNumber(Database& db, const char* key, double fallback) {
  std::string v = getSetting(db, key, "");
  if (v.empty()) return fallback;
  try {
    return std::stod(v);
  } catch (...) {
    return fallback;
  }
}

ArrayRow readArray(Statement& st) {
  ArrayRow a;
  a.id = st.integer(0);
  a.symid = st.text(1);
  a.local = st.integer(2) != 0;
  a.model = st.text(3);
  a.microcode = st.text(4);
  a.cacheMb = st.integer(5);
  a.discovered = st.integer(6) != 0;
  return a;
}

const char* kArrayColumns =
    "SELECT id, symid, local, model, microcode, cache_mb, discovered FROM arrays ";

const char* tableOf(const CopyRow& row) { return row.kind == "pair" ? "pairs" : "sessions"; }

}  // namespace

bool isTransient(const std::string& state) { return finalState(state) != state; }

std::string finalState(const std::string& state) {
  if (state == "SyncInProg") return "Synchronized";
  if (state == "RestInProg") return "Restored";
  if (state == "SplitInProg") return "Split";
  if (state == "CopyInProg") return "Copied";
  return state;
}

bool bcvAttached(const std::string& state) {
  return state == "SyncInProg" || state == "Synchronized" || state == "RestInProg" ||
         state == "Restored";
}

Model::Model(Database& db) : db_(db) {
  now_ = realNow() + settingNumber(db, setting::kClockOffset, 0);
  rules_.timeMode = getSetting(db, setting::kProgress, "queries") == "time";
  rules_.copyQueries = static_cast<int64_t>(settingNumber(db, setting::kCopyQueries, 2));
  rules_.splitQueries = static_cast<int64_t>(settingNumber(db, setting::kSplitQueries, 1));
  rules_.copyRateMb = settingNumber(db, setting::kCopyRate, 200);
  rules_.splitSeconds = settingNumber(db, setting::kSplitSeconds, 1);
}

std::string Model::setting(const std::string& key, const std::string& fallback) {
  return getSetting(db_, key, fallback);
}

ArrayRow Model::findArray(const std::string& sid) {
  std::string s = trim(sid);
  if (s.empty()) throw CliError("A Symmetrix ID must be given");
  {
    Statement st(db_, (std::string(kArrayColumns) + "WHERE symid = ?").c_str());
    st.bind(1, s);
    if (st.step()) return readArray(st);
  }
  // SYMCLI users may give the last digits of the ID only.
  std::vector<ArrayRow> matches;
  for (const ArrayRow& a : arrays())
    if (a.symid.size() > s.size() && a.symid.compare(a.symid.size() - s.size(), s.size(), s) == 0)
      matches.push_back(a);
  if (matches.size() == 1) return matches[0];
  if (matches.size() > 1)
    throw CliError("The Symmetrix ID " + s + " is ambiguous; give more digits");
  throw CliError("The specified Symmetrix ID " + s + " was not found");
}

std::vector<ArrayRow> Model::arrays() {
  std::vector<ArrayRow> out;
  Statement st(db_, (std::string(kArrayColumns) + "ORDER BY id").c_str());
  while (st.step()) out.push_back(readArray(st));
  return out;
}

ArrayRow Model::arrayById(int64_t id) {
  Statement st(db_, (std::string(kArrayColumns) + "WHERE id = ?").c_str());
  st.bind(1, id);
  if (!st.step()) throw CliError("array record " + std::to_string(id) + " is missing");
  return readArray(st);
}

DeviceRow Model::findDevice(const ArrayRow& array, const std::string& name) {
  std::string dev = canonicalDevice(name);
  Statement st(db_,
               (std::string(rows::kDeviceColumns) + "WHERE d.array_id = ? AND d.name = ?").c_str());
  st.bind(1, array.id).bind(2, dev);
  if (!st.step()) throw CliError("Device " + dev + " was not found on Symmetrix " + array.symid);
  return rows::device(st);
}

DeviceRow Model::deviceById(int64_t id) {
  Statement st(db_, (std::string(rows::kDeviceColumns) + "WHERE d.id = ?").c_str());
  st.bind(1, id);
  if (!st.step()) throw CliError("device record " + std::to_string(id) + " is missing");
  return rows::device(st);
}

std::vector<DeviceRow> Model::findDevices(const ArrayRow& array, const std::string& list) {
  std::vector<DeviceRow> out;
  for (const std::string& item : split(list, ',')) {
    std::string piece = trim(item);
    size_t colon = piece.find(':');
    if (colon == std::string::npos) {
      out.push_back(findDevice(array, piece));
      continue;
    }
    uint64_t from = 0, to = 0;
    if (!parseHex(piece.substr(0, colon), &from) || !parseHex(piece.substr(colon + 1), &to) ||
        to < from)
      throw CliError("Invalid device range: " + piece);
    if (to - from >= 4096) throw CliError("Device range too long: " + piece);
    for (uint64_t n = from; n <= to; ++n) out.push_back(findDevice(array, deviceName(n)));
  }
  if (out.empty()) throw CliError("No device was given");
  return out;
}

std::vector<PortRow> Model::ports(int64_t arrayId) {
  std::vector<PortRow> out;
  Statement st(db_, "SELECT id, director, port, wwn FROM ports WHERE array_id = ? ORDER BY id");
  st.bind(1, arrayId);
  while (st.step()) out.push_back({st.integer(0), st.text(1), st.integer(2), st.text(3)});
  return out;
}

PortRow Model::findPort(const ArrayRow& array, const std::string& director,
                        const std::string& port) {
  std::string key = directorKey(director);
  uint64_t p = 0;
  if (key.empty()) throw CliError("Invalid director: " + director);
  if (!parseUnsigned(port, &p)) throw CliError("Invalid port: " + port);
  Statement st(
      db_,
      "SELECT id, director, port, wwn FROM ports WHERE array_id = ? AND director = ? AND port = ?");
  st.bind(1, array.id).bind(2, key).bind(3, static_cast<int64_t>(p));
  if (!st.step())
    throw CliError("Director port " + directorDisplay(key) + ":" + port +
                   " does not exist on Symmetrix " + array.symid);
  return {st.integer(0), st.text(1), st.integer(2), st.text(3)};
}

std::vector<PortRow> Model::devicePorts(int64_t deviceId) {
  std::vector<PortRow> out;
  Statement st(db_,
               "SELECT p.id, p.director, p.port, p.wwn FROM device_ports dp JOIN ports p ON p.id = "
               "dp.port_id "
               "WHERE dp.device_id = ? ORDER BY p.id");
  st.bind(1, deviceId);
  while (st.step()) out.push_back({st.integer(0), st.text(1), st.integer(2), st.text(3)});
  return out;
}

std::vector<CopyRow> Model::pairsOf(int64_t deviceId) {
  std::vector<CopyRow> out;
  Statement st(db_,
               "SELECT id, std_id, bcv_id, state, last_action, started, queries FROM pairs "
               "WHERE std_id = ?1 OR bcv_id = ?1 ORDER BY id");
  st.bind(1, deviceId);
  while (st.step()) out.push_back(rows::copy(st, "pair"));
  return out;
}

bool Model::pairOfBcv(int64_t bcvId, CopyRow* row) {
  Statement st(db_,
               "SELECT id, std_id, bcv_id, state, last_action, started, queries FROM pairs WHERE "
               "bcv_id = ?");
  st.bind(1, bcvId);
  if (!st.step()) return false;
  *row = rows::copy(st, "pair");
  return true;
}

std::vector<CopyRow> Model::sessionsOf(const std::string& kind, int64_t deviceId) {
  std::vector<CopyRow> out;
  Statement st(db_,
               "SELECT id, src_id, tgt_id, state, last_action, started, queries FROM sessions "
               "WHERE kind = ?1 AND (src_id = ?2 OR tgt_id = ?2) ORDER BY id");
  st.bind(1, kind).bind(2, deviceId);
  while (st.step()) out.push_back(rows::copy(st, kind));
  return out;
}

bool Model::session(const std::string& kind, int64_t srcId, int64_t tgtId, CopyRow* row) {
  Statement st(db_,
               "SELECT id, src_id, tgt_id, state, last_action, started, queries FROM sessions "
               "WHERE kind = ? AND src_id = ? AND tgt_id = ?");
  st.bind(1, kind).bind(2, srcId).bind(3, tgtId);
  if (!st.step()) return false;
  *row = rows::copy(st, kind);
  return true;
}

CopyView Model::observe(CopyRow& row, int64_t megabytes, bool query) {
  if (!isTransient(row.state)) return {row.state, 1.0};
  bool split = row.state == "SplitInProg";
  double fraction;
  bool count = false;
  if (rules_.timeMode) {
    double duration =
        split ? rules_.splitSeconds
              : static_cast<double>(megabytes) / (rules_.copyRateMb > 0 ? rules_.copyRateMb : 1);
    fraction = duration <= 0 ? 1.0 : (now_ - row.started) / duration;
  } else {
    int64_t limit = split ? rules_.splitQueries : rules_.copyQueries;
    if (row.queries >= limit) {
      fraction = 1.0;
    } else {
      count = query && counted_.insert({row.kind, row.id}).second;
      fraction =
          static_cast<double>(row.queries + (count ? 1 : 0)) / static_cast<double>(limit + 1);
    }
  }
  if (fraction >= 1.0) {
    row.state = finalState(row.state);
    std::string sql = std::string("UPDATE ") + tableOf(row) + " SET state = ? WHERE id = ?";
    Statement st(db_, sql.c_str());
    st.bind(1, row.state).bind(2, row.id).run();
    return {row.state, 1.0};
  }
  if (count) {
    ++row.queries;
    std::string sql = std::string("UPDATE ") + tableOf(row) + " SET queries = ? WHERE id = ?";
    Statement st(db_, sql.c_str());
    st.bind(1, row.queries).bind(2, row.id).run();
  }
  return {row.state, fraction < 0 ? 0.0 : fraction};
}

void Model::setState(CopyRow& row, const std::string& state, const std::string& lastAction) {
  row.state = state;
  row.lastAction = lastAction;
  row.started = now_;
  row.queries = 0;
  std::string sql = std::string("UPDATE ") + tableOf(row) +
                    " SET state = ?, last_action = ?, started = ?, queries = 0 WHERE id = ?";
  Statement st(db_, sql.c_str());
  st.bind(1, state).bind(2, lastAction).bind(3, now_).bind(4, row.id).run();
}

void Model::removeCopy(const CopyRow& row) {
  std::string sql = std::string("DELETE FROM ") + tableOf(row) + " WHERE id = ?";
  Statement st(db_, sql.c_str());
  st.bind(1, row.id).run();
}

CopyRow Model::createCopy(const std::string& kind, int64_t first, int64_t second,
                          const std::string& state, const std::string& lastAction) {
  if (kind == "pair") {
    Statement st(
        db_,
        "INSERT INTO pairs(std_id, bcv_id, state, last_action, started) VALUES(?, ?, ?, ?, ?)");
    st.bind(1, first).bind(2, second).bind(3, state).bind(4, lastAction).bind(5, now_).run();
  } else {
    Statement st(db_,
                 "INSERT INTO sessions(kind, src_id, tgt_id, state, last_action, started) "
                 "VALUES(?, ?, ?, ?, ?, ?)");
    st.bind(1, kind)
        .bind(2, first)
        .bind(3, second)
        .bind(4, state)
        .bind(5, lastAction)
        .bind(6, now_)
        .run();
  }
  CopyRow row;
  row.id = db_.lastInsertId();
  row.kind = kind;
  row.first = first;
  row.second = second;
  row.state = state;
  row.lastAction = lastAction;
  row.started = now_;
  return row;
}

std::vector<HostRow> Model::hosts() {
  std::vector<HostRow> out;
  std::vector<int64_t> ids;
  {
    Statement st(db_, "SELECT id FROM hosts ORDER BY id");
    while (st.step()) ids.push_back(st.integer(0));
  }
  for (int64_t id : ids) out.push_back(hostById(id));
  return out;
}

HostRow Model::hostById(int64_t id) {
  auto it = hostCache_.find(id);
  if (it != hostCache_.end()) return it->second;
  Statement st(db_, "SELECT id, name, address, local FROM hosts WHERE id = ?");
  st.bind(1, id);
  if (!st.step()) throw CliError("host record " + std::to_string(id) + " is missing");
  HostRow h;
  h.id = st.integer(0);
  h.name = st.text(1);
  h.address = st.text(2);
  h.local = st.integer(3) != 0;
  if (h.local) {
    if (h.name.empty()) h.name = getSetting(db_, setting::kLocalName, "");
    if (h.name.empty()) h.name = machineHostName();
    if (h.address.empty()) h.address = getSetting(db_, setting::kLocalAddress, "");
    if (h.address.empty()) h.address = resolveAddress(h.name);
  }
  hostCache_[id] = h;
  return h;
}

HostRow Model::localHost() {
  int64_t id = db_.scalar("SELECT id FROM hosts WHERE local = 1 ORDER BY id LIMIT 1", 0);
  if (id == 0) throw CliError("The local host has no host bus adapters known to the arrays");
  return hostById(id);
}

std::vector<HbaRow> Model::hbas(int64_t hostId) {
  std::vector<HbaRow> out;
  Statement st(db_, "SELECT id, host_id, wwn, port_name FROM hbas WHERE host_id = ? ORDER BY id");
  st.bind(1, hostId);
  while (st.step()) out.push_back({st.integer(0), st.integer(1), st.text(2), st.text(3, "")});
  for (HbaRow& h : out)
    if (h.portName.empty()) h.portName = h.wwn;
  return out;
}

bool Model::hbaByWwn(const std::string& wwn, HbaRow* row) {
  Statement st(db_, "SELECT id, host_id, wwn, port_name FROM hbas WHERE wwn = ?");
  st.bind(1, wwn);
  if (!st.step()) return false;
  *row = {st.integer(0), st.integer(1), st.text(2), st.text(3, "")};
  if (row->portName.empty()) row->portName = row->wwn;
  return true;
}

std::string Model::registeredName(const HostRow& host) {
  if (host.name.size() <= 16) return host.name;
  std::string alias = longHostAlias(host.address);
  return alias.empty() ? host.name.substr(0, 16) : alias;
}

void Model::alias(int64_t arrayId, const std::string& wwn, std::string* node, std::string* port) {
  Statement st(db_, "SELECT node, port FROM aliases WHERE array_id = ? AND wwn = ?");
  st.bind(1, arrayId).bind(2, wwn);
  if (!st.step()) {
    *node = "NULL";
    *port = "NULL";
    return;
  }
  *node = st.text(0);
  *port = st.text(1);
  HbaRow hba;
  bool known = hbaByWwn(wwn, &hba);
  if (node->empty()) *node = known ? registeredName(hostById(hba.hostId)) : wwn;
  if (port->empty()) *port = known ? hba.portName : wwn;
}

bool Model::locked(int64_t arrayId) {
  Statement st(db_, "SELECT 1 FROM locks WHERE array_id = ?");
  st.bind(1, arrayId);
  return st.step();
}

std::string longHostAlias(const std::string& address) {
  size_t dot = address.find('.');
  if (dot == std::string::npos) return "";
  std::string rest = address.substr(dot + 1);
  size_t second = rest.find('.');
  size_t secondLength = second == std::string::npos ? rest.size() : second;
  if (secondLength == 3) rest = rest.substr(1);
  return "HOST." + rest;
}

}  // namespace symsim
