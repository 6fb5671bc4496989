// One player profile file per input, loaded as the start-up loads the last player's; an
// accepted profile is saved and must read back to the same bytes.
#include "FuzzSupport.h"

#include "ByteWriter.h"
#include "MemoryConfigStore.h"
#include "qrxRegistry.h"
#include "tovInstallSettings.h"
#include "tovUserProfile.h"

namespace
{

plat::MemoryConfigStore g_store;

std::vector<uint8_t> Body(const tovUserProfile& profile)
{
    plat::ByteWriter out;
    profile.WriteBody(out);
    return out.Take();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::SilenceDebugOutput();
    SetSettingsStore(&g_store);
    SetWritableRoot(fuzzsupport::Folder());
    CreateWritableFolders();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::WriteInput("Users/Angler.wuo", data, size);
    tovUserProfile profile;
    profile.SetName("Angler", false);
    if (LoadUserProfile(profile) != tovProfileLoad::kLoaded)
        return 0;
    if (std::string(profile.GetName()) != "Angler")
        std::abort();
    if (!SaveUserProfile(profile))
        fuzzsupport::WriteFailed(fuzzsupport::Folder() + "/Users/Angler.wuo");
    tovUserProfile again;
    again.SetName("Angler", false);
    if (LoadUserProfile(again) != tovProfileLoad::kLoaded || Body(again) != Body(profile))
        std::abort();
    return 0;
}
