#include "QrLight.h"

#include "QrNode.h"
#include "QrStream.h"

#include <cfloat>
#include <cmath>

QR_IMPLEMENT_RTTI(QrLight, QrAVObject)
QR_IMPLEMENT_CREATE(QrLight)

uint32_t QrLight::ms_nextSerial = 1;

namespace
{

double Dot(const QrPoint3& a, const QrPoint3& b)
{
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}
} // namespace

QrLight::QrLight() : m_serial(ms_nextSerial++) {}

QrLight::~QrLight()
{
    // No node may keep a pointer to this light.
    while (!m_affectedNodes.IsEmpty())
    {
        QrNode* node = *m_affectedNodes.begin();
        m_affectedNodes.Remove(node);
        node->DetachLight(this);
    }
}

// --- instances and world data

QrAVInstance* QrLight::AttachParent(QrNode* parent)
{
    QrAVInstance* only = m_instances.GetAt(0);
    if (only)
        only->SetId(parent);
    return only;
}

void QrLight::DetachParent(QrNode* parent)
{
    // Only the parent that holds the light may clear the link.
    QrAVInstance* only = m_instances.GetAt(0);
    if (only && only->GetId() == parent)
        only->SetId(nullptr);
}

QrPointer<QrAVObject> QrLight::CreateClone()
{
    QrPointer<QrLight> clone(new QrLight);
    CopyMembers(clone.Get());
    return QrPointer<QrAVObject>(clone.Get());
}

void QrLight::CopyMembers(QrLight* clone)
{
    QrAVObject::CopyMembers(clone);
    clone->m_localPosition = m_localPosition;
    clone->m_localDirection = m_localDirection;
    clone->m_worldPosition = m_worldPosition;
    clone->m_worldDirection = m_worldDirection;
    clone->m_on = m_on;
    clone->m_spotAngle = m_spotAngle;
    clone->m_spotExponent = m_spotExponent;
    clone->m_dimmer = m_dimmer;
    clone->m_ambient = m_ambient;
    clone->m_diffuse = m_diffuse;
    clone->m_specular = m_specular;
    clone->m_radius = m_radius;
    clone->m_falloff = m_falloff;
    clone->m_attenuate = m_attenuate;
    clone->m_type = m_type;
}

bool QrLight::IsDisplayable()
{
    return false;
}

void QrLight::UpdateWorldData(QrAVInstance* instance)
{
    QrAVObject::UpdateWorldData(instance);
    // The world scale is not applied: a light has no size.
    const QrMatrix3& rotation = m_currentInstance->m_worldRotate;
    m_worldPosition = rotation.TimesPoint(m_localPosition) + m_currentInstance->m_worldTranslate;
    m_worldDirection = rotation.TimesPoint(m_localDirection);
    m_changed = 1;
}

bool QrLight::UpdateWorldBound(QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    QrBound& bound = m_currentInstance->m_worldBound;
    bound.Set(m_currentInstance->m_worldTranslate, bound.GetRadius());
    return true;
}

void QrLight::SetLocalPosition(const QrPoint3& position)
{
    m_localPosition = position;
}

void QrLight::SetLocalDirection(const QrPoint3& direction)
{
    m_localDirection = direction;
}

void QrLight::SetType(uint32_t type)
{
    m_type = type;
    m_changed = 1;
}

// --- affected nodes

void QrLight::AttachAffectedNode(QrNode* node)
{
    if (!node || m_affectedNodes.Contains(node))
        return;
    m_affectedNodes.AddHead(node);
    node->AttachLight(this);
}

void QrLight::DetachAffectedNode(QrNode* node)
{
    if (!node || !m_affectedNodes.Contains(node))
        return;
    m_affectedNodes.Remove(node);
    node->DetachLight(this);
}

// --- value setters

void QrLight::SetAmbientColor(const QrPoint3& color)
{
    m_ambient = color;
    m_changed = 1;
}

void QrLight::SetDiffuseColor(const QrPoint3& color)
{
    m_diffuse = color;
    m_changed = 1;
}

void QrLight::SetSpecularColor(const QrPoint3& color)
{
    m_specular = color;
    m_changed = 1;
}

void QrLight::SetDimmer(float dimmer)
{
    m_dimmer = dimmer;
    m_changed = 1;
}

void QrLight::SetRadius(float radius)
{
    m_radius = radius;
    m_changed = 1;
}

void QrLight::SetFalloff(float falloff)
{
    m_falloff = falloff;
    m_changed = 1;
}

void QrLight::SetAttenuate(uint8_t attenuate)
{
    m_attenuate = attenuate;
    m_changed = 1;
}

void QrLight::SetSpotAngle(float degrees)
{
    m_spotAngle = degrees;
    m_changed = 1;
}

void QrLight::SetSpotExponent(float exponent)
{
    m_spotExponent = exponent;
    m_changed = 1;
}

// --- derived lighting values

void QrLight::GetAttenuation(float& first, float& second) const
{
    if (!(m_radius > 0.0f))
    {
        first = FLT_MAX;
        second = FLT_MAX;
        return;
    }
    const double r = m_radius;
    const double f = m_falloff;
    const double f4 = f * f * f * f;
    const double k = 1.0 / (f4 * r * r * r + r * (1.0 - f4));
    first = static_cast<float>(kAttenuationScale * (1.0 - f4) * k);
    second = static_cast<float>(kAttenuationScale * f4 * k);
}

float QrLight::GetReach() const
{
    if (m_type != kPoint || !m_attenuate)
        return FLT_MAX;
    float k1 = 0.0f;
    float k2 = 0.0f;
    GetAttenuation(k1, k2);
    const double m = double(std::fmax(m_diffuse.x, std::fmax(m_diffuse.y, m_diffuse.z))) * m_dimmer;
    const double target = double(kAttenuationScale) * m;
    if (k2 <= 0.00001f)
        return k1 > 0.0f ? static_cast<float>(target / k1) : FLT_MAX;
    // k2 d^3 + k1 d = target has one real root for k1 >= 0 (Cardano).
    const double p = double(k1) / k2;
    const double q = -target / k2;
    const double root = std::sqrt(q * q / 4.0 + p * p * p / 27.0);
    return static_cast<float>(std::cbrt(-q / 2.0 + root) + std::cbrt(-q / 2.0 - root));
}

float QrLight::GetDiffuseFactor(const QrPoint3& position, const QrPoint3& normal) const
{
    if (m_type == kAmbient)
        return 0.0f;
    QrPoint3 direction = m_worldDirection;
    direction.Unitize();
    if (m_type == kDirectional)
    {
        const double f = -Dot(direction, normal);
        return f > 0.0 ? static_cast<float>(f) : 0.0f;
    }

    const QrPoint3 toLight = m_worldPosition - position;
    const double d = std::sqrt(Dot(toLight, toLight));
    const double facing = Dot(toLight, normal);
    if (!(facing > 0.0))
        return 0.0f;
    double f = facing / d;
    if (m_type == kSpot)
    {
        // A cone wider than a half space is taken as a right angle.
        double cosine = std::cos(double(m_spotAngle) * kDegreesToRadians);
        double sine = std::sin(double(m_spotAngle) * kDegreesToRadians);
        if (cosine < 0.0)
        {
            cosine = 0.0;
            sine = 1.0;
        }
        const double s = Dot(toLight, direction);
        const double t = s * s - d * d * cosine * cosine;
        if (!(s < 0.0) || !(t > 0.0))
            return 0.0f;
        f *= t / (s * s * sine * sine);
    }
    else if (m_type != kPoint)
        return 0.0f;
    if (m_attenuate)
    {
        float k1 = 0.0f;
        float k2 = 0.0f;
        GetAttenuation(k1, k2);
        f /= double(k1) * d + double(k2) * d * d * d;
    }
    return static_cast<float>(f);
}

// --- scene file

void QrLight::Fields(QrStream& stream)
{
    m_localPosition.StreamBinary(stream);
    m_localDirection.StreamBinary(stream);
    stream.Field(m_on);
    stream.Field(m_spotAngle);
    stream.Field(m_spotExponent);
    stream.Field(m_dimmer);
    m_ambient.StreamBinary(stream);
    m_diffuse.StreamBinary(stream);
    m_specular.StreamBinary(stream);
    stream.Field(m_radius);
    stream.Field(m_falloff);
    stream.Field(m_attenuate);
    stream.Field(m_type);
}

void QrLight::LoadBinary(QrStream& stream)
{
    QrAVObject::LoadBinary(stream);
    Fields(stream);
    // The nodes attach their lights when they are linked; the ids here are only a record.
    const uint32_t count = stream.LoadCount(4, "affected nodes");
    for (uint32_t i = 0; i < count; ++i)
        stream.LoadU32();
    UpdateAllInstances();
}

void QrLight::SaveBinary(QrStream& stream)
{
    QrAVObject::SaveBinary(stream);
    Fields(stream);
    // Only the nodes the file holds: the nodes own the link, and a node left out of a partial
    // save would be a null entry that no reload gives back (the save would not repeat itself).
    uint32_t saved = 0;
    for (QrNode* node : m_affectedNodes)
        if (stream.GetLinkID(node) != 0)
            ++saved;
    stream.SaveU32(saved);
    for (QrNode* node : m_affectedNodes)
        if (stream.GetLinkID(node) != 0)
            stream.SaveLinkID(node);
}

bool QrLight::IsEqual(const QrObject* object) const
{
    if (!QrAVObject::IsEqual(object))
        return false;
    const QrLight* other = static_cast<const QrLight*>(object);
    return m_localPosition.IsEqual(other->m_localPosition) && m_localDirection.IsEqual(other->m_localDirection) &&
           m_on == other->m_on && m_spotAngle == other->m_spotAngle && m_spotExponent == other->m_spotExponent &&
           m_dimmer == other->m_dimmer && m_ambient.IsEqual(other->m_ambient) && m_diffuse.IsEqual(other->m_diffuse) &&
           m_specular.IsEqual(other->m_specular) && m_radius == other->m_radius && m_falloff == other->m_falloff &&
           m_attenuate == other->m_attenuate && m_type == other->m_type &&
           m_affectedNodes.GetCount() == other->m_affectedNodes.GetCount();
}
