#include "tovSavedGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace
{

int32_t I32At(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<int32_t>(b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | uint32_t{b.at(at + 3)} << 24);
}

float F32At(const std::vector<uint8_t>& b, size_t at)
{
    const int32_t bits = I32At(b, at);
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

tovSavedGame Sample(int32_t anglers, const std::string& name)
{
    tovSavedGame g;
    g.gameNumber = 77;
    g.careerRow = 2;
    g.lakeId = 5;
    g.mode = 3;
    g.dayLengthSetting = 1;
    g.tournamentLengthSetting = 2;
    g.terrainSector = 9;
    g.weather.generatorState = 1234;
    for (size_t i = 0; i < g.clock.size(); ++i)
        g.clock[i] = 0;
    const double gameTime = 3600.0;
    std::memcpy(g.clock.data(), &gameTime, 8);
    g.season.running = {1, 0, 1, 0};
    g.season.events = {11, 12, 13, 14};
    g.season.completed = {1, 2, 3, 4};
    g.season.lakeOrder.fill(7);
    g.season.lakeOrder[127] = 8;
    g.season.fishWeight = {31, 32, 33, 34};
    g.season.winnings = {41, 42, 43, 44};
    g.day = 3;
    std::memcpy(g.standings.data(), "Lead", 5);
    const int32_t mark = -3; // a player who left, in row 1
    std::memcpy(g.standings.data() + 1604, &mark, 4);
    g.standings[1680] = 0xA1; // reserved words come back unchanged
    const int32_t count = 4;
    std::memcpy(g.standings.data() + 2640, &count, 4);
    g.profileName = name;
    for (int32_t i = 0; i < anglers; ++i)
    {
        tovSavedGame::Angler& a = g.anglers.emplace_back();
        a.id = 50 + i;
        a.gender = 1;
        a.look = 2;
        a.colour1 = 3;
        a.colour2 = -1;
        a.paintScheme = i % 2 - 1;
        a.position = {10.0f, 0.5f, -3.0f};
        a.livewell[0] = 6;
        a.livewell[1683] = 0x5C;
        a.clock = g.clock;
    }
    return g;
}

TEST(tovSavedGame, HeaderAndAnglerRecordLieAtTheirOffsets)
{
    const std::vector<uint8_t> b = Sample(2, "Pat").Write();
    ASSERT_EQ(b.size(), 3808u + 1816u + 4u + 1816u);
    const struct
    {
        size_t offset;
        int32_t value;
    } words[] = {
        {0, 6},
        {4, 1},
        {8, 5},
        {12, 3},
        {16, 1},
        {20, 2},
        {24, 9},
        {28, 77},
        {32, 1234},
        {404, 3}, // career row 2, plus one
        {468, 11},
        {480, 14},
        {484, 1},
        {500, 7},
        {1008, 8},
        {1012, 31},
        {1028, 41},
        {1040, 44},
        {1044, 3},
        {3688, 4},
        // the local angler's record, then the name and the next record
        {3808, 50},
        {3812, 1},
        {3816, 2},
        {3820, 3},
        {3824, -1},
        {3828, -1},
        {3880, 6},
        {5564, 0},
        {5624, 'P' | 'a' << 8 | 't' << 16},
        {5628, 51},
        {5648, 0},
    };
    for (const auto& w : words)
        EXPECT_EQ(I32At(b, w.offset), w.value) << "at " << w.offset;
    EXPECT_EQ(b[464], 1);
    EXPECT_EQ(b[466], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[1048])), "Lead");
    EXPECT_EQ(I32At(b, 2652), -3) << "row 1's player mark";
    EXPECT_EQ(b[2728], 0xA1);
    EXPECT_EQ(F32At(b, 3808 + 24), 10.0f);
    EXPECT_EQ(F32At(b, 3808 + 32), -3.0f);
    EXPECT_EQ(F32At(b, 3808 + 36), 1.0f) << "rotation row 0";
    EXPECT_EQ(F32At(b, 3808 + 52), 1.0f) << "rotation row 1";
    EXPECT_EQ(F32At(b, 3808 + 68), 1.0f) << "rotation row 2";
    EXPECT_EQ(b[3808 + 72 + 1683], 0x5C) << "livewell ends at 1756";
    double gameTime = 0.0;
    std::memcpy(&gameTime, &b[408], 8);
    EXPECT_EQ(gameTime, 3600.0);
    std::memcpy(&gameTime, &b[3808 + 1760], 8);
    EXPECT_EQ(gameTime, 3600.0);
}

TEST(tovSavedGame, WriteReadWriteIsByteIdentical)
{
    for (const auto& [anglers, name] : {std::pair{1, std::string("Solo")}, std::pair{5, std::string(259, 'n')}})
    {
        const tovSavedGame original = Sample(anglers, name);
        const std::vector<uint8_t> first = original.Write();
        tovSavedGame read;
        ASSERT_EQ(read.Read(first.data(), first.size()), tovSavedGame::ReadResult::kOk) << anglers;
        EXPECT_EQ(read, original);
        EXPECT_EQ(read.Write(), first) << anglers;
        if (anglers == 1)
        {
            EXPECT_EQ(first.size(), 3808u + 1816u + 5u) << "one angler: no record after the name";
        }
    }
}

// A save that does not know its number is numbered by its whole header: two saves of one lake,
// mode and settings are two games.
TEST(tovSavedGame, AnUnknownGameNumberHangsOnTheWholeHeader)
{
    const auto numberOf = [](std::vector<uint8_t> bytes)
    {
        std::fill_n(bytes.begin() + 28, 4, uint8_t{0});
        tovSavedGame game;
        EXPECT_EQ(game.Read(bytes.data(), bytes.size()), tovSavedGame::ReadResult::kOk);
        return game.gameNumber;
    };
    const tovSavedGame sample = Sample(1, "Pat");
    const uint32_t first = numberOf(sample.Write());
    EXPECT_NE(first, 0u);
    EXPECT_EQ(numberOf(sample.Write()), first) << "alike at every load";
    tovSavedGame otherDay = sample;
    otherDay.day = 2;
    EXPECT_NE(numberOf(otherDay.Write()), first);
    tovSavedGame otherWeather = sample;
    otherWeather.weather.generatorState = 99;
    EXPECT_NE(numberOf(otherWeather.Write()), first);
}

// Every version this game wrote loads: 6 with the career row plus one and the player marks, 7
// with neither (its words there held nothing read), 8 with the row as it is. In 6 the row's word
// is reserved and a row no profile has is not known; in 8 it is refused, as is a mark that
// cannot be negated.
TEST(tovSavedGame, EveryVersionLoadsWithWhatItKept)
{
    const std::vector<uint8_t> written = Sample(2, "Pat").Write();
    constexpr auto kOk = tovSavedGame::ReadResult::kOk;
    constexpr auto kBad = tovSavedGame::ReadResult::kBadHeader;
    const struct
    {
        int32_t version, rowWord, markWord;
        tovSavedGame::ReadResult result;
        int32_t careerRow, mark;
    } cases[] = {
        {6, 3, -3, kOk, 2, -3},
        {6, 4, 5, kOk, 3, 5},
        {6, 5, -3, kOk, -1, -3},
        {6, -1, -3, kOk, -1, -3},
        {6, INT32_MIN, -3, kOk, -1, -3},
        {6, 3, INT32_MIN, kBad, 0, 0},
        {7, 99, INT32_MIN, kOk, -1, 0},
        {8, 2, -3, kOk, 2, -3},
        {8, -1, -3, kOk, -1, -3},
        {8, 3, -3, kOk, 3, -3},
        {8, 4, -3, kBad, 0, 0},
        {8, -2, -3, kBad, 0, 0},
        {8, 2, INT32_MIN, kBad, 0, 0},
        {5, 3, -3, tovSavedGame::ReadResult::kWrongVersion, 0, 0},
        {9, 3, -3, tovSavedGame::ReadResult::kWrongVersion, 0, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "version " << c.version << ", row word " << c.rowWord << ", mark "
                                        << c.markWord);
        std::vector<uint8_t> bytes = written;
        const auto put = [&](size_t at, int32_t v)
        {
            for (size_t k = 0; k < 4; ++k)
                bytes[at + k] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k));
        };
        put(0, c.version);
        put(404, c.rowWord);
        put(2652, c.markWord);
        tovSavedGame read;
        ASSERT_EQ(read.Read(bytes.data(), bytes.size()), c.result);
        if (c.result != kOk)
            continue;
        EXPECT_EQ(read.gameNumber, 77u);
        EXPECT_EQ(read.careerRow, c.careerRow);
        int32_t mark = 0;
        std::memcpy(&mark, read.standings.data() + 1604, 4);
        EXPECT_EQ(mark, c.mark);
        EXPECT_EQ(read.day, 3);
        EXPECT_EQ(read.profileName, "Pat");
        // Saved again, it is this version's save of the same game.
        const std::vector<uint8_t> again = read.Write();
        tovSavedGame reread;
        ASSERT_EQ(reread.Read(again.data(), again.size()), kOk);
        EXPECT_EQ(reread, read);
    }
}

// Another writer of the format leaves every reserved word zero: its save loads as the same game
// with the number, the career row and the player marks not known.
TEST(tovSavedGame, ASaveWithItsReservedWordsZeroLoadsWithNothingAddedKnown)
{
    const tovSavedGame sample = Sample(3, "Pat");
    std::vector<uint8_t> bytes = sample.Write();
    const auto zero = [&](size_t at, size_t size) { std::fill_n(bytes.begin() + at, size, uint8_t{0}); };
    zero(28, 4);
    zero(404, 4);
    zero(2648, 800);
    zero(3608, 80);
    zero(3768, 40);
    for (size_t record : {3808u, 3808u + 1816u + 4u, 3808u + 2 * 1816u + 4u})
        zero(record + 1756, 4);
    tovSavedGame read;
    ASSERT_EQ(read.Read(bytes.data(), bytes.size()), tovSavedGame::ReadResult::kOk);
    EXPECT_NE(read.gameNumber, 0u);
    tovSavedGame expected = sample;
    expected.gameNumber = read.gameNumber;
    expected.careerRow = -1;
    std::fill_n(expected.standings.begin() + 1600, 800, uint8_t{0});
    EXPECT_EQ(read, expected);
}

// A count past the order's 32 events is refused for every length, also where every word past
// the length's order would name a lake: nothing is read beyond the order.
TEST(tovSavedGame, ASeasonCountPastItsOrderIsRefused)
{
    for (size_t length = 0; length < 4; ++length)
    {
        tovSavedGame::Season season;
        season.running[length] = 1;
        season.events[length] = tovSavedGame::kSeasonLakes + 1;
        EXPECT_TRUE(tovSavedGame::Season{}.IsValid(2, 1000));
        EXPECT_FALSE(season.IsValid(2, 1000)) << length;
        season.events[length] = tovSavedGame::kSeasonLakes;
        EXPECT_TRUE(season.IsValid(2, 1000)) << length;
    }
}

} // namespace
