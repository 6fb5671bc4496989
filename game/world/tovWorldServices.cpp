#include "tovWorldServices.h"

#include "tovBoatProbe.h"
#include "tovLake.h"

#include <algorithm>
#include <cmath>

namespace
{
tovWorldServices* g_services = nullptr;

// Cells off the map (a boat driven past its edge, a stray click) are its nearest edge cell, so
// the travel map never reads past its picture.
void KeepOnMap(const tovLake& lake, int32_t& column, int32_t& row)
{
    if (lake.GetMaskWidth() > 0)
        column = std::clamp(column, 0, lake.GetMaskWidth() - 1);
    if (lake.GetMaskHeight() > 0)
        row = std::clamp(row, 0, lake.GetMaskHeight() - 1);
}
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

bool tovWorldServices::WorldToMapCell(const QrPoint3& world, int32_t& column, int32_t& row)
{
    const tovLake* lake = GetLake();
    if (!lake)
        return false;
    lake->WorldToMapCell(world, column, row);
    KeepOnMap(*lake, column, row);
    return true;
}

bool tovWorldServices::IsInLakeExtent(const QrPoint3& world)
{
    const tovLake* lake = GetLake();
    if (!lake || lake->GetCurrentSector() < 0 || lake->GetMaskWidth() <= 0 || lake->GetMaskHeight() <= 0 ||
        !std::isfinite(world.y))
        return false;
    double x = 0.0, y = 0.0;
    lake->WorldToMap(world, x, y);
    const double span = double(lake->GetMaskWidth() + lake->GetMaskHeight()) * lake->GetCellSize();
    return x >= 0.0 && y >= 0.0 && x < lake->GetMaskWidth() && y < lake->GetMaskHeight() && std::abs(world.y) <= span;
}

bool tovWorldServices::MapCellToWorld(int32_t column, int32_t row, QrPoint3& world)
{
    const tovLake* lake = GetLake();
    if (!lake)
        return false;
    KeepOnMap(*lake, column, row);
    lake->MapCellToWorld(column, row, world);
    return true;
}
