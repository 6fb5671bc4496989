// Two two-day network tournaments in a row in one session, three headless copies over the loopback
// interface: after the first final every copy goes through the main menu, PLAY GAME, TOURNAMENT,
// profiles, set-up and its start into the second game. Once the host is ahead of its joiners at
// its game select (it waits on its profiles screen until both stand at their starts), once behind
// them (it waits on the main menu until both stand at their starts, Start pressed). Each hold is a
// wait for the other copies' chat lines, which they type on reaching their start: a state, not a
// number of frames. Every copy ends on the main menu with each game's boards equal to the others' and
// two games credited; nobody is refused. Nobody fishes: the host runs each day out once the others'
// boats are on its lake. About ten seconds a case in the sanitizer build.

#include "GameProcesses.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
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

// Script lines one frame apart from `frame` on; a wait holds them, and later lines keep their distance.
class ScriptText
{
public:
    explicit ScriptText(int frame) : m_frame(frame) {}
    ScriptText& operator<<(const std::string& lines)
    {
        std::istringstream in(lines);
        for (std::string line; std::getline(in, line);)
            m_text << m_frame++ << ' ' << line << '\n';
        return *this;
    }
    std::string Text() const { return m_text.str(); }

private:
    int m_frame;
    std::ostringstream m_text;
};

std::string Click(int x, int y)
{
    return "move " + std::to_string(x) + " " + std::to_string(y) + "\nbutton 0 down\nbutton 0 up\n";
}

std::string Say(const char* text)
{
    return std::string("key T down\nkey T up\ntext ") + text + "\nkey Return down\nkey Return up\n";
}

// The first game's road to the lake: TOURNAMENT on the game select, a new profile of the typed
// name, the set-up's Accept; a joiner presses Start once all three are in the session.
std::string FirstGameStart(const std::string& typed)
{
    return "5 move 531 311\n6 button 0 down\n7 button 0 up\n20 move 90 40\n21 button 0 down\n22 button 0 up\n"
           "30 text " +
           typed +
           "\n35 move 500 285\n36 button 0 down\n37 button 0 up\n"
           "50 move 170 442\n51 button 0 down\n52 button 0 up\n"
           "70 move 170 442\n71 button 0 down\n72 button 0 up\n";
}

// Each game's two days on every copy: the first day's board clicked, the second day run out, the
// final's board kept, a click, the main menu kept.
std::string Final(int game)
{
    const std::string n = std::to_string(game);
    return "wait screen 10\nstep 500\nwait weigh_in.results 1\nkeep day" + n + "\n" + Click(320, 300) +
           "wait weigh_in.results 0\nstep 1700000\nwait screen 10\nstep 500\nwait weigh_in.results 1\nkeep board" + n +
           "\n" + Click(320, 300) + "wait screen 8\nkeep end" + n + "\nstep 200\n";
}

// The host's day: the others' boats on its lake, then the day run out.
std::string HostDay()
{
    return "wait screen 2\nwait net.boat 1 *\nwait net.boat 2 *\nstep 1700000\n";
}

const char* const kJoinersAtStart = "wait net.line AnglerCasey: at start*\nwait net.line AnglerDrew: at start*\n";

std::string HostScript(bool ahead)
{
    ScriptText s(80);
    s << "wait net.players 3\n" + Click(170, 442) + HostDay() + Final(1);
    // The second game: PLAY GAME, TOURNAMENT, the profile kept, the set-up's Accept, Start.
    if (!ahead)
        s << kJoinersAtStart;
    s << Click(520, 109) + "wait screen 1\n" + Say("at game select") + Click(531, 311) + "wait screen 5\n";
    if (ahead)
        s << kJoinersAtStart;
    s << Click(170, 442) + "wait screen 4\n" + Click(170, 442) + "wait screen 19\nwait net.players 3\n" +
             Click(170, 442) + HostDay() + Final(2);
    // Two days: the set-up's days arrow once, before its Accept.
    std::string start = FirstGameStart("Angler");
    start.insert(start.find("70 move"), "60 move 603 119\n61 button 0 down\n62 button 0 up\n");
    return start + s.Text();
}

// A joiner: in the second game it says it stands at its start, then presses Start. With the host
// ahead, it leaves the main menu only once the host has passed its game select.
std::string JoinerScript(const std::string& typed, bool hostAhead)
{
    ScriptText s(80);
    s << "wait net.players 3\n" + Click(170, 442) + "wait screen 2\n" + Final(1);
    if (hostAhead)
        s << "wait net.line AnglerAngler: at game select*\n";
    s << Click(520, 109) + "wait screen 1\n" + Click(531, 311) + "wait screen 5\n" + Click(170, 442) +
             "wait screen 4\n" + Click(170, 442) + "wait screen 19\n" + Say("at start") + Click(170, 442) +
             "wait screen 2\n" + Final(2);
    return FirstGameStart(typed) + s.Text();
}

class NetSecondGameScenarioTest : public MultiCopyScenario, public ::testing::WithParamInterface<Hold>
{
protected:
    std::vector<std::string> Evidence() const override
    {
        return FilesOf({"host", "casey", "drew"},
                       {".log", ".txt", ".txt.day1", ".txt.board1", ".txt.day2", ".txt.board2", ".txt.end2"});
    }
    // The copy plays the script written into the scenario's folder.
    std::unique_ptr<GameProcess> Launch(const std::string& who, const char* flag, const std::string& script,
                                        const char* seed)
    {
        const std::string path = m_dir.File(who + ".script");
        std::ofstream(path) << script;
        std::vector<std::string> args = CopyArgs(who, flag, who + ".script");
        for (size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == "--script")
                args[i + 1] = path;
        args.insert(args.end(), {"--seed", seed});
        return std::make_unique<GameProcess>(args, m_dir.File(who + ".log"));
    }
    std::string Log(const std::string& who) const
    {
        std::ifstream in(m_dir.File(who + ".log"));
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
};

TEST_P(NetSecondGameScenarioTest, BothGamesEndWithEqualBoardsAndTwoCredits)
{
    const bool ahead = GetParam().hostAhead;
    const auto screen = [](const char* id) { return [id](const Digest& d) { return Field(d, "screen") == id; }; };
    const auto kept = [](const Digest& d) { return !Field(d, "screen").empty(); };

    const auto host = Launch("host", "--host", HostScript(ahead), "6");
    ASSERT_TRUE(screen("19")(WaitForDigest("host", *host, screen("19"))));
    const auto casey = Launch("casey", "--join", JoinerScript("Casey", ahead), "8");
    ASSERT_EQ(Field(WaitForDigest("casey", *casey, [](const Digest& d) { return Field(d, "net.players") == "2"; }),
                    "net.players"),
              "2");
    const auto drew = Launch("drew", "--join", JoinerScript("Drew", ahead), "9");

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

INSTANTIATE_TEST_SUITE_P(Holds, NetSecondGameScenarioTest, ::testing::ValuesIn(kHolds),
                         [](const ::testing::TestParamInfo<Hold>& hold) { return std::string(hold.param.name); });

} // namespace
