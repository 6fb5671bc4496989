#pragma once
// The fishing screen (screen 2): runs the fishing world every frame through the current
// camera, with the boat's keys, the camera modes, the head-up display, the frame-rate meter,
// the buttons to the other fishing pages and the day's clock checks (the one-hour warning and
// the end of the day).

#include "tovShellIFace.h"

#include "QrCamera.h"
#include "QrImage.h"

#include <cstdint>
#include <memory>

class FrameRateMeter;
class tovCastController;
class tovDebugOverlay;
class tovFishingHud;
class tovFishingWorld;
class tovLocalRig;
class qrxFloatingText;
struct tovFishingKey;
namespace plat
{
class Font;
}

class tovChurnApp : public tovShellIFace
{
public:
    static constexpr int32_t kId = 2;
    static constexpr int32_t kLivewellScreen = 3;
    static constexpr int32_t kMainMenuScreen = 8;
    static constexpr int32_t kTackleBoxScreen = 9;
    static constexpr int32_t kWeighInScreen = tovAppServices::kWeighInId;
    static constexpr int32_t kTravelMapScreen = 12;
    static constexpr int32_t kHelpScreen = 22;
    static constexpr int32_t kLakeInfoScreen = 23;
    static constexpr double kWarningSeconds = 3600.0;
    // A clock put back by more than this is a new day (or a loaded game), not a correction.
    static constexpr double kNewDayJumpSeconds = 1800.0;
    static constexpr const char* kWarningText = "You have less than one hour to return to the dock!";
    static constexpr const char* kDayOverText = "Your fishing day is over.";
    static constexpr const char* kMotorOffText = "The motor is off: press M";
    static constexpr float kNoticeSeconds = 3.0f;

    tovChurnApp();
    ~tovChurnApp() override;

    // The one instance, or null.
    static tovChurnApp* GetInstance();

    // Through the program's fishing-mode hooks: the world for the session, and its end.
    static void BeginGame();
    static void EndGame();

    void Prepare(int32_t previousId) override;
    void Enter(int32_t previousId) override;
    void Leave(int32_t ownId) override;
    void Exit(int32_t nextId) override;
    void PreUpdate(float elapsed) override;
    // The lake and the cast step on the application's frame clock, never on the float copies
    // handed in here (those round by how long the program has run).
    int32_t Update(float now, float elapsed) override;
    // Posted lines stand over the sky: under the notices and the waiting banner, left of the line
    // gauge, above the busy picture.
    plat::Rect PostedTextBand() const override { return {4, 176, 536, 204}; }
    bool AllowsEscape() override;

    // Refreshes the buttons; true when the help picture (H) and Escape may leave the screen.
    bool UpdateTackleButtons();

    // The clock's checks of one frame: RemainingTime, the warning once, and the next screen at
    // the day's end (0 while the day runs).
    int32_t CheckDay();
    bool WasWarningShown() const { return m_warned; }
    // The rod in the player's hands while a day runs; null otherwise.
    tovCastController* GetCastController() const { return m_cast.get(); }
    // Before the world it works on goes.
    void DropCastController();
    // Game seconds left once the ride back to the dock at the lake's travel speed is taken off;
    // never more than the seconds left.
    static int32_t TimeToReturn(double secondsLeft, int32_t cellsToDock, int32_t travelSpeed);
    // Whole map cells from the local boat to the lake's dock cell; 0 without a boat or lake.
    static int32_t CellsToDock(tovFishingWorld& world);
    tovDebugOverlay& GetDebugOverlay() { return *m_overlay; }
    // The line shown over the water at this time (a dead throttle's), or null.
    const char* GetNotice(float now) const;
    // The motor button shows its pushed-in picture.
    bool IsMotorButtonDown() const;
    // The menu button shows its greyed picture.
    bool IsMenuButtonGreyed() const;

private:
    // The frame being stepped, in full precision: its time and the time since the last one,
    // seconds; the application's.
    struct FrameClock
    {
        double time = 0.0;
        double step = 0.0;
    };
    static FrameClock GetFrameClock();
    // A client before the host: the host's day and weather, awaited under the waiting banner.
    void WaitForHostDay();
    void HandleKeys(float now);
    // True where the row was the rod's or the camera's; driving rows run on the rig.
    bool RunRodKey(const tovFishingKey& row);
    bool RunCameraKey(const tovFishingKey& row, tovFishingWorld& world);
    void RunDrivingKey(const tovFishingKey& row, tovLocalRig& rig, float now);
    void ShowNotice(const char* text, float now);
    void DrawNotice(float now);
    void HandleRodInput();
    void DrawRodSet();
    void AddButtons();
    void RenderWorld(tovFishingWorld& world, float now, float elapsed);
    void DrawOverlays(float now, float elapsed);
    void AttachMeter();

    std::unique_ptr<tovFishingHud> m_hud;
    std::unique_ptr<tovDebugOverlay> m_overlay;
    std::unique_ptr<FrameRateMeter> m_meter;
    std::unique_ptr<tovCastController> m_cast;
    bool m_warned = false;
    // The time left last frame: more now means the clock was put back.
    double m_lastLeft = 0.0;
    bool m_dayOver = false;
    bool m_entered = false;
    float m_now = 0.0f;
    const char* m_notice = nullptr;
    float m_noticeUntil = 0.0f;
    std::unique_ptr<plat::Font> m_noticeFont;
    std::unique_ptr<qrxFloatingText> m_noticeText;
    std::unique_ptr<qrxFloatingText> m_noticeShadow;
    // The first camera of the world the meter's digits are attached to.
    // Held, so a later world's camera cannot take its address.
    QrPointer<QrCamera> m_meterCamera;
    // The current rod's set-up over the tackle button, and the picture id it was taken for;
    // dropped when a rod key changes the rod, taken again by UpdateTackleButtons.
    QrPointer<QrImage> m_rodSetPicture;
    int32_t m_rodSetPictureId = 0;
};
