#include "qrxIdleObject.h"

#include "qrxIdleManager.h"

qrxIdleObject::~qrxIdleObject()
{
    while (!m_managers.empty())
        m_managers.back()->Remove(this);
}
