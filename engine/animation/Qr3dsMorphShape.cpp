#include "Qr3dsMorphShape.h"

#include "QrKeyIO.h"
#include "QrKeyLookup.h"
#include "QrMorphTargetKey.h"
#include "QrMorphWeightsKey.h"
#include "QrStream.h"

#include "Format.h"

#include <algorithm>

QR_IMPLEMENT_RTTI(Qr3dsMorphShape, QrTriShape)
QR_IMPLEMENT_CREATE(Qr3dsMorphShape)

namespace
{
// Written in front of a shape without keys: no key class reads it back.
constexpr uint32_t kNoKeyType = 4;

bool IsMorphType(uint32_t type)
{
    return type == QrFloatKey::kTypeMorphWeights || type == QrFloatKey::kTypeMorphTarget;
}

// The keys as the morph kind they all are.
template <class K> std::vector<K*> Downcast(const QrKeyArray<QrFloatKey>& keys)
{
    std::vector<K*> out;
    for (int32_t i = 0; i < keys.GetCount(); ++i)
        out.push_back(static_cast<K*>(keys[i]));
    return out;
}
} // namespace

Qr3dsMorphShape::Qr3dsMorphShape() = default;

Qr3dsMorphShape::Qr3dsMorphShape(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals,
                                 uint16_t triangleCount, const uint16_t* indices, const QrPoint3* textureCoords,
                                 const QrColorA* colors)
    : QrTriShape(vertexCount, vertices, normals, triangleCount, indices, textureCoords, colors)
{
}

Qr3dsMorphShape::~Qr3dsMorphShape() = default;

bool Qr3dsMorphShape::HasWeightsKeys() const
{
    return !m_keys.IsEmpty() && m_keys.First()->GetType() == QrFloatKey::kTypeMorphWeights;
}

const QrPoint3* Qr3dsMorphShape::GetTarget(int32_t k) const
{
    return k >= 0 && size_t(k) < m_targets.size() ? m_targets[size_t(k)].get() : nullptr;
}

void Qr3dsMorphShape::SetKeys(QrFloatKey* const* keys, int32_t count)
{
    m_keys.Clear();
    m_keySearch = 0;
    if (!keys || count < 1)
        return;
    const uint32_t type = keys[0]->GetType();
    if (!IsMorphType(type))
        return;
    std::vector<std::unique_ptr<QrFloatKey>> clones;
    clones.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i)
    {
        // The blend reads every key as key 0's kind.
        if (keys[i]->GetType() != type)
            return;
        if (type == QrFloatKey::kTypeMorphWeights)
            clones.push_back(static_cast<const QrMorphWeightsKey*>(keys[i])->CloneMorphKey());
        else
            clones.push_back(static_cast<const QrMorphTargetKey*>(keys[i])->CloneMorphKey());
    }
    m_keys.Take(std::move(clones));
    SetBeginTime(m_keys.First()->m_time);
    SetEndTime(m_keys.Last()->m_time);
    if (type == QrFloatKey::kTypeMorphWeights)
        QrMorphWeightsKey::FillDerivedValues(Downcast<QrMorphWeightsKey>(m_keys).data(), count);
    else
        QrMorphTargetKey::FillDerivedValues(Downcast<QrMorphTargetKey>(m_keys).data(), count);
}

void Qr3dsMorphShape::SetTargets(const QrPoint3* const* targets, int32_t count, uint16_t vertexCount)
{
    m_targets.clear();
    m_targetVertexCount = 0;
    if (!targets || count < 1)
        return;
    m_targets.reserve(size_t(count));
    for (int32_t k = 0; k < count; ++k)
    {
        auto copy = std::make_unique<QrPoint3[]>(vertexCount);
        if (targets[k])
            std::copy(targets[k], targets[k] + vertexCount, copy.get());
        m_targets.push_back(std::move(copy));
    }
    m_targetVertexCount = vertexCount;
    UpdateUnionBound();
}

void Qr3dsMorphShape::Blend(float t)
{
    const int32_t n = m_keys.GetCount();
    if (n < 2 || m_targets.empty() || !m_vertices)
        return;
    QrFloatKey* const* keys = m_keys.GetKeys();
    int32_t i;
    if (keys[0]->m_time >= t)
        i = 0;
    else if (keys[n - 1]->m_time <= t)
        i = n - 2;
    else
        i = std::min(QrKeyLookup::Find(keys, n, t, m_keySearch).m_index, n - 2);
    const QrFloatKey* a = keys[i];
    const QrFloatKey* b = keys[i + 1];
    const float span = b->m_time - a->m_time;
    // Before the first key or after the last the parameter leaves [0, 1]: the keys extrapolate.
    const float u = span != 0.0f ? (t - a->m_time) / span : 0.0f;
    const std::vector<float> weights =
        HasWeightsKeys()
            ? static_cast<const QrMorphWeightsKey*>(a)->InterpolateWeights(u, *static_cast<const QrMorphWeightsKey*>(b))
            : static_cast<const QrMorphTargetKey*>(a)->InterpolateWeights(u, *static_cast<const QrMorphTargetKey*>(b));

    const uint32_t count = std::min<uint32_t>(m_vertexCount, m_targetVertexCount);
    size_t k = 0;
    if (HasWeightsKeys())
    {
        std::copy(m_targets[0].get(), m_targets[0].get() + count, m_vertices.get());
        k = 1;
    }
    else
    {
        std::fill(m_vertices.get(), m_vertices.get() + count, QrPoint3::ZERO);
    }
    // Keys may name fewer or more targets than the shape has: only the ones on both sides blend.
    const size_t last = std::min(m_targets.size(), weights.size());
    for (; k < last; ++k)
    {
        const QrPoint3* target = m_targets[k].get();
        const float w = weights[k];
        for (uint32_t v = 0; v < count; ++v)
            m_vertices[v] += target[v] * w;
    }
}

void Qr3dsMorphShape::UpdateUnionBound()
{
    const int32_t n = m_keys.GetCount();
    if (n < 1)
        return;
    std::vector<QrBound> bounds(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
    {
        Blend(m_keys[i]->m_time);
        bounds[size_t(i)].SetFromPoints(m_vertices ? m_vertexCount : 0, m_vertices.get());
    }
    if (!m_unionBound)
        m_unionBound = std::make_unique<QrBound>();
    m_unionBound->Merge(n, bounds.data());
    m_modelBound.Set(*m_unionBound);
}

void Qr3dsMorphShape::ApplyAtTime(float time)
{
    if (m_keys.IsEmpty())
        return;
    if (m_relative && HasWeightsKeys())
    {
        m_relative = 0;
        if (!m_targets.empty())
        {
            const QrPoint3* base = m_targets[0].get();
            for (size_t k = 1; k < m_targets.size(); ++k)
                for (uint32_t v = 0; v < m_targetVertexCount; ++v)
                    m_targets[k][v] -= base[v];
            // The bound made while the targets were still absolute read them as offsets.
            if (m_unionBound)
                UpdateUnionBound();
        }
    }
    if (!m_unionBound)
        UpdateUnionBound();
    Blend(ComputeScaledTime(time));
    if (m_recomputeNormals && m_normals)
        CalculateNormals();
    else
        UpdateTrianglePlanes();
    // World copies follow the new vertices; the model bound stays the union of every key.
    MarkVerticesChanged();
    if (m_unionBound)
        m_modelBound.Set(*m_unionBound);
    if (GetUpdateWorld())
        UpdateAllInstances();
}

// --- scene file

void Qr3dsMorphShape::LoadBinary(QrStream& stream)
{
    QrTriShape::LoadBinary(stream);
    LoadTiming(stream);
    m_relative = stream.LoadU8();
    m_recomputeNormals = stream.LoadU8();
    const int32_t targetCount = stream.LoadI32();
    const int32_t keyCount = stream.LoadI32();
    QrBound bound;
    bound.LoadBinary(stream);
    m_unionBound = std::make_unique<QrBound>(bound);
    if (stream.Failed())
        return;
    if (targetCount < 0 || keyCount < 0)
    {
        stream.Fail(plat::Format("morph counts %d targets, %d keys", targetCount, keyCount));
        return;
    }
    std::vector<std::unique_ptr<QrFloatKey>> keys;
    if (keyCount == 0)
    {
        // The type code is there even without keys.
        stream.LoadU32();
    }
    else
    {
        if (!QrKeyIO<QrFloatKey>::Load(stream, keyCount, keys, "morph keys"))
            return;
        if (!IsMorphType(keys[0]->GetType()))
        {
            stream.Fail(plat::Format("morph keys of type %u", keys[0]->GetType()));
            return;
        }
    }
    // A target of no vertices still costs an allocation: count it as a byte.
    const uint64_t targetBytes = uint64_t(targetCount) * std::max<uint64_t>(1, uint64_t(m_vertexCount) * 12u);
    if (targetBytes > stream.GetRemaining())
    {
        stream.Fail(plat::Format("%d morph targets of %u vertices", targetCount, unsigned(m_vertexCount)));
        return;
    }
    std::vector<std::unique_ptr<QrPoint3[]>> targets;
    std::vector<const QrPoint3*> pointers;
    for (int32_t k = 0; k < targetCount; ++k)
    {
        targets.push_back(std::make_unique<QrPoint3[]>(m_vertexCount));
        for (uint32_t v = 0; v < m_vertexCount; ++v)
            targets.back()[v].LoadBinary(stream);
        pointers.push_back(targets.back().get());
    }
    if (stream.Failed())
        return;
    SetKeys(QrKeyIO<QrFloatKey>::Pointers(keys).data(), keyCount);
    SetTargets(pointers.data(), targetCount, m_vertexCount);
}

void Qr3dsMorphShape::SaveBinary(QrStream& stream)
{
    QrTriShape::SaveBinary(stream);
    SaveTiming(stream);
    stream.SaveU8(m_relative);
    stream.SaveU8(m_recomputeNormals);
    stream.SaveI32(GetTargetCount());
    stream.SaveI32(m_keys.GetCount());
    (m_unionBound ? *m_unionBound : QrBound()).SaveBinary(stream);
    if (m_keys.IsEmpty())
        stream.SaveU32(kNoKeyType);
    else
        QrKeyIO<QrFloatKey>::Save(stream, m_keys.GetKeys(), m_keys.GetCount());
    // The file holds vertex-count points per target.
    for (const auto& target : m_targets)
        for (uint32_t v = 0; v < m_vertexCount; ++v)
            (v < m_targetVertexCount ? target[v] : QrPoint3::ZERO).SaveBinary(stream);
}

bool Qr3dsMorphShape::IsEqual(const QrObject* other) const
{
    if (!QrTriShape::IsEqual(other))
        return false;
    const auto* o = static_cast<const Qr3dsMorphShape*>(other);
    if (!IsTimingEqual(*o) || m_relative != o->m_relative || m_recomputeNormals != o->m_recomputeNormals ||
        m_targets.size() != o->m_targets.size() || m_keys.GetCount() != o->m_keys.GetCount() ||
        m_targetVertexCount != o->m_targetVertexCount)
        return false;
    const QrBound none;
    if (!(m_unionBound ? *m_unionBound : none).IsEqual(o->m_unionBound ? *o->m_unionBound : none))
        return false;
    for (int32_t i = 0; i < m_keys.GetCount(); ++i)
        if (m_keys[i]->IsNotEqual(*o->m_keys[i]))
            return false;
    for (size_t k = 0; k < m_targets.size(); ++k)
        for (uint32_t v = 0; v < m_targetVertexCount; ++v)
            if (m_targets[k][v] != o->m_targets[k][v])
                return false;
    return true;
}
