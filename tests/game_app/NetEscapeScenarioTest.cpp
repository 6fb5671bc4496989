// Escape on a network tournament's boards, three headless copies over the loopback interface: a
// copy that presses Escape on day 1's board and on the final's goes on as a click would, so no
// other copy is held in the closing wait. Every copy weighs the final with the same board and
// ends on the main menu. The waits poll the copies' digests under the scenario's one deadline.

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
#include <map>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace
{

using Copy = ScenarioCopy;

class NetEscapeScenarioTest : public MultiCopyScenario
{
protected:
    // Nobody is killed or goes silent: the time-out lets go only a copy that hangs.
    NetEscapeScenarioTest() { m_netTimeoutMs = kRoomAtAnyLoadMs; }
    std::vector<std::string> Evidence() const override
    {
        return FilesOf({"host", "guest", "late"}, {".log", ".txt", ".txt.day1", ".txt.next", ".txt.board"});
    }

    GameProcess Launch(const Copy& copy)
    {
        const std::string who = copy.who;
        std::vector<std::string> args = CopyArgs(who, copy.flag, copy.script);
        args.insert(args.end(), {"--seed", copy.seed});
        return GameProcess(args, m_dir.File(who + ".log"));
    }

    // Whether a copy's digest (or the one it kept) came to hold `ready`.
    bool Reaches(const Copy& copy, GameProcess& process, const char* kept,
                 const std::function<bool(const Digest&)>& ready)
    {
        return ready(WaitForDigest(copy.who, process, ready, kept));
    }

    // A two-day tournament in which Casey alone keeps a fish on day 1: four of the field's
    // computer anglers catch on that day (the host's calendar draws them), so Casey makes the first
    // five whatever fish it lands, and the host and Drew, with none, are cut. Who makes the cut
    // never hangs on the size of a catch, which a loaded machine has changed; Casey's seed brings its
    // strike early in the day, which is most of the scenario's time. Every copy's day-1 and final
    // boards are kept and compared; each copy must end on the main menu after its final's board.
    void PlayTwoDays(const Copy& host, const Copy& guest, const Copy& late)
    {
        GameProcess hostRun = Launch(host);
        ASSERT_TRUE(Reaches(host, hostRun, nullptr, [](const Digest& d) { return Field(d, "screen") == "19"; }))
            << "the host reaches the start of the day";
        GameProcess guestRun = Launch(guest);
        ASSERT_TRUE(Reaches(guest, guestRun, nullptr, [](const Digest& d) { return Field(d, "net.players") == "2"; }))
            << "Casey joins";
        GameProcess lateRun = Launch(late);

        std::vector<std::pair<const Copy*, GameProcess*>> copies = {
            {&host, &hostRun}, {&guest, &guestRun}, {&late, &lateRun}};
        const auto results = [](const Digest& d) { return Field(d, "weigh_in.results") == "1"; };
        for (auto& [copy, process] : copies)
        {
            SCOPED_TRACE(copy->who);
            EXPECT_TRUE(Reaches(*copy, *process, "board", results)) << "the final's board";
            EXPECT_TRUE(Reaches(*copy, *process, nullptr, [](const Digest& d) { return Field(d, "screen") == "8"; }))
                << "the main menu after the final";
        }
        const auto kept = [this](const Copy& copy, const char* name)
        { return ReadDigest(m_dir.File(std::string(copy.who) + ".txt." + name)); };
        const std::string dayOne = Field(kept(host, "day1"), "save.standing");
        const std::string final = Field(kept(host, "board"), "save.standing");
        ASSERT_NE(dayOne, "");
        ASSERT_NE(final, "");
        for (auto& [copy, process] : copies)
        {
            SCOPED_TRACE(copy->who);
            EXPECT_EQ(Field(kept(*copy, "day1"), "save.standing"), dayOne);
            EXPECT_EQ(Field(kept(*copy, "board"), "save.standing"), final);
            // Cut or not, each went on from day 1's board into day 2.
            EXPECT_EQ(Field(kept(*copy, "next"), "weigh_in.results"), "0");
        }
    }
};

// Casey (who goes on) and Drew (cut) press Escape on every board; the host, cut, clicks them.
TEST_F(NetEscapeScenarioTest, JoinersEscapingTheBoardsHoldNoOneAndEveryCopyEndsOnTheMainMenu)
{
    PlayTwoDays({"host", "--host", "net_cut_host_idle.script", "6"}, {"guest", "--join", "net_escape_join.script", "2"},
                {"late", "--join", "net_escape_join_idle.script", "9"});
}

// The host, cut, presses Escape on every board.
TEST_F(NetEscapeScenarioTest, AHostEscapingTheBoardsHoldsNoOneAndEveryCopyEndsOnTheMainMenu)
{
    PlayTwoDays({"host", "--host", "net_escape_host.script", "6"}, {"guest", "--join", "net_cut_join.script", "2"},
                {"late", "--join", "net_cut_join_idle.script", "9"});
}

// Casey opens the help picture on the final's board and comes back to the same board (not to
// the final set up again, whose second exchange of catches held every copy), then leaves by
// Escape.
TEST_F(NetEscapeScenarioTest, AJoinerBackFromTheHelpPictureFindsItsBoardAndHoldsNoOne)
{
    PlayTwoDays({"host", "--host", "net_cut_host_idle.script", "6"}, {"guest", "--join", "net_help_join.script", "2"},
                {"late", "--join", "net_cut_join_idle.script", "9"});
    const Digest board = ReadDigest(m_dir.File("guest.txt.board"));
    const Digest back = ReadDigest(m_dir.File("guest.txt.back"));
    // The first frame back: the board with its results, not the final's ceremony begun again.
    EXPECT_EQ(Field(back, "screen"), "10");
    EXPECT_EQ(Field(back, "weigh_in.results"), "1");
    EXPECT_EQ(Field(back, "save.standing"), Field(board, "save.standing"));
}

} // namespace
