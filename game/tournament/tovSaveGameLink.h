#pragma once
// What a saved game takes from and gives back to the parts of the running game that live in
// other libraries: the lake's current sector and the weather of the fishing world, the
// standings, and each angler's rig, boat and livewell. The fishing mode installs the real one;
// until then the null object keeps nothing and gives back nothing. Main thread only.
#include "tovSavedGame.h"
#include <array>
#include <cstdint>

class tovAnglerRigBase;

class tovSaveGameLink
{
public:
    virtual ~tovSaveGameLink() = default;
    // -1 when no lake world stands.
    virtual int32_t GetTerrainSector() { return -1; }
    virtual tovWeatherRecord GetWeather() { return {}; }
    // Before a load ends the running game: the world's terrain error threshold, which the
    // loaded game's world takes over.
    virtual void KeepTerrainError() {}
    // After the fishing mode began the game for the loaded lake and the clock was restored.
    virtual void RestoreWorld(int32_t /*sector*/, const tovWeatherRecord& /*weather*/) {}
    // The weigh-in's standings, when the weigh-in exists.
    virtual void GetStandings(std::array<uint8_t, tovSavedGame::kStandingsSize>& out);
    virtual void RestoreStandings(const std::array<uint8_t, tovSavedGame::kStandingsSize>& in);
    // The rig's id, appearance, boat and livewell; the clock is the caller's.
    virtual void GetAngler(tovAnglerRigBase& /*rig*/, tovSavedGame::Angler& /*out*/) {}
    virtual void RestoreAngler(tovAnglerRigBase& /*rig*/, const tovSavedGame::Angler& /*in*/) {}
};

// Borrowed; null puts the null object back.
void SetSaveGameLink(tovSaveGameLink* link);
tovSaveGameLink& GetSaveGameLink();
