#pragma once
// An action that also answers events passed on by a QrUser. The meaning of the three event
// arguments lies with each concrete user action.

#include "QrAction.h"

class QrUserAction : public QrAction
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // True when the action handled the event.
    virtual bool HandleEvent(uint32_t eventId, uint32_t a, uint32_t b, uint32_t c) = 0;

protected:
    QrUserAction() = default;
    ~QrUserAction() override = default;
};
