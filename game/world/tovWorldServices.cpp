#include "tovWorldServices.h"

namespace
{
tovWorldServices* g_services = nullptr;
} // namespace

void SetWorldServices(tovWorldServices* services)
{
    g_services = services;
}

tovWorldServices* GetWorldServices()
{
    return g_services;
}
