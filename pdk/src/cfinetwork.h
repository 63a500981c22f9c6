// CFiNetwork: host-name resolution for matching this host against the hosts
// an array knows (IPv4, dotted decimal). CFiHostInfo: what a resolution found.
//
// All operations are static and re-entrant (the system's resolver calls
// need no lock). An int result is 0 for success, 3 for failure. The three
// calls of the system's resolver live in the platform's file
// (cfinetworkposix.cpp: gethostname, getaddrinfo, getnameinfo).
#ifndef QLB_PDK_CFINETWORK_H
#define QLB_PDK_CFINETWORK_H

#include <string>

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

// Host name, IP address (dotted decimal) and fully qualified domain name
// (lower case) of one host; a field is empty when it is unknown.
class QLB_PDK_EXPORT CFiHostInfo {
 public:
  CFiHostInfo() {}
  CFiHostInfo(const std::string& hostName, const std::string& ipAddress, const std::string& fqdn)
      : m_hostName(hostName), m_ipAddress(ipAddress), m_fqdn(fqdn) {}

  const std::string& getHostName() const { return m_hostName; }
  const std::string& getIpAddress() const { return m_ipAddress; }
  const std::string& getFQDN() const { return m_fqdn; }
  void setHostName(const std::string& s) { m_hostName = s; }
  void setIpAddress(const std::string& s) { m_ipAddress = s; }
  void setFQDN(const std::string& s) { m_fqdn = s; }

 private:
  std::string m_hostName;
  std::string m_ipAddress;
  std::string m_fqdn;
};

class QLB_PDK_EXPORT CFiNetwork {
 public:
  // The local computer's name; empty if it cannot be read.
  static std::string getComputerName();

  // Resolves name to its first IPv4 address, as "%d.%d.%d.%d". 3 (address
  // cleared) when the name is empty or does not resolve.
  static int getHostbyName(const std::string& name, std::string& address);

  // Reverse-resolves a dotted-decimal address to its host name. An address
  // that is not a valid IP address gives name = address and 3; a failed
  // lookup gives an empty name and 3.
  static int getHostbyAddr(const std::string& address, std::string& name);

  // The fully qualified name, lower case. A valid IP address is reverse-
  // resolved; any other name is resolved to its address first, which is then
  // reverse-resolved (so host names that merely begin with a digit work).
  // 3 (fqdn cleared) for a null or empty name or a failed lookup.
  static int getFQDN(const char* name, std::string& fqdn);
  static int getFQDN(const std::string& name, std::string& fqdn);
  // getFQDN of the local computer's name.
  static int getFQDN(std::string& fqdn);

  // 0 when token is made of decimal digits only and its value is 0 to 255
  // (leading zeros allowed); 3 otherwise, also for an empty token.
  static int IsTokenValid(const std::string& token);

  // Exactly four "."-separated pieces, each accepted by IsTokenValid.
  static bool validateIPAddress(const std::string& text);

  // For a valid IP address: that address, the host name of getHostbyAddr and
  // the FQDN of getFQDN. For any other name: the name as host name, the
  // address of getHostbyName and the FQDN of that address (both empty when
  // the name does not resolve). An empty name gives an empty record.
  static CFiHostInfo resolve(const std::string& name);
  // resolve of the local computer's name.
  static CFiHostInfo resolve();

  // True when a's IP address, host name or FQDN is not empty and equals the
  // same field of b, ignoring case.
  static bool compare(const CFiHostInfo& a, const CFiHostInfo& b);
  // True when name is not empty and equals b's IP address, FQDN or host
  // name, ignoring case.
  static bool compare(const std::string& name, const CFiHostInfo& b);

 private:
  // The platform file's resolver calls; each returns true on success.
  static bool platformComputerName(std::string& name);
  static bool platformResolveIPv4(const std::string& name, unsigned char address[4]);
  static bool platformReverseIPv4(const unsigned char address[4], std::string& name);
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFINETWORK_H
