#pragma once
// Keeps a sky dome around the camera: every frame the dome takes the camera's horizontal
// position and a height scaled so that the dome's rim stays at the same place in the picture.
// Owned by its dome (and by the camera's action list while attached); it refers back to the
// dome without a count, and the dome unbinds it when it goes.

#include "QrCameraAction.h"

class qrxSkyDome;

class qrxSkyCamAction : public QrCameraAction
{
    QR_DECLARE_RTTI

public:
    explicit qrxSkyCamAction(qrxSkyDome* dome);

    // False once its dome is gone, so that the camera drops it.
    bool Update(double time, double elapsed) override;

    qrxSkyDome* GetDome() const { return m_dome; }

private:
    friend class qrxSkyDome;

    ~qrxSkyCamAction() override = default;

    qrxSkyDome* m_dome = nullptr;
};
