#pragma once
// The fishing world as the boat tests need it: the ground from a lake or from a function, the
// boats on the water and which of them is the player's.

#include "tovWorldServices.h"

#include <functional>
#include <vector>

class tovBoat;
class tovLake;

class BoatTestWorld : public tovWorldServices
{
public:
    BoatTestWorld() { SetWorldServices(this); }
    ~BoatTestWorld() override { SetWorldServices(nullptr); }

    void SetUnderwater(bool) override {}
    void SetLightAPosition(const QrPoint3&) override {}
    float GroundHeight(const QrPoint3& world) override;
    bool IsOnLake(const QrPoint3& world) override;
    tovLake* GetLake() override { return m_lake; }
    tovBoat* GetBoat(int32_t index) override;
    tovBoat* GetPlayerBoat() override { return m_player; }

    // The lake answers unless a ground function is set.
    tovLake* m_lake = nullptr;
    std::function<float(const QrPoint3&)> m_ground;
    std::function<bool(const QrPoint3&)> m_onLake;
    std::vector<tovBoat*> m_boats;
    tovBoat* m_player = nullptr;
};
