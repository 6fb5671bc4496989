// One saved game per input, read as the load screen reads it; an accepted one must write and
// read back to the same game, and its clock, weather and standings go on as a loaded game's
// would: the clock and weather run through a day's steps and stay finite, the standings are
// ranked and stored.
#include "FuzzSupport.h"

#include "ByteReader.h"
#include "Clock.h"
#include "tovGameClock.h"
#include "tovSavedGame.h"
#include "tovStandings.h"
#include "tovWeather.h"

#include <cmath>

namespace
{

plat::ManualClock g_time{1'000'000'000};

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
    return 0;
}

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
