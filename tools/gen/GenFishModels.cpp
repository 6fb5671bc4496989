// The seventeen fish species as the game shows them: each file holds one "Fish" level-of-detail
// node with a near model (a textured body of many rings, fins, eyes, and what sets the species
// apart: barbels, an ear flap, a jaw) and a far model of a few rings, both swimming on a
// key-framed loop. Models run nose to tail along x, two units long, back up; the game scales
// them to the fish's length.

#include "GenMesh.h"
#include "SampleData.h"

#include "GenKeys.h"
#include "SampleObjects.h"
#include "SampleShapes.h"

#include "Qr3dsAnimationNode.h"
#include "QrColorA.h"
#include "QrImage.h"
#include "QrImagePixels.h"
#include "QrLODNode.h"
#include "QrMaterialProperty.h"
#include "QrNode.h"
#include "QrRawImageData.h"
#include "QrTCBRotKey.h"
#include "QrTextureModeProperty.h"
#include "QrTextureProperty.h"
#include "QrTriShape.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace gen
{

namespace
{

const float kTwoPi = 6.2831853f;
const QrPoint3 kAxisX{1.0f, 0.0f, 0.0f};
const QrPoint3 kAxisY{0.0f, 1.0f, 0.0f};
constexpr int kKeysPerStroke = 9;
constexpr float kTailX = -0.86f;
constexpr float kNoseX = 0.98f;
// Beyond this distance in model units the far model shows.
constexpr float kFarRange = 120.0f;

enum Pattern
{
    kPlain,
    kBand,       // one dark blotched stripe along the side
    kBlotchRows, // the band as blotches, rows of small spots below it
    kBars,       // dark vertical bars over the back and flanks
    kSpeckles,   // dark speckles everywhere above the belly
    kLightSpots, // rows of pale spots on a dark flank
    kChain,      // a dark network of links
    kStripes,    // dark lines along the flank
    kSaddles,    // dark saddles over the back, mottled below
    kScales,     // big scales outlined dark
    kWavyLines,  // blue-green squiggles on the head, orange flecks
};

enum Tail
{
    kForked,
    kRounded,
    kSquare,
};

struct Rgb
{
    float r, g, b;
};

struct Species
{
    const char* file;
    // Body: greatest half height and half width, where along (0 tail, 1 nose) the body is
    // deepest, and the half height of the tail stalk and of the snout.
    float depth, width, peak, stalk, snout;
    Rgb back, flank, belly, fin;
    Pattern pattern;
    float patternStrength;
    Tail tail;
    // Dorsal fin: start and end along the back (0 tail .. 1 nose) and its height; a second
    // dorsal behind the first when split.
    float dorsalFrom, dorsalTo, dorsalHeight;
    bool splitDorsal;
    float eyeSize;
    Rgb eye;
    // How far back the mouth line runs (0 none .. 0.25 of the body).
    float mouth;
    bool barbels;
    // Ear flap colour; r < 0 for none. Its rim, r < 0 for none.
    Rgb earFlap, earRim;
    // Breast colour over the throat and belly front; r < 0 for none.
    Rgb breast;
    // Light fin tips (the walleye's white tail tip).
    bool whiteTailTip;
    // Swim stroke: period, body and tail swing.
    float period, body, tailSwing;
};

constexpr Rgb kNone{-1.0f, 0.0f, 0.0f};
constexpr Rgb kDarkEye{0.06f, 0.05f, 0.03f};

// In species order (the game's species numbers).
// clang-format off
const Species kSpecies[] = {
    {"fishBlackCrappie", 0.40f, 0.09f, 0.50f, 0.07f, 0.10f,
     {0.22f, 0.30f, 0.20f}, {0.66f, 0.70f, 0.58f}, {0.88f, 0.88f, 0.80f}, {0.45f, 0.46f, 0.36f},
     kSpeckles, 0.9f, kForked, 0.15f, 0.55f, 0.36f, false, 0.06f, kDarkEye, 0.10f, false,
     kNone, kNone, kNone, false, 1.1f, 0.08f, 0.38f},
    {"fishBluegill", 0.50f, 0.09f, 0.52f, 0.07f, 0.10f,
     {0.18f, 0.26f, 0.30f}, {0.42f, 0.50f, 0.40f}, {0.90f, 0.80f, 0.40f}, {0.28f, 0.32f, 0.30f},
     kBars, 0.35f, kSquare, 0.18f, 0.62f, 0.34f, false, 0.045f, kDarkEye, 0.04f, false,
     {0.05f, 0.06f, 0.12f}, kNone, {0.92f, 0.55f, 0.18f}, false, 0.9f, 0.08f, 0.42f},
    {"fishCarp", 0.34f, 0.17f, 0.55f, 0.09f, 0.12f,
     {0.30f, 0.26f, 0.12f}, {0.74f, 0.58f, 0.26f}, {0.92f, 0.84f, 0.58f}, {0.52f, 0.36f, 0.20f},
     kScales, 0.55f, kForked, 0.28f, 0.66f, 0.26f, false, 0.035f, kDarkEye, 0.03f, true,
     kNone, kNone, kNone, false, 1.4f, 0.07f, 0.32f},
    {"fishLargemouthBass", 0.32f, 0.13f, 0.48f, 0.07f, 0.12f,
     {0.20f, 0.30f, 0.10f}, {0.52f, 0.60f, 0.30f}, {0.94f, 0.91f, 0.74f}, {0.40f, 0.45f, 0.22f},
     kBand, 0.9f, kRounded, 0.24f, 0.70f, 0.24f, true, 0.045f, {0.45f, 0.20f, 0.05f}, 0.24f, false,
     kNone, kNone, kNone, false, 1.0f, 0.10f, 0.42f},
    {"fishMuskie", 0.17f, 0.10f, 0.45f, 0.06f, 0.06f,
     {0.32f, 0.34f, 0.20f}, {0.66f, 0.66f, 0.50f}, {0.92f, 0.90f, 0.82f}, {0.55f, 0.35f, 0.22f},
     kBars, 0.6f, kForked, 0.08f, 0.22f, 0.18f, false, 0.035f, {0.60f, 0.50f, 0.15f}, 0.22f, false,
     kNone, kNone, kNone, false, 1.5f, 0.08f, 0.30f},
    {"fishNorthernPike", 0.15f, 0.09f, 0.45f, 0.06f, 0.05f,
     {0.10f, 0.22f, 0.10f}, {0.24f, 0.40f, 0.18f}, {0.92f, 0.90f, 0.76f}, {0.40f, 0.34f, 0.16f},
     kLightSpots, 1.0f, kForked, 0.08f, 0.22f, 0.18f, false, 0.035f, {0.62f, 0.52f, 0.12f}, 0.22f, false,
     kNone, kNone, kNone, false, 1.4f, 0.08f, 0.32f},
    {"fishPerch", 0.26f, 0.11f, 0.52f, 0.06f, 0.10f,
     {0.30f, 0.34f, 0.10f}, {0.86f, 0.78f, 0.22f}, {0.95f, 0.92f, 0.76f}, {0.90f, 0.48f, 0.12f},
     kBars, 1.0f, kForked, 0.22f, 0.68f, 0.28f, true, 0.045f, {0.70f, 0.55f, 0.10f}, 0.10f, false,
     kNone, kNone, kNone, false, 0.9f, 0.09f, 0.40f},
    {"fishPickerel", 0.14f, 0.08f, 0.45f, 0.05f, 0.05f,
     {0.18f, 0.24f, 0.10f}, {0.56f, 0.58f, 0.26f}, {0.92f, 0.90f, 0.72f}, {0.45f, 0.40f, 0.20f},
     kChain, 0.95f, kForked, 0.08f, 0.22f, 0.18f, false, 0.035f, {0.62f, 0.52f, 0.12f}, 0.20f, false,
     kNone, kNone, kNone, false, 1.2f, 0.08f, 0.32f},
    {"fishRedSunfish", 0.46f, 0.09f, 0.52f, 0.07f, 0.10f,
     {0.26f, 0.32f, 0.20f}, {0.58f, 0.62f, 0.40f}, {0.95f, 0.86f, 0.40f}, {0.40f, 0.42f, 0.30f},
     kSpeckles, 0.35f, kSquare, 0.18f, 0.62f, 0.32f, false, 0.045f, kDarkEye, 0.04f, false,
     {0.06f, 0.06f, 0.06f}, {0.90f, 0.22f, 0.10f}, {0.96f, 0.80f, 0.28f}, false, 0.9f, 0.08f, 0.42f},
    {"fishSauger", 0.20f, 0.10f, 0.45f, 0.06f, 0.09f,
     {0.30f, 0.24f, 0.14f}, {0.70f, 0.60f, 0.42f}, {0.92f, 0.90f, 0.82f}, {0.58f, 0.50f, 0.36f},
     kSaddles, 1.0f, kForked, 0.24f, 0.66f, 0.26f, true, 0.06f, {0.80f, 0.78f, 0.60f}, 0.16f, false,
     kNone, kNone, kNone, false, 1.1f, 0.08f, 0.36f},
    {"fishSmallmouthBass", 0.30f, 0.13f, 0.48f, 0.07f, 0.11f,
     {0.32f, 0.26f, 0.10f}, {0.66f, 0.52f, 0.24f}, {0.90f, 0.84f, 0.64f}, {0.55f, 0.42f, 0.20f},
     kBars, 0.75f, kRounded, 0.24f, 0.70f, 0.22f, true, 0.045f, {0.75f, 0.12f, 0.05f}, 0.16f, false,
     kNone, kNone, kNone, false, 1.0f, 0.10f, 0.42f},
    {"fishSpottedBass", 0.31f, 0.13f, 0.48f, 0.07f, 0.11f,
     {0.22f, 0.30f, 0.12f}, {0.56f, 0.62f, 0.34f}, {0.94f, 0.92f, 0.78f}, {0.42f, 0.46f, 0.24f},
     kBlotchRows, 0.9f, kRounded, 0.24f, 0.70f, 0.24f, true, 0.045f, {0.50f, 0.18f, 0.05f}, 0.18f, false,
     kNone, kNone, kNone, false, 1.0f, 0.10f, 0.42f},
    {"fishStripedBass", 0.26f, 0.13f, 0.50f, 0.07f, 0.10f,
     {0.20f, 0.26f, 0.30f}, {0.80f, 0.82f, 0.84f}, {0.96f, 0.96f, 0.96f}, {0.50f, 0.52f, 0.56f},
     kStripes, 0.95f, kForked, 0.22f, 0.66f, 0.26f, true, 0.04f, kDarkEye, 0.14f, false,
     kNone, kNone, kNone, false, 1.2f, 0.08f, 0.36f},
    {"fishSunfish", 0.48f, 0.09f, 0.52f, 0.07f, 0.10f,
     {0.28f, 0.36f, 0.26f}, {0.62f, 0.62f, 0.38f}, {0.96f, 0.66f, 0.22f}, {0.42f, 0.44f, 0.30f},
     kWavyLines, 1.0f, kSquare, 0.18f, 0.62f, 0.32f, false, 0.045f, kDarkEye, 0.04f, false,
     {0.05f, 0.05f, 0.05f}, {0.95f, 0.15f, 0.10f}, {0.96f, 0.60f, 0.18f}, false, 0.9f, 0.08f, 0.42f},
    {"fishWhiteCrappie", 0.40f, 0.09f, 0.50f, 0.07f, 0.10f,
     {0.30f, 0.38f, 0.28f}, {0.82f, 0.84f, 0.76f}, {0.94f, 0.94f, 0.90f}, {0.60f, 0.60f, 0.52f},
     kBars, 0.45f, kForked, 0.15f, 0.50f, 0.32f, false, 0.06f, kDarkEye, 0.10f, false,
     kNone, kNone, kNone, false, 1.1f, 0.08f, 0.38f},
    {"fishWalleye", 0.21f, 0.11f, 0.45f, 0.06f, 0.09f,
     {0.30f, 0.30f, 0.12f}, {0.78f, 0.66f, 0.30f}, {0.94f, 0.92f, 0.84f}, {0.60f, 0.52f, 0.28f},
     kSaddles, 0.45f, kForked, 0.24f, 0.66f, 0.26f, true, 0.07f, {0.85f, 0.85f, 0.72f}, 0.16f, false,
     kNone, kNone, kNone, true, 1.1f, 0.08f, 0.36f},
    {"fishWhiteBass", 0.32f, 0.12f, 0.52f, 0.07f, 0.10f,
     {0.26f, 0.30f, 0.36f}, {0.84f, 0.86f, 0.88f}, {0.97f, 0.97f, 0.97f}, {0.56f, 0.58f, 0.62f},
     kStripes, 0.4f, kForked, 0.22f, 0.66f, 0.28f, true, 0.045f, kDarkEye, 0.10f, false,
     kNone, kNone, kNone, false, 1.0f, 0.09f, 0.38f},
};
// clang-format on

Rgb Mix(const Rgb& a, const Rgb& b, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

QrColorA ToColor(const Rgb& c)
{
    return QrColorA(c.r, c.g, c.b, 1.0f);
}

float Smooth(float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// A repeatable value in 0..1 for a cell.
float Hash(int a, int b)
{
    uint32_t h = uint32_t(a) * 73856093u ^ uint32_t(b) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return float(h & 0xffffu) / 65535.0f;
}

// Half height of the body at u (0 tail stalk .. 1 snout).
float HalfHeight(const Species& s, float u)
{
    // Deep-bodied fish are deeper still at the middle.
    const float depth = s.depth * (s.depth > 0.38f ? 1.3f : 1.15f);
    if (u < s.peak)
        return s.stalk + (depth - s.stalk) * Smooth(u / s.peak);
    return depth + (s.snout - depth) * Smooth((u - s.peak) / (1.0f - s.peak));
}

float HalfWidth(const Species& s, float u)
{
    return s.width * HalfHeight(s, u) / s.depth * (u > 0.85f ? 1.0f - (u - 0.85f) * 2.0f : 1.0f) + 0.01f;
}

// The skin at u along the body, up = cos of the angle from the back (1 back, -1 belly).
Rgb Skin(const Species& s, float u, float up)
{
    Rgb c = up > 0.0f ? Mix(s.flank, s.back, up * 1.3f) : Mix(s.flank, s.belly, -up * 1.8f);
    const float k = s.patternStrength;
    const Rgb dark = Mix(s.back, Rgb{0.04f, 0.05f, 0.02f}, 0.6f);
    const float body = u * 46.0f;
    switch (s.pattern)
    {
    case kPlain:
        break;
    case kBand:
    {
        const float edge = 0.10f + 0.05f * std::sin(body * 0.9f);
        if (std::fabs(up - 0.02f) < edge && u > 0.04f && u < 0.82f)
            c = Mix(c, dark, k);
        break;
    }
    case kBlotchRows:
    {
        const float cell = std::fmod(u * 14.0f, 1.0f);
        if (std::fabs(up) < 0.12f * (1.0f - std::fabs(cell - 0.5f) * 1.2f) + 0.02f && u > 0.04f && u < 0.8f)
            c = Mix(c, dark, k);
        const float row = std::fmod((up + 1.0f) * 9.0f, 1.0f);
        const float col = std::fmod(u * 30.0f, 1.0f);
        if (up < -0.12f && up > -0.6f && std::fabs(row - 0.5f) < 0.22f && std::fabs(col - 0.5f) < 0.22f && u < 0.8f)
            c = Mix(c, dark, 0.7f * k);
        break;
    }
    case kBars:
    {
        const float bar = std::sin(u * 7.0f * kTwoPi * 0.5f + 0.4f);
        if (bar > 0.35f && up > -0.35f && u > 0.06f && u < 0.8f)
            c = Mix(c, dark, k * Smooth((up + 0.35f) * 3.0f));
        break;
    }
    case kSpeckles:
    {
        const int cu = int(u * 40.0f);
        const int cv = int((up + 1.0f) * 14.0f);
        if (up > -0.5f && Hash(cu, cv) > 0.62f)
            c = Mix(c, dark, k);
        break;
    }
    case kLightSpots:
    {
        const int row = int((up + 1.0f) * 6.0f);
        const float shift = row % 2 ? 0.5f : 0.0f;
        const float col = std::fmod(u * 22.0f + shift, 1.0f);
        const float rv = std::fmod((up + 1.0f) * 6.0f, 1.0f);
        const float dx = (col - 0.5f) * 1.0f;
        const float dy = (rv - 0.5f) * 1.6f;
        if (up > -0.45f && up < 0.75f && dx * dx + dy * dy < 0.09f && u > 0.03f && u < 0.84f)
            c = Mix(c, Rgb{0.86f, 0.84f, 0.52f}, k);
        break;
    }
    case kChain:
    {
        const float a = std::fabs(std::sin(u * 26.0f * 0.5f * kTwoPi));
        const float b = std::fabs(std::sin((up + 1.0f) * 5.0f * 0.5f * kTwoPi + u * 20.0f));
        if (up > -0.5f && (a < 0.25f || b < 0.22f) && u < 0.84f)
            c = Mix(c, dark, k);
        break;
    }
    case kStripes:
    {
        const float line = std::fmod((up + 1.0f) * 4.5f, 1.0f);
        if (up > -0.55f && std::fabs(line - 0.5f) < 0.1f && u > 0.04f && u < 0.86f)
            c = Mix(c, dark, k);
        break;
    }
    case kSaddles:
    {
        const float saddle = std::sin(u * 4.0f * kTwoPi * 0.5f);
        if (saddle > 0.3f && up > 0.1f && u < 0.8f)
            c = Mix(c, dark, k);
        else if (Hash(int(u * 36.0f), int((up + 1.0f) * 10.0f)) > 0.7f && up > -0.3f)
            c = Mix(c, dark, 0.4f * k);
        break;
    }
    case kScales:
    {
        const float row = (up + 1.0f) * 7.0f;
        const float shift = int(row) % 2 ? 0.5f : 0.0f;
        const float su = std::fmod(u * 18.0f + shift, 1.0f);
        const float sv = std::fmod(row, 1.0f);
        const float rim = std::sqrt((su - 0.3f) * (su - 0.3f) + (sv - 0.5f) * (sv - 0.5f) * 0.8f);
        if (rim > 0.42f && u < 0.84f)
            c = Mix(c, dark, 0.45f * k);
        break;
    }
    case kWavyLines:
    {
        if (Hash(int(u * 40.0f), int((up + 1.0f) * 14.0f)) > 0.72f && up > -0.3f)
            c = Mix(c, Rgb{0.95f, 0.55f, 0.15f}, k);
        const float wave = std::fmod((up + 1.0f) * 5.0f + 0.15f * std::sin(u * 60.0f), 1.0f);
        if (u > 0.78f && up > -0.6f && std::fabs(wave - 0.5f) < 0.1f)
            c = Mix(c, Rgb{0.20f, 0.55f, 0.62f}, k);
        break;
    }
    }
    if (s.breast.r >= 0.0f && up < -0.2f && u > 0.45f)
        c = Mix(c, s.breast, Smooth((-up - 0.2f) * 3.0f) * Smooth((u - 0.45f) * 5.0f));
    // The gill cover's edge, the ear flap behind it and the mouth line.
    if (std::fabs(u - 0.80f) < 0.006f && up > -0.6f && up < 0.55f)
        c = Mix(c, dark, 0.35f);
    if (s.earFlap.r >= 0.0f)
    {
        const float du = (u - 0.785f) / 0.035f;
        const float dv = (up - 0.12f) / 0.16f;
        const float r = du * du + dv * dv;
        if (r < 1.0f)
            c = s.earRim.r >= 0.0f && r > 0.45f ? s.earRim : s.earFlap;
    }
    if (s.mouth > 0.0f && u > 1.0f - s.mouth && std::fabs(up + 0.12f) < 0.035f)
        c = Mix(c, Rgb{0.12f, 0.08f, 0.05f}, 0.85f);
    return c;
}

// The skin picture: u across (tail to nose), the ring down (back, one side, belly, the other side).
QrPointer<QrImage> MakeSkinImage(const Species& s)
{
    constexpr uint32_t kW = 128;
    constexpr uint32_t kH = 64;
    QrImagePixels pixels;
    pixels.Allocate(QrImagePixels::kFormatRGB, kW, kH);
    for (uint32_t y = 0; y < kH; ++y)
    {
        uint8_t* row = pixels.GetRow(y);
        const float up = std::cos(kTwoPi * (float(y) + 0.5f) / float(kH));
        for (uint32_t x = 0; x < kW; ++x)
        {
            const float u = (float(x) + 0.5f) / float(kW);
            // Each scale catches the light at its centre and darkens to its rim.
            const float sx = std::fmod(float(x) + ((y / 3) % 2 ? 1.5f : 0.0f), 3.0f) - 1.5f;
            const float shade = 0.92f + 0.08f * (1.0f - std::fabs(sx) / 1.5f);
            const Rgb c = Skin(s, u, up);
            row[3 * x + 0] = uint8_t(std::clamp(c.r * shade, 0.0f, 1.0f) * 255.0f);
            row[3 * x + 1] = uint8_t(std::clamp(c.g * shade, 0.0f, 1.0f) * 255.0f);
            row[3 * x + 2] = uint8_t(std::clamp(c.b * shade, 0.0f, 1.0f) * 255.0f);
        }
    }
    QrPointer<QrRawImageData> raw(new QrRawImageData);
    raw->SetBuffer(std::move(pixels));
    raw->SetName((std::string(s.file) + " skin").c_str());
    return QrImage::CreateFromRawData(raw, 0);
}

// The skin picture on a texture, shared by the near and far bodies of one species.
struct SkinTexture
{
    QrPointer<QrTextureProperty> texture;
    QrPointer<QrTextureModeProperty> mode;
};

// The program lights fish by their materials (its shared vertex-colour mode overrides the
// models'), so every part carries its colour in a material and white vertices.
template <class T> QrPointer<T> Painted(QrPointer<T> shape, const QrColorA& colour)
{
    QrPointer<QrMaterialProperty> material(new QrMaterialProperty);
    // Half, as the default material takes half of the light.
    material->m_ambient = QrPoint3(colour.r, colour.g, colour.b) * 0.5f;
    material->m_diffuse = material->m_ambient;
    shape->AttachProperty(material.Get());
    return shape;
}

const QrColorA kWhite(1.0f, 1.0f, 1.0f, 1.0f);

// The body as rings from the tail stalk to the snout: white vertices under the skin picture.
QrPointer<QrAVObject> MakeBody(const Species& s, int stations, int ring, const SkinTexture& skin)
{
    Mesh mesh;
    for (int i = 0; i < stations; ++i)
    {
        const float u = float(i) / float(stations - 1);
        const float x = kTailX + (kNoseX - kTailX) * u;
        const float h = HalfHeight(s, u);
        const float w = HalfWidth(s, u);
        // One extra vertex closes each ring, so the picture does not wrap back across it.
        for (int k = 0; k <= ring; ++k)
        {
            const float v = float(k) / float(ring);
            const float a = kTwoPi * v;
            const float up = std::cos(a);
            // The belly hangs a little lower than the back rises.
            const float y = h * up * (up < 0.0f ? 1.05f : 1.0f);
            mesh.Add(QrPoint3(x, y, w * std::sin(a)), QrPoint3(u, v, 0.0f), kWhite);
        }
    }
    const int row = ring + 1;
    for (int i = 0; i + 1 < stations; ++i)
        for (int k = 0; k < ring; ++k)
        {
            const uint16_t a = uint16_t(i * row + k);
            const uint16_t b = uint16_t(a + 1);
            const uint16_t c = uint16_t(a + row);
            const uint16_t d = uint16_t(b + row);
            mesh.Triangle(a, c, b);
            mesh.Triangle(b, c, d);
        }
    const uint16_t tailCap = mesh.Add({kTailX - 0.02f, 0.0f, 0.0f}, {0.0f, 0.25f, 0}, kWhite);
    const uint16_t nose = mesh.Add({kNoseX + 0.04f, -0.02f, 0.0f}, {1.0f, 0.25f, 0}, kWhite);
    const int last = (stations - 1) * row;
    for (int k = 0; k < ring; ++k)
    {
        mesh.Triangle(tailCap, uint16_t(k), uint16_t(k + 1));
        mesh.Triangle(nose, uint16_t(last + k + 1), uint16_t(last + k));
    }
    // The skin goes on a node of its own, so that the fins keep their plain colours.
    QrPointer<QrNode> body(new QrNode);
    body->SetName("Skin");
    body->AttachChild(mesh.Make("BodyMesh").Get());
    body->AttachProperty(skin.texture.Get());
    body->AttachProperty(skin.mode.Get());
    return QrPointer<QrAVObject>(body.Get());
}

SkinTexture MakeSkin(const Species& s)
{
    SkinTexture skin{new QrTextureProperty, new QrTextureModeProperty};
    skin.texture->SetImage(MakeSkinImage(s).Get(), 0);
    skin.texture->SetCurrentIndex(0);
    skin.mode->m_applyMode = QrTextureModeProperty::kApplyModulate;
    skin.mode->m_filterMode = 1;
    return skin;
}

// A flat fin outline (a fan from its first point), both faces drawn, coloured between its
// root and edge colours.
QrPointer<QrTriShape> MakeFin(const char* name, const std::vector<QrPoint3>& outline, const QrColorA& root,
                              const QrColorA& edge)
{
    Mesh mesh;
    for (int side = 0; side < 2; ++side)
    {
        const uint16_t base = uint16_t(mesh.vertices.size());
        for (size_t i = 0; i < outline.size(); ++i)
            mesh.Add(outline[i], QrPoint3(0, 0, 0), kWhite);
        for (size_t i = 1; i + 1 < outline.size(); ++i)
        {
            if (side == 0)
                mesh.Triangle(base, uint16_t(base + i), uint16_t(base + i + 1));
            else
                mesh.Triangle(base, uint16_t(base + i + 1), uint16_t(base + i));
        }
    }
    const QrColorA colour((root.r + edge.r) * 0.5f, (root.g + edge.g) * 0.5f, (root.b + edge.b) * 0.5f, 1.0f);
    return Painted(mesh.Make(name), colour);
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

void Swing(Qr3dsAnimationNode* node, const QrPoint3& axis, float amplitude, float phase, float period,
           float bias = 0.0f)
{
    OwnedKeys<QrRotKey> keys;
    for (int i = 0; i < kKeysPerStroke; ++i)
    {
        const float f = float(i) / float(kKeysPerStroke - 1);
        const float angle = bias + amplitude * std::sin(kTwoPi * (f + phase));
        keys.Add(std::make_unique<QrTCBRotKey>(period * f, angle, axis));
    }
    node->SetRotKeys(keys.Data(), keys.Count());
}

float XAt(float u)
{
    return kTailX + (kNoseX - kTailX) * u;
}

// The dorsal fin(s) along the back: spiny front and soft rear, notched when split.
void AddDorsal(const Species& s, QrNode* body, const QrColorA& root, const QrColorA& edge)
{
    const float from = s.dorsalFrom;
    const float to = s.dorsalTo;
    const float mid = from + (to - from) * 0.45f;
    const float base = [&](float u) { return HalfHeight(s, u) * 0.92f; }(mid);
    const float h = s.dorsalHeight;
    auto top = [&](float u) { return HalfHeight(s, u) * 0.92f; };
    if (s.splitDorsal)
    {
        body->AttachChild(MakeFin("Dorsal",
                                  {{XAt(mid), base, 0},
                                   {XAt(to), top(to), 0},
                                   {XAt(to - 0.05f), top(to) + h * 1.1f, 0},
                                   {XAt(mid + 0.06f), top(mid) + h * 0.8f, 0},
                                   {XAt(mid), top(mid) + h * 0.15f, 0}},
                                  root, edge)
                              .Get());
        body->AttachChild(MakeFin("Dorsal2",
                                  {{XAt(from + 0.08f), top(from + 0.08f), 0},
                                   {XAt(mid), top(mid), 0},
                                   {XAt(mid - 0.02f), top(mid) + h * 0.9f, 0},
                                   {XAt(from + 0.05f), top(from) + h * 0.85f, 0},
                                   {XAt(from), top(from), 0}},
                                  root, edge)
                              .Get());
        return;
    }
    body->AttachChild(MakeFin("Dorsal",
                              {{XAt(mid), base, 0},
                               {XAt(to), top(to), 0},
                               {XAt(to - 0.06f), top(to) + h * 0.8f, 0},
                               {XAt(mid), top(mid) + h, 0},
                               {XAt(from + 0.04f), top(from) + h * 0.9f, 0},
                               {XAt(from), top(from), 0}},
                              root, edge)
                          .Get());
}

QrPointer<QrTriShape> MakeTailFin(const Species& s, const QrColorA& root, const QrColorA& edge)
{
    const float h = std::max(0.24f, s.depth * 0.85f);
    std::vector<QrPoint3> outline = {{0.02f, 0, 0}, {0.02f, s.stalk, 0}};
    switch (s.tail)
    {
    case kForked:
        outline.insert(outline.end(), {{-0.40f, h, 0}, {-0.26f, 0, 0}, {-0.40f, -h, 0}});
        break;
    case kRounded:
        outline.insert(outline.end(), {{-0.30f, h * 0.95f, 0},
                                       {-0.36f, h * 0.3f, 0},
                                       {-0.34f, -0.0f, 0},
                                       {-0.36f, -h * 0.3f, 0},
                                       {-0.30f, -h * 0.95f, 0}});
        break;
    case kSquare:
        outline.insert(outline.end(), {{-0.32f, h, 0}, {-0.30f, 0, 0}, {-0.32f, -h, 0}});
        break;
    }
    outline.push_back({0.02f, -s.stalk, 0});
    return MakeFin("TailFin", outline, root, s.whiteTailTip ? QrColorA(0.95f, 0.95f, 0.92f, 1) : edge);
}

// The near model: textured body, fins and what marks the species.
QrPointer<Qr3dsAnimationNode> MakeNear(const Species& s, const SkinTexture& skin)
{
    QrPointer<Qr3dsAnimationNode> body = MakeAnimated("Body", {0, 0, 0});
    QrPointer<Qr3dsAnimationNode> tail = MakeAnimated("Tail", {kTailX, 0, 0});
    const float finX = XAt(0.76f);
    const float finY = -HalfHeight(s, 0.76f) * 0.45f;
    const float finZ = HalfWidth(s, 0.76f) * 0.9f;
    QrPointer<Qr3dsAnimationNode> left = MakeAnimated("Fin_L", {finX, finY, finZ});
    QrPointer<Qr3dsAnimationNode> right = MakeAnimated("Fin_R", {finX, finY, -finZ});
    Swing(body.Get(), kAxisY, s.body, 0.0f, s.period);
    Swing(tail.Get(), kAxisY, s.tailSwing, -0.15f, s.period);
    Swing(left.Get(), kAxisX, 0.35f, 0.25f, s.period);
    Swing(right.Get(), kAxisX, 0.35f, 0.25f, s.period);
    body->AttachChild(tail.Get());
    body->AttachChild(left.Get());
    body->AttachChild(right.Get());

    const QrColorA finRoot = ToColor(s.fin);
    const QrColorA finEdge = ToColor(Mix(s.fin, s.belly, 0.35f));
    body->AttachChild(MakeBody(s, 28, 20, skin).Get());
    AddDorsal(s, body.Get(), finRoot, finEdge);
    // Anal fin under the rear of the body.
    const float analFrom = 0.16f;
    const float analTo = s.depth > 0.38f ? 0.45f : 0.32f;
    auto bottom = [&](float u) { return -HalfHeight(s, u) * 0.95f; };
    body->AttachChild(MakeFin("Anal",
                              {{XAt(analTo), bottom(analTo), 0},
                               {XAt(analFrom), bottom(analFrom), 0},
                               {XAt(analFrom + 0.02f), bottom(analFrom) - s.dorsalHeight * 0.7f, 0},
                               {XAt(analTo - 0.03f), bottom(analTo) - s.dorsalHeight * 0.8f, 0}},
                              finRoot, finEdge)
                          .Get());
    tail->AttachChild(MakeTailFin(s, finRoot, finEdge).Get());
    for (Qr3dsAnimationNode* fin : {left.Get(), right.Get()})
        fin->AttachChild(
            MakeFin("PectoralFin", {{0, 0, 0}, {-0.05f, 0, 0.02f}, {-0.24f, -0.04f, 0.10f}}, finRoot, finEdge).Get());
    // Eyes sit on the head's flank.
    const float eyeU = 0.90f;
    const float eyeY = HalfHeight(s, eyeU) * 0.35f;
    const float eyeZ = HalfWidth(s, eyeU) * 0.85f + 0.005f;
    for (float side : {1.0f, -1.0f})
    {
        QrPointer<QrTriShape> ring =
            Painted(MakeBox(side > 0 ? "Eye_L" : "Eye_R", s.eyeSize, s.eyeSize, 0.008f, kWhite), ToColor(s.eye));
        ring->SetTranslate(XAt(eyeU), eyeY, side * eyeZ);
        body->AttachChild(ring.Get());
        QrPointer<QrTriShape> pupil =
            Painted(MakeBox(nullptr, s.eyeSize * 0.5f, s.eyeSize * 0.5f, 0.01f, kWhite), ToColor(kDarkEye));
        pupil->SetTranslate(XAt(eyeU), eyeY, side * (eyeZ + 0.004f));
        body->AttachChild(pupil.Get());
    }
    // The big mouth: a lower jaw reaching back under the eye.
    if (s.mouth >= 0.2f)
        body->AttachChild(MakeFin("Jaw",
                                  {{kNoseX + 0.05f, -0.03f, 0},
                                   {XAt(1.0f - s.mouth), -HalfHeight(s, 1.0f - s.mouth) * 0.45f, 0},
                                   {XAt(0.95f), -HalfHeight(s, 0.95f) * 0.9f, 0}},
                                  ToColor(Mix(s.belly, s.back, 0.3f)), ToColor(s.belly))
                              .Get());
    if (s.barbels)
        for (float side : {1.0f, -1.0f})
        {
            QrPointer<QrTriShape> barbel =
                Painted(MakeBox("Barbel", 0.05f, 0.008f, 0.008f, kWhite), ToColor(Mix(s.flank, s.back, 0.4f)));
            barbel->SetTranslate(kNoseX - 0.02f, -0.07f, side * 0.05f);
            barbel->GetRotate().MakeRotation(0.7f, 0.0f, 0.0f, 1.0f);
            body->AttachChild(barbel.Get());
        }
    return body;
}

// The far model: a few rings under the same skin, and the tail.
QrPointer<Qr3dsAnimationNode> MakeFar(const Species& s, const SkinTexture& skin)
{
    QrPointer<Qr3dsAnimationNode> body = MakeAnimated("Far Body", {0, 0, 0});
    QrPointer<Qr3dsAnimationNode> tail = MakeAnimated("Far Tail", {kTailX, 0, 0});
    Swing(body.Get(), kAxisY, s.body, 0.0f, s.period);
    Swing(tail.Get(), kAxisY, s.tailSwing, -0.15f, s.period);
    body->AttachChild(MakeBody(s, 7, 6, skin).Get());
    tail->AttachChild(MakeTailFin(s, ToColor(s.fin), ToColor(s.fin)).Get());
    body->AttachChild(tail.Get());
    return body;
}

} // namespace

void GenerateFishModels(Context& context)
{
    const NamedImages images;
    for (const Species& s : kSpecies)
    {
        const SkinTexture skin = MakeSkin(s);
        QrPointer<QrLODNode> lod(new QrLODNode);
        lod->SetName("Fish");
        QrPointer<QrNode> nearNode(new QrNode);
        nearNode->SetName("Fish Near");
        nearNode->AttachChild(MakeNear(s, skin).Get());
        QrPointer<QrNode> farNode(new QrNode);
        farNode->SetName("Fish Far");
        farNode->AttachChild(MakeFar(s, skin).Get());
        lod->AttachChild(nearNode.Get());
        lod->AttachChild(farNode.Get());
        lod->AddRange(0.0f, kFarRange, 0);
        lod->AddRange(kFarRange, 1.0e6f, 1);
        lod->UpdateAllInstances();
        context.WriteScene(std::string("Data/Angling/") + s.file + ".qrf", {lod.Get()});
    }
}

} // namespace gen
