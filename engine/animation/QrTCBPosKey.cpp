#include "QrTCBPosKey.h"

#include "QrAnimMath.h"
#include "QrStream.h"

void QrTCBPosKey::LoadBinary(QrStream& stream)
{
    QrAnimKey::LoadBinary(stream);
    m_tension = stream.LoadF32();
    m_continuity = stream.LoadF32();
    m_bias = stream.LoadF32();
    m_inTangent.LoadBinary(stream);
    m_outTangent.LoadBinary(stream);
    m_coefB.LoadBinary(stream);
    m_coefA.LoadBinary(stream);
}

void QrTCBPosKey::SaveBinary(QrStream& stream) const
{
    QrAnimKey::SaveBinary(stream);
    stream.SaveF32(m_tension);
    stream.SaveF32(m_continuity);
    stream.SaveF32(m_bias);
    m_inTangent.SaveBinary(stream);
    m_outTangent.SaveBinary(stream);
    m_coefB.SaveBinary(stream);
    m_coefA.SaveBinary(stream);
}

bool QrTCBPosKey::IsEqual(const QrAnimKey& other) const
{
    if (!IsBaseEqual(other))
        return false;
    const auto& o = static_cast<const QrTCBPosKey&>(other);
    return AreCurveFieldsEqual(o) && m_tension == o.m_tension && m_continuity == o.m_continuity && m_bias == o.m_bias;
}

std::unique_ptr<QrAnimKey> QrTCBPosKey::Clone() const
{
    return std::make_unique<QrTCBPosKey>(*this);
}

void QrTCBPosKey::ComputeTangents(const QrPoint3& prev, const QrPoint3& next, float dtPrev, float dtNext)
{
    QrAnimMath::TCBTangents(m_value.x, prev.x, next.x, dtPrev, dtNext, m_tension, m_continuity, m_bias, m_inTangent.x,
                            m_outTangent.x);
    QrAnimMath::TCBTangents(m_value.y, prev.y, next.y, dtPrev, dtNext, m_tension, m_continuity, m_bias, m_inTangent.y,
                            m_outTangent.y);
    QrAnimMath::TCBTangents(m_value.z, prev.z, next.z, dtPrev, dtNext, m_tension, m_continuity, m_bias, m_inTangent.z,
                            m_outTangent.z);
}

void QrTCBPosKey::FillDerivedValues(QrAnimKey* const* keys, int32_t count)
{
    if (count < 2)
        return;
    for (int32_t i = 0; i < count; ++i)
    {
        if (!keys[i] || keys[i]->GetType() != kTypeTCB)
            continue;
        auto* k = static_cast<QrTCBPosKey*>(keys[i]);
        // The ends mirror their one neighbour to make a phantom key one time unit away.
        if (i == 0)
        {
            const QrPoint3 p1 = keys[1]->m_value;
            k->ComputeTangents(k->m_value * 2.0f - p1, p1, 1.0f, 1.0f);
        }
        else if (i == count - 1)
        {
            const QrPoint3 prev = keys[i - 1]->m_value;
            k->ComputeTangents(prev, k->m_value * 2.0f - prev, 1.0f, 1.0f);
        }
        else
        {
            k->ComputeTangents(keys[i - 1]->m_value, keys[i + 1]->m_value, k->m_time - keys[i - 1]->m_time,
                               keys[i + 1]->m_time - k->m_time);
        }
    }
    ComputeCoefficients(keys, count);
}
