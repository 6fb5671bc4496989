// The rod in the player's hands on the sample lake, on the manual clock with fixed seeds: a
// cast lands the lure where the target was, a hooked fish lands on a sound drag and breaks a
// light line on a locked one, a sixth fish kept waits for the livewell
// screen, a seventh (that screen bypassed) gives up the smallest of the seven, and the
// rod keys change the tackle and the profile's current rod.
#include "FishingWorldHarness.h"

#include "tovCameraModeAction.h"
#include "tovCastController.h"
#include "tovFish.h"
#include "tovFishModels.h"
#include "tovFishingHud.h"
#include "tovGameSession.h"
#include "tovTackle.h"
#include "tovTackleSet.h"

#include "tovAngler.h"
#include "tovLocalRig.h"
#include "tovLure.h"
#include "tovNullNetworkPlay.h"
#include "tovScene.h"
#include "tovSplash.h"
#include "tovUserProfile.h"

#include "GoldenImage.h"
#include "HeadlessAudioOutput.h"
#include "QrCamera.h"
#include "ResourcePack.h"
#include "ResourceTypes.h"
#include "SoundManager.h"
#include "TestFiles.h"
#include "qrxAmbientSound.h"
#include "qrxCutout.h"
#include "qrxScratchImage.h"
#include "qrxVLineStrip.h"
#include "tovAppServices.h"
#include "uRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

using C = tovCastController;

class tovCastControllerTest : public FishingWorldHarness
{
protected:
    void SetUp() override
    {
        FishingWorldHarness::SetUp();
        ASSERT_TRUE(BuildDay(0.3f));
        m_local = static_cast<tovLocalRig*>(m_anglers.front().Get());
        // A name no file can have: the profile is never saved by these tests.
        m_profile.SetDefaults(false);
        m_profile.SetName(".", false);
        m_tackle.SetReload(true);
        m_control = std::make_unique<C>(*m_world, *m_local, m_profile, m_tackle);
        m_control->LoadTackleSet();
    }
    void TearDown() override
    {
        m_control.reset();
        FishingWorldHarness::TearDown();
    }

    tovFishPopulation& Population() { return m_world->GetFish()->GetPopulation(); }

    void Frames(int frames, uint32_t held = 0)
    {
        for (int i = 0; i < frames; ++i)
        {
            Step(1);
            m_control->OnMouse(320, 240, 0, 0, held);
            m_control->Update(m_now, 1.0 / 30.0);
        }
    }

    // Casts at the fish nearest the boat that the filter accepts; true once the lure rests in
    // the water.
    bool CastAtFish(const std::function<bool(const tovFishPopulation::Fish&)>& accept)
    {
        const QrPoint3 boat = m_local->GetBoatPosition();
        int32_t best = -1;
        float bestDistance = 1e9f;
        for (int32_t i = 0; i < Population().GetCount(); ++i)
        {
            const QrPoint3 at = m_world->MapToWorld(Population().GetFish(i).map);
            const float d = std::hypot(at.x - boat.x, at.z - boat.z);
            if (accept(Population().GetFish(i)) && d > C::kMinCast && d < 0.8f && d < bestDistance &&
                m_world->IsOnLake(at))
                best = i, bestDistance = d;
        }
        if (best < 0)
            return false;
        m_control->OnMouse(320, 240, C::kLeft, 0, C::kLeft);
        m_control->AimAt(m_world->MapToWorld(Population().GetFish(best).map));
        m_control->OnMouse(-1, -1, 0, C::kLeft, 0);
        Frames(40);
        return m_control->GetPhase() == C::kRetrieve;
    }

    // Casts at the fish nearest the boat that the filter accepts, then waits with the lure at
    // rest for a strike of an accepted fish and sets the hook; true once a fish is on.
    bool HookFish(const std::function<bool(const tovFishPopulation::Fish&)>& accept)
    {
        if (!CastAtFish(accept))
            return false;
        // The fish population alone, tenth-second steps: the world around it does not matter.
        for (int i = 0; i < 6000 && m_control->GetPhase() == C::kRetrieve; ++i)
        {
            m_now += 0.1;
            Population().Update(m_now, 0.1);
            m_control->Update(m_now, 0.1);
            // Only the fish asked for gets the hook; others spit the lure.
            const int32_t strike = Population().TakeStrike();
            // The player sees the strike: the lure goes under.
            if (strike >= 0)
            {
                EXPECT_FLOAT_EQ(m_control->GetShownLure().y, m_world->WaterHeight() - C::kStrikeDepth);
            }
            if (strike >= 0 && accept(Population().GetFish(strike)))
                m_control->OnMouse(-1, -1, C::kLeft, 0, 0);
        }
        return m_control->GetPhase() == C::kFighting;
    }

    void Fight(uint32_t held)
    {
        for (int i = 0; i < 20000 && m_control->GetPhase() == C::kFighting; ++i)
        {
            m_now += 0.05;
            m_control->OnMouse(-1, -1, 0, 0, held);
            m_control->Update(m_now, 0.05);
        }
    }

    tovLocalRig* m_local = nullptr;
    tovUserProfile m_profile;
    tovTackleSet m_tackle;
    std::unique_ptr<C> m_control;
};

// A scripted cast: press, aim, release; the lure splashes down on the target after the flight,
// and a target past the cast range is pulled in to the range.
TEST_F(tovCastControllerTest, CastLandsTheLureOnTheTarget)
{
    const QrPoint3 boat = m_local->GetBoatPosition();
    Draw();
    m_control->OnMouse(320, 400, C::kLeft, 0, C::kLeft);
    ASSERT_EQ(m_control->GetPhase(), C::kAiming);
    EXPECT_EQ(m_local->GetMode(), tovAnglerRig::kModeAiming);
    // The mouse higher on the screen aims farther out, always on the water ahead of the camera
    // (which looks against its direction vector).
    const QrCamera* camera = m_world->GetCamera();
    const QrPoint3 eye = camera->GetWorldLocation();
    const QrPoint3 view = camera->GetWorldDirection() * -1.0f;
    float nearer = 0.0f;
    for (int y : {400, 330, 300, 280})
    {
        SCOPED_TRACE(y);
        m_control->OnMouse(320, y, 0, 0, C::kLeft);
        const QrPoint3 t = m_control->GetTarget();
        EXPECT_GT((t.x - eye.x) * view.x + (t.z - eye.z) * view.z, 0.0f);
        const float d = std::hypot(t.x - eye.x, t.z - eye.z);
        EXPECT_GT(d, nearer);
        nearer = d;
    }

    m_control->AimAt(QrPoint3(boat.x + 100.0f, 0.0f, boat.z));
    const QrPoint3 far = m_control->GetTarget();
    EXPECT_LE(std::hypot(far.x - boat.x, far.z - boat.z), C::kCastRange * 1.1f + 1e-4f);

    const QrPoint3 aim(boat.x + 0.1f, 0.0f, boat.z + 0.1f);
    m_control->AimAt(aim);
    ASSERT_TRUE(m_world->IsOnLake(m_control->GetTarget()));
    const QrPoint3 target = m_control->GetTarget();
    m_control->OnMouse(-1, -1, 0, C::kLeft, 0);
    EXPECT_EQ(m_control->GetPhase(), C::kFlight);
    Frames(10);
    EXPECT_EQ(m_control->GetPhase(), C::kFlight);
    Frames(30);
    ASSERT_EQ(m_control->GetPhase(), C::kRetrieve);
    const QrPoint3 lure = m_local->GetTackleObject()->GetPosition();
    EXPECT_NEAR(lure.x, target.x, 1e-5f);
    EXPECT_NEAR(lure.z, target.z, 1e-5f);
    EXPECT_TRUE(m_local->GetTackleObject()->IsInWater());
    // The splash comes up where the lure came down, drawn a hundredth towards the camera.
    tovSplash* splash = m_world->GetSplash();
    ASSERT_TRUE(splash->IsRunning());
    EXPECT_EQ(splash->GetFollowedNode(), m_control->GetSplashMark());
    Draw();
    const QrPoint3 drawn = splash->GetPartA()->GetTranslate();
    EXPECT_LE(std::hypot(drawn.x - target.x, drawn.z - target.z), 0.0101f);

    // Reeling brings it back to the rod, and the rod is ready for the next cast.
    Frames(30 * 10, C::kLeft);
    EXPECT_EQ(m_control->GetPhase(), C::kIdle);
    EXPECT_EQ(m_local->GetMode(), tovAnglerRig::kModeAiming);

    // Reeled in at once (before the boat travels), from the air and from the water: the rod is
    // ready, the lure at its tip, and a cast called off in the air never comes down.
    EXPECT_FALSE(m_control->ReelInNow());
    for (const int flight : {10, 40})
    {
        SCOPED_TRACE(flight);
        m_control->OnMouse(320, 400, C::kLeft, 0, C::kLeft);
        m_control->AimAt(aim);
        m_control->OnMouse(-1, -1, 0, C::kLeft, 0);
        Frames(flight);
        ASSERT_EQ(m_control->GetPhase(), flight == 10 ? C::kFlight : C::kRetrieve);
        EXPECT_TRUE(m_control->ReelInNow());
        EXPECT_EQ(m_control->GetPhase(), C::kIdle);
        EXPECT_EQ(m_local->GetMode(), tovAnglerRig::kModeAiming);
        const QrPoint3 tip = m_control->GetRodTip(), shown = m_control->GetShownLure();
        EXPECT_LT(std::hypot(shown.x - tip.x, shown.z - tip.z), 1e-4f);
        Frames(40);
        EXPECT_EQ(m_control->GetPhase(), C::kIdle);
        EXPECT_EQ(m_local->GetMode(), tovAnglerRig::kModeAiming);
    }
}

// A lure reeled in at once (the screen is left for the map or the tackle box) is out of the
// fish's sight at once, not at the rod's next frame: the fish stepped alone do not take it,
// where the same cast left out is taken.
TEST_F(tovCastControllerTest, ALureReeledInAtOnceIsGoneFromTheFishAtOnce)
{
    const auto bass = [](const tovFishPopulation::Fish& fish) { return fish.species == 3; };
    const auto strikeWithin = [this](double seconds)
    {
        for (double end = m_now + seconds; m_now < end;)
        {
            m_now += 0.1;
            Population().Update(m_now, 0.1);
            if (Population().TakeStrike() >= 0)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(CastAtFish(bass));
    ASSERT_TRUE(m_control->ReelInNow());
    EXPECT_FALSE(strikeWithin(600.0));
    ASSERT_TRUE(CastAtFish(bass));
    EXPECT_TRUE(strikeWithin(600.0));
}

// The lure hangs in the world's scene from the tip of the rod on a drawn line: a rod change
// takes the old lure out and puts the new one in; a cast throws it up and out onto the water,
// and the line runs from the tip to wherever the lure is.
TEST_F(tovCastControllerTest, TheLureAndItsLineAreInTheWorld)
{
    const auto lineEnds = [&]
    {
        // The line starts at the tip in holder 0 and ends at the lure: in holder 0 while the lure
        // is out of the water (a slack line may dip under on the way).
        qrxVLineStrip* above = m_local->GetTackle()->GetLineHolder(0);
        qrxVLineStrip* below = m_local->GetTackle()->GetLineHolder(1);
        EXPECT_GE(above->GetPointCount() + below->GetPointCount(), 2 * (tovTackle::kLineNodes - 1));
        ASSERT_GT(above->GetPointCount(), 0);
        const QrPoint3 tip = m_control->GetRodTip(), lure = m_control->GetShownLure();
        const QrPoint3& start = above->GetPoints()[0];
        EXPECT_EQ(std::hypot(start.x - tip.x, start.y - tip.y, start.z - tip.z), 0.0f);
        ASSERT_GE(lure.y, m_world->WaterHeight());
        const QrPoint3& end = above->GetPoints()[above->GetPointCount() - 1];
        EXPECT_LT(std::hypot(end.x - lure.x, end.y - lure.y, end.z - lure.z), 1e-5f);
    };
    const float water = m_world->WaterHeight();
    QrPointer<tovLure> first = m_local->GetTackleObject();
    ASSERT_TRUE(first && first->GetModel());
    EXPECT_EQ(m_world->GetCurrentLure(), first.Get());
    EXPECT_NE(first->GetModel()->GetParent(), nullptr);
    EXPECT_EQ(m_local->GetTackle()->GetLineHolder(0)->GetParent(), m_world->GetScene()->GetGroupA());
    EXPECT_EQ(m_local->GetTackle()->GetLineHolder(1)->GetParent(), m_world->GetScene()->GetGroupB());
    Frames(1);
    lineEnds();
    EXPECT_GT(m_control->GetShownLure().y, water) << "the lure dangles from the rod, out of the water";

    ASSERT_TRUE(m_control->SelectRod(2));
    QrPointer<tovLure> second = m_local->GetTackleObject();
    ASSERT_NE(second.Get(), first.Get());
    EXPECT_EQ(first->GetModel()->GetParent(), nullptr);
    EXPECT_EQ(m_world->GetCurrentLure(), second.Get());
    EXPECT_NE(second->GetModel()->GetParent(), nullptr);

    const QrPoint3 boat = m_local->GetBoatPosition();
    m_control->OnMouse(320, 400, C::kLeft, 0, C::kLeft);
    m_control->AimAt(QrPoint3(boat.x + 0.3f, water, boat.z + 0.2f));
    m_control->OnMouse(-1, -1, 0, C::kLeft, 0);
    Frames(15);
    ASSERT_EQ(m_control->GetPhase(), C::kFlight);
    EXPECT_GT(m_control->GetShownLure().y, water + 0.05f) << "mid-flight the lure is up in the air";
    lineEnds();
    Frames(30);
    ASSERT_EQ(m_control->GetPhase(), C::kRetrieve);
    EXPECT_FLOAT_EQ(m_control->GetShownLure().y, water);
    EXPECT_EQ(second->GetModel()->GetTranslate().x, m_control->GetShownLure().x);
    lineEnds();

    // Leaving the rod leaves no lure or line in the scene.
    m_control.reset();
    EXPECT_EQ(m_world->GetCurrentLure(), nullptr);
    EXPECT_EQ(second->GetModel()->GetParent(), nullptr);
    EXPECT_EQ(m_local->GetTackle()->GetLineHolder(0)->GetParent(), nullptr);
    EXPECT_EQ(m_local->GetTackle()->GetLineHolder(1)->GetParent(), nullptr);
}

// A hooked fish pulls the line under: the part below the surface is the second holder, met by
// the first at the water and ending at the fish; it is drawn only from under the water.
TEST_F(tovCastControllerTest, ALineToAFishUnderTheWaterIsSplitAtTheSurface)
{
    // Deep enough that its line runs clear of the waves under the surface.
    ASSERT_TRUE(HookFish([](const tovFishPopulation::Fish& f) { return f.depth > 0.02f; }));
    Frames(1, C::kLeft);
    ASSERT_EQ(m_control->GetPhase(), C::kFighting);
    const float water = m_world->WaterHeight();
    QrPointer<tovTackle> tackle = m_local->GetTackle();
    qrxVLineStrip* above = tackle->GetLineHolder(0);
    qrxVLineStrip* below = tackle->GetLineHolder(1);
    ASSERT_GT(above->GetPointCount(), 0);
    ASSERT_GT(below->GetPointCount(), 0);
    EXPECT_LT(m_control->GetShownLure().y, water);
    EXPECT_FLOAT_EQ(above->GetPoints()[above->GetPointCount() - 1].y, water);
    EXPECT_FLOAT_EQ(below->GetPoints()[0].y, water);
    const QrPoint3 fish = m_control->GetShownLure();
    const QrPoint3 end = below->GetPoints()[below->GetPointCount() - 1];
    EXPECT_LT(std::hypot(end.x - fish.x, end.y - fish.y, end.z - fish.z), 1e-5f);
    m_world->SetUnderwater(false);
    EXPECT_EQ(below->GetAppCulled(), 1);

    // Seen from under the water, from beside a point a little way up the line from the fish.
    const QrPoint3 cross = below->GetPoints()[0];
    const float run = std::hypot(cross.x - fish.x, cross.z - fish.z);
    ASSERT_GT(run, 0.0f);
    const float up = std::min(1.0f, 0.02f / run);
    const QrPoint3 middle(fish.x + (cross.x - fish.x) * up, fish.y + (cross.y - fish.y) * up,
                          fish.z + (cross.z - fish.z) * up);
    const float side = 0.08f;
    m_world->SetCamera(tovCameraModeAction::kFree);
    QrCamera* camera = m_world->GetCamera();
    camera->SetTranslate(middle.x - (cross.z - fish.z) / run * side, std::min(middle.y, water - 0.01f),
                         middle.z + (cross.x - fish.x) / run * side);
    camera->UpdateAllInstances();
    ASSERT_TRUE(camera->LookAt(middle, QrPoint3(0.0f, 1.0f, 0.0f)));
    Draw();
    ASSERT_TRUE(m_world->IsUnderwater());
    EXPECT_EQ(below->GetAppCulled(), 0);
    EXPECT_EQ(above->GetAppCulled(), 0);
    // A frame of play down there: the sky takes the water's colours, the line follows the fish.
    Frames(1, C::kLeft);
    ASSERT_EQ(m_control->GetPhase(), C::kFighting);
    Draw();

    // The hooked fish is shown whatever others swim nearer, and the line meets its body.
    tovFish* model = m_world->GetFish()->GetShownModel(0);
    ASSERT_TRUE(model);
    EXPECT_EQ(model->GetSpecies(), Population().GetFish(Population().GetHookedFish()).species);
    const QrPoint3 body = model->GetTranslate(), mouth = m_control->GetShownLure();
    EXPECT_LT(std::hypot(body.x - mouth.x, body.y - mouth.y, body.z - mouth.z), 0.01f);
    plat::HeadlessWindowBackend& window = m_rig->GetWindow();
    EXPECT_TRUE(golden::MatchesGoldenImage(
        "fishing_line_under_water.png",
        golden::FromRgb565(window.Frame().data(), window.FrameWidth(), window.FrameHeight())));
}

// A sound drag lands the fish and the catch box keeps it; with six already in the livewell (its
// screen never done) the smallest of the seven is given up. Bass count in the profile's career.
TEST_F(tovCastControllerTest, SoundDragLandsAndSeventhFishGivesUpTheSmallest)
{
    for (int32_t ounces : {40, 50, 60, 70, 80, 8})
        ASSERT_GE(m_local->AddToLivewell(3, ounces, 15, 1.0f), 0);
    ASSERT_TRUE(HookFish([](const tovFishPopulation::Fish& f) { return f.species == 3; }));
    QrPointer<tovTackle> tackle = m_local->GetTackle();
    tackle->SetDrag(tackle->GetLineStrength() * 0.4f);
    Fight(C::kLeft);
    ASSERT_EQ(m_control->GetLastOutcome(), tovFishFight::kLanded);
    ASSERT_EQ(m_control->GetPhase(), C::kCatchBox);
    const C::Catch landed = m_control->GetCatch();
    EXPECT_EQ(landed.species, 3);
    // The fish is in the angler's hands until the box closes.
    EXPECT_EQ(m_local->GetLandedFish().species, 3);
    EXPECT_EQ(m_local->GetLandedFish().weightOunces, C::WeightOunces(landed.weight));
    EXPECT_NE(landed.text.find("Keep it in your livewell?"), std::string::npos);
    const int32_t count = Population().GetCount();

    EXPECT_TRUE(m_control->OnKey(C::kKeyKeep));
    // Six are still one too many to fish on.
    EXPECT_TRUE(m_control->NeedsLivewell());
    std::vector<int32_t> kept;
    for (const tovLivewellFish& fish : m_local->GetLivewell().places)
        if (fish.inUse)
            kept.push_back(fish.weightOunces);
    std::vector<int32_t> all{40, 50, 60, 70, 80, 8, C::WeightOunces(landed.weight)};
    std::sort(all.begin(), all.end());
    all.erase(all.begin());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, all);
    EXPECT_EQ(m_local->GetLivewellCount(), 6);
    // Kept leaves the lake; released swims off.
    const bool newKept = all.front() != 8;
    EXPECT_TRUE(newKept); // every bass of this lake outweighs half a pound
    EXPECT_EQ(Population().GetCount(), newKept ? count - 1 : count);
    const auto& career = m_profile.GetCareer(0);
    EXPECT_EQ(career[tovUserProfile::kBassCount], newKept ? 1 : 0);
    EXPECT_EQ(career[tovUserProfile::kTotalBassWeight], newKept ? C::WeightOunces(landed.weight) : 0);
}

// Five kept and a sixth kept: the fish stays in hand, the rod and keys wait, and play goes on
// only once the livewell screen's Done (one fish back, the hand cleared) has been through.
// The fifth fish kept goes straight into the livewell: the livewell screen is only for a sixth.
// In a network game the others are sent the catch without the catcher's name (their chat puts
// it in front), and this copy tells its own player.
TEST_F(tovCastControllerTest, AFifthFishKeptGoesStraightIn)
{
    struct : tovNullNetworkPlay
    {
        bool IsSessionOpen() override { return true; }
        void SendChatText(const char* text, bool noLocalEcho, const tovAnglerRigBase*) override
        {
            sent.emplace_back(text);
            echoed = echoed || !noLocalEcho;
        }
        std::vector<std::string> sent;
        bool echoed = false;
    } net;
    struct : tovNullAppServices
    {
        void PostTextToMainWindow(const char* text) override { posted.emplace_back(text); }
        std::vector<std::string> posted;
    } services;
    for (int32_t ounces : {40, 50, 60, 70})
        ASSERT_GE(m_local->AddToLivewell(3, ounces, 15, 1.0f), 0);
    ASSERT_TRUE(HookFish([](const tovFishPopulation::Fish& f) { return f.species == 3; }));
    QrPointer<tovTackle> tackle = m_local->GetTackle();
    tackle->SetDrag(tackle->GetLineStrength() * 0.4f);
    Fight(C::kLeft);
    ASSERT_EQ(m_control->GetPhase(), C::kCatchBox);
    SetNetworkPlay(&net);
    SetAppServices(&services);
    EXPECT_TRUE(m_control->OnKey(C::kKeyKeep));
    SetAppServices(nullptr);
    SetNetworkPlay(nullptr);
    ASSERT_EQ(net.sent.size(), 1u);
    EXPECT_EQ(net.sent[0].rfind("caught a", 0), 0u) << net.sent[0];
    EXPECT_FALSE(net.echoed);
    EXPECT_EQ(services.posted, std::vector<std::string>{"You " + net.sent[0]});
    EXPECT_FALSE(m_control->NeedsLivewell());
    EXPECT_FALSE(m_local->HasLandedFish());
    EXPECT_EQ(m_local->GetLivewellCount(), 5);
    EXPECT_NE(m_control->GetPhase(), C::kOverLimit);
}

// A kept bass counts in the row its game counts in: a network game's stays in the network row
// once its session has closed under the day, not in the skill row the player set.
TEST_F(tovCastControllerTest, AKeptBassCountsInTheRowOfItsGame)
{
    struct : tovNullNetworkPlay
    {
        bool IsSessionOpen() override { return true; }
    } net;
    TheUserProfile().SetName(".", false);
    tovGameSession session;
    session.SetSkillLevel(1, false);
    SetNetworkPlay(&net);
    session.StartGame(tovGameSession::kTournament, false);
    SetNetworkPlay(nullptr);
    ASSERT_EQ(session.GetCareerRow(), tovGameSession::kNetworkCareerRow);
    ASSERT_TRUE(HookFish([](const tovFishPopulation::Fish& f) { return f.species == 3; }));
    QrPointer<tovTackle> tackle = m_local->GetTackle();
    tackle->SetDrag(tackle->GetLineStrength() * 0.4f);
    Fight(C::kLeft);
    ASSERT_EQ(m_control->GetPhase(), C::kCatchBox);
    EXPECT_TRUE(m_control->OnKey(C::kKeyKeep));
    EXPECT_EQ(m_profile.GetCareer(tovGameSession::kNetworkCareerRow)[tovUserProfile::kBassCount], 1);
    EXPECT_EQ(m_profile.GetCareer(1)[tovUserProfile::kBassCount], 0);
}

TEST_F(tovCastControllerTest, ASixthFishKeptWaitsForTheLivewellScreen)
{
    for (int32_t ounces : {40, 50, 60, 70, 8})
        ASSERT_GE(m_local->AddToLivewell(3, ounces, 15, 1.0f), 0);
    ASSERT_TRUE(HookFish([](const tovFishPopulation::Fish& f) { return f.species == 3; }));
    QrPointer<tovTackle> tackle = m_local->GetTackle();
    tackle->SetDrag(tackle->GetLineStrength() * 0.4f);
    Fight(C::kLeft);
    ASSERT_EQ(m_control->GetPhase(), C::kCatchBox);
    const int32_t ounces = C::WeightOunces(m_control->GetCatch().weight);

    EXPECT_TRUE(m_control->OnKey(C::kKeyKeep));
    EXPECT_TRUE(m_control->NeedsLivewell());
    EXPECT_EQ(m_local->GetLivewellCount(), 6) << "nothing is given up behind the player's back";
    EXPECT_TRUE(m_local->HasLandedFish());
    EXPECT_EQ(m_profile.GetCareer(0)[tovUserProfile::kTotalBassWeight], ounces);
    // Nothing moves the rod meanwhile: no cast, no rod change, no drag.
    const float drag = tackle->GetDrag();
    const int32_t rod = m_profile.GetCurrentRod();
    EXPECT_FALSE(m_control->OnKey(C::kKeyRod1 + 2));
    EXPECT_FALSE(m_control->OnKey(C::kKeyDragUp));
    m_control->OnMouse(320, 240, C::kLeft, 0, C::kLeft);
    Frames(5, C::kLeft);
    EXPECT_TRUE(m_control->NeedsLivewell());
    EXPECT_FLOAT_EQ(tackle->GetDrag(), drag);
    EXPECT_EQ(m_profile.GetCurrentRod(), rod);

    // The livewell screen: one fish back, then Done clears the hand.
    m_local->RemoveFromLivewell(m_local->GetLivewell().FindSmallest());
    m_local->ClearLandedFish();
    Frames(1);
    EXPECT_FALSE(m_control->NeedsLivewell());
    EXPECT_EQ(m_control->GetPhase(), C::kIdle);
    EXPECT_EQ(m_local->GetMode(), tovAnglerRig::kModeAiming);
    EXPECT_EQ(m_local->GetLivewellCount(), 5);
}

// While a fish is on, the line runs from the tip of the rod the figure holds out toward the
// fish, to the fish; the fish comes in with the line the fight takes back.
TEST_F(tovCastControllerTest, TheFightsLineRunsFromTheRodTipToTheFish)
{
    ASSERT_TRUE(HookFish([](const tovFishPopulation::Fish& f) { return f.species == 3; }));
    const QrPoint3 boat = m_local->GetBoatPosition();
    const tovFishFight& fight = Population().GetFight();
    const float start = fight.GetLineOut();
    bool nearer = false;
    for (int i = 0; i < 200 && m_control->GetPhase() == C::kFighting; ++i)
    {
        m_now += 0.05;
        m_control->OnMouse(-1, -1, 0, 0, C::kLeft);
        m_local->Idle(m_now, 0.05);
        m_control->Update(m_now, 0.05);
        if (i % 20 != 0 || m_control->GetPhase() != C::kFighting)
            continue;
        QrPoint3 held;
        ASSERT_TRUE(m_local->GetAngler()->GetRodTip(held));
        const QrPoint3 tip = m_control->GetRodTip(), fish = m_control->GetShownLure();
        EXPECT_EQ(std::hypot(tip.x - held.x, tip.y - held.y, tip.z - held.z), 0.0f) << i;
        qrxVLineStrip* above = m_local->GetTackle()->GetLineHolder(0);
        ASSERT_GT(above->GetPointCount(), 0);
        EXPECT_EQ(above->GetPoints()[0].x, tip.x);
        EXPECT_EQ(above->GetPoints()[0].z, tip.z);
        // The rod is held out toward the fish, above the water.
        const QrPoint3 feet = m_local->GetAngler()->GetCurrentInstance()->m_worldTranslate;
        const float toFish = std::atan2(fish.x - feet.x, fish.z - feet.z);
        const float toTip = std::atan2(tip.x - feet.x, tip.z - feet.z);
        EXPECT_LT(std::fabs(std::remainder(toFish - toTip, 6.2831853f)), 1.2f) << i;
        EXPECT_GT(tip.y, m_world->WaterHeight() + 0.03f);
        // The fish is as far out as the line, give or take its half length to the mouth.
        EXPECT_NEAR(std::hypot(fish.x - boat.x, fish.z - boat.z), fight.GetLineOut(), 0.03f) << i;
        nearer = nearer || fight.GetLineOut() < start - 0.03f;
    }
    EXPECT_TRUE(nearer) << "reeling brings the fish in";
}

// A landed fish let go splashes back into the water beside the boat, under the rod tip.
TEST_F(tovCastControllerTest, AFishLetGoSplashesBesideTheBoat)
{
    ASSERT_TRUE(HookFish([](const tovFishPopulation::Fish& f) { return f.species == 3; }));
    QrPointer<tovTackle> tackle = m_local->GetTackle();
    tackle->SetDrag(tackle->GetLineStrength() * 0.4f);
    Fight(C::kLeft);
    ASSERT_EQ(m_control->GetPhase(), C::kCatchBox);
    tovSplash* splash = m_world->GetSplash();
    splash->Stop();
    const QrPoint3 tip = m_control->GetRodTip();
    EXPECT_TRUE(m_control->OnKey(C::kKeyRelease));
    ASSERT_TRUE(splash->IsRunning());
    const QrPoint3 at = m_control->GetSplashMark()->GetTranslate();
    EXPECT_FLOAT_EQ(at.x, tip.x);
    EXPECT_FLOAT_EQ(at.z, tip.z);
    EXPECT_FLOAT_EQ(at.y, m_world->WaterHeight());
}

// A locked drag on a light line: a fish heavier than the line breaks it, the fish swims off and
// nothing is landed.
TEST_F(tovCastControllerTest, LockedDragBreaksTheLine)
{
    QrPointer<tovTackle> tackle = m_local->GetTackle();
    tackle->SetLureType(14); // 4 lb line
    ASSERT_TRUE(HookFish([&](const tovFishPopulation::Fish& f) { return f.weight > 3.0f; }));
    for (int i = 0; i < 40; ++i)
        m_control->OnKey(C::kKeyDragUp);
    EXPECT_FLOAT_EQ(tackle->GetDrag(), tackle->GetLineStrength());
    Fight(C::kLeft | C::kRight);
    EXPECT_EQ(m_control->GetLastOutcome(), tovFishFight::kLineBroke);
    EXPECT_EQ(m_control->GetPhase(), C::kIdle);
    EXPECT_EQ(m_local->GetLivewellCount(), 0);
}

// The fishing screen in the middle of a fight, as it draws over the view: the dials read the
// boat at rest, the clock shows the morning, the depth finder the water under the boat, and
// the line's gauge shows the pull (white) against the drag's mark (red) with the drag in
// pounds.
TEST_F(tovCastControllerTest, HeadUpDisplayInTheMiddleOfAFight)
{
    struct Services : tovNullAppServices
    {
        QrRender* GetRenderer() override { return rig->GetRenderer(); }
        QrDisplay* GetDisplay() override { return rig->GetDisplay(); }
        ResourcePack* GetMainPack() override { return pack; }
        HeadlessRenderer* rig = nullptr;
        ResourcePack* pack = nullptr;
    } services;
    services.rig = m_rig.get();
    RegisterImageResourceType();
    ASSERT_EQ(ResourcePack::InitLoader(), kResourceOk);
    ASSERT_EQ(ResourcePack::Open(testfiles::DataDir() + "/Data/tov", &services.pack), kResourceOk);
    SetAppServices(&services);
    qrxScratchImage::SetRenderer(m_rig->GetRenderer());
    ResourcePack::LoadGroup(tovFishingHud::kGroup, services.pack);
    {
        tovFishingHud hud;
        hud.LoadPictures();
        QrPointer<tovTackle> tackle = m_local->GetTackle();
        tackle->SetDrag(tackle->GetLineStrength() * 0.4f);
        ASSERT_TRUE(HookFish([](const tovFishPopulation::Fish& f) { return f.species == 3; }));
        for (int i = 0; i < 20 && m_control->GetPhase() == C::kFighting; ++i)
        {
            m_now += 0.05;
            m_control->OnMouse(-1, -1, 0, 0, C::kLeft);
            m_control->Update(m_now, 0.05);
        }
        ASSERT_EQ(m_control->GetPhase(), C::kFighting);
        const tovFishingHud::Readings readings = tovFishingHud::Read(m_world.get(), m_control.get());
        EXPECT_TRUE(readings.fighting);
        EXPECT_GT(readings.tension, 0.0f);
        EXPECT_FLOAT_EQ(readings.drag, 0.4f);
        Draw();
        DrawOver([&] { hud.Draw(readings); });
        plat::HeadlessWindowBackend& window = m_rig->GetWindow();
        EXPECT_TRUE(golden::MatchesGoldenImage(
            "fishing_hud_fight.png",
            golden::FromRgb565(window.Frame().data(), window.FrameWidth(), window.FrameHeight())));
    }
    ResourcePack::UnloadGroup(tovFishingHud::kGroup, services.pack);
    qrxScratchImage::ReleaseRenderer();
    SetAppServices(nullptr);
    ResourcePack::Close(&services.pack);
    ResourcePack::ShutdownLoader();
}

// The fight's music (ambient channel 0, as the application sets it up) plays on the headless
// sound output from the hook set until the fish is landed, and stops when the rod goes with a
// fish still on (the player left the screen mid-fight).
TEST_F(tovCastControllerTest, FightMusicPlaysOnlyWhileAFishIsOn)
{
    SetSoundOutputFactory([] { return std::make_unique<plat::HeadlessAudioOutput>(); });
    SetSoundInitQuestion(nullptr);
    SetSoundWorkerManual(true);
    ASSERT_EQ(InitSoundManager(nullptr), kSoundOk);
    {
        qrxAmbientSound ambient;
        const std::string music = testfiles::DataDir() + "/Ambient/fishfght.wav";
        ambient.AddChannelFile(0, music.c_str(), false);
        ambient.SetChannelDelay(0, -1.0, -1.0, true);
        ambient.SetChannelLooping(0, true);
        ambient.SetChannelEnabled(0, true, false);
        ambient.SetChannelAllowed(0, false, false);
        struct Services : tovNullAppServices
        {
            qrxAmbientSound* GetAmbientSound() override { return ambient; }
            qrxAmbientSound* ambient = nullptr;
        } services;
        services.ambient = &ambient;
        SetAppServices(&services);
        const auto bass = [](const tovFishPopulation::Fish& f) { return f.species == 3; };
        QrPointer<tovTackle> tackle = m_local->GetTackle();
        tackle->SetDrag(tackle->GetLineStrength() * 0.4f);
        ambient.OnIdle(0.1);
        EXPECT_FALSE(ambient.IsChannelPlaying(0));
        ASSERT_TRUE(HookFish(bass));
        ambient.OnIdle(0.1);
        EXPECT_TRUE(ambient.IsChannelPlaying(0));
        Fight(C::kLeft);
        ASSERT_EQ(m_control->GetLastOutcome(), tovFishFight::kLanded);
        ambient.OnIdle(0.1);
        EXPECT_FALSE(ambient.IsChannelPlaying(0));
        m_control->OnKey(C::kKeyRelease);

        ASSERT_TRUE(HookFish(bass));
        ambient.OnIdle(0.1);
        ASSERT_TRUE(ambient.IsChannelPlaying(0));
        m_control.reset();
        ambient.OnIdle(0.1);
        EXPECT_FALSE(ambient.IsChannelPlaying(0));
        SetAppServices(nullptr);
    }
    StopSoundManager();
    SetSoundWorkerManual(false);
    SetSoundOutputFactory(nullptr);
}

// Keys 1 to 7 pick a rod: the profile's current rod, the line type and colour of that rod's
// record; other keys are not taken, and no rod changes while the lure is out.
TEST_F(tovCastControllerTest, RodKeysChangeTheTackleAndTheCurrentRod)
{
    QrPointer<tovTackle> tackle = m_local->GetTackle();
    struct Row
    {
        int32_t key, rod;
    };
    for (const Row& row : {Row{'3', 2}, Row{'7', 6}, Row{'1', 0}})
    {
        SCOPED_TRACE(row.key);
        ASSERT_TRUE(m_control->OnKey(row.key));
        EXPECT_EQ(m_profile.GetCurrentRod(), row.rod);
        EXPECT_EQ(m_tackle.GetCurrentRod(), row.rod);
        const tovTackleSet::RodSet& rod = m_profile.GetTackle()[static_cast<size_t>(row.rod)];
        const int32_t type = tovTackleSet::LineType(rod[tovTackleSet::kLineKind], rod[tovTackleSet::kPoundTest]);
        if (type >= 0)
        {
            EXPECT_EQ(tackle->GetLineType(), type);
        }
        const tovTackleSet::Rgba c = tovTackleSet::LineColour(rod[tovTackleSet::kLineColour]);
        EXPECT_FLOAT_EQ(tackle->GetLineColour(0)[0], c.r);
        EXPECT_FLOAT_EQ(tackle->GetLineColour(1)[3], c.a);
    }
    EXPECT_FALSE(m_control->OnKey('8'));
    EXPECT_FALSE(m_control->OnKey('0'));

    m_control->OnMouse(320, 400, C::kLeft, 0, C::kLeft);
    m_control->AimAt(m_local->GetBoatPosition() + QrPoint3(0.1f, 0.0f, 0.1f));
    m_control->OnMouse(-1, -1, 0, C::kLeft, 0);
    EXPECT_FALSE(m_control->OnKey('4'));
    EXPECT_EQ(m_profile.GetCurrentRod(), 0);
}

// Seeded random mouse and keys through every phase: the controller keeps its phase and the rig's mode in step and never
// leaves a fish hooked without a fight, nor more than six in the livewell.
TEST_F(tovCastControllerTest, RandomInputKeepsTheRodConsistent)
{
    uRandom random(2024);
    const int32_t keys[] = {'1', '4', '7', '9', '+', '-', 'k', 'r', 'x'};
    int seen[6] = {};
    int clearedInBox = 0;
    // Each round hooks a fish, then plays random input on it.
    for (int round = 0; round < 3; ++round)
    {
        m_control->OnKey(C::kKeyRelease);
        if (m_control->GetPhase() != C::kIdle || !HookFish([](const tovFishPopulation::Fish&) { return true; }))
            break;
        for (int i = 0; i < 200; ++i)
        {
            Step(1, 0.1);
            const auto x = static_cast<int32_t>(random.uniform() * 700.0) - 30;
            const auto y = static_cast<int32_t>(random.uniform() * 540.0) - 30;
            const auto buttons = [&] { return static_cast<uint32_t>(random.uniform() * 4.0); };
            m_control->OnMouse(x, y, buttons(), buttons(), buttons());
            if (random.uniform() < 0.1)
                m_control->OnKey(keys[static_cast<size_t>(random.uniform() * std::size(keys)) % std::size(keys)]);
            // The livewell's Done, visited from an open catch box, lets the fish in hand go.
            if (random.uniform() < 0.02 && m_local->HasLandedFish())
            {
                m_local->ClearLandedFish();
                ++clearedInBox;
            }
            m_control->Update(m_now, 0.1);
            ASSERT_EQ(m_control->GetPhase() == C::kFighting, Population().GetHookedFish() >= 0) << i;
            const bool inHand = m_control->GetPhase() == C::kCatchBox || m_control->NeedsLivewell();
            ASSERT_EQ(inHand, m_local->GetMode() == tovAnglerRig::kModeShowCatch) << i;
            ASSERT_EQ(inHand, m_local->HasLandedFish()) << i;
            ASSERT_LE(m_local->GetLivewellCount(), 6);
            ++seen[m_control->GetPhase()];
        }
    }
    // The input went through fights and catch boxes, not only casts.
    EXPECT_GT(seen[C::kFighting], 0);
    EXPECT_GT(seen[C::kCatchBox], 0);
    EXPECT_GT(clearedInBox, 0);
}

// The rod's lure comes from its data record in the main pack: rod 1 holds family 4, item 9,
// whose record names model 4 with species row 4, temperature 0.5, wave 1.0 and clarity 0.4.
TEST_F(tovCastControllerTest, RodLoadsItsLureRecordFromThePack)
{
    struct Services : tovNullAppServices
    {
        ResourcePack* GetMainPack() override { return pack; }
        ResourcePack* pack = nullptr;
    } services;
    RegisterBlobResourceType();
    ASSERT_EQ(ResourcePack::InitLoader(), kResourceOk);
    ASSERT_EQ(ResourcePack::Open(testfiles::DataDir() + "/Data/tov", &services.pack), kResourceOk);
    SetAppServices(&services);
    const bool taken = m_control->OnKey('2');
    SetAppServices(nullptr);
    ResourcePack::Close(&services.pack);
    ResourcePack::ShutdownLoader();
    ASSERT_TRUE(taken);
    QrPointer<tovLure> lure = m_local->GetTackleObject();
    ASSERT_TRUE(lure);
    EXPECT_EQ(lure->GetModelFile(), tovTackleSet::LureModelFile(4));
    EXPECT_EQ(m_local->GetLureModelIndex(), 4);
    EXPECT_EQ(lure->GetAttraction().speciesRow, 4);
    EXPECT_FLOAT_EQ(lure->GetAttraction().temperature, 0.5f);
    EXPECT_FLOAT_EQ(lure->GetAttraction().wave, 1.0f);
    EXPECT_NEAR(lure->GetAttraction().clarity, 0.4f, 1e-5f);
    // Field 4 (0.25) is the first posture, which the lure scales by 200; field 3 the second.
    EXPECT_EQ(lure->GetSinkVelocity(), QrPoint3(0.0f, 50.0f, 0.0f));
    EXPECT_EQ(lure->GetRestOffset(), QrPoint3(0.0f, 0.1f, 0.0f));
}

// With the reload flag clear the loader leaves the angler's tackle as it was, whatever the
// profile now holds; set, it takes the profile's rod.
TEST_F(tovCastControllerTest, TheLoaderTakesTheProfileOnlyWhenAskedToReload)
{
    QrPointer<tovTackle> tackle = m_local->GetTackle();
    const QrPointer<tovLure> lure = m_local->GetTackleObject();
    const int32_t type = tackle->GetLineType();
    const std::array<float, 4> colour = tackle->GetLineColour(0);
    tovTackleSet::RodSet& rod = m_profile.GetTackle()[static_cast<size_t>(m_profile.GetCurrentRod())];
    rod[tovTackleSet::kLineKind] = 3;
    rod[tovTackleSet::kPoundTest] = 1;
    rod[tovTackleSet::kLineColour] = 4;
    ASSERT_NE(type, 14);
    m_tackle.SetReload(false);
    m_control->LoadTackleSet();
    EXPECT_EQ(tackle->GetLineType(), type);
    EXPECT_EQ(tackle->GetLineColour(0), colour);
    EXPECT_EQ(m_local->GetTackleObject().Get(), lure.Get());
    m_tackle.SetReload(true);
    m_control->LoadTackleSet();
    EXPECT_EQ(tackle->GetLineType(), 14);
    EXPECT_FLOAT_EQ(tackle->GetLineColour(0)[2], 0.01f);
}

// Catch weights are whole ounces, cut down, never rounded; at least one.
TEST(tovCastControllerWeight, OuncesAreTruncated)
{
    const struct
    {
        float pounds;
        int32_t ounces;
    } cases[] = {{2.99f, 47}, {1.0f, 16}, {0.124f, 1}, {0.03f, 1}, {5.5f, 88}, {0.0f, 1}, {-2.0f, 1}, {1e9f, 100000}};
    for (const auto& c : cases)
        EXPECT_EQ(C::WeightOunces(c.pounds), c.ounces) << c.pounds;
}

// The catch box names the fish with the article its number is said with, and hides the
// weight in tournament modes.
TEST(tovCastControllerWeight, CatchQuestionReadsAsSpoken)
{
    const struct
    {
        int32_t mode, ounces, inches;
        const char* text;
    } cases[] = {
        {2, 40, 18, "You caught an 18 inch Pike! Keep it in your livewell?"},
        {3, 40, 14, "You caught a 14 inch Pike! Keep it in your livewell?"},
        {2, 40, 11, "You caught an 11 inch Pike! Keep it in your livewell?"},
        {2, 40, 83, "You caught an 83 inch Pike! Keep it in your livewell?"},
        {0, 128, 27, "You caught an 8 lb. 0 oz., 27 inch Pike! Keep it in your livewell?"},
        {1, 37, 8, "You caught a 2 lb. 5 oz., 8 inch Pike! Keep it in your livewell?"},
        {0, 9, 1, "You caught a 0 lb. 9 oz., 1 inch Pike! Keep it in your livewell?"},
        {0, 18 * 16 + 1, 40, "You caught an 18 lb. 1 oz., 40 inch Pike! Keep it in your livewell?"},
        {0, 8000 * 16, 40, "You caught an 8000 lb. 0 oz., 40 inch Pike! Keep it in your livewell?"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(C::CatchQuestion(c.mode, c.ounces, c.inches, "Pike"), c.text);
}

// The line other players hear: no name (their chat prefixes the catcher's), and in tournament
// modes no weight, as the catch box keeps it.
TEST(tovCastControllerWeight, CatchLineHidesWhatTheCatchBoxHides)
{
    const struct
    {
        int32_t mode, ounces, inches;
        const char* text;
    } cases[] = {
        {0, 54, 20, "caught a 3 lb. 6 oz. Striped Bass."},
        {1, 130, 27, "caught an 8 lb. 2 oz. Striped Bass."},
        {2, 54, 18, "caught an 18 inch Striped Bass."},
        {3, 54, 14, "caught a 14 inch Striped Bass."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(C::CatchLine(c.mode, c.ounces, c.inches, "Striped Bass"), c.text);
}

} // namespace
