#pragma once
// Runs the set-up dialog in the game window until it ends: every frame takes the window's
// messages (characters to the focused field, key presses to the view; closing the window is an
// exit), a left press and release of the mouse as a click at the pointer, then draws the
// dialog and shows the frame. The set-up runs before any screen, so nothing else draws.
// Given the main loop's pacer, each frame rests what is left of its share as the main loop's
// frames do, so that the still dialog does not keep a core busy.

#include "tovSessionDialog.h"

#include <cstdint>
#include <functional>

class qrxFramePacer;
class tovSessionDialogView;

namespace plat
{
class InputBackend;
class WindowBackend;
} // namespace plat

class tovSessionDialogRunner
{
public:
    // Shows the frame drawn so far (the display's present) and answers the milliseconds
    // since the last frame.
    using ShowFrame = std::function<uint32_t()>;

    tovSessionDialogRunner(plat::WindowBackend& window, plat::InputBackend* input, ShowFrame show,
                           qrxFramePacer* pacer = nullptr);

    // One frame; false once the dialog has ended.
    bool Frame(tovSessionDialog& dialog, tovSessionDialogView& view);
    // Frames until the dialog ends.
    tovSessionDialog::Result Run(tovSessionDialog& dialog, tovSessionDialogView& view);

private:
    plat::WindowBackend& m_window;
    plat::InputBackend* m_input;
    ShowFrame m_show;
    qrxFramePacer* m_pacer;
    bool m_wasDown = false;
};
