#pragma once
// Steps a list of idle objects once per call, in the order they were added. The manager does
// not own them; the application and the fishing world each own one and step it every frame.
// Objects may be added, removed or destroyed from inside a step; those added are first
// stepped by the next call.

#include <cstddef>
#include <list>

class QrObject;
class qrxIdleObject;

class qrxIdleManager
{
public:
    qrxIdleManager() = default;
    qrxIdleManager(const qrxIdleManager&) = delete;
    qrxIdleManager& operator=(const qrxIdleManager&) = delete;
    // Takes every object off the list; the objects stay alive.
    virtual ~qrxIdleManager();

    // Appends; an object added twice is stepped twice.
    void Add(qrxIdleObject* object);
    // Takes one listing of the object off (the latest); false when it is not listed.
    bool Remove(qrxIdleObject* object);
    bool Contains(const qrxIdleObject* object) const;
    size_t GetCount() const { return m_count; }

    // Steps every object with the context set for the duration of its call.
    void UpdateAll(double now, QrObject* context);
    void Update(double now) { UpdateAll(now, nullptr); }

    double GetLastTime() const { return m_lastTime; }

private:
    // Entries taken off during a step are null until the step ends.
    std::list<qrxIdleObject*> m_objects;
    size_t m_count = 0;
    int m_stepping = 0;
    // 0.0 means "never stepped": a step at time 0.0 leaves the next one a first step too.
    double m_lastTime = 0.0;
};
