#pragma once
// A counting semaphore with a ceiling: a release that would pass the maximum is refused and
// changes nothing, so a caller learns that its queue is full instead of losing a count.

#include "Waitable.h"

namespace plat
{

class Semaphore : public Waitable
{
public:
    Semaphore(uint32_t initial, uint32_t maximum) : m_count(initial < maximum ? initial : maximum), m_maximum(maximum)
    {
    }

    bool Release(uint32_t n = 1);
    uint32_t Count() const;

protected:
    bool TryTakeLocked() override;

private:
    uint32_t m_count;
    const uint32_t m_maximum;
};

} // namespace plat
