// The roads a joiner can take at the start of a network tournament's first day, three headless
// copies over the loopback interface: Casey goes one road per row (the help picture over its
// waiting banner, Escape's question, the help picture before Start), the host has pressed Start
// as soon as both others joined, and Drew presses Start once Casey says "ready". Each road ends
// with all three fishing the one-day final, equal boards and one credit each, or, where Casey
// leaves, with Casey on the main menu out of the session and the other two fishing on.

#include "GameProcesses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
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

class NetStartRoadsScenarioTest : public MultiCopyScenario, public ::testing::WithParamInterface<Road>
{
protected:
    std::vector<std::string> Evidence() const override
    {
        return FilesOf({"host", "casey", "drew"}, {".log", ".txt", ".txt.help", ".txt.board", ".txt.end"});
    }
    std::unique_ptr<GameProcess> Launch(const std::string& who, const char* flag, const char* script, const char* seed)
    {
        std::vector<std::string> args = CopyArgs(who, flag, script);
        args.insert(args.end(), {"--seed", seed});
        return std::make_unique<GameProcess>(args, m_dir.File(who + ".log"));
    }
    std::string Log(const std::string& who) const
    {
        std::ifstream in(m_dir.File(who + ".log"));
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
};

TEST_P(NetStartRoadsScenarioTest, EveryRoadFishesTheDayOrLeaves)
{
    const Road& road = GetParam();
    const auto screen = [](const char* id) { return [id](const Digest& d) { return Field(d, "screen") == id; }; };
    const auto kept = [](const Digest& d) { return !Field(d, "screen").empty(); };

    const auto host =
        Launch("host", "--host", road.fishes ? "net_roads_host.script" : "net_roads_host_pair.script", "6");
    ASSERT_TRUE(screen("19")(WaitForDigest("host", *host, screen("19"))));
    const auto casey = Launch("casey", "--join", road.casey, "8");
    ASSERT_EQ(Field(WaitForDigest("casey", *casey, [](const Digest& d) { return Field(d, "net.players") == "2"; }),
                    "net.players"),
              "2");
    const auto drew = Launch("drew", "--join", "net_roads_join_drew.script", "9");

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
        // Nobody is held at the close; the game counted once, in the network row.
        const Digest end = WaitForDigest(who, *process, kept, "end");
        EXPECT_EQ(Field(end, "screen"), "8");
        EXPECT_EQ(Field(end, "profile.games_started"), "0 0 0 1");
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
        EXPECT_EQ(Field(end, "profile.games_started"), "0 0 0 0");
    }
    // Nobody refused, and honest copies stay within every share.
    for (const char* who : {"host", "casey", "drew"})
    {
        SCOPED_TRACE(who);
        const std::string log = Log(who);
        for (const char* line : {"The game has already begun.", "sends more of one kind", "asks for the parameters",
                                 "turned this player away"})
            EXPECT_EQ(log.find(line), std::string::npos) << line;
    }
}

INSTANTIATE_TEST_SUITE_P(Roads, NetStartRoadsScenarioTest, ::testing::ValuesIn(kRoads),
                         [](const ::testing::TestParamInfo<Road>& road) { return std::string(road.param.name); });

} // namespace
