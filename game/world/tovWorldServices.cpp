#include "tovWorldServices.h"

#include "tovBoatProbe.h"

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

std::unique_ptr<tovBoatProbe> tovWorldServices::CreateBoatProbe()
{
    return nullptr;
}
