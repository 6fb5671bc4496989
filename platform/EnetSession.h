#pragma once
// A network session over UDP: the host accepts players and relays their messages, so every
// player talks only to the host, and the host's relay filter holds back a flood at its source; joins
// from the address of a player it let go are turned away for a while. Guaranteed messages
// travel reliably and in order, the rest as they come. A player silent past the peer time-out is taken for gone; a
// connection that does not join within 5 s of the installed clock is dropped. Refusals say why. Sessions answer
// discovery on a fixed port of the local network.

#include "NetSession.h"

#include <memory>

namespace plat
{

class EnetSession final : public NetSession
{
public:
    static constexpr uint16_t kDefaultPort = 28640;
    static constexpr uint16_t kDiscoveryPort = 28641;

    // peerTimeoutMs: how long a silent player is waited for.
    explicit EnetSession(int32_t peerTimeoutMs = 10000);
    ~EnetSession() override;

    std::vector<NetSessionInfo> Enumerate(int32_t timeoutMs) override;
    // address "HOST:PORT"; "" hosts on every interface at kDefaultPort; port 0 picks a free one.
    bool Host(const std::string& sessionName, const std::string& address, int32_t maxPlayers,
              const std::string& playerName) override;
    // address "HOST:PORT" or "HOST" (kDefaultPort).
    bool Join(const std::string& address, const std::string& playerName) override;
    NetJoinFailure GetJoinFailure() const override;
    // What is queued goes before the leave, for up to a second.
    void Close() override;
    NetPlayerId GetLocalId() const override;
    bool IsHost() const override;
    NetPlayerId GetHostId() const override;
    bool HasPlayer(NetPlayerId id) const override;
    std::string GetAddress() const override;
    std::string GetPlayerName(NetPlayerId id) const override;
    bool SetPlayerName(const std::string& name) override;
    void SetJoinable(bool joinable) override;
    bool Send(NetPlayerId to, const uint8_t* data, size_t size, bool guaranteed) override;
    bool Receive(NetMessage& out, int32_t timeoutMs) override;
    void Wake() override;
    // The host applies it to every player's frames before it relays or keeps them.
    bool SetRelayFilter(std::shared_ptr<NetRelayFilter> filter) override;

    // Stops answering without saying goodbye, as a killed program would (tests).
    void Abandon();
    // Host: connections that hold a place without having joined (tests).
    int32_t ConnectionsWaitingToJoin() const;
    // Host: the frames its relay filter has held back since the session opened (tests).
    int64_t FramesHeldBack() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// This computer's IPv4 addresses other than loopback, as dotted quads: what a joiner types
// where discovery does not reach.
std::vector<std::string> LocalIpAddresses();

// "HOST:PORT" or "HOST" into its parts; false for an empty host or a port out of range.
bool SplitHostPort(const std::string& address, std::string& host, uint16_t& port, uint16_t defaultPort);

} // namespace plat
