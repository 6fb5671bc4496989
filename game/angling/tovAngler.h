#pragma once
// The angler figure: a key-framed person in a cap and vest who sits at the wheel and steers,
// stands to fish, casts and reels, and lowers the trolling motor. Its look comes from the boat
// (the paint scheme colours the vest) and two colour choices (shirt and cap); the gender picks
// the model. The moves are key gestures read from the model's own file.

#include "QrPoint3.h"
#include "QrPointer.h"
#include "qrxKeyFramedModel.h"
#include "tovBoatRider.h"

#include <array>
#include <cstdint>
#include <memory>

class QrMaterialProperty;
class qrxKeyGesture;
class tovBoat;
class tovTackle;

class tovAngler : public qrxKeyFramedModel, public tovBoatRider
{
public:
    static constexpr const char* kMaleFile = "anglerMale.qrf";
    static constexpr const char* kFemaleFile = "anglerFemale.qrf";
    // The figure's root node in either file.
    static constexpr const char* kModelNode = "Angler";
    // Moves, each a top-level tree of the model file named as below.
    enum Gesture : int32_t
    {
        kGestureDrive = 0,
        kGestureStand = 1,
        kGestureCast = 2,
        kGestureReel = 3,
        kGestureTroll = 4,
        kGestureCount = 5,
    };
    static const char* const kGestureNodes[kGestureCount];
    // Poses; the rig's modes map onto them.
    enum Pose : int32_t
    {
        kPoseSeated = 0,
        kPoseDriving = 1,
        kPoseStanding = 2,
        kPoseCasting = 3,
        kPoseReeling = 4,
        kPoseTrolling = 5,
    };
    // Colour choices per part; a choice outside the table wraps into it.
    static constexpr int32_t kColourChoices = 4;
    // Seconds of the trolling motor's lowering and raising.
    static constexpr float kTrollingDeployTime = 3.9333333f;
    // How far the shoulders turn with the wheel at full lock, degrees.
    static constexpr float kSteerTurn = 25.0f;

    // Look index, gender (0 male, 1 female) and colour choice (-1 the default).
    tovAngler(int32_t look, int32_t gender, int32_t colour);

    // Negative colours keep the current ones; nothing happens only when all three stay.
    void SetAppearance(int32_t look, int32_t colour1, int32_t colour2) override;
    // The wheel, -1 to 1: the shoulders and arms follow it in the drive pose.
    void SetDriveLevel(float level) override;
    float GetDriveLevel() const { return m_driveLevel; }

    int32_t GetGender() const { return m_gender; }
    int32_t GetLook() const { return m_look; }
    int32_t GetColour1() const { return m_colour1; }
    int32_t GetColour2() const { return m_colour2; }
    // The colours (red, green, blue) the figure shows now: vest, shirt, cap, skin.
    QrPoint3 GetVestColour() const;
    QrPoint3 GetShirtColour() const;
    QrPoint3 GetCapColour() const;
    QrPoint3 GetSkinColour() const;

    // The boat the figure rides (for the motor loop and the trolling motor); may be null. Not
    // counted, since the boat holds the figure: set null before the boat goes.
    void SetBoat(tovBoat* boat);
    tovBoat* GetBoat() const { return m_boat; }
    void SetTackle(tovTackle* tackle);
    void SetLifeVestVisible(bool on);
    bool IsLifeVestVisible() const { return m_lifeVest; }

    int32_t GetPose() const { return m_pose; }
    // The rod's tip in the world as last updated; false while the rod is stowed or the model
    // has none.
    bool GetRodTip(QrPoint3& tip) const;
    // Sits at the wheel and takes it (the motor's loop starts again); stands up from it.
    void StartToDriving();
    void StartFromDriving();
    // Sits with the motor off.
    void SitDown();
    void Cast(float angleDegrees);
    void Reel();
    void SetCastAngle(float degrees) { m_castAngle = degrees; }
    float GetCastAngle() const { return m_castAngle; }
    void SetCastStyle(int32_t style) { m_castStyle = style; }
    int32_t GetCastStyle() const { return m_castStyle; }
    void SetNextAction(int32_t action) { m_nextAction = action; }
    bool IsReadyInWaitCast() const { return m_ready; }
    bool IsFastReelingInWaitCast() const { return m_fastReel; }
    void SetReadyInWaitCast(bool on) { m_ready = on; }
    void SetFastReelingInWaitCast(bool on) { m_fastReel = on; }

    // The trolling motor: lowering goes to the trolling pose, raising back to standing; the
    // boat's motor follows the elapsed fraction of the move. Reset stows it at once.
    void LowerTrollingMotor();
    void RaiseTrollingMotor();
    void ResetTrollingMotor();
    float GetTrollingDeploy() const { return m_deploy; }

    // The frame: the deploy move, then the key frames. Needs no world.
    using qrxKeyFramedModel::Update;
    void Update(double now, double elapsed) override;
    int32_t GetGesture() const { return m_gesture; }
    size_t GetGestureTrackCount(int32_t gesture) const;

    // Lets go of the files and gestures shared by every figure.
    static void ReleaseSharedClips();

protected:
    ~tovAngler() override;

private:
    void Build();
    void ApplyColours();
    void SetGesture(int32_t gesture);

    int32_t m_look = 0;
    int32_t m_gender = 0;
    int32_t m_colour1 = 0;
    int32_t m_colour2 = 0;
    float m_driveLevel = 0.0f;
    // The last frame's time: a new move starts from it.
    double m_now = 0.0;
    int32_t m_pose = kPoseSeated;
    int32_t m_gesture = -1;
    float m_castAngle = 0.0f;
    int32_t m_castStyle = 0;
    int32_t m_nextAction = 0;
    bool m_ready = false;
    bool m_fastReel = false;
    bool m_lifeVest = true;
    float m_deploy = 0.0f;
    // +1 lowering, -1 raising, 0 still.
    int32_t m_deployDirection = 0;
    tovBoat* m_boat = nullptr;
    tovTackle* m_tackle = nullptr;
    QrPointer<QrNode> m_model;
    QrPointer<QrNode> m_shoulders;
    QrPointer<QrNode> m_vest;
    QrPointer<QrAVObject> m_rodTip;
    std::array<QrPointer<QrMaterialProperty>, 4> m_materials;
    std::array<std::unique_ptr<qrxKeyGesture>, kGestureCount> m_gestures;
};

// Releases the shared face textures of the angler figures (the angler-look screen's leave).
void ReleaseAnglerFaceTextures();
