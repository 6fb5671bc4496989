// The generated sounds are played side by side at full volume, so their own levels must rank as
// the things they stand for do (the player's idling outboard above the quieter sounds around
// it), and the sounds that play together must stay under full scale when mixed.
#include "gen/GenSounds.h"

#include "Mixer.h"
#include "WaveFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
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
    // The electric trolling motor, a loon across the lake, a far boat's motor, birds, rain and wind.
    for (uint32_t quiet : {6046u, 6054u, 6059u, 6047u, 6066u, 6063u})
    {
        const double l = level(quiet);
        ASSERT_GT(l, 0.0) << quiet;
        EXPECT_LT(l, idle) << quiet << " is as loud as the outboard's idle";
    }
}

// The lake ambience's stream at the profile's default music level (0.733); clicks, the outboard
// and the weather's channels at full weather play at the default effects level, full volume.
constexpr int32_t kAmbienceVolume = -668;
constexpr uint32_t kAmbience = 0;
// A final weigh-in's opening sound (an ambient stream) and its clip's soundtrack.
constexpr uint32_t kOpeningSound = 1;
constexpr uint32_t kOpeningClipTrack = 2;
constexpr int32_t kDecibelUnderFullScale = 29204;

struct Cue
{
    double at;
    uint32_t id;
    // The outboard's sounds follow one another: each stops the one before.
    bool outboard;
};

struct Scene
{
    const char* name;
    // Looping under the whole scene: the ambience and the weather.
    std::vector<uint32_t> beds;
    std::vector<Cue> cues;
    double seconds;
};

uint32_t Frames(double seconds)
{
    return uint32_t(seconds * plat::Mixer::kRate);
}

// Mixes the scene with its beds started `shift` seconds into themselves (each bed by a
// different multiple, so they meet the cues and each other at other points); the loudest
// sample's size and how many were held at full scale.
std::pair<int32_t, size_t> MixScene(const Scene& scene, const std::map<uint32_t, std::vector<int16_t>>& sounds,
                                    double shift)
{
    plat::WaveFormat format;
    format.formatTag = plat::WaveFormat::kTagPcm;
    format.channels = 1;
    format.samplesPerSecond = gen::kSoundRate;
    format.blockAlign = 2;
    format.averageBytesPerSecond = gen::kSoundRate * 2;
    format.bitsPerSample = 16;
    plat::Mixer mixer;
    const auto load = [&](uint32_t id, size_t rotate)
    {
        std::vector<int16_t> samples = sounds.at(id);
        std::rotate(samples.begin(), samples.begin() + std::ptrdiff_t(rotate % samples.size()), samples.end());
        plat::Mixer::Buffer* buffer = mixer.CreateBuffer(format, uint32_t(samples.size() * 2));
        mixer.Write(buffer, 0, samples.data(), uint32_t(samples.size() * 2));
        mixer.SetVolume(buffer, id == kAmbience ? kAmbienceVolume : 0);
        return buffer;
    };
    for (size_t i = 0; i < scene.beds.size(); ++i)
        mixer.Play(load(scene.beds[i], size_t(shift * double(i + 1) * gen::kSoundRate)), true);
    std::pair<int32_t, size_t> result{0, 0};
    std::vector<int16_t> out;
    uint32_t mixed = 0;
    const auto mixUntil = [&](uint32_t frame)
    {
        out.assign(size_t(frame - mixed) * plat::Mixer::kChannels, 0);
        mixer.Mix(out.data(), frame - mixed);
        mixed = frame;
        for (int16_t sample : out)
        {
            result.first = std::max(result.first, std::abs(int32_t(sample)));
            result.second += std::abs(int32_t(sample)) >= 32767 ? 1 : 0;
        }
    };
    plat::Mixer::Buffer* outboard = nullptr;
    for (const Cue& cue : scene.cues)
    {
        mixUntil(Frames(cue.at));
        plat::Mixer::Buffer* buffer = load(cue.id, 0);
        if (cue.outboard)
        {
            if (outboard)
                mixer.Stop(outboard);
            outboard = buffer;
        }
        // The outboard's running sounds loop; its start and changes play once.
        mixer.Play(buffer, cue.outboard && cue.id >= 6031 && cue.id <= 6038);
    }
    mixUntil(Frames(scene.seconds));
    return result;
}

// The sounds that play together, mixed at the default volumes: at the set-up the player clicks
// over the lake ambience; at a day's start the outboard starts and runs up and down over the
// ambience, rain, wind and thunder, with clicks on the bar; on the lake splashes, knocks, thuds
// and the underwater sounds come over the idling outboard and the weather; at the weigh-in the
// crowd and the announcer speak at once. A final weigh-in opens with its sound and its clip's
// track together, the sound at full music level here (the player may turn it up).
TEST(GenSoundsTest, TheSoundsThatPlayTogetherStayUnderFullScale)
{
    std::map<uint32_t, std::vector<int16_t>> sounds;
    for (gen::PackSound& sound : gen::MakePackSounds())
        sounds[sound.id] = std::move(sound.samples);
    for (gen::PackSound& sound : gen::MakeWeighInSounds())
        sounds[sound.id] = std::move(sound.samples);
    sounds[kAmbience] = gen::MakeLakeAmbience(8.0);
    sounds[kOpeningSound] = gen::MakeReelSpin(4.0);
    sounds[kOpeningClipTrack] = gen::MakeReelSpin(2.0);
    Scene setUp{"set-up", {kAmbience}, {}, 8.0};
    for (int i = 0; i < 39; ++i)
        setUp.cues.push_back({0.1 + 0.2 * i, 6183 + uint32_t(i % 3) * 2, false});
    const Scene dayStart{"a day's start",
                         {kAmbience, 6066, 6063},
                         {{0.2, 6183, false},
                          {0.3, 6039, true},
                          {1.0, 6068, false},
                          {1.9, 6031, true},
                          {2.5, 6187, false},
                          {3.0, 6017, true},
                          {3.8, 6032, true},
                          {4.5, 6018, true},
                          {5.0, 6068, false},
                          {5.3, 6033, true},
                          {6.0, 6188, false},
                          {6.5, 6025, true},
                          {7.3, 6032, true}},
                         9.0};
    // At the weigh-in applause, the crowd's murmur and an announcer's line meet, each meeting
    // with the three a few more milliseconds apart.
    Scene weighIn{"the weigh-in", {}, {}, 8.0};
    for (int i = 0; i < 8; ++i)
        for (const auto& [start, trio] : {std::pair<double, std::array<uint32_t, 3>>{0.0, {6071, 6192, 6174}},
                                          std::pair<double, std::array<uint32_t, 3>>{0.5, {6195, 6072, 6132}}})
            for (size_t k = 0; k < trio.size(); ++k)
                weighIn.cues.push_back({i + start + 0.007 * double(k) * i, trio[k], false});
    Scene onTheLake{"on the lake", {kAmbience, 6066, 6063}, {{0.0, 6031, true}}, 8.0};
    for (const uint32_t id : {6070u, 6040u, 6189u, 6062u, 6053u, 6045u})
        onTheLake.cues.push_back({0.3 + 1.1 * double(onTheLake.cues.size() - 1), id, false});
    // The opening sound starts with the clip or a frame after it: unshifted it plays in step
    // with the track, shifted it meets the track at other points of itself.
    const Scene weighInOpening{"a final weigh-in's opening", {kOpeningSound}, {{0.0, kOpeningClipTrack, false}}, 2.0};
    for (const Scene& scene : {setUp, dayStart, onTheLake, weighIn, weighInOpening})
        for (int shift = 0; shift < (scene.beds.empty() ? 1 : 8); ++shift)
        {
            SCOPED_TRACE(std::string(scene.name) + ", shifted " + std::to_string(shift));
            const auto [peak, clipped] = MixScene(scene, sounds, 0.37 * shift);
            EXPECT_EQ(clipped, 0u);
            // A decibel of room for the meetings between the ones tried here.
            EXPECT_LE(peak, kDecibelUnderFullScale) << "peak " << peak;
        }
}

} // namespace
