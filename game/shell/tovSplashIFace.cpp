#include "tovSplashIFace.h"

#include "ButtonObj.h"
#include "qrxClock.h"
#include "tovMessageBox.h"
#include "tovSoundSettings.h"

#include "KeyNumbers.h"

tovSplashIFace::tovSplashIFace(const Setup& setup) : m_setup(setup) {}

void tovSplashIFace::Prepare(int32_t)
{
    LoadGroup(m_setup.group);
}

void tovSplashIFace::Enter(int32_t previousId)
{
    m_returnScreen = previousId;
    m_nextScreen = 0;
    m_background = Picture(m_setup.picture);
    UnloadGroup(m_setup.group);
    m_starting = true;
    m_deadline = UINT32_MAX;
    if (m_setup.allowsMenuSounds)
        EnableSoundGroups1And7();
}

void tovSplashIFace::Leave(int32_t)
{
    m_background = nullptr;
}

void tovSplashIFace::Exit(int32_t)
{
    m_nextScreen = 0;
}

void tovSplashIFace::PreUpdate(float)
{
    // A key held since before the splash is no press.
    if (qrxKeyMapper::GetKeysActive() && qrxKeyMapper::WasKeyPressed(plat::kKeySpace))
        Finish();
}

int32_t tovSplashIFace::Update(float now, float elapsed)
{
    const uint32_t nowMs = GetTimeMs();
    if (m_starting)
    {
        m_starting = false;
        m_deadline = nowMs + m_setup.timeoutMs;
    }
    if (CanDraw())
    {
        DrawPicture(m_background.Get(), 0, 0);
        // The mouse belongs to a raised message box, not to the splash under it.
        const bool held = ButtonObj::GetButtonsActive() && IsButtonDown(0);
        if (held || nowMs > m_deadline)
            Finish();
        UpdateMessageScreen(now, elapsed);
        Present();
    }
    return m_nextScreen;
}

void tovSplashIFace::Finish()
{
    m_nextScreen = m_setup.nextScreen;
}
