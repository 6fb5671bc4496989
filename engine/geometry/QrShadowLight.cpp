#include "QrShadowLight.h"

#include "QrNode.h"
#include "QrObjectsEqual.h"
#include "QrStream.h"
#include "QrTriShape.h"

QR_IMPLEMENT_RTTI(QrShadowLight, QrLight)
QR_IMPLEMENT_CREATE(QrShadowLight)

QrShadowLight::QrShadowLight()
{
    m_type = kShadowType;
    Update(m_currentInstance);
}

QrShadowLight::~QrShadowLight() = default;

void QrShadowLight::SetLocalPosition(const QrPoint3&) {}

// Neither the shadow object nor the receivers are drawn through the light, but a file may make
// them lights or nodes holding this one: the load's check then refuses the cycle or the depth.
void QrShadowLight::AppendDescendLinks(std::vector<QrAVObject*>& out) const
{
    QrLight::AppendDescendLinks(out);
    if (QrAVObject* object = QrDynamicCast<QrAVObject>(m_shadowObject.Get()))
        out.push_back(object);
    for (const QrPointer<QrNode>& node : m_receivers)
        if (node)
            out.push_back(node.Get());
}

void QrShadowLight::ReleaseLinks()
{
    QrLight::ReleaseLinks();
    m_shadowObject = nullptr;
    m_receivers.clear();
}

void QrShadowLight::SetLocalDirection(const QrPoint3&) {}

void QrShadowLight::SetType(uint32_t) {}

QrPointer<QrAVObject> QrShadowLight::CreateClone()
{
    QrPointer<QrShadowLight> clone(new QrShadowLight);
    CopyMembers(clone.Get());
    clone->m_shadowKind = m_shadowKind;
    clone->m_projectionMode = m_projectionMode;
    clone->m_frame = m_frame;
    clone->m_shadowScale = m_shadowScale;
    clone->m_shadowObject = m_shadowObject;
    for (const QrPointer<QrNode>& node : m_receivers)
        clone->AttachReceiver(node.Get());
    return QrPointer<QrAVObject>(clone.Get());
}

// --- world data

void QrShadowLight::UpdateWorldData(QrAVInstance* instance)
{
    QrLight::UpdateWorldData(instance);
    const QrAVInstance* self = m_currentInstance;
    m_worldPosition = self->m_worldTranslate;
    m_frame.UpdateWorld(self->m_worldRotate, self->m_worldTranslate);
    // The light's world x axis stands in the world direction.
    m_worldDirection = m_frame.GetWorldAxes().GetRow(0);
    UpdateVolumePlanes();
}

void QrShadowLight::UpdateVolumePlanes()
{
    m_frame.UpdateVolumePlanes(m_projectionMode);
}

// --- receivers

void QrShadowLight::AttachReceiver(QrNode* node)
{
    if (!node)
        return;
    m_receivers.emplace_back(node);
    CollectReceivers(node, nullptr);
}

void QrShadowLight::CollectReceivers(QrAVObject* object, QrAVInstance* instance)
{
    if (!object || object->GetAppCulled())
        return;
    if (object->IsKindOf(&QrNode::ms_RTTI))
    {
        const QrNode* node = static_cast<const QrNode*>(object);
        for (uint32_t i = 0; i < node->GetChildCount(); ++i)
            if (QrAVObject* child = node->GetChildAt(i))
                CollectReceivers(child, node->GetChildInstanceAt(i));
        return;
    }
    if (!object->IsKindOf(&QrTriShape::ms_RTTI))
        return;
    QrTriShape* shape = static_cast<QrTriShape*>(object);
    for (uint32_t i = 0; i < shape->GetInstanceCount(); ++i)
    {
        QrAVInstance* record = shape->GetInstanceAt(i);
        if (record && (!instance || record == instance))
            m_records.push_back(std::make_unique<QrShadowReceiver>(shape, i));
    }
}

void QrShadowLight::CollectPendingReceivers()
{
    if (!m_receiversPending)
        return;
    m_receiversPending = false;
    for (const QrPointer<QrNode>& node : m_receivers)
        CollectReceivers(node.Get(), nullptr);
}

uint32_t QrShadowLight::GetReceiverRecordCount()
{
    CollectPendingReceivers();
    return static_cast<uint32_t>(m_records.size());
}

QrShadowReceiver* QrShadowLight::GetReceiverRecordAt(uint32_t index)
{
    CollectPendingReceivers();
    return index < m_records.size() ? m_records[index].get() : nullptr;
}

// --- scene file

void QrShadowLight::LoadBinary(QrStream& stream)
{
    QrLight::LoadBinary(stream);
    m_shadowKind = stream.LoadU32();
    m_projectionMode = stream.LoadU32();
    m_frame.AxesField(stream);
    m_shadowScale = stream.LoadF32();
    m_frame.PlanesField(stream);
    stream.LoadLinkID(this);
    LoadCountedLinks(stream, this, "shadow receivers");
}

void QrShadowLight::LinkObject(QrStream& stream)
{
    QrLight::LinkObject(stream);
    m_shadowObject = stream.ResolveLinkID<QrObject>(this);
    const uint32_t count = TakeLoadCount(this);
    for (uint32_t i = 0; i < count; ++i)
        if (QrNode* node = stream.ResolveLinkID<QrNode>(this))
            m_receivers.emplace_back(node);
    m_receiversPending = !m_receivers.empty();
}

bool QrShadowLight::RegisterStreamables(QrStream& stream)
{
    if (!QrLight::RegisterStreamables(stream))
        return false;
    if (m_shadowObject)
        m_shadowObject->RegisterStreamables(stream);
    for (const QrPointer<QrNode>& node : m_receivers)
        node->RegisterStreamables(stream);
    return true;
}

void QrShadowLight::SaveBinary(QrStream& stream)
{
    QrLight::SaveBinary(stream);
    stream.SaveU32(m_shadowKind);
    stream.SaveU32(m_projectionMode);
    m_frame.AxesField(stream);
    stream.SaveF32(m_shadowScale);
    m_frame.PlanesField(stream);
    stream.SaveLinkID(m_shadowObject.Get());
    stream.SaveU32(static_cast<uint32_t>(m_receivers.size()));
    for (const QrPointer<QrNode>& node : m_receivers)
        stream.SaveLinkID(node.Get());
}

bool QrShadowLight::IsEqual(const QrObject* object) const
{
    if (!QrLight::IsEqual(object))
        return false;
    const QrShadowLight* other = static_cast<const QrShadowLight*>(object);
    if (m_shadowKind != other->m_shadowKind || m_projectionMode != other->m_projectionMode ||
        !m_frame.IsEqual(other->m_frame) || m_shadowScale != other->m_shadowScale)
        return false;
    if (!QrObjectsEqual(m_shadowObject.Get(), other->m_shadowObject.Get()))
        return false;
    // Receivers by number only: a receiver node may hold this light, and comparing it would
    // come back here.
    return m_receivers.size() == other->m_receivers.size();
}
