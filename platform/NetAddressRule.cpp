#include "NetAddressRule.h"

#include "EnetSession.h"

#include <arpa/inet.h>

namespace plat
{

namespace
{

// 127.0.0.0/8: the first octet, which network order keeps first.
bool IsLoopbackHost(uint32_t host)
{
    return (ntohl(host) >> 24) == 127;
}

constexpr uint32_t kFirstJoinerOffset = 2;
constexpr uint32_t kLastJoinerOffset = 9;

} // namespace

uint32_t ReachedAddress(uint32_t listedHost, uint32_t hostAsSeen)
{
    return IsLoopbackHost(listedHost) && !IsLoopbackHost(hostAsSeen) ? hostAsSeen : listedHost;
}

std::vector<uint16_t> JoinerListenPorts(uint16_t sessionPort)
{
    std::vector<uint16_t> ports;
    for (uint32_t port = sessionPort + kFirstJoinerOffset; port <= sessionPort + kLastJoinerOffset && port <= 65535;
         ++port)
        if (port != EnetSession::kDiscoveryPort)
            ports.push_back(static_cast<uint16_t>(port));
    return ports;
}

} // namespace plat
