#pragma once
// A host that writes its frames by hand on the loopback interface: it answers each join with the
// welcome a test makes for that connection, and sends whatever frames a test makes.

#include "EnetSession.h"
#include "SeatToken.h"

#include <enet/enet.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

// A player in a welcome's list.
struct ListedPlayer
{
    uint32_t id;
    std::string name;
    ENetAddress at;
};

inline void PutWireU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void PutWirePlayer(std::vector<uint8_t>& out, const std::string& name, const ENetAddress& at)
{
    out.push_back(static_cast<uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    PutWireU32(out, at.host);
    out.push_back(static_cast<uint8_t>(at.port));
    out.push_back(static_cast<uint8_t>(at.port >> 8));
}

// A welcome as a session's host writes it: the player's id, the host's, the others, the player's
// own name and where it is seen, the session's key, the highest id given, eight places, the door
// open, no discovery, and the session's name; then, where `seats` is given, the player's own seat
// token and the digest of each seat.
struct WelcomeSeats
{
    plat::SeatToken token;
    std::map<plat::NetPlayerId, plat::SeatDigest> digests;
};

inline std::vector<uint8_t> WelcomeFrame(uint32_t id, uint32_t hostId, const std::vector<ListedPlayer>& others,
                                         const std::string& own, const ENetAddress& ownAt, uint64_t secret,
                                         uint32_t lastId, const WelcomeSeats* seats = nullptr)
{
    std::vector<uint8_t> frame{'W'};
    PutWireU32(frame, id);
    PutWireU32(frame, hostId);
    PutWireU32(frame, static_cast<uint32_t>(others.size()));
    for (const ListedPlayer& other : others)
    {
        PutWireU32(frame, other.id);
        PutWirePlayer(frame, other.name, other.at);
    }
    PutWirePlayer(frame, own, ownAt);
    PutWireU32(frame, static_cast<uint32_t>(secret));
    PutWireU32(frame, static_cast<uint32_t>(secret >> 32));
    PutWireU32(frame, lastId);
    frame.insert(frame.end(), {8, 1, 0, 8, 'L', 'a', 'k', 'e', ' ', 'd', 'a', 'y'});
    if (seats != nullptr)
    {
        frame.insert(frame.end(), seats->token.begin(), seats->token.end());
        frame.push_back(static_cast<uint8_t>(seats->digests.size()));
        for (const auto& [player, digest] : seats->digests)
        {
            PutWireU32(frame, player);
            frame.insert(frame.end(), digest.begin(), digest.end());
        }
    }
    return frame;
}

class HandMadeHost
{
public:
    using WelcomeMaker = std::function<std::vector<uint8_t>(const ENetPeer& joiner)>;

    HandMadeHost()
    {
        ENetAddress bind{};
        enet_address_set_host_ip(&bind, "127.0.0.1");
        m_host = enet_host_create(&bind, 4, 2, 0, 0);
    }
    ~HandMadeHost()
    {
        if (m_host != nullptr)
            enet_host_destroy(m_host);
    }
    HandMadeHost(const HandMadeHost&) = delete;
    HandMadeHost& operator=(const HandMadeHost&) = delete;

    bool Made() const { return m_host != nullptr; }
    // To the index-th player that joined (0: the first).
    void Send(size_t index, const std::vector<uint8_t>& frame)
    {
        enet_peer_send(m_joined.at(index), 0,
                       enet_packet_create(frame.data(), frame.size(), ENET_PACKET_FLAG_RELIABLE));
        enet_host_flush(m_host);
    }
    void Service()
    {
        ENetEvent event;
        while (enet_host_service(m_host, &event, 5) > 0)
        {
            if (event.type != ENET_EVENT_TYPE_RECEIVE)
                continue;
            if (event.packet->dataLength > 0 && event.packet->data[0] == 'J')
            {
                m_joined.push_back(event.peer);
                Send(m_joined.size() - 1, m_welcome(*event.peer));
            }
            enet_packet_destroy(event.packet);
        }
    }
    // The player joins here as `name` and is welcomed with what `welcome` makes; true once it is in.
    bool Welcome(plat::EnetSession& player, const std::string& name, WelcomeMaker welcome)
    {
        m_welcome = std::move(welcome);
        ENetAddress bound{};
        enet_socket_get_address(m_host->socket, &bound);
        bool joined = false;
        std::atomic<bool> finished{false};
        std::thread joiner(
            [&]
            {
                joined = player.Join("127.0.0.1:" + std::to_string(bound.port), name);
                finished = true;
            });
        while (!finished.load())
            Service();
        joiner.join();
        return joined;
    }
    // Leaves every player at once.
    void Disconnect()
    {
        for (ENetPeer* peer : m_joined)
            enet_peer_disconnect_now(peer, 0);
        enet_host_flush(m_host);
    }
    // Leaves only the player welcomed index-th: to it the host is gone, to the others not yet.
    void Disconnect(size_t index)
    {
        enet_peer_disconnect_now(m_joined.at(index), 0);
        enet_host_flush(m_host);
    }

private:
    ENetHost* m_host = nullptr;
    std::vector<ENetPeer*> m_joined;
    WelcomeMaker m_welcome;
};
