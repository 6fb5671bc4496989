#include "QrSwitchNode.h"

#include "QrCamera.h"
#include "QrCollisionRecord.h"
#include "QrSorter.h"
#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrSwitchNode, QrNode)
QR_IMPLEMENT_CREATE(QrSwitchNode)

namespace
{
QrCollisionRecord ChildRecord(const QrCollisionRecord& parent, QrAVObject* child, QrAVInstance* instance)
{
    QrCollisionRecord record;
    record.m_reportedObject = parent.m_reportedObject;
    record.m_object = child;
    record.m_budget = parent.m_budget;
    record.m_splitSize = parent.m_splitSize;
    record.m_instance = instance;
    record.m_index = -1;
    return record;
}
} // namespace

QrSwitchNode::QrSwitchNode() = default;

QrSwitchNode::~QrSwitchNode() = default;

QrAVObject* QrSwitchNode::GetActiveChild() const
{
    return m_activeIndex < 0 ? nullptr : GetChildAt(static_cast<uint32_t>(m_activeIndex));
}

// --- children

void QrSwitchNode::RestartStamps()
{
    // Restarting at 1 alone could let a stamp left from an earlier run of the counter pass
    // as current; clearing them all costs at most one extra update per child.
    m_updateStamp = 1;
    m_childStamps.assign(m_children.GetUsedSize(), 0);
}

void QrSwitchNode::AttachChild(QrAVObject* child, bool firstFree)
{
    QrNode::AttachChild(child, firstFree);
    RestartStamps();
}

QrPointer<QrAVObject> QrSwitchNode::DetachChild(QrAVObject* child)
{
    QrPointer<QrAVObject> detached = QrNode::DetachChild(child);
    RestartStamps();
    return detached;
}

QrPointer<QrAVObject> QrSwitchNode::DetachChildAt(uint32_t index)
{
    QrPointer<QrAVObject> detached = QrNode::DetachChildAt(index);
    RestartStamps();
    return detached;
}

QrPointer<QrAVObject> QrSwitchNode::SetAt(uint32_t index, QrAVObject* child)
{
    QrPointer<QrAVObject> previous = QrNode::SetAt(index, child);
    RestartStamps();
    return previous;
}

// --- world data and bound

void QrSwitchNode::UpdateAllChildren()
{
    m_childStamps.resize(m_children.GetUsedSize(), 0);
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
    {
        QrAVObject* child = m_children.GetAtChecked(i);
        if (!child)
            continue;
        child->Update(m_childInstances.GetAtChecked(i));
        m_childStamps[i] = m_updateStamp;
    }
}

void QrSwitchNode::ComputeModelBound()
{
    const QrAVInstance* self = m_currentInstance;
    // A node scaled to nothing collapses its children onto its position.
    const float inverseScale = self->m_worldScale != 0.0f ? 1.0f / self->m_worldScale : 0.0f;
    std::vector<QrBound> bounds;
    bounds.reserve(m_children.GetCount());
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
    {
        QrAVObject* child = m_children.GetAtChecked(i);
        if (!child || !child->IsDisplayable())
            continue;
        child->SetCurrentInstance(m_childInstances.GetAtChecked(i));
        const QrBound& world = child->GetWorldBound();
        // Into the node's frame: the transpose of the world rotation, then the inverse scale.
        const QrPoint3 offset = world.GetCenter() - self->m_worldTranslate;
        QrBound bound;
        bound.Set(offset.TimesMatrix(self->m_worldRotate) * inverseScale, world.GetRadius() * inverseScale);
        bounds.push_back(bound);
    }
    if (bounds.empty())
    {
        m_displayable = 0;
        m_modelBound.Set(QrPoint3::ZERO, 0.0f);
        return;
    }
    m_displayable = 1;
    m_modelBound.Merge(static_cast<int>(bounds.size()), bounds.data());
}

void QrSwitchNode::PlaceWorldBound()
{
    const QrAVInstance* self = m_currentInstance;
    GetWorldBound().Transform(m_modelBound, self->m_worldRotate, self->m_worldTranslate, self->m_worldScale);
}

bool QrSwitchNode::UpdateWorldBound()
{
    const QrBound before = GetWorldBound();
    ComputeModelBound();
    PlaceWorldBound();
    return !GetWorldBound().IsEqual(before);
}

void QrSwitchNode::UpdateLazily()
{
    // Stamp 0 means "never updated"; the counter skips it when it wraps.
    if (++m_updateStamp == 0)
        m_updateStamp = 1;
    if (m_modelBound.GetFlag() != 0)
    {
        UpdateAllChildren();
        ComputeModelBound();
    }
    PlaceWorldBound();
}

void QrSwitchNode::Update(QrAVInstance* instance)
{
    UpdateWorldData(instance);
    if (m_updateActiveOnly)
    {
        // Nothing active: nothing to update, and the bound stays as it was.
        if (m_activeIndex < 0)
            return;
        UpdateLazily();
        return;
    }
    UpdateAllChildren();
    ComputeModelBound();
    PlaceWorldBound();
}

void QrSwitchNode::PropagateBoundUp()
{
    const uint8_t wasDisplayable = m_displayable;
    const bool changed = UpdateWorldBound();
    // An unchanged bound leaves every ancestor's bound as it is.
    if (!changed && wasDisplayable == m_displayable)
        return;
    if (QrNode* parent = GetParent())
        parent->PropagateBoundUp();
}

// --- drawing

void QrSwitchNode::RefreshChild(uint32_t index)
{
    if (!m_updateActiveOnly)
        return;
    QrAVObject* child = GetChildAt(index);
    if (!child)
        return;
    if (m_childStamps.size() <= index)
        m_childStamps.resize(index + 1, 0);
    if (m_childStamps[index] == m_updateStamp)
        return;
    m_childStamps[index] = m_updateStamp;
    child->Update(m_childInstances.GetAtChecked(index));
}

void QrSwitchNode::PushState(QrCamera* camera, QrAVInstance* instance)
{
    QrNode::PushState(camera, instance);
    if (m_activeIndex >= 0)
        RefreshChild(static_cast<uint32_t>(m_activeIndex));
}

void QrSwitchNode::Draw(QrCamera* camera, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    if (QrAVObject* child = GetActiveChild())
        child->CullAndDraw(camera, m_childInstances.GetAtChecked(static_cast<uint32_t>(m_activeIndex)));
}

void QrSwitchNode::Display(QrCamera* camera, QrSorter* sorter, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    QrAVObject* child = GetActiveChild();
    if (!child || !camera)
        return;
    QrAVInstance* childInstance = m_childInstances.GetAtChecked(static_cast<uint32_t>(m_activeIndex));
    if (camera->GetSortFlag())
    {
        if (sorter)
        {
            child->CullAndDisplay(camera, sorter, childInstance);
            return;
        }
        if (!m_sorter)
            m_sorter = QrSorter::Create();
        if (!m_sorter)
        {
            child->CullAndDisplay(camera, nullptr, childInstance);
            return;
        }
        m_sorter->StartSorting(camera);
        child->CullAndDisplay(camera, m_sorter, childInstance);
        m_sorter->FinishSorting();
        return;
    }
    // Sorting turned off inside a sorted subtree: the whole switch is one deferred object.
    if (sorter && sorter->AddObject(this, instance))
        return;
    child->CullAndDisplay(camera, nullptr, childInstance);
}

void QrSwitchNode::DisplayChildren(QrCamera*, QrSorter*) {}

// --- collisions

bool QrSwitchNode::HandTestToOther(uint32_t index, float time, QrCollisionRecord& self, QrCollisionRecord& other)
{
    QrAVObject* child = GetChildAt(index);
    if (!child || !other.m_object)
        return false;
    QrCollisionRecord record = ChildRecord(self, child, m_childInstances.GetAtChecked(index));
    return other.m_object->TestCollisions(time, other, record);
}

int32_t QrSwitchNode::HandFindToOther(uint32_t index, float time, QrCollisionRecord& self, QrCollisionRecord& other)
{
    QrAVObject* child = GetChildAt(index);
    if (!child || !other.m_object)
        return 0;
    QrCollisionRecord record = ChildRecord(self, child, m_childInstances.GetAtChecked(index));
    return other.m_object->FindCollisions(time, other, record);
}

bool QrSwitchNode::TestCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other)
{
    if (!m_updateActiveOnly)
        return QrNode::TestCollisions(time, self, other);
    if (m_activeIndex < 0)
        return false;
    return HandTestToOther(static_cast<uint32_t>(m_activeIndex), time, self, other);
}

int32_t QrSwitchNode::FindCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other)
{
    if (!m_updateActiveOnly)
        return QrNode::FindCollisions(time, self, other);
    if (m_activeIndex < 0)
        return 0;
    return HandFindToOther(static_cast<uint32_t>(m_activeIndex), time, self, other);
}

bool QrSwitchNode::Optimize(uint32_t flags)
{
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (QrAVObject* child = m_children.GetAtChecked(i))
            child->Optimize(flags);
    return false;
}

// --- clone and scene file

QrPointer<QrAVObject> QrSwitchNode::CreateClone()
{
    QrPointer<QrSwitchNode> clone(new QrSwitchNode);
    CopyMembers(clone.Get());
    return clone;
}

void QrSwitchNode::CopyMembers(QrSwitchNode* clone)
{
    QrNode::CopyMembers(clone);
    clone->m_activeIndex = m_activeIndex;
    clone->m_updateActiveOnly = m_updateActiveOnly;
}

void QrSwitchNode::LoadBinary(QrStream& stream)
{
    QrNode::LoadBinary(stream);
    m_activeIndex = stream.LoadI32();
    m_updateActiveOnly = stream.LoadU8();
}

void QrSwitchNode::SaveBinary(QrStream& stream)
{
    QrNode::SaveBinary(stream);
    stream.SaveI32(m_activeIndex);
    stream.SaveU8(m_updateActiveOnly);
}

bool QrSwitchNode::IsEqual(const QrObject* object) const
{
    if (!QrNode::IsEqual(object))
        return false;
    const QrSwitchNode* other = static_cast<const QrSwitchNode*>(object);
    return m_activeIndex == other->m_activeIndex && m_updateActiveOnly == other->m_updateActiveOnly;
}
