#pragma once
// The least the session needs of an angler rig: a counted reference. The rigs themselves live
// in a higher layer and derive from this; the session only holds and releases them.

#include <cstdint>

class tovAnglerRigBase
{
public:
    tovAnglerRigBase(const tovAnglerRigBase&) = delete;
    tovAnglerRigBase& operator=(const tovAnglerRigBase&) = delete;

    void IncRefCount() { ++m_refCount; }
    void DecRefCount()
    {
        if (--m_refCount == 0)
            delete this;
    }
    uint32_t GetRefCount() const { return m_refCount; }

protected:
    tovAnglerRigBase() = default;
    virtual ~tovAnglerRigBase() = default;

private:
    uint32_t m_refCount = 0;
};
