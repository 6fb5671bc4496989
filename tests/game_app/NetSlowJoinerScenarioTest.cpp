// A player slower than the host to the first day: three copies in one session, Casey seated from
// start-up but standing on its profiles screen until the host, at its start of the day, says
// "go" in a chat line. The host's start waits for Casey; all three fish day 1 of a one-day
// tournament, reach one final's board, and nobody waits for anyone at its close.

#include "GameProcesses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

class NetSlowJoinerScenarioTest : public MultiCopyScenario
{
protected:
    // Casey stands on its profiles seated, not silent: the time-out lets go only a copy that hangs.
    NetSlowJoinerScenarioTest() { m_netTimeoutMs = kRoomAtAnyLoadMs; }
    std::vector<std::string> Evidence() const override
    {
        return FilesOf({"host", "casey", "drew"}, {".log", ".txt", ".txt.start", ".txt.profiles", ".txt.board"});
    }
    std::unique_ptr<GameProcess> Launch(const std::string& who, const char* flag, const char* script, const char* seed)
    {
        std::vector<std::string> args = CopyArgs(who, flag, script, "1780315200", kFrames);
        args.insert(args.end(), {"--seed", seed});
        return std::make_unique<GameProcess>(args, m_dir.File(who + ".log"));
    }
    Digest WaitFor(const std::string& who, GameProcess& process, const std::function<bool(const Digest&)>& ready,
                   const char* kept = nullptr)
    {
        return WaitForDigest(who, process, ready, kept);
    }

    // Each copy stops at its last frame: a copy that stands for good on a screen (a start that
    // never begins, a close that waits) ends there, and the wait on it with its evidence. Its own
    // clock runs the day out in 3000 frames (600 s at 200 ms a frame) while a loaded host may not
    // have ended it yet: twice that.
    static constexpr const char* kFrames = "6000";
};

TEST_F(NetSlowJoinerScenarioTest, AJoinerStillOnItsProfilesWhenTheHostStartsFishesTheFirstDay)
{
    const auto screen = [](const char* id) { return [id](const Digest& d) { return Field(d, "screen") == id; }; };
    const auto kept = [](const Digest& d) { return !Field(d, "screen").empty(); };

    const auto host = Launch("host", "--host", "net_slow_host.script", "6");
    ASSERT_TRUE(screen("19")(WaitFor("host", *host, screen("19"))));
    const auto casey = Launch("casey", "--join", "net_slow_join_casey.script", "8");
    const auto drew = Launch("drew", "--join", "net_slow_join_drew.script", "9");

    // The host pressed Start before Casey left its profiles screen, and waits at its start.
    const Digest started = WaitFor("host", *host, kept, "start");
    EXPECT_EQ(Field(started, "screen"), "19") << "the host's day began without Casey";
    EXPECT_EQ(Field(WaitFor("casey", *casey, kept, "profiles"), "screen"), "5");

    std::string board;
    for (const auto& [who, process] :
         {std::pair{"host", host.get()}, std::pair{"casey", casey.get()}, std::pair{"drew", drew.get()}})
    {
        SCOPED_TRACE(who);
        // Day 1's board (a one-day tournament's final), the game counted once, in the network row.
        const Digest final = WaitFor(who, *process, kept, "board");
        EXPECT_EQ(Field(final, "weigh_in.results"), "1");
        EXPECT_EQ(Field(final, "session.day"), "1");
        EXPECT_EQ(Field(final, "profile.games_started"), "0 0 0 1");
        if (board.empty())
            board = Field(final, "save.standing");
        EXPECT_EQ(Field(final, "save.standing"), board);
        // Nobody is held at the final's close: every copy clicks on to the main menu.
        EXPECT_EQ(Field(WaitFor(who, *process, kept, "end"), "screen"), "8");
    }
    // Every player has one row under its own name: none is a name from before its profile.
    const std::vector<std::string> names = BoardNames(board);
    for (const char* name : {"AnglerAngler", "AnglerCasey", "AnglerDrew"})
        EXPECT_EQ(std::count(names.begin(), names.end(), name), 1) << name << " in " << board;
    // Honest copies ask the host for its parameters within their share: no flood is told.
    for (const char* who : {"host", "casey", "drew"})
    {
        std::ifstream in(m_dir.File(std::string(who) + ".log"));
        const std::string output((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(output.find("asks for the parameters"), std::string::npos) << who;
    }
}

} // namespace
