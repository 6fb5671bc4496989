#pragma once
// Runs the lake's terrain level-of-detail update for the camera it is attached to, only when
// that camera's pose or frustum changed since the last run. The lake owns the action and
// clears it when it goes; the camera's action list holds it too.

#include "QrCameraAction.h"

#include <array>

class tovLake;

class tovLakeCameraAction : public QrCameraAction
{
    QR_DECLARE_RTTI

public:
    explicit tovLakeCameraAction(tovLake* lake);

    bool Update(double time, double elapsed) override;
    // The lake is going: later runs do nothing.
    void ClearLake() { m_lake = nullptr; }
    // The next run updates whatever the camera's values.
    void Forget() { m_camera = nullptr; }

protected:
    ~tovLakeCameraAction() override = default;

private:
    // Position, the three world axes and the frustum.
    using View = std::array<float, 18>;

    // Borrowed: the lake holds this action, so a counted reference would keep both alive.
    tovLake* m_lake;
    // Compared only, never used: a counted camera would hold itself through its action list.
    const QrCamera* m_camera = nullptr;
    View m_view{};
};
