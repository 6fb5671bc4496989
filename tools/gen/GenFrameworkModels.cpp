// A largemouth bass for the framework's model code: a spindle body shaded olive over a cream
// belly with the dark lateral stripe, eyes, a dorsal fin, a forked tail and two pectoral fins.
// Body, tail and fins are key-framed nodes swimming on a one-second loop; the dart file holds a
// faster, wider stroke for the same nodes, as an angler's clips hold gestures. A fishing line
// runs up from the mouth, and the skin has eight frames of light rippling over the scales.

#include "GenFrameworkModels.h"
#include "GenMesh.h"

#include "GenKeys.h"
#include "SampleData.h"
#include "SampleShapes.h"

#include "qrxVLineStrip.h"

#include "ImageWriters.h"
#include "Qr3dsAnimationNode.h"
#include "QrCamera.h"
#include "QrColorA.h"
#include "QrLight.h"
#include "QrNode.h"
#include "QrTCBRotKey.h"
#include "QrTriShape.h"
#include "QrVertexColorProperty.h"
#include "QrZBufferProperty.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace gen
{

namespace
{

const float kTwoPi = 6.2831853f;
const QrPoint3 kAxisX{1.0f, 0.0f, 0.0f};
const QrPoint3 kAxisY{0.0f, 1.0f, 0.0f};
constexpr int kKeysPerStroke = 9;

// Stations from the tail to the snout: x, half height, half width.
const float kStations[][3] = {
    {-0.84f, 0.06f, 0.03f}, {-0.70f, 0.11f, 0.05f}, {-0.50f, 0.21f, 0.09f}, {-0.25f, 0.29f, 0.12f},
    {0.00f, 0.32f, 0.13f},  {0.25f, 0.31f, 0.12f},  {0.50f, 0.25f, 0.11f},  {0.70f, 0.18f, 0.09f},
    {0.86f, 0.10f, 0.06f},  {0.96f, 0.04f, 0.03f},
};
constexpr int kStationCount = int(sizeof kStations / sizeof kStations[0]);
constexpr int kRing = 16;

QrColorA Mix(const QrColorA& a, const QrColorA& b, float t)
{
    return QrColorA(a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, 1.0f);
}

// Olive back, bronze-green flanks, cream belly, and the blotched stripe along the side.
QrColorA SkinColor(float up, int station)
{
    const QrColorA back(0.22f, 0.32f, 0.12f, 1.0f);
    const QrColorA flank(0.50f, 0.58f, 0.28f, 1.0f);
    const QrColorA belly(0.93f, 0.90f, 0.72f, 1.0f);
    const QrColorA stripe(0.10f, 0.13f, 0.05f, 1.0f);
    QrColorA c = up > 0.0f ? Mix(flank, back, up) : Mix(flank, belly, std::min(1.0f, -up * 1.6f));
    const bool blotch = station % 3 != 1 && station > 0 && station < kStationCount - 2;
    if (std::fabs(up) < 0.3f && blotch)
        c = Mix(c, stripe, 0.85f);
    return c;
}

QrPointer<QrTriShape> MakeBodyMesh()
{
    Mesh mesh;
    for (int s = 0; s < kStationCount; ++s)
        for (int k = 0; k < kRing; ++k)
        {
            const float a = kTwoPi * float(k) / kRing;
            const float up = std::cos(a);
            const QrPoint3 p(kStations[s][0], kStations[s][1] * up, kStations[s][2] * std::sin(a));
            mesh.Add(p, QrPoint3(float(s) / (kStationCount - 1), float(k) / kRing, 0.0f), SkinColor(up, s));
        }
    // Rings run counter-clockwise seen from the snout, so these face outward.
    for (int s = 0; s + 1 < kStationCount; ++s)
        for (int k = 0; k < kRing; ++k)
        {
            const uint16_t a = uint16_t(s * kRing + k);
            const uint16_t b = uint16_t(s * kRing + (k + 1) % kRing);
            const uint16_t c = uint16_t(a + kRing);
            const uint16_t d = uint16_t(b + kRing);
            mesh.Triangle(a, c, b);
            mesh.Triangle(b, c, d);
        }
    const QrColorA darkMouth(0.30f, 0.28f, 0.18f, 1.0f);
    const uint16_t tailCap = mesh.Add({-0.88f, 0.0f, 0.0f}, {0, 0.5f, 0}, SkinColor(0.0f, 1));
    const uint16_t nose = mesh.Add({1.02f, -0.01f, 0.0f}, {1, 0.5f, 0}, darkMouth);
    const int last = (kStationCount - 1) * kRing;
    for (int k = 0; k < kRing; ++k)
    {
        const int next = (k + 1) % kRing;
        mesh.Triangle(tailCap, uint16_t(k), uint16_t(next));
        mesh.Triangle(nose, uint16_t(last + next), uint16_t(last + k));
    }
    return mesh.Make("BodyMesh");
}

// A flat fin outline in the x-y plane (or x-z with flat), both faces drawn.
QrPointer<QrTriShape> MakeFin(const char* name, const std::vector<QrPoint3>& outline, const QrColorA& root,
                              const QrColorA& edge)
{
    Mesh mesh;
    for (int side = 0; side < 2; ++side)
    {
        const uint16_t base = uint16_t(mesh.vertices.size());
        for (size_t i = 0; i < outline.size(); ++i)
            mesh.Add(outline[i], QrPoint3(0, 0, 0), i == 0 ? root : edge);
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

QrPointer<Qr3dsAnimationNode> MakeAnimated(const char* name, const QrPoint3& at)
{
    QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
    node->SetName(name);
    node->GetTranslate() = at;
    node->SetMode(QrAnimTiming::kModeUpdate);
    node->SetCycleType(QrAnimTiming::kCycleLoop);
    return node;
}

// One stroke of a sine swing about the axis: amplitude radians, phase in turns.
void Swing(Qr3dsAnimationNode* node, const QrPoint3& axis, float amplitude, float phase, float period,
           float bias = 0.0f)
{
    OwnedKeys<QrRotKey> keys;
    for (int i = 0; i < kKeysPerStroke; ++i)
    {
        const float t = period * float(i) / float(kKeysPerStroke - 1);
        const float angle = bias + amplitude * std::sin(kTwoPi * (float(i) / float(kKeysPerStroke - 1) + phase));
        keys.Add(std::make_unique<QrTCBRotKey>(t, angle, axis));
    }
    node->SetRotKeys(keys.Data(), keys.Count());
}

struct Stroke
{
    float period;
    float body;
    float tail;
    float fin;
    float finBias;
};

// The key-framed part of the fish: body, and under it tail and fins; the meshes hang below.
QrPointer<Qr3dsAnimationNode> MakeSwimmer(const Stroke& stroke, bool withMeshes)
{
    QrPointer<Qr3dsAnimationNode> body = MakeAnimated("Body", {0, 0, 0});
    QrPointer<Qr3dsAnimationNode> tail = MakeAnimated("Tail", {-0.84f, 0, 0});
    QrPointer<Qr3dsAnimationNode> left = MakeAnimated("Fin_L", {0.48f, -0.12f, 0.11f});
    QrPointer<Qr3dsAnimationNode> right = MakeAnimated("Fin_R", {0.48f, -0.12f, -0.11f});
    Swing(body.Get(), kAxisY, stroke.body, 0.0f, stroke.period);
    Swing(tail.Get(), kAxisY, stroke.tail, -0.15f, stroke.period);
    Swing(left.Get(), kAxisX, stroke.fin, 0.25f, stroke.period, stroke.finBias);
    Swing(right.Get(), kAxisX, stroke.fin, 0.25f, stroke.period, -stroke.finBias);
    body->AttachChild(tail.Get());
    body->AttachChild(left.Get());
    body->AttachChild(right.Get());
    if (!withMeshes)
        return body;

    const QrColorA finRoot(0.42f, 0.46f, 0.22f, 1.0f);
    const QrColorA finEdge(0.62f, 0.60f, 0.40f, 1.0f);
    body->AttachChild(MakeBodyMesh().Get());
    body->AttachChild(MakeFin("Dorsal",
                              {{-0.05f, 0.30f, 0},
                               {0.45f, 0.22f, 0},
                               {0.30f, 0.44f, 0},
                               {0.12f, 0.46f, 0},
                               {-0.10f, 0.40f, 0},
                               {-0.45f, 0.36f, 0},
                               {-0.52f, 0.18f, 0}},
                              finRoot, finEdge)
                          .Get());
    tail->AttachChild(MakeFin("TailFin",
                              {{0.02f, 0, 0},
                               {0.02f, 0.07f, 0},
                               {-0.42f, 0.32f, 0},
                               {-0.30f, 0, 0},
                               {-0.42f, -0.32f, 0},
                               {0.02f, -0.07f, 0}},
                              finRoot, finEdge)
                          .Get());
    for (Qr3dsAnimationNode* fin : {left.Get(), right.Get()})
        fin->AttachChild(
            MakeFin("PectoralFin", {{0, 0, 0}, {-0.05f, 0, 0.02f}, {-0.24f, -0.04f, 0.10f}}, finRoot, finEdge).Get());
    const QrColorA eye(0.05f, 0.04f, 0.02f, 1.0f);
    QrPointer<QrTriShape> eyeLeft = MakeBox("Eye_L", 0.028f, 0.028f, 0.01f, eye);
    eyeLeft->SetTranslate(0.74f, 0.06f, 0.074f);
    QrPointer<QrTriShape> eyeRight = MakeBox("Eye_R", 0.028f, 0.028f, 0.01f, eye);
    eyeRight->SetTranslate(0.74f, 0.06f, -0.074f);
    body->AttachChild(eyeLeft.Get());
    body->AttachChild(eyeRight.Get());
    return body;
}

// Monofilament from the lip up and out of the water, a little slack in the middle.
QrPointer<qrxVLineStrip> MakeLine()
{
    std::vector<QrPoint3> points;
    const QrPoint3 lip(1.02f, -0.02f, 0.0f);
    const QrPoint3 top(1.9f, 3.0f, 0.4f);
    for (int i = 0; i < 8; ++i)
    {
        const float t0 = float(i) / 8.0f;
        const float t1 = float(i + 1) / 8.0f;
        for (float t : {t0, t1})
        {
            QrPoint3 p = lip + (top - lip) * t;
            p.x -= 0.25f * std::sin(3.14159f * t);
            points.push_back(p);
        }
    }
    std::vector<QrColorA> colors(points.size(), QrColorA(0.85f, 0.9f, 0.8f, 1.0f));
    QrPointer<qrxVLineStrip> line(new qrxVLineStrip(uint16_t(points.size()), nullptr, points.data(), colors.data()));
    line->SetName("Line");
    // Monofilament shows its own colour whatever the light.
    QrPointer<QrVertexColorProperty> unlit(new QrVertexColorProperty);
    unlit->m_mode = 1;
    line->AttachProperty(unlit.Get());
    return line;
}

// Scales in staggered rows with light rippling across them: frame f moves the ripple on.
QrImagePixels MakeSkinPicture(int frame)
{
    const uint32_t w = 64;
    const uint32_t h = 32;
    QrImagePixels picture;
    picture.Allocate(QrImagePixels::kFormatRGB, w, h);
    for (uint32_t y = 0; y < h; ++y)
    {
        uint8_t* row = picture.GetRow(y);
        for (uint32_t x = 0; x < w; ++x)
        {
            // Each scale is a crescent: darker towards its rim.
            const float sx = float(x % 8) + ((y / 6) % 2 ? 4.0f : 0.0f);
            const float fx = std::fmod(sx, 8.0f) - 4.0f;
            const float fy = float(y % 6) - 1.0f;
            const float rim = std::min(1.0f, std::sqrt(fx * fx + fy * fy) / 5.0f);
            float light = 0.78f + 0.22f * (1.0f - rim);
            if (frame >= 0)
            {
                const float phase = kTwoPi * (float(x + y) / 48.0f - float(frame) / kBassSkinFrames);
                light += 0.18f * std::max(0.0f, std::sin(phase));
            }
            const float v = std::min(1.0f, light);
            row[3 * x + 0] = uint8_t(235.0f * v);
            row[3 * x + 1] = uint8_t(245.0f * v);
            row[3 * x + 2] = uint8_t(215.0f * v);
        }
    }
    return picture;
}

void WriteSkin(Context& context)
{
    const std::string base = kBassSkinFile;
    const std::string stem = base.substr(0, base.size() - 4);
    context.WriteBytes(base, tools::WriteBMP(MakeSkinPicture(-1), tools::BmpOptions{}));
    for (int f = 0; f < kBassSkinFrames; ++f)
    {
        char number[12];
        std::snprintf(number, sizeof number, "%02d", f);
        context.WriteBytes(stem + number + ".bmp", tools::WriteBMP(MakeSkinPicture(f), tools::BmpOptions{}));
    }
}

} // namespace

void GenerateFrameworkModels(Context& context)
{
    WriteSkin(context);

    QrPointer<QrNode> bass(new QrNode);
    bass->SetName("Bass");
    QrPointer<QrZBufferProperty> depth(new QrZBufferProperty);
    depth->m_test = 1;
    depth->m_write = 1;
    bass->AttachProperty(depth.Get());
    bass->AttachChild(MakeSwimmer({kBassSwimPeriod, 0.10f, 0.42f, 0.35f, 0.0f}, true).Get());
    bass->AttachChild(MakeLine().Get());

    QrPointer<QrNode> lights(new QrNode);
    lights->SetName("Lights");
    QrPointer<QrLight> ambient(new QrLight);
    ambient->SetName("Lake Light");
    ambient->SetType(QrLight::kAmbient);
    ambient->SetAmbientColor(QrPoint3(0.45f, 0.5f, 0.5f));
    QrPointer<QrLight> sun(new QrLight);
    sun->SetName("Sun");
    sun->SetType(QrLight::kDirectional);
    sun->SetLocalDirection(QrPoint3(-0.3f, -1.0f, -0.4f));
    sun->SetDiffuseColor(QrPoint3(0.85f, 0.82f, 0.7f));
    lights->AttachChild(ambient.Get());
    lights->AttachChild(sun.Get());
    bass->AttachChild(lights.Get());
    ambient->AttachAffectedNode(bass.Get());
    sun->AttachAffectedNode(bass.Get());
    bass->UpdateAllInstances();

    QrPointer<QrCamera> camera(new QrCamera(0.5f, 20.0f));
    camera->SetName("Bass Camera");
    camera->SetTranslate(0.4f, 0.6f, 3.2f);
    camera->Update(camera->GetCurrentInstance());
    camera->LookAt(QrPoint3(0.1f, 0.0f, 0.0f), QrPoint3(0, 1, 0));
    camera->SetSceneRoot(bass.Get());
    context.WriteScene(kBassFile, {bass.Get(), camera.Get()});

    // The dart: the same nodes without meshes, twice as fast, fins folded back.
    QrPointer<QrNode> dart(new QrNode);
    dart->SetName("Dart");
    dart->AttachChild(MakeSwimmer({kBassDartPeriod, 0.22f, 0.75f, 0.12f, 0.9f}, false).Get());
    context.WriteScene(kBassDartFile, {dart.Get()});
}

} // namespace gen
