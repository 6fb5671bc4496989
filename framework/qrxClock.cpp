#include "qrxClock.h"

#include "Clock.h"

uint32_t GetTimeMs()
{
    return plat::CurrentClock().TickMs();
}
