// The system's resolver on POSIX systems: gethostname, getaddrinfo (IPv4)
// and getnameinfo (a name is required).
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "cfinetwork.h"

namespace quelb_pdk_4_4 {

bool CFiNetwork::platformComputerName(std::string& name) {
  char text[HOST_NAME_MAX + 1];
  if (::gethostname(text, sizeof text) != 0) return false;
  text[sizeof text - 1] = '\0';
  name = text;
  return true;
}

bool CFiNetwork::platformResolveIPv4(const std::string& name, unsigned char address[4]) {
  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
  bool resolved = false;
  for (const addrinfo* ai = found; ai; ai = ai->ai_next) {
    if (ai->ai_family != AF_INET || ai->ai_addrlen < sizeof(sockaddr_in)) continue;
    sockaddr_in in;
    std::memcpy(&in, ai->ai_addr, sizeof in);
    std::memcpy(address, &in.sin_addr.s_addr, 4);
    resolved = true;
    break;
  }
  ::freeaddrinfo(found);
  return resolved;
}

bool CFiNetwork::platformReverseIPv4(const unsigned char address[4], std::string& name) {
  sockaddr_in in;
  std::memset(&in, 0, sizeof in);
  in.sin_family = AF_INET;
  std::memcpy(&in.sin_addr.s_addr, address, 4);
  char host[NI_MAXHOST];
  if (::getnameinfo(reinterpret_cast<const sockaddr*>(&in), sizeof in, host, sizeof host, nullptr,
                    0, NI_NAMEREQD) != 0)
    return false;
  host[sizeof host - 1] = '\0';
  name = host;
  return true;
}

}  // namespace quelb_pdk_4_4
