#include "tovScene.h"

#include "tovWater.h"

#include "QrAlphaProperty.h"
#include "QrCamera.h"
#include "QrZBufferProperty.h"
#include "qrxPropertyFilter.h"

QR_IMPLEMENT_RTTI(tovScene, QrNode)

namespace
{
QrPointer<QrNode> MakeGroup(const char* name)
{
    QrPointer<QrNode> group(new QrNode);
    group->SetName(name);
    return group;
}

QrPointer<QrZBufferProperty> MakeZBuffer(uint8_t test, uint8_t write)
{
    QrPointer<QrZBufferProperty> property(new QrZBufferProperty);
    property->m_test = test;
    property->m_write = write;
    return property;
}
} // namespace

tovScene::tovScene()
    : m_first(MakeGroup("First")), m_second(MakeGroup("Second")), m_general(MakeGroup("General")),
      m_groupA(MakeGroup("Group A")), m_groupB(MakeGroup("Group B")), m_zBufferA(MakeZBuffer(1, 1)),
      m_zBufferB(MakeZBuffer(1, 0))
{
    QrNode::AttachChild(m_general.Get());
    QrNode::AttachChild(m_groupA.Get());
    QrNode::AttachChild(m_groupB.Get());
    QrNode::AttachChild(m_first.Get());
    QrNode::AttachChild(m_second.Get());
}

tovScene::~tovScene() = default;

void tovScene::AttachChild(QrAVObject* child, bool /*firstFree*/)
{
    if (!child)
        return;
    qrxPropertyFilter transparent(&QrAlphaProperty::ms_RTTI);
    if (!transparent.Find(child))
        m_general->AttachChild(child);
    else if (child->GetTranslate().y >= 0.0f)
        m_groupA->AttachChild(child);
    else
        m_groupB->AttachChild(child);
}

void tovScene::AttachToGroupA(QrAVObject* object)
{
    if (!object)
        return;
    object->AttachProperty(m_zBufferA.Get());
    m_groupA->AttachChild(object);
}

void tovScene::AttachToGroupB(QrAVObject* object)
{
    if (!object)
        return;
    object->AttachProperty(m_zBufferB.Get());
    m_groupB->AttachChild(object);
}

QrPointer<QrAVObject> tovScene::DetachChild(QrAVObject* child)
{
    if (!child)
        return nullptr;
    if (m_water && child == m_water.Get())
        return QrNode::DetachChild(child);
    for (QrNode* group : {m_general.Get(), m_groupA.Get(), m_groupB.Get(), m_first.Get(), m_second.Get()})
        if (child->FindInstance(group))
            return group->DetachChild(child);
    return QrPointer<QrAVObject>(child);
}

void tovScene::SetUnderwater(bool below)
{
    if (uint8_t(below) == m_below)
        return;
    m_below = uint8_t(below);
    m_zBufferA->m_write = below ? 0 : 1;
    m_zBufferB->m_write = below ? 1 : 0;
    if (m_water)
        m_water->SetUnderwater(below);
}

void tovScene::SetWater(tovWater* water)
{
    if (water == m_water.Get())
        return;
    QrPointer<tovWater> keep(water);
    if (m_water)
        QrNode::DetachChild(m_water.Get());
    m_water = keep;
    if (m_water)
    {
        m_water->SetUnderwater(m_below != 0);
        QrNode::AttachChild(m_water.Get());
    }
}

void tovScene::DisplayPart(QrAVObject* part, QrCamera* camera, QrSorter* sorter)
{
    if (!part)
        return;
    if (QrAVInstance* instance = part->FindInstance(this))
        part->CullAndDisplay(camera, sorter, instance);
}

void tovScene::DisplayChildren(QrCamera* camera, QrSorter* sorter)
{
    if (!camera)
        return;
    // Exactly 0 counts as above water.
    const bool below = camera->GetWorldLocation().y < 0.0f;
    QrAVObject* farSide = below ? m_groupA.Get() : m_groupB.Get();
    QrAVObject* nearSide = below ? m_groupB.Get() : m_groupA.Get();
    for (QrAVObject* part :
         {static_cast<QrAVObject*>(m_first.Get()), static_cast<QrAVObject*>(m_general.Get()), farSide,
          static_cast<QrAVObject*>(m_second.Get()), static_cast<QrAVObject*>(m_water.Get()), nearSide})
        DisplayPart(part, camera, sorter);
}
