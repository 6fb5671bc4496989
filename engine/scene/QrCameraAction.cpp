#include "QrCameraAction.h"

#include "QrCamera.h"
#include "QrStream.h"

QR_IMPLEMENT_RTTI(QrCameraAction, QrAction)
QR_IMPLEMENT_ABSTRACT_CREATE(QrCameraAction)

namespace
{
// Set while an action compares its camera: a camera compares its actions in turn, so an action
// whose camera lists it would otherwise recurse without end.
bool g_comparingCamera = false;
} // namespace

void QrCameraAction::LoadBinary(QrStream& stream)
{
    QrAction::LoadBinary(stream);
    stream.LoadLinkID(this);
}

void QrCameraAction::LinkObject(QrStream& stream)
{
    // Not QrAction::LinkObject: the action runs from the camera that lists it, never from the
    // program-wide list.
    QrObject::LinkObject(stream);
    // The id is checked, but a stored camera is not kept: no camera is running the action now,
    // and a pointer kept from a file could outlive its camera.
    stream.ResolveLinkID<QrCamera>(this);
    m_camera = nullptr;
}

bool QrCameraAction::RegisterStreamables(QrStream& stream)
{
    if (!QrAction::RegisterStreamables(stream))
        return false;
    if (m_camera)
        m_camera->RegisterStreamables(stream);
    return true;
}

void QrCameraAction::SaveBinary(QrStream& stream)
{
    QrAction::SaveBinary(stream);
    stream.SaveLinkID(m_camera);
}

bool QrCameraAction::IsEqual(const QrObject* object) const
{
    if (!QrAction::IsEqual(object))
        return false;
    const QrCameraAction* other = static_cast<const QrCameraAction*>(object);
    if (!m_camera || !other->m_camera)
        return m_camera == other->m_camera;
    if (g_comparingCamera)
        return true;
    g_comparingCamera = true;
    const bool equal = m_camera->IsEqual(other->m_camera);
    g_comparingCamera = false;
    return equal;
}
