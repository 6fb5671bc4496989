#include "tovSaveGameLink.h"

namespace
{
tovSaveGameLink g_nullLink;
tovSaveGameLink* g_link = nullptr;
} // namespace

void SetSaveGameLink(tovSaveGameLink* link)
{
    g_link = link;
}

tovSaveGameLink& GetSaveGameLink()
{
    return g_link != nullptr ? *g_link : g_nullLink;
}
