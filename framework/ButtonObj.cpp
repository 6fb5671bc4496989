#include "ButtonObj.h"

#include "tovSoundFacade.h"

#include "QrRect.h"
#include "QrRender.h"

namespace
{
bool g_buttonsActive = true;
int32_t g_clickVolume = 0;
} // namespace

ButtonObj::ButtonObj() = default;

ButtonObj::~ButtonObj() = default;

void ButtonObj::SetButtonsActive(bool on)
{
    g_buttonsActive = on;
}

bool ButtonObj::GetButtonsActive()
{
    return g_buttonsActive;
}

void ButtonObj::SetClickVolume(int32_t volume)
{
    g_clickVolume = volume;
}

bool ButtonObj::Accepts() const
{
    return !m_disabled && g_buttonsActive;
}

void ButtonObj::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    m_left = left;
    m_top = top;
    m_right = right;
    m_bottom = bottom;
}

void ButtonObj::SetPicture(Picture slot, QrImage* image)
{
    m_pictures[slot] = image;
}

bool ButtonObj::HitTest(uint32_t, int32_t x, int32_t y)
{
    return Accepts() && x >= m_left && x < m_right && y >= m_top && y < m_bottom;
}

bool ButtonObj::HitTestDown(int32_t x, int32_t y)
{
    return HitTest(0, x, y);
}

bool ButtonObj::OnClick(int32_t x, int32_t y, uintptr_t)
{
    return HitTest(0, x, y);
}

bool ButtonObj::RightHitTest(uint32_t, int32_t, int32_t)
{
    return Accepts();
}

bool ButtonObj::RightHitTestDown(int32_t, int32_t)
{
    return Accepts();
}

bool ButtonObj::OnRightClick(int32_t, int32_t)
{
    return Accepts();
}

bool ButtonObj::OnMouseMove(uint32_t, int32_t x, int32_t y)
{
    if (!Accepts())
        return false;
    if (m_leftHeld)
    {
        m_leftTracking = HitTest(0, x, y) ? 1 : 0;
        m_hover = 0;
        return true;
    }
    m_leftTracking = 0;
    m_hover = HitTest(0, x, y) ? 1 : 0;
    return false;
}

bool ButtonObj::OnLeftDown(int32_t x, int32_t y)
{
    if (!Accepts())
        return false;
    m_leftTracking = m_leftHeld = HitTestDown(x, y) ? 1 : 0;
    m_hover = 0;
    return m_leftHeld != 0;
}

bool ButtonObj::OnLeftUp(int32_t x, int32_t y)
{
    if (!Accepts())
        return false;
    if (m_leftHeld && m_leftTracking)
    {
        PlayClickSound();
        m_leftTracking = m_hover = m_leftHeld = 0;
        OnClick(x, y, m_userValue);
        return true;
    }
    m_leftTracking = m_leftHeld = 0;
    return true;
}

bool ButtonObj::OnRightMove(uint32_t, int32_t x, int32_t y)
{
    if (!Accepts() || !m_rightHeld)
        return false;
    m_rightTracking = RightHitTest(0, x, y) ? 1 : 0;
    return true;
}

bool ButtonObj::OnRightDown(int32_t x, int32_t y)
{
    if (!Accepts())
        return false;
    m_rightTracking = m_rightHeld = RightHitTestDown(x, y) ? 1 : 0;
    return m_rightHeld != 0;
}

bool ButtonObj::OnRightUp(int32_t x, int32_t y)
{
    if (!Accepts())
        return false;
    if (m_rightHeld && m_rightTracking)
        OnRightClick(x, y);
    m_rightTracking = m_rightHeld = 0;
    return true;
}

void ButtonObj::PlayClickSound()
{
    if (m_clickSound && g_soundFacade)
        g_soundFacade->Play(m_clickSound, false, g_clickVolume);
}

void ButtonObj::Click()
{
    if (!g_buttonsActive)
        return;
    OnLeftDown(m_left, m_top);
    OnLeftUp(m_left, m_top);
}

QrImage* ButtonObj::ChoosePicture() const
{
    if (m_leftTracking)
        return m_pictures[kPressed].Get();
    if (m_hover && !m_disabled)
    {
        if (m_selected && m_pictures[kSelectedHighlight])
            return m_pictures[kSelectedHighlight].Get();
        return m_pictures[kHighlight].Get();
    }
    if (m_selected)
        return m_pictures[kSelected] ? m_pictures[kSelected].Get() : m_pictures[kPressed].Get();
    return m_pictures[m_disabled ? kDisabled : kNormal].Get();
}

void ButtonObj::Draw(QrRender* renderer)
{
    QrImage* picture = ChoosePicture();
    if (!renderer || !picture)
        return;
    QrRect source;
    source.right = m_right - m_left;
    source.bottom = m_bottom - m_top;
    renderer->BlitImage(picture, &source, m_left, m_top, m_transparent);
}

void ButtonObj::RedrawIfVisible(QrRender* renderer)
{
    if (renderer && m_right > m_left && m_bottom > m_top)
        Draw(renderer);
}
