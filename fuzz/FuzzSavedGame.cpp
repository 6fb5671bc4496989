// One saved game per input, read as the load screen reads it; an accepted one must write and
// read back to the same game, and its clock, weather and standings go on as a loaded game's
// would: the clock and weather run through a day's steps and stay finite, the standings are
// ranked and stored. With QR_FUZZ_LAKE_DIR naming the sample data's Lakes folder, the load's
// checks against the installation run too: the lake, its description and sectors, the boats on
// it, the season's lakes and prizes, and the player's profile (made for a name a player types).
#include "FuzzSupport.h"

#include "ByteReader.h"
#include "Clock.h"
#include "tovGameClock.h"
#include "tovInstallSettings.h"
#include "tovSaveGame.h"
#include "tovSavedGame.h"
#include "tovStandings.h"
#include "tovUserProfile.h"
#include "tovWeather.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace
{

plat::ManualClock g_time{1'000'000'000};
bool g_installed = false;

bool Finite(const tovWeather& w)
{
    for (float v : {w.GetAir(), w.GetCloud(), w.GetFog(), w.GetRain(), w.GetClarity(), w.GetWater(), w.GetWave(),
                    w.GetWind(), w.GetDirection(), w.GetBehavior()})
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::SilenceDebugOutput();
    plat::SetCurrentClock(&g_time);
    if (const char* lakes = std::getenv("QR_FUZZ_LAKE_DIR"))
    {
        const std::string data = std::filesystem::path(lakes).parent_path().string();
        SetInstallRoot(data);
        SetDiscRoot(data);
        SetInstallType(0);
        SetWritableRoot(fuzzsupport::Folder());
        CreateWritableFolders();
        g_installed = true;
    }
    return 0;
}

namespace
{

// What the load checks beyond the file, as the load screen would: the player's profile exists
// when its name is one a player can type.
void CheckAgainstInstallation(const tovSavedGame& game)
{
    std::string profilePath;
    if (tovUserProfile::IsTypedName(game.profileName))
    {
        tovUserProfile profile;
        profile.SetDefaults(false);
        profile.SetName(game.profileName.c_str(), false);
        if (SaveUserProfile(profile))
            profilePath = ProfileFilePath(game.profileName.c_str());
    }
    tovSaveGame::CheckApplicable(game);
    if (!profilePath.empty())
        std::remove(profilePath.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tovSavedGame game;
    if (game.Read(data, size) != tovSavedGame::ReadResult::kOk)
        return 0;
    const std::vector<uint8_t> bytes = game.Write();
    tovSavedGame again;
    if (again.Read(bytes.data(), bytes.size()) != tovSavedGame::ReadResult::kOk || !(again == game) ||
        again.Write() != bytes)
        std::abort();

    if (g_installed)
        CheckAgainstInstallation(game);

    // The clock of the last record, as a load leaves it.
    plat::ByteReader clockIn(game.anglers.back().clock.data(), game.anglers.back().clock.size());
    if (!TheGameClock().Load(clockIn))
        std::abort();
    QrPointer<tovWeather> weather(new tovWeather());
    if (weather->SetState(game.weather))
        weather->ResumeAt(TheGameClock().GetTimeOfDay());
    for (int step = 0; step < 8; ++step)
    {
        g_time.AdvanceSeconds(60.0);
        TheGameClock().Update();
        weather->Update(0.0, 0.0);
        if (!Finite(*weather) || !std::isfinite(TheGameClock().GetGameTime()))
            std::abort();
    }

    tovStandings standings;
    standings.LoadBlock(game.standings.data());
    const int32_t field = tovStandings::FieldSize(game.tournamentLengthSetting, game.day);
    if (field > 0)
    {
        standings.SortRanking(field);
        standings.LocalRank(field);
        standings.LocalPrize();
        standings.Advances(field, game.tournamentLengthSetting);
    }
    std::array<uint8_t, tovStandings::kBlockSize> first{}, second{};
    standings.StoreBlock(first.data());
    tovStandings reread;
    reread.LoadBlock(first.data());
    reread.StoreBlock(second.data());
    if (first != second)
        std::abort();
    return 0;
}
