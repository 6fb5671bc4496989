// The announcer's line for each weight band, leader, standing and place, with the draw it
// takes: a line without a choice must not take one (the shared generator's sequence moves on).

#include "tovAnnouncer.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

struct Line
{
    const char* what;
    int32_t value;
    int32_t draw;
    int32_t line;
    // The modulus of the draw taken, 0 for none.
    int32_t modulus;
};

void Check(const std::vector<Line>& cases, int32_t (*choose)(int32_t, const tovAnnouncer::Draw&))
{
    for (const Line& c : cases)
    {
        std::vector<int32_t> moduli;
        const int32_t line = choose(c.value,
                                    [&](int32_t modulus)
                                    {
                                        moduli.push_back(modulus);
                                        return c.draw;
                                    });
        EXPECT_EQ(line, c.line) << c.what << " " << c.value;
        EXPECT_EQ(moduli, c.modulus ? std::vector<int32_t>{c.modulus} : std::vector<int32_t>{})
            << c.what << " " << c.value;
    }
}

TEST(tovAnnouncer, WeightBandsLeaderAndStanding)
{
    Check({{"weight", 0, 0, 6149, 2},
           {"weight", 32, 1, 6155, 2},
           {"weight", 33, 0, 6153, 0},
           {"weight", 64, 0, 6153, 0},
           {"weight", 65, 1, 6152, 3},
           {"weight", 79, 0, 6151, 3},
           {"weight", 80, 0, 6148, 0},
           {"weight", 95, 0, 6148, 0},
           {"weight", 96, 0, 6147, 0},
           {"weight", 143, 0, 6147, 0},
           {"weight", 144, 0, 6146, 0},
           {"weight", 2000, 0, 6146, 0}},
          &tovAnnouncer::WeightLine);
    Check({{"leader", 1, 0, 6145, 0}, {"leader", 2, 0, 6141, 0}, {"leader", 3, 1, 6143, 2}, {"leader", 19, 0, 6142, 2}},
          &tovAnnouncer::LeaderLine);
    Check({{"behind", 0, 0, 6170, 0},
           {"behind", 1, 0, 6156, 0},
           {"behind", 12, 0, 6167, 0},
           {"behind", 13, 1, 6169, 2},
           {"behind", 400, 0, 6168, 2}},
          &tovAnnouncer::CommentLine);
}

TEST(tovAnnouncer, PlacingLines)
{
    const int32_t expected[][2] = {{-1, 6174}, {1, 6177}, {2, 6176}, {3, 6175}, {4, 6174}, {9, 6174}};
    for (const auto& e : expected)
        EXPECT_EQ(tovAnnouncer::PlacingLine(e[0]), e[1]) << e[0];
}

} // namespace
