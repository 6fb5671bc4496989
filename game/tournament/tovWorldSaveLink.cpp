#include "tovWorldSaveLink.h"

#include "tovFishingWorld.h"

#include "tovAngler.h"
#include "tovAnglerRig.h"
#include "tovBoat.h"
#include "tovGameClock.h"
#include "tovLake.h"
#include "tovWeather.h"

#include "DebugOutput.h"

// The saved game's ranges are those of the parts that take its values.
static_assert(tovSavedGame::kLooks == tovAngler::kColourChoices);
static_assert(tovSavedGame::kPaintSchemes == tovBoat::kPaintSchemeCount);
static_assert(tovSavedGame::kMaxTerrainSector + 1 == tovLakeDesc::kMaxSectors);

tovFishingWorld* tovWorldSaveLink::BuiltWorld() const
{
    return m_world.IsBuilt() ? &m_world : nullptr;
}

int32_t tovWorldSaveLink::GetTerrainSector()
{
    tovFishingWorld* world = BuiltWorld();
    return world && world->GetLake() ? world->GetLake()->GetCurrentSector() : -1;
}

tovWeatherRecord tovWorldSaveLink::GetWeather()
{
    tovWeatherRecord record;
    if (tovFishingWorld* world = BuiltWorld())
        if (const tovWeather* weather = world->GetWeather())
            weather->GetState(record);
    return record;
}

void tovWorldSaveLink::KeepTerrainError()
{
    m_keptError = GetTerrainSector() >= 0 ? m_world.GetTerrainError() : -1.0f;
}

void tovWorldSaveLink::RestoreWorld(int32_t sector, const tovWeatherRecord& record)
{
    tovFishingWorld* world = BuiltWorld();
    if (!world)
        return;
    // No anglers are in the world yet: the switch moves nothing but the free camera.
    if (sector >= 0)
        world->SwitchSector(sector);
    if (m_keptError >= 0.0f && GetTerrainSector() >= 0)
        world->SetTerrainError(m_keptError);
    tovWeather* weather = world->GetWeather();
    if (!weather)
        return;
    if (weather->SetState(record))
        weather->ResumeAt(TheGameClock().GetTimeOfDay());
    else
        plat::DebugOutput("the saved weather was refused; the day's own weather goes on");
}

void tovWorldSaveLink::GetAngler(tovAnglerRigBase& base, tovSavedGame::Angler& out)
{
    auto* rig = dynamic_cast<tovAnglerRig*>(&base);
    if (!rig)
        return;
    out.id = rig->GetId();
    out.gender = rig->GetGender();
    out.look = rig->GetLook();
    out.colour1 = rig->GetColour1();
    out.colour2 = rig->GetColour2();
    out.paintScheme = rig->GetPaintScheme();
    if (QrPointer<tovBoat> boat = rig->GetBoat())
    {
        const QrPoint3 at = boat->GetPosition();
        out.position = {at.x, at.y, at.z};
        const QrMatrix3 r = boat->GetRotation();
        for (size_t row = 0; row < 3; ++row)
            for (size_t col = 0; col < 3; ++col)
                out.rotation[row * 3 + col] = r.m[row][col];
    }
    rig->CopyLivewellOut(out.livewell.data());
}

void tovWorldSaveLink::RestoreAngler(tovAnglerRigBase& base, const tovSavedGame::Angler& in)
{
    auto* rig = dynamic_cast<tovAnglerRig*>(&base);
    if (!rig)
        return;
    rig->SetAnglerValue(in.id);
    rig->SetAppearance(in.look, in.colour1, in.colour2);
    rig->CopyLivewellIn(in.livewell.data());
    const QrPoint3 at(in.position[0], in.position[1], in.position[2]);
    const auto& m = in.rotation;
    const QrMatrix3 rotation{m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]};
    QrPointer<tovBoat> boat = rig->GetBoat();
    if (boat)
        boat->SetPaintScheme(in.paintScheme);
    if (tovFishingWorld* world = BuiltWorld())
    {
        world->AddLoadedAngler(rig, at, rotation);
        return;
    }
    if (boat)
    {
        boat->SetPosition(at);
        boat->SetRotation(rotation);
    }
}
