#include "cficonfig.h"

#include <quelb/quelb_records.h>

#include <exception>
#include <xercesc/sax/SAXException.hpp>
#include <xercesc/util/XMLException.hpp>

#include "cficonfighandler.h"
#include "cfisaxparser.h"
#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

namespace {

const char kXmlDeclaration[] = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n";

std::string open(const char* name) { return CFiStringTool::xmlBracket(name, true, true); }
std::string close(const char* name) { return CFiStringTool::xmlBracket(name, false, true); }
std::string valueLine(const char* name, const std::string& value) {
  return CFiStringTool::xmlBracketValue(name, value);
}

const char* usageTypeName(int32_t type) {
  switch (type) {
    case FI_CONFIG_USAGE_SELECT:
      return "SELECT";
    case FI_CONFIG_USAGE_AUTO:
      return "AUTO";
    case FI_CONFIG_USAGE_NO_MODIFY:
      return "NO_MODIFY";
    default:
      return "UNKNOWN";
  }
}

const char* dataTypeName(int32_t type) {
  switch (type) {
    case FI_CONFIG_DATA_STRING:
      return "string";
    case FI_CONFIG_DATA_INT:
      return "int";
    case FI_CONFIG_DATA_BOOLEAN:
      return "boolean";
    case FI_CONFIG_DATA_STRING_LIST:
      return "string_list";
    case FI_CONFIG_DATA_INT_LIST:
      return "int_list";
    case FI_CONFIG_DATA_BOOLEAN_LIST:
      return "boolean_list";
    default:
      return "unknown";
  }
}

// Parses the text with the handler. False when the parser rejects it;
// reading the handler's result afterwards rethrows a recorded error, so
// callers read it inside a try as well.
bool parseText(xercesc::DefaultHandler& handler, const wchar_t* text) {
  if (!text) return false;
  try {
    CFiSaxParser parser(&handler);
    parser.parse(CFiStringTool::wcs2mbs(text));
    return true;
  } catch (const xercesc::SAXException&) {
  } catch (const xercesc::XMLException&) {
  } catch (const std::exception&) {
  }
  return false;
}

}  // namespace

// --- CFiConfigParamInfo ------------------------------------------------------

CFiConfigParamInfo::CFiConfigParamInfo() { clear(); }

CFiConfigParamInfo::CFiConfigParamInfo(const std::string& key, int defaultValue, int usageType,
                                       int rangeMin, int rangeMax, const std::string& messageId,
                                       bool list, bool shared) {
  clear();
  m_key = key;
  m_defaultValue = CFiStringTool::int2str(defaultValue);
  m_usageType = usageType;
  m_rangeMin = rangeMin;
  m_rangeMax = rangeMax;
  m_messageId = messageId;
  m_dataType = list ? FI_CONFIG_DATA_INT_LIST : FI_CONFIG_DATA_INT;
  m_shared = shared;
}

CFiConfigParamInfo::CFiConfigParamInfo(const std::string& key, bool defaultValue, int usageType,
                                       const std::string& messageId, bool list, bool shared) {
  clear();
  m_key = key;
  m_defaultValue = CFiStringTool::bool2str(defaultValue);
  m_usageType = usageType;
  m_messageId = messageId;
  m_dataType = list ? FI_CONFIG_DATA_BOOLEAN_LIST : FI_CONFIG_DATA_BOOLEAN;
  m_shared = shared;
}

CFiConfigParamInfo::CFiConfigParamInfo(const std::string& key, const std::string& defaultValue,
                                       int usageType, const std::string& messageId, bool list,
                                       bool shared) {
  clear();
  m_key = key;
  m_defaultValue = defaultValue;
  m_usageType = usageType;
  m_messageId = messageId;
  m_dataType = list ? FI_CONFIG_DATA_STRING_LIST : FI_CONFIG_DATA_STRING;
  m_shared = shared;
}

CFiConfigParamInfo::CFiConfigParamInfo(const std::string& key, const char* defaultValue,
                                       int usageType, const std::string& messageId, bool list,
                                       bool shared)
    : CFiConfigParamInfo(key, std::string(defaultValue ? defaultValue : ""), usageType, messageId,
                         list, shared) {}

CFiConfigParamInfo::CFiConfigParamInfo(const std::string& key, const tstring& defaultValue,
                                       int usageType, const std::string& messageId, bool,
                                       bool shared)
    : CFiConfigParamInfo(key, CFiStringTool::tstr2str(defaultValue), usageType, messageId, false,
                         shared) {}

CFiConfigParamInfo::CFiConfigParamInfo(const std::string& key, const wchar_t* defaultValue,
                                       int usageType, const std::string& messageId, bool,
                                       bool shared)
    : CFiConfigParamInfo(key, CFiStringTool::wcs2mbs(defaultValue), usageType, messageId, false,
                         shared) {}

void CFiConfigParamInfo::clear() {
  m_key.clear();
  m_messageId.clear();
  m_dataType = FI_CONFIG_DATA_UNKNOWN;
  m_usageType = FI_CONFIG_USAGE_UNKNOWN;
  m_shared = false;
  m_selectionItems.clear();
  m_defaultValue.clear();
  m_rangeMin = -1;
  m_rangeMax = -1;
}

std::string CFiConfigParamInfo::toXml() const {
  std::string xml = open("ConfigParam");
  xml += valueLine("key", m_key);
  xml += valueLine("usageType", usageTypeName(m_usageType));
  xml += valueLine("messageId", m_messageId);
  xml += valueLine("isSharedParam", CFiStringTool::bool2str(m_shared));
  xml += valueLine("dataType", dataTypeName(m_dataType));
  const bool integral = m_dataType == FI_CONFIG_DATA_INT || m_dataType == FI_CONFIG_DATA_INT_LIST;
  if (integral && !(m_rangeMin == -1 && m_rangeMax == -1)) {
    xml += open("dataRange");
    xml += valueLine("rangeMin", CFiStringTool::int2str(m_rangeMin));
    xml += valueLine("rangeMax", CFiStringTool::int2str(m_rangeMax));
    xml += close("dataRange");
  }
  if (m_dataType == FI_CONFIG_DATA_STRING_LIST) {
    xml += open("selectionList");
    for (const std::string& item : m_selectionItems) xml += valueLine("selectionItem", item);
    xml += close("selectionList");
  }
  xml += valueLine("defaultValue", m_defaultValue);
  xml += close("ConfigParam");
  return xml;
}

// --- CFiValueRecord ----------------------------------------------------------

void CFiValueRecord::clear() {
  m_key.clear();
  m_value.clear();
  m_valueList.clear();
}

std::string CFiValueRecord::toXml(const char* recordElement) const {
  std::string xml = open(recordElement);
  xml += valueLine("dataType", "");
  xml += valueLine("key", m_key);
  if (!m_valueList.empty()) {
    xml += open("valueList");
    for (const std::string& value : m_valueList) xml += valueLine("value", value);
    xml += close("valueList");
  } else {
    xml += valueLine("value", m_value);
  }
  xml += close(recordElement);
  return xml;
}

// --- CFiValueRecordList ------------------------------------------------------

CFiValueRecordList::CFiValueRecordList(const char* listElement, const char* recordElement)
    : m_listElement(listElement), m_recordElement(recordElement) {}

CFiValueRecordList::~CFiValueRecordList() {}

void CFiValueRecordList::addParamData(const CFiValueRecord& record) {
  m_records[record.getKey()] = record;
  regenerate();
}

void CFiValueRecordList::setValue(const std::string& key, const std::string& value) {
  CFiValueRecord& record = m_records[key];
  record.setKey(key);
  record.setValue(value);
  regenerate();
}

int CFiValueRecordList::getValue(const std::string& key, std::string& value) const {
  auto it = m_records.find(key);
  if (it == m_records.end()) return 1;
  value = it->second.getValue();
  return 0;
}

bool CFiValueRecordList::getParamData(const std::string& key, CFiValueRecord& record) const {
  auto it = m_records.find(key);
  if (it == m_records.end()) return false;
  record = it->second;
  return true;
}

std::vector<std::string> CFiValueRecordList::getKeys() const {
  std::vector<std::string> keys;
  keys.reserve(m_records.size());
  for (const auto& entry : m_records) keys.push_back(entry.first);
  return keys;
}

void CFiValueRecordList::clear() {
  m_records.clear();
  regenerate();
}

void CFiValueRecordList::regenerate() {
  std::string xml = kXmlDeclaration;
  xml += open(m_listElement);
  for (const auto& entry : m_records) xml += entry.second.toXml(m_recordElement);
  xml += close(m_listElement);
  m_xml = CFiStringTool::str2tstr(xml);
}

int CFiValueRecordList::parseWith(CFiValueListHandler& handler, const wchar_t* text) {
  int result = QLB_ERR_INVALID_ARG;
  try {
    if (parseText(handler, text)) {
      m_records = handler.getRecords();
      result = 0;
    }
  } catch (const xercesc::SAXException&) {
  }
  regenerate();
  return result;
}

CFiConfigParamDataList::CFiConfigParamDataList()
    : CFiValueRecordList("ConfigValueList", "ConfigValue") {}

int CFiConfigParamDataList::parse(const wchar_t* text) {
  CFiConfigValueHandler handler;
  return parseWith(handler, text);
}

// --- CFiConfigParamInfoList --------------------------------------------------

CFiConfigParamInfoList::CFiConfigParamInfoList() {}

CFiConfigParamInfoList::~CFiConfigParamInfoList() {}

void CFiConfigParamInfoList::addParamInfo(const CFiConfigParamInfo& info) {
  m_params[info.getKey()] = info;
  regenerate();
}

bool CFiConfigParamInfoList::getParamInfo(const std::string& key, CFiConfigParamInfo& info) const {
  auto it = m_params.find(key);
  if (it == m_params.end()) return false;
  info = it->second;
  return true;
}

std::vector<std::string> CFiConfigParamInfoList::getKeys() const {
  std::vector<std::string> keys;
  keys.reserve(m_params.size());
  for (const auto& entry : m_params) keys.push_back(entry.first);
  return keys;
}

void CFiConfigParamInfoList::clear() {
  m_params.clear();
  regenerate();
}

CFiConfigParamDataList CFiConfigParamInfoList::getDefaultDataList() const {
  CFiConfigParamDataList defaults;
  for (const auto& entry : m_params)
    defaults.addParamData(CFiValueRecord(entry.first, entry.second.getDefaultValue()));
  return defaults;
}

int CFiConfigParamInfoList::parse(const wchar_t* text) {
  int result = QLB_ERR_INVALID_ARG;
  CFiConfigParamHandler handler;
  try {
    if (parseText(handler, text)) {
      m_params = handler.getParams();
      result = 0;
    }
  } catch (const xercesc::SAXException&) {
  }
  regenerate();
  return result;
}

void CFiConfigParamInfoList::regenerate() {
  std::string xml = kXmlDeclaration;
  xml += open("ConfigParamList");
  for (const auto& entry : m_params) xml += entry.second.toXml();
  xml += close("ConfigParamList");
  m_xml = CFiStringTool::str2tstr(xml);
}

}  // namespace quelb_pdk_4_4
