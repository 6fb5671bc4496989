#include "qrxSkyCamAction.h"

#include "qrxSkyDome.h"

#include "QrCamera.h"

QR_IMPLEMENT_RTTI(qrxSkyCamAction, QrCameraAction)

qrxSkyCamAction::qrxSkyCamAction(qrxSkyDome* dome) : m_dome(dome) {}

bool qrxSkyCamAction::Update(double /*time*/, double /*elapsed*/)
{
    if (!m_dome)
        return false;
    QrCamera* camera = GetCamera();
    if (!camera)
        return true;
    const QrPoint3& eye = camera->GetWorldLocation();
    const float farDistance = camera->GetFrustum()[QrCamera::kFar];
    const float scale = m_dome->GetScale();
    // The dome rises and sinks less than the eye, so that its rim stays on the far horizon.
    // A zero scale or far distance would divide by zero: the dome then keeps the eye's height.
    const float denominator = scale * farDistance;
    const float lift = denominator != 0.0f ? 1.0f - m_dome->GetRadius() / denominator : 1.0f;
    m_dome->SetTranslate(eye.x, eye.y * lift, eye.z);
    m_dome->UpdateAllInstances();
    return true;
}
