// CFiIcuMessage: a message whose arguments are ICU Formattable values and
// whose text is formatted with ICU MessageFormat ("{0}"-style patterns).
//
// Serialized form (the text of the framework's qlb_msg_info record), one
// line per piece, each piece formatted within 1024 bytes:
//
//   <SERIALIZED_MESSAGE MSGID=MSG_A SEVERITY=2>
//   \t<ARGVALUE INDEX=0 TYPE=3>abc</ARGVALUE>
//   </SERIALIZED_MESSAGE>
//
// TYPE is the Formattable type: 0 date and 1 double (written as the double
// in "%g" form), 2 long, 3 string; other types are written without a value
// and dropped when read back. A message without arguments serializes to an
// empty text. A value runs up to the next "<": a string argument holding
// "<" comes back cut there. A SEVERITY outside 0 to 4 reads as 3 (error).
#ifndef QLB_PDK_CFIICUMESSAGE_H
#define QLB_PDK_CFIICUMESSAGE_H

#include <quelb/quelb_records.h>
#include <unicode/fmtable.h>

#include <initializer_list>
#include <string>

#include "cfiexport.h"
#include "cfimessage.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiIcuMessage : public CFiMessage {
 public:
  // Copies `count` arguments; the serialized record stays empty until
  // serialize().
  CFiIcuMessage(const std::string& messageId, const icu::Formattable* arguments, int32_t count,
                qlb_eseverity severity, const std::string& sourceFile, int line);
  CFiIcuMessage(const std::string& messageId, std::initializer_list<icu::Formattable> arguments,
                qlb_eseverity severity, const std::string& sourceFile, int line);
  // Rebuilds id, severity and arguments from a record (see deserialize).
  explicit CFiIcuMessage(const qlb_msg_info* record);
  ~CFiIcuMessage() override;

  // Builds the serialized text; the record points into the message and
  // stays valid until the next serialize() or the message's end.
  qlb_msg_info* serialize() override;
  // Reads id, severity and arguments from the record's text. A text
  // without "<SERIALIZED_MESSAGE" leaves an empty id and no arguments.
  // Arguments take their order of appearance; INDEX is not used.
  void deserialize(const qlb_msg_info* record) override;

  // The pattern formatted with the arguments. Numbers are written the same
  // in every language and whatever the process locale: digits without
  // grouping ("en_US_POSIX" conventions). When ICU cannot format, the text
  // it produced, or the pattern itself when that is empty.
  tstring formatMessage(const tstring& pattern) override;

  int32_t argumentCount() const;
  // The argument at `index` (0 <= index < argumentCount()).
  const icu::Formattable& argument(int32_t index) const;

  // String arguments from UTF-8 and wide text.
  static icu::Formattable text(const std::string& value);
  static icu::Formattable text(const tstring& value);

 private:
  void setArguments(const icu::Formattable* arguments, int32_t count);

  icu::Formattable m_arguments;  // an array of the arguments
  qlb_msg_info m_record;
  std::string m_serialized;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIICUMESSAGE_H
