#include "tovSessionDialogRunner.h"

#include "InputBackend.h"
#include "WindowBackend.h"
#include "WindowMessage.h"
#include "qrxFramePacer.h"
#include "qrxTextEditor.h"
#include "tovSessionDialogView.h"

tovSessionDialogRunner::tovSessionDialogRunner(plat::WindowBackend& window, plat::InputBackend* input, ShowFrame show,
                                               qrxFramePacer* pacer)
    : m_window(window), m_input(input), m_show(std::move(show)), m_pacer(pacer)
{
    if (m_input)
        m_input->Acquire(plat::InputDevice::Mouse);
}

bool tovSessionDialogRunner::Frame(tovSessionDialog& dialog, tovSessionDialogView& view)
{
    if (m_pacer)
        m_pacer->StartFrame();
    plat::WindowMessage message;
    while (dialog.GetResult() == tovSessionDialog::Result::kOpen && m_window.PollMessage(message))
    {
        if (message.message == plat::kMsgQuit || message.message == plat::kMsgDestroy)
        {
            // The player closed the window: the same quiet end as a confirmed Exit.
            dialog.ClickExit();
            dialog.Answer(true);
            break;
        }
        const bool key = message.message == plat::kMsgKeyDown;
        const bool character = message.message == plat::kMsgChar;
        if (key &&
            (message.wParam == plat::kVkTab || message.wParam == plat::kVkReturn || message.wParam == plat::kVkEscape))
        {
            view.OnKey(static_cast<uint32_t>(message.wParam));
            continue;
        }
        // Return, Tab and Escape arrive as characters too: the view has had them as keys.
        if (character && (message.wParam == 13 || message.wParam == 9 || message.wParam == 27))
            continue;
        if (key || character)
            if (qrxTextEditor* field = qrxTextEditor::GetFocusedEditor())
                field->HandleMessage(message.message, message.wParam, message.lParam);
    }
    plat::MouseState mouse;
    plat::InputResult read = m_input ? m_input->ReadMouse(mouse) : plat::InputResult::NotAcquired;
    // A window that lost the focus lost the mouse with it: it is taken again once it is back.
    if (m_input && read != plat::InputResult::Ok && m_input->Acquire(plat::InputDevice::Mouse))
        read = m_input->ReadMouse(mouse);
    if (read == plat::InputResult::Ok)
    {
        const bool down = (mouse.buttons[0] & plat::kInputHeld) != 0;
        if (m_wasDown && !down && dialog.GetResult() == tovSessionDialog::Result::kOpen)
        {
            const plat::Point at = m_window.CursorPosition();
            view.OnClick(at.x, at.y);
        }
        m_wasDown = down;
    }
    view.Draw();
    const uint32_t elapsed = m_show ? m_show() : 0;
    dialog.Tick(elapsed);
    if (m_pacer)
        m_pacer->Pause();
    return dialog.GetResult() == tovSessionDialog::Result::kOpen;
}

tovSessionDialog::Result tovSessionDialogRunner::Run(tovSessionDialog& dialog, tovSessionDialogView& view)
{
    while (Frame(dialog, view))
    {
    }
    return dialog.GetResult();
}
