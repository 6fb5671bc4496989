#include "QrMorphWeightsKey.h"

#include "QrAnimMath.h"
#include "QrStream.h"

#include <cstring>

namespace
{
void LoadFloats(QrStream& stream, std::vector<float>& out, size_t count)
{
    out.assign(count, 0.0f);
    for (float& v : out)
        v = stream.LoadF32();
}

bool SameBytes(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}
} // namespace

QrMorphWeightsKey::QrMorphWeightsKey(float time, std::vector<float> weights)
    : m_weights(std::move(weights)), m_inTangents(m_weights.size(), 0.0f), m_outTangents(m_weights.size(), 0.0f)
{
    m_time = time;
}

void QrMorphWeightsKey::LoadBinary(QrStream& stream)
{
    QrTCBFloatKey::LoadBinary(stream);
    const int32_t count = stream.LoadI32();
    // Three floats per target must still be in the file.
    if (count < 0 || uint64_t(count) * 12u > stream.GetRemaining())
    {
        if (count != 0)
            stream.Fail("morph weight count");
        return;
    }
    LoadFloats(stream, m_weights, size_t(count));
    LoadFloats(stream, m_inTangents, size_t(count));
    LoadFloats(stream, m_outTangents, size_t(count));
}

void QrMorphWeightsKey::SaveBinary(QrStream& stream) const
{
    QrTCBFloatKey::SaveBinary(stream);
    stream.SaveI32(GetCount());
    for (const std::vector<float>* array : {&m_weights, &m_inTangents, &m_outTangents})
        for (size_t j = 0; j < m_weights.size(); ++j)
            stream.SaveF32(j < array->size() ? (*array)[j] : 0.0f);
}

bool QrMorphWeightsKey::IsEqual(const QrFloatKey& other) const
{
    if (!IsBaseEqual(other))
        return false;
    const auto& o = static_cast<const QrMorphWeightsKey&>(other);
    return AreTCBFieldsEqual(o) && SameBytes(m_weights, o.m_weights) && SameBytes(m_inTangents, o.m_inTangents) &&
           SameBytes(m_outTangents, o.m_outTangents);
}

std::unique_ptr<QrMorphWeightsKey> QrMorphWeightsKey::CloneMorphKey() const
{
    return std::make_unique<QrMorphWeightsKey>(*this);
}

std::vector<float> QrMorphWeightsKey::InterpolateWeights(float s, const QrMorphWeightsKey& next) const
{
    std::vector<float> result(m_weights);
    for (size_t j = 0; j < result.size(); ++j)
    {
        if (j >= next.m_weights.size())
            continue;
        const float out = j < m_outTangents.size() ? m_outTangents[j] : 0.0f;
        const float in = j < next.m_inTangents.size() ? next.m_inTangents[j] : 0.0f;
        result[j] = QrAnimMath::Hermite(s, m_weights[j], out, next.m_weights[j], in);
    }
    return result;
}

void QrMorphWeightsKey::FillDerivedValues(QrMorphWeightsKey* const* keys, int32_t count)
{
    if (!keys || count < 2)
        return;
    // Each key's tangent arrays match its own weights; a key short of a weight that its
    // neighbour has is treated as holding its neighbour's value there.
    for (int32_t i = 0; i < count; ++i)
    {
        keys[i]->m_inTangents.assign(keys[i]->m_weights.size(), 0.0f);
        keys[i]->m_outTangents.assign(keys[i]->m_weights.size(), 0.0f);
    }
    const size_t m = keys[0]->m_weights.size();
    std::vector<QrFloatKey*> scalar(size_t(count), nullptr);
    for (int32_t i = 0; i < count; ++i)
        scalar[size_t(i)] = keys[i];
    for (size_t j = 0; j < m; ++j)
    {
        float last = 0.0f;
        for (int32_t i = 0; i < count; ++i)
        {
            QrMorphWeightsKey* k = keys[i];
            if (j < k->m_weights.size())
                last = k->m_weights[j];
            k->m_value = last;
        }
        QrTCBFloatKey::FillDerivedValues(scalar.data(), count);
        for (int32_t i = 0; i < count; ++i)
        {
            QrMorphWeightsKey* k = keys[i];
            if (j < k->m_weights.size())
            {
                k->m_inTangents[j] = k->m_inTangent;
                k->m_outTangents[j] = k->m_outTangent;
            }
        }
    }
}
