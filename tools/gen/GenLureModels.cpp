// The eleven lures as the fishing line carries them, and the casting target the player aims
// with. Each lure file holds a "Lure" node, nose along +x and two units long (the game scales
// it), with its moving part key-framed: a wobbling crankbait, a turning spinner blade, a worm's
// tail. The casting target is a ring that turns on the water under a bobbing marker.

#include "GenMesh.h"
#include "SampleData.h"

#include "GenKeys.h"
#include "SampleShapes.h"

#include "Qr3dsAnimationNode.h"
#include "QrColorA.h"
#include "QrLinearPosKey.h"
#include "QrNode.h"
#include "QrTCBRotKey.h"
#include "QrTriShape.h"
#include "QrVertexColorProperty.h"
#include "QrZBufferProperty.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace gen
{

namespace
{

const float kTwoPi = 6.2831853f;
constexpr int kSteps = 9;

// Half height and half width at t (0 tail .. 1 nose), and the colour at t and up (1 top, -1 bottom).
using Profile = std::function<QrPoint3(float t)>;
using Paint = std::function<QrColorA(float t, float up)>;

// A closed body of rings along a centre line from x0 to x1 (the centre may bend in y and z).
QrPointer<QrTriShape> Tube(const char* name, float x0, float x1, const Profile& profile, const Paint& paint,
                           const std::function<QrPoint3(float t)>& bend = nullptr)
{
    constexpr int kStations = 14;
    constexpr int kRing = 10;
    Mesh mesh;
    for (int i = 0; i < kStations; ++i)
    {
        const float t = float(i) / float(kStations - 1);
        const QrPoint3 r = profile(t);
        const QrPoint3 c = bend ? bend(t) : QrPoint3(0, 0, 0);
        for (int k = 0; k < kRing; ++k)
        {
            const float a = kTwoPi * float(k) / float(kRing);
            const float up = std::cos(a);
            mesh.Add(QrPoint3(x0 + (x1 - x0) * t + c.x, c.y + r.y * up, c.z + r.z * std::sin(a)), paint(t, up));
        }
    }
    for (int i = 0; i + 1 < kStations; ++i)
        for (int k = 0; k < kRing; ++k)
        {
            const uint16_t a = uint16_t(i * kRing + k);
            const uint16_t b = uint16_t(i * kRing + (k + 1) % kRing);
            mesh.Triangle(a, uint16_t(a + kRing), b);
            mesh.Triangle(b, uint16_t(a + kRing), uint16_t(b + kRing));
        }
    const QrPoint3 c0 = bend ? bend(0.0f) : QrPoint3(0, 0, 0);
    const QrPoint3 c1 = bend ? bend(1.0f) : QrPoint3(0, 0, 0);
    const uint16_t tail = mesh.Add(QrPoint3(x0 + c0.x, c0.y, c0.z), paint(0.0f, 0.0f));
    const uint16_t nose = mesh.Add(QrPoint3(x1 + c1.x, c1.y, c1.z), paint(1.0f, 0.0f));
    const int last = (kStations - 1) * kRing;
    for (int k = 0; k < kRing; ++k)
    {
        mesh.Triangle(tail, uint16_t(k), uint16_t((k + 1) % kRing));
        mesh.Triangle(nose, uint16_t(last + (k + 1) % kRing), uint16_t(last + k));
    }
    return mesh.Make(name);
}

// A flat shape from a fan of points, both faces drawn.
QrPointer<QrTriShape> Flat(const char* name, const std::vector<QrPoint3>& outline, const QrColorA& centre,
                           const QrColorA& edge)
{
    Mesh mesh;
    for (int side = 0; side < 2; ++side)
    {
        const uint16_t base = uint16_t(mesh.vertices.size());
        for (size_t i = 0; i < outline.size(); ++i)
            mesh.Add(outline[i], i == 0 ? centre : edge);
        for (size_t i = 1; i + 1 < outline.size(); ++i)
        {
            if (side == 0)
                mesh.Triangle(base, uint16_t(base + i), uint16_t(base + i + 1));
            else
                mesh.Triangle(base, uint16_t(base + i + 1), uint16_t(base + i));
        }
    }
    return mesh.Make(name);
}

// An oval in the plane of the two axes, fanned from its centre.
std::vector<QrPoint3> Oval(const QrPoint3& centre, const QrPoint3& a, const QrPoint3& b, int count = 12)
{
    std::vector<QrPoint3> points{centre};
    for (int i = 0; i <= count; ++i)
    {
        const float t = kTwoPi * float(i) / float(count);
        points.push_back(centre + a * std::cos(t) + b * std::sin(t));
    }
    return points;
}

QrPointer<Qr3dsAnimationNode> Animated(const char* name, const QrPoint3& at)
{
    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    node->SetName(name);
    node->GetTranslate() = at;
    node->SetMode(QrAnimTiming::kModeUpdate);
    node->SetCycleType(QrAnimTiming::kCycleLoop);
    return node;
}

// A sine swing about the axis, or a steady turn when spin is set.
void Keys(Qr3dsAnimationNode* node, const QrPoint3& axis, float amplitude, float period, bool spin = false)
{
    OwnedKeys<QrRotKey> keys;
    for (int i = 0; i < kSteps; ++i)
    {
        const float f = float(i) / float(kSteps - 1);
        const float angle = spin ? kTwoPi * f : amplitude * std::sin(kTwoPi * f);
        keys.Add(std::make_unique<QrTCBRotKey>(period * f, angle, axis));
    }
    node->SetRotKeys(keys.Data(), keys.Count());
}

QrColorA C(float r, float g, float b)
{
    return QrColorA(r, g, b, 1.0f);
}

QrColorA Mix(const QrColorA& a, const QrColorA& b, float t)
{
    t = std::fmin(1.0f, std::fmax(0.0f, t));
    return QrColorA(a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, 1.0f);
}

const QrPoint3 kX{1, 0, 0};
const QrPoint3 kY{0, 1, 0};
const QrPoint3 kZ{0, 0, 1};
const QrColorA kSilver = C(0.82f, 0.84f, 0.86f);
const QrColorA kHookGrey = C(0.45f, 0.46f, 0.48f);
const QrColorA kBlack = C(0.05f, 0.05f, 0.05f);

// A treble hook hanging under the body at x.
void Hook(QrNode* parent, float x, float y)
{
    QrPointer<QrTriShape> shank = MakeBox("Hook", 0.012f, 0.09f, 0.012f, kHookGrey);
    shank->SetTranslate(x, y - 0.09f, 0.0f);
    parent->AttachChild(shank.Get());
    QrPointer<QrTriShape> bend = MakeBox("Hook", 0.06f, 0.012f, 0.06f, kHookGrey);
    bend->SetTranslate(x, y - 0.18f, 0.0f);
    parent->AttachChild(bend.Get());
}

void Eyes(QrNode* parent, float x, float y, float z, float size)
{
    for (float side : {1.0f, -1.0f})
    {
        QrPointer<QrTriShape> eye = MakeBox("Eye", size, size, 0.01f, C(0.95f, 0.85f, 0.1f));
        eye->SetTranslate(x, y, side * z);
        parent->AttachChild(eye.Get());
        QrPointer<QrTriShape> pupil = MakeBox(nullptr, size * 0.5f, size * 0.5f, 0.012f, kBlack);
        pupil->SetTranslate(x, y, side * (z + 0.004f));
        parent->AttachChild(pupil.Get());
    }
}

QrPointer<QrNode> Crankbait()
{
    QrPointer<Qr3dsAnimationNode> body = Animated("Wobble", {0, 0, 0});
    Keys(body.Get(), kX, 0.35f, 0.3f);
    // Firetiger: green back, chartreuse flank, orange belly and black bars.
    body->AttachChild(Tube(
                          "Body", -0.8f, 0.7f,
                          [](float t)
                          {
                              const float s = std::sin(3.1416f * (0.15f + 0.85f * t));
                              return QrPoint3(0, 0.36f * s + 0.03f, 0.24f * s + 0.02f);
                          },
                          [](float t, float up)
                          {
                              QrColorA c = up > 0.2f ? Mix(C(0.75f, 0.9f, 0.1f), C(0.1f, 0.45f, 0.1f), up)
                                                     : Mix(C(0.75f, 0.9f, 0.1f), C(0.98f, 0.45f, 0.05f), -up * 1.5f);
                              if (up > -0.2f && std::fmod(t * 6.0f, 1.0f) < 0.3f && t < 0.8f)
                                  c = Mix(c, kBlack, 0.8f);
                              return c;
                          })
                          .Get());
    body->AttachChild(Flat("Lip",
                           {{0.65f, -0.05f, 0},
                            {0.7f, -0.05f, 0.14f},
                            {1.15f, -0.35f, 0.12f},
                            {1.2f, -0.4f, 0},
                            {1.15f, -0.35f, -0.12f},
                            {0.7f, -0.05f, -0.14f}},
                           C(0.8f, 0.85f, 0.9f), C(0.9f, 0.95f, 1.0f))
                          .Get());
    Eyes(body.Get(), 0.45f, 0.1f, 0.17f, 0.06f);
    Hook(body.Get(), 0.25f, -0.3f);
    Hook(body.Get(), -0.55f, -0.2f);
    return QrPointer<QrNode>(body.Get());
}

QrPointer<QrNode> Spinner()
{
    QrPointer<QrNode> lure(new QrNode);
    lure->AttachChild(
        Tube(
            "Body", -0.3f, 0.3f,
            [](float t)
            { return QrPoint3(0, 0.08f + 0.06f * std::sin(3.14f * t), 0.08f + 0.06f * std::sin(3.14f * t)); },
            [](float, float up) { return Mix(C(0.85f, 0.65f, 0.2f), C(0.6f, 0.42f, 0.1f), -up); })
            .Get());
    QrPointer<QrTriShape> shaft = MakeBox("Shaft", 0.5f, 0.01f, 0.01f, kSilver);
    shaft->SetTranslate(0.55f, 0, 0);
    lure->AttachChild(shaft.Get());
    QrPointer<Qr3dsAnimationNode> blade = Animated("Blade", {0.65f, 0, 0});
    Keys(blade.Get(), kX, 0.0f, 0.25f, true);
    blade->AttachChild(
        Flat("BladeLeaf", Oval({0.0f, 0.16f, 0}, {0.28f, 0, 0}, {0, 0.14f, 0}), kSilver, C(0.95f, 0.95f, 0.9f)).Get());
    lure->AttachChild(blade.Get());
    // A red-and-white dressed treble behind the body.
    for (int i = 0; i < 6; ++i)
    {
        const float a = kTwoPi * float(i) / 6.0f;
        lure->AttachChild(Flat("Skirt",
                               {{-0.3f, 0, 0},
                                {-0.85f, 0.14f * std::cos(a), 0.14f * std::sin(a)},
                                {-0.8f, 0.14f * std::cos(a + 0.5f), 0.14f * std::sin(a + 0.5f)}},
                               C(0.9f, 0.1f, 0.1f), i % 2 ? C(1, 1, 1) : C(0.9f, 0.1f, 0.1f))
                              .Get());
    }
    Hook(lure.Get(), -0.45f, -0.02f);
    return lure;
}

QrPointer<QrNode> Worm(const QrColorA& colour, const QrColorA& belly, float curl)
{
    QrPointer<Qr3dsAnimationNode> tail = Animated("TailWag", {0, 0, 0});
    Keys(tail.Get(), kY, 0.3f, 0.6f);
    tail->AttachChild(Tube(
                          "Body", -1.0f, 1.0f,
                          [](float t)
                          {
                              const float r = t > 0.9f ? 0.1f * (1.0f - (t - 0.9f) * 6.0f) : 0.04f + 0.06f * t;
                              return QrPoint3(0, r, r);
                          },
                          [colour, belly](float t, float up)
                          {
                              QrColorA c = Mix(colour, belly, -up);
                              if (std::fabs(t - 0.72f) < 0.04f)
                                  c = Mix(c, C(0.9f, 0.5f, 0.6f), 0.6f);
                              return c;
                          },
                          [curl](float t)
                          { return QrPoint3(0, 0, curl * std::sin(3.1416f * 1.5f * (1.0f - t)) * (1.0f - t)); })
                          .Get());
    return QrPointer<QrNode>(tail.Get());
}

QrPointer<QrNode> Spoon()
{
    QrPointer<Qr3dsAnimationNode> spoon = Animated("Wobble", {0, 0, 0});
    Keys(spoon.Get(), kX, 0.6f, 0.35f);
    // A curved teardrop: silver face, red stripe.
    Mesh mesh;
    for (int side = 0; side < 2; ++side)
    {
        const uint16_t base = uint16_t(mesh.vertices.size());
        const int n = 16;
        mesh.Add({0.0f, -0.06f, 0.0f}, kSilver);
        for (int i = 0; i <= n; ++i)
        {
            const float a = kTwoPi * float(i) / float(n);
            const float x = 0.9f * std::cos(a) - 0.1f;
            const float halfWidth = 0.32f * (1.0f - 0.35f * std::cos(a));
            const float z = halfWidth * std::sin(a);
            const bool stripe = std::fabs(z) < 0.08f;
            mesh.Add({x, 0.08f * (z / 0.4f) * (z / 0.4f), z}, stripe ? C(0.85f, 0.1f, 0.1f) : C(0.92f, 0.93f, 0.95f));
        }
        for (int i = 1; i <= n; ++i)
        {
            if (side == 0)
                mesh.Triangle(base, uint16_t(base + i), uint16_t(base + i + 1));
            else
                mesh.Triangle(base, uint16_t(base + i + 1), uint16_t(base + i));
        }
    }
    spoon->AttachChild(mesh.Make("Body").Get());
    Hook(spoon.Get(), -1.0f, 0.05f);
    return QrPointer<QrNode>(spoon.Get());
}

QrPointer<QrNode> Stickbait(bool popper)
{
    QrPointer<Qr3dsAnimationNode> body = Animated("Walk", {0, 0, 0});
    Keys(body.Get(), kY, popper ? 0.15f : 0.45f, popper ? 0.5f : 0.4f);
    const QrColorA topColour = popper ? C(0.9f, 0.8f, 0.1f) : C(0.1f, 0.1f, 0.12f);
    const QrColorA sideColour = popper ? C(0.95f, 0.9f, 0.3f) : C(0.95f, 0.95f, 0.95f);
    const float length = popper ? 0.75f : 1.0f;
    body->AttachChild(Tube(
                          "Body", -length, length * 0.9f,
                          [popper](float t)
                          {
                              const float s =
                                  popper ? 0.2f + 0.12f * t : 0.05f + 0.2f * std::sin(3.1416f * (0.1f + 0.8f * t));
                              return QrPoint3(0, s, s);
                          },
                          [topColour, sideColour](float t, float up)
                          {
                              QrColorA c = up > 0.3f ? topColour : sideColour;
                              if (t > 0.85f && up < -0.2f)
                                  c = C(0.85f, 0.1f, 0.1f);
                              return c;
                          })
                          .Get());
    if (popper)
        body->AttachChild(
            Flat("Cup", Oval({length * 0.9f + 0.01f, 0, 0}, {0, 0.3f, 0}, {0, 0, 0.3f}), C(0.15f, 0.1f, 0.05f), kBlack)
                .Get());
    Eyes(body.Get(), length * 0.7f, 0.08f, popper ? 0.27f : 0.18f, 0.05f);
    Hook(body.Get(), length * 0.3f, -0.2f);
    Hook(body.Get(), -length * 0.6f, -0.15f);
    return QrPointer<QrNode>(body.Get());
}

// A skirt of flat strands fanned backwards from x.
void Skirt(QrNode* parent, float x, float length, const QrColorA& a, const QrColorA& b)
{
    for (int i = 0; i < 10; ++i)
    {
        const float t = kTwoPi * float(i) / 10.0f;
        parent->AttachChild(Flat("Skirt",
                                 {{x, 0, 0},
                                  {x - length, 0.3f * std::cos(t), 0.3f * std::sin(t)},
                                  {x - length, 0.3f * std::cos(t + 0.4f), 0.3f * std::sin(t + 0.4f)}},
                                 a, i % 2 ? a : b)
                                .Get());
    }
}

QrPointer<QrNode> RatJig()
{
    QrPointer<Qr3dsAnimationNode> jig = Animated("Hop", {0, 0, 0});
    Keys(jig.Get(), kZ, 0.25f, 0.8f);
    jig->AttachChild(Tube(
                         "Head", 0.3f, 0.8f,
                         [](float t)
                         {
                             const float s = 0.22f * std::sin(3.1416f * (0.15f + 0.85f * t)) + 0.02f;
                             return QrPoint3(0, s, s);
                         },
                         [](float, float) { return C(0.2f, 0.18f, 0.15f); })
                         .Get());
    Eyes(jig.Get(), 0.6f, 0.08f, 0.16f, 0.05f);
    Skirt(jig.Get(), 0.35f, 0.9f, C(0.35f, 0.22f, 0.12f), C(0.15f, 0.1f, 0.06f));
    jig->AttachChild(Flat("Trailer", {{-0.4f, 0, 0}, {-1.0f, 0.15f, 0}, {-1.05f, 0, 0}, {-1.0f, -0.15f, 0}},
                          C(0.4f, 0.26f, 0.14f), C(0.25f, 0.15f, 0.08f))
                         .Get());
    QrPointer<QrTriShape> hook = MakeBox("Hook", 0.4f, 0.015f, 0.015f, kHookGrey);
    hook->SetTranslate(-0.1f, 0.1f, 0);
    jig->AttachChild(hook.Get());
    return QrPointer<QrNode>(jig.Get());
}

QrPointer<QrNode> Buzzbait()
{
    QrPointer<QrNode> lure(new QrNode);
    lure->AttachChild(Tube(
                          "Head", 0.2f, 0.6f,
                          [](float t)
                          {
                              const float s = 0.16f * std::sin(3.1416f * t) + 0.02f;
                              return QrPoint3(0, s, s);
                          },
                          [](float, float) { return C(0.95f, 0.95f, 0.95f); })
                          .Get());
    Skirt(lure.Get(), 0.25f, 0.8f, C(0.98f, 0.98f, 0.98f), C(0.85f, 0.9f, 0.95f));
    QrPointer<QrTriShape> arm = MakeBox("Wire", 0.012f, 0.35f, 0.012f, kSilver);
    arm->SetTranslate(0.6f, 0.35f, 0);
    lure->AttachChild(arm.Get());
    QrPointer<QrTriShape> upper = MakeBox("Wire", 0.45f, 0.012f, 0.012f, kSilver);
    upper->SetTranslate(0.15f, 0.7f, 0);
    lure->AttachChild(upper.Get());
    QrPointer<Qr3dsAnimationNode> blade = Animated("Blade", {-0.25f, 0.7f, 0});
    Keys(blade.Get(), kX, 0.0f, 0.15f, true);
    for (float side : {1.0f, -1.0f})
        blade->AttachChild(Flat("Vane", {{0, 0, 0}, {0.1f, 0.32f * side, 0.1f}, {-0.1f, 0.32f * side, -0.1f}}, kSilver,
                                C(0.95f, 0.95f, 0.85f))
                               .Get());
    lure->AttachChild(blade.Get());
    return lure;
}

QrPointer<QrNode> Crayfish()
{
    QrPointer<Qr3dsAnimationNode> craw = Animated("Claws", {0, 0, 0});
    Keys(craw.Get(), kY, 0.12f, 0.7f);
    const QrColorA shell = C(0.62f, 0.32f, 0.15f);
    craw->AttachChild(Tube(
                          "Body", -0.9f, 0.5f,
                          [](float t)
                          {
                              const float s = 0.08f + 0.12f * std::sin(3.1416f * (0.2f + 0.8f * t));
                              return QrPoint3(0, s * 0.8f, s);
                          },
                          [shell](float t, float up)
                          {
                              QrColorA c = Mix(shell, C(0.85f, 0.6f, 0.4f), -up);
                              if (std::fmod(t * 7.0f, 1.0f) < 0.15f && t < 0.5f)
                                  c = Mix(c, C(0.3f, 0.15f, 0.06f), 0.6f);
                              return c;
                          })
                          .Get());
    craw->AttachChild(Flat("TailFan", {{-0.9f, 0, 0}, {-1.15f, 0, 0.22f}, {-1.2f, 0, 0}, {-1.15f, 0, -0.22f}}, shell,
                           C(0.4f, 0.2f, 0.1f))
                          .Get());
    for (float side : {1.0f, -1.0f})
    {
        QrPointer<QrTriShape> arm = MakeBox("Arm", 0.22f, 0.03f, 0.03f, shell);
        arm->SetTranslate(0.65f, 0, side * 0.16f);
        craw->AttachChild(arm.Get());
        QrPointer<QrTriShape> claw = MakeBox("Claw", 0.18f, 0.05f, 0.09f, C(0.7f, 0.35f, 0.15f));
        claw->SetTranslate(0.98f, 0, side * 0.22f);
        craw->AttachChild(claw.Get());
        for (int leg = 0; leg < 3; ++leg)
        {
            QrPointer<QrTriShape> l = MakeBox("Leg", 0.015f, 0.015f, 0.16f, shell);
            l->SetTranslate(0.25f - 0.12f * float(leg), -0.08f, side * 0.2f);
            craw->AttachChild(l.Get());
        }
    }
    return QrPointer<QrNode>(craw.Get());
}

QrPointer<QrNode> Frog()
{
    QrPointer<Qr3dsAnimationNode> frog = Animated("Kick", {0, 0, 0});
    Keys(frog.Get(), kZ, 0.08f, 0.6f);
    frog->AttachChild(Tube(
                          "Body", -0.5f, 0.6f,
                          [](float t)
                          {
                              const float s = std::sin(3.1416f * (0.1f + 0.85f * t));
                              return QrPoint3(0, 0.16f * s + 0.02f, 0.34f * s + 0.02f);
                          },
                          [](float t, float up)
                          {
                              QrColorA c = up > 0.0f ? C(0.2f, 0.5f, 0.15f) : C(0.92f, 0.88f, 0.55f);
                              if (up > 0.3f && std::fmod(t * 5.0f + up, 1.0f) < 0.2f)
                                  c = C(0.08f, 0.2f, 0.06f);
                              return c;
                          })
                          .Get());
    Eyes(frog.Get(), 0.4f, 0.14f, 0.14f, 0.06f);
    for (float side : {1.0f, -1.0f})
        frog->AttachChild(Flat("Leg",
                               {{-0.4f, 0, side * 0.15f},
                                {-0.9f, 0, side * 0.45f},
                                {-1.1f, 0, side * 0.35f},
                                {-0.95f, 0, side * 0.25f}},
                               C(0.25f, 0.55f, 0.2f), C(0.85f, 0.75f, 0.2f))
                              .Get());
    return QrPointer<QrNode>(frog.Get());
}

QrPointer<QrNode> Lizard()
{
    QrPointer<QrNode> lizard = Worm(C(0.3f, 0.36f, 0.12f), C(0.65f, 0.6f, 0.3f), 0.25f);
    for (float x : {0.55f, 0.1f})
        for (float side : {1.0f, -1.0f})
            lizard->AttachChild(Flat("Leg",
                                     {{x, 0, side * 0.06f}, {x - 0.15f, 0, side * 0.3f}, {x - 0.05f, 0, side * 0.32f}},
                                     C(0.3f, 0.36f, 0.12f), C(0.5f, 0.5f, 0.2f))
                                    .Get());
    return lizard;
}

void WriteLure(Context& context, const char* file, QrPointer<QrNode> model)
{
    QrPointer<QrNode> lure(new QrNode);
    lure->SetName("Lure");
    lure->AttachChild(model.Get());
    lure->UpdateAllInstances();
    context.WriteScene(std::string("Data/") + file, {lure.Get()});
}

// The target: an orange ring with four arrowheads pointing in, turning slowly, and a marker
// bobbing over its centre. Flat on y = 0, one unit across; the game scales it.
QrPointer<QrNode> CastingTarget()
{
    QrPointer<QrNode> target(new QrNode);
    target->SetName("Cast Target");
    QrPointer<QrVertexColorProperty> unlit(new QrVertexColorProperty);
    unlit->m_mode = 1;
    target->AttachProperty(unlit.Get());
    QrPointer<QrZBufferProperty> depth(new QrZBufferProperty);
    depth->m_test = 1;
    depth->m_write = 1;
    target->AttachProperty(depth.Get());

    QrPointer<Qr3dsAnimationNode> spin = Animated("Target Spin", {0, 0.002f, 0});
    Keys(spin.Get(), kY, 0.0f, 4.0f, true);
    Mesh ring;
    const int n = 32;
    for (int i = 0; i <= n; ++i)
    {
        const float a = kTwoPi * float(i) / float(n);
        const QrColorA c = (i / 4) % 2 ? C(1.0f, 0.55f, 0.05f) : C(1.0f, 0.95f, 0.2f);
        ring.Add({0.5f * std::cos(a), 0, 0.5f * std::sin(a)}, c);
        ring.Add({0.42f * std::cos(a), 0, 0.42f * std::sin(a)}, c);
    }
    for (int i = 0; i < n; ++i)
    {
        const uint16_t a = uint16_t(2 * i);
        // Up-facing and down-facing, so the ring shows from under the water too.
        ring.Triangle(a, uint16_t(a + 1), uint16_t(a + 2));
        ring.Triangle(uint16_t(a + 1), uint16_t(a + 3), uint16_t(a + 2));
        ring.Triangle(a, uint16_t(a + 2), uint16_t(a + 1));
        ring.Triangle(uint16_t(a + 1), uint16_t(a + 2), uint16_t(a + 3));
    }
    spin->AttachChild(ring.Make("Ring").Get());
    for (int i = 0; i < 4; ++i)
    {
        const float a = kTwoPi * float(i) / 4.0f;
        const QrPoint3 out(std::cos(a), 0, std::sin(a));
        const QrPoint3 side(-std::sin(a), 0, std::cos(a));
        spin->AttachChild(Flat("Arrow", {out * 0.18f, out * 0.36f + side * 0.08f, out * 0.36f - side * 0.08f},
                               C(1.0f, 0.2f, 0.1f), C(1.0f, 0.5f, 0.1f))
                              .Get());
    }
    target->AttachChild(spin.Get());

    QrPointer<Qr3dsAnimationNode> marker = Animated("Target Marker", {0, 0.15f, 0});
    OwnedKeys<QrAnimKey> bob;
    for (int i = 0; i < kSteps; ++i)
    {
        const float f = float(i) / float(kSteps - 1);
        bob.Add(std::make_unique<QrLinearPosKey>(1.0f * f, QrPoint3(0, 0.15f + 0.06f * std::sin(kTwoPi * f), 0)));
    }
    marker->SetPosKeys(bob.Data(), bob.Count());
    marker->AttachChild(
        Flat("Marker", {{0, 0, 0}, {-0.07f, 0.14f, 0}, {0.07f, 0.14f, 0}}, C(1.0f, 0.2f, 0.1f), C(1.0f, 0.9f, 0.2f))
            .Get());
    marker->AttachChild(
        Flat("Marker", {{0, 0, 0}, {0, 0.14f, -0.07f}, {0, 0.14f, 0.07f}}, C(1.0f, 0.2f, 0.1f), C(1.0f, 0.9f, 0.2f))
            .Get());
    target->AttachChild(marker.Get());
    target->UpdateAllInstances();
    return target;
}

} // namespace

void GenerateLureModels(Context& context)
{
    WriteLure(context, "Crankbait.QRF", Crankbait());
    WriteLure(context, "Spinner.QRF", Spinner());
    WriteLure(context, "Worm.QRF", Worm(C(0.35f, 0.12f, 0.45f), C(0.5f, 0.25f, 0.55f), 0.35f));
    WriteLure(context, "Spoon.QRF", Spoon());
    WriteLure(context, "TopwaterWalker.QRF", Stickbait(false));
    WriteLure(context, "RatJig.QRF", RatJig());
    WriteLure(context, "Buzzbait.QRF", Buzzbait());
    WriteLure(context, "Crayfish.QRF", Crayfish());
    WriteLure(context, "Frog.QRF", Frog());
    WriteLure(context, "lizard.QRF", Lizard());
    WriteLure(context, "TopwaterPopper.QRF", Stickbait(true));
    context.WriteScene("Data/Angling/castTarget.qrf", {CastingTarget().Get()});
}

} // namespace gen
