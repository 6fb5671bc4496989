#include "tovFishingHooks.h"

#include "tovFishingWorld.h"

#include "tovChurnApp.h"
#include "tovNetFacade.h"
#include "tovNetPhases.h"

#include "qrxAssetCache.h"
#include "tovAngler.h"
#include "tovAnglerRig.h"
#include "tovAppServices.h"
#include "tovBoat.h"
#include "tovFish.h"
#include "tovFishFactory.h"
#include "tovGameSession.h"
#include "tovLakeCatalogue.h"
#include "tovPopulationCatalogue.h"
#include "tovUserProfile.h"

#include "DebugOutput.h"

#include <string>

namespace
{
tovFishingWorld* g_world = nullptr;
} // namespace

tovFishingWorld* GetFishingWorld()
{
    return g_world;
}

tovFishingHooks::tovFishingHooks() : m_world(std::make_unique<tovFishingWorld>())
{
    g_world = m_world.get();
}

tovFishingHooks::~tovFishingHooks()
{
    m_world->Teardown();
    if (g_world == m_world.get())
        g_world = nullptr;
}

void tovFishingHooks::BeginGame(tovGameSession& session)
{
    const tovLakeValues& lake = TheLakeCatalogue().GetValues();
    m_world->SetSpecies(lake.speciesTriples);
    // Shares, depths and activities of the lake's own fish.
    m_world->SetSpeciesTables(lake.speciesTables);
    tovAppServices& app = GetAppServices();
    if (!m_world->Build(lake.descriptionPath, TheUserProfile().GetDetail(), app.GetRenderer(), app.GetAmbientSound()))
    {
        plat::DebugOutput(("the fishing world was not built: " + m_world->LastError()).c_str());
        return;
    }
    for (const QrPointer<tovAnglerRigBase>& angler : session.GetAnglers())
        if (auto* rig = dynamic_cast<tovAnglerRig*>(angler.Get()))
            m_world->AddAngler(rig);
    m_world->PlaceAnglers();
    // In a network game each player's boat starts at its own slot's start location, clear of
    // the others; alone, nothing moves.
    if (tovBoat* boat = m_world->GetPlayerBoat())
        NetFindRigSlot(boat);
}

void tovFishingHooks::EndGame()
{
    if (tovChurnApp* screen = tovChurnApp::GetInstance())
        screen->DropCastController();
    m_world->Teardown();
    NetResetPlayers(kBetweenDaysPhase);
}

bool tovFishingHooks::AllowsHelpPicture()
{
    tovChurnApp* screen = tovChurnApp::GetInstance();
    return !screen || screen->UpdateTackleButtons();
}

void tovFishingHooks::PreloadSpecies(int32_t species)
{
    // The world is out of reach while a preloaded fish is built and let go.
    tovFishingWorld* const world = g_world;
    g_world = nullptr;
    if (!PreloadFishSpecies(species))
        plat::DebugOutput(("species " + std::to_string(species) + " not preloaded").c_str());
    g_world = world;
}

void tovFishingHooks::ReleaseStatics()
{
    if (tovChurnApp* screen = tovChurnApp::GetInstance())
        screen->DropCastController();
    m_world->Teardown();
    tovBoat::ReleaseStatics();
    tovAngler::ReleaseSharedClips();
    tovFish::ReleaseModelCache();
    ClearPopulationCatalogue();
    // The day's pictures (sky, water, wakes, plants) go while the renderer still stands.
    qrxAssetCache::Get().Clear();
}

bool tovFishingHooks::IsWorldBuilt()
{
    return m_world->IsBuilt();
}

void tovFishingHooks::RestoreTerrain()
{
    m_world->RestoreTerrain();
}

void tovFishingHooks::PlaceBoatAtStart(tovBoat& boat, int32_t slot)
{
    m_world->PlaceBoatAtStart(boat, slot);
}
