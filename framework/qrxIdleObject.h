#pragma once
// Anything that wants one call per frame with the time. Owners add it to an idle manager
// explicitly; it leaves every manager it was added to when it is destroyed, so a manager
// never steps a dead object.

#include "QrObject.h"
#include "QrPointer.h"

#include <vector>

class qrxIdleManager;

class qrxIdleObject
{
public:
    qrxIdleObject() = default;
    qrxIdleObject(const qrxIdleObject&) = delete;
    qrxIdleObject& operator=(const qrxIdleObject&) = delete;
    virtual ~qrxIdleObject();

    // The per-frame step; elapsed is 0 on the first step of the manager.
    virtual void Update(double now, double elapsed) = 0;
    // Takes this object off every manager it was added to.
    void LeaveManagers();

    // What the stepping manager was given (the fishing world passes its camera); null
    // outside Update.
    QrObject* GetContext() const { return m_context.Get(); }

private:
    friend class qrxIdleManager;

    QrPointer<QrObject> m_context;
    // Managers this object is listed in, once per listing.
    std::vector<qrxIdleManager*> m_managers;
};
