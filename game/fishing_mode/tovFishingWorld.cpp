#include "tovFishingWorld.h"

#include "tovAlphaOnlySorter.h"
#include "tovCameraHeadingTracker.h"
#include "tovCameraModeAction.h"
#include "tovFishModels.h"
#include "tovFishingBoatProbe.h"

#include "qrxCutout.h"
#include "qrxSkyCamAction.h"
#include "qrxSkyDome.h"
#include "tovAnglerRig.h"
#include "tovBoat.h"
#include "tovComputerRig.h"
#include "tovLake.h"
#include "tovLure.h"
#include "tovScene.h"
#include "tovSky.h"
#include "tovSplash.h"
#include "tovTackle.h"
#include "tovWake.h"
#include "tovWater.h"
#include "tovWaterCrossAction.h"
#include "tovWaterFollowAction.h"
#include "tovWeather.h"
#include "uRandom.h"

#include "Qr3dsSkinAndBone.h"
#include "QrAnimTiming.h"
#include "QrCamera.h"
#include "QrFogProperty.h"
#include "QrLight.h"
#include "QrTerrainPage.h"
#include "QrZBufferProperty.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double kDegreesToRadians = 3.14159265358979 / 180.0;
// The patch of water the camera carries is 1.6 units across at every detail.
constexpr float kWaterPatch = 1.6f;
constexpr float kWaveScale = 0.015f;
// Half the side of the square around the player's start where the fish are put (world units).
constexpr float kFishReach = 3.0f;
// The free camera on the keypad: world units (100 ft) and degrees a second.
constexpr float kFreeMoveSpeed = 0.3f;
constexpr float kFreeTurnSpeed = 60.0f;
// The light that follows the camera under water: pale green, fading out over 150 feet.
const QrPoint3 kLampColour(0.75f, 0.9f, 0.8f);
constexpr float kLampRadius = 1.5f;
} // namespace

tovFishingWorld::tovFishingWorld() = default;

tovFishingWorld::~tovFishingWorld()
{
    Teardown();
}

bool tovFishingWorld::Build(const std::string& lakePath, float detail, QrRender* renderer, qrxAmbientSound* ambient)
{
    Teardown();
    m_error.clear();
    if (!std::isfinite(detail))
        detail = 1.0f;
    detail = std::clamp(detail, 0.0f, 1.0f);
    // The lake finds the idle manager for its under-water texture through the services.
    SetWorldServices(this);
    m_oldSorterFactory = QrSorter::SetFactory(&tovAlphaOnlySorter::Create);
    qrxCutout::SetTextureMode(tovWater::IsTransparencyAllowed() ? 1 : 0);
    qrxCutout::CreateSharedProperties();
    QrTerrainPage::CreateSharedArrays(QrTerrainPage::kMaxSize);

    m_scene = new tovScene;
    // Depth tested and written below the root.
    QrPointer<QrZBufferProperty> depth(new QrZBufferProperty);
    depth->m_test = 1;
    depth->m_write = 1;
    m_scene->AttachProperty(depth.Get());
    m_wakes = new QrNode;
    m_scene->AttachChild(m_wakes.Get());
    ShowBelowWaterGroup(false);
    BuildCameras();
    BuildWater(detail);
    BuildSky(detail, renderer, ambient);

    m_lake = new tovLake(true);
    if (!m_lake->Load(lakePath))
    {
        m_error = m_lake->LastError();
        m_built = 1; // so the teardown takes down what stands
        Teardown();
        return false;
    }
    m_scene->AttachChild(m_lake.Get());
    for (const QrPointer<QrCamera>& camera : m_cameras)
        m_lake->AttachToCamera(camera.Get());
    if (m_sky)
    {
        m_sky->SetLake(m_lake.Get());
        m_sky->SetUnderwaterTexture(m_lake->GetUnderwaterTexture());
    }

    m_splash = new tovSplash;
    m_splash->AttachToScene(m_scene.Get());
    GetCamera()->AttachObject(m_splash.Get());
    BuildLights();
    BuildFish();
    m_scene->UpdateAllInstances();
    ReLight();
    SetTerrainError(kDefaultTerrainError);
    // The key-framed models start from their first key.
    QrAnimTiming::UpdateAll(0.0);
    m_built = 1;
    return true;
}

void tovFishingWorld::BuildCameras()
{
    for (int32_t i = 0; i < kCameraCount; ++i)
    {
        QrPointer<QrCamera> camera(new QrCamera(kNearAbove, kFarAbove));
        // The scene root draws its own order: what lies beyond the water, the water, the rest.
        camera->SetDisplayPassFlag(1);
        camera->SetSortFlag(0);
        camera->SetSceneRoot(m_scene.Get());
        m_modeActions[size_t(i)] = new tovCameraModeAction(i);
        m_crossActions[size_t(i)] = new tovWaterCrossAction;
        // Placed first, so the crossing test sees where the camera is this frame.
        camera->AttachObject(m_modeActions[size_t(i)].Get());
        camera->AttachObject(m_crossActions[size_t(i)].Get());
        m_cameras[size_t(i)] = camera;
    }
    m_cameraMode = tovCameraModeAction::kDriver;
    // The cameras' own constructor keeps them 0.1 off; the driver's seat wants them nearer.
    ApplyCameraRange();
    m_headingTracker = std::make_unique<tovCameraHeadingTracker>();
    m_idle.Add(m_headingTracker.get());
    m_modeActions[tovCameraModeAction::kChase]->SetHeadingTracker(m_headingTracker.get());
    m_navigator.SetMovedObject(m_cameras[tovCameraModeAction::kFree].Get());
    m_navigator.SetFrameObject(nullptr);
    m_navigator.m_moveSpeed = kFreeMoveSpeed;
    m_navigator.m_turnSpeed = kFreeTurnSpeed;
}

void tovFishingWorld::BuildWater(float detail)
{
    const int32_t n = 1 + static_cast<int32_t>(detail * 7.0f);
    m_water = new tovWater(n, kWaterPatch / float(n), &m_idle);
    m_water->SetWaveScale(kWaveScale);
    // The first waves follow the scale before the first frame.
    m_water->Update(0.0, 0.0);
    m_scene->SetWater(m_water.Get());
    for (const QrPointer<QrCamera>& camera : m_cameras)
        m_water->AttachToCamera(camera.Get());
    m_water->GetAnimatedTexture()->SetRunning(1);
    m_idle.Add(m_water.Get());
}

void tovFishingWorld::BuildSky(float detail, QrRender* renderer, qrxAmbientSound* ambient)
{
    // The sky registers its weather with this manager itself.
    m_sky = std::make_unique<tovSky>(&m_idle);
    m_sky->SetDetail(detail);
    m_sky->GetWeather()->Start(0.0);
    m_sky->EnableAmbientSwitching(true);
    m_sky->SetAmbientSound(ambient);
    m_sky->SetRenderer(renderer);
    m_sky->SetWater(m_water.Get());
    m_sky->CreateFog();
    m_sky->CreateDomes();
    for (int i = 0; i < tovSky::kDomeCount; ++i)
    {
        m_scene->GetFirstGroup()->AttachChild(m_sky->GetDome(i).Get());
        m_sky->GetDome(i)->AttachToCamera(GetCamera());
    }
    m_scene->AttachProperty(m_sky->GetFogProperty());
}

void tovFishingWorld::BuildLights()
{
    // The sectors are lit once per build and switch by a fixed sun.
    m_sun = new QrLight;
    m_sun->SetType(QrLight::kDirectional);
    m_sun->SetLocalDirection(QrPoint3(-0.4f, -0.8f, -0.45f));
    // Light A rides with the camera: under water it lights what lies around the eye (the fish,
    // the bottom, the underside of the surface), where the sun reaches nothing facing down.
    m_lightA = new QrLight;
    m_lightA->SetType(QrLight::kPoint);
    m_lightA->SetDiffuseColor(kLampColour);
    m_lightA->SetRadius(kLampRadius);
    m_lightA->SetOn(m_below);
    m_ambientLight = new QrLight;
    m_ambientLight->SetType(QrLight::kAmbient);
    m_ambientLight->SetAmbientColor(QrPoint3(0.4f, 0.4f, 0.4f));
    for (const QrPointer<QrLight>& light : {m_sun, m_lightA, m_ambientLight})
    {
        light->AttachAffectedNode(m_scene.Get());
        m_scene->AttachChild(light.Get());
    }
}

void tovFishingWorld::BuildFish()
{
    m_fish = std::make_unique<tovFishModels>(*this, m_scene.Get());
    // Each day's fish differ as the program's generator does, without taking a draw from it:
    // the draws after this one stay as they were.
    m_fishSeed = SharedRandom().get_state();
    PopulateAroundStart(0);
    m_idle.Add(&m_fish->GetPopulation());
}

void tovFishingWorld::PopulateAroundStart(int32_t index)
{
    // The fish live around the player's start, where the day begins; the records keep lake-map
    // places, so sector switches leave them be.
    double x = 0.0, y = 0.0, heading = 0.0;
    QrPoint3 start;
    if (!m_lake->GetDesc().starts.empty())
    {
        m_lake->GetStartLocation(index, x, y, heading);
        m_lake->MapToWorld(x, y, start);
    }
    PopulateAround(start);
    m_fishStart = index;
}

void tovFishingWorld::PopulateAround(const QrPoint3& at)
{
    // Models shown for the fish before stand for others now.
    m_fish->Clear();
    m_fish->GetPopulation().Populate(m_fishSeed, m_tables, at.x - kFishReach, at.z - kFishReach, at.x + kFishReach,
                                     at.z + kFishReach);
}

void tovFishingWorld::ReLight()
{
    if (m_lake && m_lake->GetTerrainSector() && m_sun)
        m_lake->GetTerrainSector()->BuildPageMeshes(m_sun.Get(), nullptr);
}

void tovFishingWorld::Teardown()
{
    if (!m_built)
        return;
    m_built = 0;
    SetCurrentLure(nullptr);
    TakeDownAnglers();
    if (m_fish)
    {
        m_idle.Remove(&m_fish->GetPopulation());
        m_fish.reset();
    }
    if (m_splash)
    {
        m_splash->Stop();
        for (const QrPointer<QrCamera>& camera : m_cameras)
            if (camera)
                camera->DetachObject(m_splash.Get());
        m_splash->Detach(m_scene.Get());
        m_splash = nullptr;
    }
    for (const QrPointer<QrLight>& light : {m_sun, m_lightA, m_ambientLight})
        if (light)
        {
            light->DetachAffectedNode(m_scene.Get());
            m_scene->DetachChild(light.Get());
        }
    m_lightA = m_ambientLight = m_sun = nullptr;
    if (m_lake)
    {
        m_scene->DetachChild(m_lake.Get());
        m_lake = nullptr;
    }
    if (m_sky)
    {
        // Leaving the day sets the sky above water again before it goes.
        m_sky->SetAboveWater(true);
        for (int i = 0; i < tovSky::kDomeCount; ++i)
            if (QrPointer<qrxSkyDome> dome = m_sky->GetDome(i))
            {
                GetCamera()->DetachObject(dome->GetCameraAction());
                m_scene->GetFirstGroup()->DetachChild(dome.Get());
            }
        m_sky.reset();
    }
    TakeDownCameras();
    if (m_water)
    {
        m_idle.Remove(m_water.Get());
        m_scene->SetWater(nullptr);
        m_water = nullptr;
    }
    m_wakes = nullptr;
    m_scene = nullptr;
    m_below = 0;
    Qr3dsSkinAndBone::FreeSharedBuffers();
    QrTerrainPage::DeleteSharedArrays();
    QrSorter::SetFactory(m_oldSorterFactory ? m_oldSorterFactory : &QrAlphaSorter::Create);
    m_oldSorterFactory = nullptr;
    if (GetWorldServices() == this)
        SetWorldServices(nullptr);
}

void tovFishingWorld::SetCurrentLure(tovLure* lure)
{
    if (!m_scene || lure == m_currentLure.Get())
        return;
    QrPointer<tovLure> keep(lure);
    if (m_currentLure)
        if (qrxKeyFramedModel* model = m_currentLure->GetModel())
        {
            m_idle.Remove(model);
            m_scene->DetachChild(model);
        }
    m_currentLure = keep;
    if (!m_currentLure)
        return;
    if (qrxKeyFramedModel* model = m_currentLure->GetModel())
    {
        m_scene->AttachChild(model);
        m_idle.Add(model);
        model->UpdateAllInstances();
    }
}

void tovFishingWorld::TakeDownCameras()
{
    m_navigator.SetMovedObject(nullptr);
    m_navigator.SetFrameObject(nullptr);
    if (m_headingTracker)
    {
        if (m_modeActions[tovCameraModeAction::kChase])
            m_modeActions[tovCameraModeAction::kChase]->SetHeadingTracker(nullptr);
        m_idle.Remove(m_headingTracker.get());
        m_headingTracker.reset();
    }
    for (size_t i = 0; i < m_cameras.size(); ++i)
    {
        if (!m_cameras[i])
            continue;
        m_cameras[i]->DetachObject(m_modeActions[i].Get());
        m_cameras[i]->DetachObject(m_crossActions[i].Get());
        if (m_water)
            m_cameras[i]->DetachObject(m_water->GetFollowAction());
        m_cameras[i]->SetSceneRoot(nullptr);
        m_cameras[i] = nullptr;
        m_modeActions[i] = nullptr;
        m_crossActions[i] = nullptr;
    }
}

void tovFishingWorld::TakeDownAnglers()
{
    while (!m_anglers.empty())
        RemoveAngler(m_anglers.back().Get());
    m_playerBoat = nullptr;
}

// ---- anglers ----

void tovFishingWorld::AddAngler(tovAnglerRig* rig)
{
    if (!rig || !m_built || std::find(m_anglers.begin(), m_anglers.end(), rig) != m_anglers.end())
        return;
    m_anglers.emplace_back(rig);
    QrPointer<tovBoat> boat = rig->GetBoat();
    if (!boat)
        return;
    m_scene->AttachToGroupA(boat.Get());
    for (int32_t i = 0; i < tovBoat::GetWakeCount(); ++i)
        if (tovWake* wake = boat->GetWake(i))
            m_wakes->AttachChild(wake);
    boat->SetWaveGrid(m_water->GetWaveGrid());
    if (!m_playerBoat && !dynamic_cast<tovComputerRig*>(rig))
    {
        m_playerBoat = boat.Get();
        boat->ResetProbe();
    }
}

void tovFishingWorld::RemoveAngler(tovAnglerRig* rig)
{
    const auto it = std::find(m_anglers.begin(), m_anglers.end(), rig);
    if (it == m_anglers.end())
        return;
    // Held to the end: the list may hold the last reference.
    const QrPointer<tovAnglerRig> keep = *it;
    m_anglers.erase(it);
    if (auto* computer = dynamic_cast<tovComputerRig*>(rig))
        computer->SetWorld(nullptr, 0);
    QrPointer<tovBoat> boat = rig->GetBoat();
    if (!boat)
        return;
    if (m_scene)
        m_scene->DetachChild(boat.Get());
    for (int32_t i = 0; i < tovBoat::GetWakeCount(); ++i)
        if (tovWake* wake = boat->GetWake(i); wake && m_wakes)
            m_wakes->DetachChild(wake);
    boat->SetWaveGrid(nullptr);
    if (m_playerBoat == boat.Get())
        m_playerBoat = nullptr;
}

int32_t tovFishingWorld::FirstBotLocation() const
{
    // A description naming its start before any computer location makes that start the first
    // computer location too; a computer boat there would sit on the player's boat at the start.
    const tovLakeDesc* desc = m_lake ? &m_lake->GetDesc() : nullptr;
    const bool sharesStart = desc && !desc->starts.empty() && desc->bots.size() > 1 &&
                             desc->bots.front()[0] == desc->starts.front()[0] &&
                             desc->bots.front()[1] == desc->starts.front()[1];
    return sharesStart ? 1 : 0;
}

void tovFishingWorld::PlaceAnglers()
{
    int32_t bot = FirstBotLocation();
    for (const QrPointer<tovAnglerRig>& rig : m_anglers)
    {
        if (auto* computer = dynamic_cast<tovComputerRig*>(rig.Get()))
        {
            computer->SetWorld(this, bot);
            if (QrPointer<tovBoat> boat = rig->GetBoat())
            {
                boat->SetPosition(QrPoint3(boat->GetPosition().x, kStartHeight, boat->GetPosition().z));
                boat->SetWaveGrid(m_water->GetWaveGrid());
            }
            ++bot;
        }
        else if (QrPointer<tovBoat> boat = rig->GetBoat(); boat && boat.Get() == m_playerBoat)
            PlaceBoatAtStart(*boat, 0);
    }
}

void tovFishingWorld::AddLoadedAngler(tovAnglerRig* rig, const QrPoint3& position, const QrMatrix3& rotation)
{
    if (!rig || !m_built)
        return;
    const bool joined = std::find(m_anglers.begin(), m_anglers.end(), rig) != m_anglers.end();
    AddAngler(rig);
    if (auto* computer = dynamic_cast<tovComputerRig*>(rig); computer && !joined)
    {
        int32_t bot = FirstBotLocation();
        for (const QrPointer<tovAnglerRig>& other : m_anglers)
            if (other.Get() != rig && dynamic_cast<tovComputerRig*>(other.Get()))
                ++bot;
        // Without its spots a computer angler would sit where it was loaded all day.
        computer->SetWorld(this, bot);
    }
    if (QrPointer<tovBoat> boat = rig->GetBoat())
    {
        boat->SetPosition(QrPoint3(position.x, kStartHeight, position.z));
        boat->SetRotation(rotation);
        // The day's fish are where the player was when the game was saved, not at the start.
        if (boat.Get() == m_playerBoat && m_fish && std::isfinite(position.x) && std::isfinite(position.z))
        {
            PopulateAround(position);
            m_fishStart = -1;
        }
    }
}

void tovFishingWorld::PlaceBoatAtStart(tovBoat& boat, int32_t index)
{
    if (!m_lake || m_lake->GetDesc().starts.empty())
        return;
    const size_t count = m_lake->GetDesc().starts.size();
    const size_t slot = index >= 0 && size_t(index) < count ? size_t(index) : 0;
    double x = 0.0, y = 0.0, heading = 0.0;
    m_lake->GetStartLocation(int32_t(slot), x, y, heading);
    QrPoint3 at;
    m_lake->MapToWorld(x, y, at);
    boat.SetPosition(QrPoint3(at.x, kStartHeight, at.z));
    // The lake's heading looks along -z at 0; the boat's bow is its +z column.
    const double a = (heading + 180.0) * kDegreesToRadians;
    const auto c = float(std::cos(a));
    const auto s = float(std::sin(a));
    boat.SetRotation(QrMatrix3{c, 0.0f, s, 0.0f, 1.0f, 0.0f, -s, 0.0f, c});
    if (m_water)
        boat.SetWaveGrid(m_water->GetWaveGrid());
    // A network player starts at its slot's start: the day's fish go there with it, placed in
    // the sector that answers for the cover and depth there.
    if (&boat == m_playerBoat && m_fish && int32_t(slot) != m_fishStart)
    {
        SwitchSector(m_lake->NearestSectorToPoint(boat.GetPosition()));
        PopulateAroundStart(int32_t(slot));
    }
}

// ---- frame, sectors, cameras ----

void tovFishingWorld::Update(double now, double elapsed)
{
    m_now = now;
    if (!m_built)
        return;
    if (m_cameraMode == tovCameraModeAction::kFree)
        m_navigator.HandleKeys(float(elapsed));
    m_idle.Update(now);
    // A copy: a rig's step may not change the list, but nothing then dangles if it does.
    const std::vector<QrPointer<tovAnglerRig>> rigs = m_anglers;
    for (const QrPointer<tovAnglerRig>& rig : rigs)
        rig->Idle(now, elapsed);
    if (m_sky)
        m_sky->Update();
    m_fish->Update(m_playerBoat ? m_playerBoat->GetPosition() : GetCamera()->GetWorldLocation(), now, elapsed);
    const QrPoint3 view = m_playerBoat ? m_playerBoat->GetPosition() : GetCamera()->GetWorldLocation();
    const int32_t nearest = m_lake->NearestSectorToPoint(view);
    if (nearest >= 0 && nearest != m_lake->GetCurrentSector())
        SwitchSector(nearest);
}

void tovFishingWorld::SwitchSector(int32_t index)
{
    if (!m_built || index < 0 || size_t(index) >= m_lake->GetDesc().sectors.size())
        return;
    const int32_t from = m_lake->GetCurrentSector();
    if (index == from)
        return;
    // Everything that lives in sector coordinates keeps its place on the lake.
    QrPoint3 shift;
    m_lake->ToSectorFrame(from, QrPoint3(), index, shift);
    for (const QrPointer<tovAnglerRig>& rig : m_anglers)
    {
        if (QrPointer<tovBoat> boat = rig->GetBoat())
        {
            boat->SetPosition(boat->GetPosition() + shift);
            for (int32_t i = 0; i < tovBoat::GetWakeCount(); ++i)
                if (tovWake* wake = boat->GetWake(i))
                    wake->MoveOrigin(shift);
        }
        if (auto* computer = dynamic_cast<tovComputerRig*>(rig.Get()))
            computer->MoveOrigin(shift);
        rig->SetCastTarget(rig->GetCastTarget() + shift);
    }
    if (m_currentLure)
        m_currentLure->SetPosition(m_currentLure->GetPosition() + shift);
    QrCamera* free = m_cameras[tovCameraModeAction::kFree].Get();
    const QrPoint3 moved = free->GetTranslate() + shift;
    free->SetTranslate(moved.x, moved.y, moved.z);
    free->UpdateAllInstances();
    m_lake->SetCurrentSector(index);
    m_scene->UpdateAllInstances();
    ReLight();
    SetTerrainError(m_terrainError);
    NoteSectorSwitch();
}

void tovFishingWorld::NoteSectorSwitch()
{
    m_switchTime = m_now - 0.01;
}

void tovFishingWorld::RestoreTerrain()
{
    if (!m_built || m_lake->GetCurrentSector() < 0)
        return;
    m_lake->ReloadCurrentSector();
    m_scene->UpdateAllInstances();
    ReLight();
    SetTerrainError(m_terrainError);
}

void tovFishingWorld::SetTerrainError(float tolerance)
{
    if (!std::isfinite(tolerance) || tolerance < 0.0f)
        tolerance = kDefaultTerrainError;
    m_terrainError = tolerance;
    if (m_lake && m_lake->GetTerrainSector())
        m_lake->GetTerrainSector()->SetTerrainError(GetCamera(), tolerance);
}

QrCamera* tovFishingWorld::GetCamera() const
{
    return m_cameras[size_t(m_cameraMode)].Get();
}

QrCamera* tovFishingWorld::GetCameraAt(int32_t mode) const
{
    return mode >= 0 && mode < kCameraCount ? m_cameras[size_t(mode)].Get() : nullptr;
}

void tovFishingWorld::SetCamera(int32_t mode)
{
    if (!m_built || mode < 0 || mode >= kCameraCount || mode == m_cameraMode)
        return;
    QrCamera* old = GetCamera();
    QrCamera* next = m_cameras[size_t(mode)].Get();
    if (m_playerBoat)
        m_modeActions[size_t(mode)]->Place(*next, *m_playerBoat, this);
    // The free camera flies on from the view the player had, not from the lake's origin.
    if (mode == tovCameraModeAction::kFree)
    {
        next->GetTranslate() = old->GetTranslate();
        next->GetRotate() = old->GetRotate();
        next->UpdateAllInstances();
    }
    const bool wasBelow = old->GetWorldLocation().y < 0.0f;
    const bool below = next->GetWorldLocation().y < 0.0f;
    // The domes and the splash follow the current camera.
    for (int i = 0; i < tovSky::kDomeCount; ++i)
    {
        old->DetachObject(m_sky->GetDome(i)->GetCameraAction());
        m_sky->GetDome(i)->AttachToCamera(next);
    }
    old->DetachObject(m_splash.Get());
    next->AttachObject(m_splash.Get());
    m_cameraMode = mode;
    if (below != wasBelow)
        SetUnderwater(below);
    SetTerrainError(m_terrainError);
}

void tovFishingWorld::SetUnderwater(bool below)
{
    m_below = below ? 1 : 0;
    if (!m_scene)
        return;
    m_scene->SetUnderwater(below);
    ShowBelowWaterGroup(below);
    if (m_water)
        m_water->SetUnderwater(below);
    for (const QrPointer<tovAnglerRig>& rig : m_anglers)
    {
        if (QrPointer<tovBoat> boat = rig->GetBoat())
            for (int32_t i = 0; i < tovBoat::GetWakeCount(); ++i)
                if (tovWake* wake = boat->GetWake(i))
                    wake->SetUnderwater(!below);
        // Only the local angler's line is in the scene; the others' switch unseen.
        if (QrPointer<tovTackle> tackle = rig->GetTackle())
            tackle->SetLineUnderwater(below);
    }
    if (m_sky)
        m_sky->SetAboveWater(!below);
    if (m_lightA)
        m_lightA->SetOn(m_below);
    if (m_lake && m_lake->GetTerrainSector())
        m_lake->SetUnderwaterState(below ? 100.0f : 1.0f);
    ApplyCameraRange();
}

void tovFishingWorld::ShowBelowWaterGroup(bool show)
{
    // Seen from above, the plants and models under the surface add a handful of pixels through
    // the water for a sixth of the frame's drawing: they are drawn only from below.
    if (m_scene && m_scene->GetGroupB())
        m_scene->GetGroupB()->SetAppCulled(show ? 0 : 1);
}

void tovFishingWorld::ApplyCameraRange()
{
    for (const QrPointer<QrCamera>& camera : m_cameras)
    {
        if (!camera)
            continue;
        camera->GetFrustum()[QrCamera::kNear] = m_below ? kNearBelow : kNearAbove;
        camera->GetFrustum()[QrCamera::kFar] = m_below ? kFarBelow : kFarAbove;
        // The culling planes follow the new range at once: the switch comes in the middle of
        // a frame, and a camera left standing would cull with the old planes.
        camera->UpdateAllInstances();
    }
}

void tovFishingWorld::SetLightAPosition(const QrPoint3& position)
{
    if (!m_lightA || !std::isfinite(position.x) || !std::isfinite(position.y) || !std::isfinite(position.z))
        return;
    m_lightA->SetTranslate(position.x, position.y, position.z);
    m_lightA->UpdateAllInstances();
}

// ---- queries ----

float tovFishingWorld::GroundHeight(const QrPoint3& world)
{
    return std::as_const(*this).GroundHeight(world);
}

bool tovFishingWorld::IsOnLake(const QrPoint3& world)
{
    return std::as_const(*this).IsOnLake(world);
}

float tovFishingWorld::GroundHeight(const QrPoint3& world) const
{
    return m_lake ? m_lake->GroundHeight(world) : 0.0f;
}

bool tovFishingWorld::IsOnLake(const QrPoint3& world) const
{
    return m_lake && m_lake->IsOnLake(world);
}

tovBoat* tovFishingWorld::GetBoat(int32_t index)
{
    int32_t i = 0;
    for (const QrPointer<tovAnglerRig>& rig : m_anglers)
        if (QrPointer<tovBoat> boat = rig->GetBoat())
            if (i++ == index)
                return boat.Get();
    return nullptr;
}

tovWeather* tovFishingWorld::GetWeather()
{
    return m_sky ? m_sky->GetWeather() : nullptr;
}

const tovWeather* tovFishingWorld::GetWeather() const
{
    return m_sky ? m_sky->GetWeather() : nullptr;
}

std::unique_ptr<tovBoatProbe> tovFishingWorld::CreateBoatProbe()
{
    return std::make_unique<tovFishingBoatProbe>();
}

float tovFishingWorld::GetPopulationDensity(const QrPoint3& world) const
{
    return m_lake ? m_lake->GetPopulationDensity(world) : 0.0f;
}

void tovFishingWorld::QueryPopulation(const QrPoint3& world, float& a, float& b, float& c, float& d) const
{
    a = b = c = d = 0.0f;
    if (m_lake)
        m_lake->QueryPopulation(world, a, b, c, d);
}

QrPoint3 tovFishingWorld::WorldToMap(const QrPoint3& world) const
{
    if (!m_lake)
        return world;
    double x = 0.0, y = 0.0;
    m_lake->WorldToMap(world, x, y);
    return QrPoint3(float(x), world.y, float(y));
}

QrPoint3 tovFishingWorld::MapToWorld(const QrPoint3& map) const
{
    if (!m_lake)
        return map;
    QrPoint3 world;
    m_lake->MapToWorld(map.x, map.z, world);
    world.y = map.y;
    return world;
}

void tovFishingWorld::SetSpecies(const std::array<std::array<float, 3>, 17>& triples)
{
    m_species = triples;
}

float tovFishingWorld::GetSpeciesShare(int32_t species) const
{
    return species >= 0 && species < 17 ? m_species[size_t(species)][2] : 0.0f;
}

void tovFishingWorld::GetSpeciesBounds(int32_t species, float& bound1, float& bound2) const
{
    const bool known = species >= 0 && species < 17;
    bound1 = known ? m_species[size_t(species)][0] : 0.0f;
    bound2 = known ? m_species[size_t(species)][1] : 0.0f;
}

void tovFishingWorld::GetBotLocation(int32_t i, double& x, double& z, double& heading) const
{
    x = z = heading = 0.0;
    if (!m_lake || m_lake->GetDesc().bots.empty())
        return;
    const size_t count = m_lake->GetDesc().bots.size();
    const size_t slot = i >= 0 && size_t(i) < count ? size_t(i) : 0;
    double mapX = 0.0, mapY = 0.0, lakeHeading = 0.0;
    m_lake->GetBotLocation(int32_t(slot), mapX, mapY, lakeHeading);
    QrPoint3 world;
    m_lake->MapToWorld(mapX, mapY, world);
    x = world.x;
    z = world.z;
    // The anglers count headings from +z; the lake's look along -z at 0.
    heading = std::fmod(lakeHeading + 180.0, 360.0);
}
