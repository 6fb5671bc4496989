#pragma once
// One player's angler: the angler's look and mode, the boat, the tackle and lure, the cast
// target and the six-place livewell. The local, computer and remote rigs derive from it; the
// session holds one counted reference per rig.

#include "QrPoint3.h"
#include "QrPointer.h"
#include "tovAnglerRigBase.h"
#include "tovLivewell.h"
#include "tovTackle.h"

#include <array>
#include <cstdint>
#include <string>

class tovBoat;
class tovBoatState;
struct tovAnglerState;

class tovAnglerRig : public tovAnglerRigBase
{
public:
    // Angler modes; the network table uses 0, 1, 2 and 4.
    enum Mode : int32_t
    {
        kModeSeated = 0,
        kModeDriving = 1,
        kModeAiming = 2,
        kModeCasting = 3,
        kModeWaitCast = 4,
        kModeHookSet = 5,
        kModeFighting = 6,
        kModeLanding = 7,
        kModeShowCatch = 8,
        kModeReleasing = 9,
        kModeSitToDrive = 10,
        kModeSitToIdle = 11,
    };

    // Angler words 0..2: look index, gender (0 male, 1 female), colour choice (-1 default).
    // The rig holds a reference to the boat, which may be null.
    tovAnglerRig(int32_t paintScheme, int32_t word0, int32_t word1, int32_t word2, bool lowDetail, tovBoat* boat);

    // The angler's id (the angler value).
    virtual int32_t GetId() const { return m_anglerValue; }
    int32_t GetAnglerValue() const { return m_anglerValue; }
    void SetAnglerValue(int32_t value) { m_anglerValue = value; }

    // The per-frame step: the boat, then the cast in flight.
    virtual void Idle(double now, double elapsed);

    QrPointer<tovBoat> GetBoat() const;
    // Where the boat is and which way it points (degrees, 0 toward +z, 90 toward +x); the
    // origin and 0 without a boat.
    QrPoint3 GetBoatPosition() const;
    float GetBoatHeading() const;
    int32_t GetPaintScheme() const { return m_paintScheme; }
    bool IsLowDetail() const { return m_lowDetail; }

    // Look, gender and colours of the angler figure.
    int32_t GetAnglerWord(int32_t i) const;
    int32_t GetGender() const { return m_words[1]; }
    int32_t GetLook() const { return m_words[0]; }
    int32_t GetColour1() const { return m_colours[0]; }
    int32_t GetColour2() const { return m_colours[1]; }
    // Negative values keep the current ones.
    void SetAppearance(int32_t look, int32_t colour1, int32_t colour2);

    int32_t GetMode() const { return m_mode; }
    void SetMode(int32_t mode);
    bool IsReadyInWaitCast() const { return m_readyInWaitCast; }
    bool IsFastReelingInWaitCast() const { return m_fastReelInWaitCast; }

    const QrPoint3& GetCastTarget() const { return m_castTarget; }
    void SetCastTarget(const QrPoint3& target) { m_castTarget = target; }

    // Counted references.
    QrPointer<tovTackle> GetTackle() const { return m_tackle; }
    QrPointer<tovLure> GetTackleObject() const;
    int32_t GetLureModelIndex() const { return m_lureModelIndex; }
    void SetLureModelIndex(int32_t index) { m_lureModelIndex = index; }
    // Replaces the lure: a new one from the model file and attraction row, on the tackle.
    virtual void SetLureModel(const std::string& fileName, int32_t speciesRow);

    // The remote phase table's actions.
    virtual void ClearFastReel();
    virtual void CastAt(const QrPoint3& target);
    virtual void ReadyOn();
    virtual void ReadyAndReel();
    virtual void ReadyOff();
    virtual void ReturnFromDriving();
    virtual void LeaveSeated();

    // Livewell.
    const tovLivewell& GetLivewell() const { return m_livewell; }
    int32_t GetLivewellCount() const { return m_livewell.count; }
    // Puts the fish, named after its species, in the first free place; -1 when full or for
    // an unknown species. Weights below 1 oz count as 1 oz.
    int32_t AddToLivewell(int32_t species, int32_t weightOunces, int32_t lengthInches, float displayScale);
    // Empties place 0..5; an empty place or one out of range changes nothing.
    void RemoveFromLivewell(int32_t place);
    // With more than five fish, gives up the smallest; the place given up, else -1.
    int32_t ReleaseSmallestOverLimit();
    // The fish just landed, in the angler's hands until it is kept or let go; a record not in
    // use is none. The livewell screen's Done clears it.
    void SetLandedFish(const tovLivewellFish& fish) { m_landedFish = fish; }
    void ClearLandedFish() { m_landedFish = tovLivewellFish{}; }
    const tovLivewellFish& GetLandedFish() const { return m_landedFish; }
    bool HasLandedFish() const { return m_landedFish.inUse != 0; }
    // The 1684-byte block, little-endian, and back (hostile input is sanitised).
    void CopyLivewellOut(uint8_t* out) const;
    void CopyLivewellIn(const uint8_t* in);
    // The angler snapshot: the same 421 words.
    void FillSnapshot(std::array<int32_t, 421>& words) const;
    void ApplySnapshot(const std::array<int32_t, 421>& words);

    // The angler part of a state record, for sending.
    void FillAnglerState(tovAnglerState& record) const;
    // A received angler part: a new angler value goes to the setter, then the phase (word 3)
    // moves the angler as the remote phase table says.
    void ApplyAnglerState(const tovAnglerState& record);

    // The boat's live state into a record; nothing without a boat.
    void CaptureBoatState(tovBoatState& out) const;

    // The angler's cast angle in degrees, set when aiming at a received target.
    float GetCastAngle() const { return m_castAngle; }
    // Seconds a cast flies before the lure lands.
    static constexpr double kCastFlightTime = 1.0;

protected:
    // The game's own degrees-per-radian, slightly short of 180/pi: headings are kept in it.
    static constexpr float kRadiansToDegrees = 57.295647f;

    ~tovAnglerRig() override;

    tovLivewell& Livewell() { return m_livewell; }

private:
    void ApplyPhase(int32_t phase, bool flag1, bool flag2, const QrPoint3& target);
    void AimAndCast(const QrPoint3& target);
    void StartFromDriving();
    void StartToDriving();

    int32_t m_paintScheme;
    std::array<int32_t, 3> m_words;
    std::array<int32_t, 2> m_colours{-1, -1};
    bool m_lowDetail;
    QrPointer<tovBoat> m_boat;
    int32_t m_anglerValue = 0;
    int32_t m_mode = kModeSeated;
    bool m_readyInWaitCast = false;
    bool m_fastReelInWaitCast = false;
    QrPoint3 m_castTarget;
    float m_castAngle = 0.0f;
    double m_castTime = 0.0;
    double m_now = 0.0;
    int32_t m_lureModelIndex = 0;
    QrPointer<tovTackle> m_tackle;
    tovLivewell m_livewell;
    tovLivewellFish m_landedFish;
};
