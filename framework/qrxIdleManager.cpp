#include "qrxIdleManager.h"

#include "qrxIdleObject.h"

#include <algorithm>

qrxIdleManager::~qrxIdleManager()
{
    m_objects.remove(nullptr);
    while (!m_objects.empty())
        Remove(m_objects.back());
}

void qrxIdleManager::Add(qrxIdleObject* object)
{
    if (!object)
        return;
    m_objects.push_back(object);
    ++m_count;
    object->m_managers.push_back(this);
}

bool qrxIdleManager::Remove(qrxIdleObject* object)
{
    if (!object)
        return false;
    auto listed = std::find(m_objects.rbegin(), m_objects.rend(), object);
    if (listed == m_objects.rend())
        return false;
    // During a step the walk may stand on this entry: it is cleared now and erased after.
    if (m_stepping > 0)
        *listed = nullptr;
    else
        m_objects.erase(std::next(listed).base());
    --m_count;
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
    // Objects may leave or join from inside a step (an end callback releasing its owner):
    // list nodes stay put until the walk ends, and those added during it wait for the next.
    ++m_stepping;
    auto at = m_objects.begin();
    for (size_t left = m_objects.size(); left > 0; --left, ++at)
    {
        qrxIdleObject* object = *at;
        if (!object)
            continue;
        object->m_context = context;
        object->Update(now, elapsed);
        if (*at == object)
            object->m_context = nullptr;
    }
    if (--m_stepping == 0)
        m_objects.remove(nullptr);
    m_lastTime = now;
}
