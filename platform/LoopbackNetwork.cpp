#include "LoopbackNetwork.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

namespace plat
{

namespace
{

// One player's queue of received messages.
class Inbox
{
public:
    void Push(NetMessage message)
    {
        {
            std::lock_guard lock(m_mutex);
            m_queue.push_back(std::move(message));
        }
        m_ready.notify_one();
    }
    void Wake()
    {
        {
            std::lock_guard lock(m_mutex);
            m_woken = true;
        }
        m_ready.notify_one();
    }
    bool Pop(NetMessage& out, int32_t timeoutMs)
    {
        std::unique_lock lock(m_mutex);
        auto ready = [this] { return !m_queue.empty() || m_woken; };
        if (timeoutMs < 0)
            m_ready.wait(lock, ready);
        else if (timeoutMs > 0)
            m_ready.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
        if (m_queue.empty())
        {
            m_woken = false;
            return false;
        }
        out = std::move(m_queue.front());
        m_queue.pop_front();
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<NetMessage> m_queue;
    bool m_woken = false;
};

struct Player
{
    std::string session;
    std::string name;
    std::shared_ptr<Inbox> inbox;
    // The player this one takes for the host (a star's: until it has received the word of a move).
    NetPlayerId knownHost = 0;
    // Leaves and moves it has not noticed yet (tests).
    bool holdNotices = false;
    std::vector<NetMessage> notices;
};

// A message at the host on its way to another player.
struct Relay
{
    NetPlayerId from = 0;
    NetPlayerId to = 0;
    std::vector<uint8_t> bytes;
};

// A killed player's leave, told when the star's clock reaches `dueMs`.
struct PendingLeave
{
    int64_t dueMs = 0;
    NetPlayerId id = 0;
};

struct Session
{
    int32_t maxPlayers = 0;
    bool joinable = true;
    NetPlayerId host = 0;
    std::vector<NetPlayerId> players;
    // A star's relays held at the host (tests).
    bool holdRelays = false;
    std::deque<Relay> relays;
    std::vector<PendingLeave> leaves;
};

} // namespace

class LoopbackHub
{
public:
    explicit LoopbackHub(bool star) : m_star(star) {}

    NetPlayerId Host(const std::string& name, int32_t maxPlayers, const std::string& playerName,
                     const std::shared_ptr<Inbox>& inbox)
    {
        std::lock_guard lock(m_mutex);
        if (name.empty() || m_sessions.count(name) != 0 || maxPlayers < 1)
            return 0;
        NetPlayerId id = m_nextId++;
        m_sessions[name] = Session{maxPlayers, true, id, {id}, false, {}, {}};
        m_players[id] = Player{name, playerName, inbox, id, false, {}};
        return id;
    }

    NetPlayerId Join(const std::string& name, const std::string& playerName, const std::shared_ptr<Inbox>& inbox,
                     NetJoinFailure& failure)
    {
        std::lock_guard lock(m_mutex);
        auto found = m_sessions.find(name);
        failure = NetJoinFailure::NotFound;
        if (found == m_sessions.end())
            return 0;
        Session& session = found->second;
        failure = !session.joinable                                                    ? NetJoinFailure::Begun
                  : static_cast<int32_t>(session.players.size()) >= session.maxPlayers ? NetJoinFailure::Full
                                                                                       : NetJoinFailure::None;
        if (failure != NetJoinFailure::None)
            return 0;
        NetPlayerId id = m_nextId++;
        m_players[id] =
            Player{name, UniquePlayerName(playerName, NamesLocked(session, 0)), inbox, session.host, false, {}};
        for (NetPlayerId other : session.players)
            PushLocked(other, NetMessage{NetMessage::Kind::PlayerCreated, id, {}});
        session.players.push_back(id);
        return id;
    }

    // The player leaves its session; the lowest id left takes over a session whose host left, and
    // every player left hears of it right behind the leave. A star's killed player is told gone
    // only when the move's window ends.
    void Leave(NetPlayerId id, bool killed = false)
    {
        std::lock_guard lock(m_mutex);
        auto player = m_players.find(id);
        if (player == m_players.end())
            return;
        auto found = m_sessions.find(player->second.session);
        m_players.erase(player);
        if (found == m_sessions.end())
            return;
        Session& session = found->second;
        std::erase(session.players, id);
        if (session.players.empty())
        {
            m_sessions.erase(found);
            return;
        }
        if (m_star && killed)
            session.leaves.push_back({m_nowMs + NetMoveWindowMs(LoopbackNetwork::kStarPeerTimeoutMs), id});
        else
            for (NetPlayerId other : session.players)
                NoticeLocked(other, NetMessage{NetMessage::Kind::PlayerDestroyed, id, {}});
        if (session.host != id)
            return;
        session.host = *std::min_element(session.players.begin(), session.players.end());
        // What the old host had not relayed yet is lost with it, and so is its word on newcomers: the
        // new host gives its own.
        session.joinable = true;
        session.relays.clear();
        session.holdRelays = false;
        for (NetPlayerId other : session.players)
        {
            if (!m_star)
                m_players.at(other).knownHost = session.host;
            NoticeLocked(other, NetMessage{NetMessage::Kind::NewHost, session.host, {}});
        }
    }

    void Advance(int64_t ms)
    {
        std::lock_guard lock(m_mutex);
        m_nowMs += ms;
        for (auto& [name, session] : m_sessions)
        {
            std::vector<PendingLeave> due;
            std::erase_if(session.leaves,
                          [&](const PendingLeave& leave)
                          {
                              if (leave.dueMs > m_nowMs)
                                  return false;
                              due.push_back(leave);
                              return true;
                          });
            for (const PendingLeave& leave : due)
                for (NetPlayerId other : session.players)
                    NoticeLocked(other, NetMessage{NetMessage::Kind::PlayerDestroyed, leave.id, {}});
        }
    }

    void HoldNotices(NetPlayerId id, bool hold)
    {
        std::lock_guard lock(m_mutex);
        auto player = m_players.find(id);
        if (player == m_players.end())
            return;
        player->second.holdNotices = hold;
        if (hold)
            return;
        std::vector<NetMessage> notices = std::move(player->second.notices);
        player->second.notices.clear();
        for (NetMessage& notice : notices)
            PushLocked(id, std::move(notice));
    }

    // A star's player has received the word that `host` hosts its session now.
    void LearnHost(NetPlayerId id, NetPlayerId host)
    {
        std::lock_guard lock(m_mutex);
        auto player = m_players.find(id);
        if (player != m_players.end())
            player->second.knownHost = host;
    }

    bool Send(NetPlayerId from, NetPlayerId to, const uint8_t* data, size_t size)
    {
        std::lock_guard lock(m_mutex);
        auto sender = m_players.find(from);
        if (sender == m_players.end() || size > kNetMaxMessage)
            return false;
        Session& session = m_sessions.at(sender->second.session);
        std::vector<uint8_t> bytes(data, data + size);
        const bool known = std::find(session.players.begin(), session.players.end(), to) != session.players.end();
        if (to != kNetAllPlayers && !known)
            return false;
        const NetPlayerId centre = sender->second.knownHost;
        if (!m_star || centre == from)
        {
            for (NetPlayerId other : session.players)
                if (other != from && (to == kNetAllPlayers || other == to))
                    PushLocked(other, NetMessage{NetMessage::Kind::App, from, bytes});
            return true;
        }
        // A star: the sender reaches only the player it takes for the host, which relays the rest.
        // A host that has gone takes the message with it.
        if (std::find(session.players.begin(), session.players.end(), centre) == session.players.end())
            return true;
        if (to == centre || to == kNetAllPlayers)
            PushLocked(centre, NetMessage{NetMessage::Kind::App, from, bytes});
        if (to == centre)
            return true;
        session.relays.push_back(Relay{from, to, std::move(bytes)});
        if (!session.holdRelays)
            RelayLocked(session);
        return true;
    }

    void HoldRelays(NetPlayerId id, bool hold)
    {
        std::lock_guard lock(m_mutex);
        auto player = m_players.find(id);
        if (player == m_players.end())
            return;
        Session& session = m_sessions.at(player->second.session);
        session.holdRelays = hold;
        if (!hold)
            RelayLocked(session);
    }

    size_t HeldRelays(NetPlayerId id)
    {
        std::lock_guard lock(m_mutex);
        auto player = m_players.find(id);
        return player == m_players.end() ? 0 : m_sessions.at(player->second.session).relays.size();
    }

    void Deliver(NetPlayerId from, NetPlayerId to, std::vector<uint8_t> bytes)
    {
        std::lock_guard lock(m_mutex);
        PushLocked(to, NetMessage{NetMessage::Kind::App, from, std::move(bytes)});
    }

    std::vector<NetSessionInfo> Enumerate()
    {
        std::lock_guard lock(m_mutex);
        std::vector<NetSessionInfo> out;
        for (const auto& [name, session] : m_sessions)
        {
            std::vector<std::string> names;
            for (NetPlayerId id : session.players)
                names.push_back(m_players.at(id).name);
            out.push_back({name, name, static_cast<int32_t>(session.players.size()), session.maxPlayers,
                           session.joinable, std::move(names)});
        }
        return out;
    }

    std::string Name(NetPlayerId id)
    {
        std::lock_guard lock(m_mutex);
        auto found = m_players.find(id);
        return found == m_players.end() ? std::string() : found->second.name;
    }

    bool Rename(NetPlayerId id, const std::string& name)
    {
        std::lock_guard lock(m_mutex);
        auto found = m_players.find(id);
        if (found == m_players.end())
            return false;
        found->second.name = UniquePlayerName(name, NamesLocked(m_sessions.at(found->second.session), id));
        return true;
    }

    bool IsHost(NetPlayerId id)
    {
        std::lock_guard lock(m_mutex);
        auto player = m_players.find(id);
        if (player == m_players.end())
            return false;
        return player->second.knownHost == id && m_sessions.count(player->second.session) != 0;
    }

    NetPlayerId HostOf(NetPlayerId id)
    {
        std::lock_guard lock(m_mutex);
        auto player = m_players.find(id);
        if (player == m_players.end())
            return 0;
        return m_sessions.count(player->second.session) != 0 ? player->second.knownHost : 0;
    }

    // Both players are in one session.
    bool SharesSession(NetPlayerId id, NetPlayerId other)
    {
        std::lock_guard lock(m_mutex);
        auto player = m_players.find(id);
        auto found = m_players.find(other);
        return player != m_players.end() && found != m_players.end() && player->second.session == found->second.session;
    }

    void SetJoinable(NetPlayerId id, bool joinable)
    {
        std::lock_guard lock(m_mutex);
        auto player = m_players.find(id);
        if (player == m_players.end())
            return;
        Session& session = m_sessions.at(player->second.session);
        if (session.host == id)
            session.joinable = joinable;
    }

    std::string SessionOf(NetPlayerId id)
    {
        std::lock_guard lock(m_mutex);
        auto found = m_players.find(id);
        return found == m_players.end() ? std::string() : found->second.session;
    }

private:
    std::vector<std::string> NamesLocked(const Session& session, NetPlayerId except) const
    {
        std::vector<std::string> names;
        for (NetPlayerId other : session.players)
            if (other != except)
                names.push_back(m_players.at(other).name);
        return names;
    }

    // The host passes on, in order, what waits at it; a sender that has left since still speaks.
    void RelayLocked(Session& session)
    {
        while (!session.relays.empty())
        {
            Relay relay = std::move(session.relays.front());
            session.relays.pop_front();
            for (NetPlayerId other : session.players)
                if (other != relay.from && other != session.host && (relay.to == kNetAllPlayers || other == relay.to))
                    PushLocked(other, NetMessage{NetMessage::Kind::App, relay.from, relay.bytes});
        }
    }

    void NoticeLocked(NetPlayerId to, NetMessage message)
    {
        auto found = m_players.find(to);
        if (found != m_players.end() && found->second.holdNotices)
            found->second.notices.push_back(std::move(message));
        else
            PushLocked(to, std::move(message));
    }

    void PushLocked(NetPlayerId to, NetMessage message)
    {
        auto found = m_players.find(to);
        if (found != m_players.end())
            found->second.inbox->Push(std::move(message));
    }

    std::mutex m_mutex;
    std::map<std::string, Session> m_sessions;
    std::map<NetPlayerId, Player> m_players;
    NetPlayerId m_nextId = 1;
    const bool m_star;
    // The star's clock (tests advance it).
    int64_t m_nowMs = 0;
};

namespace
{

class LoopbackSession final : public NetSession
{
public:
    explicit LoopbackSession(std::shared_ptr<LoopbackHub> hub) : m_hub(std::move(hub)) {}
    ~LoopbackSession() override { Close(); }

    std::vector<NetSessionInfo> Enumerate(int32_t) override { return m_hub->Enumerate(); }
    bool Host(const std::string& sessionName, const std::string&, int32_t maxPlayers,
              const std::string& playerName) override
    {
        Close();
        m_id = m_hub->Host(sessionName, maxPlayers, playerName, m_inbox);
        return m_id != 0;
    }
    bool Join(const std::string& address, const std::string& playerName) override
    {
        Close();
        m_id = m_hub->Join(address, playerName, m_inbox, m_joinFailure);
        return m_id != 0;
    }
    NetJoinFailure GetJoinFailure() const override { return m_joinFailure; }
    void Close() override
    {
        if (m_id != 0)
            m_hub->Leave(m_id);
        m_id = 0;
        m_inbox->Wake();
    }
    NetPlayerId GetLocalId() const override { return m_id; }
    bool IsHost() const override { return m_id != 0 && m_hub->IsHost(m_id); }
    NetPlayerId GetHostId() const override { return m_id != 0 ? m_hub->HostOf(m_id) : 0; }
    bool HasPlayer(NetPlayerId id) const override { return m_id != 0 && id != 0 && m_hub->SharesSession(m_id, id); }
    std::string GetAddress() const override { return m_id != 0 ? m_hub->SessionOf(m_id) : std::string(); }
    std::string GetPlayerName(NetPlayerId id) const override { return m_hub->Name(id); }
    bool SetPlayerName(const std::string& name) override { return m_id != 0 && m_hub->Rename(m_id, name); }
    void SetJoinable(bool joinable) override { m_hub->SetJoinable(m_id, joinable); }
    bool Send(NetPlayerId to, const uint8_t* data, size_t size, bool) override
    {
        return m_id != 0 && m_hub->Send(m_id, to, data, size);
    }
    bool Receive(NetMessage& out, int32_t timeoutMs) override
    {
        if (!m_inbox->Pop(out, timeoutMs))
            return false;
        // A star's player learns of the move with its word, not before.
        if (out.kind == NetMessage::Kind::NewHost && m_id != 0)
            m_hub->LearnHost(m_id, out.from);
        return true;
    }
    void Wake() override { m_inbox->Wake(); }

private:
    std::shared_ptr<LoopbackHub> m_hub;
    std::shared_ptr<Inbox> m_inbox = std::make_shared<Inbox>();
    NetPlayerId m_id = 0;
    NetJoinFailure m_joinFailure = NetJoinFailure::None;
};

} // namespace

LoopbackNetwork::LoopbackNetwork(Shape shape) : m_hub(std::make_shared<LoopbackHub>(shape == Shape::kStar)) {}

LoopbackNetwork::~LoopbackNetwork() = default;

std::unique_ptr<NetSession> LoopbackNetwork::CreateSession()
{
    return std::make_unique<LoopbackSession>(m_hub);
}

void LoopbackNetwork::Kill(NetPlayerId id)
{
    m_hub->Leave(id, true);
}

void LoopbackNetwork::AdvanceForTest(int64_t ms)
{
    m_hub->Advance(ms);
}

void LoopbackNetwork::DeliverForTest(NetPlayerId from, NetPlayerId to, std::vector<uint8_t> bytes)
{
    m_hub->Deliver(from, to, std::move(bytes));
}

void LoopbackNetwork::HoldRelaysForTest(NetPlayerId id, bool hold)
{
    m_hub->HoldRelays(id, hold);
}

size_t LoopbackNetwork::HeldRelaysForTest(NetPlayerId id)
{
    return m_hub->HeldRelays(id);
}

void LoopbackNetwork::HoldNoticesForTest(NetPlayerId id, bool hold)
{
    m_hub->HoldNotices(id, hold);
}

} // namespace plat
