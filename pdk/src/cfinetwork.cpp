#include "cfinetwork.h"

#include <vector>

#include "boundedtext.h"
#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

namespace {

const int kSuccess = 0;
const int kFailure = 3;

// Splits at every '.', keeping empty pieces.
std::vector<std::string> splitDots(const std::string& text) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (true) {
    size_t dot = text.find('.', start);
    if (dot == std::string::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, dot - start));
    start = dot + 1;
  }
}

// The value of a token accepted by IsTokenValid.
unsigned tokenValue(const std::string& token) {
  unsigned value = 0;
  for (char c : token) value = value * 10 + static_cast<unsigned>(c - '0');
  return value;
}

}  // namespace

std::string CFiNetwork::getComputerName() {
  std::string name;
  return platformComputerName(name) ? name : std::string();
}

int CFiNetwork::getHostbyName(const std::string& name, std::string& address) {
  address.clear();
  unsigned char b[4];
  if (name.empty() || !platformResolveIPv4(name, b)) return kFailure;
  char text[16];
  boundedtext::format(text, sizeof text, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
  address = text;
  return kSuccess;
}

int CFiNetwork::getHostbyAddr(const std::string& address, std::string& name) {
  if (!validateIPAddress(address)) {
    name = address;
    return kFailure;
  }
  name.clear();
  std::vector<std::string> pieces = splitDots(address);
  unsigned char b[4];
  for (size_t i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(tokenValue(pieces[i]));
  return platformReverseIPv4(b, name) ? kSuccess : kFailure;
}

int CFiNetwork::getFQDN(const char* name, std::string& fqdn) {
  fqdn.clear();
  if (!name || !*name) return kFailure;
  std::string lower = CFiStringTool::tostrlower(name);
  std::string address = lower;
  if (!validateIPAddress(lower) && getHostbyName(lower, address) != kSuccess) return kFailure;
  std::string found;
  if (getHostbyAddr(address, found) != kSuccess) return kFailure;
  fqdn = CFiStringTool::tostrlower(found);
  return kSuccess;
}

int CFiNetwork::getFQDN(const std::string& name, std::string& fqdn) {
  return getFQDN(name.c_str(), fqdn);
}

int CFiNetwork::getFQDN(std::string& fqdn) { return getFQDN(getComputerName(), fqdn); }

int CFiNetwork::IsTokenValid(const std::string& token) {
  if (token.empty() || !CFiStringTool::isDigit(token)) return kFailure;
  size_t first = token.find_first_not_of('0');
  if (first != std::string::npos && token.size() - first > 3) return kFailure;
  return tokenValue(token) <= 255 ? kSuccess : kFailure;
}

bool CFiNetwork::validateIPAddress(const std::string& text) {
  std::vector<std::string> pieces = splitDots(text);
  if (pieces.size() != 4) return false;
  for (const std::string& piece : pieces)
    if (IsTokenValid(piece) != kSuccess) return false;
  return true;
}

CFiHostInfo CFiNetwork::resolve(const std::string& name) {
  CFiHostInfo info;
  if (name.empty()) return info;
  std::string hostName;
  std::string address;
  std::string fqdn;
  if (validateIPAddress(name)) {
    address = name;
    getHostbyAddr(name, hostName);
    getFQDN(name, fqdn);
  } else {
    hostName = name;
    if (getHostbyName(name, address) == kSuccess) getFQDN(address, fqdn);
  }
  return CFiHostInfo(hostName, address, fqdn);
}

CFiHostInfo CFiNetwork::resolve() { return resolve(getComputerName()); }

bool CFiNetwork::compare(const CFiHostInfo& a, const CFiHostInfo& b) {
  if (!a.getIpAddress().empty() && CFiStringTool::CompareNoCase(a.getIpAddress(), b.getIpAddress()))
    return true;
  if (!a.getHostName().empty() && CFiStringTool::CompareNoCase(a.getHostName(), b.getHostName()))
    return true;
  return !a.getFQDN().empty() && CFiStringTool::CompareNoCase(a.getFQDN(), b.getFQDN());
}

bool CFiNetwork::compare(const std::string& name, const CFiHostInfo& b) {
  if (name.empty()) return false;
  return CFiStringTool::CompareNoCase(name, b.getIpAddress()) ||
         CFiStringTool::CompareNoCase(name, b.getFQDN()) ||
         CFiStringTool::CompareNoCase(name, b.getHostName());
}

}  // namespace quelb_pdk_4_4
