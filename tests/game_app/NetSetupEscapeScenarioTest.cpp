// Escape between the join and the first day, three headless copies in one session: Casey's
// Escape on its profiles screen (and on the set-up) asks whether to leave the network game. A no
// keeps it seated and it fishes the day with the others; a yes takes it out of the session to the
// main menu, and the host and Drew, whose start waited for it, fish on without it.

#include "GameProcesses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{

class NetSetupEscapeScenarioTest : public MultiCopyScenario
{
protected:
    // A copy that leaves says so as it closes: the time-out lets go only a copy that hangs.
    NetSetupEscapeScenarioTest() { m_netTimeoutMs = kRoomAtAnyLoadMs; }
    std::vector<std::string> Evidence() const override
    {
        return FilesOf({"host", "casey", "drew"}, {".log", ".txt", ".txt.stayed", ".txt.back", ".txt.setup",
                                                   ".txt.left", ".txt.board", ".txt.end"});
    }
    std::unique_ptr<GameProcess> Launch(const std::string& who, const char* flag, const char* script, const char* seed)
    {
        std::vector<std::string> args = CopyArgs(who, flag, script, "1780315200", kFrames);
        args.insert(args.end(), {"--seed", seed});
        return std::make_unique<GameProcess>(args, m_dir.File(who + ".log"));
    }
    static bool Kept(const Digest& d) { return !Field(d, "screen").empty(); }

    // Each copy that fished: the one-day final's board, the same on each, the game counted once
    // in the network row, then the main menu.
    void ExpectOneBoard(const std::vector<std::pair<const char*, GameProcess*>>& fishers)
    {
        std::string board;
        for (const auto& [who, process] : fishers)
        {
            SCOPED_TRACE(who);
            const Digest final = WaitForDigest(who, *process, Kept, "board");
            EXPECT_EQ(Field(final, "weigh_in.results"), "1");
            EXPECT_EQ(Field(final, "profile.games_started"), "0 0 0 1");
            if (board.empty())
                board = Field(final, "save.standing");
            EXPECT_EQ(Field(final, "save.standing"), board);
            EXPECT_EQ(Field(WaitForDigest(who, *process, Kept, "end"), "screen"), "8");
        }
        EXPECT_NE(board, "");
    }

    // A copy stops at its last frame: one that stands for good ends there, not at the deadline.
    // Its own clock runs the day out in 3000 frames (600 s at 200 ms a frame) while a loaded host
    // may not have ended it yet: twice that.
    static constexpr const char* kFrames = "6000";
};

const auto kAtStart = [](const Digest& d) { return Field(d, "screen") == "19"; };

TEST_F(NetSetupEscapeScenarioTest, AJoinerThatSaysNoStaysSeatedAndFishesTheFirstDay)
{
    const auto host = Launch("host", "--host", "net_slow_host.script", "6");
    ASSERT_TRUE(kAtStart(WaitForDigest("host", *host, kAtStart)));
    const auto casey = Launch("casey", "--join", "net_setup_escape_no.script", "8");
    const auto drew = Launch("drew", "--join", "net_setup_escape_drew.script", "9");

    // After each no, and back from the help picture, still on its screen and in the session.
    for (const auto& [kept, screen] : {std::pair{"stayed", "5"}, std::pair{"back", "5"}, std::pair{"setup", "4"}})
    {
        SCOPED_TRACE(kept);
        const Digest d = WaitForDigest("casey", *casey, Kept, kept);
        EXPECT_EQ(Field(d, "screen"), screen);
        EXPECT_EQ(Field(d, "net.host"), "0");
    }
    ExpectOneBoard({{"host", host.get()}, {"casey", casey.get()}, {"drew", drew.get()}});
    EXPECT_NE(Field(ReadDigest(DigestPath("host", "board")), "save.standing").find("AnglerCasey"), std::string::npos);
}

TEST_F(NetSetupEscapeScenarioTest, AJoinerThatSaysYesLeavesAndTheOthersFishOn)
{
    const auto host = Launch("host", "--host", "net_slow_host.script", "6");
    ASSERT_TRUE(kAtStart(WaitForDigest("host", *host, kAtStart)));
    const auto casey = Launch("casey", "--join", "net_setup_escape_yes.script", "8");
    const auto drew = Launch("drew", "--join", "net_setup_escape_drew.script", "9");

    // Out of the session on the main menu, no game counted.
    const Digest left = WaitForDigest("casey", *casey, Kept, "left");
    EXPECT_EQ(Field(left, "screen"), "8");
    EXPECT_EQ(Field(left, "net"), "none");
    EXPECT_EQ(Field(left, "profile.games_started"), "0 0 0 0");
    // The host's start, which waited for Casey, begins with the two left.
    ExpectOneBoard({{"host", host.get()}, {"drew", drew.get()}});
    // Casey, seated under its first profile's name, has no row.
    std::vector<std::string> names;
    std::istringstream rows(Field(ReadDigest(DigestPath("host", "board")), "save.standing"));
    for (std::string row; std::getline(rows, row, '|');)
    {
        std::istringstream words(row);
        std::string total, fish, name;
        if (words >> total >> fish && std::getline(words >> std::ws, name))
            names.push_back(name);
    }
    EXPECT_EQ(std::count(names.begin(), names.end(), "AnglerDrew"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Angler"), 0);
}

} // namespace
