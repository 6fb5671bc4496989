#pragma once
// A running game for saved-game tests: a temporary user folder with two installed lakes (ids 2
// and 6, catalogue indexes 0 and 1),
// a session, rigs from a test factory and a link that keeps each rig's record, the world and
// the standings, all on a manual clock.
#include "Clock.h"
#include "DebugOutput.h"
#include "TestFiles.h"
#include "tovGameSession.h"
#include "tovSaveGameLink.h"
#include "tovSavedGame.h"
#include "tovSessionHooks.h"
#include "tovUserProfile.h"
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

class SaveGameTestRig : public tovAnglerRigBase
{
public:
    explicit SaveGameTestRig(bool local) : m_local(local) {}
    bool m_local;
};

class SaveGameTestLink : public tovSaveGameLink, public tovRigFactory, public tovFishingModeHooks
{
public:
    int32_t GetTerrainSector() override { return sector; }
    tovWeatherRecord GetWeather() override { return weather; }
    void RestoreWorld(int32_t s, const tovWeatherRecord& w) override
    {
        sector = s;
        weather = w;
    }
    void GetStandings(std::array<uint8_t, tovSavedGame::kStandingsSize>& out) override { out = standings; }
    void RestoreStandings(const std::array<uint8_t, tovSavedGame::kStandingsSize>& in) override { standings = in; }
    void GetAngler(tovAnglerRigBase& rig, tovSavedGame::Angler& out) override { out = records[&rig]; }
    void RestoreAngler(tovAnglerRigBase& rig, const tovSavedGame::Angler& in) override { records[&rig] = in; }

    QrPointer<tovAnglerRigBase> CreateLocalRig(bool) override { return new SaveGameTestRig(true); }
    QrPointer<tovAnglerRigBase> CreateComputerRig(bool) override { return new SaveGameTestRig(false); }
    void BeginGame(tovGameSession&) override { ++begun; }
    void EndGame() override { ++ended; }

    int32_t sector = 3;
    tovWeatherRecord weather;
    std::array<uint8_t, tovSavedGame::kStandingsSize> standings{};
    std::map<tovAnglerRigBase*, tovSavedGame::Angler> records;
    int begun = 0;
    int ended = 0;
};

// Installs a lake (by default 2, "Alder") in dir's Lakes folder: its pack and a description of
// four sectors side by side, 512 cells each and 0.3 world units a cell.
void InstallTestLake(const std::string& dir, int32_t id = 2, const std::string& name = "Alder");

class SaveGameFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A game of the given anglers on lake 2 with distinct values in every field; each tournament
    // length's season is at a different event of the two lakes.
    void StartGame(int32_t anglers, int32_t mode);
    // What a load may change, as the bytes a save would write, plus the hooks' counts.
    std::vector<uint8_t> Snapshot();
    std::string SaveFile(const std::string& name);

    plat::ManualClock m_time{5'000'000'000};
    plat::RecordingDebugSink m_log;
    testfiles::TempDir m_dir;
    SaveGameTestLink m_link;
    tovUserProfile m_savedProfile;
    std::unique_ptr<tovGameSession> m_session;
};
