#include "cfiicumessage.h"

#include <unicode/locid.h>
#include <unicode/msgfmt.h>

#include <cstring>
#include <vector>

#include "boundedtext.h"
#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

namespace {

const size_t kPieceSize = 1024;
const char* const kHeaderTag = "<SERIALIZED_MESSAGE";
const char* const kArgumentTag = "<ARGVALUE";
const size_t kArgumentCloseLength = 11;  // "</ARGVALUE>"

std::string valueText(const icu::Formattable& value) {
  switch (value.getType()) {
    case icu::Formattable::kDate:
      return CFiStringTool::double2str(value.getDate());
    case icu::Formattable::kDouble:
      return CFiStringTool::double2str(value.getDouble());
    case icu::Formattable::kLong:
      return CFiStringTool::int2str(value.getLong());
    case icu::Formattable::kString: {
      icu::UnicodeString text;
      return CFiStringTool::ustr2str(value.getString(text));
    }
    default:
      return std::string();
  }
}

// The argument a serialized value stands for; false for types that are not
// read back.
bool argumentFromText(int type, const std::string& text, icu::Formattable& argument) {
  switch (type) {
    case icu::Formattable::kDate:
    case icu::Formattable::kDouble: {
      double value = 0;
      CFiStringTool::str2double(text, value);
      argument.setDouble(value);
      return true;
    }
    case icu::Formattable::kLong: {
      int value = 0;
      CFiStringTool::str2int(text, value);
      argument.setLong(value);
      return true;
    }
    case icu::Formattable::kString:
      argument.setString(CFiStringTool::str2ustr(text));
      return true;
    default:
      return false;
  }
}

}  // namespace

CFiIcuMessage::CFiIcuMessage(const std::string& messageId, const icu::Formattable* arguments,
                             int32_t count, qlb_eseverity severity, const std::string& sourceFile,
                             int line)
    : CFiMessage(messageId, severity, sourceFile, line), m_record() {
  setArguments(arguments, count);
}

CFiIcuMessage::CFiIcuMessage(const std::string& messageId,
                             std::initializer_list<icu::Formattable> arguments,
                             qlb_eseverity severity, const std::string& sourceFile, int line)
    : CFiMessage(messageId, severity, sourceFile, line), m_record() {
  setArguments(arguments.begin(), static_cast<int32_t>(arguments.size()));
}

CFiIcuMessage::CFiIcuMessage(const qlb_msg_info* record) : m_record() {
  setArguments(nullptr, 0);
  deserialize(record);
}

CFiIcuMessage::~CFiIcuMessage() {}

void CFiIcuMessage::setArguments(const icu::Formattable* arguments, int32_t count) {
  if (count < 0 || !arguments) count = 0;
  m_arguments = icu::Formattable(arguments, count);
}

int32_t CFiIcuMessage::argumentCount() const {
  UErrorCode status = U_ZERO_ERROR;
  int32_t count = 0;
  m_arguments.getArray(count, status);
  return U_SUCCESS(status) ? count : 0;
}

const icu::Formattable& CFiIcuMessage::argument(int32_t index) const {
  UErrorCode status = U_ZERO_ERROR;
  int32_t count = 0;
  const icu::Formattable* array = m_arguments.getArray(count, status);
  return array[index];
}

icu::Formattable CFiIcuMessage::text(const std::string& value) {
  return icu::Formattable(CFiStringTool::str2ustr(value));
}

icu::Formattable CFiIcuMessage::text(const tstring& value) {
  return icu::Formattable(CFiStringTool::tstr2ustr(value));
}

qlb_msg_info* CFiIcuMessage::serialize() {
  m_serialized.clear();
  const int32_t count = argumentCount();
  if (count > 0) {
    char piece[kPieceSize];
    boundedtext::format(piece, sizeof piece, "<SERIALIZED_MESSAGE MSGID=%s SEVERITY=%d>\n",
                        m_messageId.c_str(), static_cast<int>(m_severity));
    m_serialized += piece;
    for (int32_t i = 0; i < count; ++i) {
      const icu::Formattable& value = argument(i);
      boundedtext::format(piece, sizeof piece, "\t<ARGVALUE INDEX=%d TYPE=%d>", static_cast<int>(i),
                          static_cast<int>(value.getType()));
      m_serialized += piece;
      m_serialized += valueText(value);
      m_serialized += "</ARGVALUE>\n";
    }
    m_serialized += "</SERIALIZED_MESSAGE>\n";
  }
  m_record.mi_text = &m_serialized[0];
  m_record.mi_length = static_cast<uint32_t>(m_serialized.size());
  return &m_record;
}

void CFiIcuMessage::deserialize(const qlb_msg_info* record) {
  m_messageId.clear();
  std::vector<icu::Formattable> arguments;
  std::string text;
  if (record && record->mi_text)
    text.assign(record->mi_text, ::strnlen(record->mi_text, record->mi_length));

  size_t header = text.find(kHeaderTag);
  if (header != std::string::npos) {
    char id[kPieceSize] = "";
    int severity = 0;
    if (boundedtext::scan(text.c_str() + header, "<SERIALIZED_MESSAGE MSGID=%s SEVERITY=%d>", id,
                          sizeof id, &severity) >= 1)
      m_messageId = id;
    // A severity the framework does not define (a record from elsewhere)
    // is taken as an error, so that the message is not hidden.
    m_severity = severity >= QLB_SEV_NONE && severity <= QLB_SEV_TRACE
                     ? static_cast<qlb_eseverity>(severity)
                     : QLB_SEV_ERROR;

    size_t headerEnd = text.find('>', header);
    size_t tag = headerEnd == std::string::npos ? headerEnd : text.find(kArgumentTag, headerEnd);
    while (tag != std::string::npos) {
      int index = 0;
      int type = -1;
      boundedtext::scan(text.c_str() + tag, "<ARGVALUE INDEX=%d TYPE=%d>", &index, &type);
      size_t tagEnd = text.find('>', tag);
      if (tagEnd == std::string::npos) break;
      size_t valueEnd = text.find('<', tagEnd + 1);
      std::string value = text.substr(
          tagEnd + 1, valueEnd == std::string::npos ? std::string::npos : valueEnd - tagEnd - 1);
      icu::Formattable argument;
      if (argumentFromText(type, value, argument)) arguments.push_back(argument);
      if (valueEnd == std::string::npos) break;
      tag = text.find(kArgumentTag, valueEnd + kArgumentCloseLength);
    }
  }
  setArguments(arguments.data(), static_cast<int32_t>(arguments.size()));
}

tstring CFiIcuMessage::formatMessage(const tstring& pattern) {
  UErrorCode status = U_ZERO_ERROR;
  icu::UnicodeString formatted;
  icu::MessageFormat format(CFiStringTool::tstr2ustr(pattern), icu::Locale("en_US_POSIX"), status);
  if (U_SUCCESS(status)) {
    int32_t count = 0;
    const icu::Formattable* arguments = m_arguments.getArray(count, status);
    icu::FieldPosition position;
    format.format(arguments, count, formatted, position, status);
  }
  if (U_SUCCESS(status) || !formatted.isEmpty()) return CFiStringTool::ustr2tstr(formatted);
  return pattern;
}

}  // namespace quelb_pdk_4_4
