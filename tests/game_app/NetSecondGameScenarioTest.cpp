// Two two-day network tournaments in a row in one session, three headless copies over the loopback
// interface: after the first final every copy goes through the main menu, PLAY GAME, TOURNAMENT,
// profiles, set-up and its start into the second game. Once the host is ahead of its joiners at
// its game select (it waits on its profiles screen until both stand at their starts), once behind
// them (it waits on the main menu until both wait at their starts, Start pressed, and then on its
// profiles, its game select passed, until both have seen it there). Each hold is a wait for the
// other copies' chat lines, which they type on reaching a state: never a number of frames. Every
// copy ends on the main menu with each game's boards equal to the others' and two games credited;
// nobody is refused. Nobody fishes: the host runs each day out once the others' boats are on its
// lake. About fifteen seconds a case in the sanitizer build.

#include "NetGameScripts.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace
{

struct Hold
{
    const char* name;
    // The host passes its game select before its joiners come to their starts.
    bool hostAhead;
};

const Hold kHolds[] = {
    {"HostAheadAtItsGameSelect", true},
    {"HostBehindItsJoiners", false},
};

void PrintTo(const Hold& hold, std::ostream* out)
{
    *out << hold.name;
}

const char* const kJoinersAtStart = "wait net.line AnglerCasey: at start*\nwait net.line AnglerDrew: at start*\n";
const char* const kJoinersStillAtStart =
    "wait net.line AnglerCasey: still at start*\nwait net.line AnglerDrew: still at start*\n";

std::string HostScript(bool ahead)
{
    ScriptText s(80);
    s << "wait net.players 3\n" + Click(170, 442) + HostDay() + Final(1);
    // The second game: PLAY GAME, TOURNAMENT, the profile kept, the set-up's Accept, Start. Behind,
    // the host leaves its main menu once both joiners wait at their starts, and holds on its profiles
    // (its game select passed, its next game not yet begun) until both have seen it there.
    if (ahead)
        s << NextGameStart(Say("at game select"), kJoinersAtStart);
    else
        s << kJoinersAtStart + NextGameStart("", Say("past game select") + kJoinersStillAtStart);
    s << "wait net.players 3\n" + Click(170, 442) + HostDay() + Final(2);
    // Two days: the set-up's days arrow once, before its Accept.
    std::string start = FirstGameStart("Angler");
    start.insert(start.find("70 move"), "60 move 603 119\n61 button 0 down\n62 button 0 up\n");
    return start + s.Text();
}

// A joiner in the second game. With the host ahead, it leaves the main menu only once the host has
// passed its game select, and says it stands at its start before it presses Start. With the host
// behind, it presses Start first and speaks once it has said so to the others (its phase is the
// start's): it waits under its banner, having seen the host's last game closed, before the host
// leaves its main menu; and it speaks again, still waiting, once the host is past its game select.
std::string JoinerScript(const std::string& typed, bool hostAhead)
{
    ScriptText s(80);
    // No wait for its lake: the host ends the day on seeing the boats, and a loaded joiner's lake
    // may come and go between two of its script's looks.
    s << "wait net.players 3\n" + Click(170, 442) + Final(1);
    if (hostAhead)
        s << "wait net.line AnglerAngler: at game select*\n" + NextGameStart() + Say("at start") + Click(170, 442);
    else
        s << NextGameStart() + Click(170, 442) + "wait net.phase 2\n" + Say("at start") +
                 "wait net.line AnglerAngler: past game select*\n" + Say("still at start");
    s << Final(2);
    return FirstGameStart(typed) + s.Text();
}

class NetSecondGameScenarioTest : public NetGameScenario, public ::testing::WithParamInterface<Hold>
{
protected:
    // Nobody is killed or goes silent: the time-out lets go only a copy that hangs.
    NetSecondGameScenarioTest() { m_netTimeoutMs = kRoomAtAnyLoadMs; }
    std::vector<std::string> Evidence() const override
    {
        return FilesOf({"host", "casey", "drew"},
                       {".log", ".txt", ".txt.day1", ".txt.board1", ".txt.day2", ".txt.board2", ".txt.end2"});
    }
};

TEST_P(NetSecondGameScenarioTest, BothGamesEndWithEqualBoardsAndTwoCredits)
{
    const bool ahead = GetParam().hostAhead;
    const auto screen = [](const char* id) { return [id](const Digest& d) { return Field(d, "screen") == id; }; };
    const auto kept = [](const Digest& d) { return !Field(d, "screen").empty(); };

    const auto host = LaunchWritten("host", "--host", HostScript(ahead), "6");
    ASSERT_TRUE(screen("19")(WaitForDigest("host", *host, screen("19"))));
    const auto casey = LaunchWritten("casey", "--join", JoinerScript("Casey", ahead), "8");
    ASSERT_EQ(Field(WaitForDigest("casey", *casey, [](const Digest& d) { return Field(d, "net.players") == "2"; }),
                    "net.players"),
              "2");
    const auto drew = LaunchWritten("drew", "--join", JoinerScript("Drew", ahead), "9");

    const std::vector<std::pair<std::string, GameProcess*>> copies = {
        {"host", host.get()}, {"casey", casey.get()}, {"drew", drew.get()}};
    // Each game's first day's board and its final's.
    std::string boards[4];
    for (const auto& [who, process] : copies)
    {
        SCOPED_TRACE(who);
        const Digest end = WaitForDigest(who, *process, kept, "end2");
        EXPECT_EQ(Field(end, "screen"), "8");
        EXPECT_EQ(Field(end, "profile.games_started"), "0 0 0 2") << "each game counted once, in the network row";
        for (int i = 0; i < 4; ++i)
        {
            const std::string name = (i % 2 == 0 ? "day" : "board") + std::to_string(i / 2 + 1);
            const Digest final = ReadDigest(DigestPath(who, name.c_str()));
            EXPECT_EQ(Field(final, "weigh_in.results"), "1") << name;
            const std::string board = Field(final, "save.standing");
            // A final's field: whoever the first day did not cut, the computer anglers among them.
            EXPECT_FALSE(BoardNames(board).empty()) << name;
            if (boards[i].empty())
                boards[i] = board;
            EXPECT_EQ(board, boards[i]) << name;
        }
    }
    EXPECT_TRUE(EndOnTheMainMenu(copies));
    ExpectNoRefusalOrShareLine({"host", "casey", "drew"});
}

INSTANTIATE_TEST_SUITE_P(Holds, NetSecondGameScenarioTest, ::testing::ValuesIn(kHolds),
                         [](const ::testing::TestParamInfo<Hold>& hold) { return std::string(hold.param.name); });

} // namespace
