#include "tovSky.h"

#include "qrxSkyDome.h"
#include "tovWaterEffects.h"
#include "tovWeather.h"

#include "QrTestFixture.h"
#include "RecordingRender.h"

#include "AmbientSoundPlayer.h"
#include "qrxAmbientSound.h"
#include "qrxAnimatedTextureProperty.h"
#include "qrxIdleManager.h"
#include "tovUserProfile.h"

#include "QrFogProperty.h"

#include <gtest/gtest.h>

#include <utility>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

class tovSkyTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        TheUserProfile().SetDetail(1.0f);
    }
    void TearDown() override
    {
        TheUserProfile().SetDetail(1.0f);
        QrEngineTest::TearDown();
    }

    // A sky with its domes and fog on a weather that keeps the values it is given.
    std::unique_ptr<tovSky> MakeSky(qrxIdleManager* manager = nullptr)
    {
        auto sky = std::make_unique<tovSky>(manager);
        sky->GetWeather()->SetAuto(false);
        sky->CreateFog();
        sky->CreateDomes();
        return sky;
    }
};

TEST_F(tovSkyTest, SkyStatesAndWeightsByCloudCover)
{
    const struct
    {
        float cloud;
        int32_t source, destination;
        float mix, brightness;
    } cases[] = {
        {-9999.0f, 1, 1, 1.0f, 1.0f}, {0.0f, 1, 1, 1.0f, 1.0f},  {0.05f, 1, 3, 0.3f, 1.0f},
        {1.0f / 6, 3, 4, 0.0f, 1.0f}, {0.25f, 3, 4, 0.5f, 1.0f}, {0.4f, 4, 5, 0.4f, 1.0f},
        {0.5f, 5, 5, 1.0f, 1.0f},     {0.75f, 5, 5, 1.0f, 0.7f}, {0.999f, 5, 5, 1.0f, 0.4012f},
        {1.0f, 5, 5, 1.0f, 0.6f},     {3.0f, 5, 5, 1.0f, 0.6f},  {std::nanf(""), 1, 1, 1.0f, 1.0f},
    };
    for (const auto& c : cases)
    {
        const tovSky::Choice choice = tovSky::ChooseSkyStates(c.cloud);
        EXPECT_EQ(choice.source, c.source) << c.cloud;
        EXPECT_EQ(choice.destination, c.destination) << c.cloud;
        EXPECT_NEAR(choice.mix, c.mix, 1e-5) << c.cloud;
        EXPECT_NEAR(choice.brightness, c.brightness, 1e-5) << c.cloud;
    }
}

TEST_F(tovSkyTest, DomesCrossFadeWithoutMovingAPicture)
{
    std::unique_ptr<tovSky> sky = MakeSky();
    tovWeather* weather = sky->GetWeather();
    QrPointer<qrxSkyDome> outer = sky->GetDome(0), inner = sky->GetDome(1);
    ASSERT_TRUE(outer && inner);
    EXPECT_FALSE(sky->GetDome(2));
    EXPECT_EQ(outer->GetRadius(), 1800.0f);
    EXPECT_FLOAT_EQ(outer->GetScale(), 18.0f);

    // The inner dome always fades from the source picture to the destination picture.
    const struct
    {
        float cloud;
        int32_t outerState, innerState;
        float outerAlpha, innerAlpha, brightness;
    } steps[] = {
        {0.1f, 1, 3, 1.0f, 0.6f, 1.0f},  {0.2f, 4, 3, 1.0f, 0.8f, 1.0f}, {0.4f, 4, 5, 1.0f, 0.4f, 1.0f},
        {0.7f, 4, 5, 0.0f, 1.0f, 0.76f}, {1.0f, 4, 5, 0.0f, 1.0f, 0.6f}, {0.45f, 4, 5, 1.0f, 0.7f, 1.0f},
    };
    weather->SetCloud(0.0f);
    sky->Update();
    for (const auto& step : steps)
    {
        weather->SetCloud(step.cloud);
        sky->Update();
        EXPECT_EQ(sky->GetDomeState(0), step.outerState) << step.cloud;
        EXPECT_EQ(sky->GetDomeState(1), step.innerState) << step.cloud;
        EXPECT_NEAR(outer->GetAlpha(), step.outerAlpha, 1e-5) << step.cloud;
        EXPECT_NEAR(inner->GetAlpha(), step.innerAlpha, 1e-5) << step.cloud;
        EXPECT_NEAR(inner->GetBrightness(), step.brightness, 1e-5) << step.cloud;
    }

    // A slow sweep over the whole range: a state stays on its dome while it is shown.
    weather->SetCloud(0.0f);
    sky->Update();
    for (int k = 0; k <= 400; ++k)
    {
        const int32_t before[2] = {sky->GetDomeState(0), sky->GetDomeState(1)};
        weather->SetCloud(k / 400.0f);
        sky->Update();
        const tovSky::Choice choice = tovSky::ChooseSkyStates(k / 400.0f);
        for (int slot = 0; slot < 2; ++slot)
            for (int32_t state : {choice.source, choice.destination})
            {
                if (before[slot] == state && before[1 - slot] != state)
                {
                    ASSERT_EQ(sky->GetDomeState(slot), state) << k;
                }
            }
    }
}

TEST_F(tovSkyTest, FogAndBackgroundFollowTheWeather)
{
    std::unique_ptr<tovSky> sky = MakeSky();
    QrPointer<RecordingRender> render(new RecordingRender);
    sky->SetRenderer(render.Get());
    tovWeather* weather = sky->GetWeather();
    weather->SetClarity(0.5f);
    const QrPoint3 below(55 / 255.0f, 47 / 255.0f, 39 / 255.0f);
    const QrPoint3 lake(62 / 255.0f, 94 / 255.0f, 70 / 255.0f);
    const QrPoint3 clear = tovSky::GetStateColour(1), grey = tovSky::GetStateColour(5);
    const struct
    {
        bool above;
        float cloud, fog;
        float depth;
        QrPoint3 colour, background;
    } cases[] = {
        {true, 0.0f, 0.0f, 0.2f, clear, clear},
        {true, 0.4f, 0.5f, 1.0f, tovSky::GetStateColour(4) * 0.6f + grey * 0.4f,
         tovSky::GetStateColour(4) * 0.6f + grey * 0.4f},
        // Thick fog turns the sky toward the murk, then the brightness darkens it.
        {true, 0.75f, 0.85f, 1.56f, (grey * 0.5f + below * 0.5f) * 0.7f, (grey * 0.5f + below * 0.5f) * 0.7f},
        {true, 1.0f, 1.0f, 1.8f, below * 0.6f, below * 0.6f},
        // Under the surface: murky green, the fog starting behind the eye.
        {false, 0.75f, 0.85f, 2.5f, lake, lake},
    };
    for (const auto& c : cases)
    {
        weather->SetCloud(c.cloud);
        weather->SetFog(c.fog);
        sky->SetAboveWater(c.above);
        render->ClearLog();
        sky->Update();
        const QrFogProperty* fog = sky->GetFogProperty();
        EXPECT_NEAR(fog->m_depth, c.depth, 1e-5) << c.cloud;
        EXPECT_NEAR(fog->m_color.x, c.colour.x, 1e-5) << c.cloud;
        EXPECT_NEAR(fog->m_color.y, c.colour.y, 1e-5) << c.cloud;
        EXPECT_NEAR(fog->m_color.z, c.colour.z, 1e-5) << c.cloud;
        ASSERT_EQ(render->GetLog().size(), 1u);
        float r = -1, g = -1, b = -1;
        ASSERT_EQ(std::sscanf(render->GetLog()[0].c_str(), "SetBackgroundColor color=(%f %f %f)", &r, &g, &b), 3);
        EXPECT_NEAR(r, c.background.x, 1e-4) << c.cloud;
        EXPECT_NEAR(g, c.background.y, 1e-4) << c.cloud;
        EXPECT_NEAR(b, c.background.z, 1e-4) << c.cloud;
        EXPECT_EQ(sky->GetStatusText(8).substr(0, 17), "Blending Color) :");
    }

    // Switched off, neither the fog nor the background changes.
    sky->SetAboveWater(true);
    sky->EnableFog(false);
    const QrPoint3 kept = sky->GetFogProperty()->m_color;
    weather->SetFog(0.1f);
    render->ClearLog();
    sky->Update();
    EXPECT_TRUE(render->GetLog().empty());
    EXPECT_EQ(sky->GetFogProperty()->m_color.x, kept.x);
    EXPECT_NEAR(sky->GetFogProperty()->m_depth, 1.56f, 1e-5);
}

TEST_F(tovSkyTest, SkyHoldsItsWeatherCounted)
{
    qrxIdleManager manager;
    tovWeather* handed = new tovWeather(-1.0);
    handed->IncRefCount(); // the conditions screen's reference
    {
        tovSky sky(&manager);
        ASSERT_NE(sky.GetWeather(), nullptr);
        EXPECT_EQ(manager.GetCount(), 1u);
        sky.SetWeather(handed);
        sky.SetWeather(handed);
        EXPECT_EQ(handed->GetRefCount(), 2u);
        EXPECT_EQ(sky.GetWeather(), handed);
        // The sky's own weather is gone from the manager (and deleted: AddressSanitizer).
        EXPECT_EQ(manager.GetCount(), 1u);
        EXPECT_TRUE(manager.Contains(handed));
        sky.Update();
    }
    // The sky let go once and took the weather off the manager; the screen's copy lives on.
    EXPECT_EQ(handed->GetRefCount(), 1u);
    EXPECT_EQ(manager.GetCount(), 0u);
    handed->SetCloud(0.5f);
    handed->DecRefCount();
}

class FakeWater : public tovWaterEffects
{
public:
    void SetActive(bool on) override { active = on; }
    void SetWaveScale(float scale) override { waveScale = scale; }
    void SetWavePeriod(float seconds) override { period = seconds; }
    qrxAnimatedTextureProperty* GetAnimatedTexture() const override { return surface.Get(); }

    int active = -1;
    float waveScale = -1.0f;
    float period = -1.0f;
    QrPointer<qrxAnimatedTextureProperty> surface{new qrxAnimatedTextureProperty};
};

TEST_F(tovSkyTest, WaterFollowsWaveAndDetail)
{
    std::unique_ptr<tovSky> sky = MakeSky();
    FakeWater water;
    QrPointer<qrxAnimatedTextureProperty> underwater(new qrxAnimatedTextureProperty);
    sky->SetWater(&water);
    sky->SetUnderwaterTexture(underwater.Get());
    const struct
    {
        float profileDetail, skyDetail, wave;
        int active;
        float scale, period;
        bool animated;
    } cases[] = {
        {1.0f, 1.0f, 0.5f, 1, 0.004f, 1.9f, true},
        {1.0f, 0.29f, 1.0f, 1, 0.006f, 1.7f, false},
        {0.1f, 0.3f, 0.0f, 0, -1.0f, -1.0f, true},
        // An unset wave reads as calm water.
        {1.0f, 1.0f, -9999.0f, 1, 0.002f, 2.1f, true},
    };
    for (const auto& c : cases)
    {
        TheUserProfile().SetDetail(c.profileDetail);
        sky->SetDetail(c.skyDetail);
        water = FakeWater{};
        water.surface->SetRunning(1);
        underwater->SetRunning(0);
        if (c.wave >= 0.0f)
            sky->GetWeather()->SetWave(c.wave);
        else
        {
            tovWeather* fresh = new tovWeather(-1.0);
            fresh->SetAuto(false);
            sky->SetWeather(fresh);
        }
        sky->Update();
        EXPECT_EQ(water.active, c.active) << c.wave;
        EXPECT_NEAR(water.waveScale, c.scale, 1e-6) << c.wave;
        EXPECT_NEAR(water.period, c.period, 1e-5) << c.wave;
        EXPECT_EQ(water.surface->GetRunning() != 0, c.animated) << c.wave;
        EXPECT_EQ(underwater->GetRunning() != 0, c.animated) << c.wave;
    }
    sky->EnableWaterEffects(false);
    water.active = -1;
    sky->Update();
    EXPECT_EQ(water.active, -1);
}

// Plays every sound by id; non-looping sounds end at the next EndShort.
class FakePlayer : public AmbientSoundPlayer
{
public:
    struct Play
    {
        uint32_t id;
        bool loop;
        SoundEndCallback onEnd;
        uintptr_t arg;
        bool playing;
    };

    bool PlayId(ResourcePack*, uint32_t id, bool loop, int32_t, SoundEndCallback onEnd, uintptr_t arg) override
    {
        plays.push_back({id, loop, onEnd, arg, true});
        return true;
    }
    bool PlayFile(const char*, bool, SoundEndCallback, uintptr_t, SoundHandle*, int32_t) override { return false; }
    void StopId(ResourcePack*, uint32_t id) override
    {
        for (size_t i = 0; i < plays.size(); ++i)
            if (plays[i].playing && plays[i].id == id)
                End(i);
    }
    void StopFile(SoundHandle) override {}
    void SetIdVolume(ResourcePack*, uint32_t, int32_t) override {}
    void SetFileVolume(SoundHandle, int32_t) override {}

    void End(size_t i)
    {
        plays[i].playing = false;
        plays[i].onEnd(plays[i].arg);
    }
    void EndShort()
    {
        for (size_t i = 0; i < plays.size(); ++i)
            if (plays[i].playing && !plays[i].loop)
                End(i);
    }
    bool Played(uint32_t id) const
    {
        for (const Play& play : plays)
            if (play.id == id)
                return true;
        return false;
    }
    bool Playing(uint32_t id) const
    {
        for (const Play& play : plays)
            if (play.id == id && play.playing)
                return true;
        return false;
    }

    std::vector<Play> plays;
};

TEST_F(tovSkyTest, WeatherChannelsFollowRainWindCloudAndTheSurface)
{
    FakePlayer player;
    qrxAmbientSound ambient(&player);
    std::unique_ptr<tovSky> sky = MakeSky();
    sky->EnableAmbientSwitching(true);
    sky->SetAmbientSound(&ambient);
    tovWeather* weather = sky->GetWeather();
    auto run = [&](int seconds)
    {
        for (int s = 0; s < seconds; ++s)
        {
            sky->Update();
            ambient.OnIdle(1.0);
            player.EndShort();
        }
    };

    // A rainy, windy, overcast day: rain and wind loop, thunder comes after its pause (the
    // sky's per-frame checks must not keep restarting that pause), the fair-weather sounds
    // stay quiet.
    weather->SetRain(0.6f);
    weather->SetWind(0.9f);
    weather->SetCloud(0.9f);
    run(45);
    EXPECT_TRUE(player.Playing(6066));
    EXPECT_TRUE(player.Playing(6063));
    EXPECT_TRUE(player.Played(6068));
    for (uint32_t quiet : {6054u, 6047u, 6051u, 6052u, 6062u})
        EXPECT_FALSE(player.Played(quiet)) << quiet;

    // Under the surface the weather falls silent and the underwater loop takes over.
    sky->SetAboveWater(false);
    EXPECT_FALSE(player.Playing(6066));
    EXPECT_FALSE(player.Playing(6063));
    run(5);
    EXPECT_TRUE(player.Playing(6062));
    EXPECT_FALSE(player.Playing(6066));

    // Back above on a calm dry day: the underwater loop stops, rain and wind stay off and the
    // fair-weather birds return.
    weather->SetRain(0.0f);
    weather->SetWind(0.1f);
    weather->SetCloud(0.1f);
    sky->SetAboveWater(true);
    EXPECT_FALSE(player.Playing(6062));
    player.plays.clear();
    run(45);
    EXPECT_FALSE(player.Played(6066));
    EXPECT_FALSE(player.Played(6063));
    EXPECT_FALSE(player.Played(6068));
    EXPECT_TRUE(player.Played(6047) || player.Played(6050) || player.Played(6051) || player.Played(6052));
}

// The first update sets up the channels of the side the camera is on, below water too; above,
// channel 9 plays its birds in rain only while the rain is light (level 2 or less).
TEST_F(tovSkyTest, TheFirstUpdateSetsTheChannelsOfItsSideAndChannelNineFollowsTheRainLevel)
{
    FakePlayer player;
    qrxAmbientSound ambient(&player);
    std::unique_ptr<tovSky> below = MakeSky();
    below->EnableAmbientSwitching(true);
    below->SetAmbientSound(&ambient);
    below->SetAboveWater(false);
    for (int s = 0; s < 5; ++s)
    {
        below->Update();
        ambient.OnIdle(1.0);
    }
    EXPECT_TRUE(player.Playing(6062)) << "the underwater loop";
    below.reset();

    for (const auto& [rain, heard] : {std::pair{0.3f, true}, std::pair{0.95f, false}})
    {
        SCOPED_TRACE(rain);
        FakePlayer birds;
        qrxAmbientSound sound(&birds);
        std::unique_ptr<tovSky> sky = MakeSky();
        sky->EnableAmbientSwitching(true);
        sky->SetAmbientSound(&sound);
        sky->GetWeather()->SetRain(rain);
        sky->GetWeather()->SetCloud(0.1f);
        ASSERT_TRUE(sky->GetWeather()->IsRaining());
        for (int s = 0; s < 60; ++s)
        {
            sky->Update();
            sound.OnIdle(1.0);
            birds.EndShort();
        }
        EXPECT_EQ(birds.Played(6050), heard);
    }
}
} // namespace
