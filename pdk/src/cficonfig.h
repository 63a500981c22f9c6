// Configuration parameter lists exchanged with the framework through
// `config`, as XML text both ways.
//
// CFiConfigParamInfo / CFiConfigParamInfoList: the descriptions of the
// parameters a provider accepts (document "ConfigParamList").
// CFiConfigParamData / CFiConfigParamDataList: the values a user set
// (document "ConfigValueList"). The format options of cfiformatoption.h
// share the value record and list layout (CFiValueRecord, CFiValueRecordList).
//
// Every list keeps its records ordered by key (byte-wise) and a cached XML
// text that each change regenerates. A list that was never changed has an
// empty text.
#ifndef QLB_PDK_CFICONFIG_H
#define QLB_PDK_CFICONFIG_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "cfiexport.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class CFiValueListHandler;

// Data types of a parameter.
enum {
  FI_CONFIG_DATA_STRING = 0,
  FI_CONFIG_DATA_INT = 1,
  FI_CONFIG_DATA_BOOLEAN = 2,
  FI_CONFIG_DATA_STRING_LIST = 3,
  FI_CONFIG_DATA_INT_LIST = 4,
  FI_CONFIG_DATA_BOOLEAN_LIST = 5,
  FI_CONFIG_DATA_UNKNOWN = 6
};

// Usage types of a parameter.
enum {
  FI_CONFIG_USAGE_SELECT = 0,
  FI_CONFIG_USAGE_AUTO = 1,
  FI_CONFIG_USAGE_NO_MODIFY = 2,
  FI_CONFIG_USAGE_UNKNOWN = 3
};

// One parameter description.
class QLB_PDK_EXPORT CFiConfigParamInfo {
 public:
  // Empty texts, data type unknown, usage unknown, not shared, no selection
  // items, range -1 to -1.
  CFiConfigParamInfo();
  // An int parameter (an int list when `list`); the default in decimal.
  CFiConfigParamInfo(const std::string& key, int defaultValue, int usageType, int rangeMin,
                     int rangeMax, const std::string& messageId, bool list, bool shared);
  // A boolean parameter (a boolean list when `list`); "true" or "false".
  CFiConfigParamInfo(const std::string& key, bool defaultValue, int usageType,
                     const std::string& messageId, bool list, bool shared);
  // A string parameter (a string list when `list`).
  CFiConfigParamInfo(const std::string& key, const std::string& defaultValue, int usageType,
                     const std::string& messageId, bool list, bool shared);
  // Same; spelled out so that a literal default does not pick the boolean form.
  CFiConfigParamInfo(const std::string& key, const char* defaultValue, int usageType,
                     const std::string& messageId, bool list, bool shared);
  // A string parameter with a wide default; `list` is not used.
  CFiConfigParamInfo(const std::string& key, const tstring& defaultValue, int usageType,
                     const std::string& messageId, bool list, bool shared);
  CFiConfigParamInfo(const std::string& key, const wchar_t* defaultValue, int usageType,
                     const std::string& messageId, bool list, bool shared);

  void clear();

  const std::string& getKey() const { return m_key; }
  void setKey(const std::string& key) { m_key = key; }
  const std::string& getMessageId() const { return m_messageId; }
  void setMessageId(const std::string& id) { m_messageId = id; }
  int32_t getDataType() const { return m_dataType; }
  void setDataType(int32_t type) { m_dataType = type; }
  int32_t getUsageType() const { return m_usageType; }
  void setUsageType(int32_t type) { m_usageType = type; }
  bool isShared() const { return m_shared; }
  void setShared(bool shared) { m_shared = shared; }
  const std::vector<std::string>& getSelectionItems() const { return m_selectionItems; }
  void addSelectionItem(const std::string& item) { m_selectionItems.push_back(item); }
  const std::string& getDefaultValue() const { return m_defaultValue; }
  void setDefaultValue(const std::string& value) { m_defaultValue = value; }
  int32_t getRangeMin() const { return m_rangeMin; }
  void setRangeMin(int32_t value) { m_rangeMin = value; }
  int32_t getRangeMax() const { return m_rangeMax; }
  void setRangeMax(int32_t value) { m_rangeMax = value; }

  // The XML element of this description ("ConfigParam").
  std::string toXml() const;

 private:
  std::string m_key;
  std::string m_messageId;
  int32_t m_dataType;
  int32_t m_usageType;
  bool m_shared;
  std::vector<std::string> m_selectionItems;
  std::string m_defaultValue;
  int32_t m_rangeMin;
  int32_t m_rangeMax;
};

// One value: a key and either a single value or, when non-empty, a list of
// values. Shared by parameter values and format options.
class QLB_PDK_EXPORT CFiValueRecord {
 public:
  CFiValueRecord() {}
  CFiValueRecord(const std::string& key, const std::string& value) : m_key(key), m_value(value) {}

  void setKey(const std::string& key) { m_key = key; }
  const std::string& getKey() const { return m_key; }
  void setValue(const std::string& value) { m_value = value; }
  const std::string& getValue() const { return m_value; }
  // Appends to the value list.
  void addValue(const std::string& value) { m_valueList.push_back(value); }
  const std::vector<std::string>& getValueList() const { return m_valueList; }
  // Empties key, value and value list.
  void clear();

  // The XML element of this value, named `recordElement`.
  std::string toXml(const char* recordElement) const;

 private:
  std::string m_key;
  std::string m_value;
  std::vector<std::string> m_valueList;
};

// Values by key, written as and read from one XML document whose list and
// record element names the subclass gives.
class QLB_PDK_EXPORT CFiValueRecordList {
 public:
  CFiValueRecordList(const char* listElement, const char* recordElement);
  virtual ~CFiValueRecordList();

  // Enters the record under its key, replacing one with the same key.
  void addParamData(const CFiValueRecord& record);
  // Sets the single value of the key (entering the key when new).
  void setValue(const std::string& key, const std::string& value);
  // The single value of the key; returns 0, or non-zero (out unchanged)
  // when the key is absent.
  int getValue(const std::string& key, std::string& value) const;
  // The whole record of the key; false when absent.
  bool getParamData(const std::string& key, CFiValueRecord& record) const;
  std::vector<std::string> getKeys() const;
  size_t size() const { return m_records.size(); }
  void clear();
  const tstring& getXML() const { return m_xml; }

  const char* listElement() const { return m_listElement; }
  const char* recordElement() const { return m_recordElement; }

 protected:
  CFiValueRecordList(const CFiValueRecordList& other) = default;
  CFiValueRecordList& operator=(const CFiValueRecordList& other) = default;

  // Replaces the records with those the handler reads from the XML text
  // and returns 0. Returns 3 only when the XML parser rejects the text (or
  // the text is null); then the records stay as they were. A well-formed
  // document without the list element holds no records: it empties the
  // list. Either way the cached text is regenerated from the records
  // afterwards, so it always describes them.
  int parseWith(CFiValueListHandler& handler, const wchar_t* text);

 private:
  void regenerate();

  const char* m_listElement;
  const char* m_recordElement;
  std::map<std::string, CFiValueRecord> m_records;
  tstring m_xml;
};

// One parameter value.
class QLB_PDK_EXPORT CFiConfigParamData : public CFiValueRecord {
 public:
  using CFiValueRecord::CFiValueRecord;
  CFiConfigParamData() {}
  CFiConfigParamData(const CFiValueRecord& record) : CFiValueRecord(record) {}
};

// Parameter values by key; document "ConfigValueList" of "ConfigValue"s.
class QLB_PDK_EXPORT CFiConfigParamDataList : public CFiValueRecordList {
 public:
  CFiConfigParamDataList();
  CFiConfigParamDataList(const CFiConfigParamDataList& other) = default;
  CFiConfigParamDataList& operator=(const CFiConfigParamDataList& other) = default;

  // Replaces the values with those of a "ConfigValueList" document; 0, or
  // 3 when it is rejected (values unchanged; see parseWith).
  int parse(const wchar_t* text);
};

// Parameter descriptions by key; document "ConfigParamList".
class QLB_PDK_EXPORT CFiConfigParamInfoList {
 public:
  CFiConfigParamInfoList();
  ~CFiConfigParamInfoList();

  // Enters the description under its key, replacing one with the same key.
  void addParamInfo(const CFiConfigParamInfo& info);
  bool getParamInfo(const std::string& key, CFiConfigParamInfo& info) const;
  std::vector<std::string> getKeys() const;
  size_t size() const { return m_params.size(); }
  void clear();
  const tstring& getXML() const { return m_xml; }

  // A new value list with one record per description, in key order: the
  // key and the default value.
  CFiConfigParamDataList getDefaultDataList() const;

  // Replaces the descriptions with those the XML text holds (those of its
  // "ConfigParam" elements); 0, or 3 when the XML parser rejects it as the
  // value lists do (descriptions unchanged, text regenerated from them).
  int parse(const wchar_t* text);

 private:
  void regenerate();

  std::map<std::string, CFiConfigParamInfo> m_params;
  tstring m_xml;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFICONFIG_H
