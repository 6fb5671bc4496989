#include "QrLightCache.h"

#include "QrLight.h"

#include <cfloat>
#include <cmath>
#include <new>

namespace
{

constexpr float kRightAngle = 1.5707960f;
constexpr float kShortestDirection = 1e-6f;
constexpr float kLinearOnlyBelow = 1e-5f;

QrPoint3 Scaled(const QrPoint3& color, float factor)
{
    return QrPoint3(color.x * factor, color.y * factor, color.z * factor);
}

QrPoint3 Normalised(const QrPoint3& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length < kShortestDirection)
        return QrPoint3(0.0f, 0.0f, 0.0f);
    return QrPoint3(v.x / length, v.y / length, v.z / length);
}

} // namespace

QrLightRecord* QrLightCache::Find(int32_t id)
{
    if (id < 0)
        return nullptr;
    if (m_last && m_last->id == id)
        return m_last;
    for (QrLightRecord* r = m_buckets[static_cast<uint32_t>(id) % kBuckets]; r; r = r->hashLink)
    {
        if (r->id == id)
        {
            m_last = r;
            return r;
        }
    }
    return nullptr;
}

QrLightRecord* QrLightCache::FindOrCreate(int32_t id)
{
    if (id < 0)
        return nullptr;
    if (QrLightRecord* found = Find(id))
        return found;
    if (!m_free)
    {
        std::unique_ptr<QrLightRecord[]> block(new (std::nothrow) QrLightRecord[kBlockRecords]());
        if (!block)
            return nullptr;
        for (uint32_t i = 0; i < kBlockRecords; ++i)
        {
            block[i].listLink = m_free;
            m_free = &block[i];
        }
        m_blocks.push_back(std::move(block));
    }
    QrLightRecord* record = m_free;
    m_free = record->listLink;
    *record = QrLightRecord{};
    record->id = id;
    QrLightRecord*& bucket = m_buckets[static_cast<uint32_t>(id) % kBuckets];
    record->hashLink = bucket;
    bucket = record;
    record->listLink = m_live;
    m_live = record;
    m_last = record;
    return record;
}

bool QrLightCache::Update(const QrLight& light, bool on, bool* refreshed)
{
    if (refreshed)
        *refreshed = false;
    QrLightRecord* record = FindOrCreate(static_cast<int32_t>(light.GetSerial()));
    if (!record)
        return false;
    if (!on)
    {
        record->flags &= ~QrLightRecord::kOn;
        return true;
    }
    record->flags |= QrLightRecord::kOn;
    if (record->revision != light.GetRevision())
    {
        Refresh(*record, light);
        if (refreshed)
            *refreshed = true;
    }
    return true;
}

void QrLightCache::Refresh(QrLightRecord& record, const QrLight& light)
{
    record.revision = light.GetRevision();
    record.type = light.GetType();
    record.dimmer = light.GetDimmer();
    record.ambient = light.GetAmbientColor();
    record.diffuse = light.GetDiffuseColor();
    record.specular = light.GetSpecularColor();
    record.ambientDimmed = Scaled(record.ambient, record.dimmer);
    record.diffuseDimmed = Scaled(record.diffuse, record.dimmer);
    record.specularDimmed = Scaled(record.specular, record.dimmer);

    switch (record.type)
    {
    case QrLight::kDirectional:
        record.direction = Normalised(light.GetWorldDirection());
        return;
    case QrLight::kPoint:
        record.position = light.GetWorldPosition();
        break;
    case QrLight::kSpot:
    {
        record.position = light.GetWorldPosition();
        record.direction = Normalised(light.GetWorldDirection());
        record.spotAngle = light.GetSpotAngle() * QrLight::kDegreesToRadians;
        const float c = std::cos(record.spotAngle);
        if (c >= 0.0f)
        {
            const float s = std::sin(record.spotAngle);
            record.cos2 = c * c;
            record.sin2 = s * s;
        }
        else
        {
            // A cone wider than a half space lights the half space: a right angle, whose
            // sine is 1, so the spot factor never divides by zero.
            record.spotAngle = kRightAngle;
            record.cos2 = 0.0f;
            record.sin2 = 1.0f;
        }
        record.spotExponent = light.GetSpotExponent();
        break;
    }
    default:
        return;
    }

    if (!light.GetAttenuate())
    {
        record.flags = (record.flags & ~QrLightRecord::kAttenuated) | QrLightRecord::kRangeStale;
        return;
    }
    const float r = light.GetRadius();
    if (!(r > 0.0f))
    {
        record.k1 = FLT_MAX;
        record.k2 = FLT_MAX;
        record.flags |= QrLightRecord::kLinearOnly | QrLightRecord::kAttenuated;
    }
    else
    {
        const float a = light.GetFalloff();
        const float a4 = a * a * a * a;
        const float s = 1.0f / (a4 * r * r * r + r * (1.0f - a4));
        record.k1 = QrLight::kAttenuationScale * (1.0f - a4) * s;
        record.k2 = QrLight::kAttenuationScale * a4 * s;
        if (a4 != 0.0f)
            record.flags = (record.flags & ~QrLightRecord::kLinearOnly) | QrLightRecord::kAttenuated;
        else
            record.flags |= QrLightRecord::kLinearOnly | QrLightRecord::kAttenuated;
    }
    record.flags |= QrLightRecord::kRangeStale;
}

float QrLightCache::Range(QrLightRecord& record)
{
    if (!(record.flags & QrLightRecord::kRangeStale))
        return record.range;
    record.flags &= ~QrLightRecord::kRangeStale;
    if (record.type != QrLight::kPoint)
    {
        record.range = FLT_MAX;
        return record.range;
    }
    const QrPoint3& c = record.diffuseDimmed;
    const double m = std::fmax(c.x, std::fmax(c.y, c.z));
    const double target = double(QrLight::kAttenuationScale) * m;
    const double k1 = record.k1;
    const double k2 = record.k2;
    double range;
    if (k2 <= kLinearOnlyBelow)
    {
        range = target / k1;
    }
    else if (k1 <= 0.0)
    {
        // Falloff 1: purely cubic.
        range = std::cbrt(target / k2);
    }
    else
    {
        // The real root of k2 d^3 + k1 d = target.
        const double p = std::sqrt(4.0 * k1 / (3.0 * k2));
        const double q = 4.0 * target / (p * p * p * k2);
        const double t = std::cbrt(q + std::sqrt(q * q + 1.0));
        range = (t - 1.0 / t) * p * 0.5;
    }
    // A light whose reach cannot be worked out is not held back.
    record.range = std::isfinite(range) && range >= 0.0 ? static_cast<float>(std::fmin(range, FLT_MAX)) : FLT_MAX;
    return record.range;
}
