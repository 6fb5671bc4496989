#include "tovBoat.h"

#include "Qr3dsAnimationNode.h"
#include "QrCorrectionProperty.h"
#include "QrLODNode.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrVertexColorProperty.h"
#include "qrxAssetCache.h"
#include "qrxGraphSearcher.h"
#include "qrxPropertyAssigner.h"
#include "qrxSceneFiles.h"
#include "qrxWaveGrid.h"
#include "tovAppServices.h"
#include "tovBoatProbe.h"
#include "tovBoatRider.h"
#include "tovInstallSettings.h"
#include "tovUserProfile.h"
#include "tovWater.h"
#include "tovWorldServices.h"
#include "uRandom.h"

#include "DebugOutput.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>

QR_IMPLEMENT_RTTI(tovBoat, QrNode)

const char* const tovBoat::kOutboardParts[kOutboardPartCount] = {"SM_Cowl", "SM_Midsection", "SM_Gearcase",
                                                                 "SM_Propeller", "SM_Shaft"};

namespace
{
constexpr const char* kModelNode = "Motorboat_rock";
constexpr const char* kPropellerPart = "SM_Propeller";
constexpr const char* kLodShaft = "SM_Shaft";
constexpr const char* kLodMotorhead = "SM_Cowl";
// Frequency of the trolling motor's keys: 4800 ticks a second.
constexpr float kTrollingKeyRate = 4800.0f;

const char* const kTrollingParts[] = {"MotorMount", "T_Lower", "T_Uppder",    "T_Motor fin", "T_Propeller",
                                      "T_Shaft",    "T_Lever", "T_Motorhead", "T_Fulcrum"};
const char* const kFullSideParts[] = {"Boat_hull",      "Passenger_hood", "Passenger_seatback",
                                      "Passenger_seat", "Driver_seat",    "Driver_seatback",
                                      "Livewell_seat",  "Driver_hood",    "Deck Chair2"};
const char* const kLodSideParts[] = {"Boat_body",   "Driver Hood",    "Passenger Seat",
                                     "Driver Seat", "Passenger Hood", "Livewell Seat"};
constexpr const char* kDeckPart = "Boat_deck";

struct ModelImage
{
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
    bool tried = false;
    std::string path;
    // A file that cannot be used is reported once, not once per boat.
    bool reported = false;
};

struct PaintScheme
{
    const char* sideFile;
    const char* deckFile;
    QrPointer<QrTextureProperty> side;
    QrPointer<QrTextureProperty> deck;
};

struct BoatStatics
{
    ModelImage full;
    ModelImage lod;
    QrPointer<QrTextureModeProperty> textureMode;
    QrPointer<QrCorrectionProperty> correction;
    QrPointer<QrTextureProperty> motorTexture;
    bool motorTried = false;
    PaintScheme paint[tovBoat::kPaintSchemeCount] = {{tovBoat::kSideTextureFile, tovBoat::kDeckTextureFile, {}, {}}};
};

BoatStatics& Statics()
{
    static BoatStatics statics;
    return statics;
}

void ReadModel(ModelImage& image, const char* file)
{
    if (image.tried)
        return;
    image.tried = true;
    image.path = DataFilePath(file);
    image.bytes = LoadFileToMemory(image.path.c_str(), image.size);
}

// Null when the file is missing or the scene loader refuses it; the boat then goes without
// that model, which the debug output says.
QrPointer<QrNode> LoadModelNode(ModelImage& image)
{
    QrPointer<QrNode> node;
    if (image.bytes && image.size != 0)
        node = QrDynamicCast<QrNode>(LoadSceneNode(image.bytes.get(), image.size, kModelNode).Get());
    if (!node && !image.reported)
    {
        image.reported = true;
        const char* why = image.bytes ? "is damaged: the scene loader refused it" : "cannot be read";
        plat::DebugOutput(("boat model " + image.path + " " + why + "; the boat is drawn without it").c_str());
    }
    return node;
}

QrObject* FindNamed(QrObject* root, const char* name)
{
    if (!root)
        return nullptr;
    qrxGraphSearcher searcher;
    return searcher.Find(root, name);
}

void Assign(QrObject* root, const char* name, QrProperty* property)
{
    if (!root || !property)
        return;
    qrxPropertyAssigner assigner;
    assigner.Assign(root, name, property);
}

void Unassign(QrObject* root, const char* name, QrProperty* property)
{
    if (!root || !property)
        return;
    qrxPropertyAssigner assigner;
    assigner.Detach(root, name, property);
}

} // namespace

tovBoat::tovBoat() : tovBoat(TheUserProfile().GetDetail()) {}

tovBoat::tovBoat(float detail) : m_throttle(0.1f), m_wheel(0.05f), m_trim(0.0f, 1.0f)
{
    m_detail = std::isfinite(detail) ? detail : 0.0f;
    m_lowDetail = m_detail < 0.2f;
    m_wheel.SetStep(1.8f);
    m_throttle.SetStep(0.7f);
    m_trim.SetStep(1.0f);
    Build();
}

tovBoat::~tovBoat()
{
    SetAnglerNode(nullptr);
    m_probe.reset();
}

void tovBoat::Build()
{
    BoatStatics& statics = Statics();
    if (!m_lowDetail)
        ReadModel(statics.full, kModelFile);
    ReadModel(statics.lod, kLodModelFile);
    if (!statics.textureMode)
    {
        statics.textureMode = new QrTextureModeProperty;
        statics.textureMode->m_applyMode = QrTextureModeProperty::kApplyModulate;
        statics.textureMode->m_filterMode = tovWater::IsTransparencyAllowed() ? 1 : 0;
    }
    if (!statics.correction)
    {
        statics.correction = new QrCorrectionProperty;
        statics.correction->m_enabled = 1;
    }
    if (!statics.motorTried)
    {
        statics.motorTried = true;
        statics.motorTexture = qrxAssetCache::Get().Load(DataFilePath(kMotorTextureFile).c_str(), 0);
    }

    m_rocking = new QrNode;
    m_rocking->SetTranslate(0.0f, 0.3f, 0.296f);
    if (!m_lowDetail)
        LoadFullModel();
    LoadLodModel();

    AttachProperty(statics.textureMode.Get());
    AttachProperty(statics.correction.Get());
    AttachProperty(GetAppServices().GetSharedVertexColor());
    SetScale(0.01f);

    if (!m_lowDetail)
    {
        m_lodSwitch = new QrLODNode;
        const float d = m_detail > 0.5f ? 100.0f : 50.0f;
        m_lodSwitch->AddRange(0.0f, d, 0);
        m_lodSwitch->AddRange(d, 100000.0f, 1);
        m_lodSwitch->AttachChild(m_fullModel.Get());
        m_lodSwitch->AttachChild(m_lodModel.Get());
        m_rocking->AttachChild(m_lodSwitch.Get());
    }
    else if (m_lodModel)
        m_rocking->AttachChild(m_lodModel.Get());
    AttachChild(m_rocking.Get());
    UpdateAllInstances();
    BuildTrollingAnimation();

    if (m_fullModel)
    {
        m_propeller = QrDynamicCast<QrAVObject>(FindNamed(m_fullModel.Get(), kPropellerPart));
        m_trollingPropeller = QrDynamicCast<QrAVObject>(FindNamed(m_fullModel.Get(), "T_Propeller"));
    }
    BuildEffects();
}

void tovBoat::LoadFullModel()
{
    BoatStatics& statics = Statics();
    m_fullModel = LoadModelNode(statics.full);
    if (!m_fullModel)
        return;
    m_fullModel->SetTranslate(0.0f, 0.0f, 0.0f);
    m_outboard = QrDynamicCast<QrNode>(FindNamed(m_fullModel.Get(), "Outboard"));
    m_trollingMotor = QrDynamicCast<Qr3dsAnimationNode>(FindNamed(m_fullModel.Get(), "Trolling motor"));
    m_trollingFulcrum = QrDynamicCast<Qr3dsAnimationNode>(FindNamed(m_fullModel.Get(), "T_Fulcrum"));
    QrTextureProperty* motor = statics.motorTexture.Get();
    for (const char* part : kOutboardParts)
        Assign(m_fullModel.Get(), part, motor);
    for (const char* part : kTrollingParts)
        Assign(m_fullModel.Get(), part, motor);
}

void tovBoat::LoadLodModel()
{
    BoatStatics& statics = Statics();
    m_lodModel = LoadModelNode(statics.lod);
    if (!m_lodModel)
        return;
    m_lodModel->SetTranslate(0.0f, 0.0f, 0.0f);
    m_lodOutboard = QrDynamicCast<QrNode>(FindNamed(m_lodModel.Get(), "Outboard"));
    Assign(m_lodModel.Get(), kLodShaft, statics.motorTexture.Get());
    Assign(m_lodModel.Get(), kLodMotorhead, statics.motorTexture.Get());
}

void tovBoat::BuildTrollingAnimation()
{
    for (Qr3dsAnimationNode* node : {m_trollingMotor.Get(), m_trollingFulcrum.Get()})
    {
        if (!node)
            continue;
        node->SetMode(QrAnimTiming::kModeUpdate);
        node->SetRunning(0);
        node->SetUpdateWorld(1);
        node->SetCycleType(2);
        node->SetFrequency(kTrollingKeyRate);
    }
    m_trollingTimeWanted = 0.0f;
}

void tovBoat::ReleaseStatics()
{
    BoatStatics& statics = Statics();
    statics.textureMode = nullptr;
    statics.correction = nullptr;
    statics.motorTexture = nullptr;
    statics.motorTried = false;
    for (PaintScheme& scheme : statics.paint)
    {
        scheme.side = nullptr;
        scheme.deck = nullptr;
    }
    statics.full = ModelImage{};
    statics.lod = ModelImage{};
}

// --- the state part

void tovBoat::SetThrottle(float value)
{
    m_throttle.SetValue(value);
}

void tovBoat::SetSteering(float value)
{
    m_wheel.SetValue(value);
}

void tovBoat::SetRangeControl(float value)
{
    m_trim.SetValue(value);
}

void tovBoat::SetPosition(const QrPoint3& position)
{
    m_translate.x = position.x;
    m_translate.z = position.z;
    m_translate.y = std::max(m_translate.y, kMinHeight);
}

void tovBoat::SetRotation(const QrMatrix3& rotation)
{
    m_rotate = rotation;
}

float tovBoat::GetThrottle() const
{
    return m_throttle.GetValue();
}

float tovBoat::GetSteering() const
{
    return m_wheel.GetValue();
}

float tovBoat::GetRangeControl() const
{
    return m_trim.GetValue();
}

QrPoint3 tovBoat::GetPosition() const
{
    return m_translate;
}

QrMatrix3 tovBoat::GetRotation() const
{
    return m_rotate;
}

QrMatrix3 tovBoat::GetWorldRotation() const
{
    // Composed now rather than read from the last world update, so that every sub-step of a
    // long frame steers by the turn the one before it made, as a state record does.
    const QrAVInstance* self = GetCurrentInstance();
    QrNode* parent = self ? self->GetId() : nullptr;
    const QrAVInstance* p = parent ? parent->GetCurrentInstance() : nullptr;
    return p ? p->m_worldRotate.Multiply(m_rotate) : m_rotate;
}

void tovBoat::StopAndSlow(float factor)
{
    m_throttle.Reset();
    if (factor != 0.0f && std::isfinite(factor))
        m_speed = m_speed / factor;
}

// --- controls

void tovBoat::IncreaseThrottle(float amount)
{
    m_throttle.Increase(amount);
}

void tovBoat::DecreaseThrottle(float amount)
{
    m_throttle.Decrease(amount);
}

void tovBoat::ResetThrottle()
{
    m_throttle.Reset();
}

void tovBoat::SetReverse(bool on)
{
    m_throttle.SetReverse(on);
}

void tovBoat::IncreaseSteering(float amount)
{
    m_wheel.Increase(amount);
    PassWheelToRider();
}

void tovBoat::DecreaseSteering(float amount)
{
    m_wheel.Decrease(amount);
    PassWheelToRider();
}

void tovBoat::CentreSteering()
{
    m_wheel.Reset();
    PassWheelToRider();
}

void tovBoat::IncreaseAuxControl(float amount)
{
    m_trim.Increase(amount);
}

void tovBoat::DecreaseAuxControl(float amount)
{
    m_trim.Decrease(amount);
}

void tovBoat::ResetAuxControl()
{
    m_trim.Reset();
}

void tovBoat::PassWheelToRider()
{
    if (auto* rider = dynamic_cast<tovBoatRider*>(m_angler.Get()))
        rider->SetDriveLevel(m_wheel.GetValue());
}

// --- figure, paint, waves, probe

void tovBoat::SetAnglerNode(QrNode* figure)
{
    if (figure == m_angler.Get())
        return;
    if (m_angler && m_rocking)
        m_rocking->DetachChild(m_angler.Get());
    m_angler = figure;
    if (figure)
    {
        if (auto* rider = dynamic_cast<tovBoatRider*>(figure))
            rider->SetAppearance(m_paintScheme, -1, -1);
        figure->SetTranslate(0.0f, 0.4f, 5.5f);
        if (m_rocking)
            m_rocking->AttachChild(figure);
    }
    UpdateAllInstances();
}

void tovBoat::ShowPaint(bool on)
{
    QrTextureProperty* side = m_sideTexture.Get();
    QrTextureProperty* deck = m_deckTexture.Get();
    const auto apply = on ? Assign : Unassign;
    for (const char* part : kFullSideParts)
        apply(m_fullModel.Get(), part, side);
    for (const char* part : kLodSideParts)
        apply(m_lodModel.Get(), part, side);
    apply(m_fullModel.Get(), kDeckPart, deck);
    apply(m_lodModel.Get(), kDeckPart, deck);
}

void tovBoat::SetPaintScheme(int32_t index)
{
    if (index < 0 || index == m_paintScheme || index >= kPaintSchemeCount)
        return;
    if (m_paintScheme >= 0)
        ShowPaint(false);
    m_paintScheme = index;
    PaintScheme& scheme = Statics().paint[index];
    if (!scheme.side)
        scheme.side = qrxAssetCache::Get().Load(DataFilePath(scheme.sideFile).c_str(), 0);
    if (!scheme.deck)
        scheme.deck = qrxAssetCache::Get().Load(DataFilePath(scheme.deckFile).c_str(), 0);
    m_sideTexture = scheme.side;
    m_deckTexture = scheme.deck;
    ShowPaint(true);
}

void tovBoat::SetWaveGrid(qrxWaveGrid* grid)
{
    m_waveGrid = grid;
    m_waveVertex = -1;
    if (grid && grid->GetVertexCount() > 0)
        m_waveVertex = SharedRandom().next() % int32_t(grid->GetVertexCount());
}

void tovBoat::ResetProbe()
{
    m_probe.reset();
    if (tovWorldServices* world = GetWorldServices())
        m_probe = world->CreateBoatProbe();
}

// --- state records

void tovBoat::CaptureState(tovBoatState& out) const
{
    out.m_paintScheme = m_paintScheme;
    out.m_throttle = GetThrottle();
    out.m_steering = GetSteering();
    out.m_trim = GetRangeControl();
    out.m_speed = m_speed;
    out.m_targetSpeed = m_targetSpeed;
    out.m_trollingLevel = m_trollingLevel;
    out.m_lastTrollingCommand = m_lastTrollingCommand;
    out.m_turnRate = m_turnRate;
    out.m_targetTurnRate = m_targetTurnRate;
    out.m_pitch = m_pitch;
    out.m_pitchTarget = m_pitchTarget;
    out.m_roll = m_roll;
    out.m_rollTarget = m_rollTarget;
    out.m_position = GetPosition();
    out.m_rotation = m_rotate;
    out.m_changeMask = 0;
}

namespace
{
bool Finite(std::initializer_list<float> values)
{
    for (float v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}
} // namespace

void tovBoat::ApplyState(const tovBoatState& in)
{
    // A received record is hostile: a group holding a value that is not finite, or a trolling
    // setting out of range, is left out rather than let into the motion step.
    SetPaintScheme(in.m_paintScheme);
    const uint32_t mask = in.m_changeMask;
    if ((mask & tovBoatState::kThrottle) && Finite({in.m_throttle}))
        SetThrottle(in.m_throttle);
    if ((mask & tovBoatState::kSteering) && Finite({in.m_steering}))
        SetSteering(in.m_steering);
    if ((mask & tovBoatState::kTrim) && Finite({in.m_trim}))
        SetRangeControl(in.m_trim);
    if ((mask & tovBoatState::kPosition) && Finite({in.m_position.x, in.m_position.y, in.m_position.z}))
        SetPosition(in.m_position);
    if ((mask & tovBoatState::kRotation) &&
        Finite({in.m_rotation.m[0][0], in.m_rotation.m[0][1], in.m_rotation.m[0][2], in.m_rotation.m[1][0],
                in.m_rotation.m[1][1], in.m_rotation.m[1][2], in.m_rotation.m[2][0], in.m_rotation.m[2][1],
                in.m_rotation.m[2][2]}))
        m_rotate = in.m_rotation;
    if ((mask & tovBoatState::kTrolling) && in.m_trollingLevel >= -1 && in.m_trollingLevel <= 9 &&
        in.m_lastTrollingCommand >= 0 && in.m_lastTrollingCommand <= 5)
    {
        m_trollingLevel = in.m_trollingLevel;
        m_lastTrollingCommand = in.m_lastTrollingCommand;
    }
    if ((mask & tovBoatState::kSpeed) && Finite({in.m_speed, in.m_targetSpeed}))
    {
        m_speed = in.m_speed;
        m_targetSpeed = in.m_targetSpeed;
    }
    if ((mask & tovBoatState::kTurn) && Finite({in.m_turnRate, in.m_targetTurnRate}))
    {
        m_turnRate = in.m_turnRate;
        m_targetTurnRate = in.m_targetTurnRate;
    }
    if ((mask & tovBoatState::kPitch) && Finite({in.m_pitch, in.m_pitchTarget}))
    {
        m_pitch = in.m_pitch;
        m_pitchTarget = in.m_pitchTarget;
    }
    if ((mask & tovBoatState::kRoll) && Finite({in.m_roll, in.m_rollTarget}))
    {
        m_roll = in.m_roll;
        m_rollTarget = in.m_rollTarget;
    }
}
