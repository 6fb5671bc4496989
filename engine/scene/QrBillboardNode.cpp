#include "QrBillboardNode.h"

#include "QrBound.h"
#include "QrCamera.h"
#include "QrStream.h"

#include <cmath>

QR_IMPLEMENT_RTTI(QrBillboardNode, QrNode)
QR_IMPLEMENT_CREATE(QrBillboardNode)

namespace
{
// The turn B, in the node's ordinary world frame W, that the mode asks for; identity when the
// camera gives no usable direction.
QrMatrix3 TurnFor(uint32_t mode, const QrBillboardNode::CameraFrame& camera, const QrMatrix3& w,
                  const QrPoint3& translation, float scale)
{
    QrMatrix3 turn;
    turn.MakeIdentity();
    switch (mode)
    {
    case QrBillboardNode::kTurnAboutUp:
    {
        // The camera in the node's own frame; only its horizontal position counts.
        const QrPoint3 offset = camera.m_location - translation;
        QrPoint3 c = offset.TimesMatrix(w);
        if (scale != 0.0f)
            c = c / scale;
        const double l = std::sqrt(double(c.x) * c.x + double(c.z) * c.z);
        if (l < 1e-12)
            break; // straight above or below
        const float s = float(c.x / l);
        const float k = float(c.z / l);
        turn = QrMatrix3(k, 0.0f, s, 0.0f, 1.0f, 0.0f, -s, 0.0f, k);
        break;
    }
    case QrBillboardNode::kAlignToScreen:
        turn.SetColumn(0, camera.m_right.TimesMatrix(w));
        turn.SetColumn(1, camera.m_up.TimesMatrix(w));
        turn.SetColumn(2, camera.m_direction.TimesMatrix(w));
        break;
    case QrBillboardNode::kFaceViewPlane:
    {
        const QrPoint3 d = -camera.m_rotation.GetRow(0).TimesMatrix(w);
        const QrPoint3 u = camera.m_rotation.GetRow(1).TimesMatrix(w);
        const QrPoint3 r = camera.m_rotation.GetRow(2).TimesMatrix(w);
        const double l = std::sqrt(double(u.y) * u.y + double(r.y) * r.y);
        if (l <= 1e-6)
            break; // looking along the node's y axis: no upright choice
        // Turn r and u about d until the x axis has no y component in the node's frame.
        const float a = float(u.y / l);
        const float b = float(-r.y / l);
        turn.SetColumn(0, r * a + u * b);
        turn.SetColumn(1, u * a - r * b);
        turn.SetColumn(2, d);
        break;
    }
    default:
        break;
    }
    return turn;
}
} // namespace

QrBillboardNode::QrBillboardNode() = default;

QrBillboardNode::~QrBillboardNode() = default;

void QrBillboardNode::FaceCamera(const CameraFrame& camera, QrAVInstance* instance)
{
    SetCurrentInstance(instance);
    QrAVInstance* self = m_currentInstance;
    const QrNode* parent = self->GetId();
    const QrAVInstance* p = parent ? parent->GetCurrentInstance() : nullptr;

    // The ordinary world data first.
    QrMatrix3 w = m_rotate;
    QrPoint3 t = m_translate;
    float s = m_scale;
    if (p)
    {
        w = p->m_worldRotate.Multiply(m_rotate);
        t = p->m_worldTranslate + p->m_worldRotate.TimesPoint(m_translate) * p->m_worldScale;
        s = p->m_worldScale * m_scale;
    }
    self->m_worldRotate = w.Multiply(TurnFor(m_mode, camera, w, t, s));
    self->m_worldTranslate = t;
    self->m_worldScale = s;

    for (uint32_t i = 0; i < m_children.GetUsedSize(); ++i)
        if (QrAVObject* child = m_children.GetAtChecked(i))
            child->Update(m_childInstances.GetAtChecked(i));
}

void QrBillboardNode::PushState(QrCamera* camera, QrAVInstance* instance)
{
    QrNode::PushState(camera, instance);
    if (!camera)
        return;
    CameraFrame frame;
    frame.m_location = camera->GetWorldLocation();
    frame.m_rotation = camera->GetWorldRotation();
    frame.m_direction = camera->GetWorldDirection();
    frame.m_up = camera->GetWorldUp();
    frame.m_right = camera->GetWorldRight();
    FaceCamera(frame, instance);
}

bool QrBillboardNode::UpdateWorldBound()
{
    QrNode::UpdateWorldBound();
    if (GetNonEmptyChildCount() == 0)
        return true;
    // Centred on the node, reaching as far as the subtree does in any orientation.
    QrBound& bound = GetWorldBound();
    const QrPoint3& center = m_currentInstance->m_worldTranslate;
    const float reach = (bound.GetCenter() - center).Length() + bound.GetRadius();
    bound.Set(center, reach);
    return true;
}

// --- clone and scene file

QrPointer<QrAVObject> QrBillboardNode::CreateClone()
{
    QrPointer<QrBillboardNode> clone(new QrBillboardNode);
    CopyMembers(clone.Get());
    return clone;
}

void QrBillboardNode::CopyMembers(QrBillboardNode* clone)
{
    QrNode::CopyMembers(clone);
    clone->m_mode = m_mode;
}

void QrBillboardNode::LoadBinary(QrStream& stream)
{
    QrNode::LoadBinary(stream);
    m_mode = stream.LoadU32();
}

void QrBillboardNode::SaveBinary(QrStream& stream)
{
    QrNode::SaveBinary(stream);
    stream.SaveU32(m_mode);
}

bool QrBillboardNode::IsEqual(const QrObject* object) const
{
    if (!QrNode::IsEqual(object))
        return false;
    return m_mode == static_cast<const QrBillboardNode*>(object)->m_mode;
}
