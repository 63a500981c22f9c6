// CFiUdid: a device identity string, "UDID##vendor##product##serial##device".
// For a Symmetrix device the vendor is EMC, the product SYMMETRIX, the serial
// the array's Symmetrix ID and the device the SYMCLI device name. Parsing
// keeps the case of the text; building upper-cases the whole string. There
// is no escaping: only the device part, the remainder, may hold "##".
//
// CFiUdidException: a text that is no identity string, with the reason.
#ifndef QLB_PDK_CFIUDID_H
#define QLB_PDK_CFIUDID_H

#include <string>

#include "cfiexport.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiUdidException {
 public:
  // Reasons a text fails to parse.
  enum {
    FI_UDID_NO_SERIAL = 1,      // nothing follows the "##" after the product
    FI_UDID_NO_MARKER = 2,      // no "UDID##" in the text
    FI_UDID_NO_VENDOR_END = 3,  // no "##" after the vendor
    FI_UDID_NO_PRODUCT_END = 4  // no "##" after the product
  };

  CFiUdidException(const std::string& text, int code) : m_text(text), m_code(code) {}

  // The text that failed to parse.
  const std::string& text() const { return m_text; }
  int code() const { return m_code; }

 private:
  std::string m_text;
  int m_code;
};

class QLB_PDK_EXPORT CFiUdid {
 public:
  // The marker that starts every identity string.
  static const char* const MARKER;  // "UDID##"

  CFiUdid() {}
  // Parse the text; throw CFiUdidException as parse() does.
  explicit CFiUdid(const std::string& text);
  explicit CFiUdid(const char* text);
  explicit CFiUdid(const tstring& text);
  explicit CFiUdid(const wchar_t* text);

  // Replaces the four parts with those of the text. Characters before the
  // first "UDID##" are ignored. With only three parts after the marker the
  // serial stays empty and the third part is the device. On failure throws
  // CFiUdidException(text, code); the parts found before the failure stay,
  // the others are empty.
  void parse(const std::string& text);
  void parse(const tstring& text);

  void clear();

  const std::string& vendor() const { return m_vendor; }
  const std::string& product() const { return m_product; }
  const std::string& serial() const { return m_serial; }
  const std::string& device() const { return m_device; }
  void setDevice(const std::string& device) { m_device = device; }

  // "UDID##" + vendor + "##" + product + "##", upper-cased.
  std::string prefix() const;
  // prefix() + serial + "##" + device, upper-cased (the serial and its "##"
  // are written also when the serial is empty).
  std::string toString() const;
  tstring toWide() const;

 private:
  std::string m_vendor;
  std::string m_product;
  std::string m_serial;
  std::string m_device;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIUDID_H
