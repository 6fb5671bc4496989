#pragma once
// Base of the objects that change a value of a render property over time: the target
// property (a counted reference) and the timing part, driven by Update from the start.

#include "QrAnimTiming.h"
#include "QrObject.h"
#include "QrProperty.h"

class Qr3dsPropertyAnimator : public QrObject, public QrAnimTiming
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    QrProperty* GetTarget() const { return m_target.Get(); }
    void SetTarget(QrProperty* target) { m_target = target; }

protected:
    Qr3dsPropertyAnimator();
    ~Qr3dsPropertyAnimator() override;

private:
    QrPointer<QrProperty> m_target;
};
