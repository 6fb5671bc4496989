#include "qrxIdleObject.h"

#include "qrxIdleManager.h"

qrxIdleObject::~qrxIdleObject()
{
    LeaveManagers();
}

void qrxIdleObject::LeaveManagers()
{
    while (!m_managers.empty())
        m_managers.back()->Remove(this);
}
