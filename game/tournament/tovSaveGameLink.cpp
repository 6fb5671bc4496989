#include "tovSaveGameLink.h"

#include "tovWeighInIFace.h"

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

static_assert(tovSavedGame::kStandingsSize == tovStandings::kBlockSize);

void tovSaveGameLink::GetStandings(std::array<uint8_t, tovSavedGame::kStandingsSize>& out)
{
    if (tovWeighInIFace* weighIn = TheWeighIn())
        weighIn->Standings().StoreBlock(out.data());
}

void tovSaveGameLink::RestoreStandings(const std::array<uint8_t, tovSavedGame::kStandingsSize>& in)
{
    if (tovWeighInIFace* weighIn = TheWeighIn())
        weighIn->Standings().LoadBlock(in.data());
}
