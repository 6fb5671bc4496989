// The host goes from a two-day network tournament of three headless copies: its copy is killed on
// the first day's lake, or it leaves by Escape and Yes at its waiting picture while day 1's
// results close. The two copies left stay one session: the first joiner, the lowest id, hosts,
// they play the tournament out with the same boards, each credits the game once, nobody is refused
// and, back on the main menu, each still lists the other as a player of its session. Nobody fishes:
// the days run out on the clock. About fifteen seconds a case in the sanitizer build. Of four
// copies, the host and the next host go together (NetHostsGoneTogetherScenarioTest).

#include "NetGameScripts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace
{

struct HostGoes
{
    const char* name;
    // The host's copy is killed on day 1's lake; else it leaves at its waiting picture.
    bool killed;
};

const HostGoes kWays[] = {
    {"KilledOnTheFirstDaysLake", true},
    {"LeavesAtItsWaitingPictureInTheWeighIn", false},
};

void PrintTo(const HostGoes& way, std::ostream* out)
{
    *out << way.name;
}

const char* const kHostLeft = "wait net.line AnglerAngler has left the game*\n";

// Both set-ups: two days, the host starts once both others are in.
std::string Start(const std::string& typed, bool host)
{
    std::string start = FirstGameStart(typed);
    if (host)
        start.insert(start.find("70 move"), "60 move 603 119\n61 button 0 down\n62 button 0 up\n");
    return start;
}

// Killed: the host stands on the lake once it sees both others' boats there. Leaving: it runs day
// 1 out, and on its board clicks; in the closing wait that follows (the others stand on their
// boards) it presses Escape and answers Return, yes, to leaving the network game.
std::string HostScript(bool killed)
{
    ScriptText s(80);
    s << "wait net.players 3\n" + Click(170, 442) + "wait screen 2\nwait net.boat 1 *\nwait net.boat 2 *\nkeep lake\n";
    if (killed)
        return Start("Angler", true) + s.Text();
    s << "step 1700000\nwait screen 10\nstep 500\nwait weigh_in.results 1\nkeep day1\nmove 320 300\n";
    // One frame: the click enters the wait, whose frames play the rest.
    std::string text = Start("Angler", true) + s.Text();
    const int frame = std::stoi(text.substr(text.rfind('\n', text.size() - 2) + 1)) + 1;
    for (const char* line : {"button 0 down", "wait net.waiting 1", "keep waiting", "key Escape down", "key Escape up",
                             "wait message_box.text Leave the network game?", "key Return down", "key Return up"})
        text += std::to_string(frame) + " " + line + "\n";
    text += std::to_string(frame + 1) + " button 0 up\n" + std::to_string(frame + 2) + " wait screen 8\n" +
            std::to_string(frame + 2) + " keep left\n";
    return text;
}

// A joiner: Start once all three are in, then the host goes, on the lake or on day 1's board,
// which the joiner clicks only after that; the rest of the tournament as usual.
std::string JoinerScript(const std::string& typed, bool killed)
{
    ScriptText s(80);
    s << "wait net.players 3\n" + Click(170, 442) + "wait screen 2\n";
    if (killed)
        s << std::string(kHostLeft) + "step 1700000\n" + Final(1);
    else
        s << "wait screen 10\nstep 500\nwait weigh_in.results 1\nkeep day1\n" + std::string(kHostLeft) +
                 Click(320, 300) +
                 "wait weigh_in.results 0\nstep 1700000\nwait screen 10\nstep 500\n"
                 "wait weigh_in.results 1\nkeep board1\n" +
                 Click(320, 300) + "wait screen 8\nkeep end1\nstep 200\n";
    return Start(typed, false) + s.Text();
}

// The names a digest lists as players of its session.
std::vector<std::string> PlayerNames(const Digest& digest)
{
    std::vector<std::string> names;
    std::istringstream lines(Field(digest, "net.player"));
    for (std::string line; std::getline(lines, line, '|');)
        if (const size_t space = line.find(' '); space != std::string::npos)
            names.push_back(line.substr(space + 1));
    std::sort(names.begin(), names.end());
    return names;
}

// The scenarios' common end: the copies left, each on the main menu with the game counted once,
// list exactly each other, heard each gone copy leave and no other, kept equal boards of day 1
// and the final, and `host` hosts. Returns day 1's board.
class NetCopiesLeftScenario : public NetGameScenario
{
protected:
    using Left = std::vector<std::pair<std::string, GameProcess*>>;

    std::string ExpectOneSessionOf(const Left& left, const std::vector<std::string>& players,
                                   const std::vector<std::string>& gone, const std::string& host)
    {
        const auto kept = [](const Digest& d) { return !Field(d, "screen").empty(); };
        std::string boards[2];
        std::string hosts;
        for (const auto& [who, process] : left)
        {
            SCOPED_TRACE(who);
            const Digest end = WaitForDigest(who, *process, kept, "end1");
            EXPECT_EQ(Field(end, "screen"), "8");
            EXPECT_EQ(Field(end, "profile.games_started"), "0 0 0 1") << "the game counted once, in the network row";
            EXPECT_EQ(PlayerNames(end), players) << "one session of the copies left";
            if (Field(end, "net.host") == "1")
                hosts += who;
            const std::string lines = Field(end, "net.line");
            for (const std::string& name : gone)
                EXPECT_NE(lines.find(name + " has left the game"), std::string::npos) << lines;
            for (const std::string& name : players)
                EXPECT_EQ(lines.find(name + " has left"), std::string::npos) << lines;
            const char* names[] = {"day1", "board1"};
            for (int i = 0; i < 2; ++i)
            {
                const Digest board = ReadDigest(DigestPath(who, names[i]));
                EXPECT_EQ(Field(board, "weigh_in.results"), "1") << names[i];
                EXPECT_FALSE(BoardNames(Field(board, "save.standing")).empty()) << names[i];
                if (boards[i].empty())
                    boards[i] = Field(board, "save.standing");
                EXPECT_EQ(Field(board, "save.standing"), boards[i]) << names[i];
            }
        }
        EXPECT_EQ(hosts, host) << "the lowest id left hosts, on every copy";
        return boards[0];
    }
};

class NetHostGoneScenarioTest : public NetCopiesLeftScenario, public ::testing::WithParamInterface<HostGoes>
{
protected:
    std::vector<std::string> Evidence() const override
    {
        return FilesOf({"host", "casey", "drew"},
                       {".log", ".txt", ".txt.lake", ".txt.waiting", ".txt.day1", ".txt.board1", ".txt.end1"});
    }
};

TEST_P(NetHostGoneScenarioTest, TheTwoLeftFinishAsOneSession)
{
    const bool killed = GetParam().killed;
    const auto screen = [](const char* id) { return [id](const Digest& d) { return Field(d, "screen") == id; }; };
    const auto kept = [](const Digest& d) { return !Field(d, "screen").empty(); };

    const auto host = LaunchWritten("host", "--host", HostScript(killed), "6");
    ASSERT_TRUE(screen("19")(WaitForDigest("host", *host, screen("19"))));
    const auto casey = LaunchWritten("casey", "--join", JoinerScript("Casey", killed), "8");
    ASSERT_EQ(Field(WaitForDigest("casey", *casey, [](const Digest& d) { return Field(d, "net.players") == "2"; }),
                    "net.players"),
              "2");
    const auto drew = LaunchWritten("drew", "--join", JoinerScript("Drew", killed), "9");

    if (killed)
    {
        ASSERT_EQ(Field(WaitForDigest("host", *host, kept, "lake"), "screen"), "2") << "the host sees both boats";
        host->Kill();
    }
    else
    {
        // Its waiting picture: the weigh-in's, the others still on their boards.
        EXPECT_EQ(Field(WaitForDigest("host", *host, kept, "waiting"), "screen"), "10");
        EXPECT_EQ(Field(WaitForDigest("host", *host, kept, "left"), "net"), "none") << "the host left the session";
    }

    const Left left = {{"casey", casey.get()}, {"drew", drew.get()}};
    const std::string day1 = ExpectOneSessionOf(left, {"AnglerCasey", "AnglerDrew"}, {"AnglerAngler"}, "casey");
    if (!killed)
    {
        EXPECT_EQ(Field(ReadDigest(DigestPath("host", "day1")), "save.standing"), day1) << "day 1 before it left";
    }
    EXPECT_TRUE(EndOnTheMainMenu(left));
    ExpectNoRefusalOrShareLine({"casey", "drew"});
}

INSTANTIATE_TEST_SUITE_P(Ways, NetHostGoneScenarioTest, ::testing::ValuesIn(kWays),
                         [](const ::testing::TestParamInfo<HostGoes>& way) { return std::string(way.param.name); });

// The host and the next host, the two lowest ids, lost together on day 1's lake, of four copies:
// both stopped at once, then killed. A killed copy says nothing, so the two left notice only at
// their time-out, each at its own moment, and must still agree: the lowest id left hosts, both play
// the tournament out with the same boards, each credits the game once, and nobody is refused.
// About forty seconds in the sanitizer build: the time-out, then up to a move's window.
class NetHostsGoneTogetherScenarioTest : public NetCopiesLeftScenario
{
protected:
    // Long enough that no copy of a loaded machine falls silent this long by mistake (a copy's
    // link is served on its own thread; a starved process is what stalls it).
    static constexpr const char* kTimeoutMs = "10000";

    NetHostsGoneTogetherScenarioTest() { m_netTimeoutMs = kTimeoutMs; }

    std::vector<std::string> Evidence() const override
    {
        return FilesOf({"host", "casey", "drew", "eve"},
                       {".log", ".txt", ".txt.lake", ".txt.day1", ".txt.board1", ".txt.end1"});
    }
};

// The two that go: on the lake once they see the three other boats. The two left: on the lake
// until both have left, then the tournament as usual.
std::string TogetherScript(const std::string& typed, int slot, bool goes)
{
    ScriptText s(80);
    s << "wait net.players 4\n" + Click(170, 442) + "wait screen 2\n";
    if (goes)
    {
        for (int other = 0; other < 4; ++other)
            if (other != slot)
                s << "wait net.boat " + std::to_string(other) + " *\n";
        s << "keep lake\n";
    }
    else
        s << "wait net.line AnglerAngler has left the game*\nwait net.line AnglerCasey has left the game*\n"
             "step 1700000\n" +
                 Final(1);
    return Start(typed, slot == 0) + s.Text();
}

TEST_F(NetHostsGoneTogetherScenarioTest, TheTwoLeftFinishAsOneSession)
{
    const auto players = [](const char* n) { return [n](const Digest& d) { return Field(d, "net.players") == n; }; };
    const auto kept = [](const Digest& d) { return !Field(d, "screen").empty(); };

    const auto host = LaunchWritten("host", "--host", TogetherScript("Angler", 0, true), "6");
    ASSERT_EQ(Field(WaitForDigest("host", *host, [](const Digest& d) { return Field(d, "screen") == "19"; }), "screen"),
              "19");
    // One at a time, so that ids and slots follow the order of joining.
    const auto casey = LaunchWritten("casey", "--join", TogetherScript("Casey", 1, true), "8");
    ASSERT_EQ(Field(WaitForDigest("casey", *casey, players("2")), "net.players"), "2");
    const auto drew = LaunchWritten("drew", "--join", TogetherScript("Drew", 2, false), "9");
    ASSERT_EQ(Field(WaitForDigest("drew", *drew, players("3")), "net.players"), "3");
    const auto eve = LaunchWritten("eve", "--join", TogetherScript("Eve", 3, false), "10");

    ASSERT_EQ(Field(WaitForDigest("host", *host, kept, "lake"), "screen"), "2") << "the host sees every boat";
    ASSERT_EQ(Field(WaitForDigest("casey", *casey, kept, "lake"), "screen"), "2") << "the next host sees every boat";
    // Stopped first, so that neither says a word between the two kills.
    host->Stop();
    casey->Stop();
    host->Kill();
    casey->Kill();

    const Left left = {{"drew", drew.get()}, {"eve", eve.get()}};
    ExpectOneSessionOf(left, {"AnglerDrew", "AnglerEve"}, {"AnglerAngler", "AnglerCasey"}, "drew");
    EXPECT_TRUE(EndOnTheMainMenu(left));
    ExpectNoRefusalOrShareLine({"drew", "eve"});
}

} // namespace
