#include "tovWaterCrossAction.h"

#include "tovWorldServices.h"

#include "QrCamera.h"

QR_IMPLEMENT_RTTI(tovWaterCrossAction, QrCameraAction)

bool tovWaterCrossAction::Update(double /*time*/, double /*elapsed*/)
{
    tovWorldServices* world = GetWorldServices();
    QrCamera* camera = GetCamera();
    if (!world || !camera)
        return true;
    const QrPoint3 p = camera->GetWorldLocation();
    const bool below = p.y < 0.0f;
    if (below != (m_lastHeight < 0.0f))
        world->SetUnderwater(below);
    m_lastHeight = p.y;
    world->SetLightAPosition(p);
    return true;
}
