#include "tovShellButton.h"

#include "tovShellIFace.h"
#include "tovSoundFacade.h"

#include <utility>

tovShellButton::tovShellButton(int32_t x, int32_t y, uint32_t normalId, uint32_t highlightId, uint32_t soundId,
                               Action action)
    : m_action(std::move(action))
{
    m_left = x;
    m_top = y;
    QrPointer<QrImage> normal = tovShellIFace::Picture(normalId);
    QrPointer<QrImage> highlight = tovShellIFace::Picture(highlightId);
    // The first picture shows while idle, not only under the pointer: the generated backgrounds
    // hold no buttons.
    SetPicture(kNormal, normal.Get());
    SetPicture(kHighlight, highlight.Get());
    SetPicture(kPressed, highlight.Get());
    FitTo(normal.Get());
    m_clickSound = tovSoundFacade::FindSound(tovShellIFace::MainPack(), soundId);
}

void tovShellButton::SetTogglePictures(uint32_t normalId, uint32_t highlightId, uint32_t selectedHighlightId,
                                       uint32_t selectedId)
{
    QrPointer<QrImage> normal = tovShellIFace::Picture(normalId);
    QrPointer<QrImage> highlight = tovShellIFace::Picture(highlightId);
    SetPicture(kNormal, normal.Get());
    SetPicture(kHighlight, highlight.Get());
    SetPicture(kPressed, highlight.Get());
    SetPicture(kSelectedHighlight, tovShellIFace::Picture(selectedHighlightId).Get());
    SetPicture(kSelected, tovShellIFace::Picture(selectedId).Get());
    m_toggle = 1;
    FitTo(normal.Get());
}

void tovShellButton::SetDisabledPicture(uint32_t id)
{
    SetPicture(kDisabled, tovShellIFace::Picture(id).Get());
}

void tovShellButton::FitTo(const QrImage* image)
{
    int32_t width = 0;
    int32_t height = 0;
    tovShellIFace::PictureSize(image, width, height);
    SetRect(m_left, m_top, m_left + width, m_top + height);
}

bool tovShellButton::OnClick(int32_t, int32_t, uintptr_t)
{
    if (m_action)
        m_action();
    return true;
}
