#pragma once
// A seat's proof in a network session: the host gives each player (and itself) a random token
// that only that player's copy learns; every copy keeps only a one-way digest of each token, so a
// copy that knows the digests cannot claim another player's seat. Any thread.

#include <array>
#include <cstddef>
#include <cstdint>

namespace plat
{

constexpr size_t kSeatTokenBytes = 32;
constexpr size_t kSeatDigestBytes = 32;
using SeatToken = std::array<uint8_t, kSeatTokenBytes>;
using SeatDigest = std::array<uint8_t, kSeatDigestBytes>;

// Random bytes from the system's generator.
SeatToken NewSeatToken();
SeatDigest DigestOf(const SeatToken& token);
// In a time that does not depend on where the digests differ.
bool SameDigest(const SeatDigest& a, const SeatDigest& b);

} // namespace plat
