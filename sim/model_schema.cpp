#include "model_schema.h"

namespace symsim {

const std::vector<SettingInfo>& allSettings() {
  static const std::vector<SettingInfo> settings = {
      {setting::kVersion, "V7.0.0.0", "version text printed by symcli"},
      {setting::kProgress, "queries", "how copies progress: \"queries\" or \"time\""},
      {setting::kCopyQueries, "2", "queries that report a copy in progress before it is done"},
      {setting::kSplitQueries, "1", "queries that report a split in progress before it is done"},
      {setting::kCopyRate, "200", "copy rate in megabytes per second (time mode)"},
      {setting::kSplitSeconds, "1", "seconds a split takes (time mode)"},
      {setting::kClockOffset, "0", "seconds added to the real clock"},
      {setting::kLocalName, "", "name of the local host (empty: the machine's host name)"},
      {setting::kLocalAddress, "", "address of the local host (empty: resolved from its name)"},
  };
  return settings;
}

const SettingInfo* findSetting(const std::string& key) {
  for (const SettingInfo& s : allSettings())
    if (key == s.key) return &s;
  return nullptr;
}

void createSchema(Database& db) {
  db.exec(R"SQL(
DROP TABLE IF EXISTS settings; DROP TABLE IF EXISTS arrays; DROP TABLE IF EXISTS ports;
DROP TABLE IF EXISTS disks; DROP TABLE IF EXISTS devices; DROP TABLE IF EXISTS device_ports;
DROP TABLE IF EXISTS pairs; DROP TABLE IF EXISTS sessions; DROP TABLE IF EXISTS hosts;
DROP TABLE IF EXISTS hbas; DROP TABLE IF EXISTS logins; DROP TABLE IF EXISTS aliases;
DROP TABLE IF EXISTS maskdb; DROP TABLE IF EXISTS mask_devs; DROP TABLE IF EXISTS locks;
DROP TABLE IF EXISTS faults; DROP TABLE IF EXISTS runs;

CREATE TABLE settings(key TEXT PRIMARY KEY, value TEXT NOT NULL);

-- discovered: listed by symcfg list (symcfg discover sets it for all).
-- refreshed: time of the last symmask refresh.
CREATE TABLE arrays(id INTEGER PRIMARY KEY, symid TEXT NOT NULL UNIQUE, local INTEGER NOT NULL,
  model TEXT NOT NULL, microcode TEXT NOT NULL, cache_mb INTEGER NOT NULL,
  discovered INTEGER NOT NULL DEFAULT 1, refreshed REAL);

-- Front-end director ports; director holds the key form ("4A").
CREATE TABLE ports(id INTEGER PRIMARY KEY, array_id INTEGER NOT NULL REFERENCES arrays(id),
  director TEXT NOT NULL, port INTEGER NOT NULL, wwn TEXT NOT NULL, UNIQUE(array_id, director, port));

CREATE TABLE disks(id INTEGER PRIMARY KEY, array_id INTEGER NOT NULL REFERENCES arrays(id),
  ident TEXT NOT NULL, megabytes INTEGER NOT NULL, avail_mb INTEGER NOT NULL, UNIQUE(array_id, ident));

-- type: std, bcv, clone (clone target) or vdev (snap device).
CREATE TABLE devices(id INTEGER PRIMARY KEY, array_id INTEGER NOT NULL REFERENCES arrays(id),
  name TEXT NOT NULL, type TEXT NOT NULL, megabytes INTEGER NOT NULL, pd_name TEXT, ld_name TEXT,
  dgroup TEXT, status TEXT NOT NULL DEFAULT 'Ready', attached_bcv TEXT, UNIQUE(array_id, name));

CREATE TABLE device_ports(device_id INTEGER NOT NULL, port_id INTEGER NOT NULL, lun INTEGER NOT NULL,
  PRIMARY KEY(device_id, port_id)) WITHOUT ROWID;

-- BCV pairs: a BCV belongs to at most one pair. started/queries drive progress.
CREATE TABLE pairs(id INTEGER PRIMARY KEY, std_id INTEGER NOT NULL, bcv_id INTEGER NOT NULL UNIQUE,
  state TEXT NOT NULL, last_action TEXT NOT NULL, started REAL NOT NULL, queries INTEGER NOT NULL DEFAULT 0);
CREATE INDEX pairs_std ON pairs(std_id);

-- Clone (kind 'clone') and snap (kind 'snap') sessions; one per target.
CREATE TABLE sessions(id INTEGER PRIMARY KEY, kind TEXT NOT NULL, src_id INTEGER NOT NULL,
  tgt_id INTEGER NOT NULL, state TEXT NOT NULL, last_action TEXT NOT NULL, started REAL NOT NULL,
  queries INTEGER NOT NULL DEFAULT 0, UNIQUE(kind, tgt_id));
CREATE INDEX sessions_src ON sessions(src_id);

-- Hosts; the local one has name and address NULL unless set (resolved at run time).
CREATE TABLE hosts(id INTEGER PRIMARY KEY, name TEXT, address TEXT, local INTEGER NOT NULL);
CREATE TABLE hbas(id INTEGER PRIMARY KEY, host_id INTEGER NOT NULL REFERENCES hosts(id),
  wwn TEXT NOT NULL UNIQUE, port_name TEXT);

-- Login history: which HBA logs in through which director port.
CREATE TABLE logins(port_id INTEGER NOT NULL, hba_id INTEGER NOT NULL, logged_in INTEGER NOT NULL,
  on_fabric INTEGER NOT NULL, PRIMARY KEY(port_id, hba_id)) WITHOUT ROWID;

-- Names under which an HBA is registered in an array's masking database.
-- NULL node/port: the owning host's registered name and the HBA's port name.
CREATE TABLE aliases(array_id INTEGER NOT NULL, wwn TEXT NOT NULL, node TEXT, port TEXT,
  PRIMARY KEY(array_id, wwn)) WITHOUT ROWID;

-- Masking database records (an HBA through a director port) and their devices.
-- pending: 0 applied, 1 added since the last refresh, 2 removed since then.
CREATE TABLE maskdb(id INTEGER PRIMARY KEY, port_id INTEGER NOT NULL, wwn TEXT NOT NULL, UNIQUE(port_id, wwn));
CREATE TABLE mask_devs(record_id INTEGER NOT NULL, device_id INTEGER NOT NULL, pending INTEGER NOT NULL,
  PRIMARY KEY(record_id, device_id)) WITHOUT ROWID;
CREATE INDEX mask_devs_dev ON mask_devs(device_id);

CREATE TABLE locks(array_id INTEGER NOT NULL, number INTEGER NOT NULL, holder TEXT NOT NULL,
  since REAL NOT NULL, PRIMARY KEY(array_id, number));

-- Faults: remaining -1 means every matching run; skip counts matching runs let through first.
CREATE TABLE faults(id INTEGER PRIMARY KEY, kind TEXT NOT NULL, tool TEXT, command TEXT, symid TEXT,
  remaining INTEGER NOT NULL, skip INTEGER NOT NULL DEFAULT 0, fired INTEGER NOT NULL DEFAULT 0,
  message TEXT, exit_status INTEGER, millis INTEGER, which INTEGER, midway INTEGER NOT NULL DEFAULT 0);

-- The command log: exit_status NULL means the run did not finish (killed or still running).
CREATE TABLE runs(id INTEGER PRIMARY KEY, pid INTEGER NOT NULL, tool TEXT NOT NULL, args TEXT NOT NULL,
  command TEXT, symid TEXT, pair_file TEXT, started REAL NOT NULL, duration_ms REAL, exit_status INTEGER,
  fault TEXT, message TEXT);
)SQL");
}

Totals totals(Database& db) {
  Totals t;
  t.arrays = db.scalar("SELECT count(*) FROM arrays", 0);
  t.devices = db.scalar("SELECT count(*) FROM devices", 0);
  t.hosts = db.scalar("SELECT count(*) FROM hosts", 0);
  return t;
}

void makeSelfContained(Database& db) {
  db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
  db.exec("PRAGMA journal_mode=DELETE");
}

std::string getSetting(Database& db, const std::string& key, const std::string& fallback) {
  Statement st(db, "SELECT value FROM settings WHERE key = ?");
  st.bind(1, key);
  if (st.step()) return st.text(0);
  return fallback;
}

void setSetting(Database& db, const std::string& key, const std::string& value) {
  Statement st(db,
               "INSERT INTO settings(key, value) VALUES(?, ?) ON CONFLICT(key) DO UPDATE SET value "
               "= excluded.value");
  st.bind(1, key).bind(2, value).run();
}

}  // namespace symsim
