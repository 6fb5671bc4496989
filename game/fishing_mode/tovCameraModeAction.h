#pragma once
// Places one of the fishing world's six cameras each frame after the local boat: behind it,
// in the driver's seat, under water off the bow, under water beside the hull (the fight),
// high overhead, or nowhere (the free camera keeps where it was put).

#include "QrCameraAction.h"

#include <cstdint>

class QrCamera;
class tovBoat;
class tovCameraHeadingTracker;
class tovWorldServices;

class tovCameraModeAction : public QrCameraAction
{
    QR_DECLARE_RTTI

public:
    enum Mode : int32_t
    {
        kChase = 0,
        kDriver = 1,
        kLure = 2,
        kFight = 3,
        kOverhead = 4,
        kFree = 5,
        kModeCount = 6,
    };

    explicit tovCameraModeAction(int32_t mode) : m_mode(mode) {}

    bool Update(double time, double elapsed) override;
    int32_t GetMode() const { return m_mode; }
    // Puts the camera where its mode wants it for the boat; false for the free camera. With a
    // world, an under-water eye keeps clear of the lake bed and under the surface.
    bool Place(QrCamera& camera, const tovBoat& boat, tovWorldServices* world = nullptr) const;
    // The chase camera turns with the tracker's heading instead of the hull; borrowed, null
    // lets it follow the hull. The owner clears it before the tracker goes.
    void SetHeadingTracker(const tovCameraHeadingTracker* tracker) { m_tracker = tracker; }

protected:
    ~tovCameraModeAction() override = default;

private:
    int32_t m_mode;
    const tovCameraHeadingTracker* m_tracker = nullptr;
};
