#pragma once
// The frames the copies of a session over UDP send each other: a tag byte, then the tag's fields,
// little-endian. Every read is bounded by the frame's size.

#include "NetSession.h"
#include "SeatToken.h"

#include <enet/enet.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace plat::enetwire
{

// A newcomer asks for a place: its name.
constexpr uint8_t kFrameJoin = 'J';
// A player of the session in a host's move asks another copy for its place: the session's key (who
// the session is, no proof), its id, its name, the host it moves away from, the time left to its
// deadline (ms), its seat's token (the proof), the highest id it has heard of, the digests of
// the seats it knows (see PutDigests), and where each player it knows listens (see PutWhere).
constexpr uint8_t kFrameRejoin = 'R';
// Answers to a rejoin while the move goes on. Hold on: this copy still looks for the host too
// (the time left to its deadline, ms); the link stays. The host is: the player named hosts, with
// where it listens; the link ends (kToldHost).
constexpr uint8_t kFrameHoldOn = 'H';
constexpr uint8_t kFrameHostIs = 'I';
// The host's list, to a newcomer or a player come back: see EnetSession::State::WelcomeFor.
constexpr uint8_t kFrameWelcome = 'W';
// A player joined: id, name, where it listens, its seat's digest.
constexpr uint8_t kFrameCreated = 'P';
constexpr uint8_t kFrameDestroyed = 'D';
constexpr uint8_t kFrameName = 'N';
// A game's message: sender, addressee, the sender's number for it (guaranteed ones count from 1,
// others 0), the bytes.
constexpr uint8_t kFrameApp = 'A';
// The host opened or closed its door to newcomers.
constexpr uint8_t kFrameDoor = 'K';
// The host turned a place away (a player let go for a flood), so that whoever hosts next does too:
// the address and port, the time it has left (ms), how many let-goes it counts.
constexpr uint8_t kFrameTurnedAway = 'T';

// A disconnection's data beside the join refusals (NetJoinFailure). 0 is a time-out: silence,
// which may end. The host let this player go for a flood (final).
constexpr uint32_t kLetGo = 0x101;
// The player left (Close): final at once.
constexpr uint32_t kLeave = 0x102;
// The host moves away from the copy that sends it: a player that has heard of the move, or a host
// stepping down. Whoever hears it takes part in the move.
constexpr uint32_t kMoved = 0x103;
// Refusals of a rejoin during a move: the asker is not of this session (skip this id); the asker's
// place was given up when its window ended (final); the claim to the seat failed (final); the
// link ends after a kFrameHostIs; an ask no longer needed (the asker has its host).
constexpr uint32_t kNotOfSession = 0x104;
constexpr uint32_t kBackAfterWindow = 0x105;
constexpr uint32_t kClaimFailed = 0x106;
constexpr uint32_t kToldHost = 0x107;
constexpr uint32_t kSettled = 0x108;

constexpr char kDiscoveryQuery[4] = {'T', 'O', 'V', 'Q'};
constexpr char kDiscoveryAnswer[4] = {'T', 'O', 'V', 'A'};
constexpr size_t kMaxName = kNetMaxPlayerName;
constexpr int32_t kMaxSessionPlayers = 32;
constexpr size_t kMaxSessionPlayersOnWire = kMaxSessionPlayers;
constexpr int32_t kConnectWaitMs = 3000;
constexpr int32_t kServiceStepMs = 2;
// A connection holds a place until it joins; one that sends no join within this time, or half the
// time-out if less (the session's clock), is dropped, so that idle connections cannot keep the
// players out.
constexpr uint32_t kJoinWaitMs = 5000;
// Connections beyond the players' places, so that a refused one is told why rather than unheard:
// the most places connections from strangers (no listed address and port) hold at once.
constexpr size_t kRefusalPeers = 4;
// How long a closing end goes on sending what it has queued (its leave among it) before it
// disconnects at once: real time, as the peers' answers come in it.
constexpr int32_t kCloseWaitMs = 1000;

inline void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void PutU64(std::vector<uint8_t>& out, uint64_t v)
{
    PutU32(out, static_cast<uint32_t>(v));
    PutU32(out, static_cast<uint32_t>(v >> 32));
}

inline void PutName(std::vector<uint8_t>& out, const std::string& name)
{
    const size_t n = std::min(name.size(), kMaxName);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n));
}

// Where a copy listens: the address as the library keeps it (network order) and the port.
inline void PutAddress(std::vector<uint8_t>& out, const ENetAddress& address)
{
    PutU32(out, address.host);
    out.push_back(static_cast<uint8_t>(address.port));
    out.push_back(static_cast<uint8_t>(address.port >> 8));
}

// A seat's token or digest: its bytes as they are.
template <size_t N> void PutBytes(std::vector<uint8_t>& out, const std::array<uint8_t, N>& bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// Digests by id: a count, then each id with its digest.
inline void PutDigests(std::vector<uint8_t>& out, const std::map<NetPlayerId, SeatDigest>& digests)
{
    const size_t n = std::min<size_t>(digests.size(), kMaxSessionPlayersOnWire);
    out.push_back(static_cast<uint8_t>(n));
    size_t put = 0;
    for (const auto& [id, digest] : digests)
        if (put++ < n)
        {
            PutU32(out, id);
            PutBytes(out, digest);
        }
}

// Where players listen, by id: a count, then each id with its address.
inline void PutWhere(std::vector<uint8_t>& out, const std::map<NetPlayerId, ENetAddress>& where)
{
    const size_t n = std::min<size_t>(where.size(), kMaxSessionPlayersOnWire);
    out.push_back(static_cast<uint8_t>(n));
    size_t put = 0;
    for (const auto& [id, at] : where)
        if (put++ < n)
        {
            PutU32(out, id);
            PutAddress(out, at);
        }
}

class FrameReader
{
public:
    FrameReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool U32(uint32_t& v)
    {
        if (m_size - m_at < 4)
            return false;
        v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t(m_data[m_at + i]) << (8 * i);
        m_at += 4;
        return true;
    }
    bool U64(uint64_t& v)
    {
        uint32_t low = 0;
        uint32_t high = 0;
        if (!U32(low) || !U32(high))
            return false;
        v = low | uint64_t(high) << 32;
        return true;
    }
    bool Name(std::string& name)
    {
        if (m_at >= m_size)
            return false;
        const size_t n = std::min<size_t>(m_data[m_at++], kMaxName);
        if (m_size - m_at < n)
            return false;
        name.assign(reinterpret_cast<const char*>(m_data + m_at), n);
        name = name.substr(0, name.find('\0'));
        BlankControlBytes(name.data(), name.size());
        m_at += n;
        return true;
    }
    bool U8(uint8_t& v)
    {
        if (m_at >= m_size)
            return false;
        v = m_data[m_at++];
        return true;
    }
    bool Address(ENetAddress& address)
    {
        uint8_t low = 0;
        uint8_t high = 0;
        if (!U32(address.host) || !U8(low) || !U8(high))
            return false;
        address.port = static_cast<uint16_t>(low | high << 8);
        return true;
    }
    template <size_t N> bool Bytes(std::array<uint8_t, N>& bytes)
    {
        if (m_size - m_at < N)
            return false;
        std::copy(m_data + m_at, m_data + m_at + N, bytes.begin());
        m_at += N;
        return true;
    }
    bool Digests(std::map<NetPlayerId, SeatDigest>& digests)
    {
        uint8_t count = 0;
        if (!U8(count) || count > kMaxSessionPlayersOnWire)
            return false;
        for (uint8_t i = 0; i < count; ++i)
        {
            uint32_t id = 0;
            SeatDigest digest{};
            if (!U32(id) || !Bytes(digest) || id == 0)
                return false;
            digests[id] = digest;
        }
        return true;
    }
    bool Where(std::map<NetPlayerId, ENetAddress>& where)
    {
        uint8_t count = 0;
        if (!U8(count) || count > kMaxSessionPlayersOnWire)
            return false;
        for (uint8_t i = 0; i < count; ++i)
        {
            uint32_t id = 0;
            ENetAddress at{};
            if (!U32(id) || !Address(at) || id == 0)
                return false;
            where[id] = at;
        }
        return true;
    }
    bool AtEnd() const { return m_at >= m_size; }
    const uint8_t* Rest() const { return m_data + m_at; }
    size_t RestSize() const { return m_size - m_at; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 1;
};

// A rejoin frame's fields (kFrameRejoin).
struct RejoinFrame
{
    uint64_t key = 0;
    uint32_t id = 0;
    std::string name;
    uint32_t movedFrom = 0;
    uint32_t leftMs = 0;
    SeatToken token{};
    uint32_t lastId = 0;
    std::map<NetPlayerId, SeatDigest> digests;
    std::map<NetPlayerId, ENetAddress> where;
};

inline bool ReadRejoin(const uint8_t* data, size_t size, RejoinFrame& out)
{
    FrameReader in(data, size);
    return size > 0 && data[0] == kFrameRejoin && in.U64(out.key) && in.U32(out.id) && in.Name(out.name) &&
           in.U32(out.movedFrom) && in.U32(out.leftMs) && in.Bytes(out.token) && in.U32(out.lastId) &&
           in.Digests(out.digests) && (in.AtEnd() || in.Where(out.where));
}

// A refusal travels as the disconnection's data; anything else is no refusal a joiner can name.
inline NetJoinFailure RefusalOf(uint32_t data)
{
    if (data == static_cast<uint32_t>(NetJoinFailure::Full))
        return NetJoinFailure::Full;
    if (data == static_cast<uint32_t>(NetJoinFailure::Begun))
        return NetJoinFailure::Begun;
    if (data == static_cast<uint32_t>(NetJoinFailure::TurnedAway))
        return NetJoinFailure::TurnedAway;
    return NetJoinFailure::NotFound;
}

inline std::vector<std::string> NamesBut(const std::map<NetPlayerId, std::string>& names, NetPlayerId except)
{
    std::vector<std::string> out;
    for (const auto& [id, name] : names)
        if (id != except)
            out.push_back(name);
    return out;
}

} // namespace plat::enetwire
