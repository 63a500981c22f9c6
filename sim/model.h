// Read and write access to the simulated arrays: lookups that fail with the
// messages a user sees, and the progress of copies and splits.
#ifndef SYMSIM_MODEL_H
#define SYMSIM_MODEL_H

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "database.h"

namespace symsim {

struct ArrayRow {
  int64_t id = 0;
  std::string symid;
  bool local = true;
  std::string model;
  std::string microcode;
  int64_t cacheMb = 0;
  bool discovered = true;
};

struct DeviceRow {
  int64_t id = 0;
  int64_t arrayId = 0;
  std::string name;
  std::string type;  // std, bcv, clone, vdev
  int64_t megabytes = 0;
  std::string pdName;  // empty: derived from visibility
  std::string ldName;
  std::string dgroup;
  std::string status;
  std::string attachedBcv;
};

struct PortRow {
  int64_t id = 0;
  std::string director;  // key form, "4A"
  int64_t port = 0;
  std::string wwn;
};

// A BCV pair or a clone/snap session; for pairs `first` is the standard
// device and `second` the BCV, for sessions source and target.
struct CopyRow {
  int64_t id = 0;
  std::string kind;  // "pair", "clone" or "snap"
  int64_t first = 0;
  int64_t second = 0;
  std::string state;
  std::string lastAction;
  double started = 0;
  int64_t queries = 0;
};

// What a report of a pair or session shows.
struct CopyView {
  std::string state;
  double fraction = 1.0;  // copied part of an in-progress copy, 1 when none
};

struct HostRow {
  int64_t id = 0;
  std::string name;     // resolved for the local host
  std::string address;  // resolved for the local host
  bool local = false;
};

struct HbaRow {
  int64_t id = 0;
  int64_t hostId = 0;
  std::string wwn;
  std::string portName;  // awwn port name; the WWN when none was given
};

struct DiskRow {
  std::string ident;
  int64_t megabytes = 0;
  int64_t availMb = 0;
};

struct LockRow {
  std::string symid;
  int64_t number = 0;
  std::string holder;
};

// A login of an HBA through a director port of an array.
struct LoginRow {
  std::string symid;
  int64_t hostId = 0;
  std::string wwn;
  std::string director;  // key form
  int64_t port = 0;
  bool loggedIn = false;
  bool onFabric = false;
};

// A record of an array's masking database: an HBA (its WWN) through a
// director port. Id 0: a registered login without a record of its own.
struct MaskRecordRow {
  int64_t id = 0;
  std::string director;  // key form
  int64_t port = 0;
  std::string wwn;
};

// A device of a masking record, with its state since the last refresh.
struct MaskedDevice {
  std::string name;
  int64_t megabytes = 0;
  int64_t pending = 0;  // kApplied, kAdded or kRemoved
};

// A front-end port of a device, with the LUN it has there.
struct DevicePortRow {
  int64_t deviceId = 0;
  std::string director;  // key form
  int64_t port = 0;
  int64_t lun = 0;
};

// The devices a query covers: one device, or with deviceId 0 every device
// of the array.
struct DeviceScope {
  int64_t arrayId = 0;
  int64_t deviceId = 0;
};

// Which devices a listing shows.
struct DeviceFilter {
  bool noBcv = false;    // BCVs left out
  bool onlyBcv = false;  // only BCVs
  bool fibre = false;    // only devices mapped to a front-end port
};

// Progress rules read from the settings once per run.
struct ProgressRules {
  bool timeMode = false;
  int64_t copyQueries = 2;
  int64_t splitQueries = 1;
  double copyRateMb = 200;
  double splitSeconds = 1;
};

class Model {
 public:
  explicit Model(Database& db);

  Database& db() { return db_; }
  // Seconds since the epoch, moved by the clock_offset setting.
  double now() const { return now_; }
  const ProgressRules& rules() const { return rules_; }
  // A setting's value; `fallback` when it was never set.
  std::string setting(const std::string& key, const std::string& fallback);

  // An array by full Symmetrix ID or by a unique ending of it.
  ArrayRow findArray(const std::string& sid);
  std::vector<ArrayRow> arrays();
  ArrayRow arrayById(int64_t id);

  DeviceRow findDevice(const ArrayRow& array, const std::string& name);
  DeviceRow deviceById(int64_t id);
  // Devices of a list such as "0ABC", "0ABC,0ABD" or "0ABC:0ABF".
  std::vector<DeviceRow> findDevices(const ArrayRow& array, const std::string& list);

  std::vector<PortRow> ports(int64_t arrayId);
  // The port "director/port" of an array; throws when the array has none.
  PortRow findPort(const ArrayRow& array, const std::string& director, const std::string& port);
  std::vector<PortRow> devicePorts(int64_t deviceId);

  // Pairs of a standard device or of a BCV, and sessions of a device as
  // source or target.
  std::vector<CopyRow> pairsOf(int64_t deviceId);
  bool pairOfBcv(int64_t bcvId, CopyRow* row);
  std::vector<CopyRow> sessionsOf(const std::string& kind, int64_t deviceId);
  bool session(const std::string& kind, int64_t srcId, int64_t tgtId, CopyRow* row);

  // The state a report shows; settles finished copies in the database and,
  // when `query` is set, counts the report (once per run and copy).
  CopyView observe(CopyRow& row, int64_t megabytes, bool query);
  // Writes a new state, restarting its progress.
  void setState(CopyRow& row, const std::string& state, const std::string& lastAction);
  void removeCopy(const CopyRow& row);
  // Creates a pair or a session in `state`.
  CopyRow createCopy(const std::string& kind, int64_t first, int64_t second,
                     const std::string& state, const std::string& lastAction);

  std::vector<HostRow> hosts();
  HostRow hostById(int64_t id);
  HostRow localHost();
  std::vector<HbaRow> hbas(int64_t hostId);
  bool hbaByWwn(const std::string& wwn, HbaRow* row);

  // The name an array registers for a host: the host name, or for names
  // longer than 16 characters "HOST." and a part of its address.
  std::string registeredName(const HostRow& host);
  // The alias (node and port name) of an HBA in an array's masking
  // database; node "NULL" when the HBA is not registered there.
  void alias(int64_t arrayId, const std::string& wwn, std::string* node, std::string* port);

  // Whether a lock is held on the array (a held symcfg lock blocks commands).
  bool locked(int64_t arrayId);

  // --- Inventory (model_inventory.cpp) ---------------------------------------
  // The array's devices in name order.
  std::vector<DeviceRow> devices(int64_t arrayId, const DeviceFilter& filter = DeviceFilter());
  int64_t deviceCount(int64_t arrayId);
  void setDeviceStatus(int64_t deviceId, const std::string& status);
  std::vector<DiskRow> disks(int64_t arrayId);
  // symcfg discover: the array (every array with 0) is listed again.
  void markDiscovered(int64_t arrayId);
  // The locks held on the array, by number; with 0 on every array.
  std::vector<LockRow> locks(int64_t arrayId);
  void holdLock(int64_t arrayId, int64_t number, const std::string& holder);
  // False when the lock was not held.
  bool releaseLock(int64_t arrayId, int64_t number);
  // What the device reports of `scope` show: ports, pairs, sessions and
  // the devices the local host sees (masked to one of its HBAs, as the
  // last refresh applied it).
  std::vector<DevicePortRow> devicePortsIn(const DeviceScope& scope);
  std::vector<CopyRow> pairsIn(const DeviceScope& scope);
  std::vector<CopyRow> sessionsIn(const DeviceScope& scope);
  std::set<int64_t> locallyVisibleIn(const DeviceScope& scope);
  // The pairs whose standard device, and the sessions whose source, is on
  // the array (sessions by kind).
  std::vector<CopyRow> pairsOfArray(int64_t arrayId);
  std::vector<CopyRow> sessionsOfArray(int64_t arrayId);

  // --- Hosts, logins and masking (model_masking.cpp) ---------------------------
  // Logins of the array by host (then HBA, port), and by port (then HBA).
  std::vector<LoginRow> loginsByHost(int64_t arrayId);
  std::vector<LoginRow> loginsByPort(int64_t arrayId);
  // The logins of one HBA on every array, by array and port.
  std::vector<LoginRow> loginsOfHba(int64_t hbaId);
  bool logsIn(int64_t hbaId, int64_t arrayId);
  // Whether the array's masking database has a name for the WWN.
  bool hasAlias(int64_t arrayId, const std::string& wwn);
  // Registers the HBA under its host's name; `rename` also replaces a name
  // given before.
  void registerAlias(int64_t arrayId, const std::string& wwn, bool rename);
  // The WWNs the array has names for, in order.
  std::vector<std::string> aliasWwns(int64_t arrayId);

  // States of a masked device since the last refresh.
  static const int64_t kApplied = 0;
  static const int64_t kAdded = 1;
  static const int64_t kRemoved = 2;
  static const int64_t kNotMasked = -1;
  // The record of the WWN through the port: its id, 0 when there is none
  // and `create` is false.
  int64_t maskRecord(int64_t portId, const std::string& wwn, bool create);
  // The device's state in the record, kNotMasked when it has none.
  int64_t maskState(int64_t recordId, int64_t deviceId);
  // Sets it (kNotMasked removes the device from the record).
  void setMaskState(int64_t recordId, int64_t deviceId, int64_t state);
  // symmask refresh: the array applies what was added and removed.
  void applyMasking(int64_t arrayId);
  // The records of the array by port and WWN; with `withLogins` also the
  // registered logins that have no record (id 0).
  std::vector<MaskRecordRow> maskRecords(int64_t arrayId, bool withLogins);
  // The devices of a record in name order, those removed since the last
  // refresh included only with `withRemoved`.
  std::vector<MaskedDevice> maskedDevices(int64_t recordId, bool withRemoved);
  // The records (as applied or added) that grant the device.
  std::vector<MaskRecordRow> assignmentsOf(int64_t deviceId);
  // The distinct devices granted to the WWN on the array.
  std::vector<MaskedDevice> devicesMaskedTo(int64_t arrayId, const std::string& wwn);

 private:
  Database& db_;
  double now_;
  ProgressRules rules_;
  std::set<std::pair<std::string, int64_t>> counted_;
  std::map<int64_t, HostRow> hostCache_;
};

// States that move on by themselves, and the state each ends in.
bool isTransient(const std::string& state);
std::string finalState(const std::string& state);
// Whether a BCV in this pair state is joined to its standard device (and so
// not ready to a host).
bool bcvAttached(const std::string& state);

// "HOST." followed by the address from the character after its first dot,
// skipping one more character when the second number has three digits.
std::string longHostAlias(const std::string& address);

// The machine's host name and the IPv4 address getaddrinfo gives for it.
std::string machineHostName();
std::string resolveAddress(const std::string& host);

}  // namespace symsim

#endif  // SYMSIM_MODEL_H
