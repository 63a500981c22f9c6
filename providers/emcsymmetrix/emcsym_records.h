// Records of SYMCLI output, filled by the output handlers (emcsym_handlers)
// and passed around the provider. All texts are narrow (UTF-8) strings as
// the tools printed them, empty until set; lists keep output order.
#ifndef EMCSYM_RECORDS_H
#define EMCSYM_RECORDS_H

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "cfitracelog.h"
#include "emcsym_recordpool.h"

// One array of `symcfg list`.
struct SEmcSymArrayInfo {
  bool local = true;
  std::string symid;
  std::string model;
  std::string microcodeVersion;
  // Available and total storage in bytes; provider start-up fills them,
  // the list handler leaves them at zero.
  uint64_t availableStorage = 0;
  uint64_t totalStorage = 0;
};

// One TimeFinder/Mirror pair: a standard device and its BCV.
struct SEmcSymPairInfo {
  std::string pairState;
  std::string lastAction;
  std::string stateFlags;
  std::string stdDevName;
  std::string stdDevGroup;
  std::string stdDevStatus;
  std::string stdDevInvalids;  // invalid tracks
  std::string bcvDevName;
  std::string bcvDevGroup;
  std::string bcvDevStatus;
  std::string bcvDevInvalids;  // invalid tracks
  std::string symid;           // array id
};

// One clone or snap session.
struct SEmcSymSessionInfo {
  std::string state;
  std::string lastAction;
  std::string stateFlags;
  std::string percentCopied;
  std::string srcDevName;
  std::string tgtDevName;
};

// One device of `symdev show` / `symdev list`.
struct SEmcSymDevInfo {
  std::string symid;
  std::string pdName;  // physical device name
  std::string ldName;  // logical device name
  std::string devName;
  std::string devGroup;
  std::string status;
  std::string attachedBcv;
  std::vector<SEmcSymPairInfo> pairs;
  uint32_t capacityMegabytes = 0;
  // Device mark and a free text; the device handler never sets them.
  bool deviceMark = false;
  std::string note;
  // Normalised director (e.g. "04A") -> ports of the device on it.
  std::map<std::string, std::vector<std::string> > ports;
  std::vector<SEmcSymSessionInfo> clones;
  std::vector<SEmcSymSessionInfo> snaps;
};

// The devices of one listing, in output order. Records are built in place
// and never move; their memory comes from the list's own pool.
typedef std::deque<SEmcSymDevInfo, CEmcSymPoolAllocator<SEmcSymDevInfo> > EmcSymDevList;

// One disk of `symdisk list`; the numbers as printed.
struct SEmcSymDiskInfo {
  std::string ident;
  std::string megabytes;
  std::string availMegabytes;
};

// One host bus adapter of the masking HBA discovery.
struct SEmcSymHbaInfo {
  std::string symid;
  std::string wwn;
  std::string hostNodeName;  // awwn node name
  std::string hostPortName;  // awwn port name
};

// One assignment of a device in the masking database.
struct SEmcSymAssignment {
  std::string symid;
  std::string devNumber;
  std::string portWwn;
  std::string director;
  std::string port;
};

struct SEmcSymDirectorPort {
  std::string director;
  std::string port;
};

// One login of a host HBA at the array.
struct SEmcSymMaskHbaInfo {
  std::string originatorPortWwn;
  std::string awwnPortName;
  std::string type;
  bool loggedIn = false;
  bool onFabric = false;
  // The director ports through which the HBA is seen.
  std::vector<SEmcSymDirectorPort> directorPorts;
};

// One host of the array's login history.
struct SEmcSymMaskHostInfo {
  std::string symid;
  std::string hostNodeName;
  // Originator port WWN -> login.
  std::map<std::string, SEmcSymMaskHbaInfo> logins;

  // Traces the host, its logins and their director ports to `traceLog`
  // (nothing when it is null).
  void print(const quelb_pdk_4_4::CFiTraceLogPtr& traceLog) const;
  // True when the login stored under `wwn` (exact key) is seen on the
  // director port (director, port), both compared case-insensitively. The
  // lookup and each comparison are traced to `traceLog`, when given.
  bool findEntry(
      const std::string& wwn, const std::string& director, const std::string& port,
      const quelb_pdk_4_4::CFiTraceLogPtr& traceLog = quelb_pdk_4_4::CFiTraceLogPtr()) const;
};

#endif  // EMCSYM_RECORDS_H
