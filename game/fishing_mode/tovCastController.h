#pragma once
// The player's hands on the rod while fishing: the casting target following the mouse, the
// cast on release, reeling and fast reeling, the hook set, the drag, the fight stepped through
// the tackle, landing, the catch box (keep or release) and the rod keys 1 to 7. The fishing
// screen holds one and calls it every frame.
#include "QrNode.h"
#include "QrPoint3.h"
#include "QrPointer.h"
#include "tovFishFight.h"
#include "tovFishPopulation.h"
#include <cstdint>
#include <memory>
#include <string>

class QrRender;
class qrxFloatingText;
namespace plat
{
class Font;
}
class tovCastingTarget;
class tovFishingWorld;
class tovLocalRig;
class tovTackle;
class tovTackleSet;
class tovUserProfile;

class tovCastController
{
public:
    // Mouse buttons as the screen reports them.
    enum Button : uint32_t
    {
        kLeft = 1u,
        kRight = 2u,
    };
    // Where the rod is in its cycle.
    enum Phase : int32_t
    {
        kIdle = 0,      // rod ready, nothing in the water
        kAiming = 1,    // left button held: the target follows the mouse
        kFlight = 2,    // the lure is in the air
        kRetrieve = 3,  // the lure is in the water, reeling in
        kFighting = 4,  // a fish is on
        kCatchBox = 5,  // a landed fish waits for keep or release
        kOverLimit = 6, // a sixth fish kept: the livewell screen must take one back first
    };
    // The keys the controller answers; the screen maps its own codes onto these.
    enum Key : int32_t
    {
        kKeyRod1 = '1', // '1'..'7'
        kKeyDragUp = '+',
        kKeyDragDown = '-',
        kKeyKeep = 'k',
        kKeyRelease = 'r',
    };
    // The catch box's contents while it is open.
    struct Catch
    {
        int32_t species = -1;
        float weight = 0.0f; // lb
        float length = 0.0f; // inches
        std::string text;    // the box's line
    };

    // The longest cast, world units from the boat.
    // The longest cast on the heaviest line, world units from the boat; light line casts
    // farther. The shortest cast, so the lure never lands in the boat.
    static constexpr float kCastRange = 0.8f;
    static constexpr float kMinCast = 0.05f;
    // Line left out when a retrieve is over and the lure is back at the rod.
    static constexpr float kRetrieveDone = 0.01f;
    // World units per second while reeling and fast reeling.
    static constexpr float kReelSpeed = 0.05f;
    static constexpr float kFastReelSpeed = 0.1f;
    // Fish the livewell may hold when play goes on.
    static constexpr int32_t kLivewellLimit = 5;

    // All four outlive the controller; the profile and tackle set are the program's.
    tovCastController(tovFishingWorld& world, tovLocalRig& rig, tovUserProfile& profile, tovTackleSet& tackleSet);
    ~tovCastController();
    tovCastController(const tovCastController&) = delete;
    tovCastController& operator=(const tovCastController&) = delete;

    // Screen position and the buttons that went down, came up and are held this frame.
    void OnMouse(int32_t x, int32_t y, uint32_t pressed, uint32_t released, uint32_t held);
    // True when the key was used.
    bool OnKey(int32_t key);
    void Update(double now, double elapsed);
    // The catch box over the frame; the casting target is in the scene.
    void Draw(QrRender* renderer);

    // Loads the current rod's tackle onto the rig: line type and colour, lure model.
    void LoadTackleSet();
    // Rod 0..6 becomes current (stored in the profile) and is loaded; others are refused, and
    // so is any while the rod is not free.
    bool SelectRod(int32_t rod);
    // Nothing is out on the line (ready or aiming): another rod may be taken up.
    bool IsRodFree() const { return m_phase == kIdle || m_phase == kAiming; }

    // Aims at a point on the water (clamped to the cast range); the mouse path ends here.
    void AimAt(const QrPoint3& point);
    Phase GetPhase() const { return m_phase; }
    const QrPoint3& GetTarget() const { return m_target; }
    const QrPoint3& GetLure() const { return m_lure; }
    float GetLineOut() const;
    const Catch& GetCatch() const { return m_catch; }
    // The line's pull while a fish is on (0 otherwise), the drag and the line's strength, in
    // pounds, for the tension gauge.
    float GetLineTension() const;
    float GetDragPounds() const;
    float GetLineStrength() const;
    // Where the lure last came down on the water; the splash follows this mark.
    const QrAVObject* GetSplashMark() const { return m_splashMark.Get(); }
    tovFishFight::Outcome GetLastOutcome() const { return m_lastOutcome; }
    // A fish has the lure and waits for the hook to be set.
    bool HasStrike() const { return m_phase == kRetrieve && m_strikeFish >= 0; }
    // How far a striking fish pulls the lure under, world units.
    static constexpr float kStrikeDepth = 0.015f;
    // Where the lure and the rod tip are drawn this frame.
    const QrPoint3& GetShownLure() const { return m_shownLure; }
    const QrPoint3& GetRodTip() const { return m_rodTip; }
    // The fishing screen's lure-hiding flag: set, the loaded lure is hidden.
    void SetLureHidden(bool hidden) { m_lureHidden = hidden; }
    // The current rod's picture for the screen's rod button.
    int32_t GetRodSetPictureId() const { return m_rodSetPicture; }
    // True while more than five fish are kept: play goes on only after the livewell screen.
    bool NeedsLivewell() const { return m_phase == kOverLimit; }
    // Keep (into the livewell; a sixth fish sends the player to the livewell screen) or release
    // the landed fish.
    void Keep();
    void Release();
    // Brings a lure in the air or in the water home at once, as a finished retrieve, so the
    // boat may move without it; false, and nothing changes, with no lure out or a fish on.
    bool ReelInNow();

    // The tackle-set loader's two steps: line type (then a reset cast) and line colour.
    void ApplyLure();
    void ApplyLineColour();
    // Pounds to whole ounces, at least one.
    static int32_t WeightOunces(float pounds);
    // The catch box's question; tournament modes (2 and 3) leave the weight out.
    static std::string CatchQuestion(int32_t mode, int32_t ounces, int32_t inches, const char* species);
    // The line the other players are sent for a kept fish, their chat naming the catcher: the
    // weight and species, or in tournaments the length and species.
    static std::string CatchLine(int32_t mode, int32_t ounces, int32_t inches, const char* species);

private:
    tovFishPopulation* Population() const;
    float CastRange() const;
    bool BeginAim();
    bool RayToWater(int32_t x, int32_t y, QrPoint3& out) const;
    void Cast();
    void SetReel(bool reeling, bool fast);
    void StepRetrieve(double elapsed);
    void EndRetrieve();
    void SetHook();
    void StepFight(double elapsed);
    void Land();
    void CloseCatch();
    // The fight's ambient channel: on while a fish is on, off when the fight ends or the rod goes.
    void SetFightSound(bool on);
    void SplashDown(double now);
    // The lure and the line drawn for this frame: dangling at the rod tip, in flight, on the
    // water, or with the fish.
    void PlaceLureAndLine(double now);
    // Raises the keep-or-release question over the screen.
    void AskKeep();
    static bool OnKeepAnswer(int32_t answer, uintptr_t argument);
    // The career record and the chat line for a fish kept.
    void RecordKept(int32_t ounces);

    tovFishingWorld& m_world;
    tovLocalRig& m_rig;
    tovUserProfile& m_profile;
    tovTackleSet& m_tackleSet;
    QrPointer<tovCastingTarget> m_castTarget;
    std::unique_ptr<plat::Font> m_font;
    std::unique_ptr<qrxFloatingText> m_text;
    tovLurePresence m_presence;
    int32_t m_rodSetPicture = 0;
    Phase m_phase = kIdle;
    QrPoint3 m_target;
    QrPoint3 m_lure;
    bool m_reeling = false;
    bool m_fastReel = false;
    int32_t m_hookedFish = -1;
    int32_t m_strikeFish = -1;
    Catch m_catch;
    tovFishFight::Outcome m_lastOutcome = tovFishFight::kGoing;
    QrPointer<QrNode> m_splashMark;
    bool m_fightSound = false;
    // The rig's tackle: its line holders are in the scene while the controller lives.
    QrPointer<tovTackle> m_tackle;
    QrPoint3 m_shownLure;
    QrPoint3 m_rodTip;
    double m_now = 0.0;
    double m_castTime = 0.0;
    bool m_lureHidden = false;
};
