#include "tovStateDigest.h"

#include "tovApp.h"

#include "tovBoat.h"
#include "tovFishingHooks.h"
#include "tovFishingWorld.h"

#include "tovGameClock.h"
#include "tovGameSession.h"
#include "tovLakeCatalogue.h"
#include "tovNetFacade.h"
#include "tovRemoteBoats.h"
#include "tovUserProfile.h"

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
}

// Network play: whether a session is open, this copy's part in it and its players by slot.
void NetLines(std::ostringstream& out)
{
    if (!IsNetworkGame())
    {
        out << "net none\n";
        return;
    }
    out << "net.host " << (IsNetworkHost() ? 1 : 0) << "\n";
    out << "net.slot " << NetGetLocalSlot() << "\n";
    int32_t players = 0;
    std::ostringstream names;
    for (int32_t slot = 0; slot < tovNetworkPlay::kMaxPlayers; ++slot)
    {
        char name[64] = {};
        if (!NetGetPlayerName(slot, name, sizeof name))
            continue;
        ++players;
        names << "net.player " << slot << " " << name << "\n";
    }
    out << "net.players " << players << "\n" << names.str();
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
    NetLines(out);
    BoatLines(out);
    return out.str();
}
