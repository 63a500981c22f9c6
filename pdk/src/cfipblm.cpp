#include "cfipblm.h"

#include <ace/OS_NS_dirent.h>
#include <ace/OS_NS_unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "cficonfiguration.h"
#include "cfiplatform.h"
#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

namespace {

// Longest first line of a record that is read, terminator excluded.
const int kRecordLineBytes = 1024;

const char* shown(const char* text) { return text ? text : "NULL"; }

bool missing(const char* text) { return !text || !*text; }

// An enclosure id that names one directory under "luns/".
bool usableEnclosureId(const char* id) {
  return !missing(id) && std::strchr(id, '/') == nullptr &&
         std::strchr(id, static_cast<char>(FI_PATH_SEPARATOR)) == nullptr &&
         std::strcmp(id, ".") != 0 && std::strcmp(id, "..") != 0;
}

// The leading decimal number of a record, read as atoi does (white space,
// an optional sign, digits). False when the text starts with no number, so
// that such a record marks nothing.
bool readNumber(const std::string& text, long& number) {
  const char* begin = text.c_str();
  char* end = nullptr;
  long value = std::strtol(begin, &end, 10);
  if (end == begin) return false;
  number = value;
  return true;
}

}  // namespace

CFiPblmOps::CFiPblmOps() : m_minLunNum(0), m_maxLunNum(LUN_POSITIONS - 1) {}

// Unlinks the maps one by one, so that a long list is not freed by a chain
// of nested destructors.
CFiPblmOps::~CFiPblmOps() {
  while (m_lunMaps) m_lunMaps = std::move(m_lunMaps->next);
}

bool CFiPblmOps::inRange(long number) const {
  return number >= static_cast<long>(getMinLunNum()) && number <= static_cast<long>(getMaxLunNum());
}

int CFiPblmOps::setLunNumRange(uint32_t min, uint32_t max) {
  m_minLunNum = min;
  if (max < LUN_POSITIONS) {
    m_maxLunNum = max;
  } else {
    m_maxLunNum = LUN_POSITIONS - 1;
    trace(FI_TRACE_DEBUG, "CFiPblmOps::setLunNumRange: bounding to higher limit of [%d].",
          static_cast<int>(m_maxLunNum));
  }
  return FI_PBLM_SUCCESS;
}

// --- records ---------------------------------------------------------------

int CFiPblmOps::getCacheRecord(const char* path, std::vector<std::string>& values) {
  std::FILE* file = missing(path) ? nullptr : std::fopen(path, "r");
  if (!file) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::getCacheRecord ERROR: fopen failure file=[%s]\n",
          shown(path));
    return FI_PBLM_FILE_ERROR;
  }
  char line[kRecordLineBytes];
  if (!std::fgets(line, sizeof line, file)) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::getCacheRecord ERROR: fgets failure with file=[%s]\n", path);
    std::fclose(file);
    return FI_PBLM_FILE_ERROR;
  }
  std::fclose(file);
  std::string record(line);
  record.erase(record.find_last_not_of("\r\n") + 1);
  trace(FI_TRACE_DEBUG, "CFiPblmOps::getCacheRecord got Cache Record=[%s]\n", record.c_str());
  values.push_back(record);
  return FI_PBLM_SUCCESS;
}

int CFiPblmOps::setKeyValue(const char* path, const std::vector<std::string>& values,
                            const char* enclosureId) {
  if (missing(path)) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::setKeyValue ERROR: key is NULL");
    return FI_PBLM_INVALID_ARG;
  }
  if (values.empty()) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::setKeyValue ERROR: no value to write to file=[%s]\n", path);
    return FI_PBLM_INVALID_ARG;
  }
  std::FILE* file = std::fopen(path, "w");
  if (!file) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::setKeyValue ERROR: fopen failure file=[%s]\n", path);
    return FI_PBLM_FILE_ERROR;
  }
  // A write error may show only when the buffer is flushed at close.
  bool written = std::fputs(values[0].c_str(), file) >= 0;
  if (std::fclose(file) != 0) written = false;
  if (!written) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::setKeyValue ERROR: fputs failure with file=[%s]\n", path);
    return FI_PBLM_FILE_ERROR;
  }

  if (missing(enclosureId)) {
    trace(FI_TRACE_WARNING,
          "CFiPblmOps::setKeyValue : No entry to be set in the bit Map because enclosureId is "
          "passed as NULL.\n");
    return FI_PBLM_INVALID_ARG;
  }
  lunNum* map = nullptr;
  if (!getEnclMap(enclosureId, map)) {
    trace(FI_TRACE_DEBUG, "CFiPblmOps::setKeyValue : No bit Map for the enclosureId=[%s].\n",
          enclosureId);
    return FI_PBLM_SUCCESS;
  }
  long number = 0;
  if (readNumber(values[0], number) && inRange(number)) {
    map->used.set(static_cast<size_t>(number));
    trace(FI_TRACE_DEBUG, "CFiPblmOps::setKeyValue has set lun num [%d] in the lun map.\n",
          static_cast<int>(number));
  }
  return FI_PBLM_SUCCESS;
}

int CFiPblmOps::setKeyValue(const char* path, const tstring& deviceName, const char* enclosureId,
                            int lun) {
  trace(FI_TRACE_INFO, "LUNNO passed to setKeyValue is [%d]", lun);
  const std::vector<std::string> values(1, CFiStringTool::int2str(lun));
  int status = setKeyValue(path, values, enclosureId);
  if (status != FI_PBLM_SUCCESS) return status;

  tstring devKey;
  CFiConfigurationPathTool::getDevKey(deviceName, devKey);
  const std::string devPath = CFiStringTool::tstr2str(devKey);
  trace(FI_TRACE_INFO, " getdevKey returned [%s]", devPath.c_str());
  rmCacheRecord(devPath.c_str());
  return status;
}

int CFiPblmOps::getKeyValue(const char* path, std::vector<std::string>& values) {
  if (missing(path)) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::getKeyValue ERROR: key is NULL");
    return FI_PBLM_INVALID_ARG;
  }
  if (ACE_OS::access(path, F_OK) != 0) {
    trace(FI_TRACE_DEBUG, "CFiPblmOps::getKeyValue No Cache Record");
    return FI_PBLM_SUCCESS;
  }
  int status = getCacheRecord(path, values);
  if (status != FI_PBLM_SUCCESS)
    trace(FI_TRACE_ERROR, "CFiPblmOps::getKeyValue ERROR in getCacheRecord err=[%d]\n", status);
  return status;
}

int CFiPblmOps::getKeyValue(const char* path, int& lun) {
  std::vector<std::string> values;
  lun = -1;
  int status = getKeyValue(path, values);
  long number = 0;
  if (status == FI_PBLM_SUCCESS && !values.empty() && readNumber(values[0], number) &&
      number >= 0 && number <= 255)
    lun = static_cast<int>(number);
  return status;
}

// --- maps ------------------------------------------------------------------

int CFiPblmOps::allocLunNumEle(lunNum*& out) {
  std::unique_ptr<lunNum> element(new (std::nothrow) lunNum);
  if (!element) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::allocLunNumEle: new memory allocation failure.");
    return FI_PBLM_NO_MEMORY;
  }
  element->used.reset();
  for (uint32_t n = 0; n < getMinLunNum() && n < LUN_POSITIONS; ++n) element->used.set(n);
  element->next = std::move(m_lunMaps);
  m_lunMaps = std::move(element);
  out = m_lunMaps.get();
  return FI_PBLM_SUCCESS;
}

CFiPblmOps::lunNum* CFiPblmOps::addEnclMap(const char* enclosureId) {
  lunNum* element = nullptr;
  if (allocLunNumEle(element) != FI_PBLM_SUCCESS) return nullptr;
  element->enclosureId = enclosureId;
  return element;
}

void CFiPblmOps::fillBitMap(const char* enclosureId, const std::string& path) {
  lunNum* map = m_lunMaps.get();
  while (map && map->enclosureId != enclosureId) map = map->next.get();
  if (!map && !(map = addEnclMap(enclosureId))) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::fillBitMap new memory alloc failure.");
    return;
  }
  std::vector<std::string> values;
  int status = getCacheRecord(path.c_str(), values);
  if (status != FI_PBLM_SUCCESS) {
    trace(FI_TRACE_WARNING, "CFiPblmOps::fillBitMap ignore failure in getCacheRecord err=[%d].",
          status);
    return;
  }
  long number = 0;
  if (readNumber(values[0], number) && inRange(number)) {
    map->used.set(static_cast<size_t>(number));
    trace(FI_TRACE_DEBUG, "CFiPblmOps::fillBitMap has set lun num [%d] in the lun map.",
          static_cast<int>(number));
  }
}

bool CFiPblmOps::scanCache(const char* enclosureId, const tstring& directory, int lun) {
  const std::string path = CFiStringTool::tstr2str(directory);
  ACE_DIR* dir = ACE_OS::opendir(path.c_str());
  if (!dir) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::refreshCache opendir failure for path=[%S].",
          directory.c_str());
    return false;
  }
  // The names are taken first, so that removing records does not disturb
  // the reading of the directory; sorted for a stable order.
  std::vector<std::string> names;
  try {
    for (ACE_DIRENT* entry = ACE_OS::readdir(dir); entry; entry = ACE_OS::readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
        names.push_back(entry->d_name);
    }
  } catch (const std::bad_alloc&) {
    ACE_OS::closedir(dir);
    trace(FI_TRACE_INFO, "CFiPblmOps::scanCache malloc failure.\n");
    return false;
  }
  ACE_OS::closedir(dir);
  std::sort(names.begin(), names.end());

  for (const std::string& name : names) {
    if (lun == kNoLun)
      fillBitMap(enclosureId, path + name);
    else
      rmLunPathRecord(enclosureId, name, path + name, static_cast<uint32_t>(lun));
  }
  return true;
}

bool CFiPblmOps::refreshCache(const char* enclosureId, int lun) {
  if (!usableEnclosureId(enclosureId)) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::refreshCache invalid enclId=[%s].", shown(enclosureId));
    return false;
  }
  tstring directory;
  CFiConfigurationPathTool::getCacheLocationInfo(directory);
  directory += fiWithSeparator(tstring(L"luns"));
  directory += fiWithSeparator(CFiStringTool::str2tstr(enclosureId));
  if (!scanCache(enclosureId, directory, lun)) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::refreshCache scanCache returned false.");
    return false;
  }
  return true;
}

bool CFiPblmOps::getEnclMap(const char* enclosureId, lunNum*& out) {
  out = nullptr;
  if (!usableEnclosureId(enclosureId)) return false;
  if (!m_lunMaps) {
    if (!refreshCache(enclosureId)) {
      trace(FI_TRACE_ERROR, "CFiPblmOps::getEnclMap refreshCache returned false.");
      return false;
    }
    if (!m_lunMaps && !addEnclMap(enclosureId)) {
      trace(FI_TRACE_ERROR, "CFiPblmOps::getEnclMap new memory alloc failure.");
      return false;
    }
  }
  for (lunNum* map = m_lunMaps.get(); map; map = map->next.get()) {
    if (CFiStringTool::CompareNoCase(map->enclosureId, std::string(enclosureId))) {
      trace(FI_TRACE_DEBUG, "CFiPblmOps::getEnclMap got Lun Map for enclId=[%s].\n", enclosureId);
      out = map;
      return true;
    }
  }
  trace(FI_TRACE_DEBUG, "CFiPblmOps::getEnclMap No Lun Map for enclId=[%s].\n", enclosureId);
  lunNum* element = addEnclMap(enclosureId);
  if (!element) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::getEnclMap new memory alloc failure.");
    return false;
  }
  trace(FI_TRACE_DEBUG, "CFiPblmOps::getEnclMap Added a Lun Map for enclId=[%s].\n", enclosureId);
  out = element;
  return true;
}

// --- free numbers ----------------------------------------------------------------

bool CFiPblmOps::getNewLunNum(const char* enclosureId, std::vector<std::string>& values) {
  lunNum* map = nullptr;
  if (!getEnclMap(enclosureId, map)) {
    trace(FI_TRACE_WARNING, "CFiPblmOps::getNewLunNum No Lun map present on the system.\n");
    return false;
  }
  bool found = false;
  for (uint32_t n = getMinLunNum(); n <= getMaxLunNum(); ++n) {
    if (map->used.test(n)) continue;
    if (!found)
      trace(FI_TRACE_DEBUG, "CFiPblmOps::getNewLunNum got first Lun num=[%d].\n",
            static_cast<int>(n));
    found = true;
    values.push_back(CFiStringTool::uint2str(n));
  }
  if (!found)
    trace(FI_TRACE_DEBUG, "CFiPblmOps::getNewLunNum LUN num not able to find free LUN num .\n");
  return found;
}

bool CFiPblmOps::getNewValue(const char* enclosureId, std::vector<std::string>& values) {
  if (!getNewLunNum(enclosureId, values))
    trace(FI_TRACE_DEBUG, "CFiPblmOps::getNewValue - Unable to suggest a new LUN Number.\n");
  return true;
}

bool CFiPblmOps::getNewValue(const char* enclosureId, std::vector<int>& numbers) {
  numbers.clear();
  std::vector<std::string> values;
  getNewValue(enclosureId, values);
  for (const std::string& value : values) {
    long number = 0;
    if (readNumber(value, number) && number >= 0 && number <= 255)
      numbers.push_back(static_cast<int>(number));
  }
  return !numbers.empty();
}

// --- removal ---------------------------------------------------------------

void CFiPblmOps::resetLunNum(const char* path, uint32_t lun) {
  if (missing(path) || lun >= LUN_POSITIONS) return;
  for (lunNum* map = m_lunMaps.get(); map; map = map->next.get()) {
    if (std::strstr(path, map->enclosureId.c_str()) == nullptr) continue;
    map->used.reset(lun);
    trace(FI_TRACE_DEBUG, "CFiPblmOps::resetLunNum has reset lun num [%d] in the lun map.\n",
          static_cast<int>(lun));
    return;
  }
}

int CFiPblmOps::rmCacheRecord(const char* path) {
  if (missing(path)) {
    trace(FI_TRACE_ERROR, "INFO:CFiPblmOps::rmCacheRecord - key is empty, nothing to remove.");
    return FI_PBLM_INVALID_ARG;
  }
  if (ACE_OS::access(path, F_OK) != 0) return FI_PBLM_SUCCESS;

  const char separator = static_cast<char>(FI_PATH_SEPARATOR);
  const std::string lunsDirectory = std::string(1, separator) + "luns" + separator;
  if (std::strstr(path, lunsDirectory.c_str())) {
    std::vector<std::string> values;
    int status = getCacheRecord(path, values);
    long number = 0;
    if (status != FI_PBLM_SUCCESS) {
      trace(FI_TRACE_WARNING,
            "CFiPblmOps::rmCacheRecord ignore failure in getCacheRecord err=[%d].", status);
    } else if (readNumber(values[0], number) && inRange(number)) {
      resetLunNum(path, static_cast<uint32_t>(number));
      trace(FI_TRACE_DEBUG, "CFiPblmOps::rmCacheRecord has reset lun num [%d] in the lun map.",
            static_cast<int>(number));
    }
  }
  if (ACE_OS::unlink(path) == 0)
    trace(FI_TRACE_DEBUG, "INFO:CFiPblmOps::rmCacheRecord file=[%s] removed successfully", path);
  else
    trace(FI_TRACE_DEBUG, "INFO:CFiPblmOps::rmCacheRecord failure for removing file=[%s]", path);
  return FI_PBLM_SUCCESS;
}

int CFiPblmOps::rmLunCacheRecord(const char* enclosureId, uint32_t lun) {
  if (missing(enclosureId)) {
    trace(FI_TRACE_ERROR,
          "INFO:CFiPblmOps::rmLunCacheRecord - enclId is empty, cannot identify the cache "
          "record.");
    return FI_PBLM_INVALID_ARG;
  }
  if (!inRange(lun)) {
    trace(FI_TRACE_ERROR, "CFiPblmOps::rmLunCacheRecord invalid lun num [%d] specified.\n",
          static_cast<int>(lun));
    return FI_PBLM_INVALID_ARG;
  }
  if (!refreshCache(enclosureId, static_cast<int>(lun))) {
    trace(FI_TRACE_ERROR,
          "CFiPblmOps::rmLunCacheRecord refreshCache returned failure for lun num [%d].\n",
          static_cast<int>(lun));
    return FI_PBLM_SCAN_FAILED;
  }
  return FI_PBLM_SUCCESS;
}

// The enclosure id is not needed here: removing a record under "/luns/"
// frees its number in the map that the path names.
int CFiPblmOps::rmLunPathRecord(const char* /*enclosureId*/, const std::string& name,
                                const std::string& path, uint32_t lun) {
  std::vector<std::string> values;
  int status = getCacheRecord(path.c_str(), values);
  if (status != FI_PBLM_SUCCESS) {
    trace(FI_TRACE_ERROR,
          "CFiPblmOps::rmLunPathRecord : getCacheRecord returned err=[%d]. Cannot remove the "
          "cache record.",
          status);
    return status;
  }
  long number = 0;
  if (!readNumber(values[0], number) || number != static_cast<long>(lun)) return FI_PBLM_SUCCESS;

  trace(FI_TRACE_DEBUG, "CFiPblmOps::rmLunPathRecord got cache record for lun num [%d].",
        static_cast<int>(lun));
  status = rmCacheRecord(path.c_str());
  if (status != FI_PBLM_SUCCESS) {
    trace(FI_TRACE_ERROR,
          "CFiPblmOps::rmLunPathRecord failed to remove cache record for lun num [%d].",
          static_cast<int>(lun));
    return status;
  }
  trace(FI_TRACE_DEBUG,
        "CFiPblmOps::rmLunPathRecord successfully removed cache record for lun num [%d].",
        static_cast<int>(lun));

  tstring devKey;
  CFiConfigurationPathTool::getDevKey(CFiStringTool::str2tstr(name), devKey);
  status = rmCacheRecord(CFiStringTool::tstr2str(devKey).c_str());
  if (status == FI_PBLM_SUCCESS)
    trace(FI_TRACE_DEBUG,
          "CFiPblmOps::rmLunPathRecord successfully removed cache record for devicepath=[%s].",
          name.c_str());
  else
    trace(FI_TRACE_ERROR,
          "CFiPblmOps::rmLunPathRecord failed to remove cache record for devicepath=[%s].",
          name.c_str());
  return status;
}

}  // namespace quelb_pdk_4_4
