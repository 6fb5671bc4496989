#pragma once
// The fishing world as the fish and the anglers see it: the lake's shape and cover, the
// weather and the lake-map conversions. The fishing mode implements it over the real lake;
// tests implement it over a synthetic one.

#include "QrPoint3.h"

#include <cstdint>

class tovWeather;

class tovAnglingWorld
{
public:
    virtual ~tovAnglingWorld() = default;

    // Height of the lake bottom (or dry ground) under the point's x/z.
    virtual float GroundHeight(const QrPoint3& world) const = 0;
    // Height of the water surface; depth is WaterHeight() - GroundHeight().
    virtual float WaterHeight() const = 0;
    // Whether the point's x/z lies on the lake's water.
    virtual bool IsOnLake(const QrPoint3& world) const = 0;
    // Vegetation density at the point: 0, 1/3, 2/3 or 1.
    virtual float GetPopulationDensity(const QrPoint3& world) const = 0;
    // The densities of the 2x2 cell neighbourhood of the point.
    virtual void QueryPopulation(const QrPoint3& world, float& a, float& b, float& c, float& d) const = 0;
    // Null when the world has no weather.
    virtual const tovWeather* GetWeather() const = 0;
    // World x/z to lake-map x/z and back; y is unchanged.
    virtual QrPoint3 WorldToMap(const QrPoint3& world) const = 0;
    virtual QrPoint3 MapToWorld(const QrPoint3& map) const = 0;
    // Lake share of a species (third value of its species-table entry); 0 when absent.
    virtual float GetSpeciesShare(int32_t species) const = 0;
    // The species' two size bounds on this lake.
    virtual void GetSpeciesBounds(int32_t species, float& bound1, float& bound2) const = 0;
    // Computer-player start location i (0..3), world x/z and heading in degrees.
    virtual void GetBotLocation(int32_t i, double& x, double& z, double& heading) const = 0;
};
