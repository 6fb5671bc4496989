#include "QrProjectedLight.h"

#include "QrObjectsEqual.h"
#include "QrStream.h"

#include <cmath>

QR_IMPLEMENT_RTTI(QrProjectedLight, QrLight)
QR_IMPLEMENT_CREATE(QrProjectedLight)

namespace
{

void SetRow(float (&row)[4], const QrPoint3& vector, float constant)
{
    row[0] = vector.x;
    row[1] = vector.y;
    row[2] = vector.z;
    row[3] = constant;
}
} // namespace

QrProjectedLight::QrProjectedLight()
{
    m_type = kProjectedType;
    m_parallel.MakeIdentity();
    Update(m_currentInstance);
}

QrProjectedLight::~QrProjectedLight() = default;

// The projected object is not drawn through the light, but a file may make it a light or a node
// holding this one: the load's check then refuses the cycle or the depth it makes.
void QrProjectedLight::AppendDescendLinks(std::vector<QrAVObject*>& out) const
{
    QrLight::AppendDescendLinks(out);
    if (QrAVObject* object = QrDynamicCast<QrAVObject>(m_projectedObject.Get()))
        out.push_back(object);
}

void QrProjectedLight::ReleaseLinks()
{
    QrLight::ReleaseLinks();
    m_projectedObject = nullptr;
}

void QrProjectedLight::SetLocalPosition(const QrPoint3&) {}

void QrProjectedLight::SetLocalDirection(const QrPoint3&) {}

void QrProjectedLight::SetType(uint32_t) {}

QrPointer<QrAVObject> QrProjectedLight::CreateClone()
{
    QrPointer<QrProjectedLight> clone(new QrProjectedLight);
    CopyMembers(clone.Get());
    clone->m_projectionKind = m_projectionKind;
    clone->m_projectionKind2 = m_projectionKind2;
    clone->m_projectionMode = m_projectionMode;
    clone->m_frame = m_frame;
    clone->m_projectedObject = m_projectedObject;
    clone->m_projectionValue = m_projectionValue;
    clone->m_projectionOffset = m_projectionOffset;
    clone->m_projectionFactor = m_projectionFactor;
    clone->m_parallel = m_parallel;
    clone->m_parallelOffset = m_parallelOffset;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            clone->m_perspective[i][j] = m_perspective[i][j];
    return QrPointer<QrAVObject>(clone.Get());
}

// --- world data

void QrProjectedLight::UpdateWorldData(QrAVInstance* instance)
{
    QrLight::UpdateWorldData(instance);
    const QrAVInstance* self = m_currentInstance;
    m_worldPosition = self->m_worldTranslate;
    m_frame.UpdateWorld(self->m_worldRotate, self->m_worldTranslate);
    // The light's world x axis stands in the world direction.
    m_worldDirection = m_frame.GetWorldAxes().GetRow(0);
    UpdateTextureProjection();
}

void QrProjectedLight::UpdateTextureProjection()
{
    if (m_projectionMode == QrProjectionFrame::kPyramid)
        UpdatePerspective();
    else if (m_projectionMode == QrProjectionFrame::kBox)
        UpdateParallel();
    m_frame.UpdateVolumePlanes(m_projectionMode);
}

void QrProjectedLight::UpdatePerspective()
{
    // The camera's clip rows with the projection centre as the eye and the rectangle
    // [-width / 2, width / 2] x [-height / 2, height / 2] around the focus point.
    const QrPoint3& p = m_frame.GetWorldFocus();
    const QrPoint3& c = m_frame.GetWorldCenter();
    const QrPoint3& d = m_frame.GetWorldDirection();
    const QrPoint3& u = m_frame.GetWorldUp();
    const QrPoint3& r = m_frame.GetWorldRight();
    const float iw = 1.0f / m_frame.GetWidth();
    const float ih = 1.0f / m_frame.GetHeight();
    const QrPoint3 toCenter = c - p;
    const float e = toCenter.Dot(d);
    const float sx = iw * e + iw * e;
    const float gx = -r.Dot(toCenter) * (iw + iw);
    const float sy = ih * e + ih * e;
    const float gy = -u.Dot(toCenter) * (ih + ih);
    const float dp = d.Dot(p);
    SetRow(m_perspective[0], r * sx + d * gx, -gx * dp - sx * r.Dot(p));
    SetRow(m_perspective[1], u * sy + d * gy, -gy * dp - sy * u.Dot(p));
    SetRow(m_perspective[3], -d, e + dp);
}

void QrProjectedLight::UpdateParallel()
{
    const QrMatrix3& axes = m_frame.GetWorldAxes();
    const QrPoint3 x = axes.GetRow(0);
    const QrPoint3 y = axes.GetRow(1);
    const QrPoint3 z = axes.GetRow(2);
    const QrPoint3 a = m_frame.GetWorldFocus() - m_frame.GetWorldCenter();
    const float along = x.Dot(a);
    const float iw = 1.0f / m_frame.GetWidth();
    const float ih = 1.0f / m_frame.GetHeight();
    // Projecting along a line that lies in the light's y-z plane has no answer: the rows then
    // project straight along x instead of dividing by zero.
    const float ia = std::fabs(along) > 1e-6f ? 1.0f / along : 0.0f;
    m_parallel.SetRow(0, z * iw + x * (-(z.Dot(a) * ia * iw)));
    m_parallel.SetRow(1, y * ih + x * (-(y.Dot(a) * ia * ih)));
    m_parallel.SetRow(2, x);
    m_parallelOffset = QrPoint3::ZERO;
}

// --- scene file

void QrProjectedLight::Fields(QrStream& stream)
{
    stream.Field(m_projectionKind);
    // Older files lack the second kind; saving always writes it.
    if (!stream.IsLoading() || stream.CompareVersion(kKind2Version) >= 0)
        stream.Field(m_projectionKind2);
    else
        m_projectionKind2 = 0;
    stream.Field(m_projectionMode);
    m_frame.AxesField(stream);
    stream.Field(m_projectionValue);
    m_projectionOffset.StreamBinary(stream);
    stream.Field(m_projectionFactor);
    if (stream.IsLoading())
        m_parallel.LoadBinary(stream);
    else
        m_parallel.SaveBinary(stream);
    m_parallelOffset.StreamBinary(stream);
    m_frame.PlanesField(stream);
}

void QrProjectedLight::LoadBinary(QrStream& stream)
{
    QrLight::LoadBinary(stream);
    Fields(stream);
    stream.LoadLinkID(this);
}

void QrProjectedLight::LinkObject(QrStream& stream)
{
    QrLight::LinkObject(stream);
    m_projectedObject = stream.ResolveLinkID<QrObject>(this);
}

bool QrProjectedLight::RegisterStreamables(QrStream& stream)
{
    if (!QrLight::RegisterStreamables(stream))
        return false;
    if (m_projectedObject)
        m_projectedObject->RegisterStreamables(stream);
    return true;
}

void QrProjectedLight::SaveBinary(QrStream& stream)
{
    QrLight::SaveBinary(stream);
    Fields(stream);
    stream.SaveLinkID(m_projectedObject.Get());
}

bool QrProjectedLight::IsEqual(const QrObject* object) const
{
    if (!QrLight::IsEqual(object))
        return false;
    const QrProjectedLight* other = static_cast<const QrProjectedLight*>(object);
    if (m_projectionKind != other->m_projectionKind || m_projectionKind2 != other->m_projectionKind2 ||
        m_projectionMode != other->m_projectionMode || !m_frame.IsEqual(other->m_frame) ||
        m_projectionValue != other->m_projectionValue || !m_projectionOffset.IsEqual(other->m_projectionOffset) ||
        m_projectionFactor != other->m_projectionFactor || !m_parallel.IsEqual(other->m_parallel) ||
        !m_parallelOffset.IsEqual(other->m_parallelOffset))
        return false;
    return QrObjectsEqual(m_projectedObject.Get(), other->m_projectedObject.Get());
}
