#pragma once
// A switch node whose children are the frames of a flip-book: each draw shows the child for
// the camera's frame time, cycling through the children over the period or swinging forward
// and back. The frame is chosen for the draw in progress only; outside a draw no child is
// active.

#include "QrSwitchNode.h"

#include <cstdint>

class QrFltAnimationNode : public QrSwitchNode
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrFltAnimationNode();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    QrPointer<QrAVObject> CreateClone() override;
    // With update-active-only set there is no active frame outside a draw, so the lazy update
    // runs without one: the frame drawn next is brought up to date when it is drawn.
    void Update(QrAVInstance* instance) override;
    // Chooses the frame before the switch's push, so the lazy update reaches the frame drawn.
    void PushState(QrCamera* camera, QrAVInstance* instance) override;
    void Draw(QrCamera* camera, QrAVInstance* instance) override;
    void Display(QrCamera* camera, QrSorter* sorter, QrAVInstance* instance) override;

    // Seconds for one pass through all children.
    double GetPeriod() const { return m_period; }
    void SetPeriod(double period) { m_period = period; }
    // Non-zero: forward through the first half of the period, back through the second.
    uint8_t GetSwing() const { return m_swing; }
    void SetSwing(uint8_t swing) { m_swing = swing; }

    // Makes the child for the time active; no change without children, with a period that is
    // not positive or a time that is not finite.
    void SelectFrame(double time);

protected:
    ~QrFltAnimationNode() override;

    void CopyMembers(QrFltAnimationNode* clone);

private:
    // The time of the camera's last frame, as the frame choice takes it.
    static double FrameTimeOf(QrCamera* camera);

    double m_period = 1.0;
    uint8_t m_swing = 0;
};
