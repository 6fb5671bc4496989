#include "QrBSPNode.h"

#include "QrCamera.h"
#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrBSPNode, QrNode)
QR_IMPLEMENT_CREATE(QrBSPNode)

QrBSPNode::QrBSPNode()
{
    // Two slots from the start: front and back.
    m_children.SetSize(2);
    m_childInstances.SetSize(2);
}

QrBSPNode::~QrBSPNode() = default;

// --- world data

void QrBSPNode::UpdateWorldData(QrAVInstance* instance)
{
    QrNode::UpdateWorldData(instance);
    const QrAVInstance* self = m_currentInstance;
    const QrPoint3 normal = self->m_worldRotate.TimesPoint(m_modelPlane.GetNormal());
    const double constant =
        double(self->m_worldScale) * m_modelPlane.GetConstant() + double(normal.Dot(self->m_worldTranslate));
    m_worldPlane.Set(normal, float(constant));
}

void QrBSPNode::ApplyTransform(const QrMatrix3& rotation, const QrPoint3& translation, bool inParentFrame)
{
    // The transform the children receive, as the plain node hands it down.
    QrMatrix3 m = rotation;
    QrPoint3 u = translation;
    if (inParentFrame)
    {
        m = m_rotate.TransposeTimes(rotation.Multiply(m_rotate));
        const QrPoint3 moved = rotation.TimesPoint(m_translate) + translation - m_translate;
        u = moved.TimesMatrix(m_rotate) / m_scale;
    }
    // The plane moves with it: n' = n M^-1 (n as a row), c' = c + n' . u.
    QrMatrix3 inverse;
    if (m.Inverse(inverse))
    {
        const QrPoint3 normal = m_modelPlane.GetNormal().TimesMatrix(inverse);
        m_modelPlane.Set(normal, float(double(m_modelPlane.GetConstant()) + normal.Dot(u)));
    }
    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (QrAVObject* child = m_children.GetAtChecked(i))
            child->ApplyTransform(m, u, true);
}

// --- drawing

bool QrBSPNode::DrawsFrontFirst(const QrPoint3& eye, const QrPoint3& viewAxis) const
{
    const double d = m_worldPlane.Distance(eye);
    if (d != 0.0)
        return d > 0.0;
    // The eye lies on the plane: the side the camera looks toward decides.
    return m_worldPlane.GetNormal().Dot(viewAxis) >= 0.0f;
}

void QrBSPNode::DrawOrder(QrCamera* camera, uint32_t order[2]) const
{
    order[0] = 0;
    order[1] = 1;
    if (camera && !DrawsFrontFirst(camera->GetWorldLocation(), camera->GetWorldRotation().GetRow(0)))
    {
        order[0] = 1;
        order[1] = 0;
    }
}

void QrBSPNode::Draw(QrCamera* camera, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    uint32_t order[2];
    DrawOrder(camera, order);
    for (uint32_t slot : order)
        if (QrAVObject* child = m_children.GetAtChecked(slot))
            child->CullAndDraw(camera, m_childInstances.GetAtChecked(slot));
}

void QrBSPNode::DisplayChildren(QrCamera* camera, QrSorter* sorter)
{
    uint32_t order[2];
    DrawOrder(camera, order);
    for (uint32_t slot : order)
        if (QrAVObject* child = m_children.GetAtChecked(slot))
            child->CullAndDisplay(camera, sorter, m_childInstances.GetAtChecked(slot));
}

bool QrBSPNode::Optimize(uint32_t flags)
{
    for (uint32_t slot = 0; slot < 2; ++slot)
        if (QrAVObject* child = m_children.GetAtChecked(slot))
            child->Optimize(flags);
    return false;
}

// --- clone and scene file

QrPointer<QrAVObject> QrBSPNode::CreateClone()
{
    QrPointer<QrBSPNode> clone(new QrBSPNode);
    CopyMembers(clone.Get());
    return clone;
}

void QrBSPNode::CopyMembers(QrBSPNode* clone)
{
    QrNode::CopyMembers(clone);
    clone->m_modelPlane = m_modelPlane;
}

void QrBSPNode::LoadBinary(QrStream& stream)
{
    QrNode::LoadBinary(stream);
    m_modelPlane.LoadBinary(stream);
}

void QrBSPNode::SaveBinary(QrStream& stream)
{
    QrNode::SaveBinary(stream);
    m_modelPlane.SaveBinary(stream);
}

bool QrBSPNode::IsEqual(const QrObject* object) const
{
    if (!QrNode::IsEqual(object))
        return false;
    return m_modelPlane.IsEqual(static_cast<const QrBSPNode*>(object)->m_modelPlane);
}
