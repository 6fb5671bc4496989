#include "qrxAmbientSound.h"

#include "AmbientSoundPlayer.h"

#include "Files.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <set>

namespace
{

// Plays nothing: remembers each start and ends it when told, as the sound code would report.
class ScriptedPlayer : public AmbientSoundPlayer
{
public:
    struct Play
    {
        std::string name;
        bool loop;
        int32_t volume;
        SoundEndCallback onEnd;
        uintptr_t arg;
        bool playing;
    };

    bool PlayId(ResourcePack*, uint32_t id, bool loop, int32_t volume, SoundEndCallback onEnd, uintptr_t arg) override
    {
        return Start(std::to_string(id), loop, volume, onEnd, arg);
    }
    bool PlayFile(const char* path, bool loop, SoundEndCallback onEnd, uintptr_t arg, SoundHandle* handle,
                  int32_t volume) override
    {
        if (!Start(path, loop, volume, onEnd, arg))
            return false;
        *handle = plays.size();
        return true;
    }
    void StopId(ResourcePack*, uint32_t id) override
    {
        for (size_t i = 0; i < plays.size(); ++i)
            if (plays[i].playing && plays[i].name == std::to_string(id))
                End(i);
    }
    void StopFile(SoundHandle handle) override
    {
        if (handle > 0 && handle <= plays.size() && plays[handle - 1].playing)
            End(handle - 1);
    }
    void SetIdVolume(ResourcePack*, uint32_t id, int32_t volume) override
    {
        for (Play& play : plays)
            if (play.playing && play.name == std::to_string(id))
                play.volume = volume;
    }
    void SetFileVolume(SoundHandle handle, int32_t volume) override { plays[handle - 1].volume = volume; }

    void End(size_t i)
    {
        plays[i].playing = false;
        plays[i].onEnd(plays[i].arg);
    }
    void EndAll()
    {
        for (size_t i = 0; i < plays.size(); ++i)
            if (plays[i].playing)
                End(i);
    }
    int Playing() const
    {
        int n = 0;
        for (const Play& play : plays)
            n += play.playing;
        return n;
    }

    std::vector<Play> plays;
    int refuse = 0;

private:
    bool Start(const std::string& name, bool loop, int32_t volume, SoundEndCallback onEnd, uintptr_t arg)
    {
        if (refuse > 0)
        {
            --refuse;
            return false;
        }
        plays.push_back({name, loop, volume, onEnd, arg, true});
        return true;
    }
};

class AmbientSoundTest : public ::testing::Test
{
protected:
    // A channel that is due at once and on every frame.
    void Ready(int channel, std::initializer_list<int> ids)
    {
        for (int id : ids)
            m_ambient.AddChannelSoundId(channel, id, true);
        m_ambient.SetChannelDelay(channel, 0.0, 0.0, true);
        m_ambient.SetChannelAllowed(channel, true, false);
    }
    void Frame() { m_ambient.OnIdle(0.1); }

    ScriptedPlayer m_player;
    qrxAmbientSound m_ambient{&m_player};
};

} // namespace

TEST_F(AmbientSoundTest, EmptyOrDisallowedChannelsNeverPlay)
{
    m_ambient.SetChannelDelay(0, 0.0, 0.0, true);
    m_ambient.SetChannelAllowed(0, true, false);
    m_ambient.AddChannelSoundId(1, 6050, true);
    m_ambient.SetChannelDelay(1, 0.0, 0.0, true);
    m_ambient.AddChannelFile(2, "no such file.wav", true);
    for (int i = 0; i < 20; ++i)
        Frame();
    EXPECT_TRUE(m_player.plays.empty());
    EXPECT_LT(m_ambient.GetCountdown(0), 0.0);
}

TEST_F(AmbientSoundTest, LevelsWaitForCountedSoundsAndUncountedOnesNeitherWaitNorBlock)
{
    Ready(0, {1});
    Ready(1, {2});
    m_ambient.SetChannelLevel(1, 1);
    Ready(2, {3});
    m_ambient.SetChannelLevel(2, 2);
    Ready(3, {4});
    m_ambient.SetChannelUncounted(3, true);
    Frame();
    // Channel 0 counts; channel 1 (level 1) waits; channel 2 (level 2) may join one sound;
    // channel 3 is uncounted: it plays beside them and adds nothing.
    ASSERT_EQ(m_player.plays.size(), 3u);
    EXPECT_EQ(m_ambient.GetVirtualCount(), 2);
    EXPECT_EQ(m_ambient.GetActualCount(), 3);
    EXPECT_FALSE(m_ambient.IsChannelPlaying(1));
    m_player.EndAll();
    EXPECT_EQ(m_ambient.GetVirtualCount(), 0);
    EXPECT_EQ(m_ambient.GetActualCount(), 0);
    m_ambient.SetChannelEnabled(0, false, false);
    m_ambient.SetChannelEnabled(2, false, false);
    Frame();
    EXPECT_TRUE(m_ambient.IsChannelPlaying(1));
    EXPECT_TRUE(m_ambient.IsChannelPlaying(3));
    EXPECT_EQ(m_ambient.GetVirtualCount(), 1);
    EXPECT_EQ(m_ambient.GetActualCount(), 2);
    // Channel 0 joins channel 1: with two counted sounds the level-2 channel waits as well.
    m_ambient.SetChannelEnabled(0, true, false);
    m_ambient.SetChannelEnabled(2, true, false);
    Frame();
    EXPECT_TRUE(m_ambient.IsChannelPlaying(0));
    EXPECT_EQ(m_ambient.GetVirtualCount(), 2);
    EXPECT_FALSE(m_ambient.IsChannelPlaying(2));
}

TEST_F(AmbientSoundTest, ShuffleUsesEachSoundOncePerCycleAndNeverRepeatsAcrossCycles)
{
    Ready(5, {6047, 6050, 6051});
    std::string previous;
    for (int cycle = 0; cycle < 40; ++cycle)
    {
        std::set<std::string> seen;
        for (int i = 0; i < 3; ++i)
        {
            Frame();
            ASSERT_EQ(m_player.Playing(), 1);
            const std::string name = m_player.plays.back().name;
            EXPECT_NE(name, previous);
            seen.insert(name);
            previous = name;
            m_player.EndAll();
        }
        EXPECT_EQ(seen.size(), 3u);
    }
}

TEST_F(AmbientSoundTest, DelaysAndVolumes)
{
    m_ambient.AddChannelSoundId(4, 6054, true);
    m_ambient.SetChannelDelay(4, 5.0, 15.0, true);
    m_ambient.SetChannelAllowed(4, true, false);
    EXPECT_GE(m_ambient.GetCountdown(4), 5.0);
    EXPECT_LE(m_ambient.GetCountdown(4), 15.0);
    m_ambient.SetChannelDelay(4, 20.0, 10.0, true);
    EXPECT_LE(m_ambient.GetCountdown(4), 15.0);
    m_ambient.OnIdle(4.9);
    EXPECT_TRUE(m_player.plays.empty());
    m_ambient.OnIdle(10.2);
    ASSERT_EQ(m_player.plays.size(), 1u);
    EXPECT_EQ(m_player.plays[0].volume, 0);

    const struct
    {
        float volume;
        float user;
        int32_t expected;
    } levels[] = {{0.0f, 1.0f, -2500}, {0.5f, 0.5f, -1875}, {2.0f, 1.0f, 0}, {1.0f, -1.0f, -2500}};
    for (const auto& level : levels)
    {
        m_ambient.SetChannelVolume(4, level.volume);
        m_ambient.SetChannelUserVolume(4, level.user);
        EXPECT_EQ(m_player.plays[0].volume, level.expected);
    }
}

TEST_F(AmbientSoundTest, LetFinishKeepsTheSoundAndItsEndDoesNotReschedule)
{
    Ready(6, {6068});
    Frame();
    ASSERT_EQ(m_player.Playing(), 1);
    m_ambient.SetChannelEnabled(6, false, true);
    EXPECT_EQ(m_player.Playing(), 1);
    m_player.EndAll();
    EXPECT_FALSE(m_ambient.IsChannelPlaying(6));
    EXPECT_LT(m_ambient.GetCountdown(6), 0.0);
    m_ambient.SetChannelEnabled(6, true, false);
    EXPECT_EQ(m_ambient.GetCountdown(6), 0.0);
}

TEST_F(AmbientSoundTest, APlayThatFailsAtOnceIsRescheduledWithoutHoldingCounts)
{
    testfiles::TempDir dir;
    ASSERT_TRUE(plat::WriteFile(dir.File("aud06.wav"), "RIFF", 4));
    m_ambient.AddChannelFile(1, dir.File("aud06.wav").c_str(), true);
    m_ambient.SetChannelDelay(1, 2.0, 2.0, true);
    m_ambient.SetChannelAllowed(1, true, false);
    Ready(4, {6054});
    m_ambient.SetChannelLevel(4, 1);
    m_player.refuse = 1;
    m_ambient.OnIdle(2.5);
    // The file's play failed: no counts held, nothing current, scheduled anew; so the
    // level-1 channel after it in the same frame is not blocked.
    EXPECT_FALSE(m_ambient.IsChannelPlaying(1));
    EXPECT_EQ(m_ambient.GetCountdown(1), 2.0);
    EXPECT_TRUE(m_ambient.IsChannelPlaying(4));
    EXPECT_EQ(m_ambient.GetVirtualCount(), 1);
    EXPECT_EQ(m_ambient.GetActualCount(), 1);
    m_ambient.OnIdle(2.5);
    ASSERT_EQ(m_player.Playing(), 2);
    EXPECT_EQ(m_player.plays[1].name, dir.File("aud06.wav"));
}

TEST_F(AmbientSoundTest, ChannelEndCallbackAndStatusLines)
{
    static int ends = 0;
    Ready(9, {6050});
    m_ambient.SetChannelEndCallback(
        9,
        [](uintptr_t arg, int channel, const char* name)
        {
            EXPECT_EQ(arg, 77u);
            EXPECT_EQ(channel, 9);
            EXPECT_STREQ(name, "6050");
            ++ends;
        },
        77);
    Frame();
    m_ambient.StopChannel(9);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(m_ambient.GetStatusText(2), "actualNumSoundsBeingPlayed : 0");
    EXPECT_EQ(m_ambient.GetStatusText(0), "playAmbientSound : TRUE(1)");
    EXPECT_EQ(m_ambient.GetStatusText(6), "ERROR : 6");
}
