#include "tovSessionDialog.h"

#include <gtest/gtest.h>

namespace
{

using Result = tovSessionDialog::Result;
using Box = tovSessionDialog::Box;

// Connection 0 works and has two addresses; connection 1 cannot be initialised.
class ScriptedPort : public tovSessionDialogPort
{
public:
    std::vector<std::string> GetConnections() override { return {"Local network (UDP)", "Modem"}; }
    bool InitializeConnection(int32_t index) override
    {
        m_ready = index == 0;
        return m_ready;
    }
    std::vector<std::string> GetLocalAddresses(int32_t index) override
    {
        return index == 0 ? std::vector<std::string>{"127.0.0.1", "127.0.0.2"} : std::vector<std::string>{};
    }
    bool FindSessions(std::vector<Session>& out) override
    {
        ++m_searches;
        out = m_sessions;
        return m_ready;
    }
    bool CreateSession(const std::string& session, const std::string& player) override
    {
        m_calls.push_back("create " + session + " as " + player);
        return m_succeed;
    }
    bool JoinSession(const std::string& address, const std::string& player) override
    {
        m_calls.push_back("join " + address + " as " + player);
        return m_succeed;
    }
    bool ListPlayers(const Session&, std::vector<std::string>& out) override
    {
        out = {"Ann", "Bo"};
        return true;
    }

    bool m_ready = false;
    bool m_succeed = true;
    int m_searches = 0;
    std::vector<Session> m_sessions;
    std::vector<std::string> m_calls;
};

TEST(tovSessionDialogTest, HostsAfterAConnectionAndASessionName)
{
    ScriptedPort port;
    tovSessionDialog dialog(port, "Ann");
    ASSERT_EQ(dialog.GetConnections().size(), 3u);
    EXPECT_EQ(dialog.GetConnections()[0], "<<Select a Connection>>");
    dialog.SetSessionName("Saturday");
    EXPECT_FALSE(dialog.CanCreate());
    dialog.ClickCreate();
    EXPECT_TRUE(port.m_calls.empty());
    dialog.SelectConnection(1);
    EXPECT_EQ(dialog.GetIpLabel(), "Local IP Address: 127.0.0.1:28640, 127.0.0.2:28640");
    ASSERT_TRUE(dialog.CanCreate());
    dialog.SetPlayerName("Ann Angler");
    dialog.ClickCreate();
    EXPECT_EQ(port.m_calls, std::vector<std::string>{"create Saturday as Ann Angler"});
    EXPECT_EQ(dialog.GetResult(), Result::kConnected);
}

// A session gets the name without outer spaces, whether the player creates it or joins it: the
// given one of a profile that kept them, and a typed one; spaces alone are no name.
TEST(tovSessionDialogTest, TheNameASessionGetsHasNoOuterSpaces)
{
    const struct
    {
        const char* given;
        const char* typed; // null: the given name unedited
        const char* sent;  // null: no name, nothing sent
    } cases[] = {
        {"Al 12 ", nullptr, "Al 12"},
        {"Ann", "  Bo Jo ", "Bo Jo"},
        {"Ann", "   ", nullptr},
        {"   ", nullptr, nullptr},
    };
    for (const bool join : {false, true})
        for (const auto& c : cases)
        {
            SCOPED_TRACE(std::string(join ? "join as " : "create as ") + c.given);
            ScriptedPort port;
            port.m_sessions = {{"Saturday", "127.0.0.1:27015"}};
            tovSessionDialog dialog(port, c.given);
            dialog.SelectConnection(1);
            dialog.SetSessionName("Saturday");
            if (c.typed != nullptr)
                dialog.SetPlayerName(c.typed);
            EXPECT_EQ(join ? dialog.CanJoin() : dialog.CanCreate(), c.sent != nullptr);
            if (join)
                dialog.ClickJoin();
            else
                dialog.ClickCreate();
            const std::string call = join ? "join 127.0.0.1:27015 as " : "create Saturday as ";
            EXPECT_EQ(port.m_calls, c.sent ? std::vector<std::string>{call + c.sent} : std::vector<std::string>{});
        }
}

TEST(tovSessionDialogTest, JoinsAFoundSessionOrATypedAddress)
{
    ScriptedPort port;
    port.m_sessions = {{"Saturday", "127.0.0.1:27015"}, {"Sunday", "127.0.0.1:27016"}};
    tovSessionDialog dialog(port, "Bo");
    dialog.SelectConnection(1);
    ASSERT_EQ(dialog.GetSessions().size(), 2u);
    EXPECT_EQ(dialog.GetSelectedSession(), 0);
    dialog.SelectSession(1);
    dialog.ClickPlayers();
    EXPECT_EQ(dialog.GetBox(), Box::kPlayers);
    EXPECT_EQ(dialog.GetPlayers(), (std::vector<std::string>{"Ann", "Bo"}));
    dialog.Answer(true);
    // A typed address takes the place of the chosen session.
    dialog.SetAddress("127.0.0.1:40000");
    EXPECT_EQ(dialog.GetSelectedSession(), -1);
    EXPECT_TRUE(dialog.CanJoin());
    EXPECT_FALSE(dialog.CanListPlayers());
    dialog.ClickJoin();
    EXPECT_EQ(port.m_calls, std::vector<std::string>{"join 127.0.0.1:40000 as Bo"});
    EXPECT_EQ(dialog.GetResult(), Result::kConnected);
}

// A typed address of the wrong form is told in the box and no join is tried; the dialog stays for
// the player to mend it, and a well-formed one then joins.
TEST(tovSessionDialogTest, AMistypedAddressIsToldAndTheDialogStays)
{
    const struct
    {
        const char* address;
        bool wellFormed;
    } rows[] = {
        {"127.0.0.1:28640", true}, {"lake-club.example", true},
        {"[::1]:28640", false},    {"host:65535", true},
        {"127.0.0.1:", false},     {"host:0", false},
        {"host:65536", false},     {"host:12a", false},
        {"a:b:c", false},          {"::1", false},
        {"[::1", false},           {"[]:28640", false},
        {"[::1]28640", false},     {"lake..club", false},
        {".lake", false},          {"no such host", false},
        {"host:1234567", false},   {"[fe80::g]", false},
    };
    // The transport joins no bracketed IPv6 address: the field takes no brackets.
    EXPECT_FALSE(tovSessionDialog::IsAddressCharacter('['));
    EXPECT_FALSE(tovSessionDialog::IsAddressCharacter(']'));
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.address);
        ScriptedPort port;
        tovSessionDialog dialog(port, "Bo");
        dialog.SelectConnection(1);
        dialog.SetAddress(row.address);
        dialog.ClickJoin();
        if (row.wellFormed)
        {
            EXPECT_EQ(port.m_calls, std::vector<std::string>{std::string("join ") + row.address + " as Bo"});
            continue;
        }
        EXPECT_TRUE(port.m_calls.empty());
        EXPECT_EQ(dialog.GetBox(), Box::kError);
        EXPECT_EQ(dialog.GetBoxText(), tovSessionDialog::kBadAddressText);
        dialog.Answer(true);
        EXPECT_EQ(dialog.GetResult(), Result::kOpen);
        dialog.SetAddress("127.0.0.1:28640");
        dialog.ClickJoin();
        EXPECT_EQ(dialog.GetResult(), Result::kConnected);
    }
}

// Exit asks first; yes ends the dialog as a quiet exit, not as a failure.
TEST(tovSessionDialogTest, ExitIsNotAFailure)
{
    ScriptedPort port;
    tovSessionDialog dialog(port, "Ann");
    dialog.ClickExit();
    EXPECT_EQ(dialog.GetBox(), Box::kExitQuestion);
    EXPECT_EQ(dialog.GetBoxText(), "Are you sure you want to exit the game?");
    dialog.Answer(false);
    EXPECT_EQ(dialog.GetResult(), Result::kOpen);
    dialog.ClickExit();
    dialog.Answer(true);
    EXPECT_EQ(dialog.GetResult(), Result::kExited);
}

TEST(tovSessionDialogTest, FailuresSayWhy)
{
    ScriptedPort port;
    tovSessionDialog dialog(port, "Ann");
    // A connection that cannot start: the box, and the player may choose another.
    dialog.SetSessionName("Saturday");
    dialog.SelectConnection(2);
    EXPECT_EQ(dialog.GetBoxText(), "Error initializing DirectPlay object.");
    EXPECT_FALSE(dialog.CanCreate());
    EXPECT_TRUE(dialog.GetIpLabel().empty());
    dialog.Answer(true);
    EXPECT_EQ(dialog.GetResult(), Result::kOpen);
    dialog.SelectConnection(1);
    port.m_succeed = false;
    dialog.ClickCreate();
    EXPECT_EQ(dialog.GetBoxText(), "Could not create session.");
    EXPECT_EQ(dialog.GetResult(), Result::kOpen);
    dialog.Answer(true);
    EXPECT_EQ(dialog.GetResult(), Result::kFailed);
}

TEST(tovSessionDialogTest, RefreshEveryTwoSecondsWhileAConnectionIsReady)
{
    ScriptedPort port;
    tovSessionDialog dialog(port, "Ann");
    dialog.Tick(5000);
    EXPECT_EQ(port.m_searches, 0);
    dialog.SelectConnection(1);
    EXPECT_EQ(port.m_searches, 1);
    dialog.Tick(1999);
    EXPECT_EQ(port.m_searches, 1);
    port.m_sessions = {{"Saturday", "127.0.0.1:27015"}, {"Sunday", "127.0.0.1:27016"}};
    dialog.Tick(1);
    EXPECT_EQ(port.m_searches, 2);
    dialog.SelectSession(1);
    // The chosen session stays chosen when the list comes again in another order.
    port.m_sessions = {{"Sunday", "127.0.0.1:27016"}, {"Saturday", "127.0.0.1:27015"}};
    dialog.Tick(2000);
    EXPECT_EQ(dialog.GetSelectedSession(), 0);
    // A list that empties takes Join and Players away.
    port.m_sessions.clear();
    dialog.Tick(2000);
    EXPECT_FALSE(dialog.CanJoin());
    EXPECT_FALSE(dialog.CanListPlayers());
    // Back to no connection: Create goes and the refresh stops.
    dialog.SetSessionName("Saturday");
    dialog.SelectConnection(0);
    EXPECT_FALSE(dialog.CanCreate());
    dialog.Tick(4000);
    EXPECT_EQ(port.m_searches, 4);
    // A flood of answers is cut.
    dialog.SelectConnection(1);
    port.m_sessions.assign(1000, {"x", "127.0.0.1:1"});
    dialog.Tick(2000);
    EXPECT_EQ(dialog.GetSessions().size(), tovSessionDialog::kMaxSessions);
}

} // namespace
