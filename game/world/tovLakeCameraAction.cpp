#include "tovLakeCameraAction.h"

#include "tovLake.h"

#include "QrCamera.h"

QR_IMPLEMENT_RTTI(tovLakeCameraAction, QrCameraAction)

tovLakeCameraAction::tovLakeCameraAction(tovLake* lake) : m_lake(lake) {}

bool tovLakeCameraAction::Update(double /*time*/, double /*elapsed*/)
{
    QrCamera* camera = GetCamera();
    if (!m_lake || !camera || m_lake->GetAppCulled())
        return true;
    View view{};
    const QrPoint3& location = camera->GetWorldLocation();
    view[0] = location.x;
    view[1] = location.y;
    view[2] = location.z;
    const QrMatrix3& rotation = camera->GetWorldRotation();
    for (int32_t i = 0; i < 3; ++i)
        for (int32_t k = 0; k < 3; ++k)
            view[size_t(3 + 3 * i + k)] = rotation.m[i][k];
    for (size_t k = 0; k < 6; ++k)
        view[12 + k] = camera->GetFrustum()[k];
    if (camera == m_camera && view == m_view)
        return true;
    m_camera = camera;
    m_view = view;
    m_lake->UpdateTerrainLod(camera);
    return true;
}
