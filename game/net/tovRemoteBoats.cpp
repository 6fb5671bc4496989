#include "tovRemoteBoats.h"

#include "tovDirectPlay.h"
#include "tovRemoteRig.h"

#include "tovBoat.h"
#include "tovBoatState.h"
#include "tovFishingWorld.h"
#include "tovNetFacade.h"
#include "tovPlayerState.h"
#include "tovWeather.h"
#include "tovWeatherRecord.h"
#include "tovWorldServices.h"

#include "ByteReader.h"
#include "ByteWriter.h"
#include "DebugOutput.h"

#include <algorithm>

void tovRemoteBoats::Install(tovDirectPlay& session)
{
    session.SetRigFactory([this](int32_t slot, const tovPlayerState& state, bool lowDetail)
                          { return Create(slot, state, lowDetail); });
    session.SetRigRemover([this](tovAnglerRigBase* rig) { Remove(rig); });
    session.SetAnglingWorld(&m_world);
}

void tovRemoteBoats::Uninstall(tovDirectPlay& session)
{
    session.SetRigFactory(nullptr);
    session.SetRigRemover(nullptr);
    session.SetAnglingWorld(nullptr);
    session.SetWeatherAccess(nullptr, nullptr);
}

QrPointer<tovAnglerRigBase> tovRemoteBoats::Create(int32_t slot, const tovPlayerState& state, bool lowDetail)
{
    QrPointer<tovRemoteRig> rig = tovRemoteRig::FromState(state, lowDetail);
    ApplyAnglerStateRecord(*rig, state);
    QrPointer<tovBoat> boat = rig->GetBoat();
    // The world's first non-computer boat is the player's: a remote one joins only after it.
    if (m_world.IsBuilt() && m_world.GetPlayerBoat())
    {
        m_world.AddAngler(rig.Get());
        m_world.PlaceBoatAtStart(*boat, slot);
    }
    // Through the received-record merge, which leaves out values that are not finite.
    tovBoatState record;
    boat->CaptureState(record);
    MergeReceivedBoatState(record, state);
    boat->ApplyState(record);
    return QrPointer<tovAnglerRigBase>(rig);
}

void tovRemoteBoats::Remove(tovAnglerRigBase* rig)
{
    if (auto* angler = dynamic_cast<tovAnglerRig*>(rig))
        m_world.RemoveAngler(angler);
}

std::vector<tovRemoteBoats::Sighting> tovRemoteBoats::Sightings(const tovFishingWorld& world)
{
    std::vector<Sighting> seen;
    if (!world.IsBuilt())
        return seen;
    for (const QrPointer<tovAnglerRig>& rig : world.GetAnglers())
    {
        QrPointer<tovBoat> boat = rig->GetBoat();
        const int32_t slot = boat ? NetFindRigSlotB(boat.Get()) : -1;
        if (slot < 0)
            continue;
        const QrPoint3 map = world.WorldToMap(boat->GetPosition());
        seen.push_back({slot, map.x, map.z});
    }
    return seen;
}

void JoinSessionWeather(tovDirectPlay& session, tovWorldServices& world)
{
    using Block = std::array<uint8_t, tovNetworkPlay::GAMEPARAMS::kWeatherBytes>;
    session.SetWeatherAccess(
        [&world](Block& out)
        {
            tovWeather* weather = world.GetWeather();
            if (weather == nullptr)
                return false;
            weather->CaptureGenerator();
            tovWeatherRecord record;
            weather->GetState(record);
            plat::ByteWriter bytes;
            record.WriteNetwork(bytes);
            std::copy_n(bytes.Buffer().begin(), std::min(bytes.Size(), out.size()), out.begin());
            return true;
        },
        [&world](const Block& in)
        {
            tovWeather* weather = world.GetWeather();
            if (weather == nullptr)
                return;
            plat::ByteReader bytes(in.data(), in.size());
            tovWeatherRecord record;
            if (!record.ReadNetwork(bytes) || !weather->SetState(record))
                plat::DebugOutput("the host's weather was refused; this player's own weather goes on");
        });
}
