#include "tovStandings.h"
#include "GccWarnings.h"

#include "uRandom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
// A lake whose opponents catch only largemouth of x * 10 pounds.
tovOpponentRollContext Context(uRandom& random, int32_t dayLength)
{
    tovOpponentRollContext ctx;
    ctx.dayLength = dayLength;
    ctx.shares = {1.0f, 0.0f, 0.0f};
    ctx.random = &random;
    ctx.fishSize = [](int32_t, float x, float, float, int32_t, float) { return x * 10.0f; };
    return ctx;
}

void SetTotals(tovStandings& s, const std::vector<double>& totals)
{
    for (size_t i = 0; i < totals.size(); ++i)
        s.m_totals[i] = totals[i];
}

std::vector<int32_t> Ranking(const tovStandings& s, int32_t n)
{
    return {s.m_ranking.begin(), s.m_ranking.begin() + n};
}
} // namespace

TEST(tovStandingsTest, FieldSizeByLengthAndDay)
{
    const int32_t expected[4][5] = {{5, 0, 0, 0, 0}, {10, 5, 0, 0, 0}, {20, 10, 5, 0, 0}, {20, 20, 10, 5, 0}};
    for (int32_t s = 0; s < 4; ++s)
        for (int32_t day = 1; day <= 5; ++day)
            EXPECT_EQ(tovStandings::FieldSize(s, day), expected[s][day - 1]) << s << " " << day;
    EXPECT_EQ(tovStandings::FieldSize(-1, 1), 0);
    EXPECT_EQ(tovStandings::FieldSize(4, 1), 0);
    EXPECT_EQ(tovStandings::FieldSize(0, 0), 0);
}

TEST(tovStandingsTest, RankingIsStableAndDescending)
{
    struct Case
    {
        std::vector<int32_t> before;
        std::vector<double> totals;
        std::vector<int32_t> after;
    };
    const Case cases[] = {
        // Ties keep their order: the local angler listed last loses every tie.
        {{4, 1, 2, 3, 0}, {10, 10, 10, 10, 10}, {4, 1, 2, 3, 0}},
        {{4, 1, 2, 3, 0}, {50, 10, 0, 30, 10}, {0, 3, 4, 1, 2}},
        // Nobody caught anything: everyone still ranked, in the previous order.
        {{4, 1, 2, 3, 0}, {0, 0, 0, 0, 0}, {4, 1, 2, 3, 0}},
        {{0, 1, 2, 3, 4}, {1, 2, 3, 4, 5}, {4, 3, 2, 1, 0}},
    };
    for (const Case& c : cases)
    {
        tovStandings s;
        for (size_t i = 0; i < c.before.size(); ++i)
            s.m_ranking[i] = c.before[i];
        SetTotals(s, c.totals);
        s.SortRanking(5);
        EXPECT_EQ(Ranking(s, 5), c.after);
    }
}

TEST(tovStandingsTest, LocalPlaceAdvanceAndPrize)
{
    struct Case
    {
        int32_t fieldSize;
        int32_t length;
        int32_t day;
        int32_t localRank;
        int32_t place;
        bool advances;
    };
    const Case cases[] = {
        {5, 0, 1, 4, 4, true},     {10, 1, 1, 4, 4, true},   {10, 1, 1, 5, -1, false},  {20, 2, 1, 9, -1, true},
        {20, 2, 1, 10, -1, false}, {20, 3, 1, 19, -1, true}, {20, 3, 2, 10, -1, false}, {20, 3, 2, 0, 0, true},
    };
    for (const Case& c : cases)
    {
        tovStandings s;
        s.m_day = c.day;
        s.m_prizes = {100000, 50000, 20000, 10000, 5000};
        std::swap(s.m_ranking[0], s.m_ranking[c.localRank]);
        EXPECT_EQ(s.LocalPlace(), c.place) << c.localRank;
        EXPECT_EQ(s.LocalRank(c.fieldSize), c.localRank);
        EXPECT_EQ(s.Advances(c.fieldSize, c.length), c.advances) << c.fieldSize << " " << c.localRank;
        // Outside the first five nothing is paid, not the winner's prize.
        EXPECT_EQ(s.LocalPrize(), c.place >= 0 ? s.m_prizes[c.place] : 0);
    }
}

TEST(tovStandingsTest, CutCopiesTheBetterHalfInPlaceOrder)
{
    tovStandings s;
    // GCC 12 at -O3 takes the inlined string copy here for one past its object: it is not.
    QR_GCC_STRING_BOUNDS_OFF
    for (int32_t i = 0; i < 20; ++i)
        s.SetName(i, ("A" + std::to_string(i)).c_str());
    QR_GCC_STRING_BOUNDS_ON
    // Places: slot 7, 0, 3, 12, 5, 9, ...
    s.m_ranking = {7, 0, 3, 12, 5, 9, 1, 2, 4, 6, 8, 10, 11, 13, 14, 15, 16, 17, 18, 19};
    tovStandings ten = s;
    ten.Cut(10);
    const char* expectTen[] = {"A0", "A7", "A3", "A12", "A5"};
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_STREQ(ten.GetName(i), expectTen[i]);
    s.Cut(20);
    const char* expectTwenty[] = {"A0", "A7", "A3", "A12", "A5", "A9", "A1", "A2", "A4", "A6"};
    for (int32_t i = 0; i < 10; ++i)
        EXPECT_STREQ(s.GetName(i), expectTwenty[i]);
    // The anglers cut keep no row.
    for (int32_t i = 5; i < 20; ++i)
        EXPECT_STREQ(ten.GetName(i), "") << i;
    for (int32_t i = 10; i < 20; ++i)
        EXPECT_STREQ(s.GetName(i), "") << i;
}

TEST(tovStandingsTest, DayCatchFromLivewellAndOpponents)
{
    uRandom random(7);
    tovStandings s;
    s.m_day = 1;
    s.PrepareDay(2, 1);
    // Six fish: the smallest (12) goes back before the five are taken.
    std::vector<int32_t> livewell{40, 12, 70, 33, 51, 28};
    s.RunDay(20, livewell, "Casey", {9, 8, 7, 6, 5}, Context(random, 3));
    EXPECT_EQ(livewell, (std::vector<int32_t>{40, 70, 33, 51, 28}));
    EXPECT_EQ(s.m_dayCatch[0], (std::array<int32_t, 5>{28, 33, 40, 51, 70}));
    EXPECT_STREQ(s.GetName(0), "Casey");
    EXPECT_EQ(s.m_ranking[0], 19);
    EXPECT_EQ(s.m_ranking[19], 0);
    std::vector<std::string> names;
    for (int32_t slot = 1; slot < 20; ++slot)
    {
        names.emplace_back(s.GetName(slot));
        EXPECT_FALSE(names.back().empty());
        const auto& v = s.m_dayCatch[slot];
        for (int32_t k = 0; k + 1 < 5; ++k)
            EXPECT_LE(v[k], v[k + 1]);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());

    // The final weighs the local fish on stage: five -1 whatever the livewell holds.
    s.m_day = 3;
    s.PrepareDay(2, 3);
    std::vector<int32_t> few{40};
    s.RunDay(5, few, "Casey", {9, 8, 7, 6, 5}, Context(random, 0));
    EXPECT_EQ(s.m_dayCatch[0], (std::array<int32_t, 5>{-1, -1, -1, -1, -1}));
    EXPECT_STREQ(s.GetName(0), "Casey"); // names stay after day 1
    for (int32_t slot = 5; slot < 20; ++slot)
        EXPECT_EQ(s.m_dayCatch[slot], (std::array<int32_t, 5>{}));
}

TEST(tovStandingsTest, OpponentCatchKeepsTheLargestFive)
{
    // Day length 0 draws at most five fish, so all count; length 3 up to 47, five kept.
    for (int32_t length : {0, 3})
    {
        uRandom random(1234);
        int32_t most = 0;
        for (int32_t trial = 0; trial < 40; ++trial)
        {
            tovStandings s;
            uRandom probe = random;
            const int32_t count = probe.next() % (length == 0 ? 6 : 48);
            std::vector<int32_t> fish;
            for (int32_t k = 0; k < count; ++k)
                fish.push_back(static_cast<int32_t>((probe.next() % 100) * 0.01f * 10.0f * 16.0f));
            std::sort(fish.rbegin(), fish.rend());
            fish.resize(5, 0);
            s.RollOpponentResults(3, Context(random, length));
            s.SortCatches(20);
            std::sort(fish.begin(), fish.end());
            EXPECT_EQ(std::vector<int32_t>(s.m_dayCatch[3].begin(), s.m_dayCatch[3].end()), fish);
            most = std::max(most, count);
        }
        EXPECT_EQ(most > 5, length == 3);
    }
    // Lake data without bass shares and a fish size that is not a number give no fish weight.
    uRandom random(5);
    tovOpponentRollContext ctx = Context(random, 3);
    ctx.shares = {0.0f, 0.0f, 0.0f};
    ctx.fishSize = [](int32_t species, float, float, float, int32_t, float)
    { return species == 3 ? std::nanf("") : 1.0f; };
    tovStandings s;
    s.RollOpponentResults(2, ctx);
    EXPECT_FALSE(s.HasFish(2));
    EXPECT_EQ(s.FirstFish(2), -1);
}

TEST(tovStandingsTest, StageRevealOrder)
{
    tovStandings s;
    s.m_fieldSize = 5;
    // Slot 0 local (already weighed 50), slots 1..4 with fish to come.
    s.m_dayCatch[0].fill(-1);
    s.m_totals[0] = 50;
    s.m_dayCatch[1] = {0, 0, 0, 60, 70};
    s.m_dayCatch[2] = {0, 0, 10, 20, 30};
    s.m_dayCatch[3] = {0, 0, 0, 0, 0};
    s.m_dayCatch[4] = {0, 0, 0, 5, 100};
    s.m_ranking = {0, 1, 2, 3, 4};
    s.SortRanking(5);
    ASSERT_EQ(Ranking(s, 5), (std::vector<int32_t>{0, 1, 2, 3, 4}));

    // Every step starts again from fifth place after the re-sort.
    std::vector<std::vector<double>> seen;
    std::vector<tovStandings::Reveal> results;
    for (int32_t i = 0; i < 10; ++i)
    {
        const tovStandings::Reveal r = s.RevealNext(false);
        results.push_back(r);
        s.SortRanking(5);
        seen.emplace_back(s.m_totals.begin(), s.m_totals.begin() + 5);
        if (r == tovStandings::Reveal::kReady)
            break;
    }
    const std::vector<std::vector<double>> expected = {
        {50, 0, 0, 0, 105},    // slot 4 passes the leader with its second fish and stops
        {50, 0, 60, 0, 105},   // slot 2 (now fifth) adds all three, never passing 105
        {50, 130, 60, 0, 105}, // slot 1 passes the leader with its second fish
        {50, 130, 60, 0, 105},
    };
    ASSERT_EQ(seen.size(), expected.size());
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(results.back(), tovStandings::Reveal::kReady);
    EXPECT_EQ(Ranking(s, 5), (std::vector<int32_t>{1, 4, 2, 0, 3}));
    EXPECT_EQ(s.m_fishCounts[1], 2);
    EXPECT_EQ(s.m_fishCounts[4], 2);
    EXPECT_EQ(s.m_fishCounts[2], 3);
}

TEST(tovStandingsTest, StageWaitsForTheLocalAngler)
{
    tovStandings s;
    s.m_fieldSize = 5;
    s.m_dayCatch[1] = {0, 0, 0, 0, 30};
    s.m_ranking = {1, 2, 3, 4, 0};
    // The local angler is fifth and still has fish: nothing is revealed past him.
    EXPECT_EQ(s.RevealNext(true), tovStandings::Reveal::kWait);
    EXPECT_EQ(s.m_totals[1], 0.0);
    s.AddLocalFish(40);
    EXPECT_EQ(Ranking(s, 5), (std::vector<int32_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(s.RevealNext(false), tovStandings::Reveal::kStep);
    EXPECT_EQ(s.m_totals[1], 30.0);
    // Everybody weighed but the player's livewell still holds a fish.
    EXPECT_EQ(s.RevealNext(true), tovStandings::Reveal::kWait);
    EXPECT_EQ(s.RevealNext(false), tovStandings::Reveal::kReady);
}

TEST(tovStandingsTest, FourDayTournamentKeepsDayOneTotals)
{
    tovStandings s;
    s.SetName(3, "Kept");
    s.m_totals[3] = 99;
    s.m_fishCounts[3] = 4;
    s.m_ranking[0] = 3;
    s.PrepareDay(3, 2);
    EXPECT_EQ(s.m_totals[3], 99.0);
    EXPECT_EQ(s.m_fishCounts[3], 4);
    EXPECT_EQ(s.m_ranking[0], 0);
    s.PrepareDay(3, 3);
    EXPECT_EQ(s.m_totals[3], 0.0);
    EXPECT_STREQ(s.GetName(3), "Kept");
    s.PrepareDay(2, 1);
    EXPECT_STREQ(s.GetName(3), "");
}

TEST(tovStandingsTest, SavedBlockRoundTripsAndEndsEveryName)
{
    tovStandings s;
    s.SetName(0, "Casey");
    s.SetName(19, "Last");
    s.m_totals[3] = 123.0;
    s.m_fishCounts[3] = 5;
    s.SetPlayer(4, -3);
    s.m_reserved1[179] = -7;
    s.m_reserved3[9] = 9;
    std::vector<uint8_t> block(tovStandings::kBlockSize);
    s.StoreBlock(block.data());
    // Offsets inside the block: totals after names and 200 words, counts after 20 more.
    EXPECT_EQ(block[0], 'C');
    EXPECT_EQ(block[1600 + 4 * 4], uint8_t(-3)) << "the rows' player marks first";
    EXPECT_EQ(block[1600 + 199 * 4], uint8_t(-7));
    EXPECT_EQ(block[2400 + 3 * 8 + 7], 0x40); // 123.0 as a little-endian double
    EXPECT_EQ(block[2640 + 3 * 4], 5);
    EXPECT_EQ(block[2720 + 9 * 4], 9);
    tovStandings back;
    back.LoadBlock(block.data());
    std::vector<uint8_t> again(tovStandings::kBlockSize);
    back.StoreBlock(again.data());
    EXPECT_EQ(again, block);
    EXPECT_TRUE(back.HasLeft(4));

    // A name that fills its field, and a total that is not a number.
    std::fill(block.begin(), block.begin() + 80, 'x');
    for (int k = 0; k < 8; ++k)
        block[2400 + k] = 0xFF;
    back.LoadBlock(block.data());
    EXPECT_EQ(std::string(back.GetName(0)), std::string(79, 'x'));
    EXPECT_EQ(back.m_totals[0], 0.0);
}
