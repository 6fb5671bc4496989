#pragma once
// Where a copy of a network session reaches the others, and where it listens. Addresses are IPv4
// in network order, as the UDP library keeps them.

#include <cstdint>
#include <vector>

namespace plat
{

// Where a joiner reaches a player the host lists at listedHost, the joiner seeing the host at
// hostAsSeen. A player on the host's own machine is seen by the host on the loopback network,
// which is the joiner's own machine to the joiner: unless the joiner shares that machine too, it
// reaches that player at the host's address. Any other listed address is where the player is.
uint32_t ReachedAddress(uint32_t listedHost, uint32_t hostAsSeen);

// The ports a joiner of the session at sessionPort tries to listen at, first free first: the
// session's port plus 2 to 9, without discovery's port and none past 65535. Fixed ports a player
// can name and open, so that any copy can host after a move.
std::vector<uint16_t> JoinerListenPorts(uint16_t sessionPort);

} // namespace plat
