#include "qrxInterface.h"

#include "ButtonObj.h"
#include "qrxBaseApp.h"

namespace
{
plat::InputBackend* g_input = nullptr;
plat::WindowBackend* g_window = nullptr;
} // namespace

void qrxInterface::SetInputWindow(plat::InputBackend* input, plat::WindowBackend* window)
{
    g_input = input;
    g_window = window;
}

qrxInterface::qrxInterface()
{
    qrxKeyMapper::Connect(g_input, g_window);
    qrxMouse::Connect(g_input, g_window);
}

qrxInterface::~qrxInterface() = default;

void qrxInterface::PreUpdate(float) {}

int32_t qrxInterface::Update(float, float)
{
    qrxKeyMapper::Poll();
    qrxMouse::Poll();
    return 0;
}

void qrxInterface::HandleMouse(QrRender* renderer)
{
    const plat::Point pos = GetMousePos();
    int32_t message = kMouseMove;
    if (WasButtonPressed(0))
        message = kLeftDown;
    else if (WasButtonReleased(0))
        message = kLeftUp;
    for (auto& [id, button] : m_buttons)
        RouteMouseMessage(message, pos.x, pos.y, button.get(), renderer);
}

void qrxInterface::ClearButtons()
{
    m_buttons.clear();
}

bool qrxInterface::RouteMouseMessage(int32_t message, int32_t x, int32_t y, ButtonObj* button, QrRender* renderer)
{
    if (!button)
        return false;
    bool answer = false;
    switch (message)
    {
    case kMouseMove:
        answer = button->OnMouseMove(0, x, y);
        break;
    case kLeftDown:
        answer = button->OnLeftDown(x, y);
        if (answer)
        {
            if (m_capture & kCaptureRight)
                answer = false;
            m_capture |= kCaptureLeft;
        }
        break;
    case kLeftUp:
        answer = button->OnLeftUp(x, y);
        if (answer)
            m_capture &= ~kCaptureLeft;
        break;
    case kRightDown:
        answer = button->OnRightDown(x, y);
        if (answer)
        {
            if (m_capture & kCaptureLeft)
                answer = false;
            m_capture |= kCaptureRight;
        }
        break;
    case kRightUp:
        answer = button->OnRightUp(x, y);
        if (answer)
            m_capture &= ~kCaptureRight;
        break;
    default:
        break;
    }
    button->Draw(renderer);
    return answer;
}

bool qrxInterface::OnEditorMessage(uint32_t, uintptr_t, intptr_t)
{
    return false;
}

bool qrxInterface::OnPaint(uint32_t, uintptr_t, intptr_t)
{
    return false;
}

bool qrxInterface::AllowsEscape()
{
    return true;
}

bool qrxInterface::KeepsEscape() const
{
    return false;
}

void qrxInterface::Activate()
{
    m_active = 1;
}

void qrxInterface::Deactivate()
{
    m_active = 0;
}

bool qrxInterface::AddButton(ButtonObj* button, int32_t id)
{
    auto found = m_buttons.find(id);
    if (!button || (found != m_buttons.end() && found->second))
        return false;
    m_buttons[id].reset(button);
    return true;
}

ButtonObj* qrxInterface::GetButton(int32_t id) const
{
    auto found = m_buttons.find(id);
    return found == m_buttons.end() ? nullptr : found->second.get();
}

plat::Point qrxInterface::GetMousePos() const
{
    return GetCursorPoint();
}
