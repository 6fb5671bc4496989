#pragma once
// The casting target: the key-framed ring the player aims a cast with, floating on the water
// at the aimed point, shown while aiming and hidden otherwise. The owner attaches it to the
// scene and adds it to the world's idle manager.

#include "qrxKeyFramedModel.h"

#include "QrPoint3.h"
#include "QrPointer.h"

class tovCastingTarget : public qrxKeyFramedModel
{
    QR_DECLARE_RTTI

public:
    // The model file in the data folder and the node it holds.
    static constexpr const char* kModelFile = "Angling/castTarget.qrf";
    static constexpr const char* kModelNode = "Cast Target";
    // The model is one unit across; on the lake the ring spans about six feet.
    static constexpr float kScale = 0.06f;
    // Just above the water plane, so the water never covers it.
    static constexpr float kHeight = 0.0005f;

    // Starts hidden; without its file it is an empty node.
    tovCastingTarget();

    bool HasModel() const { return m_model.Get() != nullptr; }
    // Puts the target on the water over the point (its height is ignored).
    void SetTarget(const QrPoint3& point);
    const QrPoint3& GetTarget() const { return m_target; }
    void Show(bool shown);
    bool IsShown() const { return m_shown; }

protected:
    ~tovCastingTarget() override = default;

private:
    QrPointer<QrNode> m_model;
    QrPoint3 m_target;
    bool m_shown = false;
};
