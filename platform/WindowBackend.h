#pragma once
// The program's one window, as the display sees it: opened at start-up, shown the primary
// surface whenever that changes. A real backend and a headless one implement it; input and
// the message pump will join it as further operations of the same window.

#include "PixelView.h"

#include <cstdint>
#include <string>

namespace plat
{

struct WindowDesc
{
    std::string title;
    uint32_t width = 640;
    uint32_t height = 480;
};

class WindowBackend
{
public:
    virtual ~WindowBackend() = default;

    virtual bool Open(const WindowDesc& desc) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual uint32_t ClientWidth() const = 0;
    virtual uint32_t ClientHeight() const = 0;
    // Shows one RGB565 frame, scaled to the client area when the sizes differ. False when
    // the window is not open or the frame is not RGB565.
    virtual bool Present(const PixelView& frame) = 0;
};

} // namespace plat
