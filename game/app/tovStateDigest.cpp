#include "tovStateDigest.h"

#include "tovApp.h"
#include "tovCastController.h"
#include "tovChurnApp.h"
#include "tovFishSpecies.h"
#include "tovMessageBox.h"
#include "tovMessageIFace.h"

#include "tovBoat.h"
#include "tovFishModels.h"
#include "tovFishingHooks.h"
#include "tovFishingWorld.h"

#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovLakeCatalogue.h"
#include "tovNetFacade.h"
#include "tovNetworkPlayGameParams.h"
#include "tovRemoteBoats.h"
#include "tovUserProfile.h"

#include "ByteWriter.h"
#include "NetSession.h"
#include "tovAnglerRig.h"
#include "tovLake.h"
#include "tovStandings.h"
#include "tovWeather.h"
#include "tovWeighInIFace.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include <cstdio>
#include <sstream>

namespace
{

// Fixed decimals, so that text compares equal exactly when the values do to that precision.
std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

void SessionLines(std::ostringstream& out, const tovGameSession* session)
{
    if (!session)
    {
        out << "session none\n";
        return;
    }
    out << "session.mode " << session->GetMode() << "\n";
    out << "session.day " << session->GetDay() << "\n";
    out << "session.skill " << session->GetSkillLevel(true) << "\n";
    out << "session.anglers " << session->GetAnglers().size() << "\n";
    out << "session.day_flags";
    for (uint8_t flag : session->m_dayFlags)
        out << " " << int(flag);
    out << "\n";
    // The season of the profile's tournament length: events completed, and the season page's
    // totals, fish weight in pounds and winnings in dollars.
    const size_t s = static_cast<size_t>(std::clamp(TheUserProfile().GetSetting1(false), 0, 3));
    out << "season.events " << session->m_dayValues2[s] << "\n";
    out << "season.totals " << Fixed(session->m_dayResults1[s] / 16.0, 2) << " " << session->m_dayResults2[s] << "\n";
}

void ClockLines(std::ostringstream& out)
{
    const tovGameClock& clock = TheGameClock();
    out << "clock.running " << (clock.IsRunning() ? 1 : 0) << "\n";
    out << "clock.game_seconds " << Fixed(clock.GetGameTime(), 3) << "\n";
    out << "clock.day_length " << Fixed(clock.GetDayLength(), 1) << "\n";
    out << "clock.real_length " << Fixed(clock.GetRealLength(), 1) << "\n";
    out << "remaining_time " << RemainingTime() << "\n";
}

void ProfileLines(std::ostringstream& out)
{
    const tovUserProfile& p = TheUserProfile();
    out << "profile.name " << p.GetName() << "\n";
    out << "profile.town " << p.GetTown() << "\n";
    out << "profile.state " << p.GetState() << "\n";
    out << "profile.loaded " << (p.IsLoaded() ? 1 : 0) << "\n";
    out << "profile.gender " << p.GetGender() << "\n";
    out << "profile.looks " << p.GetLook(0) << " " << p.GetLook(1) << " " << p.GetLook(2) << "\n";
    out << "profile.settings " << p.GetSetting0(true) << " " << p.GetSetting1(true) << "\n";
    out << "profile.volumes " << Fixed(p.GetVolume1(), 3) << " " << Fixed(p.GetVolume2(), 3) << "\n";
    out << "profile.detail " << Fixed(p.GetDetail(), 3) << " " << Fixed(p.GetStoredDetail(), 3) << "\n";
    out << "profile.rod " << p.GetCurrentRod() << "\n";
    out << "profile.games_started";
    for (int32_t row = 0; row < tovUserProfile::kCareerRows; ++row)
        out << " " << p.GetCareer(row)[tovUserProfile::kGamesStarted];
    out << "\n";
    // The career row the game credits.
    const tovGameSession* session = TheGameSession();
    const int32_t row = std::clamp(session ? session->GetCareerRow() : 0, 0, tovUserProfile::kCareerRows - 1);
    const tovUserProfile::CareerRow& career = p.GetCareer(row);
    out << "profile.career";
    for (tovUserProfile::CareerWord word :
         {tovUserProfile::kGamesStarted, tovUserProfile::kFirstPlaces, tovUserProfile::kTopFives,
          tovUserProfile::kWinnings, tovUserProfile::kPlaceSum})
        out << " " << career[static_cast<size_t>(word)];
    out << "\n";
}

// A name or line that came over the network, on one digest line whatever it holds.
std::string OneLine(std::string text)
{
    plat::BlankControlBytes(text.data(), text.size());
    return text;
}

// Network play: whether a session is open, this copy's part in it and its players by slot.
void NetLines(std::ostringstream& out, const tovApp& app)
{
    if (!IsNetworkGame())
    {
        out << "net none\n";
        return;
    }
    // The lines posted to the window (joins, leaves, chat), oldest first, shown or not.
    for (const tovApp::TextLine& line : app.GetTextLines())
        out << "net.line " << OneLine(line.text) << "\n";
    out << "net.host " << (IsNetworkHost() ? 1 : 0) << "\n";
    out << "net.slot " << NetGetLocalSlot() << "\n";
    // The phase this copy says it is in: a wait at a day's start or a weigh-in moves only here.
    out << "net.phase " << NetGetLocalPhase() << "\n";
    int32_t players = 0;
    std::ostringstream names;
    std::ostringstream heard;
    for (int32_t slot = 0; slot < tovNetworkPlay::kMaxPlayers; ++slot)
    {
        char name[64] = {};
        if (!NetGetPlayerName(slot, name, sizeof name))
            continue;
        ++players;
        names << "net.player " << slot << " " << OneLine(name) << "\n";
        heard << "net.heard " << slot << " " << NetGetPlayerPhase(slot) << "\n";
    }
    out << "net.players " << players << "\n" << names.str() << heard.str();
    // The host's last parameters as this copy holds them: the phase and day it published.
    const tovNetworkPlay::GAMEPARAMS params = CopyGameParams();
    out << "net.params " << params.phase << " " << params.day << "\n";
    // Where each network player's boat is in this copy's world, on the lake map that every
    // copy shares.
    if (const tovFishingWorld* world = GetFishingWorld())
        for (const tovRemoteBoats::Sighting& boat : tovRemoteBoats::Sightings(*world))
            out << "net.boat " << boat.slot << " " << Fixed(boat.x, 3) << " " << Fixed(boat.z, 3) << "\n";
}

void LakeLines(std::ostringstream& out)
{
    const tovLakeCatalogue& lakes = TheLakeCatalogue();
    out << "lake.count " << lakes.GetEntries().size() << "\n";
    out << "lake.id " << lakes.GetCurrentLakeId() << "\n";
    out << "lake.name " << lakes.GetValues().text << "\n";
}

void BoatLines(std::ostringstream& out)
{
    tovFishingWorld* world = GetFishingWorld();
    tovBoat* boat = world && world->IsBuilt() ? world->GetPlayerBoat() : nullptr;
    if (!boat)
    {
        out << "boat none\n";
        return;
    }
    const QrPoint3 at = boat->GetPosition();
    out << "boat.position " << Fixed(at.x, 4) << " " << Fixed(at.y, 4) << " " << Fixed(at.z, 4) << "\n";
    out << "boat.heading " << Fixed(boat->GetHeadingDegrees(), 2) << "\n";
    out << "boat.rpm " << Fixed(boat->GetRpm(), 0) << "\n";
    out << "camera.mode " << world->GetCameraMode() << "\n";
}

// The day's fish on the lake, counted by species 0 to 16.
void FishLines(std::ostringstream& out)
{
    tovFishingWorld* world = GetFishingWorld();
    tovFishModels* models = world && world->IsBuilt() ? world->GetFish() : nullptr;
    if (!models)
        return;
    const tovFishPopulation& population = models->GetPopulation();
    std::array<int32_t, kSpeciesCount> counts{};
    for (int32_t i = 0; i < population.GetCount(); ++i)
    {
        const int32_t species = population.GetFish(i).species;
        if (species >= 0 && species < kSpeciesCount)
            ++counts[static_cast<size_t>(species)];
    }
    out << "fish.species";
    for (int32_t count : counts)
        out << " " << count;
    out << "\n";
}

// The day's fishing: the rod's phase, the last fight's end, the livewell place by place and
// the text of a raised message box.
void CatchLines(std::ostringstream& out, const tovApp& app)
{
    const tovChurnApp* fishing = tovChurnApp::GetInstance();
    const tovCastController* cast = fishing ? fishing->GetCastController() : nullptr;
    if (cast)
        out << "cast.phase " << cast->GetPhase() << "\n"
            << "cast.strike " << (cast->HasStrike() ? 1 : 0) << "\n"
            << "cast.outcome " << cast->GetLastOutcome() << "\n";
    const tovGameSession* session = app.GetSession();
    const auto* rig = session ? dynamic_cast<const tovAnglerRig*>(session->GetCurrentAngler().Get()) : nullptr;
    if (rig)
    {
        const tovLivewell& livewell = rig->GetLivewell();
        out << "livewell.count " << livewell.count << "\n";
        for (int32_t place = 0; place < tovLivewell::kPlaceCount; ++place)
        {
            const tovLivewellFish& fish = livewell.places[static_cast<size_t>(place)];
            if (fish.inUse)
                out << "livewell.fish " << place << " " << fish.species << " " << fish.weightOunces << " "
                    << fish.lengthInches << " " << GetFishSpeciesName(fish.species) << "\n";
        }
    }
    const auto* box = dynamic_cast<const tovMessageIFace*>(app.GetInterface(kMessageScreenId));
    if (box && app.IsMessageBoxUp())
        out << "message_box.text " << box->GetText() << "\n";
}

// Stands for blocks too long for a line (FNV-1a).
uint64_t Fnv(const uint8_t* data, size_t size)
{
    uint64_t hash = 1469598103934665603ull;
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 1099511628211ull;
    return hash;
}

// What a saved game holds and a load must give back: the lake's sector, the weather, the
// standings, the season and every angler's looks, livewell and boat on the water.
void SavedGameLines(std::ostringstream& out, const tovGameSession* session)
{
    tovFishingWorld* world = GetFishingWorld();
    const bool built = world && world->IsBuilt();
    out << "save.sector " << (built && world->GetLake() ? world->GetLake()->GetCurrentSector() : -1) << "\n";
    if (const tovWeather* weather = built ? world->GetWeather() : nullptr)
    {
        tovWeatherRecord record;
        weather->GetState(record);
        plat::ByteWriter bytes;
        record.Write(bytes);
        out << "save.weather " << record.generatorState << " " << Fixed(record.air.value, 3) << " "
            << Fixed(record.cloud.value, 3) << " " << Fixed(record.fog.value, 3) << " " << std::hex
            << Fnv(bytes.Buffer().data(), bytes.Size()) << std::dec << "\n";
    }
    if (tovWeighInIFace* weighIn = TheWeighIn())
    {
        // The weigh-in's results stand: the day's board, or the final's after the ceremony.
        const tovWeighInIFace::Ceremony& ceremony = weighIn->GetCeremony();
        out << "weigh_in.results " << (ceremony.dayResultsShown || ceremony.ceremonyOver ? 1 : 0) << "\n";
        // The ceremony waits for the local player's click (called to the scale, or to go on).
        out << "weigh_in.call " << (ceremony.callPending || ceremony.waitForClick ? 1 : 0) << "\n";
        // Heaviest first, then by name: every copy of a network game lists its own player in
        // row 0, so the rows themselves differ from copy to copy.
        const tovStandings& standings = weighIn->Standings();
        std::vector<int32_t> rows;
        for (int32_t row = 0; row < tovStandings::kSlots; ++row)
            if (standings.GetName(row)[0] != 0)
                rows.push_back(row);
        std::sort(rows.begin(), rows.end(),
                  [&](int32_t a, int32_t b)
                  {
                      const double ta = standings.m_totals[size_t(a)], tb = standings.m_totals[size_t(b)];
                      return ta != tb ? ta > tb : std::strcmp(standings.GetName(a), standings.GetName(b)) < 0;
                  });
        for (int32_t row : rows)
            out << "save.standing " << Fixed(standings.m_totals[size_t(row)], 2) << " "
                << standings.m_fishCounts[size_t(row)] << " " << standings.GetName(row) << "\n";
    }
    if (!session)
        return;
    out << "save.season";
    for (int32_t v : session->m_dayValues1)
        out << " " << v;
    for (int32_t v : session->m_dayResults1)
        out << " " << v;
    for (int32_t v : session->m_dayResults2)
        out << " " << v;
    out << " " << std::hex << Fnv(reinterpret_cast<const uint8_t*>(session->m_block.data()), sizeof session->m_block)
        << std::dec << "\n";
    int32_t index = 0;
    for (const QrPointer<tovAnglerRigBase>& base : session->GetAnglers())
    {
        const auto* rig = dynamic_cast<const tovAnglerRig*>(base.Get());
        if (!rig)
            continue;
        std::array<uint8_t, tovLivewell::kByteSize> livewell{};
        rig->CopyLivewellOut(livewell.data());
        out << "save.angler " << index++ << " " << rig->GetId() << " " << rig->GetLook() << " " << rig->GetColour1()
            << " " << rig->GetColour2() << " " << rig->GetLivewellCount() << " " << std::hex
            << Fnv(livewell.data(), livewell.size()) << std::dec;
        if (QrPointer<tovBoat> boat = rig->GetBoat())
        {
            const QrPoint3 at = boat->GetPosition();
            out << " " << Fixed(at.x, 4) << " " << Fixed(at.z, 4) << " " << Fixed(boat->GetHeadingDegrees(), 2);
        }
        out << "\n";
    }
}

} // namespace

std::string MakeStateDigest(const tovApp& app)
{
    std::ostringstream out;
    out << "screen " << app.GetCurrentScreenId() << "\n";
    out << "message_box " << (app.IsMessageBoxUp() ? 1 : 0) << "\n";
    SessionLines(out, app.GetSession());
    ClockLines(out);
    ProfileLines(out);
    LakeLines(out);
    NetLines(out, app);
    BoatLines(out);
    FishLines(out);
    CatchLines(out, app);
    SavedGameLines(out, app.GetSession());
    return out.str();
}

bool DigestHasLine(const std::string& digest, const std::string& line)
{
    const bool prefix = !line.empty() && line.back() == '*';
    // Built by appending: GCC 12 takes "\n" + a temporary string for an overlapping copy.
    std::string wanted = "\n";
    wanted.append(line, 0, prefix ? line.size() - 1 : line.size());
    if (!prefix)
        wanted += '\n';
    std::string text = "\n";
    text += digest;
    return text.find(wanted) != std::string::npos;
}
