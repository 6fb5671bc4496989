// The session's own frames over UDP, as a host and as a joining copy take them. Each input:
//   byte 0: bit 0 the side: 0, a host with one seated player takes the frames from a connection
//           of its own, or with bit 3 set that seated player takes them at the port it listens
//           at (as a copy asked in a move would); 1, a copy joins a hand-made host, which answers
//           its join with the first frame and sends the rest once it is in (or once the answer
//           was not taken). Bits 1-2: how that link ends (at the host or the seated player:
//           silence, a leave, a move away from the host, a refusal's code; at the joining copy:
//           let go, silence, a leave, a move away from its host);
//   then records: a 16-bit little-endian length and that many bytes, one frame each.
// Real sockets, made afresh per input, every one bound to 127.0.0.1: a move that looks for a
// copy at an address a frame named cannot send off this computer. Whatever the frames say, the
// host keeps hosting and its seated player keeps its seat, id and host (a connection that does
// not know the session's key moves nobody), every name a session tells stays within its cap and
// printable, and every message it hands on fits the session's limit.
#include "EnetSession.h"
#include "EnetWire.h"

#include <enet/enet.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace
{

constexpr size_t kMaxFrames = 64;
// Bounds on waits that end a hang: a loaded fuzzing machine never needs them whole.
constexpr auto kConnectBound = std::chrono::seconds(3);
constexpr auto kDeliverBound = std::chrono::seconds(2);
// A goodbye is a courtesy: a session that refused the link may leave it unanswered.
constexpr auto kLeaveBound = std::chrono::milliseconds(200);
// How long a copy has to take an answer its link already acknowledged, before the hand-made host
// takes it for refused and lets the copy go.
constexpr auto kTakeWelcomeMs = std::chrono::milliseconds(50);
// The ids whose names are checked: a session of this size never gives more.
constexpr plat::NetPlayerId kIdsChecked = 64;

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

std::vector<std::vector<uint8_t>> Frames(const uint8_t* data, size_t size)
{
    std::vector<std::vector<uint8_t>> frames;
    size_t at = 1;
    while (size - at >= 2 && frames.size() < kMaxFrames)
    {
        const size_t length = data[at] | size_t(data[at + 1]) << 8;
        at += 2;
        if (length == 0 || size - at < length)
            break;
        frames.emplace_back(data + at, data + at + length);
        at += length;
    }
    return frames;
}

void CheckNames(const plat::EnetSession& session)
{
    std::set<std::string> seen;
    for (plat::NetPlayerId id = 1; id <= kIdsChecked; ++id)
    {
        const std::string name = session.GetPlayerName(id);
        Check(name.size() <= plat::kNetMaxPlayerName);
        for (const char c : name)
            Check(static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F);
        // The host keeps names unique among its players.
        if (session.IsHost() && session.HasPlayer(id))
            Check(seen.insert(name).second);
    }
}

void DrainMessages(plat::EnetSession& session)
{
    plat::NetMessage message;
    while (session.Receive(message, 0))
        Check(message.data.size() <= plat::kNetMaxMessage);
}

// One end of raw ENet on 127.0.0.1 that sends only the input's frames.
class RawEnd
{
public:
    explicit RawEnd(size_t peers)
    {
        ENetAddress bind{};
        enet_address_set_host_ip(&bind, "127.0.0.1");
        m_host = enet_host_create(&bind, peers, 2, 0, 0);
    }
    ~RawEnd()
    {
        if (m_host != nullptr)
            enet_host_destroy(m_host);
    }
    RawEnd(const RawEnd&) = delete;
    RawEnd& operator=(const RawEnd&) = delete;

    bool Made() const { return m_host != nullptr; }
    uint16_t Port() const
    {
        ENetAddress bound{};
        enet_socket_get_address(m_host->socket, &bound);
        return bound.port;
    }
    bool Connect(uint16_t port)
    {
        ENetAddress target{};
        enet_address_set_host_ip(&target, "127.0.0.1");
        target.port = port;
        m_peer = enet_host_connect(m_host, &target, 2, 0);
        return m_peer != nullptr && ServiceUntil([this] { return m_connected; }, kConnectBound);
    }
    void Send(const std::vector<uint8_t>& frame)
    {
        if (m_peer == nullptr)
            return;
        enet_peer_send(m_peer, 0, enet_packet_create(frame.data(), frame.size(), ENET_PACKET_FLAG_RELIABLE));
        enet_host_flush(m_host);
    }
    // Every frame sent is acknowledged, or the link is going.
    bool Delivered() const
    {
        return m_peer == nullptr || m_peer->state != ENET_PEER_STATE_CONNECTED ||
               (enet_list_empty(&m_peer->sentReliableCommands) && enet_list_empty(&m_peer->outgoingCommands));
    }
    // Says goodbye with `data` once what was sent is through; a link already going, or one that
    // does not answer, is dropped.
    void Leave(uint32_t data)
    {
        if (m_peer != nullptr && m_peer->state == ENET_PEER_STATE_CONNECTED)
        {
            enet_peer_disconnect_later(m_peer, data);
            ServiceUntil([this] { return m_peer == nullptr; }, kLeaveBound);
        }
        if (m_peer != nullptr)
            enet_peer_reset(m_peer);
        m_peer = nullptr;
    }
    template <typename Done> bool ServiceUntil(Done done, std::chrono::milliseconds bound)
    {
        const auto end = std::chrono::steady_clock::now() + bound;
        while (!done())
        {
            if (std::chrono::steady_clock::now() > end)
                return false;
            Service();
        }
        return true;
    }
    void Service()
    {
        ENetEvent event;
        while (enet_host_service(m_host, &event, 1) > 0)
            switch (event.type)
            {
            case ENET_EVENT_TYPE_CONNECT:
                // The hand-made host takes the first connection that comes; the other end, its own.
                if (m_peer == nullptr)
                    m_peer = event.peer;
                m_connected = m_connected || event.peer == m_peer;
                break;
            case ENET_EVENT_TYPE_RECEIVE:
                if (event.peer == m_peer && event.packet->dataLength > 0 &&
                    event.packet->data[0] == plat::enetwire::kFrameJoin)
                    m_joinAsked = true;
                enet_packet_destroy(event.packet);
                break;
            case ENET_EVENT_TYPE_DISCONNECT:
                if (event.peer == m_peer)
                    m_peer = nullptr;
                break;
            default:
                break;
            }
    }
    bool JoinAsked() const { return m_joinAsked; }
    bool Linked() const { return m_peer != nullptr; }

private:
    ENetHost* m_host = nullptr;
    ENetPeer* m_peer = nullptr;
    bool m_connected = false;
    bool m_joinAsked = false;
};

// How the link ends: the codes a host hears from a player, and a player from its host.
constexpr uint32_t kHostHears[] = {0, plat::enetwire::kLeave, plat::enetwire::kMoved, plat::enetwire::kNotOfSession};
constexpr uint32_t kCopyHears[] = {plat::enetwire::kLetGo, 0, plat::enetwire::kLeave, plat::enetwire::kMoved};
constexpr const char* kLoopbackAnyPort = "127.0.0.1:0";

// A free port on 127.0.0.1 a moment ago, for a copy to listen at.
uint16_t FreePort()
{
    const RawEnd probe(1);
    return probe.Made() ? probe.Port() : 0;
}

// A host with one seated player; the frames come from a connection of its own to the host, or
// to the seated player's own port.
void AsHost(const std::vector<std::vector<uint8_t>>& frames, uint32_t linkEnd, bool atSeated)
{
    plat::EnetSession host;
    plat::EnetSession seated;
    Check(host.Host("Fuzz", "127.0.0.1:0", 8, "Ann"));
    const uint16_t seatedPort = atSeated ? FreePort() : 0;
    // Another test may take the port meanwhile: no input then.
    if (!seated.Join(host.GetAddress(), "Bo", "127.0.0.1:" + std::to_string(seatedPort)))
        return;
    const plat::NetPlayerId seatedId = seated.GetLocalId();
    std::string hostName;
    uint16_t port = 0;
    Check(plat::SplitHostPort(host.GetAddress(), hostName, port, 0));
    {
        RawEnd raw(1);
        Check(raw.Made() && raw.Connect(atSeated ? seatedPort : port));
        for (const std::vector<uint8_t>& frame : frames)
            raw.Send(frame);
        raw.ServiceUntil([&raw] { return raw.Delivered(); }, kDeliverBound);
        Check(host.IsHost() && host.GetLocalId() == 1 && host.GetHostId() == 1);
        Check(host.HasPlayer(seatedId) && seated.GetLocalId() == seatedId && seated.GetHostId() == 1);
        CheckNames(host);
        CheckNames(seated);
        raw.Leave(linkEnd);
    }
    DrainMessages(host);
    DrainMessages(seated);
    seated.Close();
    host.Close();
}

// A copy joins a hand-made host that answers with the first frame and then sends the rest.
void AsJoiner(const std::vector<std::vector<uint8_t>>& frames, uint32_t linkEnd)
{
    RawEnd raw(1);
    Check(raw.Made());
    plat::EnetSession copy;
    std::atomic<bool> finished{false};
    bool joined = false;
    std::thread joiner(
        [&]
        {
            joined = copy.Join("127.0.0.1:" + std::to_string(raw.Port()), "Cy", kLoopbackAnyPort);
            finished = true;
        });
    raw.ServiceUntil([&] { return raw.JoinAsked() || finished.load(); }, kConnectBound);
    if (raw.JoinAsked() && !frames.empty())
    {
        raw.Send(frames[0]);
        raw.ServiceUntil([&] { return raw.Delivered() || finished.load(); }, kDeliverBound);
        raw.ServiceUntil([&] { return finished.load(); }, kTakeWelcomeMs);
    }
    // Not taken: the copy is let go rather than left to its own wait.
    if (!finished.load())
        raw.Leave(plat::enetwire::kLetGo);
    while (!finished.load())
        raw.Service();
    joiner.join();
    if (joined)
    {
        const plat::NetPlayerId local = copy.GetLocalId();
        Check(local != 0 && copy.HasPlayer(local) && copy.GetHostId() != 0);
        for (size_t k = 1; k < frames.size(); ++k)
            raw.Send(frames[k]);
        raw.ServiceUntil([&raw] { return raw.Delivered(); }, kDeliverBound);
        CheckNames(copy);
        Check(copy.GetLocalId() == local);
    }
    raw.Leave(linkEnd);
    DrainMessages(copy);
    copy.Close();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return enet_initialize();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const std::vector<std::vector<uint8_t>> frames = Frames(data, size);
    if ((data[0] & 1) == 0)
        AsHost(frames, kHostHears[(data[0] >> 1) & 3], (data[0] & 8) != 0);
    else
        AsJoiner(frames, kCopyHears[(data[0] >> 1) & 3]);
    return 0;
}
