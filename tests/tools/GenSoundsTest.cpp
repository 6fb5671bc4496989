// The generated sounds are played side by side at full volume, so their own levels must rank as
// the things they stand for do: the player's idling outboard above the quieter sounds around it.
#include "gen/GenSounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace
{

// The loudest tenth of a second, as a listener hears a sound's level.
double LoudestWindowRms(const std::vector<int16_t>& samples)
{
    const size_t window = gen::kSoundRate / 10;
    double loudest = 0.0;
    for (size_t start = 0; start + window <= samples.size(); start += window / 4)
    {
        double sum = 0.0;
        for (size_t i = start; i < start + window; ++i)
            sum += double(samples[i]) * double(samples[i]);
        loudest = std::max(loudest, std::sqrt(sum / double(window)));
    }
    return loudest;
}

TEST(GenSoundsTest, QuietSoundsStayUnderTheIdlingOutboard)
{
    const std::vector<gen::PackSound> sounds = gen::MakePackSounds();
    const auto level = [&sounds](uint32_t id)
    {
        const auto found =
            std::find_if(sounds.begin(), sounds.end(), [id](const gen::PackSound& s) { return s.id == id; });
        return found == sounds.end() ? -1.0 : LoudestWindowRms(found->samples);
    };
    const uint32_t idleLoop = 6031;
    const double idle = level(idleLoop);
    ASSERT_GT(idle, 0.0);
    // The electric trolling motor, a loon across the lake, a far boat's motor.
    for (uint32_t quiet : {6046u, 6054u, 6059u})
    {
        const double l = level(quiet);
        ASSERT_GT(l, 0.0) << quiet;
        EXPECT_LT(l, idle) << quiet << " is as loud as the outboard's idle";
    }
}

} // namespace
