#include "tovSessionDialog.h"

#include "EnetSession.h"
#include "GccWarnings.h"
#include "tovUserProfile.h"

namespace
{

std::string Cut(const std::string& text, size_t limit)
{
    return text.size() > limit ? text.substr(0, limit) : text;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Empty, or ":" and a port of 1 to 65535.
bool IsPortPart(const std::string& text)
{
    if (text.empty())
        return true;
    if (text[0] != ':' || text.size() < 2 || text.size() > 6)
        return false;
    uint32_t port = 0;
    for (size_t k = 1; k < text.size(); ++k)
    {
        if (!IsDigit(text[k]))
            return false;
        port = port * 10 + static_cast<uint32_t>(text[k] - '0');
    }
    return port >= 1 && port <= 65535;
}

// A host name or a dotted address: labels of letters, digits and '-', joined by single dots.
bool IsHostName(const std::string& host)
{
    if (host.empty() || host.front() == '.' || host.back() == '.' || host.find("..") != std::string::npos)
        return false;
    for (char c : host)
        if (!tovSessionDialog::IsAddressCharacter(static_cast<unsigned char>(c)))
            return false;
    return host.find(':') == std::string::npos;
}

} // namespace

tovSessionDialog::tovSessionDialog(tovSessionDialogPort& port, const std::string& playerName)
    : m_port(port), m_playerName(Cut(playerName, kMaxGivenName)), m_givenName(m_playerName)
{
    // The strings' moves into the growing vector are in bounds: GCC 12 misreads them.
    QR_GCC_STRING_BOUNDS_OFF
    m_connections.push_back(kNoConnection);
    for (std::string& name : m_port.GetConnections())
        m_connections.push_back(std::move(name));
    QR_GCC_STRING_BOUNDS_ON
}

bool tovSessionDialog::IsAddressCharacter(uintptr_t ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '.' || ch == ':' ||
           ch == '-';
}

bool tovSessionDialog::IsWellFormedAddress(const std::string& address)
{
    if (address.empty() || address.size() > kMaxAddress)
        return false;
    const size_t colon = address.find(':');
    const std::string host = address.substr(0, colon);
    return IsHostName(host) && IsPortPart(colon == std::string::npos ? std::string() : address.substr(colon));
}

void tovSessionDialog::SelectConnection(int32_t index)
{
    if (m_result != Result::kOpen || m_box != Box::kNone)
        return;
    if (index < 0 || index >= static_cast<int32_t>(m_connections.size()))
        index = 0;
    m_connection = index;
    m_connectionReady = false;
    m_refreshSuspended = true;
    m_sessions.clear();
    m_selectedSession = -1;
    m_ipLabel.clear();
    if (index == 0)
        return;
    if (!m_port.InitializeConnection(index - 1))
    {
        ShowError("Error initializing DirectPlay object.");
        return;
    }
    m_connectionReady = true;
    m_refreshSuspended = false;
    m_sinceRefreshMs = 0;
    const std::vector<std::string> addresses = m_port.GetLocalAddresses(index - 1);
    if (!addresses.empty())
    {
        m_ipLabel = "Local IP Address: ";
        // Each address with the port a host listens at, so that a joiner can type it whole.
        const std::string port = std::to_string(plat::EnetSession::kDefaultPort);
        for (size_t k = 0; k < addresses.size(); ++k)
            m_ipLabel.append(k ? ", " : "").append(addresses[k]).append(1, ':').append(port);
    }
    Refresh();
}

void tovSessionDialog::SetPlayerName(const std::string& text)
{
    m_playerName = text == m_givenName ? text : Cut(text, kMaxPlayerName);
}

bool tovSessionDialog::HasPlayerName() const
{
    const std::string name = AcceptedPlayerName();
    return tovUserProfile::IsTypedName(name) || (!name.empty() && m_playerName == m_givenName);
}

std::string tovSessionDialog::AcceptedPlayerName() const
{
    return tovUserProfile::TrimmedName(m_playerName);
}

void tovSessionDialog::SetSessionName(const std::string& text)
{
    m_sessionName = Cut(text, kMaxSessionName);
}

void tovSessionDialog::SetAddress(const std::string& text)
{
    m_address = Cut(text, kMaxAddress);
    if (!m_address.empty())
        m_selectedSession = -1;
}

void tovSessionDialog::SelectSession(int32_t index)
{
    m_selectedSession = index >= 0 && index < static_cast<int32_t>(m_sessions.size()) ? index : -1;
    if (m_selectedSession >= 0)
        m_address.clear();
}

bool tovSessionDialog::CanCreate() const
{
    return m_connectionReady && !m_sessionName.empty() && HasPlayerName();
}

bool tovSessionDialog::CanJoin() const
{
    return m_connectionReady && (m_selectedSession >= 0 || !m_address.empty()) && HasPlayerName();
}

bool tovSessionDialog::CanListPlayers() const
{
    return m_connectionReady && m_selectedSession >= 0;
}

void tovSessionDialog::ClickCreate()
{
    if (m_result != Result::kOpen || m_box != Box::kNone || !CanCreate())
        return;
    if (m_port.CreateSession(m_sessionName, AcceptedPlayerName()))
        Finish(Result::kConnected);
    else
    {
        ShowError(kCreateFailedText);
        m_afterBox = Result::kFailed;
    }
}

void tovSessionDialog::ClickJoin()
{
    if (m_result != Result::kOpen || m_box != Box::kNone || !CanJoin())
        return;
    const bool typed = m_selectedSession < 0;
    const std::string address = typed ? m_address : m_sessions[static_cast<size_t>(m_selectedSession)].address;
    // A mistyped address is told and left to mend; the dialog stays.
    if (typed && !IsWellFormedAddress(address))
    {
        ShowError(kBadAddressText);
        return;
    }
    if (m_port.JoinSession(address, AcceptedPlayerName()))
        Finish(Result::kConnected);
    else
    {
        // A host that answered says why, so a turned-away player knows to wait rather than retry.
        const std::string refusal = m_port.JoinRefusal();
        ShowError(refusal.empty() ? "Could not join session." : refusal.c_str());
        m_afterBox = Result::kFailed;
    }
}

void tovSessionDialog::ClickPlayers()
{
    if (m_result != Result::kOpen || m_box != Box::kNone || !CanListPlayers())
        return;
    m_players.clear();
    if (!m_port.ListPlayers(m_sessions[static_cast<size_t>(m_selectedSession)], m_players))
    {
        m_players.clear();
        ShowError("Error enumerating players.");
        return;
    }
    if (m_players.size() > tovSessionDialog::kMaxSessions)
        m_players.resize(kMaxSessions);
    m_box = Box::kPlayers;
    m_boxTitle = "Players";
    m_boxText.clear();
}

void tovSessionDialog::ClickExit()
{
    if (m_result != Result::kOpen || m_box != Box::kNone)
        return;
    m_box = Box::kExitQuestion;
    m_boxTitle = "Exit";
    m_boxText = "Are you sure you want to exit the game?";
}

void tovSessionDialog::Answer(bool yes)
{
    const Box box = m_box;
    if (box == Box::kNone)
        return;
    m_box = Box::kNone;
    m_boxText.clear();
    m_boxTitle.clear();
    if (box == Box::kExitQuestion)
    {
        if (yes)
            Finish(Result::kExited);
        return;
    }
    if (m_afterBox != Result::kOpen)
        Finish(m_afterBox);
}

void tovSessionDialog::Tick(uint32_t elapsedMs)
{
    if (m_result != Result::kOpen || m_refreshSuspended)
        return;
    m_sinceRefreshMs += elapsedMs;
    if (m_sinceRefreshMs < static_cast<uint32_t>(kRefreshMs))
        return;
    m_sinceRefreshMs = 0;
    Refresh();
}

void tovSessionDialog::Refresh()
{
    const std::string selected =
        m_selectedSession >= 0 ? m_sessions[static_cast<size_t>(m_selectedSession)].address : std::string();
    std::vector<tovSessionDialogPort::Session> found;
    if (!m_port.FindSessions(found))
    {
        m_refreshSuspended = true;
        found.clear();
    }
    if (found.size() > kMaxSessions)
        found.resize(kMaxSessions);
    m_sessions = std::move(found);
    m_selectedSession = -1;
    if (m_sessions.empty())
        return;
    // The same session stays chosen when it is still there; a fresh list starts on the first,
    // unless the player is typing an address.
    for (size_t k = 0; k < m_sessions.size(); ++k)
        if (!selected.empty() && m_sessions[k].address == selected)
            m_selectedSession = static_cast<int32_t>(k);
    if (m_selectedSession < 0 && m_address.empty())
        m_selectedSession = 0;
}

void tovSessionDialog::ShowError(const char* text)
{
    m_box = Box::kError;
    m_boxTitle = "Error";
    m_boxText = text;
}

void tovSessionDialog::Finish(Result result)
{
    m_result = result;
    m_refreshSuspended = true;
}
