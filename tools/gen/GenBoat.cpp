// The player's bass boat: a low, pointed metal-flake hull in feet with its seats, console,
// outboard at the stern and trolling motor at the bow, its far version, the motor texture and
// the paint pictures.

#include "GenKeys.h"
#include "SampleData.h"
#include "SampleShapes.h"

#include "ImageWriters.h"
#include "Qr3dsAnimationNode.h"
#include "QrColorA.h"
#include "QrImagePixels.h"
#include "QrLinearPosKey.h"
#include "QrLinearRotKey.h"
#include "QrNode.h"
#include "QrTriShape.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace gen
{

namespace
{

const QrColorA kWhite(1.0f, 1.0f, 1.0f, 1.0f);
const QrColorA kCarpet(0.55f, 0.55f, 0.6f, 1.0f);
const QrColorA kSeat(0.85f, 0.85f, 0.82f, 1.0f);
const QrColorA kMotor(0.2f, 0.2f, 0.22f, 1.0f);
const QrColorA kMetal(0.7f, 0.7f, 0.72f, 1.0f);
// Trolling-motor keys count 4800 a second; stowed at 0, in the water after 1.6666 s.
constexpr float kDeployTicks = 1.6666f * 4800.0f;
constexpr float kPi = 3.14159265f;

// The hull's half-beam, gunwale and keel at z (feet, stern at -9, bow at 11).
struct Section
{
    float halfBeam;
    float gunwale;
    float chine;
    float keel;
};

Section HullAt(float z)
{
    const float bow = std::clamp((z - 2.0f) / 9.0f, 0.0f, 1.0f);
    Section s;
    s.halfBeam = 3.7f * std::sqrt(std::max(0.0f, 1.0f - bow * bow));
    s.gunwale = 0.9f + 0.35f * bow * bow;
    s.chine = -0.9f + 0.9f * bow;
    s.keel = -1.4f + 1.6f * bow * bow;
    return s;
}

QrPointer<QrTriShape> MakeShape(const char* name, const std::vector<QrPoint3>& vertices,
                                const std::vector<QrPoint3>& uv, const std::vector<uint16_t>& indices,
                                const QrColorA& color)
{
    const std::vector<QrColorA> colors(vertices.size(), color);
    QrPointer<QrTriShape> shape(new QrTriShape(uint16_t(vertices.size()), vertices.data(), nullptr,
                                               uint16_t(indices.size() / 3), indices.data(), uv.data(), colors.data()));
    shape->CalculateNormals();
    shape->SetName(name);
    return shape;
}

// The hull skin: five points a section (gunwale, chine, keel, chine, gunwale), the transom
// closing the stern.
QrPointer<QrTriShape> MakeHull(const char* name, int sections)
{
    std::vector<QrPoint3> vertices;
    std::vector<QrPoint3> uv;
    std::vector<uint16_t> indices;
    for (int i = 0; i <= sections; ++i)
    {
        const float z = -9.0f + 20.0f * float(i) / float(sections);
        const Section s = HullAt(z);
        const float xs[5] = {-s.halfBeam, -s.halfBeam * 0.8f, 0.0f, s.halfBeam * 0.8f, s.halfBeam};
        const float ys[5] = {s.gunwale, s.chine, s.keel, s.chine, s.gunwale};
        for (int k = 0; k < 5; ++k)
        {
            vertices.emplace_back(xs[k], ys[k], z);
            uv.emplace_back((z + 9.0f) / 20.0f, float(k) / 4.0f, 0.0f);
        }
    }
    for (int i = 0; i < sections; ++i)
        for (int k = 0; k < 4; ++k)
        {
            const uint16_t a = uint16_t(i * 5 + k);
            const uint16_t b = uint16_t(a + 5);
            for (uint16_t index : {a, uint16_t(a + 1), uint16_t(b + 1), a, uint16_t(b + 1), b})
                indices.push_back(index);
        }
    // Transom: a fan from the keel of the first section.
    for (int k = 0; k < 4; ++k)
        if (k != 1 && k != 2)
            for (uint16_t index : {uint16_t(2), uint16_t(k + 1), uint16_t(k)})
                indices.push_back(index);
    for (uint16_t index : {uint16_t(2), uint16_t(1), uint16_t(0), uint16_t(2), uint16_t(4), uint16_t(3)})
        indices.push_back(index);
    return MakeShape(name, vertices, uv, indices, kWhite);
}

// The deck: the gunwale outline filled, a little below the rail; small cells, so that a view
// from a seat keeps the deck around the eye.
QrPointer<QrTriShape> MakeDeck(int sections)
{
    constexpr int kAcross = 6;
    std::vector<QrPoint3> vertices;
    std::vector<QrPoint3> uv;
    std::vector<uint16_t> indices;
    for (int i = 0; i <= sections; ++i)
    {
        const float z = -9.0f + 20.0f * float(i) / float(sections);
        const Section s = HullAt(z);
        const float y = s.gunwale - 0.15f;
        const float half = std::max(0.0f, s.halfBeam - 0.2f);
        for (int k = 0; k <= kAcross; ++k)
        {
            const float f = float(k) / float(kAcross);
            vertices.emplace_back(-half + 2.0f * half * f, y, z);
            uv.emplace_back(f * 2.0f, (z + 9.0f) / 5.0f, 0.0f);
        }
    }
    for (int i = 0; i < sections; ++i)
        for (int k = 0; k < kAcross; ++k)
        {
            const uint16_t a = uint16_t(i * (kAcross + 1) + k);
            const uint16_t b = uint16_t(a + kAcross + 1);
            for (uint16_t index : {a, b, uint16_t(a + 1), uint16_t(a + 1), b, uint16_t(b + 1)})
                indices.push_back(index);
        }
    return MakeShape("Boat_deck", vertices, uv, indices, kCarpet);
}

QrPointer<QrTriShape> Box(const char* name, float x, float y, float z, float hx, float hy, float hz,
                          const QrColorA& color)
{
    QrPointer<QrTriShape> box = MakeBox(name, hx, hy, hz, color);
    box->SetTranslate(x, y, z);
    return box;
}

void Attach(QrNode* parent, const QrPointer<QrTriShape>& child)
{
    parent->AttachChild(child.Get());
}

// Outboard parts hang below the node at the transom; the cowl sits above the deck line.
QrPointer<QrNode> MakeOutboard(bool full)
{
    QrPointer<QrNode> outboard = new QrNode;
    outboard->SetName("Outboard");
    outboard->SetTranslate(0.0f, 0.6f, -9.6f);
    Attach(outboard.Get(), Box("SM_Cowl", 0.5f, 1.1f, 0.0f, 1.0f, 0.8f, 0.7f, kMotor));
    Attach(outboard.Get(), Box("SM_Shaft", 0.3f, -0.9f, 0.0f, 0.25f, 1.3f, 0.25f, kMotor));
    if (full)
    {
        Attach(outboard.Get(), Box("SM_Midsection", 0.4f, 0.2f, 0.0f, 0.6f, 0.3f, 0.45f, kMotor));
        Attach(outboard.Get(), Box("SM_Gearcase", 0.4f, -2.3f, 0.0f, 0.7f, 0.25f, 0.2f, kMotor));
        QrPointer<QrTriShape> propeller = Box("SM_Propeller", 0.0f, 0.0f, 0.0f, 0.9f, 0.12f, 0.05f, kMetal);
        QrPointer<QrNode> hub = new QrNode;
        hub->SetTranslate(1.2f, -2.3f, 0.0f);
        hub->AttachChild(propeller.Get());
        outboard->AttachChild(hub.Get());
    }
    return outboard;
}

QrPointer<Qr3dsAnimationNode> MakeAnimated(const char* name, float x, float y, float z, float stowedAngle)
{
    QrPointer<Qr3dsAnimationNode> node = new Qr3dsAnimationNode;
    node->SetName(name);
    node->SetTranslate(x, y, z);
    node->SetMode(QrAnimTiming::kModeUpdate);
    node->SetCycleType(QrAnimTiming::kCycleClamp);
    OwnedKeys<QrRotKey> rotations;
    rotations.Add(std::make_unique<QrLinearRotKey>(0.0f, stowedAngle, QrPoint3(1.0f, 0.0f, 0.0f)));
    rotations.Add(std::make_unique<QrLinearRotKey>(kDeployTicks, 0.0f, QrPoint3(1.0f, 0.0f, 0.0f)));
    node->SetRotKeys(rotations.Data(), rotations.Count());
    OwnedKeys<QrAnimKey> positions;
    positions.Add(std::make_unique<QrLinearPosKey>(0.0f, QrPoint3(x, y, z)));
    positions.Add(std::make_unique<QrLinearPosKey>(kDeployTicks, QrPoint3(x, y, z)));
    node->SetPosKeys(positions.Data(), positions.Count());
    return node;
}

// Mounted on the bow: the fulcrum swings the shaft from lying on the deck into the water.
QrPointer<Qr3dsAnimationNode> MakeTrollingMotor()
{
    QrPointer<Qr3dsAnimationNode> motor = MakeAnimated("Trolling motor", -1.2f, 1.3f, 9.0f, 0.0f);
    QrPointer<Qr3dsAnimationNode> fulcrum = MakeAnimated("T_Fulcrum", 0.0f, 0.2f, 0.6f, 0.5f * kPi);
    Attach(fulcrum.Get(), Box("T_Motorhead", 0.0f, 0.4f, 0.0f, 0.35f, 0.3f, 0.45f, kMotor));
    Attach(fulcrum.Get(), Box("T_Lever", 0.0f, 0.9f, 0.0f, 0.05f, 0.3f, 0.05f, kMetal));
    Attach(fulcrum.Get(), Box("T_Uppder", 0.0f, -0.8f, 0.0f, 0.08f, 0.8f, 0.08f, kMetal));
    Attach(fulcrum.Get(), Box("T_Shaft", 0.0f, -2.4f, 0.0f, 0.08f, 0.8f, 0.08f, kMetal));
    Attach(fulcrum.Get(), Box("T_Lower", 0.0f, -3.4f, 0.0f, 0.2f, 0.2f, 0.5f, kMotor));
    Attach(fulcrum.Get(), Box("T_Motor fin", 0.0f, -3.7f, -0.1f, 0.03f, 0.25f, 0.3f, kMotor));
    Attach(fulcrum.Get(), Box("T_Propeller", 0.0f, -3.4f, -0.6f, 0.35f, 0.08f, 0.03f, kMetal));
    motor->AttachChild(fulcrum.Get());
    Attach(motor.Get(), Box("MotorMount", 0.0f, 0.0f, 0.6f, 0.4f, 0.1f, 0.6f, kMetal));
    return motor;
}

QrPointer<QrNode> MakeFullModel()
{
    QrPointer<QrNode> boat = new QrNode;
    boat->SetName("Motorboat_rock");
    Attach(boat.Get(), MakeHull("Boat_hull", 24));
    Attach(boat.Get(), MakeDeck(40));
    // Console and seats: the driver sits right of the centre line behind the console.
    Attach(boat.Get(), Box("Driver_hood", 2.0f, 1.5f, 2.6f, 0.9f, 0.6f, 0.7f, kSeat));
    Attach(boat.Get(), Box("Passenger_hood", -2.0f, 1.3f, 2.6f, 0.9f, 0.45f, 0.7f, kSeat));
    Attach(boat.Get(), Box("Driver_seat", 1.8f, 1.2f, 0.6f, 0.9f, 0.25f, 0.8f, kSeat));
    Attach(boat.Get(), Box("Driver_seatback", 1.8f, 1.9f, -0.1f, 0.9f, 0.6f, 0.15f, kSeat));
    Attach(boat.Get(), Box("Passenger_seat", -1.8f, 1.2f, 0.6f, 0.9f, 0.25f, 0.8f, kSeat));
    Attach(boat.Get(), Box("Passenger_seatback", -1.8f, 1.9f, -0.1f, 0.9f, 0.6f, 0.15f, kSeat));
    Attach(boat.Get(), Box("Livewell_seat", 0.0f, 1.1f, -5.5f, 2.2f, 0.3f, 1.2f, kSeat));
    Attach(boat.Get(), Box("Deck Chair2", 0.0f, 1.8f, 6.8f, 0.8f, 0.2f, 0.8f, kSeat));
    boat->AttachChild(MakeOutboard(true).Get());
    boat->AttachChild(MakeTrollingMotor().Get());
    return boat;
}

QrPointer<QrNode> MakeFarModel()
{
    QrPointer<QrNode> boat = new QrNode;
    boat->SetName("Motorboat_rock");
    Attach(boat.Get(), MakeHull("Boat_body", 8));
    Attach(boat.Get(), MakeDeck(8));
    Attach(boat.Get(), Box("Driver Hood", 2.0f, 1.5f, 2.6f, 0.9f, 0.6f, 0.7f, kSeat));
    Attach(boat.Get(), Box("Passenger Hood", -2.0f, 1.3f, 2.6f, 0.9f, 0.45f, 0.7f, kSeat));
    Attach(boat.Get(), Box("Driver Seat", 1.8f, 1.4f, 0.4f, 0.9f, 0.5f, 0.8f, kSeat));
    Attach(boat.Get(), Box("Passenger Seat", -1.8f, 1.4f, 0.4f, 0.9f, 0.5f, 0.8f, kSeat));
    Attach(boat.Get(), Box("Livewell Seat", 0.0f, 1.1f, -5.5f, 2.2f, 0.3f, 1.2f, kSeat));
    boat->AttachChild(MakeOutboard(false).Get());
    return boat;
}

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Metal-flake paint: deep red with sparkles, a silver stripe below the rail, dark along the
// keel. u runs stern to bow.
std::vector<uint8_t> SidePicture()
{
    constexpr uint32_t kSize = 128;
    QrImagePixels picture;
    picture.Allocate(QrImagePixels::kFormatRGB, kSize, kSize);
    for (uint32_t row = 0; row < kSize; ++row)
    {
        uint8_t* out = picture.GetRow(row);
        for (uint32_t column = 0; column < kSize; ++column)
        {
            // The hull's v runs rail, keel, rail: the same paint either way up.
            const float d = std::fabs(float(row) / float(kSize - 1) - 0.5f) * 2.0f;
            int r = 150, g = 18, b = 24;
            if (d > 0.78f && d < 0.86f)
                r = 200, g = 200, b = 210;
            else if (d < 0.35f)
                r = 40, g = 40, b = 48;
            const uint32_t h = Hash(column, row, 7);
            const int flake = int(h % 40) - 12;
            if (h % 23 == 0)
                r = std::min(255, r + 90), g = std::min(255, g + 70), b = std::min(255, b + 70);
            out[column * 3 + 0] = uint8_t(std::clamp(r + flake, 0, 255));
            out[column * 3 + 1] = uint8_t(std::clamp(g + flake / 2, 0, 255));
            out[column * 3 + 2] = uint8_t(std::clamp(b + flake / 2, 0, 255));
        }
    }
    return tools::WriteBMP(picture, tools::BmpOptions{});
}

// Grey carpet with a faint weave.
std::vector<uint8_t> DeckPicture()
{
    constexpr uint32_t kSize = 64;
    QrImagePixels picture;
    picture.Allocate(QrImagePixels::kFormatRGB, kSize, kSize);
    for (uint32_t row = 0; row < kSize; ++row)
    {
        uint8_t* out = picture.GetRow(row);
        for (uint32_t column = 0; column < kSize; ++column)
        {
            const int weave = ((row + column) % 4 < 2 ? 8 : -8) + int(Hash(column, row, 3) % 12);
            out[column * 3 + 0] = uint8_t(std::clamp(120 + weave, 0, 255));
            out[column * 3 + 1] = uint8_t(std::clamp(122 + weave, 0, 255));
            out[column * 3 + 2] = uint8_t(std::clamp(130 + weave, 0, 255));
        }
    }
    return tools::WriteBMP(picture, tools::BmpOptions{});
}

// Black motor paint with a chrome band and a red maker's stripe.
std::vector<uint8_t> MotorPicture()
{
    constexpr uint32_t kSize = 64;
    QrImagePixels picture;
    picture.Allocate(QrImagePixels::kFormatRGB, kSize, kSize);
    for (uint32_t row = 0; row < kSize; ++row)
    {
        uint8_t* out = picture.GetRow(row);
        for (uint32_t column = 0; column < kSize; ++column)
        {
            int c = 28 + int(Hash(column, row, 5) % 10);
            int r = c, g = c, b = c + 4;
            if (row > 40 && row < 46)
                r = g = b = 190 + int(column % 8) * 6;
            else if (row > 20 && row < 25)
                r = 180, g = 30, b = 30;
            out[column * 3 + 0] = uint8_t(std::clamp(r, 0, 255));
            out[column * 3 + 1] = uint8_t(std::clamp(g, 0, 255));
            out[column * 3 + 2] = uint8_t(std::clamp(b, 0, 255));
        }
    }
    return tools::WriteBMP(picture, tools::BmpOptions{});
}

} // namespace

void GenerateBoat(Context& context)
{
    QrPointer<QrNode> full = MakeFullModel();
    full->UpdateAllInstances();
    context.WriteScene("Data/boatStrider.qrf", {full.Get()});
    QrPointer<QrNode> far = MakeFarModel();
    far->UpdateAllInstances();
    context.WriteScene("Data/boatStriderLOD.qrf", {far.Get()});
    context.WriteBytes("Data/striderMotor.bmp", MotorPicture());
    context.WriteBytes("Data/striderSide.bmp", SidePicture());
    context.WriteBytes("Data/striderDeck.bmp", DeckPicture());
}

} // namespace gen
