#pragma once
// A node that turns toward the camera each time it is drawn and re-runs its children's world
// update with that orientation; the flat cut-out objects derive from it. Its bound is centred
// on the node and large enough for the subtree in any orientation.

#include "QrMatrix3.h"
#include "QrNode.h"
#include "QrPoint3.h"

#include <cstdint>

class QrBillboardNode : public QrNode
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    enum : uint32_t
    {
        // Faces the camera's view plane and stays upright.
        kFaceViewPlane = 0,
        // Turns about its own y axis toward the camera's position.
        kTurnAboutUp = 1,
        // Takes the camera's right, up and direction axes (screen aligned).
        kAlignToScreen = 2,
    };

    // What the orientation reads of the camera, all in world space.
    struct CameraFrame
    {
        QrPoint3 m_location;
        // Stored transposed: its rows are the camera's world x, y and z axes.
        QrMatrix3 m_rotation;
        QrPoint3 m_direction;
        QrPoint3 m_up;
        QrPoint3 m_right;
    };

    QrBillboardNode();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    QrPointer<QrAVObject> CreateClone() override;
    // The node's push, then the turn toward the camera (the display push comes here too).
    void PushState(QrCamera* camera, QrAVInstance* instance) override;
    using QrNode::UpdateWorldBound;
    bool UpdateWorldBound() override;

    uint32_t GetMode() const { return m_mode; }
    void SetMode(uint32_t mode) { m_mode = mode; }

    // Sets the instance's world data to the ordinary world data turned toward the camera, then
    // updates the children with it.
    void FaceCamera(const CameraFrame& camera, QrAVInstance* instance);

protected:
    ~QrBillboardNode() override;

    void CopyMembers(QrBillboardNode* clone);

    uint32_t m_mode = kTurnAboutUp;
};
