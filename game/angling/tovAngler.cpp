#include "tovAngler.h"

#include "Qr3dsAnimationNode.h"
#include "QrMaterialProperty.h"
#include "qrxGraphSearcher.h"
#include "qrxKeyGesture.h"
#include "qrxSceneFiles.h"
#include "tovBoat.h"
#include "tovInstallSettings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

const char* const tovAngler::kGestureNodes[kGestureCount] = {"Drive", "Stand", "Cast", "Reel", "Troll"};

namespace
{

// Parts the game colours, in the order of the material slots.
enum Part
{
    kVest,
    kShirt,
    kCap,
    kSkin,
    kPartCount
};
const char* const kPartNodes[kPartCount] = {"Vest", "Shirt", "Cap", "Skin"};

// Vest and skin follow the look; the shirt the first colour choice, the cap the second.
const QrPoint3 kVestColours[tovAngler::kColourChoices] = {
    {0.52f, 0.48f, 0.3f}, {0.72f, 0.18f, 0.1f}, {0.16f, 0.22f, 0.42f}, {0.22f, 0.36f, 0.2f}};
const QrPoint3 kSkinColours[tovAngler::kColourChoices] = {
    {0.8f, 0.58f, 0.44f}, {0.66f, 0.45f, 0.3f}, {0.45f, 0.3f, 0.2f}, {0.86f, 0.66f, 0.54f}};
const QrPoint3 kShirtColours[tovAngler::kColourChoices] = {
    {0.9f, 0.9f, 0.86f}, {0.55f, 0.7f, 0.9f}, {0.8f, 0.2f, 0.18f}, {0.92f, 0.82f, 0.3f}};
const QrPoint3 kCapColours[tovAngler::kColourChoices] = {
    {0.78f, 0.12f, 0.1f}, {0.12f, 0.16f, 0.36f}, {0.7f, 0.64f, 0.45f}, {0.1f, 0.1f, 0.1f}};

int32_t Wrap(int32_t choice)
{
    const int32_t r = choice % tovAngler::kColourChoices;
    return r < 0 ? r + tovAngler::kColourChoices : r;
}

struct ModelImage
{
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
    bool tried = false;
};

ModelImage& Image(int32_t gender)
{
    static ModelImage images[2];
    ModelImage& image = images[gender == 0 ? 0 : 1];
    if (!image.tried)
    {
        image.tried = true;
        const char* file = gender == 0 ? tovAngler::kMaleFile : tovAngler::kFemaleFile;
        image.bytes = LoadFileToMemory(DataFilePath(file).c_str(), image.size);
    }
    return image;
}

void ReleaseImages()
{
    for (int32_t gender : {0, 1})
    {
        ModelImage& image = Image(gender);
        image.bytes.reset();
        image.size = 0;
        image.tried = false;
    }
}

// Every node of the name takes the property (the shirt and skin groups come several times).
void AssignAll(QrAVObject* object, const char* name, QrProperty* property)
{
    if (!object)
        return;
    const char* own = object->GetName();
    if (own && std::strcmp(own, name) == 0)
        object->AttachProperty(property);
    if (auto* node = QrDynamicCast<QrNode>(object))
        for (uint32_t i = 0; i < node->GetChildCount(); ++i)
            AssignAll(node->GetChildAt(i), name, property);
}

// Each move starts from its first key: the joints' clocks count from now.
void RestartJoints(QrAVObject* object, float now)
{
    if (auto* joint = QrDynamicCast<Qr3dsAnimationNode>(object))
        joint->SetPhase(-now * joint->GetFrequency());
    if (auto* node = QrDynamicCast<QrNode>(object))
        for (uint32_t i = 0; i < node->GetChildCount(); ++i)
            RestartJoints(node->GetChildAt(i), now);
}

void SetShown(QrNode* root, const char* name, bool shown)
{
    qrxGraphSearcher searcher;
    if (auto* object = QrDynamicCast<QrAVObject>(searcher.Find(root, name)))
        object->SetAppCulled(shown ? 0 : 1);
}

} // namespace

tovAngler::tovAngler(int32_t look, int32_t gender, int32_t colour)
    : m_look(look < 0 ? 0 : look), m_gender(gender == 0 ? 0 : 1), m_colour1(colour < 0 ? 0 : colour),
      m_colour2(colour < 0 ? 0 : colour)
{
    for (QrPointer<QrMaterialProperty>& material : m_materials)
        material = new QrMaterialProperty;
    Build();
}

tovAngler::~tovAngler() = default;

void tovAngler::Build()
{
    ModelImage& image = Image(m_gender);
    if (image.bytes && image.size > 0)
        m_model = QrDynamicCast<QrNode>(LoadSceneNode(image.bytes.get(), image.size, kModelNode).Get());
    ApplyColours();
    if (!m_model)
        return;
    for (int32_t part = 0; part < kPartCount; ++part)
        AssignAll(m_model.Get(), kPartNodes[part], m_materials[size_t(part)].Get());
    qrxGraphSearcher searcher;
    m_shoulders = QrDynamicCast<QrNode>(searcher.Find(m_model.Get(), "Shoulders"));
    m_vest = QrDynamicCast<QrNode>(searcher.Find(m_model.Get(), "Vest"));
    m_rodTip = QrDynamicCast<QrAVObject>(searcher.Find(m_model.Get(), "RodTip"));
    AttachChild(m_model.Get());
    CollectKeyFramed(m_model.Get());
    const std::string path = DataFilePath(m_gender == 0 ? kMaleFile : kFemaleFile);
    for (int32_t g = 0; g < kGestureCount; ++g)
    {
        auto gesture = std::make_unique<qrxKeyGesture>();
        if (gesture->LoadFromFile(path.c_str(), kGestureNodes[g]))
        {
            gesture->Bind(m_model.Get());
            m_gestures[size_t(g)] = std::move(gesture);
        }
    }
    SetGesture(kGestureDrive);
    UpdateAllInstances();
}

void tovAngler::ApplyColours()
{
    const QrPoint3 colours[kPartCount] = {GetVestColour(), GetShirtColour(), GetCapColour(), GetSkinColour()};
    for (int32_t part = 0; part < kPartCount; ++part)
    {
        QrMaterialProperty& material = *m_materials[size_t(part)];
        material.m_diffuse = colours[part];
        // Under the sky's light as well as the sun's: half the colour keeps the faces from washing out.
        material.m_ambient = colours[part] * 0.5f;
        material.m_changed = 1;
    }
}

void tovAngler::SetAppearance(int32_t look, int32_t colour1, int32_t colour2)
{
    // The colours are looked at too: the look screen repaints with the look unchanged.
    const int32_t newLook = look < 0 ? m_look : look;
    const int32_t new1 = colour1 < 0 ? m_colour1 : colour1;
    const int32_t new2 = colour2 < 0 ? m_colour2 : colour2;
    if (newLook == m_look && new1 == m_colour1 && new2 == m_colour2)
        return;
    m_look = newLook;
    m_colour1 = new1;
    m_colour2 = new2;
    ApplyColours();
}

QrPoint3 tovAngler::GetVestColour() const
{
    return kVestColours[Wrap(m_look)];
}
QrPoint3 tovAngler::GetShirtColour() const
{
    return kShirtColours[Wrap(m_colour1)];
}
QrPoint3 tovAngler::GetCapColour() const
{
    return kCapColours[Wrap(m_colour2)];
}
QrPoint3 tovAngler::GetSkinColour() const
{
    return kSkinColours[Wrap(m_look)];
}

void tovAngler::SetDriveLevel(float level)
{
    m_driveLevel = std::isfinite(level) ? std::clamp(level, -1.0f, 1.0f) : 0.0f;
    if (!m_shoulders)
        return;
    const float turn = m_pose == kPoseDriving ? -m_driveLevel * kSteerTurn : 0.0f;
    m_shoulders->SetRotate(turn * 3.14159265f / 180.0f, 0.0f, 1.0f, 0.0f);
    SetChanged(1);
}

void tovAngler::SetBoat(tovBoat* boat)
{
    m_boat = boat;
}

void tovAngler::SetTackle(tovTackle* tackle)
{
    m_tackle = tackle;
}

void tovAngler::SetLifeVestVisible(bool on)
{
    m_lifeVest = on;
    if (m_vest)
        m_vest->SetAppCulled(on ? 0 : 1);
}

void tovAngler::SetGesture(int32_t gesture)
{
    m_gesture = gesture;
    if (m_gestures[size_t(gesture)])
        m_gestures[size_t(gesture)]->Apply();
    if (m_model)
    {
        RestartJoints(m_model.Get(), float(m_now));
        // The rod stays in the rod locker while the angler drives.
        const bool rod = gesture != kGestureDrive;
        SetShown(m_model.Get(), "Rod", rod);
        SetShown(m_model.Get(), "ReelBody", rod);
        // The cast angle is a bearing (clockwise seen from above); a rotation by a positive
        // angle turns the other way.
        const float yaw = rod ? m_castAngle * 3.14159265f / 180.0f : 0.0f;
        m_model->SetRotate(-yaw, 0.0f, 1.0f, 0.0f);
    }
    SetChanged(1);
}

bool tovAngler::GetRodTip(QrPoint3& tip) const
{
    if (!m_rodTip || m_gesture == kGestureDrive)
        return false;
    const QrAVInstance* instance = m_rodTip->GetCurrentInstance();
    if (!instance)
        return false;
    tip = instance->m_worldTranslate;
    return std::isfinite(tip.x) && std::isfinite(tip.y) && std::isfinite(tip.z);
}

void tovAngler::StartToDriving()
{
    const bool fromStanding = m_pose != kPoseSeated && m_pose != kPoseDriving;
    m_pose = kPoseDriving;
    SetGesture(kGestureDrive);
    SetDriveLevel(m_driveLevel);
    if (fromStanding && m_boat)
        m_boat->RestartMotorLoop();
}

void tovAngler::StartFromDriving()
{
    m_pose = kPoseStanding;
    SetDriveLevel(m_driveLevel);
    SetGesture(kGestureStand);
}

void tovAngler::SitDown()
{
    m_pose = kPoseSeated;
    SetDriveLevel(m_driveLevel);
    SetGesture(kGestureDrive);
}

void tovAngler::Cast(float angleDegrees)
{
    m_castAngle = std::isfinite(angleDegrees) ? std::fmod(angleDegrees, 360.0f) : 0.0f;
    m_pose = kPoseCasting;
    SetGesture(kGestureCast);
}

void tovAngler::Reel()
{
    m_pose = kPoseReeling;
    SetGesture(kGestureReel);
}

void tovAngler::LowerTrollingMotor()
{
    m_pose = kPoseTrolling;
    m_deployDirection = 1;
    SetGesture(kGestureTroll);
}

void tovAngler::RaiseTrollingMotor()
{
    if (m_deploy > 0.0f)
        m_deployDirection = -1;
}

void tovAngler::ResetTrollingMotor()
{
    m_deployDirection = 0;
    m_deploy = 0.0f;
    if (m_boat)
        m_boat->SetTrollingMotorDeploy(0.0f);
    if (m_pose == kPoseTrolling)
        StartFromDriving();
}

void tovAngler::Update(double now, double elapsed)
{
    if (std::isfinite(now))
        m_now = now;
    if (m_deployDirection != 0 && std::isfinite(elapsed) && elapsed > 0.0)
    {
        m_deploy = std::clamp(m_deploy + float(m_deployDirection * elapsed / kTrollingDeployTime), 0.0f, 1.0f);
        if (m_boat)
            m_boat->SetTrollingMotorDeploy(m_deploy);
        if (m_deploy >= 1.0f && m_deployDirection > 0)
            m_deployDirection = 0;
        else if (m_deploy <= 0.0f && m_deployDirection < 0)
        {
            m_deployDirection = 0;
            StartFromDriving();
        }
    }
    qrxKeyFramedModel::Update(now, elapsed);
}

size_t tovAngler::GetGestureTrackCount(int32_t gesture) const
{
    if (gesture < 0 || gesture >= kGestureCount || !m_gestures[size_t(gesture)])
        return 0;
    return m_gestures[size_t(gesture)]->GetCount();
}

void tovAngler::ReleaseSharedClips()
{
    ReleaseImages();
}

void ReleaseAnglerFaceTextures()
{
    // The faces are modelled, not painted: what the look screen leaves behind is the model
    // images its two figures read.
    ReleaseImages();
}
