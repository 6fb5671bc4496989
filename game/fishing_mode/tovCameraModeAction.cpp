#include "tovCameraModeAction.h"

#include "tovCameraHeadingTracker.h"

#include "tovBoat.h"
#include "tovWorldServices.h"

#include "QrCamera.h"

#include <algorithm>
#include <cmath>

QR_IMPLEMENT_RTTI(tovCameraModeAction, QrCameraAction)

namespace
{
struct Placement
{
    // Eye and target in the boat's frame: x across, y up, z along the bow.
    QrPoint3 eye;
    QrPoint3 target;
};

// Under water an eye stays a foot over the bed and a fifth of a foot under the surface.
constexpr float kBedClearance = 0.01f;
constexpr float kSurfaceClearance = 0.002f;

// Boat units: one world unit is 100 feet.
constexpr Placement kPlacements[tovCameraModeAction::kFree] = {
    {{0.0f, 0.09f, -0.32f}, {0.0f, 0.02f, 0.3f}},       // behind and above the stern
    {{0.018f, 0.05f, -0.005f}, {0.008f, 0.005f, 0.3f}}, // the driver's eyes over the bow
    {{0.03f, -0.05f, 0.25f}, {0.0f, -0.01f, -0.05f}},   // under water ahead, back at the hull
    {{0.15f, -0.05f, 0.05f}, {0.0f, -0.04f, 0.0f}},     // under water beside the hull
    {{0.0f, 1.2f, -0.05f}, {0.0f, 0.0f, 0.0f}},         // high overhead
};

// The upright turn whose bow (third column) points along the heading, as the boat reads it.
QrMatrix3 HeadingRotation(float degrees)
{
    const float a = degrees * 0.017453292f;
    const float c = std::cos(a), s = std::sin(a);
    return QrMatrix3{c, 0.0f, -s, 0.0f, 1.0f, 0.0f, s, 0.0f, c};
}
} // namespace

bool tovCameraModeAction::Place(QrCamera& camera, const tovBoat& boat, tovWorldServices* world) const
{
    if (m_mode < 0 || m_mode >= kFree)
        return false;
    const Placement& p = kPlacements[m_mode];
    const QrMatrix3 r =
        m_mode == kChase && m_tracker ? HeadingRotation(m_tracker->GetHeading()) : boat.GetWorldRotation();
    const QrPoint3 at = boat.GetPosition();
    QrPoint3 eye = at + r * p.eye;
    const QrPoint3 target = at + r * p.target;
    if (world && p.eye.y < 0.0f)
    {
        // In shallows the fixed depth would put the eye inside the bed; the surface wins over
        // the bed where the water is too thin for both.
        const float ground = world->GroundHeight(eye);
        if (std::isfinite(ground))
            eye.y = std::max(eye.y, ground + kBedClearance);
        eye.y = std::min(eye.y, -kSurfaceClearance);
    }
    camera.SetTranslate(eye.x, eye.y, eye.z);
    camera.UpdateAllInstances();
    // Looking straight down, up is the boat's bow.
    const QrPoint3 up = m_mode == kOverhead ? r.GetColumn(2) : QrPoint3(0.0f, 1.0f, 0.0f);
    camera.LookAt(target, up);
    return true;
}

bool tovCameraModeAction::Update(double /*time*/, double /*elapsed*/)
{
    tovWorldServices* world = GetWorldServices();
    tovBoat* boat = world ? world->GetPlayerBoat() : nullptr;
    if (boat && GetCamera())
        Place(*GetCamera(), *boat, world);
    return true;
}
