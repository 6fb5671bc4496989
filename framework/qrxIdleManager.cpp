#include "qrxIdleManager.h"

#include "qrxIdleObject.h"

#include <algorithm>

qrxIdleManager::~qrxIdleManager()
{
    while (!m_objects.empty())
        Remove(m_objects.back());
}

void qrxIdleManager::Add(qrxIdleObject* object)
{
    if (!object)
        return;
    m_objects.push_back(object);
    object->m_managers.push_back(this);
}

bool qrxIdleManager::Remove(qrxIdleObject* object)
{
    auto listed = std::find(m_objects.rbegin(), m_objects.rend(), object);
    if (listed == m_objects.rend())
        return false;
    m_objects.erase(std::next(listed).base());
    std::vector<qrxIdleManager*>& managers = object->m_managers;
    auto back = std::find(managers.rbegin(), managers.rend(), this);
    if (back != managers.rend())
        managers.erase(std::next(back).base());
    return true;
}

bool qrxIdleManager::Contains(const qrxIdleObject* object) const
{
    return std::find(m_objects.begin(), m_objects.end(), object) != m_objects.end();
}

void qrxIdleManager::UpdateAll(double now, QrObject* context)
{
    const double elapsed = m_lastTime == 0.0 ? 0.0 : now - m_lastTime;
    for (qrxIdleObject* object : m_objects)
    {
        object->m_context = context;
        object->Update(now, elapsed);
        object->m_context = nullptr;
    }
    m_lastTime = now;
}
