// One settings file (settings.ini) per input, read as the start-up reads it: the last player,
// the install type, sound, the intro, the data disc and network play. The last player must be
// one a player could have made, or the default; the path builders answer for any install type;
// and the file the start-up rewrote keeps every value through one more write, as the profile's
// save writes the last player.
#include "FuzzSupport.h"

#include "IniConfigStore.h"
#include "qrxRegistry.h"
#include "tovInstallSettings.h"
#include "tovNetFacade.h"
#include "tovRegistryKey.h"
#include "tovUserProfile.h"

#include <string>
#include <utility>
#include <vector>

namespace
{

const char* const kValues[] = {"InstPath", "Title", "LastUser", "InstType", "Sound", "SkipIntro", "RunCD", "Network"};

std::vector<std::pair<bool, std::string>> ReadAll(const plat::IniConfigStore& store)
{
    std::vector<std::pair<bool, std::string>> values;
    for (const char* name : kValues)
    {
        std::string value;
        const bool found = store.ReadValue(kTovRegistryKey, name, value);
        values.emplace_back(found, value);
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::SilenceDebugOutput();
    SetWritableRoot(fuzzsupport::Folder());
    CreateWritableFolders();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzzsupport::WriteInput("settings.ini", data, size);
    plat::IniConfigStore store(path);
    SetSettingsStore(&store);
    SetNetworkLaunch(false);
    tovUserProfile& profile = TheUserProfile();
    profile.SetDefaults(false);
    const std::string defaultName = profile.GetName();
    // The data disc is never there: the prompt's Cancel ends the start-up.
    ReadInstallSettings(fuzzsupport::Folder(), [](const char*, const char*) { return false; });

    const std::string name = profile.GetName();
    if (name != defaultName && !tovUserProfile::IsKnownName(name))
        std::abort();
    DiscDataFilePath("Main.waf");
    LakesFilePath("*.waf");
    SaveFilePath("Game.wsv");

    const std::vector<std::pair<bool, std::string>> before = ReadAll(store);
    RegWriteValue(kTovRegistryKey, "LastUser", name.c_str());
    std::vector<std::pair<bool, std::string>> after = ReadAll(store);
    if (after[2] != std::pair<bool, std::string>(true, name))
        std::abort();
    after[2] = before[2];
    if (after != before)
        std::abort();

    SetSettingsStore(nullptr);
    SetNetworkLaunch(false);
    SetInstallType(0);
    return 0;
}
