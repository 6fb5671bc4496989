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

// Each player's session id: the players of these tests, in the order they joined.
uint32_t IdOf(const std::string& name)
{
    static const char* const kJoined[] = {"Robin", "Casey", "Drew"};
    for (uint32_t i = 0; i < 3; ++i)
        if (name == kJoined[i])
            return i + 1;
    return 9; // a player named like a computer angler
}

// One copy's day as the weigh-in sets it up: its own catch, the others' from the exchange (each
// player's id by its name unless given). A cut copy's player (self empty) holds no row.
Field DayAt(tovStandings& s, int32_t day, int32_t field, const char* self, std::vector<int32_t> livewell,
            std::vector<tovWeighInNet::Player> others, uint32_t seed)
{
    s.m_day = day;
    s.PrepareDay(2, day);
    uRandom random(static_cast<int32_t>(seed) + 1);
    const tovOpponentRollContext ctx = Context(random);
    std::vector<std::string> names{self};
    for (tovWeighInNet::Player& p : others)
    {
        if (p.id == 0)
            p.id = IdOf(p.name);
        names.push_back(p.name);
    }
    s.SetReservedNames(names);
    s.RunDay(field, livewell, self, {9, 8, 7, 6, 5}, ctx);
    tovWeighInNet::PlacePlayers(s, others, self[0] != '\0' ? static_cast<int32_t>(IdOf(self)) : 0, seed, ctx);
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

// The final of a two-day tournament after Robin's and Drew's day 1, seen by Robin (a finalist)
// and by Drew (cut: its row 0 holds no one), with Casey a finalist who may have left.
struct FinalCase
{
    const char* what;
    // Casey's results as each copy's exchange brought them (none: it had left by then).
    bool atRobin, atDrew;
};

TEST(tovWeighInNetTest, AFinalistWhoLeftStandsLastUnlessItsResultsWereExchanged)
{
    const tovWeighInNet::Catch big = tovWeighInNet::DayCatch({900, 900, 900});
    const tovWeighInNet::Catch caseysFinal = tovWeighInNet::DayCatch({800, 700});
    const FinalCase cases[] = {
        {"left on the final's lake, before the exchange", false, false},
        {"left after the exchange, before the cut copy weighed (the host's kept results)", true, true},
    };
    for (const FinalCase& c : cases)
    {
        tovStandings atRobin, atDrew;
        const Field first = DayAt(atRobin, 1, 10, "Robin", {900, 900, 900}, {{"Casey", big}, {"Drew", {}}}, 99);
        ASSERT_EQ(DayAt(atDrew, 1, 10, "Drew", {}, {{"Robin", big}, {"Casey", big}}, 99), first) << c.what;
        atRobin.Cut(10);
        atDrew.Cut(10);
        atDrew.SetName(0, "");
        atDrew.SetPlayer(0, 0);
        std::vector<tovWeighInNet::Player> robinsOthers{{"Drew", {}}}, drewsOthers{{"Robin", {}}};
        if (c.atRobin)
            robinsOthers.push_back({"Casey", caseysFinal});
        if (c.atDrew)
            drewsOthers.push_back({"Casey", caseysFinal});
        const Field final = DayAt(atRobin, 2, 5, "Robin", {}, robinsOthers, 5);
        Field atCut = DayAt(atDrew, 2, 6, "", {}, drewsOthers, 5);
        atCut.erase(std::remove_if(atCut.begin(), atCut.end(), [](const auto& e) { return e.first.empty(); }),
                    atCut.end());
        EXPECT_EQ(atCut, final) << c.what;
        const auto casey = std::find_if(final.begin(), final.end(), [](const auto& e) { return e.first == "Casey"; });
        ASSERT_NE(casey, final.end()) << c.what;
        if (c.atRobin)
        {
            EXPECT_EQ(casey->second, (std::vector<int32_t>{1500, 2})) << c.what;
            continue;
        }
        EXPECT_EQ(casey, final.end() - 1) << c.what << ": below every computer angler";
        EXPECT_EQ(casey->second, (std::vector<int32_t>{0, 0})) << c.what;
        const int32_t row = atRobin.m_ranking[4];
        EXPECT_TRUE(atRobin.HasLeft(row)) << c.what;
        // Ranked again (as the final's steps do), it stays last even when the others caught nothing.
        for (int32_t r = 0; r < 5; ++r)
            if (r != row)
                atRobin.m_totals[static_cast<size_t>(r)] = 0.0;
        atRobin.SortRanking(5);
        EXPECT_EQ(atRobin.m_ranking[4], row) << c.what;
    }
}

// A joiner may be named like a computer angler: the first day's draw gives no computer angler a
// player's name, and later days find each player's row by who it is. Cut after day 1, the joiner
// holds no row of day 2, and every copy's board is the same.
TEST(tovWeighInNetTest, APlayerNamedLikeAComputerAnglerHoldsTheOnlyRowOfItsName)
{
    const uint32_t seed = 31337;
    tovStandings probe;
    const Field drawn = DayAt(probe, 1, 10, "Robin", {}, {{"Casey", {}}}, seed);
    const std::string name = probe.GetName(5);
    ASSERT_FALSE(probe.IsPlayer(5));
    const auto count = [&](const Field& f)
    { return std::count_if(f.begin(), f.end(), [&](const auto& e) { return e.first == name; }); };
    ASSERT_EQ(count(drawn), 1);

    const tovWeighInNet::Catch big = tovWeighInNet::DayCatch({900, 900, 900});
    tovStandings atRobin, atCasey, atJoiner;
    const Field first = DayAt(atRobin, 1, 20, "Robin", {900, 900, 900}, {{"Casey", big}, {name, {}}}, seed);
    EXPECT_EQ(DayAt(atCasey, 1, 20, "Casey", {900, 900, 900}, {{"Robin", big}, {name, {}}}, seed), first);
    EXPECT_EQ(DayAt(atJoiner, 1, 20, name.c_str(), {}, {{"Robin", big}, {"Casey", big}}, seed), first);
    EXPECT_EQ(count(first), 1) << "no computer angler bears the joiner's name";
    ASSERT_EQ(first.back().first, name) << "the joiner, with no fish, is cut";

    for (tovStandings* s : {&atRobin, &atCasey, &atJoiner})
        s->Cut(20);
    atJoiner.SetName(0, "");
    atJoiner.SetPlayer(0, 0);
    // Day 2 of three: the players' own catches count on their own copies too. Casey has taken
    // another name in the session since: its row is still its own.
    const tovWeighInNet::Player renamed{"Kasey", {16, 1}, IdOf("Casey")};
    const Field final = DayAt(atRobin, 2, 10, "Robin", {16}, {renamed, {name, {}}}, 8);
    EXPECT_EQ(DayAt(atCasey, 2, 10, "Casey", {16}, {{"Robin", {16, 1}}, {name, {}}}, 8), final);
    Field atCut = DayAt(atJoiner, 2, 11, "", {}, {{"Robin", {16, 1}}, renamed}, 8);
    atCut.erase(std::remove_if(atCut.begin(), atCut.end(), [](const auto& e) { return e.first.empty(); }), atCut.end());
    EXPECT_EQ(atCut, final);
    EXPECT_EQ(count(final), 0) << "the cut joiner holds no row of the next day";
    EXPECT_TRUE(
        std::any_of(final.begin(), final.end(), [](const auto& e) { return e.first == "Casey" && e.second[0] == 16; }))
        << "the renamed player's row holds its catch";

    // The next tournament on the same standings, Robin's alone, knows no player of the last.
    DayAt(atRobin, 1, 20, "Robin", {}, {}, seed);
    for (int32_t r = 1; r < 20; ++r)
        EXPECT_FALSE(atRobin.IsPlayer(r)) << "row " << r;
}

// A network game saved after day 1 and loaded again weighs day 2 as the game played through;
// a save that kept no marks finds its players by name, as such games always did.
TEST(tovWeighInNetTest, AStandingsBlockSavedAfterDayOneWeighsTheFinalAsPlayedThrough)
{
    const tovWeighInNet::Catch casey = tovWeighInNet::DayCatch({500, 150});
    tovStandings played;
    DayAt(played, 1, 10, "Robin", {400, 310, 220}, {{"Casey", casey}}, 4242);
    played.Cut(10);
    std::vector<uint8_t> block(tovStandings::kBlockSize);
    played.StoreBlock(block.data());
    const Field through = DayAt(played, 2, 5, "Robin", {64}, {{"Casey", {120, 2}}}, 17);
    ASSERT_TRUE(std::any_of(through.begin(), through.end(),
                            [](const auto& e) { return e.first == "Casey" && e.second[0] == 120; }));
    for (const bool marks : {true, false})
    {
        std::vector<uint8_t> saved = block;
        if (!marks)
            std::fill_n(saved.begin() + tovStandings::kSlots * tovStandings::kNameSize, tovStandings::kSlots * 4, 0);
        tovStandings loaded;
        loaded.LoadBlock(saved.data());
        EXPECT_EQ(DayAt(loaded, 2, 5, "Robin", {64}, {{"Casey", {120, 2}}}, 17), through) << marks;
    }
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
