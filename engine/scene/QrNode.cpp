#include "QrNode.h"

#include "QrBound.h"
#include "QrCamera.h"
#include "QrCollisionRecord.h"
#include "QrDisplay.h"
#include "QrLight.h"
#include "QrObjectsEqual.h"
#include "QrPick.h"
#include "QrPickResult.h"
#include "QrSorter.h"
#include "QrStream.h"

#include "DebugOutput.h"

#include <vector>

QR_IMPLEMENT_RTTI(QrNode, QrAVObject)
QR_IMPLEMENT_CREATE(QrNode)

namespace
{
bool IsLit(QrLight* light)
{
    return light && light->GetOn() != 0 && light->GetDimmer() > 0.0f;
}

void PushLightOn(QrCamera* camera, QrLight* light)
{
    if (QrDisplay* display = camera->GetDisplay())
        display->PushLight(light);
}
void PopLightOn(QrCamera* camera)
{
    if (QrDisplay* display = camera->GetDisplay())
        display->PopLight();
}

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

QrNode::QrNode() : m_children(1, 1), m_childInstances(1, 1) {}

QrNode::~QrNode()
{
    while (!m_lights.IsEmpty())
    {
        QrLight* light = *m_lights.begin();
        m_lights.Remove(light);
        light->DetachAffectedNode(this);
    }
    // DetachChildAt of the last slot lowers the used size: walk a fixed bound.
    const uint32_t used = m_children.GetUsedSize();
    for (uint32_t i = 0; i < used; ++i)
        DetachChildAt(i);
    delete m_sorter;
    m_sorter = nullptr;
}

// --- parent

QrAVInstance* QrNode::AttachParent(QrNode* parent)
{
    // A node has one parent: the old one loses it. Callers hold a reference to this node, so
    // the old parent's release cannot destroy it here.
    if (QrNode* old = GetParent())
    {
        old->DetachChild(this);
        plat::DebugOutput(kReparentWarning);
    }
    return m_instances.ReplaceId(nullptr, parent);
}

void QrNode::DetachParent(QrNode* parent)
{
    m_instances.ReplaceId(parent, nullptr);
}

// --- children

bool QrNode::IsSelfOrAncestor(const QrAVObject* object)
{
    for (QrNode* above = this; above; above = above->GetParent())
        if (above == object)
            return true;
    return false;
}

void QrNode::AttachChild(QrAVObject* child, bool firstFree)
{
    if (!child || IsSelfOrAncestor(child))
        return;
    QrPointer<QrAVObject> hold(child);
    QrAVInstance* instance = child->AttachParent(this);
    // Both arrays take the same index so that child i always has instance i.
    const uint32_t index = firstFree ? m_children.AddFirstEmpty(child) : m_children.Add(child);
    if (index != QrTArray<QrAVObject>::kInvalidIndex)
        m_childInstances.SetAtAndGrow(index, instance);
}

bool QrNode::HoldsChildElsewhere(const QrAVObject* child, uint32_t index) const
{
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (i != index && m_children.GetAtChecked(i) == child)
            return true;
    return false;
}

QrPointer<QrAVObject> QrNode::DetachChildAt(uint32_t index)
{
    if (index >= m_children.GetUsedSize())
        return nullptr;
    QrPointer<QrAVObject> child = m_children.GetAt(index);
    if (!child)
        return nullptr;
    m_childInstances.RemoveAt(index);
    m_children.RemoveAt(index);
    // A leaf in two slots of this node shares one record; it goes with the last slot.
    if (!HoldsChildElsewhere(child.Get(), index))
        child->DetachParent(this);
    return child;
}

QrPointer<QrAVObject> QrNode::DetachChild(QrAVObject* child)
{
    if (!child)
        return nullptr;
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (m_children.GetAtChecked(i) == child)
            return DetachChildAt(i);
    return nullptr;
}

QrPointer<QrAVObject> QrNode::SetAt(uint32_t index, QrAVObject* child)
{
    if (child && IsSelfOrAncestor(child))
        return nullptr;
    return PutAt(index, child);
}

QrPointer<QrAVObject> QrNode::PutAt(uint32_t index, QrAVObject* child)
{
    // Held throughout: attaching may take the child from a parent that held the only reference.
    QrPointer<QrAVObject> hold(child);
    if (index >= m_children.GetUsedSize())
    {
        QrAVInstance* instance = child ? child->AttachParent(this) : nullptr;
        m_childInstances.SetAtAndGrow(index, instance);
        m_children.SetAtAndGrow(index, child);
        return nullptr;
    }
    QrPointer<QrAVObject> old = m_children.GetAt(index);
    if (old == child)
        return old;
    m_childInstances.SetAt(index, nullptr);
    m_children.SetAt(index, nullptr);
    if (old && !HoldsChildElsewhere(old.Get(), index))
        old->DetachParent(this);
    if (child)
    {
        QrAVInstance* instance = child->AttachParent(this);
        // Attaching a node may have taken it out of another slot of this node; index stays valid.
        m_childInstances.SetAtAndGrow(index, instance);
        m_children.SetAtAndGrow(index, child);
    }
    return old;
}

void QrNode::TakeAllChildren(QrTArray<QrAVObject>& out)
{
    const uint32_t used = m_children.GetUsedSize();
    for (uint32_t i = 0; i < used; ++i)
    {
        QrPointer<QrAVObject> child = DetachChildAt(i);
        if (child)
            out.Add(child.Get());
    }
    m_children.SetSize(0);
    m_childInstances.SetSize(0);
}

// --- world data

void QrNode::UpdateAllInstances()
{
    Update(m_currentInstance);
    if (QrNode* parent = GetParent())
        parent->PropagateBoundUp();
}

void QrNode::Update(QrAVInstance* instance)
{
    UpdateWorldData(instance);
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
    {
        QrAVObject* child = m_children.GetAtChecked(i);
        if (child)
            child->Update(m_childInstances.GetAtChecked(i));
    }
    UpdateWorldBound();
}

bool QrNode::UpdateWorldBound(QrAVInstance*)
{
    return false;
}

bool QrNode::UpdateWorldBound()
{
    // Reused: every node of the tree comes through here each frame. Nothing below calls back
    // into this function before the merge is done with the list.
    thread_local std::vector<QrBound> bounds;
    bounds.clear();
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
    {
        QrAVObject* child = m_children.GetAtChecked(i);
        if (!child || !child->IsDisplayable())
            continue;
        child->SetCurrentInstance(m_childInstances.GetAtChecked(i));
        bounds.push_back(child->GetWorldBound());
    }
    QrBound& bound = GetWorldBound();
    if (!bounds.empty())
    {
        m_displayable = 1;
        return bound.Merge(static_cast<int>(bounds.size()), bounds.data());
    }
    // Nothing to enclose: a point at the node, and the node is not displayed.
    m_displayable = 0;
    bound.Set(m_currentInstance->m_worldTranslate, 0.0f);
    return true;
}

void QrNode::PropagateBoundUp()
{
    const uint8_t wasDisplayable = m_displayable;
    const bool changed = UpdateWorldBound();
    // An unchanged bound leaves every ancestor's bound as it is.
    if (!changed && wasDisplayable == m_displayable)
        return;
    if (QrNode* parent = GetParent())
        parent->PropagateBoundUp();
}

void QrNode::ApplyTransform(const QrMatrix3& rotation, const QrPoint3& translation, bool inParentFrame)
{
    if (!inParentFrame)
    {
        for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
            if (QrAVObject* child = m_children.GetAtChecked(i))
                child->ApplyTransform(rotation, translation, true);
        return;
    }
    // The node keeps its transform; the children get the transform seen from inside it.
    const QrMatrix3 childRotation = m_rotate.TransposeTimes(rotation.Multiply(m_rotate));
    const QrPoint3 moved = rotation.TimesPoint(m_translate) + translation - m_translate;
    const QrPoint3 childTranslation = moved.TimesMatrix(m_rotate) / m_scale;
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (QrAVObject* child = m_children.GetAtChecked(i))
            child->ApplyTransform(childRotation, childTranslation, true);
}

bool QrNode::IsDisplayable()
{
    return m_displayable != 0;
}

// --- drawing

void QrNode::PushState(QrCamera* camera, QrAVInstance* instance)
{
    QrAVObject::PushState(camera, instance);
    if (!camera)
        return;
    for (QrLight* light : m_lights)
        if (IsLit(light))
            PushLightOn(camera, light);
}

void QrNode::PopState(QrCamera* camera, QrAVInstance* instance)
{
    if (camera)
    {
        for (QrLight* light : m_lights)
            if (IsLit(light))
                PopLightOn(camera);
    }
    QrAVObject::PopState(camera, instance);
}

void QrNode::Draw(QrCamera* camera, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (QrAVObject* child = m_children.GetAtChecked(i))
            child->CullAndDraw(camera, m_childInstances.GetAtChecked(i));
}

void QrNode::PushDisplayState(QrCamera* camera, QrAVInstance* instance)
{
    PushState(camera, instance);
    if (!camera)
        return;
    m_savedSortFlag = camera->GetSortFlag();
    if (m_sortMode == kSortOn)
        camera->SetSortFlag(1);
    else if (m_sortMode == kSortOff)
        camera->SetSortFlag(0);
}

void QrNode::PopDisplayState(QrCamera* camera, QrAVInstance* instance)
{
    if (camera)
        camera->SetSortFlag(m_savedSortFlag);
    PopState(camera, instance);
}

void QrNode::Display(QrCamera* camera, QrSorter* sorter, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    if (!camera)
        return;
    if (camera->GetSortFlag())
    {
        if (sorter)
        {
            DisplayChildren(camera, sorter);
            return;
        }
        // The first node that turns sorting on collects its subtree and draws it at its end.
        if (!m_sorter)
            m_sorter = QrSorter::Create();
        if (!m_sorter)
        {
            DisplayChildren(camera, nullptr);
            return;
        }
        m_sorter->StartSorting(camera);
        DisplayChildren(camera, m_sorter);
        m_sorter->FinishSorting();
        return;
    }
    // Sorting turned off inside a sorted subtree: the whole node is one deferred object.
    if (sorter && sorter->AddObject(this, instance))
        return;
    DisplayChildren(camera, nullptr);
}

void QrNode::DisplayChildren(QrCamera* camera, QrSorter* sorter)
{
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (QrAVObject* child = m_children.GetAtChecked(i))
            child->CullAndDisplay(camera, sorter, m_childInstances.GetAtChecked(i));
}

// --- collision and picking

void QrNode::CreateCollisionData(QrAVInstance*, uint32_t splitSize)
{
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (QrAVObject* child = m_children.GetAtChecked(i))
            child->CreateCollisionData(m_childInstances.GetAtChecked(i), splitSize);
}

void QrNode::DeleteCollisionData(QrAVInstance*)
{
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (QrAVObject* child = m_children.GetAtChecked(i))
            child->DeleteCollisionData(m_childInstances.GetAtChecked(i));
}

bool QrNode::SweptBoundsMeet(QrCollisionRecord& self, QrCollisionRecord& other)
{
    if (!other.m_object)
        return false;
    SetCurrentInstance(self.m_instance);
    other.m_object->SetCurrentInstance(other.m_instance);
    const QrAVInstance* mine = m_currentInstance;
    const QrAVInstance* theirs = other.m_object->GetCurrentInstance();
    return QrBound::SweptIntersect(GetWorldBound(), mine->m_worldVelocity, other.m_object->GetWorldBound(),
                                   theirs->m_worldVelocity);
}

int32_t QrNode::OnlyChildIndex() const
{
    if (m_children.GetCount() != 1)
        return -1;
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (m_children.GetAtChecked(i))
            return static_cast<int32_t>(i);
    return -1;
}

bool QrNode::TestCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other)
{
    // A single child is asked directly, without the bound gate.
    const int32_t only = OnlyChildIndex();
    if (only >= 0)
    {
        QrAVObject* child = m_children.GetAtChecked(only);
        QrCollisionRecord record = ChildRecord(self, child, m_childInstances.GetAtChecked(only));
        return child->TestCollisions(time, record, other);
    }
    if (!SweptBoundsMeet(self, other))
        return false;
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
    {
        QrAVObject* child = m_children.GetAtChecked(i);
        if (!child)
            continue;
        QrCollisionRecord record = ChildRecord(self, child, m_childInstances.GetAtChecked(i));
        if (child->TestCollisions(time, record, other))
            return true;
    }
    return false;
}

int32_t QrNode::FindCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other)
{
    const int32_t only = OnlyChildIndex();
    if (only >= 0)
    {
        QrAVObject* child = m_children.GetAtChecked(only);
        QrCollisionRecord record = ChildRecord(self, child, m_childInstances.GetAtChecked(only));
        return child->FindCollisions(time, record, other);
    }
    if (!SweptBoundsMeet(self, other))
        return 0;
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
    {
        QrAVObject* child = m_children.GetAtChecked(i);
        if (!child)
            continue;
        QrCollisionRecord record = ChildRecord(self, child, m_childInstances.GetAtChecked(i));
        // Only a stop request ends the search.
        if (child->FindCollisions(time, record, other) == 1)
            return 1;
    }
    return 0;
}

bool QrNode::FindIntersections(const QrPoint3& origin, const QrPoint3& direction, QrPick& pick, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    if (!RayIntersectsWorldBound(origin, direction))
        return false;
    if (pick.m_intersectionLevel == 0 && pick.m_pickType == 1)
    {
        pick.AddResult(new QrPickResult(this, instance ? instance : m_currentInstance));
        return true;
    }
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
    {
        if (pick.StopsAtFirstHit() && pick.GetResultCount() > 0)
            break;
        if (QrAVObject* child = m_children.GetAtChecked(i))
            child->FindIntersections(origin, direction, pick, m_childInstances.GetAtChecked(i));
    }
    return pick.StopsAtFirstHit() && pick.GetResultCount() > 0;
}

// --- tree services

QrAVObject* QrNode::GetObjectByName(const char* name)
{
    if (QrAVObject* self = QrAVObject::GetObjectByName(name))
        return self;
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (QrAVObject* child = m_children.GetAtChecked(i))
            if (QrAVObject* found = child->GetObjectByName(name))
                return found;
    return nullptr;
}

void QrNode::AppendDescendLinks(std::vector<QrAVObject*>& out) const
{
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (QrAVObject* child = m_children.GetAtChecked(i))
            out.push_back(child);
}

void QrNode::ReleaseLinks()
{
    QrAVObject::ReleaseLinks();
    const uint32_t used = m_children.GetUsedSize();
    for (uint32_t i = 0; i < used; ++i)
        DetachChildAt(i);
    while (!m_lights.IsEmpty())
        DetachLight(*m_lights.begin());
}

bool QrNode::SharesProperties(QrAVObject*, uint32_t)
{
    return false;
}

bool QrNode::Optimize(uint32_t flags)
{
    if (flags == 0)
        return false;
    if (flags & kOptimizeKeepTransparent)
    {
        for (QrProperty* property : m_properties)
            if (property->Type() == QrProperty::kAlpha)
                return false;
    }

    // Collapse: keep what stays, dissolve child nodes that may go, drop the rest.
    QrTArray<QrAVObject> work(0, 1);
    const uint32_t used = m_children.GetUsedSize();
    for (uint32_t i = 0; i < used; ++i)
    {
        QrPointer<QrAVObject> child = m_children.GetAt(i);
        if (!child)
            continue;
        if (!child->Optimize(flags))
        {
            DetachChildAt(i);
            work.Add(child.Get());
            continue;
        }
        if (QrNode* node = QrDynamicCast<QrNode>(child.Get()))
            node->TakeAllChildren(work);
        DetachChildAt(i);
    }
    m_children.SetSize(0);
    m_childInstances.SetSize(0);
    for (uint32_t i = 0; i < work.GetUsedSize(); ++i)
        AttachChild(work.GetAtChecked(i), false);

    if (m_children.GetCount() == 0)
        return (flags & kOptimizeRemoveEmpty) != 0;

    // Merge children that share their properties.
    const uint32_t typeMask = (flags & kOptimizeKeepTransparent) ? (1u << QrProperty::kAlpha) : 0u;
    QrTArray<QrAVObject> result(0, 1);
    const uint32_t count = m_children.GetUsedSize();
    for (uint32_t i = 0; i < count; ++i)
    {
        QrPointer<QrAVObject> first = DetachChildAt(i);
        if (!first)
            continue;
        QrTArray<QrAVObject> group(0, 1);
        group.Add(first.Get());
        for (uint32_t j = i + 1; j < count; ++j)
        {
            QrAVObject* other = m_children.GetAtChecked(j);
            if (other && first->SharesProperties(other, typeMask))
                group.Add(DetachChildAt(j).Get());
        }
        QrPointer<QrAVObject> merged;
        if (group.GetCount() > 1)
            first->CreateMerged(merged, group);
        if (merged)
        {
            result.Add(merged.Get());
            continue;
        }
        // A group that cannot be merged stays as it was rather than vanish.
        for (uint32_t k = 0; k < group.GetUsedSize(); ++k)
            result.Add(group.GetAtChecked(k));
    }
    m_children.SetSize(0);
    m_childInstances.SetSize(0);
    for (uint32_t i = 0; i < result.GetUsedSize(); ++i)
        AttachChild(result.GetAtChecked(i), false);

    if (!(flags & kOptimizeDissolvePassThrough) || m_children.GetCount() != 1)
        return false;
    if (!m_properties.IsEmpty() || !m_lights.IsEmpty() || !m_translate.IsEqual(QrPoint3::ZERO))
        return false;
    QrMatrix3 identity;
    identity.MakeIdentity();
    if (!m_rotate.IsEqual(identity))
        return false;
    const QrAVObject* only = m_children.GetAtChecked(static_cast<uint32_t>(OnlyChildIndex()));
    return only->GetInstanceCount() == 1;
}

// --- clone and lights

QrPointer<QrAVObject> QrNode::CreateClone()
{
    QrPointer<QrNode> clone(new QrNode);
    CopyMembers(clone.Get());
    return clone;
}

void QrNode::CopyMembers(QrNode* clone)
{
    QrAVObject::CopyMembers(clone);
    clone->m_sortMode = m_sortMode;
    clone->m_savedSortFlag = m_savedSortFlag;
    clone->m_displayable = m_displayable;
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (QrAVObject* child = m_children.GetAtChecked(i))
            clone->SetAt(i, child->CreateClone().Get());
}

void QrNode::AttachLight(QrLight* light)
{
    if (!light || m_lights.Contains(light))
        return;
    m_lights.AddHead(light);
    light->AttachAffectedNode(this);
}

void QrNode::DetachLight(QrLight* light)
{
    if (!light || !m_lights.Contains(light))
        return;
    m_lights.Remove(light);
    light->DetachAffectedNode(this);
}

// --- scene file

void QrNode::LoadBinary(QrStream& stream)
{
    QrAVObject::LoadBinary(stream);
    m_sortMode = stream.LoadU32();
    stream.LoadU32(); // the sorter slot: a loaded node makes its own
    m_displayable = stream.LoadU8();
    LoadCountedLinks(stream, this, "child slots");
    LoadCountedLinks(stream, this, "lights");
}

void QrNode::LinkObject(QrStream& stream)
{
    QrAVObject::LinkObject(stream);
    // Unchecked: walking the ancestors per link would cost the square of a file's depth. The
    // stream refuses a cycle once everything is linked.
    const uint32_t children = TakeLoadCount(this);
    for (uint32_t i = 0; i < children; ++i)
        PutAt(i, stream.ResolveLinkID<QrAVObject>(this));
    const uint32_t count = TakeLoadCount(this);
    std::vector<QrLight*> lights;
    lights.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        lights.push_back(stream.ResolveLinkID<QrLight>(this));
    // Head insertion from the last: the list reads in file order.
    for (auto it = lights.rbegin(); it != lights.rend(); ++it)
        AttachLight(*it);
}

bool QrNode::RegisterStreamables(QrStream& stream)
{
    if (!QrAVObject::RegisterStreamables(stream))
        return false;
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (QrAVObject* child = m_children.GetAtChecked(i))
            child->RegisterStreamables(stream);
    for (QrLight* light : m_lights)
        if (light)
            light->RegisterStreamables(stream);
    return true;
}

void QrNode::SaveBinary(QrStream& stream)
{
    QrAVObject::SaveBinary(stream);
    stream.SaveU32(m_sortMode);
    stream.SaveU32(0);
    stream.SaveU8(m_displayable);
    stream.SaveU32(m_children.GetUsedSize());
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        stream.SaveLinkID(m_children.GetAtChecked(i));
    stream.SaveU32(m_lights.GetCount());
    for (QrLight* light : m_lights)
        stream.SaveLinkID(light);
}

bool QrNode::IsEqual(const QrObject* object) const
{
    if (!QrAVObject::IsEqual(object))
        return false;
    const QrNode* other = static_cast<const QrNode*>(object);
    return m_sortMode == other->m_sortMode && m_displayable == other->m_displayable &&
           QrObjectArraysEqual(m_children, other->m_children) && QrObjectListsEqual(m_lights, other->m_lights);
}
