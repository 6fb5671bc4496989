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
    plat::DebugOutput("rigs not built yet: no local angler");
    return nullptr;
}

QrPointer<tovAnglerRigBase> tovNullRigFactory::CreateComputerRig(bool /*lowDetail*/)
{
    plat::DebugOutput("rigs not built yet: no computer angler");
    return nullptr;
}

void tovNullFishingModeHooks::BeginGame(tovGameSession& /*session*/)
{
    plat::DebugOutput("fishing mode not built yet: game not begun");
}

void tovNullFishingModeHooks::EndGame()
{
    plat::DebugOutput("fishing mode not built yet: nothing to end");
}

void tovNullFishingModeHooks::PreloadSpecies(int32_t species)
{
    const std::string line = "fish not built yet: species " + std::to_string(species) + " not preloaded";
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
