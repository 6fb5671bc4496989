#include "NetAddressRule.h"
#include "EnetSession.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

namespace
{

// a.b.c.d in network order, as the UDP library keeps it.
uint32_t Ip(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    return htonl(a << 24 | b << 16 | c << 8 | d);
}

} // namespace

TEST(NetAddressRule, OnlyAPlayerOnTheHostsMachineIsReachedAtTheHostsAddress)
{
    const struct
    {
        uint32_t listed;
        uint32_t host;
        uint32_t reached;
    } rows[] = {
        // On the host's machine: where the joiner sees the host.
        {Ip(127, 0, 0, 1), Ip(192, 168, 1, 20), Ip(192, 168, 1, 20)},
        {Ip(127, 0, 0, 2), Ip(10, 0, 0, 5), Ip(10, 0, 0, 5)},
        {Ip(127, 255, 255, 254), Ip(192, 168, 1, 20), Ip(192, 168, 1, 20)},
        // Elsewhere on the local network: where the host saw it.
        {Ip(192, 168, 1, 30), Ip(192, 168, 1, 20), Ip(192, 168, 1, 30)},
        {Ip(10, 0, 0, 127), Ip(10, 0, 0, 5), Ip(10, 0, 0, 127)},
        {Ip(128, 0, 0, 1), Ip(10, 0, 0, 5), Ip(128, 0, 0, 1)},
        {Ip(126, 255, 255, 255), Ip(10, 0, 0, 5), Ip(126, 255, 255, 255)},
        // The joiner shares the host's machine: the loopback address as listed.
        {Ip(127, 0, 0, 2), Ip(127, 0, 0, 1), Ip(127, 0, 0, 2)},
        {Ip(192, 168, 1, 30), Ip(127, 0, 0, 1), Ip(192, 168, 1, 30)},
    };
    for (const auto& row : rows)
        EXPECT_EQ(plat::ReachedAddress(row.listed, row.host), row.reached)
            << std::hex << ntohl(row.listed) << " via " << ntohl(row.host);
}

TEST(NetAddressRule, JoinersListenAboveTheSessionsPortButNotAtDiscovery)
{
    using Ports = std::vector<uint16_t>;
    static_assert(plat::EnetSession::kDiscoveryPort == 28641);
    EXPECT_EQ(plat::JoinerListenPorts(28640), (Ports{28642, 28643, 28644, 28645, 28646, 28647, 28648, 28649}));
    EXPECT_EQ(plat::JoinerListenPorts(28634), (Ports{28636, 28637, 28638, 28639, 28640, 28642, 28643}));
    EXPECT_EQ(plat::JoinerListenPorts(65530), (Ports{65532, 65533, 65534, 65535}));
    EXPECT_TRUE(plat::JoinerListenPorts(65534).empty());
}
