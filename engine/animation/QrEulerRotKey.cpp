#include "QrEulerRotKey.h"

#include "QrAnimMath.h"
#include "QrKeyIO.h"
#include "QrKeyLookup.h"
#include "QrTCBFloatKey.h"

namespace
{
const int32_t kOrders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 2, 0}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}};
const QrPoint3 kAxes[3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
} // namespace

void QrEulerRotKey::SetKeys(int32_t axis, std::vector<std::unique_ptr<QrFloatKey>> keys)
{
    m_keys[axis] = std::move(keys);
    m_pointers[axis].clear();
    for (const auto& key : m_keys[axis])
        m_pointers[axis].push_back(key.get());
}

void QrEulerRotKey::LoadBinary(QrStream& stream)
{
    QrRotKey::LoadBinary(stream);
    m_axisOrder = stream.LoadI16();
    for (int32_t axis = 0; axis < 3 && !stream.Failed(); ++axis)
    {
        std::vector<std::unique_ptr<QrFloatKey>> keys;
        const int32_t count = stream.LoadI32();
        if (count > 0)
            QrKeyIO<QrFloatKey>::Load(stream, count, keys, "Euler angle keys");
        SetKeys(axis, std::move(keys));
    }
}

void QrEulerRotKey::SaveBinary(QrStream& stream) const
{
    QrRotKey::SaveBinary(stream);
    stream.SaveI16(m_axisOrder);
    for (int32_t axis = 0; axis < 3; ++axis)
    {
        stream.SaveI32(GetCount(axis));
        if (GetCount(axis) > 0)
            QrKeyIO<QrFloatKey>::Save(stream, GetKeys(axis), GetCount(axis));
    }
}

bool QrEulerRotKey::IsEqual(const QrRotKey& other) const
{
    if (!IsBaseEqual(other))
        return false;
    const auto& o = static_cast<const QrEulerRotKey&>(other);
    if (m_axisOrder != o.m_axisOrder)
        return false;
    for (int32_t axis = 0; axis < 3; ++axis)
    {
        if (GetCount(axis) != o.GetCount(axis))
            return false;
        for (int32_t i = 0; i < GetCount(axis); ++i)
            if (m_keys[axis][size_t(i)]->IsNotEqual(*o.m_keys[axis][size_t(i)]))
                return false;
    }
    return true;
}

std::unique_ptr<QrRotKey> QrEulerRotKey::Clone() const
{
    auto clone = std::make_unique<QrEulerRotKey>();
    clone->m_axisOrder = m_axisOrder;
    for (int32_t axis = 0; axis < 3; ++axis)
    {
        std::vector<std::unique_ptr<QrFloatKey>> keys;
        for (const auto& key : m_keys[axis])
            keys.push_back(key->Clone());
        clone->SetKeys(axis, std::move(keys));
    }
    return clone;
}

QrRotKey QrEulerRotKey::Interpolate(float, const QrRotKey&) const
{
    return QrRotKey();
}

void QrEulerRotKey::FillDerivedValues(QrRotKey* const* keys, int32_t count)
{
    QrAnimMath::RotKeysPrepare(keys, count);
}

void QrEulerRotKey::FillTangents()
{
    for (int32_t axis = 0; axis < 3; ++axis)
        if (GetCount(axis) > 0 && m_keys[axis][0]->GetType() == QrFloatKey::kTypeTCB)
            QrTCBFloatKey::FillDerivedValues(GetKeys(axis), GetCount(axis));
}

int32_t QrEulerRotKey::GetRangeAxis() const
{
    for (int32_t axis = 0; axis < 3; ++axis)
        if (GetCount(axis) > 1)
            return axis;
    return -1;
}

QrRotKey QrEulerRotKey::Evaluate(float t, int32_t& cache) const
{
    QrRotKey result;
    if (m_keys[0].empty() && m_keys[1].empty() && m_keys[2].empty())
        return result;

    int32_t reference = -1;
    for (int32_t axis = 0; axis < 3; ++axis)
        if (GetCount(axis) > 1)
            reference = axis;
    QrKeyLookup::Segment segment;
    if (reference >= 0)
        segment = QrKeyLookup::Find(GetKeys(reference), GetCount(reference), t, cache);

    float angles[3] = {0.0f, 0.0f, 0.0f};
    for (int32_t axis = 0; axis < 3; ++axis)
    {
        const int32_t n = GetCount(axis);
        if (n == 0)
            continue;
        QrFloatKey* const* keys = GetKeys(axis);
        if (n == 1)
        {
            angles[axis] = keys[0]->m_value;
            continue;
        }
        // Every multi-key axis should share the reference array's key times; one that does
        // not even share its count is looked up on its own rather than indexed out of range.
        QrKeyLookup::Segment own = segment;
        if (n != GetCount(reference))
        {
            int32_t ownCache = 0;
            own = QrKeyLookup::Find(keys, n, t, ownCache);
        }
        angles[axis] =
            own.m_exact ? keys[own.m_index]->m_value : keys[own.m_index]->Interpolate(own.m_s, *keys[own.m_index + 1]);
    }

    const int32_t order = m_axisOrder >= 0 && m_axisOrder < 6 ? m_axisOrder : 0;
    QrQuaternion q(1.0f, 0.0f, 0.0f, 0.0f);
    for (int32_t step = 0; step < 3; ++step)
    {
        const int32_t axis = kOrders[order][step];
        q = QrQuaternion::FromAngleAxis(angles[axis], kAxes[axis]) * q;
    }
    result.m_time = t;
    result.m_quat = q;
    return result;
}
