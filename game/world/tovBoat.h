#pragma once
// A boat on the lake: the hull model with its outboard and trolling motor, rocking on a node
// of its own, the three controls (throttle, wheel, trim), and the motion model it inherits,
// run once a frame from its idle update. Every boat on the lake is one: the player's, the
// computer anglers' and the remote players'.

#include "QrNode.h"
#include "QrPointer.h"
#include "qrxIdleObject.h"
#include "tovBoatState.h"
#include "tovBoatStateBase.h"
#include "uRangeControl.h"
#include "uSteeringWheel.h"
#include "uThrottle.h"

#include <cstdint>
#include <memory>

class Qr3dsAnimationNode;
class QrAVObject;
class QrLODNode;
class QrTextureProperty;
class qrxWaveGrid;
class tovBoatProbe;

class tovBoat : public QrNode, public qrxIdleObject, public tovBoatStateBase
{
    QR_DECLARE_RTTI

public:
    // The model files, in the data folder.
    static constexpr const char* kModelFile = "boatStrider.qrf";
    static constexpr const char* kLodModelFile = "boatStriderLOD.qrf";
    static constexpr const char* kMotorTextureFile = "striderMotor.bmp";
    static constexpr const char* kSideTextureFile = "striderSide.bmp";
    static constexpr const char* kDeckTextureFile = "striderDeck.bmp";
    // The outboard's five part nodes.
    static constexpr int32_t kOutboardPartCount = 5;
    static const char* const kOutboardParts[kOutboardPartCount];
    static constexpr int32_t kPaintSchemeCount = 1;
    // Rest height above the water.
    static constexpr float kBaseHeight = 0.01f * 0.7f;
    // Lowest height SetPosition leaves the node at.
    static constexpr float kMinHeight = 0.01f * 0.5f;
    // Sounds of contact with the ground and with another boat.
    static constexpr int32_t kGroundSound = 6189;
    static constexpr int32_t kBoatContactSound = 6040;
    // A contact sounds only when the last one is longer ago than this.
    static constexpr double kContactSoundGap = 0.25;

    // The detail level of the player profile.
    tovBoat();
    // Detail 0 to 1: below 0.2 the full model is not loaded.
    explicit tovBoat(float detail);

    // The state part.
    void SetThrottle(float value) override;
    void SetSteering(float value) override;
    void SetRangeControl(float value) override;
    // Takes x and z; the height stays, raised to kMinHeight.
    void SetPosition(const QrPoint3& position) override;
    void SetRotation(const QrMatrix3& rotation) override;
    float GetThrottle() const override;
    float GetSteering() const override;
    float GetRangeControl() const override;
    QrPoint3 GetPosition() const override;
    QrMatrix3 GetRotation() const override;
    QrMatrix3 GetWorldRotation() const override;
    bool CheckGround(QrPoint3& newPos, const QrPoint3& ahead, bool keepSpeed) override;
    // The throttle goes to neutral and the speed is divided by factor.
    void StopAndSlow(float factor);

    using QrNode::Update;
    using tovBoatStateBase::Update;
    // The idle update: the driving step, then the probe.
    void Update(double now, double elapsed) override;
    // The driving step: free water for an aground local boat, the motion step, the other
    // boats, then the pose.
    virtual void OnIdle(double now, double dt);
    // Tests the move against every other boat of the world; to becomes the corrected end. True
    // when a boat was in the way.
    bool TestCollision(const QrPoint3& from, QrPoint3& to, bool keepSpeed);
    bool ResolveBoatContact(const QrPoint3& from, QrPoint3& to, const QrPoint3& ahead, tovBoat* other, bool keepSpeed);
    static bool IsNearBoat(const QrPoint3& p, tovBoat* other);
    bool IsLocalBoat() const;
    // 0 to below 360, 0 facing +z, 90 facing +x.
    float GetHeadingDegrees() const;

    // Controls for the anglers.
    void IncreaseThrottle(float amount);
    void DecreaseThrottle(float amount);
    void ResetThrottle();
    void SetReverse(bool on);
    void IncreaseSteering(float amount);
    void DecreaseSteering(float amount);
    void CentreSteering();
    void IncreaseAuxControl(float amount);
    void DecreaseAuxControl(float amount);
    void ResetAuxControl();

    // The angler figure standing in the boat; null takes it out.
    void SetAnglerNode(QrNode* figure);
    QrNode* GetAnglerNode() const { return m_angler.Get(); }
    void SetPaintScheme(int32_t index);
    // The water grid the boat bobs on; picks the vertex it rides.
    void SetWaveGrid(qrxWaveGrid* grid);
    qrxWaveGrid* GetWaveGrid() const { return m_waveGrid.Get(); }
    int32_t GetWaveVertex() const { return m_waveVertex; }
    // A new probe from the world services (none without them).
    void ResetProbe();
    tovBoatProbe* GetProbe() const { return m_probe.get(); }

    // Fills out with the boat's state; the change mask becomes 0.
    void CaptureState(tovBoatState& out) const;
    // Takes the paint scheme, then what the state's change mask names.
    void ApplyState(const tovBoatState& in);

    // The pose after the motion step: propeller, pitch, roll, heave, outboard.
    void UpdatePose(double now, double dt);
    void UpdateHeaveTarget(float normSpeed);
    float GetWaveHeight(float normSpeed) const;

    bool IsLowDetail() const { return m_lowDetail; }
    float GetDetail() const { return m_detail; }
    QrNode* GetRockingNode() const { return m_rocking.Get(); }
    QrNode* GetFullModel() const { return m_fullModel.Get(); }
    QrNode* GetLodModel() const { return m_lodModel.Get(); }
    QrLODNode* GetLodSwitch() const { return m_lodSwitch.Get(); }
    QrNode* GetOutboard() const { return m_outboard.Get(); }
    QrNode* GetLodOutboard() const { return m_lodOutboard.Get(); }
    Qr3dsAnimationNode* GetTrollingMotorNode() const { return m_trollingMotor.Get(); }
    Qr3dsAnimationNode* GetTrollingFulcrumNode() const { return m_trollingFulcrum.Get(); }
    QrAVObject* GetPropeller() const { return m_propeller.Get(); }
    QrAVObject* GetTrollingPropeller() const { return m_trollingPropeller.Get(); }
    float GetPropellerAngle() const { return m_propellerAngle; }
    float GetHeave() const { return m_heave; }
    float GetHeaveTarget() const { return m_heaveTarget; }
    double GetContactTime() const { return m_contactTime; }
    uThrottle& GetThrottleControl() { return m_throttle; }
    uSteeringWheel& GetWheel() { return m_wheel; }
    uRangeControl& GetTrim() { return m_trim; }

    // Lets go of the model files and the shared properties (at program exit).
    static void ReleaseStatics();

protected:
    ~tovBoat() override;

    // Plays a boat sound (local boat only).
    void PlaySound(int32_t soundId);
    // The grounding and contact sounds share one contact time.
    void NoteContact(int32_t soundId);

private:
    void Build();
    void LoadFullModel();
    void LoadLodModel();
    void BuildTrollingAnimation();
    void ShowPaint(bool on);
    // An aground boat moves to the nearest free water within reach.
    void FindFreeWater(const QrPoint3& c);
    void PassWheelToRider();

    double m_now = 0.0;
    float m_detail = 0.0f;
    bool m_lowDetail = false;
    double m_contactTime = 0.0;
    QrPointer<QrNode> m_rocking;
    QrPointer<QrNode> m_outboard;
    QrPointer<QrNode> m_lodOutboard;
    float m_trollingTimeApplied = -1.0f;
    float m_trollingTimeWanted = 0.0f;
    QrPointer<Qr3dsAnimationNode> m_trollingMotor;
    QrPointer<Qr3dsAnimationNode> m_trollingFulcrum;
    QrPointer<QrAVObject> m_propeller;
    float m_propellerAngle = 0.0f;
    QrPointer<QrAVObject> m_trollingPropeller;
    float m_trollingPropellerAngle = 0.0f;
    std::unique_ptr<tovBoatProbe> m_probe;
    QrPointer<QrNode> m_fullModel;
    QrPointer<QrNode> m_lodModel;
    QrPointer<QrLODNode> m_lodSwitch;
    QrPointer<QrNode> m_angler;
    QrPointer<QrTextureProperty> m_sideTexture;
    QrPointer<QrTextureProperty> m_deckTexture;
    QrPointer<qrxWaveGrid> m_waveGrid;
    int32_t m_waveVertex = -1;
    float m_baseHeight = kBaseHeight;
    uThrottle m_throttle;
    uSteeringWheel m_wheel;
    uRangeControl m_trim;
    float m_heave = 0.0f;
    float m_heaveTarget = 0.0f;
};
