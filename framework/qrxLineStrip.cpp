#include "qrxLineStrip.h"

#include "QrRender.h"
#include "QrStream.h"

#include <algorithm>
#include <vector>

QR_IMPLEMENT_RTTI(qrxLineStrip, QrGeometry)
QR_IMPLEMENT_CREATE(qrxLineStrip)

namespace
{

std::vector<QrPoint3> StartPoints(uint16_t count, const QrPoint3* vertices, const QrPoint3* points)
{
    const QrPoint3* source = points ? points : vertices;
    return source ? std::vector<QrPoint3>(source, source + count) : std::vector<QrPoint3>(count);
}

} // namespace

qrxLineStrip::qrxLineStrip() = default;

qrxLineStrip::qrxLineStrip(uint16_t pointCount, const QrPoint3* vertices, const QrPoint3* points,
                           const QrColorA* colors)
    : QrGeometry(pointCount, StartPoints(pointCount, vertices, points).data(), nullptr), m_pointCount(pointCount)
{
    if (colors)
    {
        m_colors = std::make_unique<QrColorA[]>(pointCount);
        std::copy(colors, colors + pointCount, m_colors.get());
    }
}

qrxLineStrip::~qrxLineStrip() = default;

void qrxLineStrip::SetAllColors(const QrColorA& color)
{
    if (!m_colors)
        m_colors = std::make_unique<QrColorA[]>(m_vertexCount);
    std::fill(m_colors.get(), m_colors.get() + m_vertexCount, color);
}

void qrxLineStrip::Draw(QrCamera* camera, QrAVInstance* instance)
{
    QrRender* renderer = BeginDraw(camera, instance, true);
    const QrPoint3* points = renderer ? GetWorldVertices() : nullptr;
    if (!points)
        return;
    // Loaded files may name more points than they hold.
    const uint16_t drawn = std::min(m_pointCount, m_vertexCount);
    renderer->RenderLines(uint16_t(drawn / 2), points, nullptr, m_colors.get(), GetWorldBound());
}

// --- scene file

void qrxLineStrip::LoadBinary(QrStream& stream)
{
    QrGeometry::LoadBinary(stream);
    m_pointCount = stream.LoadU16();
    LoadOptionalArray(stream, m_colors, m_vertexCount, "line strip colours");
    if (m_pointCount > m_vertexCount)
        stream.Fail("line strip draws more points than it has");
}

void qrxLineStrip::SaveBinary(QrStream& stream)
{
    QrGeometry::SaveBinary(stream);
    stream.SaveU16(m_pointCount);
    SaveOptionalArray(stream, m_colors.get(), m_vertexCount);
}

bool qrxLineStrip::IsEqual(const QrObject* object) const
{
    if (!QrGeometry::IsEqual(object))
        return false;
    const auto* other = static_cast<const qrxLineStrip*>(object);
    return m_pointCount == other->m_pointCount && ArraysEqual(m_colors.get(), other->m_colors.get(), m_vertexCount);
}
