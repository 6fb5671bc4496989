#pragma once
// Keeps the water's patch block under the camera: one action shared by every camera of the
// fishing scene. The water owns it and clears the pointer when it goes, so a camera that
// outlives the water holds an action that does nothing.

#include "QrCameraAction.h"

class tovWater;

class tovWaterFollowAction : public QrCameraAction
{
    QR_DECLARE_RTTI

public:
    explicit tovWaterFollowAction(tovWater* water) : m_water(water) {}

    bool Update(double time, double elapsed) override;
    void SetWater(tovWater* water) { m_water = water; }
    tovWater* GetWater() const { return m_water; }

protected:
    ~tovWaterFollowAction() override = default;

private:
    tovWater* m_water;
};
