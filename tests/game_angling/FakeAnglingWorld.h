#pragma once
// A synthetic lake for angling tests: a round lake of radius 10 around the origin, deepening
// toward the middle, weeds in the east half, species shares and bounds set by the test.

#include "tovAnglingWorld.h"

#include <array>

class FakeAnglingWorld : public tovAnglingWorld
{
public:
    float GroundHeight(const QrPoint3& world) const override;
    float WaterHeight() const override { return 0.0f; }
    bool IsOnLake(const QrPoint3& world) const override;
    float GetPopulationDensity(const QrPoint3& world) const override;
    void QueryPopulation(const QrPoint3& world, float& a, float& b, float& c, float& d) const override;
    const tovWeather* GetWeather() const override { return nullptr; }
    QrPoint3 WorldToMap(const QrPoint3& world) const override;
    QrPoint3 MapToWorld(const QrPoint3& map) const override;
    float GetSpeciesShare(int32_t species) const override;
    void GetSpeciesBounds(int32_t species, float& bound1, float& bound2) const override;
    void GetBotLocation(int32_t i, double& x, double& z, double& heading) const override;

    static constexpr float kRadius = 10.0f;
    std::array<float, 17> shares{};
    std::array<float, 17> low{};
    std::array<float, 17> high{};
};
