#include "QrMorphTargetKey.h"

#include "QrAnimMath.h"
#include "QrStream.h"

QrMorphTargetKey::QrMorphTargetKey(float time, uint32_t target, uint32_t targetCount)
    : m_target(target), m_targetCount(targetCount)
{
    m_time = time;
    m_value = float(target);
}

void QrMorphTargetKey::LoadBinary(QrStream& stream)
{
    QrTCBFloatKey::LoadBinary(stream);
    m_target = stream.LoadU32();
    m_targetCount = stream.LoadU32();
}

void QrMorphTargetKey::SaveBinary(QrStream& stream) const
{
    QrTCBFloatKey::SaveBinary(stream);
    stream.SaveU32(m_target);
    stream.SaveU32(m_targetCount);
}

bool QrMorphTargetKey::IsEqual(const QrFloatKey& other) const
{
    if (!IsBaseEqual(other))
        return false;
    const auto& o = static_cast<const QrMorphTargetKey&>(other);
    return AreTCBFieldsEqual(o) && m_target == o.m_target && m_targetCount == o.m_targetCount;
}

std::unique_ptr<QrMorphTargetKey> QrMorphTargetKey::CloneMorphKey() const
{
    return std::make_unique<QrMorphTargetKey>(*this);
}

std::vector<float> QrMorphTargetKey::InterpolateWeights(float s, const QrMorphTargetKey& next) const
{
    // Counts above 16 bits are outside the data model.
    std::vector<float> weights(m_targetCount <= 0xFFFFu ? m_targetCount : 0u, 0.0f);
    const double span = double(next.m_value) - m_value;
    float h = 1.0f;
    if (span != 0.0)
        h = float((double(QrAnimMath::Hermite(s, m_value, m_outTangent, next.m_value, next.m_inTangent)) - m_value) /
                  span);
    if (m_target < weights.size())
        weights[m_target] = 1.0f - h;
    // Written second, so it wins when both keys name the same target.
    if (next.m_target < weights.size())
        weights[next.m_target] = h;
    return weights;
}

void QrMorphTargetKey::FillDerivedValues(QrMorphTargetKey* const* keys, int32_t count)
{
    std::vector<QrFloatKey*> scalar(keys, keys + (count > 0 ? count : 0));
    QrTCBFloatKey::FillDerivedValues(scalar.data(), count);
}
