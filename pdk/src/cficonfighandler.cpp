#include "cficonfighandler.h"

#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

namespace {

int32_t usageTypeOf(const std::string& text) {
  if (text == "AUTO") return FI_CONFIG_USAGE_AUTO;
  if (text == "SELECT") return FI_CONFIG_USAGE_SELECT;
  if (text == "NO_MODIFY") return FI_CONFIG_USAGE_NO_MODIFY;
  return FI_CONFIG_USAGE_UNKNOWN;
}

int32_t dataTypeOf(const std::string& text) {
  if (text == "string") return FI_CONFIG_DATA_STRING;
  if (text == "string_list") return FI_CONFIG_DATA_STRING_LIST;
  if (text == "int") return FI_CONFIG_DATA_INT;
  if (text == "int_list") return FI_CONFIG_DATA_INT_LIST;
  if (text == "boolean") return FI_CONFIG_DATA_BOOLEAN;
  if (text == "boolean_list") return FI_CONFIG_DATA_BOOLEAN_LIST;
  return FI_CONFIG_DATA_UNKNOWN;
}

bool isTrue(const std::string& text) { return text == "true" || text == "yes" || text == "1"; }

bool xml10Character(XMLCh c) { return c >= 0x20 || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

// --- CFiConfigTextHandler ----------------------------------------------------

void CFiConfigTextHandler::characters(const XMLCh* const chars, const XMLSize_t length) {
  for (XMLSize_t i = 0; i < length; ++i) {
    if (xml10Character(chars[i])) continue;
    const std::string text = "The XML text holds the control character " +
                             CFiStringTool::int2str(chars[i]) +
                             ", which an XML 1.0 document cannot carry";
    const std::u16string message(text.begin(), text.end());
    recordError(xercesc::SAXParseException(message.c_str(), nullptr, nullptr, 0, 0,
                                           fiSaxExceptionMemoryManager()));
    return;
  }
  CFiSaxParseHandler::characters(chars, length);
}

// --- CFiValueListHandler -----------------------------------------------------

CFiValueListHandler::CFiValueListHandler(const char* listElement, const char* recordElement)
    : m_listElement(listElement),
      m_recordElement(recordElement),
      m_inValueList(false),
      m_finished(false) {}

void CFiValueListHandler::startElement(const XMLCh* const, const XMLCh* const,
                                       const XMLCh* const qname, const xercesc::Attributes&) {
  if (toString(qname) == "valueList") m_inValueList = true;
  m_text.clear();
}

void CFiValueListHandler::endElement(const XMLCh* const, const XMLCh* const,
                                     const XMLCh* const qname) {
  const std::string name = toString(qname);
  if (name == "valueList") {
    m_inValueList = false;
  } else if (name == "key") {
    m_current.setKey(m_text);
  } else if (name == "value") {
    if (m_inValueList)
      m_current.addValue(m_text);
    else
      m_current.setValue(m_text);
  } else if (name == m_recordElement) {
    m_records[m_current.getKey()] = m_current;
    m_current.clear();
  } else if (name == m_listElement) {
    m_finished = true;
  }
  m_text.clear();
}

const CFiValueListHandler::Records& CFiValueListHandler::getRecords() const {
  throwLastError();
  return m_records;
}

CFiConfigValueHandler::CFiConfigValueHandler()
    : CFiValueListHandler("ConfigValueList", "ConfigValue") {}

// --- CFiConfigParamHandler ---------------------------------------------------

CFiConfigParamHandler::CFiConfigParamHandler() : m_finished(false) {}

void CFiConfigParamHandler::startElement(const XMLCh* const, const XMLCh* const, const XMLCh* const,
                                         const xercesc::Attributes&) {
  m_text.clear();
}

void CFiConfigParamHandler::endElement(const XMLCh* const, const XMLCh* const,
                                       const XMLCh* const qname) {
  const std::string name = toString(qname);
  if (name == "key") {
    m_current.setKey(m_text);
  } else if (name == "usageType") {
    m_current.setUsageType(usageTypeOf(m_text));
  } else if (name == "dataType") {
    m_current.setDataType(dataTypeOf(m_text));
  } else if (name == "rangeMin") {
    m_current.setRangeMin(CFiStringTool::str2int(m_text));
  } else if (name == "rangeMax") {
    m_current.setRangeMax(CFiStringTool::str2int(m_text));
  } else if (name == "isSharedParam") {
    m_current.setShared(isTrue(m_text));
  } else if (name == "messageId") {
    m_current.setMessageId(m_text);
  } else if (name == "selectionItem") {
    m_current.addSelectionItem(m_text);
  } else if (name == "defaultValue") {
    m_current.setDefaultValue(m_text);
  } else if (name == "ConfigParam") {
    m_params[m_current.getKey()] = m_current;
    m_current.clear();
  } else if (name == "ConfigParamList") {
    m_finished = true;
  }
  m_text.clear();
}

const CFiConfigParamHandler::Params& CFiConfigParamHandler::getParams() const {
  throwLastError();
  return m_params;
}

}  // namespace quelb_pdk_4_4
