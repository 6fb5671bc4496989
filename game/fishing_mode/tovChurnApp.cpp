#include "tovChurnApp.h"

#include "tovAppServices.h"
#include "tovBoat.h"
#include "tovCastController.h"
#include "tovDebugOverlay.h"
#include "tovFishingHooks.h"
#include "tovFishingHud.h"
#include "tovFishingWorld.h"
#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovLake.h"
#include "tovLakeCatalogue.h"
#include "tovLocalRig.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"
#include "tovMotorSound.h"
#include "tovNetFacade.h"
#include "tovNetPhases.h"
#include "tovScreenDistance.h"
#include "tovSessionHooks.h"
#include "tovShellButton.h"
#include "tovSky.h"
#include "tovSoundSettings.h"
#include "tovTackleSet.h"
#include "tovUserProfile.h"
#include "tovWaitingBanner.h"
#include "tovWeather.h"

#include "ButtonObj.h"
#include "FrameRateMeter.h"
#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrRender.h"
#include "qrxAmbientSound.h"
#include "qrxBaseApp.h"

#include "ButtonObj.h"
#include "Font.h"
#include "KeyNumbers.h"
#include "qrxFloatingText.h"
#include "tovFishingKeys.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace
{

tovChurnApp* g_instance = nullptr;

constexpr uint32_t kClickSound = 6183;
constexpr int32_t kBarY = 440;
constexpr float kViewWidth = 640.0f;
constexpr float kViewHeight = 480.0f;
// The frame-rate digits' lower left corner, in pixels from the view's left and bottom edges.
constexpr float kMeterLeft = 4.0f;
constexpr float kMeterBottom = kViewHeight - static_cast<float>(kBarY - 4);
// Miles a map cell spans, and the ride's speed where a lake gives none.
constexpr float kMilesPerCell = 0.0006214f * 30.0f;
constexpr int32_t kUsualTravelSpeed = 30;
constexpr float kTerrainErrorStep = 0.05f;

enum ButtonId : int32_t
{
    kStartBoatButton = 1,
    kLiveWellButton,
    kTackleButton,
    kTravelMapButton,
    kLakeInfoButton,
    kMenuButton,
};

int32_t Trunc(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int32_t>(std::clamp(std::trunc(value), -2147483648.0, 2147483647.0));
}

tovLocalRig* LocalRig()
{
    tovGameSession* session = TheGameSession();
    if (!session)
        return nullptr;
    QrPointer<tovAnglerRigBase> current = session->GetCurrentAngler();
    return dynamic_cast<tovLocalRig*>(current.Get());
}

bool Pressed(uint8_t key)
{
    return qrxKeyMapper::GetKeysActive() && qrxKeyMapper::WasKeyPressed(key);
}

} // namespace

tovChurnApp::tovChurnApp() : m_hud(std::make_unique<tovFishingHud>()), m_overlay(std::make_unique<tovDebugOverlay>())
{
    g_instance = this;
}

tovChurnApp::~tovChurnApp()
{
    if (m_meter)
        m_meter->Destroy();
    if (g_instance == this)
        g_instance = nullptr;
}

tovChurnApp* tovChurnApp::GetInstance()
{
    return g_instance;
}

void tovChurnApp::BeginGame()
{
    if (tovGameSession* session = TheGameSession())
        GetFishingModeHooks().BeginGame(*session);
}

void tovChurnApp::EndGame()
{
    GetFishingModeHooks().EndGame();
}

void tovChurnApp::Prepare(int32_t)
{
    m_nextScreen = 0;
}

void tovChurnApp::Enter(int32_t previousId)
{
    m_returnScreen = previousId;
    m_nextScreen = 0;
    tovGameSession* session = TheGameSession();
    tovFishingWorld* world = GetFishingWorld();
    if (session && world && world->IsBuilt())
    {
        // A loaded game's rigs are made after the world was built.
        for (const auto& angler : session->GetAnglers())
        {
            auto* rig = dynamic_cast<tovAnglerRig*>(angler.Get());
            const auto& inWorld = world->GetAnglers();
            if (rig && std::none_of(inWorld.begin(), inWorld.end(), [rig](const auto& r) { return r.Get() == rig; }))
                world->AddAngler(rig);
        }
        if (session->m_resumed)
            session->m_resumed = false;
        world->SetCamera(world->GetCameraMode());
        if (tovLocalRig* rig = LocalRig(); rig && !m_cast)
            m_cast = std::make_unique<tovCastController>(*world, *rig, TheUserProfile(), TheTackleSet());
        if (m_cast)
            m_cast->LoadTackleSet();
    }
    // The day begins on the first entry; the other fishing pages come back here mid-day. A
    // network client that comes before the host waits here for the host's day and weather, so
    // that its first frame on the lake is already under the host's sky.
    if (!m_entered && IsNetworkLaunch())
    {
        NetSetLocalPhase(kInDayPhase);
        if (!NetSyncPhase(kDayParamsPhase))
            WaitForHostDay();
    }
    // A day entered has its end to come, even on a clock that is already past it (a network
    // client that comes after the host's day ran out).
    if (!m_entered)
        m_dayOver = false;
    m_entered = true;
    LoadGroup(tovFishingHud::kGroup);
    m_hud->LoadPictures();
    if (!m_meter)
    {
        m_meter = std::make_unique<FrameRateMeter>();
        // Glyphs at their own size above the button bar: squeezed into the window's corner they lost rows.
        m_meter->SetLayout(kMeterLeft / kViewWidth, kMeterBottom / kViewHeight,
                           FrameRateMeter::kGlyphWidth / kViewWidth, FrameRateMeter::kGlyphHeight / kViewHeight,
                           1.0f / kViewWidth);
        m_meter->SetColor(0.7f, 0.7f, 0.7f, 1.0f);
    }
    AttachMeter();
    AddButtons();
    ShowAppCursor(true);
    TheGameClock().SetFlags(TheGameClock().GetFlags() | tovGameClockBase::kRunning);
}

void tovChurnApp::WaitForHostDay()
{
    // The banner stays up through the wait, under the box that Escape raises.
    tovWaitingBanner::Wait([] { return NetWaitForHostPhase(kDayParamsPhase); }, true);
}

void tovChurnApp::Leave(int32_t)
{
    // Stopped off the lake for a player alone; a network day runs on for everyone, on every page.
    if (!IsNetworkGame())
        TheGameClock().SetFlags(TheGameClock().GetFlags() & ~tovGameClockBase::kRunning);
    ClearButtons();
    m_hud->ReleasePictures();
    m_rodSetPicture = nullptr;
    UnloadGroup(tovFishingHud::kGroup);
    tovFishingWorld* world = GetFishingWorld();
    if (!world || !world->IsBuilt())
        return;
    if (tovBoat* boat = world->GetPlayerBoat())
    {
        // A transition that ends while another screen is up must not start a loop there.
        tovMotorSound::SetStopping(true);
        boat->StopMotorSounds();
    }
    // The other pages show the sky above water; entering again tests the camera afresh.
    if (world->IsUnderwater())
        world->SetUnderwater(false);
    if (world->GetCamera())
        world->GetCamera()->SetDisplay(nullptr);
}

void tovChurnApp::Exit(int32_t nextId)
{
    m_nextScreen = 0;
    if (nextId != kLivewellScreen && nextId != kTackleBoxScreen && nextId != kTravelMapScreen &&
        nextId != kLakeInfoScreen && nextId != kHelpScreen)
    {
        NetSendLeftFishing();
        m_entered = false;
        DropCastController();
    }
}

void tovChurnApp::DropCastController()
{
    m_cast.reset();
}

void tovChurnApp::HandleRodInput()
{
    if (!m_cast)
        return;
    const plat::Point at = GetMousePos();
    // The bottom bar's clicks belong to its buttons; while a panel over the screen holds the
    // pointer (the buttons are off), none are the rod's.
    if (at.y >= kBarY || !ButtonObj::GetButtonsActive())
        return;
    const auto bits = [this](bool (qrxMouse::*test)(int) const) {
        return ((this->*test)(0) ? tovCastController::kLeft : 0u) | ((this->*test)(1) ? tovCastController::kRight : 0u);
    };
    m_cast->OnMouse(at.x, at.y, bits(&qrxMouse::WasButtonPressed), bits(&qrxMouse::WasButtonReleased),
                    bits(&qrxMouse::IsButtonDown));
}

void tovChurnApp::AddButtons()
{
    struct Row
    {
        int32_t id;
        int32_t x;
        std::function<void()> action;
    };
    // From x 24: the frame-rate meter's digits sit in the corner below the first button.
    const Row rows[] = {
        {kStartBoatButton, 24,
         []
         {
             if (tovLocalRig* rig = LocalRig())
                 rig->IsMotorRunning() ? rig->StopMotor() : rig->StartMotor();
         }},
        {kLiveWellButton, 128, [this] { m_nextScreen = kLivewellScreen; }},
        {kTackleButton, 232,
         [this]
         {
             // Another rod's lure must not replace the one out: a lure out with no fish on comes
             // home first; with a fish on the box stays shut, as the rod keys refuse.
             if (m_cast && !m_cast->IsRodFree() && !m_cast->ReelInNow())
                 return;
             m_nextScreen = kTackleBoxScreen;
         }},
        {kTravelMapButton, 336,
         [this]
         {
             // The map may move the boat: a lure out with no fish on comes home first, or the
             // line would run across the lake to it.
             if (m_cast)
                 m_cast->ReelInNow();
             m_nextScreen = kTravelMapScreen;
         }},
        {kLakeInfoButton, 440, [this] { m_nextScreen = kLakeInfoScreen; }},
        {kMenuButton, 544,
         [this]
         {
             if (AllowsEscape())
                 m_nextScreen = kMainMenuScreen;
         }},
    };
    for (const Row& row : rows)
    {
        const uint32_t picture = tovFishingHud::kFirstButtonPicture + 2 * static_cast<uint32_t>(row.id - 1);
        auto* button = new tovShellButton(row.x, kBarY, picture, picture + 1, kClickSound, row.action);
        if (row.id == kMenuButton)
            button->SetPicture(ButtonObj::kDisabled, Picture(tovFishingHud::kMenuRefusedPicture).Get());
        if (row.id == kStartBoatButton)
        {
            // Pushed in while the motor runs.
            button->SetPicture(ButtonObj::kSelected, Picture(tovFishingHud::kMotorRunningPicture).Get());
            button->SetPicture(ButtonObj::kSelectedHighlight, Picture(tovFishingHud::kMotorRunningPicture + 1).Get());
        }
        if (!AddButton(button, row.id))
            delete button;
    }
}

bool tovChurnApp::IsMotorButtonDown() const
{
    const ButtonObj* button = GetButton(kStartBoatButton);
    return button && button->ChoosePicture() == button->GetPicture(ButtonObj::kSelected) &&
           button->GetPicture(ButtonObj::kSelected) != nullptr;
}

bool tovChurnApp::IsMenuButtonGreyed() const
{
    const ButtonObj* button = GetButton(kMenuButton);
    return button && button->GetPicture(ButtonObj::kDisabled) != nullptr &&
           button->ChoosePicture() == button->GetPicture(ButtonObj::kDisabled);
}

bool tovChurnApp::UpdateTackleButtons()
{
    if (m_cast && (!m_rodSetPicture || m_rodSetPictureId != m_cast->GetRodSetPictureId()))
    {
        m_rodSetPictureId = m_cast->GetRodSetPictureId();
        m_rodSetPicture = m_rodSetPictureId > 0 ? Picture(static_cast<uint32_t>(m_rodSetPictureId)) : nullptr;
    }
    tovLocalRig* rig = LocalRig();
    bool allowed = true;
    if (rig && m_cast && m_cast->GetPhase() >= tovCastController::kFlight)
        allowed = false;
    else if (rig)
        allowed = rig->GetMode() < tovAnglerRig::kModeCasting || rig->GetMode() > tovAnglerRig::kModeReleasing;
    // The menu button shows when it would be refused (a lure out, a fish on), not only ignores the click.
    if (ButtonObj* menu = GetButton(kMenuButton))
        menu->m_disabled = allowed ? 0 : 1;
    return allowed;
}

bool tovChurnApp::AllowsEscape()
{
    return UpdateTackleButtons();
}

void tovChurnApp::HandleKeys(float now)
{
    tovFishingWorld* world = GetFishingWorld();
    if (world && !world->IsBuilt())
        world = nullptr;
    tovLocalRig* rig = LocalRig();
    // The catch box has the keep and release keys.
    const bool catchOpen = m_cast && (m_cast->GetPhase() == tovCastController::kCatchBox || m_cast->NeedsLivewell());
    const bool ctrl = qrxKeyMapper::IsKeyDown(plat::kKeyLeftCtrl) || qrxKeyMapper::IsKeyDown(plat::kKeyRightCtrl);
    for (const tovFishingKey& row : FishingKeys())
    {
        if (!row.fishingScreen || row.key == 0 || (row.ctrl && !ctrl) || !Pressed(row.key))
            continue;
        if (RunRodKey(row) || (world && RunCameraKey(row, *world)))
            continue;
        if (rig && !catchOpen)
            RunDrivingKey(row, *rig, now);
    }
}

bool tovChurnApp::RunRodKey(const tovFishingKey& row)
{
    using A = tovFishingAction;
    int32_t code = 0;
    switch (row.action)
    {
    case A::kRod:
        m_rodSetPicture = nullptr;
        code = tovCastController::kKeyRod1 + row.argument;
        break;
    case A::kDragUp:
        code = tovCastController::kKeyDragUp;
        break;
    case A::kDragDown:
        code = tovCastController::kKeyDragDown;
        break;
    case A::kKeep:
        code = tovCastController::kKeyKeep;
        break;
    case A::kRelease:
        code = tovCastController::kKeyRelease;
        break;
    default:
        return false;
    }
    if (m_cast)
        m_cast->OnKey(code);
    // Keep and release share their keys with driving keys, which still run.
    return row.action != A::kKeep && row.action != A::kRelease;
}

bool tovChurnApp::RunCameraKey(const tovFishingKey& row, tovFishingWorld& world)
{
    using A = tovFishingAction;
    switch (row.action)
    {
    case A::kCamera:
        if (row.argument < tovFishingWorld::kCameraCount)
            world.SetCamera(row.argument);
        return true;
    case A::kNextCamera:
        world.SetCamera((world.GetCameraMode() + 1) % tovFishingWorld::kCameraCount);
        return true;
    case A::kDebugPage:
        m_overlay->NextPage();
        return true;
    // The terrain's detail up and down, to look at its levels.
    case A::kTerrainFiner:
        world.SetTerrainError(std::max(0.0f, world.GetTerrainError() - kTerrainErrorStep));
        return true;
    case A::kTerrainCoarser:
        world.SetTerrainError(world.GetTerrainError() + kTerrainErrorStep);
        return true;
    // A front comes in now, to watch the weather turn.
    case A::kWeatherFront:
        if (tovSky* sky = world.GetSky(); sky && sky->GetWeather())
            sky->GetWeather()->BeginMajorEvent();
        return true;
    default:
        return false;
    }
}

void tovChurnApp::RunDrivingKey(const tovFishingKey& row, tovLocalRig& rig, float now)
{
    using A = tovFishingAction;
    static constexpr struct
    {
        A action;
        int32_t command;
    } kThrottle[] = {
        {A::kThrottleUp, tovLocalRig::kThrottleUp},
        {A::kThrottleDown, tovLocalRig::kThrottleDown},
        {A::kReverse, tovLocalRig::kThrottleReverse},
        {A::kIdle, tovLocalRig::kThrottleIdle},
    };
    for (const auto& t : kThrottle)
        if (t.action == row.action)
        {
            // Only M and the motor button start the motor; a dead lever says so.
            if (!rig.IsMotorRunning() && t.command != tovLocalRig::kThrottleIdle)
                ShowNotice(kMotorOffText, now);
            rig.Throttle(t.command);
            return;
        }
    static constexpr struct
    {
        A action;
        int32_t command;
    } kTrolling[] = {
        {A::kTrollingForward, tovTrollingMotor::kForward}, {A::kTrollingBack, tovTrollingMotor::kBack},
        {A::kTrollingLeft, tovTrollingMotor::kLeft},       {A::kTrollingRight, tovTrollingMotor::kRight},
        {A::kTrollingSlower, tovTrollingMotor::kSlower},   {A::kTrollingOff, tovTrollingMotor::kOff},
    };
    for (const auto& t : kTrolling)
        if (t.action == row.action)
        {
            rig.TrollingCommand(t.command);
            return;
        }
    switch (row.action)
    {
    case A::kSteerLeft:
        rig.Steer(-tovLocalRig::kSteeringStep);
        break;
    case A::kSteerRight:
        rig.Steer(tovLocalRig::kSteeringStep);
        break;
    case A::kCentreWheel:
        rig.CentreWheel();
        break;
    case A::kTrimUp:
        rig.Trim(tovLocalRig::kTrimStep);
        break;
    case A::kTrimDown:
        rig.Trim(-tovLocalRig::kTrimStep);
        break;
    case A::kMotor:
        rig.IsMotorRunning() ? rig.StopMotor() : rig.StartMotor();
        break;
    case A::kStandOrSit:
        rig.GetMode() == tovAnglerRig::kModeDriving || rig.GetMode() == tovAnglerRig::kModeSeated ? rig.StandToFish()
                                                                                                  : rig.SitToDrive();
        break;
    case A::kTrollingLower:
        rig.LowerTrollingMotor();
        break;
    case A::kTrollingRaise:
        rig.RaiseTrollingMotor();
        break;
    default:
        break;
    }
}

void tovChurnApp::ShowNotice(const char* text, float now)
{
    m_notice = text;
    m_noticeUntil = now + kNoticeSeconds;
}

const char* tovChurnApp::GetNotice(float now) const
{
    return m_notice && now < m_noticeUntil ? m_notice : nullptr;
}

void tovChurnApp::DrawNotice(float now)
{
    const char* text = GetNotice(now);
    if (!text)
        return;
    if (!m_noticeText)
    {
        m_noticeFont = plat::Font::Create("Verdana", 22, 700);
        if (!m_noticeFont)
            return;
        m_noticeText = std::make_unique<qrxFloatingText>(m_noticeFont.get(), plat::MakeColorRef(255, 240, 120));
        m_noticeShadow = std::make_unique<qrxFloatingText>(m_noticeFont.get(), plat::MakeColorRef(0, 0, 0));
    }
    // Above the angler and the horizon, clear of the instruments; a shadow keeps it readable on
    // sky and water alike.
    m_noticeShadow->DrawBoxedText(82, 112, 562, 152, text, nullptr);
    m_noticeText->DrawBoxedText(80, 110, 560, 150, text, nullptr);
}

void tovChurnApp::AttachMeter()
{
    tovFishingWorld* world = GetFishingWorld();
    QrCamera* first = world && world->IsBuilt() ? world->GetCameraAt(0) : nullptr;
    if (!m_meter || !first || first == m_meterCamera.Get())
        return;
    // Cameras cannot let screen polygons go: one set of digits per world, on every camera.
    m_meterCamera = first;
    m_meter->Create(true);
    // Blank digits from the first frame: new digits carry no glyph and would draw as blocks.
    m_meter->Draw();
    for (int32_t mode = 0; mode < tovFishingWorld::kCameraCount; ++mode)
        m_meter->AttachTo(world->GetCameraAt(mode));
}

void tovChurnApp::PreUpdate(float elapsed)
{
    qrxInterface::PreUpdate(elapsed);
    if (IsMessageBoxRaised())
        return;
    HandleKeys(m_now);
    HandleRodInput();
}

void tovChurnApp::RenderWorld(tovFishingWorld& world, float now, float elapsed)
{
    QrCamera* camera = world.GetCamera();
    QrDisplay* display = GetAppServices().GetDisplay();
    if (!camera || !display)
        return;
    tovSky* sky = world.GetSky();
    Renderer()->SetBackgroundColor(sky ? sky->GetBlendingColour() : QrPoint3(0.45f, 0.55f, 0.65f));
    if (camera->GetDisplay() != display)
        camera->SetDisplay(display);
    // Colour and depth every frame: a kept depth buffer fails the still scenery from the second
    // frame on, and what is not drawn over keeps the last frame's pixels.
    camera->SetViewportFromDisplay(3);
    camera->RenderFrame(now, elapsed);
    display->EndFrame();
}

void tovChurnApp::DrawOverlays(float now, float elapsed)
{
    tovFishingWorld* world = GetFishingWorld();
    m_hud->Draw(tovFishingHud::Read(world, m_cast.get()));
    if (m_cast)
        m_cast->Draw(Renderer());
    if (ButtonObj* motor = GetButton(kStartBoatButton))
    {
        const tovLocalRig* rig = LocalRig();
        motor->SetSelected(rig && rig->IsMotorRunning());
    }
    DrawButtons();
    DrawNotice(now);
    DrawRodSet();
    if (m_meter)
    {
        m_meter->Sample();
        m_meter->Draw();
    }
    UpdateMessageScreen(now, elapsed);
    tovDebugOverlay::Sources sources;
    sources.world = world;
    sources.cast = m_cast.get();
    sources.ambient = GetAppServices().GetAmbientSound();
    sources.framesPerSecond = m_meter ? m_meter->GetFramesPerSecond() : 0;
    m_overlay->Draw(sources);
}

void tovChurnApp::DrawRodSet()
{
    UpdateTackleButtons();
    // Over the tackle button.
    if (m_rodSetPicture)
        DrawPicture(m_rodSetPicture.Get(), 236, kBarY - 24);
}

int32_t tovChurnApp::TimeToReturn(double secondsLeft, int32_t cellsToDock, int32_t travelSpeed)
{
    const int32_t speed = travelSpeed > 0 ? travelSpeed : kUsualTravelSpeed;
    const float miles = static_cast<float>(std::max(cellsToDock, 0)) * kMilesPerCell;
    // Whole minutes, as the travel map counts them; a lake's hostile numbers stay within a day.
    const int32_t minutes = Trunc(std::min(miles / static_cast<float>(speed) * 60.0f, 1.0e6f));
    return Trunc(std::clamp(secondsLeft, -1.0e9, 1.0e9)) - 60 * minutes;
}

int32_t tovChurnApp::CellsToDock(tovFishingWorld& world)
{
    tovBoat* boat = world.GetPlayerBoat();
    tovLake* lake = world.GetLake();
    if (!boat || !lake)
        return 0;
    int32_t column = 0;
    int32_t row = 0;
    lake->WorldToMapCell(boat->GetPosition(), column, row);
    const tovLakeValues& values = TheLakeCatalogue().GetValues();
    return ScreenDistance(column, row, values.valueB, values.valueC);
}

int32_t tovChurnApp::CheckDay()
{
    // No day without a game: the screen opened on its own keeps still.
    tovFishingWorld* world = GetFishingWorld();
    if (!world || !world->IsBuilt())
        return 0;
    tovGameClock& clock = TheGameClock();
    const double left = clock.GetRemaining();
    // A new day (or a loaded game) puts the clock back. The host's clock sets a network
    // client's back by seconds: that is the same day, already warned.
    if (left > m_lastLeft)
    {
        if (left > m_lastLeft + kNewDayJumpSeconds)
            m_warned = false;
        m_dayOver = false;
    }
    m_lastLeft = left;
    // The hour is the hour left to fish once the ride back to the dock is taken off.
    const int32_t toReturn = TimeToReturn(left, CellsToDock(*world), TheLakeCatalogue().GetValues().valueA);
    RemainingTime() = std::max(0, toReturn);
    // The warning waits for a question on the screen (a catch) to be answered.
    if (!m_warned && toReturn <= Trunc(kWarningSeconds) && left > 0.0 && !IsMessageBoxRaised())
    {
        m_warned = true;
        ShowMessage(kMessageOk, nullptr, 0, kWarningText);
    }
    if (left > 0.0 || m_dayOver)
        return 0;
    m_dayOver = true;
    RemainingTime() = 0;
    // A catch question still up goes with the day: nothing is left to answer it. So does the
    // hour's warning, which would stand over the weigh-in and the results.
    const tovMessageIFace* box = tovMessageIFace::GetInstance();
    const bool warningUp = box && box->GetText() == kWarningText;
    const bool catchUp = m_cast && m_cast->GetPhase() == tovCastController::kCatchBox;
    if (IsMessageBoxRaised() && (warningUp || catchUp))
        ShowMessageScreen(false);
    tovGameSession* session = TheGameSession();
    if (session)
        session->SetDayOver();
    const int32_t mode = session ? session->GetMode() : tovGameSession::kQuickFish;
    if (mode == tovGameSession::kTournament || mode == tovGameSession::kSeason)
        return kWeighInScreen;
    ShowMessage(kMessageOk, nullptr, 0, kDayOverText);
    return kMainMenuScreen;
}

tovChurnApp::FrameClock tovChurnApp::GetFrameClock()
{
    // No application steps a frame: the lake stands still.
    const qrxBaseApp* app = qrxBaseApp::GetCurrentApp();
    return app ? FrameClock{app->GetFrameTime(), app->GetFrameElapsed()} : FrameClock{};
}

int32_t tovChurnApp::Update(float now, float elapsed)
{
    m_now = now;
    NetUpdate(now, elapsed);
    const FrameClock frame = GetFrameClock();
    tovFishingWorld* world = GetFishingWorld();
    if (world && world->IsBuilt())
    {
        world->Update(frame.time, frame.step);
        if (m_cast)
            m_cast->Update(frame.time, frame.step);
        // A sixth fish kept: the livewell screen takes one back before play goes on.
        if (m_cast && m_cast->NeedsLivewell())
            m_nextScreen = kLivewellScreen;
        if (CanDraw())
            RenderWorld(*world, now, elapsed);
    }
    if (CanDraw())
    {
        DrawOverlays(now, elapsed);
        Present();
    }
    if (const int32_t next = CheckDay(); next != 0)
    {
        m_nextScreen = next;
    }
    return m_nextScreen;
}
