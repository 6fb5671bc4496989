#include "tovSaveGame.h"
#include "ByteReader.h"
#include "ByteWriter.h"
#include "Files.h"
#include "tovGameClock.h"
#include "tovGameSelectIFace.h"
#include "tovGameSession.h"
#include "tovLakeCatalogue.h"
#include "tovLakeDesc.h"
#include "tovSaveGameLink.h"
#include "tovSessionHooks.h"
#include "tovUserProfile.h"
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace
{

std::array<uint8_t, tovSavedGame::kClockSize> ClockBlock()
{
    plat::ByteWriter out;
    TheGameClock().Save(out);
    std::array<uint8_t, tovSavedGame::kClockSize> block{};
    std::copy_n(out.Buffer().begin(), std::min(out.Size(), block.size()), block.begin());
    return block;
}

void RestoreClock(const std::array<uint8_t, tovSavedGame::kClockSize>& block)
{
    // Loading restamps, so the day goes on from where it was saved.
    plat::ByteReader in(block.data(), block.size());
    TheGameClock().Load(in);
}

} // namespace

tovSavedGame tovSaveGame::Capture()
{
    tovSavedGame game;
    tovSaveGameLink& link = GetSaveGameLink();
    tovGameSession* session = TheGameSession();
    tovUserProfile& profile = TheUserProfile();
    game.lakeId = TheLakeCatalogue().GetCurrentLakeId();
    game.dayLengthSetting = profile.GetSetting0(false);
    game.tournamentLengthSetting = profile.GetSetting1(false);
    game.terrainSector = link.GetTerrainSector();
    game.weather = link.GetWeather();
    game.clock = ClockBlock();
    link.GetStandings(game.standings);
    game.profileName = profile.GetName();
    if (session == nullptr)
        return game;
    game.gameNumber = session->GetGameNumber();
    // A row the game does not own (an older save's) is left out: its load plays at the skill shown.
    game.careerRow = session->IsCareerRowOwn() ? session->GetCareerRow() : -1;
    game.mode = session->GetMode();
    game.day = session->GetDay();
    game.season.running = session->m_dayFlags;
    game.season.events = session->m_dayValues1;
    game.season.completed = session->m_dayValues2;
    game.season.lakeOrder = session->m_block;
    game.season.fishWeight = session->m_dayResults1;
    game.season.winnings = session->m_dayResults2;
    QrPointer<tovAnglerRigBase> current = session->GetCurrentAngler();
    std::vector<tovAnglerRigBase*> order;
    if (current)
        order.push_back(current.Get());
    for (const QrPointer<tovAnglerRigBase>& rig : session->GetAnglers())
        if (rig.Get() != current.Get() && order.size() < tovSavedGame::kMaxOtherAnglers + 1u)
            order.push_back(rig.Get());
    for (tovAnglerRigBase* rig : order)
    {
        tovSavedGame::Angler& a = game.anglers.emplace_back();
        link.GetAngler(*rig, a);
        a.clock = game.clock;
    }
    return game;
}

bool tovSaveGame::SaveToFile(const std::string& path)
{
    const tovSavedGame game = Capture();
    // Without a player's angler there is no game: such a file could never be loaded.
    if (game.anglers.empty())
        return false;
    const std::vector<uint8_t> bytes = game.Write();
    const std::string temp = path + ".tmp" + std::to_string(getpid());
    if (!plat::WriteFile(temp, bytes.data(), bytes.size()))
    {
        std::remove(temp.c_str());
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec)
    {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

tovSaveGame::LoadResult tovSaveGame::LoadFromFile(const std::string& path)
{
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    // Nothing this program writes is larger; a larger file is not read into memory.
    if (ec || size > tovSavedGame::kMaxFileSize)
        return LoadResult::kCannotOpen;
    std::vector<uint8_t> bytes;
    if (!plat::ReadFile(path, bytes) || bytes.size() > tovSavedGame::kMaxFileSize)
        return LoadResult::kCannotOpen;
    tovSavedGame game;
    switch (game.Read(bytes.data(), bytes.size()))
    {
    case tovSavedGame::ReadResult::kOk:
        break;
    case tovSavedGame::ReadResult::kWrongVersion:
        return LoadResult::kWrongVersion;
    case tovSavedGame::ReadResult::kBadHeader:
        return LoadResult::kBadHeader;
    case tovSavedGame::ReadResult::kBadRecords:
        return LoadResult::kBadRecords;
    }
    if (const LoadResult r = CheckApplicable(game); r != LoadResult::kOk)
        return r;
    Apply(game);
    return LoadResult::kOk;
}

bool tovSaveGame::IsTypedProfileName(const std::string& name)
{
    return tovUserProfile::IsKnownName(name);
}

tovSaveGame::LoadResult tovSaveGame::CheckApplicable(const tovSavedGame& game)
{
    // A lake that is not installed would leave the previous lake under the stored positions.
    if (game.lakeId < 0 || TheLakeCatalogue().FindLakeIndex(game.lakeId) < 0)
        return LoadResult::kBadHeader;
    tovLakeDesc lake;
    std::string error;
    const std::string description = TheLakeCatalogue().FindDescriptionPath(game.lakeId);
    if (description.empty() || !lake.Load(description, error))
        return LoadResult::kBadHeader;
    // Only a season game restores its season: its next events must be installed lakes, and its
    // winnings no more than every event's four days paid at the largest prize.
    if (game.mode == tovSavedGame::kSeason)
    {
        const int64_t maxWinnings = int64_t{tovSavedGame::kSeasonLakes} * 4 * TheLakeCatalogue().FindLargestPrize();
        if (!game.season.IsValid(TheLakeCatalogue().CountLakes(0), maxWinnings))
            return LoadResult::kBadHeader;
    }
    const int32_t sectors = static_cast<int32_t>(lake.sectors.size());
    if (game.terrainSector >= sectors)
        return LoadResult::kBadHeader;
    // Boats are measured from the stored sector; with none, the lake picks one when it loads.
    for (const tovSavedGame::Angler& a : game.anglers)
    {
        bool held = false;
        for (int32_t s = 0; s < sectors && !held; ++s)
            held = (game.terrainSector < 0 || s == game.terrainSector) &&
                   lake.HoldsWorldPoint(static_cast<size_t>(s), a.position[0], a.position[2]);
        if (!held)
            return LoadResult::kBadRecords;
    }
    // The player's profile must be one the profiles screen made: the load neither creates a
    // profile nor replaces a damaged one.
    if (game.anglers.empty() || !IsTypedProfileName(game.profileName))
        return LoadResult::kBadRecords;
    const std::string profilePath = ProfileFilePath(game.profileName.c_str());
    if (profilePath.empty() || !plat::FileExists(profilePath))
        return LoadResult::kBadRecords;
    tovUserProfile probe;
    probe.SetName(game.profileName.c_str(), false);
    if (LoadUserProfile(probe) != tovProfileLoad::kLoaded)
        return LoadResult::kBadRecords;
    return LoadResult::kOk;
}

void tovSaveGame::Apply(const tovSavedGame& game)
{
    ApplyHeader(game);
    ApplyAnglers(game);
    if (tovGameSession* session = TheGameSession())
        session->m_resumed = true;
}

void tovSaveGame::ApplyHeader(const tovSavedGame& game)
{
    tovGameSession* session = TheGameSession();
    tovSaveGameLink& link = GetSaveGameLink();
    link.KeepTerrainError();
    GetFishingModeHooks().EndGame();
    if (session != nullptr && game.mode == tovSavedGame::kSeason)
    {
        session->m_dayFlags = game.season.running;
        session->m_dayValues1 = game.season.events;
        session->m_dayValues2 = game.season.completed;
        session->m_block = game.season.lakeOrder;
        session->m_dayResults1 = game.season.fishWeight;
        session->m_dayResults2 = game.season.winnings;
    }
    TheLakeCatalogue().SelectLake(session, game.lakeId);
    if (session != nullptr && game.careerRow >= 0)
    {
        // A single-player game's row is the skill it was played at; a network game plays at its
        // set-up's. The game-mode screen shows it, and would otherwise give its own on the next visit.
        const int32_t skill =
            game.careerRow == tovGameSession::kNetworkCareerRow ? tovGameSession::kNetworkSkillLevel : game.careerRow;
        if (tovGameSelectIFace* screen = tovGameSelectIFace::GetInstance())
            screen->SelectSkill(tovGameSelectIFace::kNovice + skill);
        else
            session->SetSkillLevel(skill, false);
    }
    if (session != nullptr)
    {
        session->m_resumed = true;
        // The game goes on as saved: credited in its own row, and with no cut of another game.
        session->SetSavedCareerRow(game.careerRow);
        session->SetCutFromField(false);
        session->StartGame(game.mode, false);
        session->SetGameNumber(game.gameNumber);
    }
    if (session != nullptr)
        session->SetDay(game.day, false);
    link.RestoreStandings(game.standings);
    RestoreClock(game.clock);
    // After the clock: the weather goes on from the saved time of day.
    link.RestoreWorld(game.terrainSector, game.weather);
}

void tovSaveGame::ApplyAnglers(const tovSavedGame& game)
{
    tovUserProfile& profile = TheUserProfile();
    profile.SetName(game.profileName.c_str(), false);
    LoadUserProfile(profile);
    profile.SetSetting0(game.dayLengthSetting);
    profile.SetSetting1(game.tournamentLengthSetting);
    SaveUserProfile(profile);
    tovGameSession* session = TheGameSession();
    tovRigFactory& factory = GetRigFactory();
    tovSaveGameLink& link = GetSaveGameLink();
    for (size_t i = 0; i < game.anglers.size(); ++i)
    {
        const bool local = i == 0;
        QrPointer<tovAnglerRigBase> rig = local ? factory.CreateLocalRig(profile.GetDetail() < 0.2f)
                                                : factory.CreateComputerRig(profile.GetDetail() < 0.95f);
        RestoreClock(game.anglers[i].clock);
        if (!rig)
            continue;
        link.RestoreAngler(*rig, game.anglers[i]);
        if (session != nullptr)
            session->AddAngler(rig.Get(), local);
    }
}

const char* tovSaveGame::LoadMessage(LoadResult result)
{
    switch (result)
    {
    case LoadResult::kOk:
        return "";
    case LoadResult::kWrongVersion:
        return "Incompatible file format.";
    case LoadResult::kBadHeader:
        return "Error in file header.";
    case LoadResult::kCannotOpen:
    case LoadResult::kBadRecords:
        break;
    }
    return "Cannot load file.";
}
