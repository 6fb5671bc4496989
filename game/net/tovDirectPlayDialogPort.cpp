#include "tovDirectPlayDialogPort.h"

#include "EnetSession.h"
#include "tovDirectPlay.h"

#include <algorithm>

tovDirectPlayDialogPort::tovDirectPlayDialogPort(tovDirectPlay& session, std::string connectionName, int32_t searchMs)
    : m_session(session), m_connectionName(std::move(connectionName)), m_searchMs(std::max(searchMs, 0))
{
}

std::vector<std::string> tovDirectPlayDialogPort::GetConnections()
{
    return {m_connectionName};
}

bool tovDirectPlayDialogPort::InitializeConnection(int32_t index)
{
    return index == 0;
}

std::vector<std::string> tovDirectPlayDialogPort::GetLocalAddresses(int32_t)
{
    return plat::LocalIpAddresses();
}

bool tovDirectPlayDialogPort::FindSessions(std::vector<Session>& out)
{
    out.clear();
    m_found.clear();
    for (plat::NetSessionInfo& info : m_session.EnumerateSessions(m_searchMs))
    {
        if (!info.joinable || out.size() >= tovSessionDialog::kMaxSessions)
            continue;
        m_found.push_back({info.address, info.players, info.maxPlayers, info.playerNames});
        out.push_back({std::move(info.name), std::move(info.address)});
    }
    return true;
}

bool tovDirectPlayDialogPort::CreateSession(const std::string& sessionName, const std::string& playerName)
{
    m_session.SetLocalName(playerName);
    return m_session.HostSession(sessionName, "");
}

bool tovDirectPlayDialogPort::JoinSession(const std::string& address, const std::string& playerName)
{
    m_session.SetLocalName(playerName);
    return m_session.JoinSession(address);
}

std::string tovDirectPlayDialogPort::JoinRefusal() const
{
    return m_session.WasJoinRefused() ? m_session.GetJoinFailure() : std::string();
}

bool tovDirectPlayDialogPort::ListPlayers(const Session& session, std::vector<std::string>& out)
{
    for (const Found& found : m_found)
        if (found.address == session.address)
        {
            out = found.names;
            if (out.empty())
                out = {std::to_string(found.players) + " of " + std::to_string(found.maxPlayers) + " players"};
            return true;
        }
    return false;
}
