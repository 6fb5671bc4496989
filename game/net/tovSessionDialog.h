#pragma once
// The session set-up dialog as a state machine: the player picks a connection, names
// themselves, then creates a session or joins one found on that connection (or one at an
// address they type). The view draws it in the game window and feeds it clicks and keys; tests
// drive it directly. Main thread only.

#include <cstdint>
#include <string>
#include <vector>

// What the dialog asks of the network session.
class tovSessionDialogPort
{
public:
    struct Session
    {
        std::string name;
        // What joining takes ("HOST:PORT").
        std::string address;
    };

    virtual ~tovSessionDialogPort() = default;
    // The connections the player can choose, by name.
    virtual std::vector<std::string> GetConnections() = 0;
    // False when the connection cannot be used; the player may choose another.
    virtual bool InitializeConnection(int32_t index) = 0;
    // This computer's addresses on the connection, "" when it has none to show.
    virtual std::vector<std::string> GetLocalAddresses(int32_t index) = 0;
    // Sessions found on the initialised connection; false when it is not initialised.
    virtual bool FindSessions(std::vector<Session>& out) = 0;
    virtual bool CreateSession(const std::string& sessionName, const std::string& playerName) = 0;
    virtual bool JoinSession(const std::string& address, const std::string& playerName) = 0;
    // Why the host refused the last join (full, begun, turned away); "" when no host answered.
    virtual std::string JoinRefusal() const { return {}; }
    // The names of a found session's players; false when they cannot be listed.
    virtual bool ListPlayers(const Session& session, std::vector<std::string>& out) = 0;
};

class tovSessionDialog
{
public:
    enum class Result
    {
        kOpen,
        // A session was created or joined.
        kConnected,
        // Creating or joining failed (the box says which).
        kFailed,
        // The player confirmed Exit: the game ends quietly, no error.
        kExited,
    };
    // Which box is up over the dialog.
    enum class Box
    {
        kNone,
        kError,
        kExitQuestion,
        kPlayers,
    };

    static constexpr int32_t kRefreshMs = 2000;
    static constexpr size_t kMaxSessionName = 30;
    // A name typed here follows the profiles screen's rule (tovUserProfile::IsTypedName).
    static constexpr size_t kMaxPlayerName = 25;
    // A name given to the dialog is shown whole up to this length and kept until edited.
    static constexpr size_t kMaxGivenName = 31;
    static constexpr size_t kMaxAddress = 63;
    // Sessions kept from one search: a flood of answers bounds nothing else.
    static constexpr size_t kMaxSessions = 64;
    static constexpr const char* kNoConnection = "<<Select a Connection>>";
    static constexpr const char* kCreateFailedText = "Could not create session.";
    static constexpr const char* kBadAddressText =
        "That is not an address. Type the host's address as HOST:PORT, for example 192.168.1.20:28640.";

    // What the address field takes: letters, digits, '.', ':' and '-'.
    static bool IsAddressCharacter(uintptr_t ch);
    // HOST or HOST:PORT, the port 1 to 65535. The transport joins no bracketed IPv6 address.
    static bool IsWellFormedAddress(const std::string& address);

    tovSessionDialog(tovSessionDialogPort& port, const std::string& playerName);

    // Entry 0 is "<<Select a Connection>>".
    void SelectConnection(int32_t index);
    // The given name as it was, or an edited one cut at kMaxPlayerName.
    void SetPlayerName(const std::string& text);
    void SetSessionName(const std::string& text);
    void SetAddress(const std::string& text);
    // -1 for none.
    void SelectSession(int32_t index);
    void ClickCreate();
    // Joins the selected session, or the typed address when none is selected.
    void ClickJoin();
    void ClickPlayers();
    void ClickExit();
    // The answer to the box that is up: yes (or OK) and no.
    void Answer(bool yes);
    // The session refresh runs every 2 s of elapsed time.
    void Tick(uint32_t elapsedMs);

    Result GetResult() const { return m_result; }
    Box GetBox() const { return m_box; }
    const std::string& GetBoxText() const { return m_boxText; }
    const std::string& GetBoxTitle() const { return m_boxTitle; }
    const std::vector<std::string>& GetConnections() const { return m_connections; }
    int32_t GetConnection() const { return m_connection; }
    const std::vector<tovSessionDialogPort::Session>& GetSessions() const { return m_sessions; }
    int32_t GetSelectedSession() const { return m_selectedSession; }
    const std::vector<std::string>& GetPlayers() const { return m_players; }
    const std::string& GetPlayerName() const { return m_playerName; }
    const std::string& GetSessionName() const { return m_sessionName; }
    const std::string& GetAddress() const { return m_address; }
    const std::string& GetIpLabel() const { return m_ipLabel; }
    // A typed name, or the given one unedited.
    bool HasPlayerName() const;
    // The name a session gets: the field's without outer spaces.
    std::string AcceptedPlayerName() const;
    bool CanCreate() const;
    bool CanJoin() const;
    bool CanListPlayers() const;
    bool IsRefreshing() const { return !m_refreshSuspended; }

private:
    void Refresh();
    void ShowError(const char* text);
    void Finish(Result result);

    tovSessionDialogPort& m_port;
    std::vector<std::string> m_connections;
    std::vector<tovSessionDialogPort::Session> m_sessions;
    std::vector<std::string> m_players;
    std::string m_playerName;
    std::string m_givenName;
    std::string m_sessionName;
    std::string m_address;
    std::string m_ipLabel;
    std::string m_boxText;
    std::string m_boxTitle;
    int32_t m_connection = 0;
    int32_t m_selectedSession = -1;
    uint32_t m_sinceRefreshMs = 0;
    Result m_result = Result::kOpen;
    Result m_afterBox = Result::kOpen;
    Box m_box = Box::kNone;
    bool m_connectionReady = false;
    bool m_refreshSuspended = true;
};
