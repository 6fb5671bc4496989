// A network tournament takes no new player from its first day until it is over: three copies
// play two days (Casey alone keeps a fish and makes the cut whatever it lands; the host and Drew
// wait it out), and a fourth copy that tries to join on day 2, then again once a cut copy waits,
// is refused. Casey stands on the final's board, so the tournament cannot close under the late
// copies' joins whatever the load; once both were refused and Casey's board shown, Casey is
// taken away, and the others show the same board and finish. Every wait is on the copies' live
// digests, under the scenario's one deadline.

#include "GameProcesses.h"
#include "GccWarnings.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace
{

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class NetDoorScenarioTest : public MultiCopyScenario
{
protected:
    // Casey, killed on the final's board, is let go on its silence; the late copies are refused.
    NetDoorScenarioTest() { m_netTimeoutMs = kKilledCopyLetGoMs; }
    std::vector<std::string> Evidence() const override
    {
        return FilesOf({"host", "casey", "drew", "late1", "late2"}, {".log", ".txt"});
    }
    std::unique_ptr<GameProcess> Launch(const std::string& who, const char* flag, const char* script, const char* seed)
    {
        std::vector<std::string> args = CopyArgs(who, flag, script);
        args.insert(args.end(), {"--seed", seed});
        return std::make_unique<GameProcess>(args, m_dir.File(who + ".log"));
    }
    // A fourth copy joins now: it must be refused, and the host must never seat it. False when it
    // was not: the tournament would not go on as the test plays it.
    bool LateJoinIsRefused(const std::string& who, GameProcess& host)
    {
        const auto late = Launch(who, "--join", "net_door_late.script", "77");
        const bool seated = WaitFor([&] { return Field(ReadDigest(DigestPath("host")), "net.players") == "4"; },
                                    [&] { return late->Running(); });
        EXPECT_FALSE(seated) << who << " was seated in the tournament";
        EXPECT_FALSE(late->Running()) << who << " is still running";
        EXPECT_EQ(late->ExitCode(), 1) << who;
        const std::string said = ReadFile(m_dir.File(who + ".log"));
        EXPECT_NE(said.find("tarnholm: The game has already begun.\n"), std::string::npos) << said;
        EXPECT_TRUE(host.Running());
        return !seated && late->ExitCode() == 1;
    }
};

TEST_F(NetDoorScenarioTest, NoCopyJoinsATournamentUnderWay)
{
    const auto screen = [](const char* id) { return [id](const Digest& d) { return Field(d, "screen") == id; }; };
    const auto players = [](const char* n) { return [n](const Digest& d) { return Field(d, "net.players") == n; }; };
    const auto kept = [](const Digest& d) { return !Field(d, "screen").empty(); };

    const auto host = Launch("host", "--host", "net_cut_host_idle.script", "6");
    ASSERT_TRUE(screen("19")(WaitForDigest("host", *host, screen("19"))));
    // Casey's seed brings its strike early: day 1 on three copies is most of the scenario's time.
    const auto casey = Launch("casey", "--join", "net_door_join_stand.script", "2");
    ASSERT_TRUE(players("2")(WaitForDigest("casey", *casey, players("2"))));
    const auto drew = Launch("drew", "--join", "net_cut_join_idle.script", "9");

    // Day 1 is closed on the host: the day after it is under way.
    ASSERT_EQ(Field(WaitForDigest("host", *host, [](const Digest& d) { return Field(d, "session.day") == "2"; }),
                    "session.day"),
              "2");
    ASSERT_TRUE(LateJoinIsRefused("late1", *host));
    // Drew, cut, waits out the final on the start of the day.
    const Digest cutWait = WaitForDigest("drew", *drew, kept, "next");
    ASSERT_EQ(Field(cutWait, "screen"), "19") << "Drew waits on the start of the day";
    ASSERT_TRUE(LateJoinIsRefused("late2", *host));

    // The final's board: Casey's, who stands on it. The cut copies' come only once Casey has
    // closed the final or gone.
    std::string board;
    const auto sameBoard = [&board, &kept, this](const char* who, GameProcess& process)
    {
        SCOPED_TRACE(who);
        const Digest final = WaitForDigest(who, process, kept, "board");
        EXPECT_EQ(Field(final, "weigh_in.results"), "1");
        EXPECT_EQ(Field(final, "session.day"), "2");
        if (board.empty())
            board = Field(final, "save.standing");
        EXPECT_EQ(Field(final, "save.standing"), board);
    };
    sameBoard("casey", *casey);
    EXPECT_FALSE(board.empty());
    // Casey goes; the others show the final's board without it and finish on the main menu.
    casey->Kill();
    sameBoard("host", *host);
    sameBoard("drew", *drew);
    for (const auto& [who, process] : {std::pair{"host", host.get()}, std::pair{"drew", drew.get()}})
    {
        const Digest last = WaitForDigest(who, *process, screen("8"));
        EXPECT_EQ(Field(last, "screen"), "8") << who << " finishes";
        EXPECT_EQ(Field(last, "net.players"), "2") << who;
    }
}

} // namespace
