#include "tovWaterFollowAction.h"

#include "tovWater.h"

#include "QrCamera.h"

QR_IMPLEMENT_RTTI(tovWaterFollowAction, QrCameraAction)

bool tovWaterFollowAction::Update(double, double)
{
    QrCamera* camera = GetCamera();
    if (m_water && camera)
        m_water->Recentre(camera->GetWorldLocation());
    return true;
}
