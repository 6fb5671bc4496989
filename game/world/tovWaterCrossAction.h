#pragma once
// Watches its camera's height every frame: when the camera crosses the water plane it asks the
// fishing world to switch the scene between its above- and below-water looks, and it keeps the
// fishing world's light on the camera. Runs from its camera's action list.

#include "QrCameraAction.h"

class tovWaterCrossAction : public QrCameraAction
{
    QR_DECLARE_RTTI

public:
    tovWaterCrossAction() = default;

    // Always true: the action stays on its camera's list.
    bool Update(double time, double elapsed) override;

    float GetLastHeight() const { return m_lastHeight; }

protected:
    ~tovWaterCrossAction() override = default;

private:
    // 0 counts as above water, so a camera that starts above switches nothing.
    float m_lastHeight = 0.0f;
};
