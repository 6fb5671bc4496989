// The angler figures, male and female: a person in a cap and an open fishing vest over a
// shirt, jeans and boots, holding a rod, in feet like the boat that carries them. The vest,
// shirt, cap and skin parts are white under named groups whose materials the game replaces. Each
// file also holds the moves (sit and steer, stand, cast, reel, trolling) as trees of the same
// joint names carrying their keys, two seconds a loop.

#include "GenKeys.h"
#include "SampleData.h"
#include "SampleShapes.h"

#include "Qr3dsAnimationNode.h"
#include "QrColorA.h"
#include "QrLinearPosKey.h"
#include "QrLinearRotKey.h"
#include "QrMaterialProperty.h"
#include "QrNode.h"
#include "QrTriShape.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace gen
{

namespace
{

const QrColorA kWhite(1.0f, 1.0f, 1.0f, 1.0f);
const QrColorA kJeans(0.2f, 0.27f, 0.45f, 1.0f);
const QrColorA kBoot(0.25f, 0.17f, 0.1f, 1.0f);
const QrColorA kRod(0.12f, 0.12f, 0.1f, 1.0f);
const QrColorA kEye(0.08f, 0.06f, 0.05f, 1.0f);
const QrColorA kHair(0.35f, 0.2f, 0.1f, 1.0f);
constexpr float kDeg = 3.14159265f / 180.0f;
constexpr float kLoop = 2.0f;

enum Joint
{
    kHips,
    kLegL,
    kLegR,
    kKneeL,
    kKneeR,
    kTorso,
    kHead,
    kArmL,
    kArmR,
    kJointCount
};
const char* const kJointNames[kJointCount] = {"Hips",  "LegL", "LegR", "KneeL", "KneeR",
                                              "Torso", "Head", "ArmL", "ArmR"};
// Rest places of the joints in their parents.
const QrPoint3 kRest[kJointCount] = {{0.0f, 3.0f, 0.0f},   {-0.3f, 0.0f, 0.0f},  {0.3f, 0.0f, 0.0f},
                                     {0.0f, -1.45f, 0.0f}, {0.0f, -1.45f, 0.0f}, {0.0f, 0.05f, 0.0f},
                                     {0.0f, 2.05f, 0.0f},  {-0.72f, 0.0f, 0.0f}, {0.72f, 0.0f, 0.0f}};

// One joint's move: angles about x (degrees) at times 0, 0.5, 1, 1.5 and 2, and a hip place.
struct Track
{
    std::array<float, 5> angles;
    QrPoint3 axis{1.0f, 0.0f, 0.0f};
};

struct Move
{
    const char* name;
    QrPoint3 hips;
    std::array<Track, kJointCount> tracks;
};

Track Still(float a, QrPoint3 axis = {1.0f, 0.0f, 0.0f})
{
    return Track{{a, a, a, a, a}, axis};
}

// Seated, the hips sit on the bow chair in front of the figure's feet.
const QrPoint3 kSeatedHips(0.0f, 1.55f, 1.2f);
const QrPoint3 kStandingHips(0.0f, 3.0f, 0.0f);

std::vector<Move> Moves()
{
    std::vector<Move> moves;
    moves.push_back({"Drive",
                     kSeatedHips,
                     {Still(0.0f), Still(-85.0f), Still(-85.0f), Still(85.0f), Still(85.0f),
                      Track{{-4.0f, -6.0f, -4.0f, -6.0f, -4.0f}}, Track{{0.0f, 4.0f, 0.0f, -4.0f, 0.0f}, {0, 1, 0}},
                      Still(-65.0f), Still(-65.0f)}});
    moves.push_back({"Stand",
                     kStandingHips,
                     {Still(0.0f), Still(0.0f), Still(0.0f), Still(0.0f), Still(0.0f),
                      Track{{0.0f, 1.5f, 0.0f, 1.5f, 0.0f}}, Track{{0.0f, 8.0f, 0.0f, -8.0f, 0.0f}, {0, 1, 0}},
                      Still(-8.0f), Track{{-35.0f, -38.0f, -35.0f, -38.0f, -35.0f}}}});
    moves.push_back(
        {"Cast",
         kStandingHips,
         {Still(0.0f), Still(0.0f), Still(8.0f), Still(0.0f), Still(0.0f), Track{{0.0f, 6.0f, -8.0f, 0.0f, 0.0f}},
          Still(-5.0f), Still(-20.0f), Track{{-40.0f, -170.0f, -60.0f, -45.0f, -40.0f}}}});
    moves.push_back({"Reel",
                     kStandingHips,
                     {Still(0.0f), Still(0.0f), Still(0.0f), Still(0.0f), Still(0.0f), Still(3.0f), Still(-8.0f),
                      Track{{-45.0f, -65.0f, -45.0f, -65.0f, -45.0f}}, Still(-50.0f)}});
    moves.push_back({"Troll",
                     kStandingHips,
                     {Still(0.0f), Still(-10.0f), Still(0.0f), Still(20.0f), Still(0.0f),
                      Track{{15.0f, 25.0f, 30.0f, 20.0f, 15.0f}}, Still(-10.0f),
                      Track{{-50.0f, -75.0f, -80.0f, -60.0f, -50.0f}}, Still(-30.0f)}});
    return moves;
}

QrPointer<Qr3dsAnimationNode> MakeJoint(int joint, const Move& move)
{
    QrPointer<Qr3dsAnimationNode> node = new Qr3dsAnimationNode;
    node->SetName(kJointNames[joint]);
    const QrPoint3 place = joint == kHips ? move.hips : kRest[joint];
    node->SetTranslate(place.x, place.y, place.z);
    node->SetMode(QrAnimTiming::kModeUpdate);
    node->SetCycleType(QrAnimTiming::kCycleLoop);
    const Track& track = move.tracks[size_t(joint)];
    OwnedKeys<QrRotKey> rotations;
    for (size_t i = 0; i < track.angles.size(); ++i)
        rotations.Add(std::make_unique<QrLinearRotKey>(kLoop * float(i) / 4.0f, track.angles[i] * kDeg, track.axis));
    node->SetRotKeys(rotations.Data(), rotations.Count());
    OwnedKeys<QrAnimKey> positions;
    positions.Add(std::make_unique<QrLinearPosKey>(0.0f, place));
    positions.Add(std::make_unique<QrLinearPosKey>(kLoop, place));
    node->SetPosKeys(positions.Data(), positions.Count());
    return node;
}

void Box(QrNode* parent, const char* name, QrPoint3 at, QrPoint3 half, const QrColorA& color)
{
    QrPointer<QrTriShape> box = MakeBox(name, half.x, half.y, half.z, color);
    box->SetTranslate(at.x, at.y, at.z);
    parent->AttachChild(box.Get());
}

// The colours the figure shows in the file on its own (the game's first look replaces them).
QrPoint3 DefaultColour(const char* part)
{
    const std::string name = part;
    if (name == "Vest")
        return {0.52f, 0.48f, 0.3f};
    if (name == "Shirt")
        return {0.9f, 0.9f, 0.86f};
    if (name == "Cap")
        return {0.78f, 0.12f, 0.1f};
    return {0.8f, 0.58f, 0.44f};
}

QrPointer<QrNode> Group(QrNode* parent, const char* name)
{
    QrPointer<QrNode> group = new QrNode;
    group->SetName(name);
    QrPointer<QrMaterialProperty> material = new QrMaterialProperty;
    material->m_diffuse = DefaultColour(name);
    material->m_ambient = material->m_diffuse * 0.5f;
    group->AttachProperty(material.Get());
    parent->AttachChild(group.Get());
    return group;
}

// The joints of one move, nested as in the figure; shapes go on when dressed.
std::array<QrPointer<Qr3dsAnimationNode>, kJointCount> Skeleton(const Move& move, QrNode* root,
                                                                QrPointer<QrNode>* shoulders)
{
    std::array<QrPointer<Qr3dsAnimationNode>, kJointCount> j;
    for (int i = 0; i < kJointCount; ++i)
        j[size_t(i)] = MakeJoint(i, move);
    root->AttachChild(j[kHips].Get());
    j[kHips]->AttachChild(j[kLegL].Get());
    j[kHips]->AttachChild(j[kLegR].Get());
    j[kLegL]->AttachChild(j[kKneeL].Get());
    j[kLegR]->AttachChild(j[kKneeR].Get());
    j[kHips]->AttachChild(j[kTorso].Get());
    j[kTorso]->AttachChild(j[kHead].Get());
    // The wheel turns the shoulders: a plain node between the torso and the arms.
    QrPointer<QrNode> s = new QrNode;
    s->SetName("Shoulders");
    s->SetTranslate(0.0f, 1.95f, 0.0f);
    j[kTorso]->AttachChild(s.Get());
    s->AttachChild(j[kArmL].Get());
    s->AttachChild(j[kArmR].Get());
    if (shoulders)
        *shoulders = s;
    return j;
}

void DressLeg(Qr3dsAnimationNode* leg, Qr3dsAnimationNode* knee, float w)
{
    Box(leg, nullptr, {0.0f, -0.72f, 0.0f}, {0.23f * w, 0.75f, 0.26f}, kJeans);
    Box(knee, nullptr, {0.0f, -0.68f, 0.0f}, {0.2f * w, 0.7f, 0.22f}, kJeans);
    Box(knee, nullptr, {0.0f, -1.42f, 0.12f}, {0.2f * w, 0.1f, 0.36f}, kBoot);
}

void DressArm(Qr3dsAnimationNode* arm, bool rod)
{
    QrPointer<QrNode> shirt = Group(arm, "Shirt");
    Box(shirt.Get(), nullptr, {0.0f, -0.5f, 0.0f}, {0.17f, 0.52f, 0.17f}, kWhite);
    QrPointer<QrNode> skin = Group(arm, "Skin");
    Box(skin.Get(), nullptr, {0.0f, -1.3f, 0.0f}, {0.13f, 0.32f, 0.13f}, kWhite);
    Box(skin.Get(), nullptr, {0.0f, -1.72f, 0.0f}, {0.12f, 0.12f, 0.09f}, kWhite);
    if (rod)
    {
        Box(arm, "Rod", {0.0f, -1.72f, 2.6f}, {0.035f, 0.035f, 2.8f}, kRod);
        // Not "Reel": the moves are found by name, and the reeling move would find the figure.
        Box(arm, "ReelBody", {0.0f, -1.9f, 0.35f}, {0.08f, 0.1f, 0.1f}, kRod);
        // Where the line leaves the rod.
        QrPointer<QrNode> tip = new QrNode;
        tip->SetName("RodTip");
        tip->SetTranslate(0.0f, -1.72f, 5.4f);
        arm->AttachChild(tip.Get());
    }
}

QrPointer<QrNode> MakeFigure(bool female)
{
    const std::vector<Move> moves = Moves();
    QrPointer<QrNode> root = new QrNode;
    root->SetName("Angler");
    root->SetTranslate(0.0f, 0.4f, 0.0f);
    root->SetScale(female ? 0.84f : 0.9f);
    QrPointer<QrNode> shoulders;
    auto j = Skeleton(moves[0], root.Get(), &shoulders);
    const float w = female ? 0.9f : 1.0f;
    DressLeg(j[kLegL].Get(), j[kKneeL].Get(), w);
    DressLeg(j[kLegR].Get(), j[kKneeR].Get(), w);
    Box(j[kHips].Get(), nullptr, {0.0f, 0.0f, 0.0f}, {0.52f * w, 0.2f, 0.28f}, kJeans);

    QrPointer<QrNode> shirt = Group(j[kTorso].Get(), "Shirt");
    Box(shirt.Get(), nullptr, {0.0f, 1.05f, 0.0f}, {0.55f * w, 1.0f, 0.29f}, kWhite);
    // The vest: two front panels open down the middle, and the back.
    QrPointer<QrNode> vest = Group(j[kTorso].Get(), "Vest");
    Box(vest.Get(), "VestLeft", {-0.34f * w, 1.15f, 0.03f}, {0.24f * w, 0.85f, 0.29f}, kWhite);
    Box(vest.Get(), "VestRight", {0.34f * w, 1.15f, 0.03f}, {0.24f * w, 0.85f, 0.29f}, kWhite);
    Box(vest.Get(), "VestBack", {0.0f, 1.15f, -0.05f}, {0.57f * w, 0.85f, 0.27f}, kWhite);
    Box(vest.Get(), "Pocket", {-0.34f * w, 0.85f, 0.34f}, {0.14f, 0.12f, 0.03f}, kWhite);

    Qr3dsAnimationNode* head = j[kHead].Get();
    QrPointer<QrNode> skin = Group(head, "Skin");
    Box(skin.Get(), "Neck", {0.0f, 0.08f, 0.0f}, {0.14f, 0.1f, 0.14f}, kWhite);
    Box(skin.Get(), "Face", {0.0f, 0.48f, 0.0f}, {0.28f * w, 0.36f, 0.31f}, kWhite);
    Box(skin.Get(), "Nose", {0.0f, 0.45f, 0.34f}, {0.05f, 0.08f, 0.05f}, kWhite);
    Box(head, "EyeL", {-0.12f, 0.56f, 0.31f}, {0.05f, 0.035f, 0.01f}, kEye);
    Box(head, "EyeR", {0.12f, 0.56f, 0.31f}, {0.05f, 0.035f, 0.01f}, kEye);
    QrPointer<QrNode> cap = Group(head, "Cap");
    Box(cap.Get(), "Crown", {0.0f, 0.88f, -0.02f}, {0.31f * w, 0.11f, 0.34f}, kWhite);
    Box(cap.Get(), "Brim", {0.0f, 0.79f, 0.45f}, {0.28f * w, 0.025f, 0.2f}, kWhite);
    if (female)
        Box(head, "Ponytail", {0.0f, 0.5f, -0.4f}, {0.1f, 0.32f, 0.08f}, kHair);
    else
        Box(head, "Sideburns", {0.0f, 0.62f, -0.05f}, {0.29f, 0.14f, 0.27f}, kHair);

    DressArm(j[kArmL].Get(), false);
    DressArm(j[kArmR].Get(), true);
    return root;
}

std::vector<QrPointer<QrNode>> MakeFile(bool female)
{
    std::vector<QrPointer<QrNode>> tops;
    tops.push_back(MakeFigure(female));
    for (const Move& move : Moves())
    {
        QrPointer<QrNode> root = new QrNode;
        root->SetName(move.name);
        Skeleton(move, root.Get(), nullptr);
        tops.push_back(root);
    }
    return tops;
}

void Write(Context& context, const char* file, bool female)
{
    std::vector<QrPointer<QrNode>> tops = MakeFile(female);
    std::vector<QrObject*> raw;
    for (QrPointer<QrNode>& top : tops)
    {
        top->UpdateAllInstances();
        raw.push_back(top.Get());
    }
    context.WriteScene(file, raw);
}

} // namespace

void GenerateAnglers(Context& context)
{
    Write(context, "Data/anglerMale.qrf", false);
    Write(context, "Data/anglerFemale.qrf", true);
}

} // namespace gen
