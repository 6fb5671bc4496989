// The roads a joiner can take at the start of a network tournament's first day, three headless
// copies over the loopback interface: Casey goes one road per row (the help picture over its
// waiting banner, Escape's question, the help picture before Start), the host has pressed Start
// as soon as both others joined, and Drew presses Start once Casey says "ready". Each road ends
// with all three fishing the one-day final, equal boards and a credit each for every game played,
// or, where Casey leaves, with Casey on the main menu out of the session and the other two fishing
// on. Each road is taken in the session's first game, and in its second after a one-day first game
// played through: there the host says it is past its game select before the joiners leave the
// main menu, and waits on its profiles screen (before its set-up begins the new game) until Casey
// has gone its road, so that every joiner's start reads the host between the two games.

#include "NetGameScripts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace
{

struct Road
{
    const char* name;
    const char* casey;
    // Casey fishes the day (else it leaves the game from its start).
    bool fishes;
};

const Road kRoads[] = {
    {"StartThenHelpThenEscape", "net_roads_casey_help_escape.script", true},
    {"StartThenHelpThenBackThenStartAgain", "net_roads_casey_help_back.script", true},
    {"EscapeAnsweredNoThenStart", "net_roads_casey_escape_no.script", true},
    {"HelpThenEscapeThenStart", "net_roads_casey_help_first.script", true},
    {"EscapeAnsweredYesLeaves", "net_roads_casey_escape_yes.script", false},
};

void PrintTo(const Road& road, std::ostream* out)
{
    *out << road.name;
}

// The road scripts' lines from this frame on are taken at the start; those before lead there.
constexpr int kRoadStart = 80;

// The session's game whose first day's start the road is taken at: 1 or 2.
using Row = std::tuple<Road, int>;

class NetStartRoadsScenarioTest : public NetGameScenario, public ::testing::WithParamInterface<Row>
{
protected:
    // A copy that leaves says so as it closes: the time-out lets go only a copy that hangs.
    NetStartRoadsScenarioTest() { m_netTimeoutMs = kRoomAtAnyLoadMs; }
    std::vector<std::string> Evidence() const override
    {
        return FilesOf({"host", "casey", "drew"},
                       {".log", ".script", ".txt", ".txt.help", ".txt.board1", ".txt.board", ".txt.end"});
    }
    // The copy on its road's script, in the first game as it stands, in the second after the first.
    std::unique_ptr<GameProcess> Copy(const std::string& who, const char* flag, const char* script, const char* seed)
    {
        if (std::get<1>(GetParam()) == 1)
            return Launch(who, flag, script, seed);
        return LaunchWritten(who, flag, InSecondGame(who, script), seed);
    }
    static std::string InSecondGame(const std::string& who, const char* script)
    {
        const bool host = who == "host";
        ScriptText s(kRoadStart);
        // A joiner waits for no lake: the host ends the day on seeing the boats, and a loaded
        // joiner's lake may come and go between two of its script's looks.
        s << "wait net.players 3\n" + Click(170, 442) + (host ? HostDay() : "") + Final(1, 1);
        if (host)
            s << NextGameStart(Say("at game select"), "wait net.line AnglerCasey: ready*\n");
        else
            s << "wait net.line AnglerAngler: at game select*\n" + NextGameStart();
        // The host's first road line waits for both joiners to join: here they are in the session
        // already, and Casey may have left it before the host comes to its start.
        s.Follow(ScriptFile(script), host ? kRoadStart + 1 : kRoadStart);
        const std::string typed = static_cast<char>(std::toupper(who[0])) + who.substr(1);
        return FirstGameStart(host ? "Angler" : typed) + s.Text();
    }
};

TEST_P(NetStartRoadsScenarioTest, EveryRoadFishesTheDayOrLeaves)
{
    const auto& [road, game] = GetParam();
    const auto screen = [](const char* id) { return [id](const Digest& d) { return Field(d, "screen") == id; }; };
    const auto kept = [](const Digest& d) { return !Field(d, "screen").empty(); };

    const auto host = Copy("host", "--host", road.fishes ? "net_roads_host.script" : "net_roads_host_pair.script", "6");
    ASSERT_TRUE(screen("19")(WaitForDigest("host", *host, screen("19"))));
    const auto casey = Copy("casey", "--join", road.casey, "8");
    ASSERT_EQ(Field(WaitForDigest("casey", *casey, [](const Digest& d) { return Field(d, "net.players") == "2"; }),
                    "net.players"),
              "2");
    const auto drew = Copy("drew", "--join", "net_roads_join_drew.script", "9");

    std::vector<std::pair<std::string, GameProcess*>> fishers = {{"host", host.get()}, {"drew", drew.get()}};
    if (road.fishes)
        fishers.emplace_back("casey", casey.get());
    std::string board;
    for (const auto& [who, process] : fishers)
    {
        SCOPED_TRACE(who);
        const Digest final = WaitForDigest(who, *process, kept, "board");
        EXPECT_EQ(Field(final, "weigh_in.results"), "1");
        EXPECT_EQ(Field(final, "session.day"), "1");
        if (board.empty())
            board = Field(final, "save.standing");
        EXPECT_EQ(Field(final, "save.standing"), board);
        // Nobody is held at the close; each game counted once, in the network row.
        const Digest end = WaitForDigest(who, *process, kept, "end");
        EXPECT_EQ(Field(end, "screen"), "8");
        EXPECT_EQ(Field(end, "profile.games_started"), "0 0 0 " + std::to_string(game));
    }
    // Each player who fished has one row under its own name; one who left has none.
    const std::vector<std::string> names = BoardNames(board);
    for (const char* name : {"AnglerAngler", "AnglerCasey", "AnglerDrew"})
    {
        const bool plays = road.fishes || std::string(name) != "AnglerCasey";
        EXPECT_EQ(std::count(names.begin(), names.end(), name), plays ? 1 : 0) << name << " in " << board;
    }
    if (!road.fishes)
    {
        const Digest end = WaitForDigest("casey", *casey, kept, "end");
        EXPECT_EQ(Field(end, "screen"), "8");
        EXPECT_EQ(Field(end, "net"), "none") << "it left the session";
        EXPECT_EQ(Field(end, "profile.games_started"), "0 0 0 " + std::to_string(game - 1));
    }
    ExpectNoRefusalOrShareLine({"host", "casey", "drew"});
}

std::string RowName(const ::testing::TestParamInfo<Row>& row)
{
    return std::get<0>(row.param).name;
}

INSTANTIATE_TEST_SUITE_P(Roads, NetStartRoadsScenarioTest,
                         ::testing::Combine(::testing::ValuesIn(kRoads), ::testing::Values(1)), RowName);
INSTANTIATE_TEST_SUITE_P(SecondGameRoads, NetStartRoadsScenarioTest,
                         ::testing::Combine(::testing::ValuesIn(kRoads), ::testing::Values(2)), RowName);

} // namespace
