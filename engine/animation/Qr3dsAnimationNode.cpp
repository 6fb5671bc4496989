#include "Qr3dsAnimationNode.h"

#include "QrKeyIO.h"
#include "QrKeyLookup.h"
#include "QrStream.h"

QR_IMPLEMENT_RTTI(Qr3dsAnimationNode, QrNode)
QR_IMPLEMENT_CREATE(Qr3dsAnimationNode)

Qr3dsAnimationNode::Qr3dsAnimationNode() = default;

Qr3dsAnimationNode::~Qr3dsAnimationNode() = default;

QrEulerRotKey* Qr3dsAnimationNode::GetEulerKey() const
{
    return m_isEuler && !m_rotKeys.IsEmpty() ? static_cast<QrEulerRotKey*>(m_rotKeys.First()) : nullptr;
}

void Qr3dsAnimationNode::WidenWithRotKeys()
{
    if (m_isEuler)
    {
        const QrEulerRotKey* euler = GetEulerKey();
        const int32_t axis = euler ? euler->GetRangeAxis() : -1;
        if (axis < 0)
            return;
        m_rotCount = euler->GetCount(axis);
        QrFloatKey* const* keys = euler->GetKeys(axis);
        WidenTimeRange(keys[0]->m_time, keys[m_rotCount - 1]->m_time);
        return;
    }
    m_rotCount = m_rotKeys.GetCount();
    if (m_rotCount > 0)
        WidenTimeRange(m_rotKeys.First()->m_time, m_rotKeys.Last()->m_time);
}

void Qr3dsAnimationNode::SetRotKeys(QrRotKey* const* keys, int32_t count)
{
    if (keys && count > 0 && keys[0]->GetType() == QrRotKey::kTypeEuler)
    {
        SetEulerKey(static_cast<const QrEulerRotKey*>(keys[0]));
        return;
    }
    m_rotKeys.CopyFrom(keys, count);
    m_isEuler = 0;
    m_rotCache = 0;
    m_rotCount = m_rotKeys.GetCount();
    if (m_rotKeys.IsEmpty())
        return;
    WidenWithRotKeys();
    m_rotKeys.First()->FillDerivedValues(m_rotKeys.GetKeys(), m_rotCount);
}

void Qr3dsAnimationNode::SetEulerKey(const QrEulerRotKey* key)
{
    QrRotKey* one[1] = {const_cast<QrEulerRotKey*>(key)};
    m_rotKeys.CopyFrom(one, key ? 1 : 0);
    m_isEuler = key ? 1 : 0;
    m_rotCache = 0;
    m_rotCount = 0;
    QrEulerRotKey* euler = GetEulerKey();
    if (!euler || euler->GetRangeAxis() < 0)
        return;
    WidenWithRotKeys();
    euler->FillTangents();
}

void Qr3dsAnimationNode::SetPosKeys(QrAnimKey* const* keys, int32_t count)
{
    m_posKeys.CopyFrom(keys, count);
    m_posCache = 0;
    if (m_posKeys.IsEmpty())
        return;
    WidenTimeRange(m_posKeys.First()->m_time, m_posKeys.Last()->m_time);
    m_posKeys.First()->FillDerivedValues(m_posKeys.GetKeys(), m_posKeys.GetCount());
}

void Qr3dsAnimationNode::SetVisibilityKeys(QrVisibilityKey* const* keys, int32_t count)
{
    m_visKeys.CopyFrom(keys, count);
    if (!m_visKeys.IsEmpty())
        WidenTimeRange(m_visKeys.First()->m_time, m_visKeys.Last()->m_time);
}

void Qr3dsAnimationNode::ReplaceRotKeys(QrRotKey** keys, int32_t count)
{
    if (keys && count > 0 && keys[0]->GetType() == QrRotKey::kTypeEuler)
    {
        ReplaceEulerKey(static_cast<QrEulerRotKey*>(keys[0]));
        return;
    }
    m_rotKeys.Borrow(keys, count);
    m_isEuler = 0;
    m_rotCache = 0;
    m_rotCount = m_rotKeys.GetCount();
    ComputeTimeRange();
}

void Qr3dsAnimationNode::ReplaceEulerKey(QrEulerRotKey* key)
{
    m_rotKeys.BorrowOne(key);
    m_isEuler = key ? 1 : 0;
    m_rotCache = 0;
    m_rotCount = 0;
    ComputeTimeRange();
}

void Qr3dsAnimationNode::ReplacePosKeys(QrAnimKey** keys, int32_t count)
{
    m_posKeys.Borrow(keys, count);
    m_posCache = 0;
    ComputeTimeRange();
}

void Qr3dsAnimationNode::ReplaceVisibilityKeys(QrVisibilityKey** keys, int32_t count)
{
    m_visKeys.Borrow(keys, count);
    ComputeTimeRange();
}

void Qr3dsAnimationNode::ComputeTimeRange()
{
    ResetTimeRange();
    WidenWithRotKeys();
    if (!m_posKeys.IsEmpty())
        WidenTimeRange(m_posKeys.First()->m_time, m_posKeys.Last()->m_time);
    if (!m_visKeys.IsEmpty())
        WidenTimeRange(m_visKeys.First()->m_time, m_visKeys.Last()->m_time);
}

QrRotKey Qr3dsAnimationNode::InterpolateRotation(float t)
{
    if (QrEulerRotKey* euler = GetEulerKey())
        return euler->Evaluate(t, m_rotCache);
    if (m_rotKeys.IsEmpty())
        return QrRotKey();
    QrRotKey* const* keys = m_rotKeys.GetKeys();
    const QrKeyLookup::Segment segment = QrKeyLookup::Find(keys, m_rotKeys.GetCount(), t, m_rotCache);
    if (segment.m_exact)
        return QrRotKey(*keys[segment.m_index]);
    QrRotKey result = keys[segment.m_index]->Interpolate(segment.m_s, *keys[segment.m_index + 1]);
    result.m_time = t;
    return result;
}

QrAnimKey Qr3dsAnimationNode::InterpolatePosition(float t)
{
    if (m_posKeys.IsEmpty())
        return QrAnimKey();
    QrAnimKey* const* keys = m_posKeys.GetKeys();
    const QrKeyLookup::Segment segment = QrKeyLookup::Find(keys, m_posKeys.GetCount(), t, m_posCache);
    if (segment.m_exact)
        return QrAnimKey(*keys[segment.m_index]);
    QrAnimKey result = keys[segment.m_index]->Interpolate(segment.m_s, *keys[segment.m_index + 1]);
    result.m_time = t;
    return result;
}

void Qr3dsAnimationNode::UpdateVisibility(float t)
{
    const int32_t n = m_visKeys.GetCount();
    if (n <= 0)
        return;
    const QrVisibilityKey* found = nullptr;
    if (t <= m_visKeys.First()->m_time)
        found = m_visKeys.First();
    else if (t >= m_visKeys.Last()->m_time)
        found = m_visKeys.Last();
    else
        for (int32_t i = 0; i + 1 < n && !found; ++i)
            if (m_visKeys[i]->m_time <= t && t < m_visKeys[i + 1]->m_time)
                found = m_visKeys[i];
    if (found)
        SetAppCulled(found->m_visible ? 0 : 1);
}

void Qr3dsAnimationNode::ApplyAtTime(float time)
{
    const float t = ComputeScaledTime(time);
    const bool hasRot = !m_rotKeys.IsEmpty();
    const bool hasPos = !m_posKeys.IsEmpty();
    if (hasRot)
        InterpolateRotation(t).m_quat.ToRotation(m_rotate);
    if (hasPos)
        m_translate = InterpolatePosition(t).m_value;
    if (!m_visKeys.IsEmpty())
        UpdateVisibility(t);
    if ((hasRot || hasPos) && GetUpdateWorld())
        UpdateAllInstances();
}

void Qr3dsAnimationNode::CopyAnimationMembers(Qr3dsAnimationNode* clone)
{
    CopyTimingTo(*clone);
    clone->m_isEuler = m_isEuler;
    clone->SetRotKeys(m_rotKeys.GetKeys(), m_rotKeys.GetCount());
    clone->SetPosKeys(m_posKeys.GetKeys(), m_posKeys.GetCount());
    clone->SetVisibilityKeys(m_visKeys.GetKeys(), m_visKeys.GetCount());
    clone->m_rotCache = m_rotCache;
    clone->m_posCache = m_posCache;
}

QrPointer<QrAVObject> Qr3dsAnimationNode::CreateClone()
{
    QrPointer<Qr3dsAnimationNode> clone(new Qr3dsAnimationNode);
    QrNode::CopyMembers(clone.Get());
    CopyAnimationMembers(clone.Get());
    return clone;
}

QrPointer<Qr3dsAnimationNode> Qr3dsAnimationNode::CloneWithoutChildren()
{
    QrPointer<Qr3dsAnimationNode> clone(new Qr3dsAnimationNode);
    QrAVObject::CopyMembers(clone.Get());
    // The sorter is made on first need by each node, never shared.
    clone->m_sortMode = m_sortMode;
    clone->m_savedSortFlag = m_savedSortFlag;
    clone->m_displayable = m_displayable;
    CopyAnimationMembers(clone.Get());
    return clone;
}

void Qr3dsAnimationNode::LoadBinary(QrStream& stream)
{
    QrNode::LoadBinary(stream);
    LoadTiming(stream);

    const int32_t rotCount = stream.LoadI32();
    if (rotCount > 0)
    {
        std::vector<std::unique_ptr<QrRotKey>> keys;
        if (QrKeyIO<QrRotKey>::Load(stream, rotCount, keys, "rotation keys"))
            SetRotKeys(QrKeyIO<QrRotKey>::Pointers(keys).data(), rotCount);
    }
    const int32_t posCount = stream.LoadI32();
    if (posCount > 0)
    {
        std::vector<std::unique_ptr<QrAnimKey>> keys;
        if (QrKeyIO<QrAnimKey>::Load(stream, posCount, keys, "position keys"))
            SetPosKeys(QrKeyIO<QrAnimKey>::Pointers(keys).data(), posCount);
    }
    const int32_t visCount = stream.LoadI32();
    if (visCount > 0)
    {
        if (uint64_t(visCount) * QrVisibilityKey::kRecordBytes > stream.GetRemaining())
        {
            stream.Fail("visibility keys do not fit in the file");
            return;
        }
        std::vector<std::unique_ptr<QrVisibilityKey>> keys;
        for (int32_t i = 0; i < visCount; ++i)
        {
            keys.push_back(std::make_unique<QrVisibilityKey>());
            keys.back()->LoadBinary(stream);
        }
        SetVisibilityKeys(QrKeyIO<QrVisibilityKey>::Pointers(keys).data(), visCount);
    }
}

void Qr3dsAnimationNode::SaveBinary(QrStream& stream)
{
    QrNode::SaveBinary(stream);
    SaveTiming(stream);

    const int32_t rotCount = m_rotKeys.IsEmpty() ? 0 : (m_isEuler ? 1 : m_rotKeys.GetCount());
    stream.SaveI32(rotCount);
    if (rotCount > 0)
        QrKeyIO<QrRotKey>::Save(stream, m_rotKeys.GetKeys(), rotCount);
    stream.SaveI32(m_posKeys.GetCount());
    if (!m_posKeys.IsEmpty())
        QrKeyIO<QrAnimKey>::Save(stream, m_posKeys.GetKeys(), m_posKeys.GetCount());
    stream.SaveI32(m_visKeys.GetCount());
    for (int32_t i = 0; i < m_visKeys.GetCount(); ++i)
        m_visKeys[i]->SaveBinary(stream);
}

bool Qr3dsAnimationNode::IsEqual(const QrObject* other) const
{
    if (!QrNode::IsEqual(other))
        return false;
    const auto* o = static_cast<const Qr3dsAnimationNode*>(other);
    if (!IsTimingEqual(*o) || m_isEuler != o->m_isEuler || m_rotCount != o->m_rotCount ||
        m_rotKeys.GetCount() != o->m_rotKeys.GetCount() || m_posKeys.GetCount() != o->m_posKeys.GetCount() ||
        m_visKeys.GetCount() != o->m_visKeys.GetCount())
        return false;
    for (int32_t i = 0; i < m_rotKeys.GetCount(); ++i)
        if (m_rotKeys[i]->IsNotEqual(*o->m_rotKeys[i]))
            return false;
    for (int32_t i = 0; i < m_posKeys.GetCount(); ++i)
        if (m_posKeys[i]->IsNotEqual(*o->m_posKeys[i]))
            return false;
    for (int32_t i = 0; i < m_visKeys.GetCount(); ++i)
        if (m_visKeys[i]->IsNotEqual(*o->m_visKeys[i]))
            return false;
    return true;
}
