#include "tovWater.h"

#include "QrAlphaProperty.h"
#include "QrColorA.h"
#include "QrTriShape.h"
#include "QrVertexColorProperty.h"

QR_IMPLEMENT_RTTI(tovWater, QrNode)

namespace
{
constexpr uint16_t kUpIndices[6] = {0, 2, 1, 0, 3, 2};
constexpr uint16_t kDownIndices[6] = {0, 1, 2, 0, 2, 3};
// Lake water: dark green-blue, mostly opaque.
const QrColorA kWaterColor(0.12f, 0.26f, 0.30f, 0.85f);

QrPointer<QrTriShape> MakeSquare(float h, const uint16_t* indices)
{
    const QrPoint3 vertices[4] = {{-h, 0.0f, -h}, {h, 0.0f, -h}, {h, 0.0f, h}, {-h, 0.0f, h}};
    const QrColorA colors[4] = {kWaterColor, kWaterColor, kWaterColor, kWaterColor};
    QrPointer<QrTriShape> shape(new QrTriShape(4, vertices, nullptr, 2, indices, nullptr, colors));
    return shape;
}
} // namespace

tovWater::tovWater(float halfSize)
{
    SetName("tovWater");
    const float h = halfSize > 0.0f ? halfSize : 16.0f;
    m_up = MakeSquare(h, kUpIndices);
    m_down = MakeSquare(h, kDownIndices);
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
