// CFiPblmOps: the LUN numbers in use on each enclosure (array), so that a
// provider presenting devices to a host can propose a free number for a
// new device.
//
// The persistent state is a cache of small files, one per device, under
// <cache>luns/<enclosure id>/: the first line of a file is the device's
// LUN number in decimal. In memory each enclosure has a map of 255
// positions (0 to 254, set = in use), rebuilt from the files on demand and
// never written back. Only the first enclosure asked for while no map
// exists is loaded from its directory; a map made later for another
// enclosure starts with only the numbers below the minimum in use.
//
// Paths and enclosure ids are C texts; null and empty both count as
// missing. An enclosure id that holds "/" or is "." or ".." names no
// cache directory: its directory is never scanned.
//
// No locking: one object serves one caller at a time.
#ifndef QLB_PDK_CFIPBLM_H
#define QLB_PDK_CFIPBLM_H

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cfiexport.h"
#include "cfitraceable.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiPblmOps : public virtual CFiTraceable {
 public:
  // Status values.
  enum {
    FI_PBLM_SUCCESS = 0,
    FI_PBLM_SCAN_FAILED = 1,  // the enclosure directory cannot be scanned
    FI_PBLM_INVALID_ARG = 3,  // missing key, enclosure or value, invalid number
    FI_PBLM_NO_MEMORY = 5,
    FI_PBLM_FILE_ERROR = 26  // a cache file cannot be opened, read or written
  };
  // Positions of an enclosure map: LUN numbers 0 to 254.
  static const unsigned LUN_POSITIONS = 255;

  CFiPblmOps();
  virtual ~CFiPblmOps();
  CFiPblmOps(const CFiPblmOps&) = delete;
  CFiPblmOps& operator=(const CFiPblmOps&) = delete;

  // The numbers that may be handed out, [min, max]; a max above 254 is
  // bounded to 254. Maps made afterwards have the positions below min set
  // (all of them for a min above 254); a min above max leaves no number
  // free. Returns 0.
  int setLunNumRange(uint32_t min, uint32_t max);

  // Writes values[0] as the record at path (created or truncated), then
  // marks its number in the enclosure's map when that lies within the
  // range. 0; 3 for a missing path or value (nothing written) or a missing
  // enclosure id (the record is written, no map touched); 26 when the file
  // cannot be written.
  int setKeyValue(const char* path, const std::vector<std::string>& values,
                  const char* enclosureId);
  // Writes the decimal lun as above and, when that succeeds, removes the
  // device's device-keyed record (CFiConfigurationPathTool::getDevKey).
  int setKeyValue(const char* path, const tstring& deviceName, const char* enclosureId, int lun);

  // Appends the first line of the record at path (without its line end) to
  // values. 0, also when there is no record (values untouched); 3 for a
  // missing path; 26 when the record cannot be read.
  int getKeyValue(const char* path, std::vector<std::string>& values);
  // The record's number, or -1 when there is none or it is no number from
  // 0 to 255. Returns the status of the form above.
  int getKeyValue(const char* path, int& lun);

  // Appends every free number of the enclosure's range as decimal text,
  // ascending. Proposing a number does not reserve it; setKeyValue does.
  // Always true; values gets nothing when no number is free or the
  // enclosure has no map (missing or unusable id, unreadable first cache
  // directory).
  bool getNewValue(const char* enclosureId, std::vector<std::string>& values);
  // The same as numbers; numbers is emptied first. False when it stays empty.
  bool getNewValue(const char* enclosureId, std::vector<int>& numbers);

  // Deletes the record at path; a record under a "/luns/" directory frees
  // its number in the map whose enclosure id the path holds. 0 (also when
  // there is no such file or it cannot be deleted); 3 for a missing path.
  int rmCacheRecord(const char* path);
  // Deletes every record of the enclosure's directory holding lun, with the
  // device-keyed records of those devices. 0; 3 for a missing enclosure id
  // or a lun outside the range; 1 when the directory cannot be scanned.
  int rmLunCacheRecord(const char* enclosureId, uint32_t lun);

 private:
  // The map of one enclosure; the maps form a list, newest first, each
  // owning the rest of the list.
  struct lunNum {
    std::unique_ptr<lunNum> next;
    std::bitset<LUN_POSITIONS> used;
    std::string enclosureId;
  };

  // refreshCache and scanCache without a lun: fill the maps.
  static const int kNoLun = -1;

  uint32_t getMinLunNum() const { return m_minLunNum; }
  uint32_t getMaxLunNum() const { return m_maxLunNum; }
  bool inRange(long number) const;

  // A new map (positions below the minimum set) linked in front of the
  // list and made its head; `out` points to it. 0, or 5 when it cannot be
  // allocated (the list unchanged).
  int allocLunNumEle(lunNum*& out);
  // allocLunNumEle for `enclosureId`; null when no memory was left.
  lunNum* addEnclMap(const char* enclosureId);
  // Appends the record's first line to values. 0 or 26.
  int getCacheRecord(const char* path, std::vector<std::string>& values);
  // Marks the number of the record at path in the enclosure's map (made
  // when missing; the id compared exactly).
  void fillBitMap(const char* enclosureId, const std::string& path);
  // For every entry of the directory: fillBitMap without a lun,
  // rmLunPathRecord with one. False when the directory cannot be read.
  bool scanCache(const char* enclosureId, const tstring& directory, int lun);
  // scanCache of <cache>luns/<enclosureId>/.
  bool refreshCache(const char* enclosureId, int lun = kNoLun);
  // The enclosure's map (the id compared without regard to case), loaded
  // from disk when no map exists yet, else made empty. False when it cannot
  // be had.
  bool getEnclMap(const char* enclosureId, lunNum*& out);
  // Appends the free numbers of the enclosure; false when none.
  bool getNewLunNum(const char* enclosureId, std::vector<std::string>& values);
  // Frees lun in the first map whose enclosure id the path holds.
  void resetLunNum(const char* path, uint32_t lun);
  // Removes the record at path, and the device-keyed record of name, when
  // the record holds lun. Returns the first failing status, else 0.
  int rmLunPathRecord(const char* enclosureId, const std::string& name, const std::string& path,
                      uint32_t lun);

  uint32_t m_minLunNum;
  uint32_t m_maxLunNum;
  std::unique_ptr<lunNum> m_lunMaps;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIPBLM_H
