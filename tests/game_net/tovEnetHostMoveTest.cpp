// A session over UDP that keeps its players when its host goes, on the loopback interface only:
// the lowest id left hosts on every copy, the others come back to it with their ids and names,
// and whoever does not come back within the time-out is let go. The service threads move the
// host beside the test's: run under ThreadSanitizer too.
#include "BareConnection.h"
#include "Clock.h"
#include "EnetSession.h"
#include "EnetWire.h"
#include "HandMadeHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{

// The time-out at its least: copies notice a vanished host, and let go one not back, soonest.
constexpr int32_t kLeastTimeoutMs = 500;
// A host that the test's bare connections must not lose to silence while the test runs.
constexpr int32_t kPatientTimeoutMs = 120000;

using Kind = plat::NetMessage::Kind;

// One copy of the session, with every message it has received.
struct Copy
{
    std::unique_ptr<plat::EnetSession> session;
    std::vector<plat::NetMessage> got;
    std::string name;
    plat::NetPlayerId id = 0;

    Copy(std::string playerName, int32_t timeoutMs, const plat::Clock* clock = nullptr)
        : session(std::make_unique<plat::EnetSession>(timeoutMs, clock)), name(std::move(playerName))
    {
    }
    void Drain()
    {
        plat::NetMessage message;
        while (session->Receive(message, 0))
            got.push_back(message);
    }
    size_t Count(Kind kind, plat::NetPlayerId from) const
    {
        return static_cast<size_t>(std::count_if(
            got.begin(), got.end(), [&](const plat::NetMessage& m) { return m.kind == kind && m.from == from; }));
    }
    bool GotApp(plat::NetPlayerId from, const std::string& text) const
    {
        return std::any_of(got.begin(), got.end(),
                           [&](const plat::NetMessage& m) {
                               return m.kind == Kind::App && m.from == from &&
                                      std::string(m.data.begin(), m.data.end()) == text;
                           });
    }
    // Its name and what it received, kind/from (for a failure's message).
    std::string Describe() const
    {
        // Appended piece by piece: a chain of temporaries makes the optimiser warn falsely.
        std::string out = name;
        out += ':';
        for (const plat::NetMessage& m : got)
        {
            out += ' ';
            out += std::to_string(int(m.kind));
            out += '/';
            out += std::to_string(m.from);
        }
        return out;
    }
    bool Send(plat::NetPlayerId to, const std::string& text)
    {
        return session->Send(to, reinterpret_cast<const uint8_t*>(text.data()), text.size(), true);
    }
};

// Drains every copy until the condition holds; false after a minute (a bound for a stuck
// session, far above what a slow sanitizer build under load needs). A state seen has its
// messages queued: they are drained once more.
bool WaitFor(const std::function<bool()>& done, const std::vector<Copy*>& copies)
{
    for (int i = 0; i < 12000; ++i)
    {
        for (Copy* copy : copies)
            copy->Drain();
        if (done())
        {
            for (Copy* copy : copies)
                copy->Drain();
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// A rejoin as a copy that knows the session's key and a seat's id but not its token writes it: its
// own token, and a table that names its own token's digest for that seat.
std::vector<uint8_t> ClaimFrame(uint64_t key, plat::NetPlayerId id, const std::string& name)
{
    std::vector<uint8_t> frame{'R'};
    PutWireU32(frame, static_cast<uint32_t>(key));
    PutWireU32(frame, static_cast<uint32_t>(key >> 32));
    PutWireU32(frame, id);
    frame.push_back(static_cast<uint8_t>(name.size()));
    frame.insert(frame.end(), name.begin(), name.end());
    // Moving away from the first host, no time left.
    PutWireU32(frame, 1);
    PutWireU32(frame, 0);
    const plat::SeatToken token = plat::NewSeatToken();
    frame.insert(frame.end(), token.begin(), token.end());
    PutWireU32(frame, id);
    frame.push_back(1);
    PutWireU32(frame, id);
    const plat::SeatDigest digest = plat::DigestOf(token);
    frame.insert(frame.end(), digest.begin(), digest.end());
    return frame;
}

// What a connection to the address that sends the frame is refused with (0xFFFF: not refused).
uint32_t RefusalAt(const std::string& address, const std::vector<uint8_t>& frame)
{
    BareConnection bare(address);
    if (bare.Next() != ENET_EVENT_TYPE_CONNECT)
        return uint32_t(0xFFFF);
    bare.Send(frame);
    uint32_t reason = 0;
    ENetEventType event = bare.Next(&reason);
    while (event == ENET_EVENT_TYPE_RECEIVE)
        event = bare.Next(&reason);
    return event == ENET_EVENT_TYPE_DISCONNECT ? reason : uint32_t(0xFFFF);
}

// Strangers at a copy's port, from one port of their own: `holders` connections at once that
// never say a word, and `askers` that each send a rejoin with a guessed key and, refused, connect
// again (a stream). Serviced on a thread of their own, so that the copy sees them acknowledge.
class Crowd
{
public:
    Crowd(const std::string& address, size_t holders, size_t askers)
    {
        std::string hostName;
        uint16_t port = 0;
        m_host = enet_host_create(nullptr, holders + askers, 2, 0, 0);
        if (m_host == nullptr || !plat::SplitHostPort(address, hostName, port, 0) ||
            enet_address_set_host_ip(&m_target, hostName == "0.0.0.0" ? "127.0.0.1" : hostName.c_str()) != 0)
            return;
        m_target.port = port;
        for (size_t i = 0; i < holders + askers; ++i)
            if (ENetPeer* peer = Connect(); peer != nullptr && i < askers)
                m_askers.push_back(peer);
        m_thread = std::thread([this] { Run(); });
    }
    ~Crowd()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_host != nullptr)
            enet_host_destroy(m_host);
    }
    Crowd(const Crowd&) = delete;
    Crowd& operator=(const Crowd&) = delete;
    // Connections the copy has given a place, ever.
    size_t Placed() const { return m_placed.load(); }

private:
    ENetPeer* Connect()
    {
        ENetPeer* peer = enet_host_connect(m_host, &m_target, 2, 0);
        if (peer != nullptr)
            enet_peer_timeout(peer, 0, 600000, 600000);
        return peer;
    }
    void Run()
    {
        size_t again = 0;
        while (!m_stop.load())
        {
            ENetEvent event;
            if (enet_host_service(m_host, &event, 2) <= 0)
                continue;
            const bool asker = std::find(m_askers.begin(), m_askers.end(), event.peer) != m_askers.end();
            if (event.type == ENET_EVENT_TYPE_CONNECT)
            {
                ++m_placed;
                if (asker)
                {
                    const uint64_t guess = 0x5EC2E7000000ull + again;
                    const std::vector<uint8_t> frame = ClaimFrame(guess, 2 + again % 4, "Ann");
                    enet_peer_send(event.peer, 0,
                                   enet_packet_create(frame.data(), frame.size(), ENET_PACKET_FLAG_RELIABLE));
                }
            }
            else if (event.type == ENET_EVENT_TYPE_DISCONNECT && asker && again < 1000)
            {
                ++again;
                std::replace(m_askers.begin(), m_askers.end(), event.peer, Connect());
            }
            else if (event.type == ENET_EVENT_TYPE_RECEIVE)
                enet_packet_destroy(event.packet);
        }
    }

    ENetHost* m_host = nullptr;
    ENetAddress m_target{};
    std::vector<ENetPeer*> m_askers;
    std::atomic<size_t> m_placed{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// A session of copies on 127.0.0.1, the first hosting, each knowing every other.
struct Session
{
    std::vector<std::unique_ptr<Copy>> copies;

    Session(size_t players, int32_t timeoutMs, const plat::Clock* clock = nullptr)
    {
        const char* names[] = {"Robin", "Casey", "Drew", "Ellis", "Frankie"};
        for (size_t i = 0; i < players; ++i)
            copies.push_back(std::make_unique<Copy>(names[i], timeoutMs, clock));
    }
    Copy& operator[](size_t i) { return *copies[i]; }
    std::vector<Copy*> All()
    {
        std::vector<Copy*> all;
        for (auto& copy : copies)
            all.push_back(copy.get());
        return all;
    }
    // spread: each joiner listens at an address of its own, 127.0.0.2 up.
    bool Open(bool spread = false)
    {
        if (!copies[0]->session->Host("Lake day", "127.0.0.1:0", 8, copies[0]->name))
            return false;
        for (size_t i = 1; i < copies.size(); ++i)
            if (!(spread ? copies[i]->session->Join(copies[0]->session->GetAddress(), copies[i]->name,
                                                    "127.0.0." + std::to_string(i + 1) + ":0")
                         : copies[i]->session->Join(copies[0]->session->GetAddress(), copies[i]->name)))
                return false;
        for (auto& copy : copies)
            copy->id = copy->session->GetLocalId();
        return WaitFor(
            [&]
            {
                for (auto& a : copies)
                    for (auto& b : copies)
                        if (!a->session->HasPlayer(b->id))
                            return false;
                return true;
            },
            All());
    }
};

// The host goes by leaving or vanishing, with two, three and five players. With three, the player
// that would host next vanishes with it, so that the last one hosts after its ask to it goes
// unanswered; with five, a player in the middle vanishes with the host. One row waits on the
// links' own time-out; the others are told, and run the window on the test's clock. Every copy left ends under
// the lowest id left, keeps its id and names, hears the new host named once, and each message sent
// once the move was heard reaches every other. A host that left is told as gone at once; one that
// vanished, and the player lost with it, only when the move's window ends (both once).
TEST(tovEnetHostMove, ThePlayersLeftStayOneSessionUnderTheLowestId)
{
    const struct
    {
        const char* how;
        bool vanishes;
        size_t players;
        // The copy that vanishes with the host (0: none).
        size_t lost;
        // The copies left notice a vanished host by the links' own time-out (real time), rather
        // than told by the test; the move's window then runs in real time too.
        bool byTimeOut = false;
    } rows[] = {
        {"leaves", false, 2, 0},  {"vanishes", true, 2, 0, true}, {"leaves", false, 3, 1},
        {"vanishes", true, 3, 1}, {"leaves", false, 5, 3},        {"vanishes", true, 5, 3},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << "the host " << row.how << ", " << row.players << " players");
        plat::ManualClock clock;
        Session s(row.players, row.byTimeOut ? kLeastTimeoutMs : kPatientTimeoutMs, row.byTimeOut ? nullptr : &clock);
        ASSERT_TRUE(s.Open());
        std::vector<Copy*> left;
        for (size_t i = 1; i < row.players; ++i)
            if (i != row.lost)
                left.push_back(&s[i]);
        const plat::NetPlayerId newHost = left.front()->id;
        if (row.lost != 0)
            s[row.lost].session->Abandon();
        if (row.vanishes)
            s[0].session->Abandon();
        else
            s[0].session->Close();
        if (!row.byTimeOut)
        {
            if (row.vanishes)
                for (Copy* copy : left)
                    copy->session->TakeForGoneForTests(s[0].id);
            // Every copy left is seated, or in the move has heard from every other it asked; then
            // the window ends.
            ASSERT_TRUE(WaitFor(
                [&]
                {
                    for (Copy* copy : left)
                    {
                        if (copy->Count(Kind::NewHost, newHost) != 0)
                            continue;
                        if (!copy->session->IsMovingForTests())
                            return false;
                        for (const plat::NetPlayerId id : copy->session->UnansweredForTests())
                            if (row.lost == 0 || id != s[row.lost].id)
                                return false;
                    }
                    return true;
                },
                s.All()));
            clock.AdvanceMs(static_cast<uint32_t>(plat::NetMoveWindowMs(kPatientTimeoutMs) + 1));
        }

        std::vector<bool> sent(left.size(), false);
        const auto everyoneHeard = [&]
        {
            for (size_t i = 0; i < left.size(); ++i)
                if (!sent[i] && left[i]->Count(Kind::NewHost, newHost) != 0)
                    sent[i] = left[i]->Send(plat::kNetAllPlayers, "from " + left[i]->name);
            for (size_t i = 0; i < left.size(); ++i)
            {
                Copy& copy = *left[i];
                if (!sent[i])
                    return false;
                for (const Copy* other : left)
                    if (other != &copy && !copy.GotApp(other->id, "from " + other->name))
                        return false;
                if (copy.session->HasPlayer(s[0].id) || (row.lost != 0 && copy.session->HasPlayer(s[row.lost].id)))
                    return false;
            }
            return true;
        };
        ASSERT_TRUE(WaitFor(everyoneHeard, s.All()));

        for (Copy* copy : left)
        {
            SCOPED_TRACE(copy->Describe());
            EXPECT_EQ(copy->session->GetLocalId(), copy->id);
            EXPECT_EQ(copy->session->GetHostId(), newHost);
            EXPECT_EQ(copy->session->IsHost(), copy->id == newHost);
            for (const Copy* other : left)
                EXPECT_EQ(copy->session->GetPlayerName(other->id), other->name);
            EXPECT_EQ(copy->Count(Kind::NewHost, newHost), 1u);
            const auto newHostAt = std::find_if(copy->got.begin(), copy->got.end(),
                                                [](const plat::NetMessage& m) { return m.kind == Kind::NewHost; });
            const auto hostGoneAt = std::find_if(copy->got.begin(), copy->got.end(),
                                                 [&](const plat::NetMessage& m)
                                                 { return m.kind == Kind::PlayerDestroyed && m.from == s[0].id; });
            EXPECT_EQ(hostGoneAt < newHostAt, !row.vanishes) << "a leave is final at once, silence at the window's end";
            EXPECT_EQ(copy->Count(Kind::PlayerDestroyed, s[0].id), 1u);
            if (row.lost != 0)
            {
                EXPECT_EQ(copy->Count(Kind::PlayerDestroyed, s[row.lost].id), 1u);
            }
            for (const Copy* other : left)
                EXPECT_EQ(copy->Count(Kind::PlayerDestroyed, other->id), 0u) << other->name;
        }
    }
}

// Links that fail or freeze unevenly, ordered with the session's hooks rather than time-outs (the
// peer time-out is far longer than any row; the move's window runs on the test's clock). Each row
// ends with the copies left as one session under one host, ids and names kept: the two lowest
// gone together, whoever notices first; the host frozen a little past the time-out (it steps down
// and comes back as a player) or past the window (refused: alone); the next host or another joiner
// frozen past the time-out (back with its seat, under the next host, the session having moved).
TEST(tovEnetHostMove, UnevenLossesAndFreezesEndInOneSession)
{
    enum class Do
    {
        // Copy a vanishes.
        Vanish,
        Freeze,
        Thaw,
        // Copy a takes its link to copy b for gone.
        Notice,
        // Copy a takes every link it had for gone: to its host, or to every player it hosts.
        NoticeAll,
        // The clock moves on by `b` tenths of the time-out.
        Advance,
        // Copy a, hosting, shuts its door.
        ShutDoor,
        // At copy a, hosting, a connection claims copy b's seat with the session's key and ids but
        // a token of its own: refused, the holder keeps its seat.
        Claim,
        // At copy a, hosting, a connection claims a seat never given: refused at the shut door.
        NewSeat,
        // At copy a, 36 strangers' connections at once and a stream of rejoins with guessed keys:
        // they take the refusal places at most, or (b = 1) none, copy a being in a move.
        Strangers,
        // Copy a sends every other a guaranteed line.
        Say,
        // Copy a names itself anew.
        Rename,
        // Every live copy that stands is seated or hosts.
        Seated,
        // Every other copy has copy a's line.
        Heard,
    };
    struct Step
    {
        Do what;
        size_t a;
        size_t b;
    };
    constexpr size_t kNone = 99;
    const struct
    {
        const char* name;
        size_t players;
        std::vector<Step> steps;
        // The copy that hosts in the end, and one that ends alone (kNone: none).
        size_t host;
        size_t alone;
        // The joiners listen at addresses of their own.
        bool spread = false;
    } rows[] = {
        {"two lowest gone, 4 copies, the third-lowest first",
         4,
         {{Do::Vanish, 0, 0}, {Do::Vanish, 1, 0}, {Do::Notice, 2, 0}, {Do::Advance, 0, 21}},
         2,
         kNone},
        {"two lowest gone, 4 copies, the third-lowest last",
         4,
         {{Do::Vanish, 0, 0},
          {Do::Vanish, 1, 0},
          {Do::Notice, 3, 0},
          {Do::Advance, 0, 5},
          {Do::Notice, 2, 0},
          {Do::Advance, 0, 21}},
         2,
         kNone},
        {"two lowest gone, 5 copies, the third-lowest first",
         5,
         {{Do::Vanish, 0, 0}, {Do::Vanish, 1, 0}, {Do::Notice, 2, 0}, {Do::Advance, 0, 21}},
         2,
         kNone},
        {"two lowest gone, 5 copies, the third-lowest last",
         5,
         {{Do::Vanish, 0, 0},
          {Do::Vanish, 1, 0},
          {Do::Notice, 4, 0},
          {Do::Advance, 0, 5},
          {Do::Notice, 3, 0},
          {Do::Advance, 0, 5},
          {Do::Notice, 2, 0},
          {Do::Advance, 0, 21}},
         2,
         kNone},
        {"the host frozen 1.2 time-outs",
         4,
         {{Do::Say, 2, 0},
          {Do::Heard, 2, 0},
          {Do::Freeze, 0, 0},
          {Do::Notice, 3, 0},
          {Do::Seated, 0, 0},
          {Do::Advance, 0, 12},
          {Do::NoticeAll, 0, 0},
          {Do::Thaw, 0, 0}},
         1,
         kNone},
        {"the host frozen 1.5 time-outs, the next host noticing first",
         4,
         {{Do::Freeze, 0, 0}, {Do::Notice, 1, 0}, {Do::Advance, 0, 15}, {Do::NoticeAll, 0, 0}, {Do::Thaw, 0, 0}},
         1,
         kNone},
        {"the host frozen past the window",
         4,
         {{Do::Freeze, 0, 0}, {Do::Notice, 2, 0}, {Do::Advance, 0, 25}, {Do::NoticeAll, 0, 0}, {Do::Thaw, 0, 0}},
         1,
         0},
        {"the next host frozen 1.5 time-outs",
         4,
         {{Do::Freeze, 1, 0}, {Do::Notice, 0, 1}, {Do::Advance, 0, 15}, {Do::NoticeAll, 1, 0}, {Do::Thaw, 1, 0}},
         1,
         kNone},
        {"a claim to a frozen joiner's seat and a new seat at the shut door, then the joiner back",
         4,
         {{Do::ShutDoor, 0, 0},
          {Do::Freeze, 2, 0},
          {Do::Notice, 0, 2},
          {Do::Claim, 0, 2},
          {Do::NewSeat, 0, 0},
          {Do::Advance, 0, 15},
          {Do::NoticeAll, 2, 0},
          {Do::Thaw, 2, 0}},
         1,
         kNone},
        {"a line and a new name sent to a host that has gone, before the sender noticed",
         4,
         {{Do::Vanish, 0, 0},
          {Do::Say, 2, 0},
          {Do::Rename, 2, 0},
          {Do::Notice, 2, 0},
          {Do::Seated, 0, 0},
          {Do::Advance, 0, 21}},
         1,
         kNone},
        {"a line sent to a host just gone, the move ending past the window from the line",
         4,
         {{Do::Vanish, 0, 0},
          {Do::Vanish, 1, 0},
          {Do::Say, 2, 0},
          {Do::Advance, 0, 15},
          {Do::Notice, 2, 0},
          {Do::Advance, 0, 21}},
         2,
         kNone},
        {"the host gone, the others at 127.0.0.2 and 127.0.0.3",
         3,
         {{Do::Vanish, 0, 0}, {Do::Notice, 2, 0}, {Do::Advance, 0, 21}},
         1,
         kNone,
         true},
        {"strangers at the next host before the move",
         4,
         {{Do::Strangers, 1, 0},
          {Do::Vanish, 0, 0},
          {Do::Notice, 3, 0},
          {Do::Notice, 2, 0},
          {Do::Notice, 1, 0},
          {Do::Advance, 0, 21}},
         1,
         kNone},
        {"strangers at the next host during the move",
         4,
         {{Do::Vanish, 0, 0},
          {Do::Notice, 3, 0},
          {Do::Notice, 2, 0},
          {Do::Notice, 1, 0},
          {Do::Seated, 0, 0},
          {Do::Strangers, 1, 1},
          {Do::Advance, 0, 21}},
         1,
         kNone},
        {"another joiner frozen 1.5 time-outs",
         4,
         {{Do::Freeze, 2, 0}, {Do::Notice, 0, 2}, {Do::Advance, 0, 15}, {Do::NoticeAll, 2, 0}, {Do::Thaw, 2, 0}},
         1,
         kNone},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.name);
        plat::ManualClock clock;
        Session s(row.players, kPatientTimeoutMs, &clock);
        ASSERT_TRUE(s.Open(row.spread));
        std::vector<bool> dead(row.players, false);
        std::vector<bool> frozen(row.players, false);
        std::vector<size_t> said;
        std::unique_ptr<Crowd> crowd;
        // Every live copy in a move has heard from every live copy it asked: only the clock moves it on.
        const auto settled = [&]
        {
            for (size_t i = 0; i < row.players; ++i)
                if (!dead[i] && !frozen[i])
                    for (const plat::NetPlayerId id : s[i].session->UnansweredForTests())
                        for (size_t j = 0; j < row.players; ++j)
                            if (s[j].id == id && !dead[j] && !frozen[j])
                                return false;
            return true;
        };
        for (const Step& step : row.steps)
        {
            Copy& a = s[step.a];
            switch (step.what)
            {
            case Do::Vanish:
                a.session->Abandon();
                dead[step.a] = true;
                break;
            case Do::Freeze:
                a.session->FreezeForTests(true);
                frozen[step.a] = true;
                break;
            case Do::Thaw:
                a.session->FreezeForTests(false);
                frozen[step.a] = false;
                break;
            case Do::Notice:
                a.session->TakeForGoneForTests(s[step.b].id);
                break;
            case Do::NoticeAll:
                if (a.session->IsHost())
                    for (size_t j = 0; j < row.players; ++j)
                        a.session->TakeForGoneForTests(s[j].id);
                else
                    a.session->TakeForGoneForTests(a.session->GetHostId());
                break;
            case Do::Advance:
                clock.AdvanceMs(static_cast<uint32_t>(kPatientTimeoutMs / 10 * static_cast<int32_t>(step.b)));
                break;
            case Do::ShutDoor:
                a.session->SetJoinable(false);
                break;
            case Do::Strangers:
            {
                const int64_t dropped = a.session->StrangersDroppedForTests();
                crowd = std::make_unique<Crowd>(a.session->ListenAddressForTests(), 36, 4);
                if (step.b == 0)
                {
                    // The refusal places taken: the rest of the crowd knocks on through the move.
                    ASSERT_TRUE(WaitFor([&] { return crowd->Placed() >= plat::enetwire::kRefusalPeers; }, s.All()));
                    break;
                }
                ASSERT_TRUE(WaitFor(
                    [&] { return crowd->Placed() > 0 || a.session->StrangersDroppedForTests() >= dropped + 40; },
                    s.All()));
                EXPECT_EQ(crowd->Placed(), 0u);
                break;
            }
            case Do::Say:
                ASSERT_TRUE(a.Send(plat::kNetAllPlayers, "line from " + a.name));
                said.push_back(step.a);
                break;
            case Do::Rename:
                a.name += "ski";
                ASSERT_TRUE(a.session->SetPlayerName(a.name));
                break;
            case Do::Heard:
                ASSERT_TRUE(WaitFor(
                    [&]
                    {
                        for (size_t j = 0; j < row.players; ++j)
                            if (j != step.a && !s[j].GotApp(a.id, "line from " + a.name))
                                return false;
                        return true;
                    },
                    s.All()));
                break;
            case Do::Seated:
                // Before the clock runs past the window of what was sent.
                ASSERT_TRUE(WaitFor(
                    [&]
                    {
                        for (size_t j = 0; j < row.players; ++j)
                            if (!dead[j] && !frozen[j] && s[j].session->IsMovingForTests())
                                return false;
                        return true;
                    },
                    s.All()));
                break;
            case Do::Claim:
                EXPECT_EQ(RefusalAt(a.session->GetAddress(),
                                    ClaimFrame(a.session->SecretForTests(), s[step.b].id, s[step.b].name)),
                          plat::enetwire::kClaimFailed);
                break;
            case Do::NewSeat:
                EXPECT_EQ(RefusalAt(a.session->GetAddress(),
                                    ClaimFrame(a.session->SecretForTests(), s[row.players - 1].id + 1, "Ann")),
                          static_cast<uint32_t>(plat::NetJoinFailure::Begun));
                break;
            }
            ASSERT_TRUE(WaitFor(settled, s.All()));
        }

        std::vector<Copy*> members;
        for (size_t i = 0; i < row.players; ++i)
            if (!dead[i] && i != row.alone)
                members.push_back(&s[i]);
        const plat::NetPlayerId host = s[row.host].id;
        const auto oneSession = [&]
        {
            for (const Copy* copy : members)
            {
                if (copy->session->GetHostId() != host || copy->session->IsMovingForTests())
                    return false;
                for (size_t j = 0; j < row.players; ++j)
                    if (copy->session->HasPlayer(s[j].id) != (!dead[j] && j != row.alone))
                        return false;
            }
            if (row.alone == kNone)
                return true;
            const Copy& alone = s[row.alone];
            if (!alone.session->IsHost() || alone.session->IsMovingForTests())
                return false;
            for (size_t j = 0; j < row.players; ++j)
                if (j != row.alone && alone.session->HasPlayer(s[j].id))
                    return false;
            return true;
        };
        ASSERT_TRUE(WaitFor(oneSession, s.All())) << [&]
        {
            std::string out;
            for (size_t i = 0; i < row.players; ++i)
            {
                out += '\n';
                out += s[i].Describe();
                out += " host ";
                out += std::to_string(s[i].session->GetHostId());
                out += s[i].session->IsMovingForTests() ? " moving, players" : ", players";
                for (size_t j = 0; j < row.players; ++j)
                    if (s[i].session->HasPlayer(s[j].id))
                    {
                        out += ' ';
                        out += std::to_string(s[j].id);
                    }
            }
            return out;
        }();
        for (const Copy* copy : members)
        {
            SCOPED_TRACE(copy->Describe());
            EXPECT_EQ(copy->session->IsHost(), copy->id == host);
            EXPECT_EQ(copy->session->GetLocalId(), copy->id);
            for (const Copy* other : members)
                EXPECT_EQ(copy->session->GetPlayerName(other->id), other->name);
            // Whoever came back was never told as gone.
            for (const Copy* other : members)
                EXPECT_EQ(copy->Count(Kind::PlayerDestroyed, other->id), 0u) << other->name;
        }
        for (const size_t sender : said)
            for (Copy* copy : members)
                if (copy != &s[sender])
                {
                    const std::string line = "line from " + s[sender].name.substr(0, s[sender].name.find("ski"));
                    EXPECT_TRUE(WaitFor([&] { return copy->GotApp(s[sender].id, line); }, s.All())) << copy->name;
                    EXPECT_EQ(std::count_if(copy->got.begin(), copy->got.end(),
                                            [&](const plat::NetMessage& m) {
                                                return m.kind == Kind::App && m.from == s[sender].id &&
                                                       std::string(m.data.begin(), m.data.end()) == line;
                                            }),
                              1)
                        << copy->name;
                }
    }
}

// After the host left with its door shut, at the new host: a stranger and a seat never given are
// refused as the door stands (shut, as the old host left it), a wrong key as not of the session,
// and a claim to a seat (a seated player's, or one that left) with the session's key, its ids and a
// digest of the claimer's own as a failed claim, the holder keeping its seat; once the door is
// open, a newcomer gets an id no player of the session has had.
TEST(tovEnetHostMove, OnlyTheHolderTakesItsSeatBack)
{
    plat::ManualClock clock;
    Session s(4, kPatientTimeoutMs, &clock);
    ASSERT_TRUE(s.Open());
    const uint64_t secret = s[1].session->SecretForTests();
    Copy& gone = s[3];
    gone.session->Close();
    ASSERT_TRUE(
        WaitFor([&] { return !s[1].session->HasPlayer(gone.id) && !s[2].session->HasPlayer(gone.id); }, s.All()));
    s[0].session->SetJoinable(false);
    s[0].session->Close();
    // Drew is back once its message has reached the new host.
    bool sent = false;
    ASSERT_TRUE(WaitFor(
        [&]
        {
            if (!sent && s[2].Count(Kind::NewHost, s[1].id) != 0)
                sent = s[2].Send(s[1].id, "back");
            return s[1].GotApp(s[2].id, "back");
        },
        s.All()));
    ASSERT_TRUE(s[1].session->IsHost());
    const std::string address = s[1].session->GetAddress();
    // Past the move: an old host whose leave the move overtook is awaited to its end, and no
    // stranger is heard meanwhile.
    clock.AdvanceMs(static_cast<uint32_t>(plat::NetMoveWindowMs(kPatientTimeoutMs) + 1));
    ASSERT_TRUE(WaitFor([&] { return !s[1].session->HasPlayer(s[0].id); }, s.All()));

    const auto refusal = [&](const std::vector<uint8_t>& frame) { return RefusalAt(address, frame); };
    const auto begun = static_cast<uint32_t>(plat::NetJoinFailure::Begun);
    const plat::NetPlayerId drew = s[2].id;
    EXPECT_EQ(refusal({'J', 3, 'A', 'n', 'n'}), begun) << "a stranger";
    EXPECT_EQ(refusal(ClaimFrame(secret + 1, gone.id + 1, "Ellis")), plat::enetwire::kNotOfSession) << "a wrong key";
    EXPECT_EQ(refusal(ClaimFrame(secret, drew, "Drew")), plat::enetwire::kClaimFailed)
        << "a seated player's id, with the session's key and a digest only the claimer names";
    EXPECT_EQ(refusal(ClaimFrame(secret, gone.id, "Ellis")), plat::enetwire::kClaimFailed)
        << "the id of a player that left";
    EXPECT_EQ(refusal(ClaimFrame(secret, gone.id + 1, "Ellis")), begun) << "a seat never given, the door shut";
    EXPECT_TRUE(s[1].session->HasPlayer(drew));
    EXPECT_EQ(s[1].session->GetPlayerName(drew), "Drew");
    s[1].session->SetJoinable(true);
    EXPECT_FALSE(s[1].session->HasPlayer(gone.id));

    Copy late("Frankie", kPatientTimeoutMs);
    ASSERT_TRUE(late.session->Join(address, late.name));
    EXPECT_GT(late.session->GetLocalId(), gone.id) << "an id given before";
    EXPECT_TRUE(WaitFor([&] { return s[2].session->HasPlayer(late.session->GetLocalId()); }, s.All()));
}

// A copy welcomed just before the host went, whose news died with the host: no copy the new host
// seats holds its seat's digest, and the digest it names itself does not count. At an open door it
// is seated anew: a new id above every id heard of (its own old one among them), its name kept. A
// frame naming the copy itself as gone is ignored before that. A newcomer after the move gets the
// next id.
TEST(tovEnetHostMove, ACopyWelcomedJustBeforeTheHostWentIsSeatedAnew)
{
    HandMadeHost fake;
    ASSERT_TRUE(fake.Made());
    constexpr uint64_t kSecret = 0x5EC2E7;
    plat::ManualClock clock;
    Copy casey("Casey", kPatientTimeoutMs, &clock);
    Copy drew("Drew", kPatientTimeoutMs);
    ENetAddress caseyAt{};
    WelcomeSeats caseySeats{plat::NewSeatToken(), {}};
    caseySeats.digests[2] = plat::DigestOf(caseySeats.token);
    WelcomeSeats drewSeats{plat::NewSeatToken(), caseySeats.digests};
    drewSeats.digests[3] = plat::DigestOf(drewSeats.token);
    ASSERT_TRUE(fake.Welcome(
        *casey.session, casey.name,
        [&](const ENetPeer& joiner)
        {
            caseyAt = joiner.address;
            return WelcomeFrame(2, 1, {{1, "Robin", {}}}, "Casey", joiner.address, kSecret, 2, &caseySeats);
        }));
    ASSERT_TRUE(fake.Welcome(*drew.session, drew.name,
                             [&](const ENetPeer& joiner)
                             {
                                 return WelcomeFrame(3, 1, {{1, "Robin", {}}, {2, "Casey", caseyAt}}, "Drew",
                                                     joiner.address, kSecret, 3, &drewSeats);
                             }));
    // The rename behind it shows when it has been handled.
    fake.Send(1, {'D', 3, 0, 0, 0});
    fake.Send(1, {'N', 1, 0, 0, 0, 3, 'R', 'o', 'b'});
    const std::vector<Copy*> both = {&casey, &drew};
    ASSERT_TRUE(WaitFor(
        [&]
        {
            fake.Service();
            return drew.session->GetPlayerName(1) == "Rob";
        },
        both));
    fake.Disconnect();
    bool sent = false;
    ASSERT_TRUE(WaitFor(
        [&]
        {
            if (!sent && drew.Count(Kind::NewHost, 2) != 0)
                sent = drew.Send(plat::kNetAllPlayers, "back");
            return casey.GotApp(4, "back");
        },
        both));
    EXPECT_TRUE(casey.session->IsHost());
    EXPECT_EQ(casey.Count(Kind::PlayerCreated, 4), 1u);
    EXPECT_FALSE(casey.session->HasPlayer(3));
    EXPECT_EQ(casey.session->GetPlayerName(4), "Drew");
    EXPECT_EQ(drew.session->GetLocalId(), 4u);
    EXPECT_EQ(drew.session->GetHostId(), 2u);
    EXPECT_EQ(drew.Count(Kind::PlayerDestroyed, 3), 0u) << "the copy itself was taken for gone";
    ASSERT_TRUE(casey.Send(4, "welcome back"));
    EXPECT_TRUE(WaitFor([&] { return drew.GotApp(2, "welcome back"); }, both));

    // A newcomer once the move is over: the old host not back within the window.
    clock.AdvanceMs(static_cast<uint32_t>(plat::NetMoveWindowMs(kPatientTimeoutMs) + 1));
    ASSERT_TRUE(WaitFor([&] { return !casey.session->HasPlayer(1); }, both));
    Copy late("Ellis", kPatientTimeoutMs);
    ASSERT_TRUE(late.session->Join(casey.session->GetAddress(), late.name));
    EXPECT_EQ(late.session->GetLocalId(), 5u);
}

// A player that has found the host gone while the next host stands still (frozen): in the move the
// player keeps its guaranteed messages for whoever hosts and says that it sent none of the others
// (a chat line the game would otherwise take for sent is resent guaranteed). Once the next host
// goes on, it hears of the move from the player's ask, takes part, hosts, and gets the kept
// message once.
TEST(tovEnetHostMove, APlayerComingBackKeepsOnlyGuaranteedMessagesAndSaysSo)
{
    HandMadeHost fake;
    ASSERT_TRUE(fake.Made());
    Copy casey("Casey", kPatientTimeoutMs);
    Copy drew("Drew", kPatientTimeoutMs);
    ENetAddress caseyAt{};
    WelcomeSeats caseySeats{plat::NewSeatToken(), {}};
    caseySeats.digests[2] = plat::DigestOf(caseySeats.token);
    WelcomeSeats drewSeats{plat::NewSeatToken(), caseySeats.digests};
    drewSeats.digests[3] = plat::DigestOf(drewSeats.token);
    ASSERT_TRUE(
        fake.Welcome(*casey.session, casey.name,
                     [&](const ENetPeer& joiner)
                     {
                         caseyAt = joiner.address;
                         return WelcomeFrame(2, 1, {{1, "Robin", {}}}, "Casey", joiner.address, 7, 2, &caseySeats);
                     }));
    ASSERT_TRUE(fake.Welcome(*drew.session, drew.name,
                             [&](const ENetPeer& joiner) {
                                 return WelcomeFrame(3, 1, {{1, "Robin", {}}, {2, "Casey", caseyAt}}, "Drew",
                                                     joiner.address, 7, 3, &drewSeats);
                             }));
    // Casey hears of Drew and its seat's digest, so that it takes Drew back as itself.
    std::vector<uint8_t> created{'P', 3, 0, 0, 0};
    PutWirePlayer(created, "Drew", {});
    created.insert(created.end(), drewSeats.digests[3].begin(), drewSeats.digests[3].end());
    fake.Send(0, created);
    const std::vector<Copy*> both = {&casey, &drew};
    ASSERT_TRUE(WaitFor(
        [&]
        {
            fake.Service();
            return casey.session->HasPlayer(3);
        },
        both));
    // The host is gone to Drew only, and Casey stands still.
    casey.session->FreezeForTests(true);
    fake.Disconnect(1);
    ASSERT_TRUE(WaitFor([&] { return drew.session->IsMovingForTests(); }, both));
    EXPECT_FALSE(drew.session->Send(plat::kNetAllPlayers, reinterpret_cast<const uint8_t*>("lost"), 4, false));
    EXPECT_TRUE(drew.Send(plat::kNetAllPlayers, "kept"));
    casey.session->FreezeForTests(false);
    ASSERT_TRUE(WaitFor([&] { return casey.GotApp(3, "kept") && drew.Count(Kind::NewHost, 2) != 0; }, both));
    EXPECT_TRUE(casey.session->IsHost());
    EXPECT_EQ(casey.Count(Kind::App, 3), 1u);
    EXPECT_EQ(casey.Count(Kind::NewHost, 2), 1u);
}

} // namespace
