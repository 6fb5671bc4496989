#pragma once
// The set-up dialog over the game's network session: one connection (the session's own
// transport), sessions found by its discovery, hosting and joining under the typed name.

#include "tovSessionDialog.h"

#include <cstdint>
#include <string>
#include <vector>

class tovDirectPlay;

class tovDirectPlayDialogPort : public tovSessionDialogPort
{
public:
    // How long one search for sessions waits for answers.
    static constexpr int32_t kSearchMs = 250;

    tovDirectPlayDialogPort(tovDirectPlay& session, std::string connectionName, int32_t searchMs = kSearchMs);

    std::vector<std::string> GetConnections() override;
    bool InitializeConnection(int32_t index) override;
    std::vector<std::string> GetLocalAddresses(int32_t index) override;
    bool FindSessions(std::vector<Session>& out) override;
    bool CreateSession(const std::string& sessionName, const std::string& playerName) override;
    bool JoinSession(const std::string& address, const std::string& playerName) override;
    std::string JoinRefusal() const override;
    // The names discovery brought; a session that tells none gets one line with the count.
    bool ListPlayers(const Session& session, std::vector<std::string>& out) override;

private:
    struct Found
    {
        std::string address;
        int32_t players = 0;
        int32_t maxPlayers = 0;
        std::vector<std::string> names;
    };

    tovDirectPlay& m_session;
    std::string m_connectionName;
    int32_t m_searchMs;
    std::vector<Found> m_found;
};
