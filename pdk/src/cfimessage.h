// CFiMessage: a message the provider shows to a user: an id such as
// "MSG_ERROR_NO_ARRAYS_DISCOVERED", a severity, the raising source file and
// line. Subclasses add typed arguments, the serialized form that crosses to
// the framework and the formatting from a catalog pattern.
#ifndef QLB_PDK_CFIMESSAGE_H
#define QLB_PDK_CFIMESSAGE_H

#include <quelb/quelb_records.h>

#include <string>

#include "cfiexport.h"
#include "cfirefcount.h"
#include "cfismartptr.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiMessage : public virtual CFiRefCount {
 public:
  CFiMessage() : m_severity(QLB_SEV_NONE), m_line(0) {}
  CFiMessage(const std::string& messageId, qlb_eseverity severity, const std::string& sourceFile,
             int line)
      : m_messageId(messageId), m_severity(severity), m_sourceFile(sourceFile), m_line(line) {}
  virtual ~CFiMessage() {}

  // The serialized record of the message; it belongs to the message and
  // stays valid until the message is released.
  virtual qlb_msg_info* serialize() = 0;
  // Rebuilds id, severity and arguments from a serialized record.
  virtual void deserialize(const qlb_msg_info* record) = 0;

  virtual qlb_eseverity severity() const { return m_severity; }
  virtual int line() const { return m_line; }
  virtual std::string sourceFile() const { return m_sourceFile; }
  virtual std::string messageId() const { return m_messageId; }

  // The catalog pattern formatted with the message's arguments.
  virtual tstring formatMessage(const tstring& pattern) = 0;

 protected:
  std::string m_messageId;
  qlb_eseverity m_severity;
  std::string m_sourceFile;
  int m_line;
};

typedef CFiSmartPtr<CFiMessage, CFiNullAllocator<CFiMessage> > CFiMessagePtr;

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIMESSAGE_H
