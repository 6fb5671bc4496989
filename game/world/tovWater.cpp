#include "tovWater.h"

#include "QrAlphaProperty.h"
#include "QrColorA.h"
#include "QrTriShape.h"
#include "QrVertexColorProperty.h"

#include <vector>

QR_IMPLEMENT_RTTI(tovWater, QrNode)

namespace
{
// Cells a side: small triangles keep the clipping near the eye exact.
constexpr int32_t kCells = 32;
constexpr int32_t kSide = kCells + 1;
// Lake water: dark green-blue, mostly opaque.
const QrColorA kWaterColor(0.12f, 0.26f, 0.30f, 0.85f);

QrPointer<QrTriShape> MakeSquare(float h, bool up)
{
    std::vector<QrPoint3> vertices;
    for (int32_t r = 0; r < kSide; ++r)
        for (int32_t c = 0; c < kSide; ++c)
            vertices.emplace_back(-h + 2.0f * h * float(c) / kCells, 0.0f, -h + 2.0f * h * float(r) / kCells);
    std::vector<uint16_t> indices;
    for (int32_t r = 0; r < kCells; ++r)
        for (int32_t c = 0; c < kCells; ++c)
        {
            const auto v = [](int32_t column, int32_t row) { return uint16_t(row * kSide + column); };
            const uint16_t a = v(c, r), b = v(c + 1, r), d = v(c + 1, r + 1), e = v(c, r + 1);
            const uint16_t quad[2][6] = {{a, e, d, a, d, b}, {a, b, d, a, d, e}};
            indices.insert(indices.end(), quad[up ? 0 : 1], quad[up ? 0 : 1] + 6);
        }
    const std::vector<QrColorA> colors(vertices.size(), kWaterColor);
    return QrPointer<QrTriShape>(new QrTriShape(uint16_t(vertices.size()), vertices.data(), nullptr,
                                                uint16_t(indices.size() / 3), indices.data(), nullptr, colors.data()));
}
} // namespace

tovWater::tovWater(float halfSize)
{
    SetName("tovWater");
    const float h = halfSize > 0.0f ? halfSize : 16.0f;
    m_up = MakeSquare(h, true);
    m_down = MakeSquare(h, false);
    QrPointer<QrAlphaProperty> alpha(new QrAlphaProperty);
    alpha->m_enabled = 1;
    QrPointer<QrVertexColorProperty> colors(new QrVertexColorProperty);
    colors->m_mode = 1;
    AttachProperty(alpha.Get());
    AttachProperty(colors.Get());
    AttachChild(m_up.Get());
    UpdateAllInstances();
}

tovWater::~tovWater() = default;

void tovWater::SetUnderwater(bool below)
{
    if (uint8_t(below) == m_below)
        return;
    m_below = uint8_t(below);
    QrNode::DetachChild(below ? m_up.Get() : m_down.Get());
    AttachChild(below ? m_down.Get() : m_up.Get());
    UpdateAllInstances();
}
