// ModelBuilder: fills an empty model, row by row, for "symsim init". It
// checks nothing: the scenario loader has checked every value first.
#ifndef SYMSIM_MODEL_BUILD_H
#define SYMSIM_MODEL_BUILD_H

#include <cstdint>
#include <memory>
#include <string>

#include "database.h"
#include "model.h"

namespace symsim {

class ModelBuilder {
 public:
  explicit ModelBuilder(Database& db);
  ~ModelBuilder();
  ModelBuilder(const ModelBuilder&) = delete;
  ModelBuilder& operator=(const ModelBuilder&) = delete;

  // Empties the database: the tables afresh and every setting at its default.
  void reset();
  void setSetting(const std::string& key, const std::string& value);

  // Each add returns the new row's id where later rows refer to it. Empty
  // texts are stored as absent (the model then derives the value).
  int64_t addHost(const std::string& name, const std::string& address, bool local);
  void addHba(int64_t hostId, const std::string& wwn, const std::string& portName);
  int64_t addArray(const ArrayRow& array);
  int64_t addPort(int64_t arrayId, const std::string& director, int64_t port,
                  const std::string& wwn);
  void addDisk(int64_t arrayId, const std::string& ident, int64_t megabytes, int64_t availMb);
  int64_t diskCount(int64_t arrayId);
  int64_t addDevice(const DeviceRow& device);
  void mapDevice(int64_t deviceId, int64_t portId, int64_t lun);
  // Names the BCV attached to a device, unless it names one already.
  void attachBcv(int64_t deviceId, const std::string& bcvName);
  void addPair(int64_t stdId, int64_t bcvId, const std::string& state,
               const std::string& lastAction);
  void addSession(const std::string& kind, int64_t srcId, int64_t tgtId, const std::string& state);
  // The HBA of the WWN; 0 when none is declared.
  int64_t hbaId(const std::string& wwn);
  void addLogin(int64_t portId, int64_t hbaId, bool loggedIn, bool onFabric);
  // Registers the WWN under its host's names, unless the array has a name for it.
  void registerAlias(int64_t arrayId, const std::string& wwn);
  void setAlias(int64_t arrayId, const std::string& wwn, const std::string& node,
                const std::string& port);
  // The masking record of the WWN through the port, made when missing.
  int64_t maskRecord(int64_t portId, const std::string& wwn);
  bool deviceOnPort(int64_t deviceId, int64_t portId);
  // Grants the device through the record, as applied by a refresh.
  void maskDevice(int64_t recordId, int64_t deviceId);
  void holdLock(int64_t arrayId, int64_t number, const std::string& holder);
  int64_t arrayCount();

 private:
  Database& db_;
  // Prepared once: a scenario may declare tens of thousands of devices.
  std::unique_ptr<Statement> addDevice_;
  std::unique_ptr<Statement> mapDevice_;
};

}  // namespace symsim

#endif  // SYMSIM_MODEL_BUILD_H
