#include "QrLODNode.h"

#include "QrCamera.h"
#include "QrCollisionRecord.h"
#include "QrStream.h"

#include <algorithm>

QR_IMPLEMENT_RTTI(QrLODNode, QrSwitchNode)
QR_IMPLEMENT_CREATE(QrLODNode)

namespace
{
// Record size on file: near, far, centre.
constexpr size_t kRangeBytes = 5 * 4;

// x |x|: compares like a distance squared, and a negative distance stays below every square.
double SignedSquare(double x)
{
    return x < 0.0 ? -x * x : x * x;
}
} // namespace

QrLODNode::QrLODNode() = default;

QrLODNode::~QrLODNode() = default;

void QrLODNode::AddRange(float nearDistance, float farDistance, uint32_t index)
{
    if (index >= m_ranges.size())
        m_ranges.resize(size_t(index) + 1);
    Range& range = m_ranges[index];
    range = Range();
    range.m_near = range.m_worldNear = nearDistance;
    range.m_far = range.m_worldFar = farDistance;
}

void QrLODNode::SetRangeCenter(uint32_t index, const QrPoint3& center)
{
    if (index < m_ranges.size())
        m_ranges[index].m_center = center;
}

// --- world data

void QrLODNode::UpdateWorldData(QrAVInstance* instance)
{
    QrSwitchNode::UpdateWorldData(instance);
    const QrAVInstance* self = m_currentInstance;
    const size_t count = std::min<size_t>(m_ranges.size(), m_children.GetUsedSize());
    for (size_t i = 0; i < count; ++i)
    {
        Range& range = m_ranges[i];
        range.m_worldCenter =
            self->m_worldRotate.TimesPoint(range.m_center * self->m_worldScale) + self->m_worldTranslate;
        range.m_worldNear = self->m_worldScale * range.m_near;
        range.m_worldFar = self->m_worldScale * range.m_far;
    }
}

// --- level choice

double QrLODNode::DistanceSquared(const QrPoint3& from, const QrPoint3& eye, float scaleValue) const
{
    const double dx = double(from.x) - eye.x;
    const double dy = double(from.y) - eye.y;
    const double dz = double(from.z) - eye.z;
    const double f = scaleValue;
    return (dx * dx + dy * dy + dz * dz) * (f * f);
}

void QrLODNode::SelectLevel(const QrPoint3& eye, float scaleValue)
{
    double d2 = 0.0;
    if (!m_perRangeCenters && GetChildCount() > 0)
    {
        QrAVObject* first = GetChildAt(0);
        if (first)
        {
            RefreshChild(0);
            first->SetCurrentInstance(GetChildInstanceAt(0));
            d2 = DistanceSquared(first->GetWorldBound().GetCenter(), eye, scaleValue);
        }
        else
        {
            // No first level to measure from: the node's own position stands in for it.
            d2 = DistanceSquared(m_currentInstance->m_worldTranslate, eye, scaleValue);
        }
    }
    m_activeIndex = -1;
    const size_t count = std::min<size_t>(m_ranges.size(), GetChildCount());
    for (size_t i = 0; i < count; ++i)
    {
        const Range& range = m_ranges[i];
        if (m_perRangeCenters)
            d2 = DistanceSquared(range.m_worldCenter, eye, scaleValue);
        if (SignedSquare(range.m_worldNear) <= d2 && d2 < SignedSquare(range.m_worldFar))
            m_activeIndex = static_cast<int32_t>(i);
    }
}

void QrLODNode::PushState(QrCamera* camera, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    if (camera)
        SelectLevel(camera->GetWorldLocation(), camera->GetScaleValue());
    QrSwitchNode::PushState(camera, instance);
}

void QrLODNode::PushDisplayState(QrCamera* camera, QrAVInstance* instance)
{
    PushState(camera, instance);
    // Kept for the node's pop, which puts it back on the camera.
    if (camera)
        m_savedSortFlag = camera->GetSortFlag();
}

// --- collisions

bool QrLODNode::TestCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other)
{
    if (m_updateActiveOnly)
    {
        if (m_activeIndex < 0 || size_t(m_activeIndex) >= m_ranges.size() || m_ranges[m_activeIndex].m_near > 0.0f)
            return false;
        return HandTestToOther(static_cast<uint32_t>(m_activeIndex), time, self, other);
    }
    for (uint32_t i = 0; i < m_ranges.size(); ++i)
        if (m_ranges[i].m_near <= 0.0f && HandTestToOther(i, time, self, other))
            return true;
    return false;
}

int32_t QrLODNode::FindCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other)
{
    if (m_updateActiveOnly)
    {
        if (m_activeIndex < 0 || size_t(m_activeIndex) >= m_ranges.size() || m_ranges[m_activeIndex].m_near > 0.0f)
            return 0;
        return HandFindToOther(static_cast<uint32_t>(m_activeIndex), time, self, other);
    }
    for (uint32_t i = 0; i < m_ranges.size(); ++i)
        if (m_ranges[i].m_near <= 0.0f && HandFindToOther(i, time, self, other) == 1)
            return 1;
    return 0;
}

// --- clone and scene file

QrPointer<QrAVObject> QrLODNode::CreateClone()
{
    QrPointer<QrLODNode> clone(new QrLODNode);
    CopyMembers(clone.Get());
    return clone;
}

void QrLODNode::CopyMembers(QrLODNode* clone)
{
    QrSwitchNode::CopyMembers(clone);
    clone->m_perRangeCenters = m_perRangeCenters;
    clone->m_ranges = m_ranges;
}

void QrLODNode::LoadBinary(QrStream& stream)
{
    QrSwitchNode::LoadBinary(stream);
    const uint32_t count = stream.LoadCount(kRangeBytes, "LOD ranges");
    m_ranges.assign(count, Range());
    for (Range& range : m_ranges)
    {
        range.m_near = range.m_worldNear = stream.LoadF32();
        range.m_far = range.m_worldFar = stream.LoadF32();
        range.m_center.LoadBinary(stream);
        range.m_worldCenter = range.m_center;
    }
    m_perRangeCenters = stream.LoadU8();
}

void QrLODNode::SaveBinary(QrStream& stream)
{
    QrSwitchNode::SaveBinary(stream);
    stream.SaveI32(static_cast<int32_t>(m_ranges.size()));
    for (const Range& range : m_ranges)
    {
        stream.SaveF32(range.m_near);
        stream.SaveF32(range.m_far);
        range.m_center.SaveBinary(stream);
    }
    stream.SaveU8(m_perRangeCenters);
}

bool QrLODNode::IsEqual(const QrObject* object) const
{
    if (!QrSwitchNode::IsEqual(object))
        return false;
    const QrLODNode* other = static_cast<const QrLODNode*>(object);
    if (m_perRangeCenters != other->m_perRangeCenters || m_ranges.size() != other->m_ranges.size())
        return false;
    for (size_t i = 0; i < m_ranges.size(); ++i)
    {
        const Range& a = m_ranges[i];
        const Range& b = other->m_ranges[i];
        if (a.m_near != b.m_near || a.m_far != b.m_far || !a.m_center.IsEqual(b.m_center))
            return false;
    }
    return true;
}
