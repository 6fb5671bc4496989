#pragma once
// A synthetic lake for angling tests: a round lake of radius 10 around the origin, deepening
// toward the middle, weeds in the east half, species shares and bounds set by the test. It is
// also the boats' world while a test installs it (ScopedBoatWorld).

#include "tovAnglingWorld.h"
#include "tovWorldServices.h"

#include <array>
#include <utility>

class FakeAnglingWorld : public tovAnglingWorld, public tovWorldServices
{
public:
    // The boats' view.
    void SetUnderwater(bool) override {}
    void SetLightAPosition(const QrPoint3&) override {}
    float GroundHeight(const QrPoint3& world) override { return std::as_const(*this).GroundHeight(world); }
    bool IsOnLake(const QrPoint3& world) override { return std::as_const(*this).IsOnLake(world); }
    tovWeather* GetWeather() override { return nullptr; }

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

// Installs the world for the boats for one scope.
class ScopedBoatWorld
{
public:
    explicit ScopedBoatWorld(FakeAnglingWorld& world) { SetWorldServices(&world); }
    ~ScopedBoatWorld() { SetWorldServices(nullptr); }
    ScopedBoatWorld(const ScopedBoatWorld&) = delete;
    ScopedBoatWorld& operator=(const ScopedBoatWorld&) = delete;
};
