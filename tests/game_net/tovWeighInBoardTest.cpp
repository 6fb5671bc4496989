// The results board of a network day as each copy shows it: one board on every copy, whatever
// name each player chose and whichever row its own player holds there; and the host's way from
// the board to the next day.

#include "NetSessionPair.h"
#include "ShellScreenFixture.h"
#include "TestWeighInPorts.h"
#include "qrxClock.h"
#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovNetFacade.h"
#include "tovNetworkPlayGameParams.h"
#include "tovNullNetworkPlay.h"
#include "tovUserProfile.h"
#include "tovWeighInIFace.h"
#include "tovWeighInNet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace
{

// One copy's session as its weigh-in meets it with every catch in: its own slot, the names its
// session holds, each player's catch; a tournament of the longest days, two of them unless set.
class CopySession : public tovNullNetworkPlay
{
public:
    bool IsSessionOpen() override { return true; }
    bool IsHost() override { return m_slot == 0; }
    int32_t GetLocalSlot() override { return m_slot; }
    int32_t GetSetting0() override { return 3; }
    int32_t GetSetting1() override { return m_length; }
    bool WaitForPhase(int32_t first, int32_t second, int32_t, int32_t) override
    {
        m_waits.emplace_back(first, second);
        return true;
    }
    bool AddPlayerResults(int32_t, int32_t, int32_t) override { return true; }
    bool GetPlayerResults(int32_t slot, int32_t& ounces, int32_t& fish) override
    {
        const tovWeighInNet::Catch day = m_catches[static_cast<size_t>(slot)];
        ounces = day.ounces;
        fish = day.fish;
        return true;
    }
    bool GetPlayerName(int32_t slot, char* buffer, size_t n) override
    {
        if (slot < 0 || slot >= 5 || m_names[static_cast<size_t>(slot)].empty())
            return false;
        std::strncpy(buffer, m_names[static_cast<size_t>(slot)].c_str(), n - 1);
        return true;
    }

    int32_t m_slot = -1;
    int32_t m_length = 1;
    std::array<std::string, 5> m_names;
    std::array<tovWeighInNet::Catch, 5> m_catches{};
    // The phases waited for, in order.
    std::vector<std::pair<int32_t, int32_t>> m_waits;
};

// A livewell and fish of a fixed size per draw; no sounds or clips, and a message box that
// stays up until the test closes it.
class BoardPorts : public TestWeighInPorts
{
public:
    BoardPorts(std::vector<int32_t> livewell, float poundsPerDraw)
    {
        m_livewell = std::move(livewell);
        m_poundsPerDraw = poundsPerDraw;
    }
    int32_t TakeLivewellFish(int32_t place) override
    {
        if (place < 0 || place >= static_cast<int32_t>(m_livewell.size()))
            return -1;
        const int32_t ounces = m_livewell[static_cast<size_t>(place)];
        m_livewell.erase(m_livewell.begin() + place);
        return ounces;
    }
    void ShowMessageBox(const char*, tovMessageCallback callback, uintptr_t arg) override
    {
        m_message = callback;
        m_messageArg = arg;
    }
    // Closes the message box when one is up.
    bool CloseMessage()
    {
        if (m_message == nullptr)
            return false;
        std::exchange(m_message, nullptr)(0, m_messageArg);
        return true;
    }

private:
    tovMessageCallback m_message = nullptr;
    uintptr_t m_messageArg = 0;
};

class tovWeighInBoard : public ShellScreenTest
{
protected:
    void SetUp() override
    {
        ShellScreenTest::SetUp();
        SetInstallRoot(testfiles::DataDir());
        tovNetworkPlay::GAMEPARAMS params;
        params.weighInSeed = 0x5EED;
        StoreGameParams(params);
        SetNetworkLaunch(true);
        m_session->SetMode(tovGameSession::kTournament);
    }
    void TearDown() override
    {
        m_session->SetCutFromField(false);
        SetNetworkLaunch(false);
        SetNetworkPlay(nullptr);
        StoreGameParams(tovNetworkPlay::GAMEPARAMS());
        SetInstallRoot("");
        ShellScreenTest::TearDown();
    }

    // The board's text (the prompt, which is each player's own, left out).
    static std::vector<std::string> Rows(const tovWeighInIFace& screen)
    {
        std::vector<std::string> rows;
        for (const tovWeighInIFace::Line& line : screen.BoardLines())
            if (line.y < tovWeighInIFace::kPromptY)
                rows.push_back(std::to_string(line.x) + " " + std::to_string(line.y) + " " + line.text);
        return rows;
    }

    // A day's board, every page of it, once its results are shown.
    std::vector<std::string> DayBoard(tovWeighInIFace& screen)
    {
        m_clock.AdvanceMs(2000);
        screen.Step(GetTimeMs(), false);
        EXPECT_TRUE(screen.GetCeremony().dayResultsShown);
        std::vector<std::string> board;
        for (int32_t page = 0; page * 5 < screen.GetFieldSize(); ++page)
        {
            if (page > 0)
            {
                m_clock.AdvanceMs(5000);
                screen.Step(GetTimeMs(), false);
            }
            EXPECT_EQ(screen.GetCeremony().firstPlaceShown, 1 + page * 5);
            const std::vector<std::string> rows = Rows(screen);
            board.insert(board.end(), rows.begin(), rows.end());
        }
        return board;
    }

    // The final's board once its ceremony is over: the player clicks through each clip, is called
    // to the scale, brings each fish through the livewell screen and answers each message.
    std::vector<std::string> FinalBoard(tovWeighInIFace& screen, BoardPorts& ports)
    {
        for (int32_t step = 0; step < 1000 && !screen.GetCeremony().prizesShown; ++step)
        {
            const tovWeighInIFace::Ceremony& c = screen.GetCeremony();
            if (ports.CloseMessage())
                continue;
            if (screen.m_nextScreen == 3)
            {
                screen.Leave(10);
                screen.SetChosenPlace(0);
                screen.Prepare(3);
                screen.Enter(3);
                continue;
            }
            const bool click = c.callPending || c.waitForClick || screen.IsClipPlaying();
            m_clock.AdvanceMs(click ? 0 : 500);
            screen.Step(GetTimeMs(), click);
        }
        EXPECT_TRUE(screen.GetCeremony().prizesShown);
        return Rows(screen);
    }
};

// Three players, the third joining under the host's name, which the host's session makes
// "Robin 2"; the two Robins tie. Every copy's board reads the same, on an ordinary day (both
// pages) and in a final, whose ceremony weighs each copy's own player first; each name once.
TEST_F(tovWeighInBoard, EveryCopyShowsOneBoardWithARenamedPlayerAndATie)
{
    struct Player
    {
        const char* chosen;
        std::vector<int32_t> livewell;
        CopySession seen;
    };
    std::array<Player, 3> players{{{"Robin", {48}, {}}, {"Casey", {100, 90, 80}, {}}, {"Robin", {24, 24}, {}}}};
    {
        // The names each copy's session holds, as the in-process network gives them.
        plat::LoopbackNetwork net;
        std::vector<std::unique_ptr<NetSessionSide>> sides;
        for (const Player& p : players)
            sides.push_back(std::make_unique<NetSessionSide>(net, p.chosen));
        ASSERT_TRUE(sides[0]->session->HostSession("Lake day", ""));
        for (size_t i = 1; i < sides.size(); ++i)
            ASSERT_TRUE(sides[i]->session->JoinSession("Lake day"));
        const auto allNamed = [&]
        {
            for (const auto& side : sides)
                for (int32_t slot = 0; slot < 3; ++slot)
                {
                    char name[32] = {};
                    if (!side->session->GetPlayerName(slot, name, sizeof name))
                        return false;
                }
            return true;
        };
        ASSERT_TRUE(WaitUntil(allNamed, {sides[0]->session.get(), sides[1]->session.get(), sides[2]->session.get()}));
        for (size_t i = 0; i < players.size(); ++i)
        {
            CopySession& seen = players[i].seen;
            seen.m_slot = sides[i]->session->GetLocalSlot();
            for (int32_t slot = 0; slot < 3; ++slot)
            {
                char name[32] = {};
                sides[i]->session->GetPlayerName(slot, name, sizeof name);
                seen.m_names[static_cast<size_t>(slot)] = name;
            }
        }
    }
    // What the host's session published while the others joined is not this day's.
    tovNetworkPlay::GAMEPARAMS params;
    params.weighInSeed = 0x5EED;
    StoreGameParams(params);
    for (Player& p : players)
        for (const Player& other : players)
            p.seen.m_catches[static_cast<size_t>(other.seen.m_slot)] = tovWeighInNet::DayCatch(other.livewell);

    const struct
    {
        const char* what;
        int32_t length;
        size_t anglers;
    } tournaments[] = {{"day 1 of two", 1, 10}, {"a one-day final", 0, 5}};
    for (const auto& tournament : tournaments)
    {
        SCOPED_TRACE(tournament.what);
        std::vector<std::vector<std::string>> boards;
        for (Player& p : players)
        {
            SCOPED_TRACE(p.chosen);
            p.seen.m_length = tournament.length;
            SetNetworkPlay(&p.seen);
            TheUserProfile().SetName(p.chosen, false);
            m_session->SetDay(1, true);
            auto owned = std::make_unique<BoardPorts>(p.livewell, 8.0f);
            BoardPorts& ports = *owned;
            tovWeighInIFace screen(std::move(owned));
            screen.Prepare(2);
            screen.Enter(2);
            boards.push_back(tournament.length == 0 ? FinalBoard(screen, ports) : DayBoard(screen));
            screen.Leave(10);
        }
        SetNetworkPlay(nullptr);

        EXPECT_EQ(boards[1], boards[0]);
        EXPECT_EQ(boards[2], boards[0]);
        // Every copy agreeing is not enough: the rows stand in the order of their weights.
        std::vector<double> weights;
        for (const std::string& row : boards[0])
            if (row.starts_with("502 "))
                weights.push_back(std::stod(row.substr(row.find(' ', 4) + 1)));
        ASSERT_EQ(weights.size(), tournament.anglers);
        EXPECT_TRUE(std::is_sorted(weights.rbegin(), weights.rend())) << ::testing::PrintToString(weights);
        // Each angler once, the two Robins next to each other in their names' order.
        std::vector<std::string> names;
        for (const std::string& row : boards[0])
            if (row.starts_with("96 ") || row.starts_with("110 "))
                names.push_back(row.substr(row.find("  ") + 2));
            else if (row.starts_with("132 "))
                names.push_back(row.substr(row.find(' ', 4) + 1));
        ASSERT_EQ(names.size(), tournament.anglers);
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), tournament.anglers);
        const auto robin = std::find(names.begin(), names.end(), "Robin");
        ASSERT_NE(robin, names.end());
        ASSERT_NE(robin + 1, names.end());
        EXPECT_EQ(robin[1], "Robin 2");
    }
}

// Three copies of a two-day tournament: Robin hosts, Casey and a joiner named like a computer
// angler that day 1's field would draw among its first five. The joiner, with no fish, is cut
// and watches the final. Each angler is on day 1's board once; every copy's final board reads
// the same, with no row of the joiner's name; Robin's standings saved after day 1 and loaded
// again weigh the same final. When Casey leaves on the final's lake, its row stands last,
// says so and pays nothing, on both remaining copies.
TEST_F(tovWeighInBoard, ThreeCopiesAgreeWithACutPlayerNamedLikeAComputerAngler)
{
    // A lake whose places pay.
    TheLakeCatalogue().Clear();
    TheLakeCatalogue().SelectLakeByIndex(m_session.get(), 0);
    ASSERT_GT(TheLakeCatalogue().GetValues().intList[4], 0);
    tovNetworkPlay::GAMEPARAMS params;
    params.weighInSeed = 0x5EED;
    StoreGameParams(params);
    // Day 1 on the host's copy, its joiner named "Zed": a computer angler among the first five.
    std::string twin;
    {
        CopySession probe;
        probe.m_slot = 0;
        probe.m_names = {"Robin", "Casey", "Zed"};
        probe.m_catches = {tovWeighInNet::DayCatch({700, 700}), tovWeighInNet::DayCatch({600, 600})};
        SetNetworkPlay(&probe);
        TheUserProfile().SetName("Robin", false);
        m_session->SetDay(1, true);
        tovWeighInIFace screen(std::make_unique<BoardPorts>(std::vector<int32_t>{700, 700}, 8.0f));
        screen.Prepare(2);
        screen.Enter(2);
        DayBoard(screen);
        for (int32_t place = 0; place < 5 && twin.empty(); ++place)
        {
            const int32_t slot = screen.Standings().m_ranking[static_cast<size_t>(place)];
            if (!screen.Standings().IsPlayer(slot))
                twin = screen.Standings().GetName(slot);
        }
        screen.Leave(10);
    }
    ASSERT_FALSE(twin.empty());

    for (const bool caseyLeaves : {false, true})
    {
        SCOPED_TRACE(caseyLeaves ? "Casey leaves on the final's lake" : "everyone stays");
        struct Copy
        {
            std::string name;
            std::vector<int32_t> day1, day2;
            CopySession seen;
            BoardPorts* ports = nullptr;
            std::unique_ptr<tovWeighInIFace> screen;
            bool cut = false;
        };
        std::array<Copy, 3> copies{{{"Robin", {700, 700}, {48}, {}, nullptr, nullptr, false},
                                    {"Casey", {600, 600}, {100, 90}, {}, nullptr, nullptr, false},
                                    {twin, {}, {}, {}, nullptr, nullptr, false}}};
        for (size_t i = 0; i < copies.size(); ++i)
        {
            Copy& c = copies[i];
            c.seen.m_slot = static_cast<int32_t>(i);
            c.seen.m_length = 1;
            for (size_t k = 0; k < copies.size(); ++k)
            {
                c.seen.m_names[k] = copies[k].name;
                c.seen.m_catches[k] = tovWeighInNet::DayCatch(copies[k].day1);
            }
            auto owned = std::make_unique<BoardPorts>(c.day1, 8.0f);
            c.ports = owned.get();
            c.screen = std::make_unique<tovWeighInIFace>(std::move(owned));
        }
        const auto play = [&](Copy& c, int32_t day)
        {
            SetNetworkPlay(&c.seen);
            TheUserProfile().SetName(c.name.c_str(), false);
            m_session->SetCutFromField(c.cut);
            m_session->SetDay(day, true);
            c.screen->Prepare(2);
            c.screen->Enter(2);
        };

        std::vector<std::vector<std::string>> dayOne;
        std::vector<uint8_t> saved(tovStandings::kBlockSize);
        for (Copy& c : copies)
        {
            play(c, 1);
            dayOne.push_back(DayBoard(*c.screen));
            c.screen->Step(GetTimeMs(), true);
            c.cut = m_session->IsCutFromField();
            c.screen->Leave(10);
        }
        copies[0].screen->Standings().StoreBlock(saved.data());
        EXPECT_EQ(dayOne[1], dayOne[0]);
        EXPECT_EQ(dayOne[2], dayOne[0]);
        EXPECT_EQ(std::count_if(dayOne[0].begin(), dayOne[0].end(),
                                [&](const std::string& row) { return row.ends_with("  " + twin); }),
                  1)
            << "one row of the name " << twin;
        ASSERT_FALSE(copies[0].cut);
        ASSERT_FALSE(copies[1].cut);
        ASSERT_TRUE(copies[2].cut);

        // The final: each copy hears the others' catches, or Casey's nothing once it has gone.
        for (Copy& c : copies)
        {
            c.ports->m_livewell = c.day2;
            for (size_t k = 0; k < copies.size(); ++k)
                c.seen.m_catches[k] = tovWeighInNet::DayCatch(copies[k].day2);
            if (caseyLeaves)
                c.seen.m_names[1].clear();
        }
        std::vector<std::vector<std::string>> finals;
        for (size_t i = 0; i < copies.size(); ++i)
        {
            if (caseyLeaves && i == 1)
                continue;
            Copy& c = copies[i];
            play(c, 2);
            finals.push_back(c.cut ? Rows(*c.screen) : FinalBoard(*c.screen, *c.ports));
            c.screen->Leave(10);
        }
        for (size_t i = 1; i < finals.size(); ++i)
            EXPECT_EQ(finals[i], finals[0]) << "copy " << i;
        for (const std::string& row : finals[0])
            EXPECT_FALSE(row.ends_with(" " + twin)) << row;
        if (caseyLeaves)
        {
            ASSERT_GE(finals[0].size(), 4u);
            // The last row: its name, fish and weight, and no prize: fifth place pays nothing to a
            // player who left.
            const std::vector<std::string> last(finals[0].end() - 4, finals[0].end());
            EXPECT_TRUE(last[0].starts_with("502 333 ")) << last[0];
            EXPECT_EQ(last[1], "132 381 Casey (left)");
        }
        else
        {
            EXPECT_TRUE(finals[0][finals[0].size() - 4].starts_with("17 381 $")) << finals[0][finals[0].size() - 4];
        }

        // Robin's standings as saved after day 1 and loaded by a new copy weigh the same final.
        Copy& robin = copies[0];
        auto owned = std::make_unique<BoardPorts>(robin.day2, 8.0f);
        BoardPorts& ports = *owned;
        tovWeighInIFace loaded(std::move(owned));
        loaded.Standings().LoadBlock(saved.data());
        SetNetworkPlay(&robin.seen);
        TheUserProfile().SetName("Robin", false);
        m_session->SetCutFromField(false);
        m_session->SetDay(2, true);
        loaded.Prepare(2);
        loaded.Enter(2);
        EXPECT_EQ(FinalBoard(loaded, ports), finals[0]) << "loaded at day 2";
        loaded.Leave(10);
        SetNetworkPlay(nullptr);
    }
    TheLakeCatalogue().Clear();
}

// A copy cut from the field watches the final: its own empty row stands below the five
// finalists, so its board lists all five in their places, as the finalists' boards do.
TEST_F(tovWeighInBoard, ACopyCutFromTheFieldListsEveryFinalist)
{
    CopySession seen;
    seen.m_slot = 2;
    seen.m_names = {"Robin", "Casey", "Lee"};
    SetNetworkPlay(&seen);
    TheUserProfile().SetName("Lee", false);
    m_session->SetCutFromField(true);
    m_session->SetDay(2, true);
    // Nobody brings a fish: every finalist ties at nothing and the names alone set the order.
    tovWeighInIFace screen(std::make_unique<BoardPorts>(std::vector<int32_t>{}, 0.0f));
    const char* finalists[] = {"Casey", "Robin", "Bo", "Al", "Dee"};
    for (int32_t slot = 1; slot <= 5; ++slot)
        screen.Standings().SetName(slot, finalists[slot - 1]);
    screen.Prepare(2);
    screen.Enter(2);
    EXPECT_TRUE(screen.GetCeremony().prizesShown);
    std::vector<std::string> shown;
    for (const tovWeighInIFace::Line& line : screen.BoardLines())
        if (line.x == 132 && line.y < tovWeighInIFace::kPromptY)
            shown.push_back(line.text);
    screen.Leave(10);
    EXPECT_EQ(shown, (std::vector<std::string>{"Al", "Bo", "Casey", "Dee", "Robin"}));
}

// The host's click on a day's board goes on to the next day only after waiting for every player
// to leave the day, past closing the results: the phase they closed in would pass for the next
// day's weigh-in. (How the wait holds the host is the exchange's own test.)
TEST_F(tovWeighInBoard, TheHostGoesOnToTheNextDayOnceEveryPlayerHasLeftTheDay)
{
    CopySession seen;
    seen.m_slot = 0;
    seen.m_names = {"Robin", "Casey"};
    seen.m_catches[1] = {100, 1};
    SetNetworkPlay(&seen);
    TheUserProfile().SetName("Robin", false);
    m_session->SetDay(1, true);
    // More than any computer angler brings: the host goes on.
    tovWeighInIFace screen(std::make_unique<BoardPorts>(std::vector<int32_t>{700, 700}, 8.0f));
    screen.Prepare(2);
    screen.Enter(2);
    m_clock.AdvanceMs(2000);
    screen.Step(GetTimeMs(), false);
    ASSERT_TRUE(screen.GetCeremony().dayResultsShown);
    seen.m_waits.clear();
    screen.Step(GetTimeMs(), true);
    EXPECT_EQ(screen.m_nextScreen, 2);
    screen.Leave(10);
    using Wait = std::pair<int32_t, int32_t>;
    EXPECT_EQ(seen.m_waits, (std::vector<Wait>{{tovWeighInNet::kClosePhase, tovWeighInNet::kClosedPhase},
                                               {tovWeighInNet::kBetweenDaysPhase, tovWeighInNet::kBetweenDaysPhase}}));
}

} // namespace
