#include "cfiudid.h"

#include <cstring>

#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

namespace {
const char kSeparator[] = "##";
const size_t kSeparatorLength = 2;
}  // namespace

const char* const CFiUdid::MARKER = "UDID##";

CFiUdid::CFiUdid(const std::string& text) { parse(text); }

CFiUdid::CFiUdid(const char* text) { parse(std::string(text ? text : "")); }

CFiUdid::CFiUdid(const tstring& text) { parse(text); }

CFiUdid::CFiUdid(const wchar_t* text) { parse(CFiStringTool::wcs2mbs(text)); }

void CFiUdid::parse(const tstring& text) { parse(CFiStringTool::tstr2str(text)); }

void CFiUdid::parse(const std::string& text) {
  clear();
  size_t marker = text.find(MARKER);
  if (marker == std::string::npos)
    throw CFiUdidException(text, CFiUdidException::FI_UDID_NO_MARKER);
  std::string rest = text.substr(marker + std::string(MARKER).size());

  size_t end = rest.find(kSeparator);
  if (end == std::string::npos)
    throw CFiUdidException(text, CFiUdidException::FI_UDID_NO_VENDOR_END);
  m_vendor = rest.substr(0, end);
  rest.erase(0, end + kSeparatorLength);

  end = rest.find(kSeparator);
  if (end == std::string::npos)
    throw CFiUdidException(text, CFiUdidException::FI_UDID_NO_PRODUCT_END);
  m_product = rest.substr(0, end);
  rest.erase(0, end + kSeparatorLength);

  if (rest.empty()) throw CFiUdidException(text, CFiUdidException::FI_UDID_NO_SERIAL);

  end = rest.find(kSeparator);
  if (end == std::string::npos) {
    m_device = rest;
    return;
  }
  m_serial = rest.substr(0, end);
  m_device = rest.substr(end + kSeparatorLength);
}

void CFiUdid::clear() {
  m_vendor.clear();
  m_product.clear();
  m_serial.clear();
  m_device.clear();
}

std::string CFiUdid::prefix() const {
  return CFiStringTool::tostrupper(MARKER + m_vendor + kSeparator + m_product + kSeparator);
}

// Built in one string and upper-cased in place: the enumeration makes one
// per device.
std::string CFiUdid::toString() const {
  std::string text;
  text.reserve(std::strlen(MARKER) + m_vendor.size() + m_product.size() + m_serial.size() +
               m_device.size() + 3 * kSeparatorLength);
  text += MARKER;
  text += m_vendor;
  text += kSeparator;
  text += m_product;
  text += kSeparator;
  text += m_serial;
  text += kSeparator;
  text += m_device;
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

tstring CFiUdid::toWide() const { return CFiStringTool::str2tstr(toString()); }

}  // namespace quelb_pdk_4_4
