#include "Qr3dsAlphaAnimator.h"

#include "QrKeyIO.h"
#include "QrKeyLookup.h"
#include "QrMaterialProperty.h"
#include "QrStream.h"

QR_IMPLEMENT_RTTI(Qr3dsAlphaAnimator, Qr3dsPropertyAnimator)
QR_IMPLEMENT_CREATE(Qr3dsAlphaAnimator)

Qr3dsAlphaAnimator::Qr3dsAlphaAnimator() = default;

Qr3dsAlphaAnimator::~Qr3dsAlphaAnimator() = default;

void Qr3dsAlphaAnimator::SetKeys(QrFloatKey* const* keys, int32_t count)
{
    m_keys.CopyFrom(keys, count);
    m_keyCache = 0;
    if (m_keys.IsEmpty())
        return;
    SetBeginTime(m_keys.First()->m_time);
    SetEndTime(m_keys.Last()->m_time);
}

void Qr3dsAlphaAnimator::ApplyAtTime(float time)
{
    if (m_keys.IsEmpty())
        return;
    const float t = ComputeScaledTime(time);
    QrFloatKey* const* keys = m_keys.GetKeys();
    const QrKeyLookup::Segment segment = QrKeyLookup::Find(keys, m_keys.GetCount(), t, m_keyCache);
    const float value = segment.m_exact ? keys[segment.m_index]->m_value
                                        : keys[segment.m_index]->Interpolate(segment.m_s, *keys[segment.m_index + 1]);
    QrProperty* target = GetTarget();
    if (target && target->IsExactly(&QrMaterialProperty::ms_RTTI))
    {
        auto* material = static_cast<QrMaterialProperty*>(target);
        material->m_alpha = value;
        material->m_changed = 1;
    }
}

void Qr3dsAlphaAnimator::LoadBinary(QrStream& stream)
{
    Qr3dsPropertyAnimator::LoadBinary(stream);
    const int32_t count = stream.LoadI32();
    if (count > 0)
    {
        std::vector<std::unique_ptr<QrFloatKey>> keys;
        if (QrKeyIO<QrFloatKey>::Load(stream, count, keys, "alpha keys"))
            SetKeys(QrKeyIO<QrFloatKey>::Pointers(keys).data(), count);
    }
    else
    {
        // The type code is there even without keys.
        stream.LoadU32();
        SetKeys(nullptr, 0);
    }
}

void Qr3dsAlphaAnimator::SaveBinary(QrStream& stream)
{
    Qr3dsPropertyAnimator::SaveBinary(stream);
    stream.SaveI32(m_keys.GetCount());
    if (m_keys.IsEmpty())
        stream.SaveU32(QrFloatKey::kTypeNone);
    else
        QrKeyIO<QrFloatKey>::Save(stream, m_keys.GetKeys(), m_keys.GetCount());
}

bool Qr3dsAlphaAnimator::IsEqual(const QrObject* other) const
{
    if (!Qr3dsPropertyAnimator::IsEqual(other))
        return false;
    const auto* o = static_cast<const Qr3dsAlphaAnimator*>(other);
    if (m_keys.GetCount() != o->m_keys.GetCount())
        return false;
    for (int32_t i = 0; i < m_keys.GetCount(); ++i)
        if (m_keys[i]->IsNotEqual(*o->m_keys[i]))
            return false;
    return true;
}
