// The help picture over a network tournament's board, three headless copies over the loopback
// interface: each copy presses H on its board, Escape there (Back to the board, not the main
// menu, which would leave the day unclosed and hold the others in the closing wait), then
// Escape on the board. Nobody keeps a fish and no copy's road depends on a catch: day 1 of four
// goes on whole, and a one-day tournament's final holds every player.

#include "GameProcesses.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using Copy = ScenarioCopy;

class NetHelpEscapeScenarioTest : public MultiCopyScenario
{
protected:
    // Nobody is killed or goes silent: the time-out lets go only a copy that hangs.
    NetHelpEscapeScenarioTest() { m_netTimeoutMs = kRoomAtAnyLoadMs; }
    std::vector<std::string> Evidence() const override
    {
        return FilesOf({"host", "guest", "late"}, {".log", ".txt", ".txt.board", ".txt.back"});
    }

    GameProcess Launch(const Copy& copy)
    {
        std::vector<std::string> args = CopyArgs(copy.who, copy.flag, copy.script);
        args.insert(args.end(), {"--seed", copy.seed});
        return GameProcess(args, m_dir.File(std::string(copy.who) + ".log"));
    }

    Digest WaitFor(const Copy& copy, GameProcess& process, const char* kept,
                   const std::function<bool(const Digest&)>& ready)
    {
        return WaitForDigest(copy.who, process, ready, kept);
    }

    // Starts the three copies, each pressing H then Escape on its first board; `after` is what
    // each copy's digest shows once its board has closed. Every copy's board and its board back
    // from the help picture are the host's.
    void Play(const char* hostScript, const std::function<bool(const Digest&)>& after)
    {
        const Copy host{"host", "--host", hostScript, "6"};
        const Copy guest{"guest", "--join", "net_help_join_casey.script", "8"};
        const Copy late{"late", "--join", "net_help_join_drew.script", "9"};
        GameProcess hostRun = Launch(host);
        ASSERT_EQ(Field(WaitFor(host, hostRun, nullptr, [](const Digest& d) { return Field(d, "screen") == "19"; }),
                        "screen"),
                  "19")
            << "the host reaches the start of the day";
        GameProcess guestRun = Launch(guest);
        ASSERT_EQ(
            Field(WaitFor(guest, guestRun, nullptr, [](const Digest& d) { return Field(d, "net.players") == "2"; }),
                  "net.players"),
            "2")
            << "Casey joins";
        GameProcess lateRun = Launch(late);
        const std::vector<std::pair<const Copy*, GameProcess*>> copies = {
            {&host, &hostRun}, {&guest, &guestRun}, {&late, &lateRun}};
        for (const auto& [copy, process] : copies)
        {
            SCOPED_TRACE(copy->who);
            EXPECT_TRUE(after(WaitFor(*copy, *process, nullptr, after))) << "the board closed and led on";
            m_last[copy->who] = ReadDigest(m_dir.File(std::string(copy->who) + ".txt"));
        }
        const auto kept = [this](const Copy& copy, const char* name)
        { return ReadDigest(m_dir.File(std::string(copy.who) + ".txt." + name)); };
        const std::string board = Field(kept(host, "board"), "save.standing");
        ASSERT_NE(board, "");
        for (const auto& [copy, process] : copies)
        {
            SCOPED_TRACE(copy->who);
            EXPECT_EQ(Field(kept(*copy, "board"), "save.standing"), board);
            // The first frame back from the help picture: the same board, its results standing.
            const Digest back = kept(*copy, "back");
            EXPECT_EQ(Field(back, "screen"), "10");
            EXPECT_EQ(Field(back, "weigh_in.results"), "1");
            EXPECT_EQ(Field(back, "save.standing"), board);
        }
    }

    // Games, firsts, top fives, winnings, place sum of the row the game was counted in.
    static std::vector<int64_t> Career(const Digest& digest)
    {
        std::istringstream in(Field(digest, "profile.career"));
        std::vector<int64_t> words;
        for (int64_t word = 0; in >> word;)
            words.push_back(word);
        return words;
    }

    std::map<std::string, Digest> m_last;
};

// Day 1 of four: every copy goes on to day 2's lake, none is held in the closing wait, and
// nothing is credited before the tournament ends.
TEST_F(NetHelpEscapeScenarioTest, HelpAndEscapeOnADaysBoardHoldNoOne)
{
    Play("net_help_host_day.script",
         [](const Digest& d) { return Field(d, "screen") == "2" && Field(d, "session.day") == "2"; });
    for (const auto& [who, digest] : m_last)
    {
        SCOPED_TRACE(who);
        EXPECT_EQ(Career(digest), (std::vector<int64_t>{1, 0, 0, 0, 0}));
    }
}

// The final of a one-day tournament: every copy ends on the main menu, credited once with a
// place among the five and its prize.
TEST_F(NetHelpEscapeScenarioTest, HelpAndEscapeOnTheFinalsBoardCreditOnceAndHoldNoOne)
{
    Play("net_help_host_final.script", [](const Digest& d) { return Field(d, "screen") == "8"; });
    std::vector<int64_t> places;
    for (const auto& [who, digest] : m_last)
    {
        SCOPED_TRACE(who);
        const std::vector<int64_t> career = Career(digest);
        ASSERT_EQ(career.size(), 5u);
        EXPECT_EQ(career[0], 1);
        EXPECT_EQ(career[2], 1);
        EXPECT_GT(career[3], 0);
        EXPECT_GE(career[4], 1);
        EXPECT_LE(career[4], 5);
        places.push_back(career[4]);
    }
    // Three players, three places.
    std::sort(places.begin(), places.end());
    EXPECT_EQ(std::unique(places.begin(), places.end()), places.end());
}

} // namespace
