#pragma once
// The saved game's link to the running fishing world: the lake's current sector, the sky's
// weather, and each rig's id, looks, boat and livewell. The application installs it beside
// the fishing mode's hooks. Main thread only.
#include "tovSaveGameLink.h"

class tovFishingWorld;

class tovWorldSaveLink : public tovSaveGameLink
{
public:
    // The world is borrowed and outlives the link.
    explicit tovWorldSaveLink(tovFishingWorld& world) : m_world(world) {}

    int32_t GetTerrainSector() override;
    tovWeatherRecord GetWeather() override;
    void KeepTerrainError() override;
    void RestoreWorld(int32_t sector, const tovWeatherRecord& weather) override;
    void GetAngler(tovAnglerRigBase& rig, tovSavedGame::Angler& out) override;
    void RestoreAngler(tovAnglerRigBase& rig, const tovSavedGame::Angler& in) override;

private:
    tovFishingWorld* BuiltWorld() const;

    tovFishingWorld& m_world;
    // Negative: none kept (no sector was current), the new world keeps its own.
    float m_keptError = -1.0f;
};
