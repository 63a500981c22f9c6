// The system's resolver on Windows: GetComputerNameW, and Winsock's
// getaddrinfo (IPv4) and getnameinfo (a name is required). Winsock is
// started once, on first use, and stays started for the process.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstring>
#include <mutex>

#include "cfinetwork.h"
#include "utf8.h"

namespace quelb_pdk_4_4 {

namespace {

bool winsockStarted() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    WSADATA data;
    started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  });
  return started;
}

}  // namespace

bool CFiNetwork::platformComputerName(std::string& name) {
  wchar_t text[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(text, &length)) return false;
  name = boundedtext::wideToUtf8(text, length);
  return true;
}

bool CFiNetwork::platformResolveIPv4(const std::string& name, unsigned char address[4]) {
  if (!winsockStarted()) return false;
  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
  bool resolved = false;
  for (const addrinfo* ai = found; ai; ai = ai->ai_next) {
    if (ai->ai_family != AF_INET || ai->ai_addrlen < sizeof(sockaddr_in)) continue;
    sockaddr_in in;
    std::memcpy(&in, ai->ai_addr, sizeof in);
    std::memcpy(address, &in.sin_addr.s_addr, 4);
    resolved = true;
    break;
  }
  freeaddrinfo(found);
  return resolved;
}

bool CFiNetwork::platformReverseIPv4(const unsigned char address[4], std::string& name) {
  if (!winsockStarted()) return false;
  sockaddr_in in;
  std::memset(&in, 0, sizeof in);
  in.sin_family = AF_INET;
  std::memcpy(&in.sin_addr.s_addr, address, 4);
  char host[NI_MAXHOST];
  if (getnameinfo(reinterpret_cast<const sockaddr*>(&in), sizeof in, host, sizeof host, nullptr, 0,
                  NI_NAMEREQD) != 0)
    return false;
  host[sizeof host - 1] = '\0';
  name = host;
  return true;
}

}  // namespace quelb_pdk_4_4
