#pragma once
// Rod, reel, line and drag of one angler, and the lure on the line. A fight runs against the
// tackle's drag, line and reel, and wears its line. Reference counted.

#include "QrPointer.h"
#include "tovFishFight.h"
#include "tovLure.h"

#include <array>
#include <cstdint>

class QrPoint3;
class qrxVLineStrip;

class tovTackle
{
public:
    enum State : int32_t
    {
        kStateNone = 0,
        kStateReel = 1,
        kStateCastFlight = 2,
        // Internal only: never sent to peers.
        kStateFishOn = 3,
        kStateFastReel = 4,
    };

    static constexpr int32_t kLineTypeCount = 22;
    static constexpr float kDragStep = 0.5f;
    static constexpr float kMinDrag = 0.5f;
    // Nodes along the drawn line from the rod tip to the lure.
    static constexpr int32_t kLineNodes = 8;
    static constexpr int32_t kHolderPoints = 2 * (kLineNodes - 1);

    tovTackle();
    tovTackle(const tovTackle&) = delete;
    tovTackle& operator=(const tovTackle&) = delete;

    void IncRefCount() { ++m_refCount; }
    void DecRefCount();
    uint32_t GetRefCount() const { return m_refCount; }

    // 0 none, 1 reel, 2 cast flight, 4 fast reel (3 while a fish is on, reported as reel or
    // fast reel).
    int32_t GetState() const;
    int32_t GetInternalState() const { return m_state; }
    void SetFastReel(bool fast);
    bool IsFastReel() const { return m_fastReel; }

    // Line type 0..21: records it, resets wear, derives strength and visibility and hands the
    // visibility to the lure. Another value changes nothing.
    void SetLureType(int32_t type);
    int32_t GetLineType() const { return m_lineType; }
    float GetLineStrength() const { return m_lineStrength; }
    float GetLineVisibility() const { return m_lineVisibility; }
    float GetLineWear() const { return m_lineWear; }
    // The pull (lb) at which the line parts now.
    float GetBreakingTension() const;

    // Ends any cast and puts the lure back to the rod.
    void ResetCast();
    // Begins a cast toward a target; the lure flies until Splashdown.
    void StartCast();
    // The lure lands in the water: the tackle starts reeling.
    void Splashdown();
    // A fish took the lure: the fight begins.
    void HookFish();
    // Fight over (landed, broken or pulled free): back to the rod.
    void EndFight();

    // The same colour on every point of both line holders.
    void SetLinePointCount(const std::array<float, 4>& colour);
    const std::array<float, 4>& GetLineColour(int32_t holder) const;

    // The drawn line in two holders: 0 the part above the water, 1 the part below. Each is a
    // list of segments (point pairs).
    qrxVLineStrip* GetLineHolder(int32_t holder) const;
    // Runs the line from the tip to the end, sagging by the given amount at its middle, and
    // splits it where it crosses the water height. Hidden, both holders draw nothing.
    void PlaceLine(const QrPoint3& tip, const QrPoint3& end, float water, float sag, bool hidden);
    // Seen from above the surface the part under it is not drawn; from below both are.
    void SetLineUnderwater(bool below);

    void SetCastStyle(int32_t style) { m_castStyle = style; }
    int32_t GetCastStyle() const { return m_castStyle; }

    // Drag in lb, in steps of 0.5 within [0.5, line strength].
    void SetDrag(float pounds);
    void IncreaseDrag() { SetDrag(m_drag + kDragStep); }
    void DecreaseDrag() { SetDrag(m_drag - kDragStep); }
    float GetDrag() const { return m_drag; }
    // Whether the reel turns while a fish is on (it does unless the player stops).
    void SetReeling(bool reeling) { m_reeling = reeling; }
    bool IsReeling() const { return m_reeling; }

    // What a fight step reads of the tackle.
    tovFightTackle GetFightTackle() const;
    // One step of a fight on this tackle: the line wears, and when the fight ends (landed,
    // broken or pulled free) the lure goes back to the rod.
    tovFishFight::Outcome StepFight(tovFishFight& fight, double elapsed, uRandom& random);

    // The lure on the line; attaching one hands it the line's visibility.
    void SetLure(tovLure* lure);
    QrPointer<tovLure> GetLure() const { return m_lure; }

    // Strength and visibility of a line type; 0 outside 0..21.
    static float StrengthOfType(int32_t type);
    static float VisibilityOfType(int32_t type);

private:
    ~tovTackle();

    uint32_t m_refCount = 0;
    int32_t m_state = kStateNone;
    bool m_fastReel = false;
    int32_t m_lineType = 0;
    float m_lineStrength = 0.0f;
    float m_lineVisibility = 0.0f;
    float m_lineWear = 0.0f;
    float m_drag = 0.0f;
    int32_t m_castStyle = 0;
    std::array<std::array<float, 4>, 2> m_lineColours{};
    std::array<QrPointer<qrxVLineStrip>, 2> m_holders;
    bool m_reeling = true;
    QrPointer<tovLure> m_lure;
};
