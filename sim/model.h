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
