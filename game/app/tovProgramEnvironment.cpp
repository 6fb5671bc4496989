#include "tovProgramEnvironment.h"

#include "tovAppOptions.h"

#include "tovInstallSettings.h"

#include "SoundManager.h"
#include "qrxBaseApp.h"
#include "qrxRegistry.h"

#include "WindowBackend.h"

#include <cstdio>

namespace
{

// Yes goes on without sound, and so does a box that cannot be shown, so that a machine with
// neither sound nor a dialog still starts; only the player's No ends the start-up.
bool AskAboutSound(plat::WindowBackend* owner, const char* title, const char* text)
{
    if (!owner)
        return true;
    const plat::MessageBoxAnswer answer =
        owner->ShowMessageBox(title, text, plat::MessageBoxButtons::YesNo, plat::MessageBoxIcon::Warning);
    // Unasked, the player still learns why the game is silent.
    if (answer == plat::MessageBoxAnswer::NotShown)
        std::fprintf(stderr, "%s: %s\n", title, text);
    return answer != plat::MessageBoxAnswer::No;
}

std::string SettingsFile(const tovAppOptions& options)
{
    if (!options.userDir.empty())
        return options.userDir + "/settings.ini";
    return plat::IniConfigStore::DefaultFolder() + "/tov/settings.ini";
}

} // namespace

tovProgramEnvironment::tovProgramEnvironment(const tovAppOptions& options)
    : m_store(std::make_unique<plat::IniConfigStore>(SettingsFile(options)))
{
    SetWritableRoot(options.userDir);
    SetSettingsStore(m_store.get());
    SetSoundInitQuestion(&AskAboutSound);
    qrxBaseApp::SetQuitFlag(false);
    m_lock.Acquire(GetWritableRoot(), kInstanceName);
}

tovProgramEnvironment::~tovProgramEnvironment()
{
    m_lock.Release();
    qrxBaseApp::SetQuitFlag(false);
    SetSoundInitQuestion(nullptr);
    SetSettingsStore(nullptr);
    SetWritableRoot({});
}
