#include "FakeAnglingWorld.h"

#include <cmath>

namespace
{
float Distance(const QrPoint3& p)
{
    return std::sqrt(p.x * p.x + p.z * p.z);
}
} // namespace

float FakeAnglingWorld::GroundHeight(const QrPoint3& world) const
{
    return -0.3f * (1.0f - Distance(world) / kRadius);
}

bool FakeAnglingWorld::IsOnLake(const QrPoint3& world) const
{
    return Distance(world) < kRadius;
}

float FakeAnglingWorld::GetPopulationDensity(const QrPoint3& world) const
{
    return IsOnLake(world) && world.x > 0.0f ? 1.0f : 0.0f;
}

void FakeAnglingWorld::QueryPopulation(const QrPoint3& world, float& a, float& b, float& c, float& d) const
{
    a = b = c = d = GetPopulationDensity(world);
}

QrPoint3 FakeAnglingWorld::WorldToMap(const QrPoint3& world) const
{
    return {world.x + 100.0f, world.y, world.z + 200.0f};
}

QrPoint3 FakeAnglingWorld::MapToWorld(const QrPoint3& map) const
{
    return {map.x - 100.0f, map.y, map.z - 200.0f};
}

float FakeAnglingWorld::GetSpeciesShare(int32_t species) const
{
    return species >= 0 && species < 17 ? shares[static_cast<size_t>(species)] : 0.0f;
}

void FakeAnglingWorld::GetSpeciesBounds(int32_t species, float& bound1, float& bound2) const
{
    bound1 = species >= 0 && species < 17 ? low[static_cast<size_t>(species)] : 0.0f;
    bound2 = species >= 0 && species < 17 ? high[static_cast<size_t>(species)] : 0.0f;
}

void FakeAnglingWorld::GetBotLocation(int32_t i, double& x, double& z, double& heading) const
{
    x = -5.0 + 3.0 * i;
    z = 2.0;
    heading = 90.0 * i;
}
