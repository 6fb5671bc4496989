// The field of a network day as two copies set it up, each with its own player in row 0: the
// same anglers with the same catches on both, on the first day and after a cut.

#include "tovWeighInNet.h"
#include "tovStandings.h"

#include "uRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

// Each angler by place: name, total and fish.
using Field = std::vector<std::pair<std::string, std::vector<int32_t>>>;

tovOpponentRollContext Context(uRandom& random)
{
    tovOpponentRollContext ctx;
    ctx.dayLength = 3;
    ctx.shares = {1.0f, 0.0f, 0.0f};
    ctx.random = &random;
    ctx.fishSize = [](int32_t, float x, float, float, int32_t, float) { return x * 10.0f; };
    return ctx;
}

// One copy's day as the weigh-in sets it up: its own catch, the others' from the exchange.
Field DayAt(tovStandings& s, int32_t day, int32_t field, const char* self, std::vector<int32_t> livewell,
            const std::vector<tovWeighInNet::Player>& others, uint32_t seed,
            std::vector<std::string>* fieldPlayers = nullptr)
{
    std::vector<std::string> unknown;
    s.m_day = day;
    s.PrepareDay(2, day);
    uRandom random(static_cast<int32_t>(seed) + 1);
    const tovOpponentRollContext ctx = Context(random);
    s.RunDay(field, livewell, self, {9, 8, 7, 6, 5}, ctx);
    tovWeighInNet::PlacePlayers(s, others, seed, ctx, fieldPlayers ? *fieldPlayers : unknown);
    s.AddAllCatches(field);
    s.SortRanking(field);
    Field seen;
    for (int32_t place = 0; place < field; ++place)
    {
        const size_t row = static_cast<size_t>(s.m_ranking[size_t(place)]);
        seen.push_back({s.GetName(int32_t(row)), {static_cast<int32_t>(s.m_totals[row]), s.m_fishCounts[row]}});
    }
    return seen;
}

TEST(tovWeighInNetTest, TwoCopiesSeeOneFieldOnTheFirstDayAndAfterTheCut)
{
    // Robin well ahead of every computer angler (at most ten pounds a fish), Casey among them:
    // both go on.
    const tovWeighInNet::Catch robin = tovWeighInNet::DayCatch({400, 310, 220});
    const tovWeighInNet::Catch casey = tovWeighInNet::DayCatch({100, 150, 148, 148, 148, 148});
    EXPECT_EQ(casey.ounces, 742) << "a sixth fish's smallest is left out";
    EXPECT_EQ(casey.fish, 5);

    tovStandings atRobin, atCasey;
    const Field first = DayAt(atRobin, 1, 20, "Robin", {400, 310, 220}, {{"Casey", casey}}, 4242);
    EXPECT_EQ(DayAt(atCasey, 1, 20, "Casey", {100, 150, 148, 148, 148, 148}, {{"Robin", robin}}, 4242), first);
    EXPECT_EQ(first.size(), 20u);
    const auto find = [](const Field& f, const char* name)
    { return std::find_if(f.begin(), f.end(), [&](const auto& e) { return e.first == name; })->second; };
    EXPECT_EQ(find(first, "Casey"), (std::vector<int32_t>{742, 5}));
    EXPECT_EQ(find(first, "Robin"), (std::vector<int32_t>{930, 3}));

    // Each copy cuts its own way round (its player stays in row 0), so the rows of the anglers
    // who go on differ between the copies; the next day's draws must not.
    const int32_t caseyPlace = atCasey.LocalRank(20);
    ASSERT_GT(caseyPlace, 1);
    ASSERT_LT(caseyPlace, 10);
    atRobin.Cut(20);
    atCasey.Cut(20);
    // The two players tie: one order on both boards all the same.
    const Field second = DayAt(atRobin, 2, 10, "Robin", {16}, {{"Casey", {16, 1}}}, 77);
    EXPECT_EQ(DayAt(atCasey, 2, 10, "Casey", {16}, {{"Robin", {16, 1}}}, 77), second);
    EXPECT_EQ(second.size(), 10u);
    EXPECT_EQ(find(second, "Casey"), (std::vector<int32_t>{16, 1}));
    const auto place = [&](const char* name)
    { return std::find_if(second.begin(), second.end(), [&](const auto& e) { return e.first == name; }); };
    EXPECT_LT(place("Casey"), place("Robin")) << "equal totals stand in the names' order";
}

// A cut copy may weigh the final after a finalist has left the session: that player keeps its
// row, empty, and every computer angler its catch, as on the copies that weighed with it.
TEST(tovWeighInNetTest, AFinalistGoneBeforeACopyWeighsLeavesTheComputerAnglersCatchesAlone)
{
    const tovWeighInNet::Catch big = tovWeighInNet::DayCatch({900, 900, 900});
    tovStandings atRobin, atDrew;
    std::vector<std::string> robinsPlayers, drewsPlayers;
    const Field first =
        DayAt(atRobin, 1, 10, "Robin", {900, 900, 900}, {{"Casey", big}, {"Drew", {}}}, 99, &robinsPlayers);
    EXPECT_EQ(DayAt(atDrew, 1, 10, "Drew", {}, {{"Robin", big}, {"Casey", big}}, 99, &drewsPlayers), first);
    atRobin.Cut(10);
    atDrew.Cut(10);
    atDrew.SetName(0, "");
    // Casey, gone from Drew's session by the final, caught nothing; Drew, cut, holds no row.
    const Field final = DayAt(atRobin, 2, 5, "Robin", {}, {{"Casey", {}}}, 5, &robinsPlayers);
    Field atCut = DayAt(atDrew, 2, 6, "Drew", {}, {{"Robin", {}}}, 5, &drewsPlayers);
    atCut.erase(std::remove_if(atCut.begin(), atCut.end(), [](const auto& e) { return e.first.empty(); }), atCut.end());
    EXPECT_EQ(atCut, final);
}

// A player may be named like a computer angler of the field; with equal totals the player
// stands first on every copy, its own (where it holds row 0) and the other's.
TEST(tovWeighInNetTest, APlayerTiedWithAComputerAnglerOfItsNameStandsFirstOnEveryCopy)
{
    const uint32_t seed = 31337;
    tovStandings probe;
    const Field drawn = DayAt(probe, 1, 10, "Robin", {}, {{"Casey", {}}}, seed);
    // Not the last row's angler, which the first sort lists first: the copies' rows then differ
    // in order as well.
    const std::string lastRow = probe.GetName(9);
    const auto computer =
        std::find_if(drawn.begin(), drawn.end(),
                     [&](const auto& e)
                     { return e.first != "Robin" && e.first != "Casey" && e.first != lastRow && e.second[1] >= 2; });
    ASSERT_NE(computer, drawn.end());
    const std::string name = computer->first;
    const int32_t ounces = computer->second[0];
    // The player's catch weighs as much in a single fish.
    const std::vector<int32_t> livewell{ounces};

    tovStandings atRobin, atPlayer;
    const Field seen = DayAt(atRobin, 1, 10, "Robin", {48}, {{name, tovWeighInNet::DayCatch(livewell)}}, seed);
    EXPECT_EQ(DayAt(atPlayer, 1, 10, name.c_str(), livewell, {{"Robin", tovWeighInNet::DayCatch({48})}}, seed), seen);
    const auto first = std::find_if(seen.begin(), seen.end(), [&](const auto& e) { return e.first == name; });
    ASSERT_NE(first, seen.end());
    EXPECT_EQ(first->second, (std::vector<int32_t>{ounces, 1})) << "the player first";
    ASSERT_NE(first + 1, seen.end());
    EXPECT_EQ(first[1], *computer) << "the computer angler next, its catch the same on every copy";
}

// A day's catch as exchanged: every fish up to five, and of six only the smallest left out.
TEST(tovWeighInNetTest, DayCatchCountsFiveFishAndDropsOnlyASixthsSmallest)
{
    const struct
    {
        std::vector<int32_t> livewell;
        int32_t ounces, fish;
    } cases[] = {
        {{}, 0, 0},
        {{100, 20, 150, 148, 30}, 448, 5},
        {{100, 20, 150, 148, 30, 40}, 468, 5},
    };
    for (const auto& c : cases)
    {
        const tovWeighInNet::Catch day = tovWeighInNet::DayCatch(c.livewell);
        EXPECT_EQ(day.ounces, c.ounces) << c.livewell.size() << " fish";
        EXPECT_EQ(day.fish, c.fish) << c.livewell.size() << " fish";
    }
}

} // namespace
