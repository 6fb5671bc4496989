#pragma once
// A button of the shell's screens: its pictures and click sound come from the main pack by
// id, its rectangle is its first picture's size at its top-left corner, and its click runs
// the action its screen gives it.

#include "ButtonObj.h"

#include <cstdint>
#include <functional>

class tovShellButton : public ButtonObj
{
public:
    using Action = std::function<void()>;

    // The second picture is shown under the pointer and while pressed.
    tovShellButton(int32_t x, int32_t y, uint32_t normalId, uint32_t highlightId, uint32_t soundId, Action action);

    // A four-picture toggle: normal, highlight, selected highlight, selected.
    void SetTogglePictures(uint32_t normalId, uint32_t highlightId, uint32_t selectedHighlightId, uint32_t selectedId);
    // A picture shown while the button is inactive.
    void SetDisabledPicture(uint32_t id);

    bool OnClick(int32_t x, int32_t y, uintptr_t userValue) override;

private:
    void FitTo(const QrImage* image);

    Action m_action;
};
