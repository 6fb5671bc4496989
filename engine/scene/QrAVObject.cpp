#include "QrAVObject.h"

#include "QrBound.h"
#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrLoadRecord.h"
#include "QrNode.h"
#include "QrObjectsEqual.h"
#include "QrPlane.h"
#include "QrSorter.h"
#include "QrStream.h"

#include <cstring>
#include <vector>

QR_IMPLEMENT_RTTI(QrAVObject, QrObject)
QR_IMPLEMENT_ABSTRACT_CREATE(QrAVObject)

namespace
{
uint32_t PlaneCountOf(QrCamera* camera)
{
    const uint32_t count = camera->GetPlaneCount();
    return count < QrAVObject::kMaxPlanes ? count : QrAVObject::kMaxPlanes;
}

void PushPropertiesOn(QrCamera* camera, QrPointerList<QrProperty>& list)
{
    if (QrDisplay* display = camera->GetDisplay())
        display->PushProperties(list);
}
void PopPropertiesOn(QrCamera* camera, QrPointerList<QrProperty>& list)
{
    if (QrDisplay* display = camera->GetDisplay())
        display->PopProperties(list);
}

bool TestBit(const uint32_t* mask, uint32_t i)
{
    return (mask[i >> 5] >> (i & 31)) & 1u;
}

void SetBit(uint32_t* mask, uint32_t i)
{
    mask[i >> 5] |= 1u << (i & 31);
}
} // namespace

QrAVObject::QrAVObject() : m_instances(1, 1)
{
    m_rotate.MakeIdentity();
    MakeRootInstance();
}

QrAVObject::~QrAVObject()
{
    // Properties go first, then the instance records (the members' reverse order does it).
    m_currentInstance = nullptr;
}

QrAVInstance* QrAVObject::MakeRootInstance()
{
    if (m_instances.GetCount() > 0)
        m_instances.Remove(nullptr);
    m_instances.FindOrAdd(nullptr, this);
    m_currentInstance = m_instances.GetAt(0);
    return m_currentInstance;
}

QrAVInstance* QrAVObject::ResetRootInstance()
{
    return MakeRootInstance();
}

void QrAVObject::SetCurrentInstance(QrAVInstance* instance)
{
    if (instance)
        m_currentInstance = instance;
}

// --- instances

QrAVInstance* QrAVObject::AttachParent(QrNode* parent)
{
    // The first parent takes over the root record with its world data.
    if (m_instances.GetCount() == 1)
    {
        QrAVInstance* only = m_instances.GetAt(0);
        if (only && only->GetId() == nullptr)
        {
            only->SetId(parent);
            return only;
        }
    }
    return m_instances.FindOrAdd(parent, this);
}

void QrAVObject::DetachParent(QrNode* parent)
{
    QrAVInstance* record = m_instances.Find(parent);
    if (!record)
        return;
    // The last record is never deleted: it becomes the parentless one again.
    if (m_instances.GetCount() == 1)
    {
        record->SetId(nullptr);
        return;
    }
    const bool wasCurrent = record == m_currentInstance;
    m_instances.Remove(parent);
    // The deleted record must not stay current.
    if (wasCurrent)
        m_currentInstance = m_instances.GetAt(0);
}

QrAVInstance* QrAVObject::CreateInstance()
{
    return new QrAVInstance;
}

QrNode* QrAVObject::GetParent()
{
    return m_currentInstance ? m_currentInstance->GetId() : nullptr;
}

QrPointer<QrAVObject> QrAVObject::CreateClone()
{
    return QrPointer<QrAVObject>(this);
}

// --- world data

void QrAVObject::UpdateAllInstances()
{
    for (uint32_t i = 0; i < m_instances.GetUsedSize(); ++i)
    {
        QrAVInstance* record = m_instances.GetAt(i);
        if (!record)
            continue;
        Update(record);
        if (QrNode* parent = record->GetId())
            parent->PropagateBoundUp();
    }
}

void QrAVObject::Update(QrAVInstance* instance)
{
    UpdateWorldData(instance);
    UpdateWorldBound(instance);
}

void QrAVObject::UpdateWorldData(QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    QrAVInstance* self = m_currentInstance;
    QrNode* parent = self->GetId();
    QrAVInstance* p = parent ? parent->GetCurrentInstance() : nullptr;
    if (!p)
    {
        self->m_worldScale = m_scale;
        self->m_worldRotate = m_rotate;
        self->m_worldTranslate = m_translate;
        self->m_worldVelocity = m_velocity;
        return;
    }
    // Scale first, then rotation, then translation; the parent's scale does not reach the velocity.
    self->m_worldScale = m_scale * p->m_worldScale;
    self->m_worldRotate = p->m_worldRotate.Multiply(m_rotate);
    self->m_worldTranslate = p->m_worldTranslate + p->m_worldRotate.TimesPoint(m_translate) * p->m_worldScale;
    self->m_worldVelocity = p->m_worldRotate.TimesPoint(m_velocity) + p->m_worldVelocity;
}

bool QrAVObject::UpdateWorldBound(QrAVInstance*)
{
    return false;
}

void QrAVObject::ApplyTransform(const QrMatrix3&, const QrPoint3&, bool) {}

QrBound& QrAVObject::GetWorldBound()
{
    return m_currentInstance->m_worldBound;
}

bool QrAVObject::IsDisplayable()
{
    return true;
}

// --- drawing

void QrAVObject::PushState(QrCamera* camera, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    if (camera && !m_properties.IsEmpty())
        PushPropertiesOn(camera, m_properties);
}

void QrAVObject::PopState(QrCamera* camera, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    if (camera && !m_properties.IsEmpty())
        PopPropertiesOn(camera, m_properties);
}

void QrAVObject::Draw(QrCamera*, QrAVInstance*) {}

void QrAVObject::PushDisplayState(QrCamera* camera, QrAVInstance* instance)
{
    PushState(camera, instance);
}

void QrAVObject::PopDisplayState(QrCamera* camera, QrAVInstance* instance)
{
    PopState(camera, instance);
}

void QrAVObject::Display(QrCamera* camera, QrSorter* sorter, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    if (!IsDisplayable())
        return;
    if (sorter && sorter->AddObject(this, instance))
        return;
    Draw(camera, instance);
}

void QrAVObject::SetAppCulled(uint8_t culled)
{
    m_appCulled = culled;
}

uint8_t QrAVObject::GetAppCulled()
{
    return m_appCulled;
}

bool QrAVObject::IsCulledByFrustum(QrCamera* camera, uint32_t localMask[kPlaneMaskWords])
{
    if (!camera)
        return false;
    return IsCulledByPlanes(PlaneCountOf(camera), camera->GetPlanes(), camera->GetPassedPlaneMask(), localMask);
}

bool QrAVObject::IsCulledByPlanes(uint32_t planeCount, const QrPlane* const* planes,
                                  uint32_t passedMask[kPlaneMaskWords], uint32_t localMask[kPlaneMaskWords])
{
    if (!planes)
        return false;
    if (planeCount > kMaxPlanes)
        planeCount = kMaxPlanes;
    const QrBound& bound = GetWorldBound();
    for (uint32_t i = planeCount; i-- > 0;)
    {
        if (TestBit(passedMask, i) || !planes[i])
            continue;
        const int side = bound.WhichSide(*planes[i]);
        if (side == QrPlane::kNegativeSide)
            return true;
        if (side == QrPlane::kPositiveSide)
        {
            SetBit(passedMask, i);
            SetBit(localMask, i);
        }
    }
    return false;
}

void QrAVObject::CullAndDraw(QrCamera* camera, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    if (!camera || GetAppCulled())
        return;
    uint32_t localMask[kPlaneMaskWords] = {};
    if (!IsCulledByFrustum(camera, localMask))
    {
        PushState(camera, instance);
        Draw(camera, instance);
        PopState(camera, instance);
    }
    // Give back the planes this object passed, also after a cull by a later plane.
    uint32_t* passed = camera->GetPassedPlaneMask();
    for (uint32_t w = 0; w < kPlaneMaskWords; ++w)
        passed[w] &= ~localMask[w];
}

void QrAVObject::CullAndDisplay(QrCamera* camera, QrSorter* sorter, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    if (!camera || GetAppCulled())
        return;
    uint32_t localMask[kPlaneMaskWords] = {};
    if (!IsCulledByFrustum(camera, localMask))
    {
        const uint8_t sortFlag = camera->GetSortFlag();
        PushDisplayState(camera, instance);
        Display(camera, sorter, instance);
        PopDisplayState(camera, instance);
        camera->SetSortFlag(sortFlag);
    }
    uint32_t* passed = camera->GetPassedPlaneMask();
    for (uint32_t w = 0; w < kPlaneMaskWords; ++w)
        passed[w] &= ~localMask[w];
}

bool QrAVObject::RayIntersectsWorldBound(const QrPoint3& origin, const QrPoint3& direction)
{
    const QrBound& bound = GetWorldBound();
    const QrPoint3& c = bound.GetCenter();
    const double dx = double(origin.x) - c.x;
    const double dy = double(origin.y) - c.y;
    const double dz = double(origin.z) - c.z;
    const double r = bound.GetRadius();
    const double k = dx * dx + dy * dy + dz * dz - r * r;
    if (k <= 0.0)
        return true; // the origin lies in or on the sphere
    const double b = dx * direction.x + dy * direction.y + dz * direction.z;
    if (b >= 0.0)
        return false; // pointing away
    const double dd =
        double(direction.x) * direction.x + double(direction.y) * direction.y + double(direction.z) * direction.z;
    return b * b >= dd * k;
}

// --- collision and picking

void QrAVObject::CreateCollisionData(QrAVInstance*, uint32_t) {}

void QrAVObject::DeleteCollisionData(QrAVInstance*) {}

bool QrAVObject::TestCollisions(float, QrCollisionRecord&, QrCollisionRecord&)
{
    return false;
}

int32_t QrAVObject::FindCollisions(float, QrCollisionRecord&, QrCollisionRecord&)
{
    return 0;
}

bool QrAVObject::FindIntersections(const QrPoint3&, const QrPoint3&, QrPick&, QrAVInstance*)
{
    return false;
}

// --- tree services

QrAVObject* QrAVObject::GetObjectByName(const char* name)
{
    const char* own = GetName();
    return name && own && std::strcmp(name, own) == 0 ? this : nullptr;
}

void QrAVObject::AppendDescendLinks(std::vector<QrAVObject*>&) const {}

bool QrAVObject::Optimize(uint32_t)
{
    return false;
}

bool QrAVObject::SharesProperties(QrAVObject* other, uint32_t typeMask)
{
    if (!other || m_properties.GetCount() != other->m_properties.GetCount())
        return false;
    for (QrProperty* property : m_properties)
    {
        if (!other->m_properties.Contains(property))
            return false;
        const uint32_t type = property->Type();
        if (type < 32 && ((typeMask >> type) & 1u))
            return false;
    }
    return true;
}

void QrAVObject::CreateMerged(QrPointer<QrAVObject>& out, QrTArray<QrAVObject>&)
{
    out = nullptr;
}

// --- properties and local transform

void QrAVObject::AttachProperty(QrProperty* property)
{
    QrProperty::AttachToList(m_properties, property);
}

bool QrAVObject::DetachProperty(QrProperty* property)
{
    if (!property || !m_properties.Contains(property))
        return false;
    QrPointer<QrProperty> hold(property);
    m_properties.Remove(property);
    return true;
}

uint32_t QrAVObject::DetachPropertiesIf(const std::function<bool(QrProperty*)>& match)
{
    // Collect first: the list must not change while it is walked.
    std::vector<QrPointer<QrProperty>> doomed;
    for (QrProperty* property : m_properties)
        if (match(property))
            doomed.emplace_back(property);
    for (QrPointer<QrProperty>& property : doomed)
        m_properties.Remove(property.Get());
    return static_cast<uint32_t>(doomed.size());
}

void QrAVObject::SetRotate(float angle, float x, float y, float z)
{
    m_rotate.MakeRotation(angle, x, y, z);
}

void QrAVObject::SetScale(float scale)
{
    m_scale = scale < 0.0f ? -scale : scale;
}

void QrAVObject::CopyMembers(QrAVObject* clone)
{
    clone->SetName(nullptr);
    clone->m_appCulled = m_appCulled;
    clone->m_translate = m_translate;
    clone->m_rotate = m_rotate;
    clone->m_scale = m_scale;
    clone->m_velocity = m_velocity;
    // Shared property objects, kept in this object's order so that the clone compares equal.
    QrProperty::CopyList(m_properties, clone->m_properties);
}

// --- scene file

void QrAVObject::LoadCountedLinks(QrStream& stream, QrObject* owner, const char* what)
{
    const uint32_t count = stream.LoadCount(4, what);
    QueueLoadCount(owner, count);
    for (uint32_t i = 0; i < count; ++i)
        stream.LoadLinkID(owner);
}

void QrAVObject::QueueLoadCount(QrObject* owner, uint32_t count)
{
    if (QrLoadRecord* record = dynamic_cast<QrLoadRecord*>(owner->GetExtraData()))
        record->m_linkIds.push_back(count);
}

uint32_t QrAVObject::TakeLoadCount(QrObject* owner)
{
    QrLoadRecord* record = dynamic_cast<QrLoadRecord*>(owner->GetExtraData());
    if (!record || record->m_nextLinkId >= record->m_linkIds.size())
        return 0;
    return record->m_linkIds[record->m_nextLinkId++];
}

void QrAVObject::LoadBinary(QrStream& stream)
{
    QrObject::LoadBinary(stream);
    m_appCulled = stream.LoadU8();
    m_translate.LoadBinary(stream);
    m_rotate.LoadBinary(stream);
    m_scale = stream.LoadF32();
    m_velocity.LoadBinary(stream);
    LoadCountedLinks(stream, this, "properties");
}

void QrAVObject::LinkObject(QrStream& stream)
{
    QrObject::LinkObject(stream);
    QrProperty::LinkList(stream, this, TakeLoadCount(this), m_properties);
}

bool QrAVObject::RegisterStreamables(QrStream& stream)
{
    if (!QrObject::RegisterStreamables(stream))
        return false;
    QrProperty::RegisterList(stream, m_properties);
    return true;
}

void QrAVObject::SaveBinary(QrStream& stream)
{
    QrObject::SaveBinary(stream);
    stream.SaveU8(m_appCulled);
    m_translate.SaveBinary(stream);
    m_rotate.SaveBinary(stream);
    stream.SaveF32(m_scale);
    m_velocity.SaveBinary(stream);
    QrProperty::SaveList(stream, m_properties);
}

bool QrAVObject::IsEqual(const QrObject* object) const
{
    if (!QrObject::IsEqual(object))
        return false;
    // Same class name, so the same class.
    const QrAVObject* other = static_cast<const QrAVObject*>(object);
    if (m_appCulled != other->m_appCulled || !m_translate.IsEqual(other->m_translate) ||
        !m_rotate.IsEqual(other->m_rotate) || m_scale != other->m_scale || !m_velocity.IsEqual(other->m_velocity))
        return false;
    return QrObjectListsEqual(m_properties, other->m_properties);
}
