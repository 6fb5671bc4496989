#include "QrAnimMath.h"

#include "QrRotKey.h"

#include <algorithm>
#include <cmath>

float QrAnimMath::TwoPi()
{
    static const float twoPi = float(8.0 * std::atan2(1.0, 1.0));
    return twoPi;
}

float QrAnimMath::Lerp(float s, float a, float b)
{
    return float((1.0 - s) * a + double(s) * b);
}

QrPoint3 QrAnimMath::Lerp(float s, const QrPoint3& a, const QrPoint3& b)
{
    return {Lerp(s, a.x, b.x), Lerp(s, a.y, b.y), Lerp(s, a.z, b.z)};
}

float QrAnimMath::Hermite(float s, float p0, float d0, float p1, float d1)
{
    const double ds = s, dp0 = p0, dd0 = d0, dp1 = p1, dd1 = d1;
    const double delta = dp1 - dp0;
    return float((((dd0 + dd1 - 2.0 * delta) * ds + (3.0 * delta - (2.0 * dd0 + dd1))) * ds + dd0) * ds + dp0);
}

void QrAnimMath::TCBTangents(float p, float prev, float next, float dtPrev, float dtNext, float tension,
                             float continuity, float bias, float& inTangent, float& outTangent)
{
    const double dIn = double(p) - prev;
    const double dOut = double(next) - p;
    const double a = (1.0 - tension) * (1.0 + continuity) / 2.0;
    const double b = (1.0 - tension) * (1.0 - continuity) / 2.0;
    const double g = 2.0 / (double(dtPrev) + dtNext);
    inTangent = float((a * (1.0 - bias) * dOut + b * (1.0 + bias) * dIn) * g * dtPrev);
    outTangent = float((b * (1.0 - bias) * dOut + a * (1.0 + bias) * dIn) * g * dtNext);
}

QrPoint3 QrAnimMath::Slerp(float s, const QrPoint3& a, const QrPoint3& b)
{
    const double c = std::clamp(double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z, -1.0, 1.0);
    const double theta = std::acos(c);
    const double sinTheta = std::sin(theta);
    if (sinTheta < 1e-6)
    {
        QrPoint3 blend = Lerp(s, a, b);
        return blend.Unitize() > 0.0f ? blend : a;
    }
    const double f = float(1.0 / sinTheta);
    const double wa = std::sin(theta - s * theta) * f;
    const double wb = std::sin(s * theta) * f;
    return {float(a.x * wa + b.x * wb), float(a.y * wa + b.y * wb), float(a.z * wa + b.z * wb)};
}

float QrAnimMath::SquadBlend(float s, float p, float a, float b, float q)
{
    const double h = 2.0 * s * (1.0 - s);
    return float(double(Lerp(s, p, q)) * (1.0 - h) + double(Lerp(s, a, b)) * h);
}

void QrAnimMath::RotKeysPrepare(QrRotKey* const* keys, int32_t count)
{
    const float twoPi = TwoPi();
    for (int32_t i = 0; i + 1 < count; ++i)
    {
        QrRotKey& k = *keys[i];
        const QrRotKey& next = *keys[i + 1];
        const float d = next.m_angle - k.m_angle;
        if (std::fabs(d) >= twoPi)
        {
            // Corrupt angles must not overflow the turn count.
            k.m_turns = int32_t(std::clamp(d / twoPi, -1.0e9f, 1.0e9f));
            if (k.m_axis.x == next.m_axis.x && k.m_axis.y == next.m_axis.y && k.m_axis.z == next.m_axis.z)
                k.m_interpClass = QrRotKey::kClassFixedAxis;
            else if (k.m_angle != 0.0f)
                k.m_interpClass = QrRotKey::kClassSpins;
            else
                k.m_interpClass = QrRotKey::kClassAngleAxis;
        }
        else
        {
            k.m_turns = 0;
            k.m_interpClass = QrRotKey::kClassSlerp;
        }
    }
    for (int32_t i = 0; i + 1 < count; ++i)
        if (QrQuaternion::Dot(keys[i]->m_quat, keys[i + 1]->m_quat) < 0.0f)
            keys[i + 1]->m_quat = -keys[i + 1]->m_quat;
    for (int32_t i = 0; i < count; ++i)
        keys[i]->m_quat.w = std::clamp(keys[i]->m_quat.w, -1.0f, 1.0f);
}
