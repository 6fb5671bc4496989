// The weigh-in's own ports over the game: the local angler's livewell as the weigh-in takes
// fish from it, and no livewell outside a game; the weigh-in's sounds on the ambient sound as
// start-up, the main menu and a day's fishing leave it.

#include "tovWeighInPorts.h"

#include "../game_shell/ShellScreenFixture.h"

#include "tovAnglerRig.h"
#include "tovGameSession.h"
#include "tovInstallSettings.h"
#include "tovSky.h"
#include "tovSoundFacade.h"
#include "tovSoundSettings.h"
#include "tovUserProfile.h"
#include "tovWeather.h"
#include "tovWeighInIFace.h"

#include "AmbientSoundPlayer.h"
#include "HeadlessAudioOutput.h"
#include "QrTestFixture.h"
#include "SoundManager.h"
#include "qrxAmbientSound.h"
#include "qrxClock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace
{

class tovWeighInPortsTest : public QrEngineTest
{
};

TEST_F(tovWeighInPortsTest, TheLocalLivewellIsWeighedPlaceByPlace)
{
    tovWeighInPorts ports;
    EXPECT_TRUE(ports.LivewellWeights().empty());
    EXPECT_EQ(ports.TakeLivewellFish(0), -1);
    {
        auto session = std::make_unique<tovGameSession>();
        QrPointer<tovAnglerRig> rig(new tovAnglerRig(0, 0, 0, 0, true, nullptr));
        session->AddAngler(rig.Get(), true);
        for (int32_t ounces : {40, 25, 61})
            rig->AddToLivewell(3, ounces, 14, 1.0f);
        rig->RemoveFromLivewell(1);
        // Place 1 is empty now: the weights skip it, taking it gives nothing.
        EXPECT_EQ(ports.LivewellWeights(), (std::vector<int32_t>{40, 61}));
        EXPECT_EQ(ports.TakeLivewellFish(1), -1);
        EXPECT_EQ(ports.TakeLivewellFish(2), 61);
        EXPECT_EQ(ports.TakeLivewellFish(2), -1);
        EXPECT_EQ(ports.TakeLivewellFish(6), -1);
        ports.ReleaseLivewellFish(40);
        EXPECT_TRUE(ports.LivewellWeights().empty());
        session->ClearAnglers();
    }
    EXPECT_TRUE(ports.LivewellWeights().empty());
}

// Every sound starts; the test ends the ones it chooses, and a stop ends a sound at once.
class ChannelPlayer : public AmbientSoundPlayer
{
public:
    bool PlayId(ResourcePack*, uint32_t id, bool, int32_t, SoundEndCallback onEnd, uintptr_t arg) override
    {
        plays.push_back({std::to_string(id), onEnd, arg, true});
        return true;
    }
    bool PlayFile(const char* path, bool, SoundEndCallback onEnd, uintptr_t arg, SoundHandle* handle, int32_t) override
    {
        plays.push_back({std::filesystem::path(path).filename().string(), onEnd, arg, true});
        *handle = plays.size();
        return true;
    }
    void StopId(ResourcePack*, uint32_t id) override { End(std::to_string(id)); }
    void StopFile(SoundHandle handle) override { EndAt(handle - 1); }
    void SetIdVolume(ResourcePack*, uint32_t, int32_t) override {}
    void SetFileVolume(SoundHandle, int32_t) override {}

    void End(const std::string& name)
    {
        for (size_t i = 0; i < plays.size(); ++i)
            if (plays[i].playing && plays[i].name == name)
                EndAt(i);
    }
    bool Playing(const std::string& name) const
    {
        for (const Play& play : plays)
            if (play.playing && play.name == name)
                return true;
        return false;
    }

    struct Play
    {
        std::string name;
        SoundEndCallback onEnd;
        uintptr_t arg;
        bool playing;
    };
    std::vector<Play> plays;

private:
    void EndAt(size_t i)
    {
        if (i >= plays.size() || !plays[i].playing)
            return;
        plays[i].playing = false;
        plays[i].onEnd(plays[i].arg);
    }
};

class AmbientServices : public ShellServices
{
public:
    qrxAmbientSound* GetAmbientSound() override { return ambient; }
    qrxAmbientSound* ambient = nullptr;
};

// The shared channels of start-up, the main menu's groups and a clear day's fishing above
// water; then the weigh-in with its own ports.
class WeighInSoundTest : public ShellScreenTest
{
protected:
    void SetUp() override
    {
        ShellScreenTest::SetUp();
        SetInstallRoot(testfiles::DataDir());
        SetSoundOutputFactory([] { return std::make_unique<plat::HeadlessAudioOutput>(); });
        SetSoundInitQuestion(nullptr);
        SetSoundWorkerManual(true);
        m_facade = std::make_unique<tovSoundFacade>();
        ASSERT_EQ(InitSoundManager(nullptr), kSoundOk);
        static_cast<ShellServices&>(m_sounds) = m_services;
        m_sounds.ambient = &m_ambient;
        SetAppServices(&m_sounds);
        AddSharedSoundChannels(m_ambient);
        EnableSoundGroups1And7();

        m_sky = std::make_unique<tovSky>(nullptr);
        m_sky->GetWeather()->SetAuto(false);
        m_sky->CreateFog();
        m_sky->CreateDomes();
        m_sky->EnableAmbientSwitching(true);
        m_sky->SetAmbientSound(&m_ambient);
        m_sky->GetWeather()->SetRain(0.0f);
        m_sky->GetWeather()->SetWind(0.1f);
        m_sky->GetWeather()->SetCloud(0.1f);
        for (int i = 0; i < 3; ++i)
        {
            m_sky->Update();
            m_ambient.OnIdle(1.0);
        }

        TheUserProfile().SetName("Casey", false);
        TheUserProfile().SetVolume1(0.73f);
        m_session->SetMode(tovGameSession::kTournament);
        m_screen = std::make_unique<tovWeighInIFace>();
    }
    void TearDown() override
    {
        m_screen->Leave(10);
        m_screen.reset();
        m_sky.reset();
        SetAppServices(&m_services);
        m_ambientOwner.reset();
        m_facade.reset();
        SetSoundWorkerManual(false);
        SetSoundOutputFactory(nullptr);
        SetInstallRoot("");
        ShellScreenTest::TearDown();
    }
    void EnterDay(int32_t length, int32_t day)
    {
        TheUserProfile().SetSetting1(length);
        m_session->SetDay(day, true);
        m_screen->Prepare(2);
        m_screen->Enter(2);
        m_ambient.OnIdle(0.02);
    }
    void Wait(uint32_t ms, bool click = false)
    {
        m_clock.AdvanceMs(ms);
        m_screen->Step(GetTimeMs(), click);
        m_ambient.OnIdle(ms / 1000.0 + 0.001);
    }
    // The (enabled, allowed) pair of each channel, 1 for on: "ea" per channel 0 to 12.
    std::string Channels() const
    {
        std::string pairs;
        for (int c = 0; c < qrxAmbientSound::kChannelCount; ++c)
        {
            pairs += m_ambient.IsChannelEnabled(c) ? '1' : '0';
            pairs += m_ambient.IsChannelAllowed(c) ? '1' : '0';
            pairs += c + 1 < qrxAmbientSound::kChannelCount ? " " : "";
        }
        return pairs;
    }

    ChannelPlayer m_player;
    std::unique_ptr<qrxAmbientSound> m_ambientOwner = std::make_unique<qrxAmbientSound>(&m_player);
    qrxAmbientSound& m_ambient = *m_ambientOwner;
    AmbientServices m_sounds;
    std::unique_ptr<tovSoundFacade> m_facade;
    std::unique_ptr<tovSky> m_sky;
    std::unique_ptr<tovWeighInIFace> m_screen;
};

// Channels 0 to 12, each "enabled allowed".
constexpr const char* kFishing = "10 11 10 10 10 11 10 01 01 11 11 10 10";
constexpr const char* kWeighing = "10 10 10 10 10 10 10 00 00 10 10 10 10";
constexpr const char* kOpening = "10 10 10 10 10 10 10 00 00 10 10 10 11";
constexpr const char* kMainMenu = "10 11 10 10 10 10 10 01 00 10 10 10 10";

// An ordinary day: the menu's and the lake's groups fall silent over the results board; going
// back to the main menu allows groups 1 and 7 again, and the under-water loop, which the sky
// switched off above water, stays off.
TEST_F(WeighInSoundTest, AnOrdinaryDaySilencesTheLakeAndTheMainMenuGetsItsMusicBack)
{
    ASSERT_EQ(Channels(), kFishing);
    EnterDay(1, 1); // an empty livewell: cut from ten
    EXPECT_EQ(Channels(), kWeighing);
    Wait(2000);
    ASSERT_TRUE(m_screen->GetCeremony().dayResultsShown);
    m_player.plays.clear();
    Wait(0, true);
    ASSERT_EQ(m_screen->m_nextScreen, 8);
    EXPECT_EQ(Channels(), kMainMenu);
    Wait(1000);
    EXPECT_TRUE(m_player.Playing("aud06.wav"));
    EXPECT_FALSE(m_player.Playing("6062"));
}

// The final: the opening sound alone may play; the clip's end leaves the menu groups off and
// does not cut the sound, and the crowd waits for the sound's end.
TEST_F(WeighInSoundTest, TheFinalsOpeningSoundPlaysOutAndTheCrowdWaitsForIt)
{
    EnterDay(0, 1);
    ASSERT_TRUE(m_screen->IsClipPlaying());
    EXPECT_EQ(Channels(), kOpening);
    EXPECT_TRUE(m_player.Playing("spin.wav"));
    Wait(0, true); // the clip ends
    EXPECT_EQ(m_screen->GetBackgroundId(), 838);
    EXPECT_EQ(Channels(), kWeighing);
    EXPECT_TRUE(m_player.Playing("spin.wav"));
    Wait(650);
    EXPECT_EQ(m_screen->GetCeremony().crowdCounter, 0);
    m_player.End("spin.wav");
    Wait(0);
    EXPECT_EQ(m_screen->GetCeremony().crowdCounter, 1);
    // The channel, no longer allowed, does not play the sound again.
    Wait(1000);
    EXPECT_FALSE(m_player.Playing("spin.wav"));
    EXPECT_EQ(Channels(), kWeighing);
}

} // namespace
