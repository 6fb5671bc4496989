#include "tovSessionHooks.h"

#include "tovAppServices.h"

#include "DebugOutput.h"

#include <string>

namespace
{

tovNullRigFactory g_nullFactory;
tovNullFishingModeHooks g_nullHooks;
tovRigFactory* g_factory = &g_nullFactory;
tovFishingModeHooks* g_hooks = &g_nullHooks;

} // namespace

QrPointer<tovAnglerRigBase> tovNullRigFactory::CreateLocalRig(bool /*lowDetail*/)
{
    plat::DebugOutput("no rig factory installed: no local angler");
    return nullptr;
}

QrPointer<tovAnglerRigBase> tovNullRigFactory::CreateComputerRig(bool /*lowDetail*/)
{
    plat::DebugOutput("no rig factory installed: no computer angler");
    return nullptr;
}

void tovNullFishingModeHooks::BeginGame(tovGameSession& /*session*/)
{
    plat::DebugOutput("no fishing mode installed: game not begun");
}

void tovNullFishingModeHooks::EndGame()
{
    plat::DebugOutput("no fishing mode installed: nothing to end");
}

void tovNullFishingModeHooks::PreloadSpecies(int32_t species)
{
    const std::string line = "no fishing mode installed: species " + std::to_string(species) + " not preloaded";
    plat::DebugOutput(line.c_str());
}

void SetRigFactory(tovRigFactory* factory)
{
    g_factory = factory != nullptr ? factory : &g_nullFactory;
}

tovRigFactory& GetRigFactory()
{
    return *g_factory;
}

void SetFishingModeHooks(tovFishingModeHooks* hooks)
{
    g_hooks = hooks != nullptr ? hooks : &g_nullHooks;
}

tovFishingModeHooks& GetFishingModeHooks()
{
    return *g_hooks;
}

namespace
{
tovNullAppServices g_nullApp;
tovAppServices* g_app = &g_nullApp;
} // namespace

void SetAppServices(tovAppServices* services)
{
    g_app = services != nullptr ? services : &g_nullApp;
}

tovAppServices& GetAppServices()
{
    return *g_app;
}
