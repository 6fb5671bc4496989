#include "GenKeys.h"
#include "SampleData.h"
#include "SampleObjects.h"
#include "SampleShapes.h"

#include "Qr3dsAlphaAnimator.h"
#include "Qr3dsAnimationNode.h"
#include "Qr3dsPathController.h"
#include "QrAlphaProperty.h"
#include "QrBezierFloatKey.h"
#include "QrBezierPosKey.h"
#include "QrBezierRotKey.h"
#include "QrColorA.h"
#include "QrEulerRotKey.h"
#include "QrLinearFloatKey.h"
#include "QrLinearPosKey.h"
#include "QrLinearRotKey.h"
#include "QrMaterialProperty.h"
#include "QrNode.h"
#include "QrTCBFloatKey.h"
#include "QrTCBPosKey.h"
#include "QrTCBRotKey.h"
#include "QrVisibilityKey.h"

#include <memory>
#include <vector>

namespace gen
{

namespace
{

const float kPi = 3.14159265f;
const QrPoint3 kX{1.0f, 0.0f, 0.0f};
const QrPoint3 kY{0.0f, 1.0f, 0.0f};
const QrPoint3 kZ{0.0f, 0.0f, 1.0f};

// Driven by Update, as the framework's key-framed models drive their nodes; loops.
QrPointer<Qr3dsAnimationNode> MakeNode(const char* name, float x, float y, float z)
{
    QrPointer<Qr3dsAnimationNode> node = new Qr3dsAnimationNode;
    node->SetName(name);
    node->SetTranslate(x, y, z);
    node->SetMode(QrAnimTiming::kModeUpdate);
    node->SetCycleType(QrAnimTiming::kCycleLoop);
    return node;
}

// Linear keys: a spin of more than a full turn about z, a slide and a blink.
QrPointer<Qr3dsAnimationNode> MakeBody()
{
    QrPointer<Qr3dsAnimationNode> body = MakeNode("body", 0.0f, 0.0f, 0.0f);
    OwnedKeys<QrRotKey> rotations;
    rotations.Add(std::make_unique<QrLinearRotKey>(0.0f, 0.0f, kZ));
    rotations.Add(std::make_unique<QrLinearRotKey>(1.0f, 0.5f * kPi, kZ));
    rotations.Add(std::make_unique<QrLinearRotKey>(2.0f, 3.0f * kPi, kZ));
    body->SetRotKeys(rotations.Data(), rotations.Count());
    OwnedKeys<QrAnimKey> positions;
    positions.Add(std::make_unique<QrLinearPosKey>(0.0f, QrPoint3(0.0f, 0.0f, 0.0f)));
    positions.Add(std::make_unique<QrLinearPosKey>(2.0f, QrPoint3(4.0f, 0.0f, 1.0f)));
    body->SetPosKeys(positions.Data(), positions.Count());
    OwnedKeys<QrVisibilityKey> visibility;
    visibility.Add(std::make_unique<QrVisibilityKey>(0.0f, 1));
    visibility.Add(std::make_unique<QrVisibilityKey>(1.75f, 0));
    visibility.Add(std::make_unique<QrVisibilityKey>(1.875f, 1));
    body->SetVisibilityKeys(visibility.Data(), visibility.Count());
    return body;
}

// Bezier keys: a swing with explicit tangents.
QrPointer<Qr3dsAnimationNode> MakeArm()
{
    QrPointer<Qr3dsAnimationNode> arm = MakeNode("arm", 1.0f, 0.0f, 0.5f);
    OwnedKeys<QrRotKey> rotations;
    rotations.Add(std::make_unique<QrBezierRotKey>(0.0f, 0.0f, kY));
    rotations.Add(std::make_unique<QrBezierRotKey>(1.0f, 0.8f, kY));
    rotations.Add(std::make_unique<QrBezierRotKey>(2.0f, 0.0f, kY));
    arm->SetRotKeys(rotations.Data(), rotations.Count());
    OwnedKeys<QrAnimKey> positions;
    const QrPoint3 points[3] = {{1.0f, 0.0f, 0.5f}, {1.2f, 0.3f, 0.6f}, {1.0f, 0.0f, 0.5f}};
    for (int i = 0; i < 3; ++i)
    {
        auto* key = positions.Add(std::make_unique<QrBezierPosKey>(float(i), points[i]));
        key->m_inTangent = {0.0f, 0.3f, 0.0f};
        key->m_outTangent = {0.0f, 0.3f, 0.0f};
    }
    arm->SetPosKeys(positions.Data(), positions.Count());
    return arm;
}

// TCB keys with tension, continuity and bias away from zero.
QrPointer<Qr3dsAnimationNode> MakeHand()
{
    QrPointer<Qr3dsAnimationNode> hand = MakeNode("hand", 0.6f, 0.0f, 0.0f);
    OwnedKeys<QrRotKey> rotations;
    const QrPoint3 axes[4] = {kX, kX, {0.0f, 0.6f, 0.8f}, kX};
    for (int i = 0; i < 4; ++i)
    {
        auto* key = rotations.Add(std::make_unique<QrTCBRotKey>(float(i) * 0.5f, 0.4f * float(i), axes[i]));
        key->m_tension = 0.25f;
        key->m_continuity = -0.25f;
        key->m_bias = 0.5f;
    }
    hand->SetRotKeys(rotations.Data(), rotations.Count());
    OwnedKeys<QrAnimKey> positions;
    for (int i = 0; i < 4; ++i)
    {
        auto* key = positions.Add(
            std::make_unique<QrTCBPosKey>(float(i) * 0.5f, QrPoint3(0.6f, 0.1f * float(i % 2), 0.05f * float(i))));
        key->m_tension = 0.5f;
    }
    hand->SetPosKeys(positions.Data(), positions.Count());
    return hand;
}

// One Euler key: x on TCB keys, y on Bezier keys, z on linear keys, applied y, z, x.
QrPointer<Qr3dsAnimationNode> MakeHead()
{
    QrPointer<Qr3dsAnimationNode> head = MakeNode("head", 0.0f, 0.0f, 1.5f);
    QrEulerRotKey euler;
    euler.m_axisOrder = 2;
    std::vector<std::unique_ptr<QrFloatKey>> x, y, z;
    for (int i = 0; i < 3; ++i)
    {
        const float t = float(i);
        x.push_back(std::make_unique<QrTCBFloatKey>(t, i == 1 ? 0.3f : 0.0f));
        auto bezier = std::make_unique<QrBezierFloatKey>(t, i == 1 ? -0.5f : 0.0f);
        bezier->m_inTangent = bezier->m_outTangent = 0.1f;
        y.push_back(std::move(bezier));
        z.push_back(std::make_unique<QrLinearFloatKey>(t, 0.25f * t));
    }
    euler.SetKeys(QrEulerRotKey::kAxisX, std::move(x));
    euler.SetKeys(QrEulerRotKey::kAxisY, std::move(y));
    euler.SetKeys(QrEulerRotKey::kAxisZ, std::move(z));
    QrRotKey* keys[1] = {&euler};
    head->SetRotKeys(keys, 1);
    return head;
}

// Visibility keys only: shown in the first half of each cycle.
QrPointer<Qr3dsAnimationNode> MakeFlag()
{
    QrPointer<Qr3dsAnimationNode> flag = MakeNode("flag", 0.0f, 0.5f, 2.0f);
    OwnedKeys<QrVisibilityKey> visibility;
    visibility.Add(std::make_unique<QrVisibilityKey>(0.0f, 1));
    visibility.Add(std::make_unique<QrVisibilityKey>(1.0f, 0));
    visibility.Add(std::make_unique<QrVisibilityKey>(2.0f, 0));
    flag->SetVisibilityKeys(visibility.Data(), visibility.Count());
    return flag;
}

// A box of the given half extents at a place in node's frame, to show where the node is.
void AddShape(QrNode* node, const QrPoint3& half, const QrPoint3& at, const QrColorA& color)
{
    QrPointer<QrTriShape> box = MakeBox(nullptr, half.x, half.y, half.z, color);
    box->SetTranslate(at.x, at.y, at.z);
    node->AttachChild(box.Get());
}

// Boxes on the model's nodes, so that the file shows a figure. Up is z: a torso, an arm
// reaching along x to a hand, a head and a flag on top.
void DressAnimatedModel(QrNode* body)
{
    const QrColorA shirt(0.2f, 0.4f, 0.8f, 1.0f);
    const QrColorA skin(0.9f, 0.7f, 0.55f, 1.0f);
    auto node = [&](const char* name) { return static_cast<QrNode*>(body->GetObjectByName(name)); };
    AddShape(body, {0.35f, 0.25f, 0.6f}, {0.0f, 0.0f, 0.6f}, shirt);
    AddShape(node("arm"), {0.62f, 0.1f, 0.1f}, {-0.03f, 0.0f, 0.0f}, shirt);
    AddShape(node("hand"), {0.12f, 0.1f, 0.05f}, {0.1f, 0.0f, 0.0f}, skin);
    AddShape(node("head"), {0.22f, 0.22f, 0.25f}, {0.0f, 0.0f, 0.0f}, skin);
    AddShape(node("flag"), {0.02f, 0.35f, 0.2f}, {0.0f, 0.35f, 0.0f}, QrColorA(0.9f, 0.1f, 0.1f, 1.0f));
}

} // namespace

// A path controller along four points; a closed path returns to its first point.
QrPointer<Qr3dsPathController> MakePathController(bool closed)
{
    QrPointer<Qr3dsPathController> path = new Qr3dsPathController;
    path->SetName(closed ? "closed path" : "open path");
    path->SetMode(QrAnimTiming::kModeUpdate);
    path->SetCycleType(closed ? QrAnimTiming::kCycleLoop : QrAnimTiming::kCycleReverse);
    path->m_followEnabled = 1;
    path->m_bankEnabled = 1;
    path->m_bankAmount = 0.35f;
    path->m_curveFrame = closed ? 1 : 0;
    path->m_smoothing = closed ? 0.2f : 0.0f;
    path->m_constantSpeed = closed ? 1 : 0;
    const QrPoint3 points[5] = {
        {0.0f, 0.0f, 0.0f}, {10.0f, 0.0f, 0.0f}, {10.0f, 10.0f, 1.0f}, {0.0f, 10.0f, 0.0f}, {-5.0f, 5.0f, 0.0f}};
    OwnedKeys<QrAnimKey> keys;
    for (int i = 0; i < 5; ++i)
    {
        const QrPoint3 point = closed && i == 4 ? points[0] : points[i];
        if (closed)
            keys.Add(std::make_unique<QrTCBPosKey>(float(i), point));
        else
            keys.Add(std::make_unique<QrBezierPosKey>(float(i), point))->m_outTangent = {2.0f, 2.0f, 0.0f};
    }
    path->SetPathKeys(keys.Data(), keys.Count());
    // Closed: a fraction of the arc length from 0 to 1; open: path key times 0 to 4.
    OwnedKeys<QrFloatKey> percent;
    if (closed)
    {
        percent.Add(std::make_unique<QrTCBFloatKey>(0.0f, 0.0f));
        percent.Add(std::make_unique<QrTCBFloatKey>(8.0f, 1.0f));
    }
    else
    {
        percent.Add(std::make_unique<QrLinearFloatKey>(0.0f, 0.0f));
        percent.Add(std::make_unique<QrLinearFloatKey>(6.0f, 4.0f));
    }
    path->SetPercentKeys(percent.Data(), percent.Count());
    return path;
}

QrPointer<Qr3dsAnimationNode> MakeAnimatedModel()
{
    QrPointer<Qr3dsAnimationNode> body = MakeBody();
    QrPointer<Qr3dsAnimationNode> arm = MakeArm();
    arm->AttachChild(MakeHand().Get());
    body->AttachChild(arm.Get());
    body->AttachChild(MakeHead().Get());
    body->AttachChild(MakeFlag().Get());
    return body;
}

QrPointer<Qr3dsAlphaAnimator> MakeAlphaFade(QrMaterialProperty* target)
{
    QrPointer<Qr3dsAlphaAnimator> animator = new Qr3dsAlphaAnimator;
    animator->SetName("fade");
    animator->SetCycleType(QrAnimTiming::kCycleReverse);
    animator->SetTarget(target);
    OwnedKeys<QrFloatKey> alpha;
    alpha.Add(std::make_unique<QrLinearFloatKey>(0.0f, 1.0f));
    alpha.Add(std::make_unique<QrLinearFloatKey>(1.5f, 0.2f));
    alpha.Add(std::make_unique<QrLinearFloatKey>(2.0f, 0.0f));
    animator->SetKeys(alpha.Data(), alpha.Count());
    return animator;
}

void GenerateAnimation(Context& context)
{
    // A small key-framed model: the framework finds its nodes by name.
    QrPointer<QrNode> root = new QrNode;
    root->SetName("Scene Root");
    QrPointer<Qr3dsAnimationNode> model = MakeAnimatedModel();
    DressAnimatedModel(model.Get());
    root->AttachChild(model.Get());
    context.WriteScene("Data/Engine/Animation/animated_model.qrf", {root.Get()});

    // Each path carries a small boat, which turns and banks as it follows the path.
    QrPointer<Qr3dsPathController> open = MakePathController(false);
    QrPointer<Qr3dsPathController> closed = MakePathController(true);
    for (Qr3dsPathController* path : {open.Get(), closed.Get()})
        AddShape(path, {0.8f, 0.3f, 0.2f}, {0.0f, 0.0f, 0.0f}, QrColorA(0.85f, 0.85f, 0.8f, 1.0f));
    context.WriteScene("Data/Engine/Animation/paths.qrf", {open.Get(), closed.Get()});

    // A node whose material fades in and out.
    QrPointer<QrMaterialProperty> material = new QrMaterialProperty;
    material->SetName("fading material");
    QrPointer<QrNode> fader = new QrNode;
    fader->SetName("fader");
    fader->AttachProperty(material.Get());
    QrPointer<QrAlphaProperty> blend = new QrAlphaProperty;
    blend->m_enabled = 1;
    fader->AttachProperty(blend.Get());
    AddShape(fader.Get(), {0.5f, 0.5f, 0.5f}, {0.0f, 0.0f, 0.0f}, QrColorA(1.0f, 1.0f, 1.0f, 1.0f));
    QrPointer<Qr3dsAlphaAnimator> animator = MakeAlphaFade(material.Get());
    context.WriteScene("Data/Engine/Animation/alpha_fade.qrf", {fader.Get(), animator.Get()});
}

} // namespace gen
