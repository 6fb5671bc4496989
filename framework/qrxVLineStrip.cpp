#include "qrxVLineStrip.h"

#include "QrStream.h"

#include <algorithm>

QR_IMPLEMENT_RTTI(qrxVLineStrip, qrxLineStrip)
QR_IMPLEMENT_CREATE(qrxVLineStrip)

qrxVLineStrip::qrxVLineStrip() = default;

qrxVLineStrip::qrxVLineStrip(uint16_t pointCount, const QrPoint3* vertices, const QrPoint3* points,
                             const QrColorA* colors)
    : qrxLineStrip(pointCount, vertices, points, colors), m_capacity(pointCount), m_initialCount(pointCount)
{
}

qrxVLineStrip::~qrxVLineStrip() = default;

void qrxVLineStrip::SetPointCount(uint16_t count)
{
    m_pointCount = std::min(count, m_capacity);
}

void qrxVLineStrip::LoadBinary(QrStream& stream)
{
    qrxLineStrip::LoadBinary(stream);
    m_capacity = stream.LoadU16();
    m_initialCount = stream.LoadU16();
    if (m_capacity > m_vertexCount || m_pointCount > m_capacity || m_initialCount > m_capacity)
        stream.Fail("line strip counts exceed its capacity");
}

void qrxVLineStrip::SaveBinary(QrStream& stream)
{
    qrxLineStrip::SaveBinary(stream);
    stream.SaveU16(m_capacity);
    stream.SaveU16(m_initialCount);
}

bool qrxVLineStrip::IsEqual(const QrObject* object) const
{
    if (!qrxLineStrip::IsEqual(object))
        return false;
    const auto* other = static_cast<const qrxVLineStrip*>(object);
    return m_capacity == other->m_capacity && m_initialCount == other->m_initialCount;
}
