#pragma once
// An action bound to a camera: it runs from its camera's action list (QrCamera::AttachObject),
// and the camera sets itself as the action's camera for exactly the duration of each Update.
// Outside that call the camera is null. A camera action belongs on no other list: loading one
// does not start it on the program-wide action list, and Update on that list would see no camera.

#include "QrAction.h"

class QrCamera;

class QrCameraAction : public QrAction
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // The camera running this action now; null outside its Update. Not counted: the running
    // camera holds itself and the action alive for the call.
    QrCamera* GetCamera() const { return m_camera; }
    void SetCamera(QrCamera* camera) { m_camera = camera; }

protected:
    QrCameraAction() = default;
    ~QrCameraAction() override = default;

private:
    QrCamera* m_camera = nullptr;
};
