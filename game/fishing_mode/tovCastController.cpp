#include "tovCastController.h"

#include "tovAngler.h"
#include "tovCastingTarget.h"
#include "tovCatchText.h"
#include "tovFishModels.h"
#include "tovFishPopulation.h"
#include "tovFishSpecies.h"
#include "tovFishingKeys.h"
#include "tovFishingWorld.h"
#include "tovGameSession.h"
#include "tovLocalRig.h"
#include "tovLure.h"
#include "tovMessageBox.h"
#include "tovNetFacade.h"
#include "tovScene.h"
#include "tovShellIFace.h"
#include "tovSoundFacade.h"
#include "tovSplash.h"
#include "tovTackle.h"
#include "tovTackleSet.h"
#include "tovUserProfile.h"

#include "Font.h"
#include "QrCamera.h"
#include "QrColorA.h"
#include "QrDisplay.h"
#include "QrNode.h"
#include "ResourcePack.h"
#include "ResourceTypes.h"
#include "qrxAmbientSound.h"
#include "qrxFloatingText.h"
#include "qrxVLineStrip.h"
#include "tovAppServices.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

namespace
{

// The rod whose catch the message box asks about.
tovCastController* g_asking = nullptr;
constexpr uint32_t kTackleGroup = 33;
constexpr uint32_t kLureRecordBase = 8000;
// Pulling a target off the land back toward the boat, in this many steps.
constexpr int32_t kWaterSteps = 10;
// The ambient channel of the fight's music.
constexpr int kFightChannel = 0;
// A fish taking the lure.
constexpr uint32_t kStrikeSound = 6070;

void PlayEffect(uint32_t id)
{
    if (!g_soundFacade)
        return;
    if (SoundRecord* sound = tovSoundFacade::FindSound(GetAppServices().GetMainPack(), id))
        g_soundFacade->Play(sound, false, 0);
}

float Distance2D(const QrPoint3& a, const QrPoint3& b)
{
    return std::hypot(a.x - b.x, a.z - b.z);
}

bool IsBass(int32_t species)
{
    return species == 3 || species == 10 || species == 11;
}

// The livewell's view size for a fish of this length.
float DisplayScale(float lengthInches)
{
    return std::clamp(lengthInches / 12.0f, 0.3f, 3.0f);
}
} // namespace

tovCastController::tovCastController(tovFishingWorld& world, tovLocalRig& rig, tovUserProfile& profile,
                                     tovTackleSet& tackleSet)
    : m_world(world), m_rig(rig), m_profile(profile), m_tackleSet(tackleSet), m_castTarget(new tovCastingTarget),
      m_font(plat::Font::Create("Verdana", 18, 400)), m_splashMark(new QrNode)
{
    m_tackle = m_rig.GetTackle();
    if (tovScene* scene = m_world.GetScene())
    {
        scene->AttachChild(m_castTarget.Get());
        // The line's two parts go to the scene's two water-sided groups.
        scene->AttachToGroupA(m_tackle->GetLineHolder(0));
        scene->AttachToGroupB(m_tackle->GetLineHolder(1));
        m_tackle->SetLineUnderwater(scene->IsUnderwater());
    }
    if (qrxIdleManager* idle = m_world.GetIdleManager())
        idle->Add(m_castTarget.Get());
    if (m_font)
        m_text = std::make_unique<qrxFloatingText>(m_font.get(), plat::MakeColorRef(255, 255, 255));
}

tovCastController::~tovCastController()
{
    // A question still up finds no rod to answer.
    if (g_asking == this)
        g_asking = nullptr;
    SetFightSound(false);
    // The splash must not follow a mark that goes with the rod.
    if (tovSplash* splash = m_world.GetSplash(); splash && splash->GetFollowedNode() == m_splashMark.Get())
        splash->Stop();
    // A catch box closed with the rod leaves nothing in the angler's hands.
    if (m_phase == kCatchBox || m_phase == kOverLimit)
        m_rig.ClearLandedFish();
    if (tovFishModels* fish = m_world.GetFish())
        fish->GetPopulation().SetLure(nullptr);
    if (qrxIdleManager* idle = m_world.GetIdleManager())
        idle->Remove(m_castTarget.Get());
    if (tovScene* scene = m_world.GetScene())
    {
        scene->DetachChild(m_castTarget.Get());
        scene->DetachChild(m_tackle->GetLineHolder(0));
        scene->DetachChild(m_tackle->GetLineHolder(1));
    }
    m_world.SetCurrentLure(nullptr);
}

tovFishPopulation* tovCastController::Population() const
{
    tovFishModels* fish = m_world.GetFish();
    return fish ? &fish->GetPopulation() : nullptr;
}

float tovCastController::CastRange() const
{
    // Light line casts farther.
    const float strength = m_rig.GetTackle()->GetLineStrength();
    return kCastRange * std::clamp(1.1f - strength / 100.0f, 0.5f, 1.1f);
}

// --- input

void tovCastController::OnMouse(int32_t x, int32_t y, uint32_t pressed, uint32_t released, uint32_t held)
{
    QrPoint3 point;
    switch (m_phase)
    {
    case kIdle:
        if ((pressed & kLeft) != 0 && BeginAim() && RayToWater(x, y, point))
            AimAt(point);
        break;
    case kAiming:
        if (RayToWater(x, y, point))
            AimAt(point);
        if ((released & kLeft) != 0)
            Cast();
        break;
    case kRetrieve:
        // A strike waiting for the hook: the reel button sets it.
        if ((pressed & kLeft) != 0 && m_strikeFish >= 0)
        {
            SetHook();
            break;
        }
        SetReel((held & (kLeft | kRight)) != 0, (held & kRight) != 0);
        break;
    case kFighting:
        SetReel((held & (kLeft | kRight)) != 0, (held & kRight) != 0);
        break;
    case kFlight:
    case kCatchBox:
    case kOverLimit:
        break;
    }
}

bool tovCastController::OnKey(int32_t key)
{
    if (m_phase == kOverLimit)
        return false;
    if (m_phase == kCatchBox)
    {
        if (key == kKeyKeep)
            Keep();
        else if (key == kKeyRelease)
            Release();
        else
            return false;
        return true;
    }
    if (key >= kKeyRod1 && key < kKeyRod1 + tovTackleSet::kRods)
        return SelectRod(key - kKeyRod1);
    QrPointer<tovTackle> tackle = m_rig.GetTackle();
    if (key == kKeyDragUp)
        tackle->IncreaseDrag();
    else if (key == kKeyDragDown)
        tackle->DecreaseDrag();
    else
        return false;
    return true;
}

bool tovCastController::BeginAim()
{
    // Not while driving: the angler stands up first.
    if (m_rig.IsMotorRunning())
        return false;
    const int32_t mode = m_rig.GetMode();
    if (mode != tovAnglerRig::kModeAiming && mode != tovAnglerRig::kModeSeated && mode != tovAnglerRig::kModeWaitCast)
        return false;
    if (mode == tovAnglerRig::kModeSeated)
        m_rig.StandToFish();
    m_rig.SetMode(tovAnglerRig::kModeAiming);
    m_phase = kAiming;
    m_castTarget->Show(true);
    // Off the bow until the mouse finds the water, so a cast never goes to a stale point.
    const float heading = m_rig.GetBoatHeading() * 3.14159265f / 180.0f;
    const QrPoint3 boat = m_rig.GetBoatPosition();
    const float ahead = CastRange() * 0.5f;
    AimAt(QrPoint3(boat.x + std::sin(heading) * ahead, 0.0f, boat.z + std::cos(heading) * ahead));
    return true;
}

bool tovCastController::RayToWater(int32_t x, int32_t y, QrPoint3& out) const
{
    QrCamera* camera = m_world.GetCamera();
    if (!camera)
        return false;
    // The world's cameras draw to the game's 640 by 480 screen unless given a display.
    const QrDisplay* display = camera->GetDisplay();
    const float width = display ? static_cast<float>(display->GetWidth()) : 640.0f;
    const float height = display ? static_cast<float>(display->GetHeight()) : 480.0f;
    if (!(width > 0.0f) || !(height > 0.0f))
        return false;
    const float* viewport = camera->GetViewport();
    const float* frustum = camera->GetFrustum();
    const float vw = viewport[1] - viewport[0];
    const float vh = viewport[2] - viewport[3];
    if (vw == 0.0f || vh == 0.0f)
        return false;
    // Pixel to the frustum rectangle on the image plane through the focus.
    const float u = (static_cast<float>(x) / width - viewport[0]) / vw;
    const float v = (1.0f - static_cast<float>(y) / height - viewport[3]) / vh;
    const float fx = frustum[0] + u * (frustum[1] - frustum[0]);
    const float fy = frustum[3] + v * (frustum[2] - frustum[3]);
    const QrPoint3& eye = camera->GetWorldLocation();
    const QrPoint3 through = camera->GetWorldFocus() + camera->GetWorldRight() * fx + camera->GetWorldUp() * fy;
    const QrPoint3 dir = through - eye;
    const float water = m_world.WaterHeight();
    // Only rays going down meet the water in front of the camera.
    if (!(dir.y < 0.0f) || !(eye.y > water))
        return false;
    const float t = (water - eye.y) / dir.y;
    out = eye + dir * t;
    return std::isfinite(out.x) && std::isfinite(out.z);
}

void tovCastController::AimAt(const QrPoint3& point)
{
    if (!std::isfinite(point.x) || !std::isfinite(point.z))
        return;
    const QrPoint3 boat = m_rig.GetBoatPosition();
    QrPoint3 target(point.x, m_world.WaterHeight(), point.z);
    const float range = CastRange();
    const float distance = Distance2D(target, boat);
    float scale = 1.0f;
    if (distance > range)
        scale = range / distance;
    else if (distance < kMinCast && distance > 0.0f)
        scale = kMinCast / distance;
    target.x = boat.x + (target.x - boat.x) * scale;
    target.z = boat.z + (target.z - boat.z) * scale;
    // Off the lake: back toward the boat until it is over water.
    const QrPoint3 far = target;
    for (int32_t i = 1; i <= kWaterSteps && !m_world.IsOnLake(target); ++i)
    {
        const float f = 1.0f - static_cast<float>(i) / kWaterSteps;
        target.x = boat.x + (far.x - boat.x) * f;
        target.z = boat.z + (far.z - boat.z) * f;
    }
    m_target = target;
    m_castTarget->SetTarget(target);
}

void tovCastController::Cast()
{
    m_castTarget->Show(false);
    m_castTime = m_now;
    m_rig.CastAt(m_target);
    if (m_rig.GetMode() != tovAnglerRig::kModeCasting)
    {
        m_phase = kIdle;
        return;
    }
    m_phase = kFlight;
}

void tovCastController::SetReel(bool reeling, bool fast)
{
    QrPointer<tovTackle> tackle = m_rig.GetTackle();
    if (m_phase == kFighting)
        tackle->SetReeling(reeling);
    if (fast != m_fastReel || reeling != m_reeling)
    {
        if (!reeling)
            m_rig.ReadyOff();
        else if (fast)
            m_rig.ReadyAndReel();
        else
            m_rig.ReadyOn();
    }
    tackle->SetFastReel(reeling && fast);
    m_reeling = reeling;
    m_fastReel = reeling && fast;
}

// --- the frame

void tovCastController::Update(double now, double elapsed)
{
    if (!(elapsed > 0.0) || !std::isfinite(elapsed))
        elapsed = 0.0;
    m_now = now;
    tovFishPopulation* population = Population();
    switch (m_phase)
    {
    case kFlight:
        if (m_rig.GetMode() == tovAnglerRig::kModeWaitCast)
        {
            m_phase = kRetrieve;
            m_lure = m_rig.GetCastTarget();
            m_strikeFish = -1;
            SplashDown(now);
        }
        else if (m_rig.GetMode() != tovAnglerRig::kModeCasting)
            EndRetrieve(); // the cast was called off (the angler sat down)
        break;
    case kRetrieve:
        StepRetrieve(elapsed);
        break;
    case kFighting:
        StepFight(elapsed);
        break;
    case kCatchBox:
        // The livewell's Done clears the fish in hand: it goes back to the lake. Another
        // message that took the box's place gives the question back when it is answered.
        if (!m_rig.HasLandedFish())
            Release();
        else if (!IsMessageBoxRaised())
            AskKeep();
        break;
    case kOverLimit:
        if (!m_rig.HasLandedFish())
            EndRetrieve();
        break;
    default:
        break;
    }
    PlaceLureAndLine(now);
    if (!population)
        return;
    // The fish see the lure only while it is in the water and no fish holds it.
    QrPointer<tovLure> lure = m_rig.GetTackleObject();
    if (m_phase == kRetrieve && lure)
    {
        m_presence = tovLurePresence::Of(*lure, *m_rig.GetTackle(), m_world.WaterHeight());
        population->SetLure(&m_presence);
    }
    else
        population->SetLure(nullptr);
}

float tovCastController::GetLineOut() const
{
    if (m_phase == kFighting)
    {
        const tovFishPopulation* population = Population();
        return population ? population->GetFight().GetLineOut() : 0.0f;
    }
    if (m_phase != kRetrieve)
        return 0.0f;
    return Distance2D(m_lure, m_rig.GetBoatPosition());
}

void tovCastController::StepRetrieve(double elapsed)
{
    tovFishPopulation* population = Population();
    if (population)
    {
        const int32_t strike = population->TakeStrike();
        // The take is heard as well as seen: a splash at the lure as it goes under.
        if (strike >= 0 && m_strikeFish < 0)
        {
            PlayEffect(kStrikeSound);
            SplashDown(m_now);
        }
        // A strike lasts for the hook window; after it the fish has spat the lure.
        m_strikeFish = strike;
    }
    if (!m_reeling)
        return;
    const QrPoint3 boat = m_rig.GetBoatPosition();
    const float distance = Distance2D(m_lure, boat);
    const float step = static_cast<float>(elapsed) * (m_fastReel ? kFastReelSpeed : kReelSpeed);
    if (distance <= kRetrieveDone || step >= distance - kRetrieveDone)
    {
        EndRetrieve();
        return;
    }
    const float f = step / distance;
    m_lure.x += (boat.x - m_lure.x) * f;
    m_lure.z += (boat.z - m_lure.z) * f;
    if (QrPointer<tovLure> lure = m_rig.GetTackleObject())
        lure->SetPosition(m_lure);
}

void tovCastController::EndRetrieve()
{
    SetFightSound(false);
    m_rig.GetTackle()->ResetCast();
    m_rig.ReadyOff();
    m_rig.SetMode(tovAnglerRig::kModeAiming);
    m_reeling = false;
    m_fastReel = false;
    m_strikeFish = -1;
    m_phase = kIdle;
}

bool tovCastController::ReelInNow()
{
    if (m_phase != kFlight && m_phase != kRetrieve)
        return false;
    EndRetrieve();
    // The screen is left before its next frame: the fish lose the lure now, not then.
    if (tovFishPopulation* population = Population())
        population->SetLure(nullptr);
    PlaceLureAndLine(m_now);
    return true;
}

void tovCastController::SetHook()
{
    tovFishPopulation* population = Population();
    if (!population || !population->SetHook(m_strikeFish, GetLineOut()))
        return;
    m_rig.GetTackle()->HookFish();
    m_rig.SetMode(tovAnglerRig::kModeFighting);
    m_hookedFish = m_strikeFish;
    m_strikeFish = -1;
    m_lastOutcome = tovFishFight::kGoing;
    m_phase = kFighting;
    SetFightSound(true);
}

void tovCastController::StepFight(double elapsed)
{
    tovFishPopulation* population = Population();
    if (!population || population->GetHookedFish() < 0)
    {
        EndRetrieve();
        return;
    }
    const int32_t hooked = population->GetHookedFish();
    const tovFishFight::Outcome outcome = population->StepFight(elapsed, *m_rig.GetTackle());
    if (outcome == tovFishFight::kGoing)
    {
        // The fish comes in and runs with the line, so the drawn line and fish go with it.
        population->HoldHookedFrom(m_rig.GetBoatPosition());
        return;
    }
    m_lastOutcome = outcome;
    m_hookedFish = hooked;
    SetFightSound(false);
    if (outcome == tovFishFight::kLanded)
        Land();
    else
        EndRetrieve();
}

void tovCastController::Land()
{
    const tovFishPopulation* population = Population();
    if (!population || m_hookedFish < 0 || m_hookedFish >= population->GetCount())
    {
        EndRetrieve();
        return;
    }
    const tovFishPopulation::Fish& fish = population->GetFish(m_hookedFish);
    m_catch.species = fish.species;
    m_catch.weight = fish.weight;
    m_catch.length = fish.length;
    const int32_t ounces = WeightOunces(fish.weight);
    const int32_t inches = static_cast<int32_t>(fish.length);
    const tovGameSession* session = TheGameSession();
    m_catch.text = CatchQuestion(session ? session->GetMode() : 0, ounces, inches, GetFishSpeciesName(fish.species));
    tovLivewellFish landed;
    landed.species = fish.species;
    GetFishSpeciesName(fish.species, landed.name, tovLivewellFish::kNameSize);
    landed.weightOunces = ounces;
    landed.lengthInches = inches;
    landed.displayScale = DisplayScale(fish.length);
    landed.inUse = 1;
    m_rig.SetLandedFish(landed);
    m_rig.ReadyOff();
    m_rig.SetMode(tovAnglerRig::kModeShowCatch);
    m_reeling = false;
    m_fastReel = false;
    m_phase = kCatchBox;
    AskKeep();
}

std::string tovCastController::CatchQuestion(int32_t mode, int32_t ounces, int32_t inches, const char* species)
{
    if (species == nullptr)
        species = "";
    if (tovCatchText::HidesWeight(mode))
        return std::string("You caught ") + tovCatchText::Article(inches) + " " +
               tovCatchText::LengthAndSpecies(inches, species) + "! Keep it in your livewell?";
    char line[400];
    std::snprintf(line, sizeof line, "You caught %s %d lb. %d oz., %d inch %s! Keep it in your livewell?",
                  tovCatchText::Article(ounces / 16), ounces / 16, ounces % 16, inches, species);
    return line;
}

std::string tovCastController::CatchLine(int32_t mode, int32_t ounces, int32_t inches, const char* species)
{
    if (species == nullptr)
        species = "";
    if (tovCatchText::HidesWeight(mode))
        return std::string("caught ") + tovCatchText::Article(inches) + " " +
               tovCatchText::LengthAndSpecies(inches, species) + ".";
    char line[400];
    std::snprintf(line, sizeof line, "caught %s %d lb. %d oz. %s.", tovCatchText::Article(ounces / 16), ounces / 16,
                  ounces % 16, species);
    return line;
}

void tovCastController::AskKeep()
{
    g_asking = this;
    ShowMessage(kMessageTwoAnswers, &OnKeepAnswer, reinterpret_cast<uintptr_t>(this), m_catch.text.c_str());
    // The box holds the keys while it is up: it answers the keep and release keys itself.
    SetMessageAnswerKeys(KeyOfAction(tovFishingAction::kKeep), KeyOfAction(tovFishingAction::kRelease));
}

bool tovCastController::OnKeepAnswer(int32_t answer, uintptr_t argument)
{
    tovCastController* rod = g_asking;
    if (!rod || reinterpret_cast<uintptr_t>(rod) != argument)
        return false;
    g_asking = nullptr;
    answer == 0 ? rod->Keep() : rod->Release();
    return true;
}

int32_t tovCastController::WeightOunces(float pounds)
{
    if (!(pounds > 0.0f) || !std::isfinite(pounds))
        return 1;
    // Bounded before the cut: a float past the int range has no defined conversion.
    return std::max(static_cast<int32_t>(std::min(pounds * 16.0f, 100000.0f)), 1);
}

void tovCastController::Keep()
{
    if (m_phase != kCatchBox)
        return;
    const int32_t ounces = WeightOunces(m_catch.weight);
    const int32_t inches = static_cast<int32_t>(m_catch.length);
    // Six places: a seventh fish (only when the livewell screen was never done) gives up the
    // smallest of all seven.
    bool kept = true;
    const tovLivewell& livewell = m_rig.GetLivewell();
    if (livewell.FindFree() < 0)
    {
        const int32_t smallest = livewell.FindSmallest();
        if (smallest >= 0 && livewell.places[static_cast<size_t>(smallest)].weightOunces >= ounces)
            kept = false;
        else
            m_rig.ReleaseSmallestOverLimit();
    }
    if (kept)
        m_rig.AddToLivewell(m_catch.species, ounces, inches, DisplayScale(m_catch.length));
    tovFishPopulation* population = Population();
    if (population)
        kept ? population->RemoveFish(m_hookedFish) : population->ReleaseFish(m_hookedFish);
    // A fish given up at once was never kept: no record, no news.
    if (kept)
        RecordKept(ounces);
    if (m_rig.GetLivewellCount() <= kLivewellLimit)
    {
        CloseCatch();
        return;
    }
    // The fish stays in hand until the livewell screen's Done, which needs five or fewer.
    m_hookedFish = -1;
    m_catch = Catch{};
    m_phase = kOverLimit;
}

void tovCastController::RecordKept(int32_t ounces)
{
    if (IsBass(m_catch.species))
    {
        // The row the game counts in: a network game keeps the network row after its session
        // closed, and a loaded game the row it began in.
        const tovGameSession* session = TheGameSession();
        const int32_t row = session != nullptr ? std::clamp(session->GetCareerRow(), 0, tovUserProfile::kCareerRows - 1)
                                               : (IsNetworkGame() ? tovGameSession::kNetworkCareerRow : 0);
        m_profile.RecordBassCatch(ounces, m_catch.species, row);
    }
    if (!IsNetworkGame())
        return;
    // The others' chat names the sender; this copy tells its own player.
    const tovGameSession* session = TheGameSession();
    const std::string line = CatchLine(session ? session->GetMode() : 0, ounces, static_cast<int32_t>(m_catch.length),
                                       GetFishSpeciesName(m_catch.species));
    NetSendChatText(line.c_str(), true, nullptr);
    GetAppServices().PostTextToMainWindow(("You " + line).c_str());
}

void tovCastController::Release()
{
    if (m_phase != kCatchBox)
        return;
    if (tovFishPopulation* population = Population())
        population->ReleaseFish(m_hookedFish);
    // The fish goes back over the side where the rod is.
    m_lure = QrPoint3(m_rodTip.x, m_world.WaterHeight(), m_rodTip.z);
    SplashDown(m_now);
    CloseCatch();
}

void tovCastController::CloseCatch()
{
    m_rig.ClearLandedFish();
    m_hookedFish = -1;
    m_catch = Catch{};
    EndRetrieve();
}

void tovCastController::Draw(QrRender* renderer)
{
    // Without the program's message box the question is drawn here.
    if (m_phase != kCatchBox || !renderer || !m_text || IsMessageBoxRaised())
        return;
    m_text->DrawBoxedText(120, 180, 520, 300, m_catch.text.c_str(), nullptr);
}

void tovCastController::SplashDown(double now)
{
    tovSplash* splash = m_world.GetSplash();
    if (!splash)
        return;
    m_splashMark->SetTranslate(m_lure.x, m_world.WaterHeight(), m_lure.z);
    m_splashMark->UpdateAllInstances();
    // A splash still running from the last cast gives way to this one.
    if (splash->IsRunning())
        splash->Stop();
    splash->StartAt(m_splashMark.Get(), now);
}

void tovCastController::SetFightSound(bool on)
{
    if (on == m_fightSound)
        return;
    m_fightSound = on;
    if (qrxAmbientSound* ambient = GetAppServices().GetAmbientSound())
        ambient->SetChannelAllowed(kFightChannel, on, on);
}

float tovCastController::GetLineTension() const
{
    const tovFishPopulation* population = Population();
    return m_phase == kFighting && population ? population->GetFight().GetTension() : 0.0f;
}

float tovCastController::GetDragPounds() const
{
    return m_rig.GetTackle()->GetDrag();
}

float tovCastController::GetLineStrength() const
{
    return m_rig.GetTackle()->GetLineStrength();
}

// --- tackle

bool tovCastController::SelectRod(int32_t rod)
{
    if (rod < 0 || rod >= tovTackleSet::kRods)
        return false;
    // Changing the lure while it is out would cut the line under the fish.
    if (!IsRodFree())
        return false;
    m_tackleSet.SetReload(true);
    m_profile.SetCurrentRod(rod);
    m_tackleSet.SetCurrentRod(rod);
    LoadTackleSet();
    return true;
}

void tovCastController::LoadTackleSet()
{
    ResourcePack* pack = tovShellIFace::MainPack();
    if (pack)
        ResourcePack::LoadGroup(kTackleGroup, pack);
    if (m_tackleSet.NeedsReload())
    {
        m_tackleSet.LoadFromProfile(m_profile);
        const tovTackleSet::RodSet& rod = m_tackleSet.GetCurrentRodSet();
        m_rodSetPicture = tovTackleSet::RodSetPictureId(rod);
        ApplyLineColour();
        m_world.SetCurrentLure(nullptr);
        tovTackleSet::LureRecord record;
        if (pack)
        {
            const auto id = static_cast<uint32_t>(kLureRecordBase + tovTackleSet::LureRecordId(rod));
            if (const void* item = ResourcePack::GetItem(kResourceBytes, id, pack))
                record = tovTackleSet::ParseLureRecord(
                    std::string_view(static_cast<const char*>(item), ResourceBlockSize(item)));
        }
        if (const char* file = tovTackleSet::LureModelFile(record.model))
        {
            m_rig.SetLureModel(file, record.speciesRow);
            m_rig.SetLureModelIndex(record.model);
        }
        if (QrPointer<tovLure> lure = m_rig.GetTackleObject())
        {
            lure->SetPosture(QrPoint3(0.0f, record.firstPosture, 0.0f), QrPoint3(0.0f, record.secondPosture, 0.0f));
            m_world.SetCurrentLure(lure.Get());
            lure->SetAttractionValues(record.temperature, record.clarity, record.wave, record.speciesRow);
        }
        ApplyLure();
        if (QrPointer<tovLure> lure = m_rig.GetTackleObject())
            lure->SetHidden(m_lureHidden);
        PlaceLureAndLine(m_now);
    }
    if (pack)
        ResourcePack::UnloadGroup(kTackleGroup, pack);
}

void tovCastController::ApplyLure()
{
    const tovTackleSet::RodSet& rod = m_tackleSet.GetCurrentRodSet();
    QrPointer<tovTackle> tackle = m_rig.GetTackle();
    const int32_t type = tovTackleSet::LineType(rod[tovTackleSet::kLineKind], rod[tovTackleSet::kPoundTest]);
    if (type >= 0)
        tackle->SetLureType(type);
    tackle->ResetCast();
}

void tovCastController::ApplyLineColour()
{
    const tovTackleSet::Rgba c = tovTackleSet::LineColour(m_tackleSet.GetCurrentRodSet()[tovTackleSet::kLineColour]);
    m_rig.GetTackle()->SetLinePointCount({c.r, c.g, c.b, c.a});
}

void tovCastController::PlaceLureAndLine(double now)
{
    // The rod is held out over the water, five feet up: to the side of the bow while the lure
    // is in, toward the lure while it is out.
    const QrPoint3 boat = m_rig.GetBoatPosition();
    const float water = m_world.WaterHeight();
    const float heading = m_rig.GetBoatHeading() * 0.017453292f;
    float dx = std::sin(heading) - 0.15f * std::cos(heading);
    float dz = std::cos(heading) + 0.15f * std::sin(heading);
    float length = 0.0f;
    if (m_phase != kIdle && m_phase != kAiming)
    {
        const QrPoint3 toward = m_phase == kFlight ? m_rig.GetCastTarget() : m_lure;
        dx = toward.x - boat.x;
        dz = toward.z - boat.z;
        length = std::hypot(dx, dz);
    }
    const float norm = std::hypot(dx, dz);
    dx = norm > 1e-4f ? dx / norm : 0.0f;
    dz = norm > 1e-4f ? dz / norm : 0.0f;
    m_rodTip = QrPoint3(boat.x + dx * 0.07f, water + 0.05f, boat.z + dz * 0.07f);
    // The figure's own rod, where it holds one: the line leaves the tip the player sees.
    if (const tovAngler* angler = m_rig.GetAngler())
        angler->GetRodTip(m_rodTip);
    QrPoint3 at(m_rodTip.x, m_rodTip.y - 0.012f, m_rodTip.z); // dangling a foot below the tip
    bool slack = false;
    if (m_phase == kFlight)
    {
        // A throw: up and out to the target, down onto the water.
        const QrPoint3 target = m_rig.GetCastTarget();
        const auto t = static_cast<float>(std::clamp((now - m_castTime) / tovAnglerRig::kCastFlightTime, 0.0, 1.0));
        at = QrPoint3(m_rodTip.x + (target.x - m_rodTip.x) * t, m_rodTip.y + (water - m_rodTip.y) * t,
                      m_rodTip.z + (target.z - m_rodTip.z) * t);
        at.y += 0.4f * length * t * (1.0f - t);
    }
    else if (m_phase == kRetrieve)
    {
        // A strike pulls the lure under and the line tight: the moment to set the hook.
        const bool strike = m_strikeFish >= 0;
        at = QrPoint3(m_lure.x, strike ? water - kStrikeDepth : water, m_lure.z);
        slack = !m_reeling && !strike;
    }
    else if (const tovFishPopulation* population = Population();
             m_phase == kFighting && population && m_hookedFish >= 0 && m_hookedFish < population->GetCount())
    {
        const tovFishPopulation::Fish& fish = population->GetFish(m_hookedFish);
        at = m_world.GetFish()->MouthToward(fish, m_rodTip);
    }
    m_shownLure = at;
    if (QrPointer<tovLure> lure = m_rig.GetTackleObject())
        lure->SetPosition(at);
    // The line from the tip to the lure, sagging a little when slack.
    m_tackle->PlaceLine(m_rodTip, at, water, slack ? 0.03f : 0.005f, m_lureHidden);
}
