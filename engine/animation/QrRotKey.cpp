#include "QrRotKey.h"

#include "QrAnimMath.h"
#include "QrBezierRotKey.h"
#include "QrEulerRotKey.h"
#include "QrLinearRotKey.h"
#include "QrStream.h"
#include "QrTCBRotKey.h"

QrRotKey::QrRotKey(float time, float angle, const QrPoint3& axis)
    : m_time(time), m_angle(angle), m_axis(axis), m_quat(QrQuaternion::FromAngleAxis(angle, axis))
{
}

void QrRotKey::LoadBinary(QrStream& stream)
{
    const bool oldForm = stream.CompareVersion("2.14") <= 0;
    if (oldForm)
        stream.LoadU8();
    m_time = stream.LoadF32();
    m_angle = stream.LoadF32();
    m_axis.LoadBinary(stream);
    m_quat.LoadBinary(stream);
    if (oldForm)
    {
        m_turns = 0;
        m_interpClass = kClassSlerp;
    }
    else
    {
        m_turns = stream.LoadI32();
        m_interpClass = stream.LoadI32();
    }
    if (stream.CompareVersion("2.15") <= 0)
    {
        m_quat = QrQuaternion::Inverse(m_quat);
        m_angle = -m_angle;
    }
}

void QrRotKey::SaveBinary(QrStream& stream) const
{
    stream.SaveF32(m_time);
    stream.SaveF32(m_angle);
    m_axis.SaveBinary(stream);
    m_quat.SaveBinary(stream);
    stream.SaveI32(m_turns);
    stream.SaveI32(m_interpClass);
}

bool QrRotKey::IsBaseEqual(const QrRotKey& o) const
{
    return GetType() == o.GetType() && m_time == o.m_time && m_angle == o.m_angle && m_axis.IsEqual(o.m_axis) &&
           m_quat.IsEqual(o.m_quat) && m_turns == o.m_turns;
}

bool QrRotKey::IsEqual(const QrRotKey& other) const
{
    return IsBaseEqual(other);
}

std::unique_ptr<QrRotKey> QrRotKey::Clone() const
{
    auto clone = std::make_unique<QrRotKey>(*this);
    clone->m_interpClass = kClassSlerp;
    return clone;
}

QrRotKey QrRotKey::Interpolate(float, const QrRotKey&) const
{
    return QrRotKey();
}

void QrRotKey::FillDerivedValues(QrRotKey* const*, int32_t) {}

QrRotKey QrRotKey::Blend(float s, const QrRotKey& next, const QrQuaternion* a, const QrQuaternion* b, float angleA,
                         float angleB) const
{
    QrRotKey result;
    result.m_time = s;
    const bool squad = a && b;
    switch (m_interpClass)
    {
    case kClassFixedAxis:
    case kClassAngleAxis:
        result.m_angle = squad ? QrAnimMath::SquadBlend(s, m_angle, angleA, angleB, next.m_angle)
                               : QrAnimMath::Lerp(s, m_angle, next.m_angle);
        result.m_axis = m_interpClass == kClassFixedAxis ? m_axis : QrAnimMath::Slerp(s, m_axis, next.m_axis);
        result.m_quat = QrQuaternion::FromAngleAxis(result.m_angle, result.m_axis);
        break;
    case kClassSpins:
        result.m_quat = squad ? QrQuaternion::SquadExtraSpins(s, m_quat, *a, *b, next.m_quat, m_turns)
                              : QrQuaternion::SlerpExtraSpins(s, m_quat, next.m_quat, m_turns);
        break;
    default:
        result.m_quat =
            squad ? QrQuaternion::Squad(s, m_quat, *a, *b, next.m_quat) : QrQuaternion::Slerp(s, m_quat, next.m_quat);
        break;
    }
    return result;
}

std::unique_ptr<QrRotKey> QrRotKey::Create(uint32_t type, QrStream& stream)
{
    std::unique_ptr<QrRotKey> key;
    switch (type)
    {
    case kTypeLinear:
        key = std::make_unique<QrLinearRotKey>();
        break;
    case kTypeBezier:
        key = std::make_unique<QrBezierRotKey>();
        break;
    case kTypeTCB:
        key = std::make_unique<QrTCBRotKey>();
        break;
    case kTypeEuler:
        key = std::make_unique<QrEulerRotKey>();
        break;
    default:
        return nullptr;
    }
    key->LoadBinary(stream);
    return key;
}
