#include "QrTCBFloatKey.h"

#include "QrAnimMath.h"
#include "QrStream.h"

void QrTCBFloatKey::LoadBinary(QrStream& stream)
{
    QrFloatKey::LoadBinary(stream);
    m_tension = stream.LoadF32();
    m_continuity = stream.LoadF32();
    m_bias = stream.LoadF32();
    m_inTangent = stream.LoadF32();
    m_outTangent = stream.LoadF32();
}

void QrTCBFloatKey::SaveBinary(QrStream& stream) const
{
    QrFloatKey::SaveBinary(stream);
    stream.SaveF32(m_tension);
    stream.SaveF32(m_continuity);
    stream.SaveF32(m_bias);
    stream.SaveF32(m_inTangent);
    stream.SaveF32(m_outTangent);
}

bool QrTCBFloatKey::AreTCBFieldsEqual(const QrTCBFloatKey& o) const
{
    return IsBaseEqual(o) && m_tension == o.m_tension && m_continuity == o.m_continuity && m_bias == o.m_bias &&
           m_inTangent == o.m_inTangent && m_outTangent == o.m_outTangent;
}

bool QrTCBFloatKey::IsEqual(const QrFloatKey& other) const
{
    return IsBaseEqual(other) && AreTCBFieldsEqual(static_cast<const QrTCBFloatKey&>(other));
}

std::unique_ptr<QrFloatKey> QrTCBFloatKey::Clone() const
{
    // Always a plain TCB key, also for the morph keys (they copy themselves with CloneMorphKey).
    return std::make_unique<QrTCBFloatKey>(static_cast<const QrTCBFloatKey&>(*this));
}

void QrTCBFloatKey::ComputeTangents(float prev, float next, float dtPrev, float dtNext)
{
    QrAnimMath::TCBTangents(m_value, prev, next, dtPrev, dtNext, m_tension, m_continuity, m_bias, m_inTangent,
                            m_outTangent);
}

QrTCBFloatKey* QrTCBFloatKey::AsTCB(QrFloatKey* key)
{
    if (!key)
        return nullptr;
    switch (key->GetType())
    {
    case kTypeTCB:
    case kTypeMorphWeights:
    case kTypeMorphTarget:
        return static_cast<QrTCBFloatKey*>(key);
    default:
        return nullptr;
    }
}

void QrTCBFloatKey::FillDerivedValues(QrFloatKey* const* keys, int32_t count)
{
    if (count < 2)
        return;
    for (int32_t i = 0; i < count; ++i)
    {
        QrTCBFloatKey* k = AsTCB(keys[i]);
        if (!k)
            continue;
        // The ends mirror their one neighbour to make a phantom key one time unit away.
        if (i == 0)
        {
            const float p1 = keys[1]->m_value;
            k->ComputeTangents(float(2.0 * k->m_value - p1), p1, 1.0f, 1.0f);
        }
        else if (i == count - 1)
        {
            const float prev = keys[i - 1]->m_value;
            k->ComputeTangents(prev, float(2.0 * k->m_value - prev), 1.0f, 1.0f);
        }
        else
        {
            k->ComputeTangents(keys[i - 1]->m_value, keys[i + 1]->m_value, k->m_time - keys[i - 1]->m_time,
                               keys[i + 1]->m_time - k->m_time);
        }
    }
}
