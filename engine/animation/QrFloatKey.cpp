#include "QrFloatKey.h"

#include "QrBezierFloatKey.h"
#include "QrLinearFloatKey.h"
#include "QrMorphTargetKey.h"
#include "QrMorphWeightsKey.h"
#include "QrStream.h"
#include "QrTCBFloatKey.h"

void QrFloatKey::LoadBinary(QrStream& stream)
{
    m_time = stream.LoadF32();
    m_value = stream.LoadF32();
}

void QrFloatKey::SaveBinary(QrStream& stream) const
{
    stream.SaveF32(m_time);
    stream.SaveF32(m_value);
}

bool QrFloatKey::IsBaseEqual(const QrFloatKey& other) const
{
    return GetType() == other.GetType() && m_time == other.m_time && m_value == other.m_value;
}

bool QrFloatKey::IsEqual(const QrFloatKey& other) const
{
    return IsBaseEqual(other);
}

bool QrFloatKey::HasCreator(uint32_t type)
{
    return (type >= kTypeLinear && type <= kTypeTCB) || type == kTypeMorphWeights || type == kTypeMorphTarget;
}

std::unique_ptr<QrFloatKey> QrFloatKey::Create(uint32_t type, QrStream& stream)
{
    std::unique_ptr<QrFloatKey> key;
    switch (type)
    {
    case kTypeLinear:
        key = std::make_unique<QrLinearFloatKey>();
        break;
    case kTypeBezier:
        key = std::make_unique<QrBezierFloatKey>();
        break;
    case kTypeTCB:
        key = std::make_unique<QrTCBFloatKey>();
        break;
    case kTypeMorphWeights:
        key = std::make_unique<QrMorphWeightsKey>();
        break;
    case kTypeMorphTarget:
        key = std::make_unique<QrMorphTargetKey>();
        break;
    default:
        return nullptr;
    }
    key->LoadBinary(stream);
    return key;
}
