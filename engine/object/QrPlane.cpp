#include "QrPlane.h"

#include "QrStream.h"

QrPlane::QrPlane(const QrPoint3& normal, const QrPoint3& point) : m_normal(normal), m_constant(normal.Dot(point)) {}

double QrPlane::Distance(const QrPoint3& p) const
{
    return double(m_normal.x) * p.x + double(m_normal.y) * p.y + double(m_normal.z) * p.z - m_constant;
}

int QrPlane::WhichSide(const QrPoint3& p) const
{
    const double d = Distance(p);
    if (d < 0.0)
        return kNegativeSide;
    if (d > 0.0)
        return kPositiveSide;
    return kOnPlane;
}

bool QrPlane::IsEqual(const QrPlane& other) const
{
    return m_normal.IsEqual(other.m_normal) && m_constant == other.m_constant;
}

void QrPlane::LoadBinary(QrStream& stream)
{
    m_normal.LoadBinary(stream);
    m_constant = stream.LoadF32();
}

void QrPlane::SaveBinary(QrStream& stream) const
{
    m_normal.SaveBinary(stream);
    stream.SaveF32(m_constant);
}
