#include "tovBackdropIFace.h"

#include "tovMessageBox.h"
#include "tovSoundSettings.h"

void tovBackdropIFace::Leave(int32_t)
{
    m_background = nullptr;
    ClearButtons();
}

void tovBackdropIFace::Exit(int32_t)
{
    m_nextScreen = 0;
    ShowAppCursor(false);
}

int32_t tovBackdropIFace::Update(float now, float elapsed)
{
    if (CanDraw())
    {
        DrawPicture(m_background.Get(), 0, 0);
        DrawButtons();
        UpdateMessageScreen(now, elapsed);
        Present();
    }
    return m_nextScreen;
}
