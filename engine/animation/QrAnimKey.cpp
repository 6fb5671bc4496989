#include "QrAnimKey.h"

#include "QrBezierPosKey.h"
#include "QrLinearPosKey.h"
#include "QrStream.h"
#include "QrTCBPosKey.h"

void QrAnimKey::LoadBinary(QrStream& stream)
{
    m_time = stream.LoadF32();
    m_value.LoadBinary(stream);
}

void QrAnimKey::SaveBinary(QrStream& stream) const
{
    stream.SaveF32(m_time);
    m_value.SaveBinary(stream);
}

bool QrAnimKey::IsBaseEqual(const QrAnimKey& other) const
{
    return GetType() == other.GetType() && m_time == other.m_time && m_value.IsEqual(other.m_value);
}

bool QrAnimKey::IsEqual(const QrAnimKey& other) const
{
    return IsBaseEqual(other);
}

std::unique_ptr<QrAnimKey> QrAnimKey::Clone() const
{
    return std::make_unique<QrAnimKey>(*this);
}

QrAnimKey QrAnimKey::Interpolate(float, const QrAnimKey&) const
{
    return QrAnimKey();
}

QrPoint3 QrAnimKey::FirstDerivative(float, const QrAnimKey&) const
{
    return QrPoint3::ZERO;
}

QrPoint3 QrAnimKey::SecondDerivative(float, const QrAnimKey&) const
{
    return QrPoint3::ZERO;
}

void QrAnimKey::FillDerivedValues(QrAnimKey* const*, int32_t) {}

float QrAnimKey::MaxCurvature(QrAnimKey* const*, int32_t) const
{
    return 0.0f;
}

std::unique_ptr<QrAnimKey> QrAnimKey::Create(uint32_t type, QrStream& stream)
{
    std::unique_ptr<QrAnimKey> key;
    switch (type)
    {
    case kTypeLinear:
        key = std::make_unique<QrLinearPosKey>();
        break;
    case kTypeBezier:
        key = std::make_unique<QrBezierPosKey>();
        break;
    case kTypeTCB:
        key = std::make_unique<QrTCBPosKey>();
        break;
    default:
        return nullptr;
    }
    key->LoadBinary(stream);
    return key;
}
