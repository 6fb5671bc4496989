#include "SaveGameFixture.h"

#include "Files.h"
#include "PackWriter.h"
#include "tovGameClock.h"
#include "tovInstallSettings.h"
#include "tovLakeCatalogue.h"
#include "tovSaveGame.h"

#include <cstring>
#include <filesystem>

void InstallTestLake(const std::string& dir, int32_t lakeId, const std::string& name)
{
    std::filesystem::create_directories(dir + "/Lakes");
    tools::PackContents contents;
    const std::string id = std::to_string(lakeId);
    const std::string description = name + ".txt";
    contents.Add({0x80000007, 72, 0, {}, std::vector<uint8_t>(id.begin(), id.end())}, {0});
    contents.Add({0x80000007, 76, 0, {}, std::vector<uint8_t>(description.begin(), description.end())}, {0});
    const std::string prizes = "2500,1500,1000,750,500";
    contents.Add({0x80000007, 81, 0, {}, std::vector<uint8_t>(prizes.begin(), prizes.end())}, {0});
    std::string error;
    ASSERT_TRUE(tools::WritePackFiles(contents, dir + "/Lakes/" + name, error)) << error;
    std::string text =
        "MIN_ELEV 580 MAX_ELEV 680 SPAN 30 RESOLUTION 1 TERRAIN_ELEV_MULT 1 TERRAIN_BASE_NAME " + name + "\n";
    for (int i = 0; i < 4; ++i)
        text += "SECTOR SECTOR_ROW 0 SECTOR_COLUMN " + std::to_string(4 * i) + " SECTOR_ORIGIN_X " +
                std::to_string(512 * i) + " SECTOR_ORIGIN_Y 0\n";
    ASSERT_TRUE(plat::WriteFile(dir + "/Lakes/" + description, text.data(), text.size()));
}

void SaveGameFixture::SetUp()
{
    plat::SetCurrentClock(&m_time);
    plat::SetDebugSink(&m_log);
    SetWritableRoot(m_dir.Path());
    CreateWritableFolders();
    SetInstallRoot(m_dir.Path());
    SetDiscRoot(m_dir.Path());
    SetInstallType(0);
    InstallTestLake(m_dir.Path());
    InstallTestLake(m_dir.Path(), 6, "Birch");
    TheLakeCatalogue().Clear();
    SetRigFactory(&m_link);
    SetFishingModeHooks(&m_link);
    SetSaveGameLink(&m_link);
    m_savedProfile = TheUserProfile();
    TheUserProfile().SetDefaults(false);
    m_session = std::make_unique<tovGameSession>();
}

void SaveGameFixture::TearDown()
{
    m_session.reset();
    TheUserProfile() = m_savedProfile;
    TheLakeCatalogue().Clear();
    SetSaveGameLink(nullptr);
    SetRigFactory(nullptr);
    SetFishingModeHooks(nullptr);
    SetWritableRoot("");
    SetInstallRoot(".");
    SetDiscRoot(".");
    plat::SetDebugSink(nullptr);
    plat::SetCurrentClock(nullptr);
}

void SaveGameFixture::StartGame(int32_t anglers, int32_t mode)
{
    tovUserProfile& profile = TheUserProfile();
    profile.SetName("Angler One", false);
    profile.SetSetting0(1);
    profile.SetSetting1(2);
    ASSERT_TRUE(SaveUserProfile(profile));
    TheLakeCatalogue().SelectLake(m_session.get(), 2);
    m_session->StartGame(mode, false);
    m_session->SetDay(2, false);
    for (int32_t i = 0; i < 4; ++i)
    {
        m_session->m_dayFlags[static_cast<size_t>(i)] = static_cast<uint8_t>(i + 1);
        m_session->m_dayValues1[static_cast<size_t>(i)] = i + 1;
        m_session->m_dayValues2[static_cast<size_t>(i)] = i;
        m_session->m_dayResults1[static_cast<size_t>(i)] = 300 + i;
        m_session->m_dayResults2[static_cast<size_t>(i)] = 4000 + i;
    }
    for (size_t i = 0; i < m_session->m_block.size(); ++i)
        m_session->m_block[i] = static_cast<int32_t>(i % 2);
    m_link.sector = 3;
    m_link.weather.generatorState = 48271;
    m_link.weather.air.value = 21.5f;
    m_link.weather.cloud.value = 0.25f;
    for (int32_t row = 0; row < tovSavedGame::kStandingsRows; ++row)
    {
        const std::string name = "Row " + std::to_string(row);
        std::memcpy(m_link.standings.data() + row * 80, name.c_str(), name.size() + 1);
        const double total = 16.0 * row;
        std::memcpy(m_link.standings.data() + 2400 + row * 8, &total, 8);
        const int32_t count = row % 7;
        std::memcpy(m_link.standings.data() + 2640 + row * 4, &count, 4);
    }
    for (int32_t i = 0; i < anglers; ++i)
    {
        QrPointer<tovAnglerRigBase> rig = new SaveGameTestRig(i == 0);
        tovSavedGame::Angler& a = m_link.records[rig.Get()];
        a.id = 100 + i;
        a.gender = i % 2;
        a.id = 100 + i;
        a.look = i % 4;
        a.colour1 = (2 * i) % 4;
        a.colour2 = (3 * i) % 4 - 1;
        a.paintScheme = i % 2 - 1;
        a.position = {1.5f * i, 0.005f, -2.0f * i};
        a.rotation = {0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 0.0f};
        const int32_t fish = i % 7;
        std::memcpy(a.livewell.data(), &fish, 4);
        for (size_t k = 4; k < a.livewell.size(); ++k)
            a.livewell[k] = static_cast<uint8_t>(k * (i + 3));
        m_session->AddAngler(rig.Get(), i == 0);
    }
    TheGameClock().SetFlags(tovGameClock::kRunning);
    m_time.AdvanceSeconds(30.0);
    TheGameClock().Update();
}

std::vector<uint8_t> SaveGameFixture::Snapshot()
{
    std::vector<uint8_t> bytes = tovSaveGame::Capture().Write();
    bytes.push_back(static_cast<uint8_t>(m_link.begun));
    bytes.push_back(static_cast<uint8_t>(m_link.ended));
    bytes.push_back(m_session->m_resumed ? 1 : 0);
    bytes.push_back(static_cast<uint8_t>(m_session->GetAnglers().size()));
    return bytes;
}

std::string SaveGameFixture::SaveFile(const std::string& name)
{
    const std::string path = m_dir.File(name);
    EXPECT_TRUE(tovSaveGame::SaveToFile(path));
    return path;
}
