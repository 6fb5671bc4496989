#include "QrProjectionFrame.h"

#include "QrStream.h"

namespace
{
// v / |v|, or the zero vector when |v| is not above 1e-6.
QrPoint3 Unit(QrPoint3 v)
{
    v.Unitize();
    return v;
}

} // namespace

QrProjectionFrame::QrProjectionFrame()
    : m_localFocus(1.0f, 0.0f, 0.0f), m_localDirection(-1.0f, 0.0f, 0.0f), m_localUp(0.0f, 1.0f, 0.0f),
      m_localRight(m_localUp.Cross(m_localDirection))
{
    m_worldAxes.MakeIdentity();
}

const QrPoint3& QrProjectionFrame::GetLocalRight()
{
    if (m_rightStale)
    {
        m_rightStale = 0;
        m_localRight = m_localUp.Cross(m_localDirection);
    }
    return m_localRight;
}

void QrProjectionFrame::UpdateWorld(const QrMatrix3& rotation, const QrPoint3& translation)
{
    m_worldAxes = rotation.Transpose();
    m_worldFocus = rotation.TimesPoint(m_localFocus) + translation;
    m_worldDirection = rotation.TimesPoint(m_localDirection);
    m_worldUp = rotation.TimesPoint(m_localUp);
    m_worldRight = m_worldUp.Cross(m_worldDirection);
    m_worldCenter = rotation.TimesPoint(m_localCenter) + translation;
}

void QrProjectionFrame::UpdateVolumePlanes(uint32_t mode)
{
    const QrPoint3& p = m_worldFocus;
    const QrPoint3& c = m_worldCenter;
    const QrPoint3& d = m_worldDirection;
    const QrPoint3& u = m_worldUp;
    const QrPoint3& r = m_worldRight;
    const float w2 = m_width * 0.5f;
    const float h2 = m_height * 0.5f;
    if (mode == kPyramid)
    {
        // Each side passes through an edge midpoint of the rectangle and the projection centre.
        QrPoint3 e = p - r * w2;
        m_planes[0] = QrPlane(Unit(Unit(e - c).Cross(u)), e);
        e = p + r * w2;
        m_planes[1] = QrPlane(Unit(u.Cross(Unit(e - c))), e);
        e = p + u * h2;
        m_planes[2] = QrPlane(Unit(Unit(e - c).Cross(r)), e);
        e = p - u * h2;
        m_planes[3] = QrPlane(Unit(r.Cross(Unit(e - c))), e);
        m_planes[4] = QrPlane(-d, p - d * m_capOffset);
    }
    else if (mode == kBox)
    {
        // Sides offset along the light's own y and z axes; the normals are left unnormalised.
        const QrPoint3 y = m_worldAxes.GetRow(1);
        const QrPoint3 z = m_worldAxes.GetRow(2);
        const QrPoint3 a = Unit(p - c);
        const QrPoint3 n1 = a.Cross(y);
        const QrPoint3 n2 = a.Cross(n1);
        m_planes[0] = QrPlane(n1, p - z * w2);
        m_planes[1] = QrPlane(-n1, p + z * w2);
        m_planes[2] = QrPlane(n2, p + y * h2);
        m_planes[3] = QrPlane(-n2, p - y * h2);
        m_planes[4] = QrPlane(-d, p);
    }
}

void QrProjectionFrame::AxesField(QrStream& stream)
{
    m_localFocus.StreamBinary(stream);
    m_localDirection.StreamBinary(stream);
    m_localUp.StreamBinary(stream);
    m_localRight.StreamBinary(stream);
    m_localCenter.StreamBinary(stream);
    stream.Field(m_width);
    stream.Field(m_height);
}

void QrProjectionFrame::PlanesField(QrStream& stream)
{
    for (QrPlane& plane : m_planes)
    {
        if (stream.IsLoading())
            plane.LoadBinary(stream);
        else
            plane.SaveBinary(stream);
    }
}

bool QrProjectionFrame::IsEqual(const QrProjectionFrame& other) const
{
    if (!m_localFocus.IsEqual(other.m_localFocus) || !m_localDirection.IsEqual(other.m_localDirection) ||
        !m_localUp.IsEqual(other.m_localUp) || !m_localRight.IsEqual(other.m_localRight) ||
        !m_localCenter.IsEqual(other.m_localCenter) || m_width != other.m_width || m_height != other.m_height)
        return false;
    for (uint32_t i = 0; i < kPlaneCount; ++i)
        if (!m_planes[i].IsEqual(other.m_planes[i]))
            return false;
    return true;
}
