#pragma once
// The real window: an SDL2 window of the asked size and title, showing each presented RGB565
// frame through the window's own surface (scaled when the sizes differ). Leaves out input,
// sound and the message pump, which come with the framework.

#include "WindowBackend.h"

#include <memory>
#include <string>

namespace plat
{

class SdlWindowBackend : public WindowBackend
{
public:
    SdlWindowBackend();
    ~SdlWindowBackend() override;
    SdlWindowBackend(const SdlWindowBackend&) = delete;
    SdlWindowBackend& operator=(const SdlWindowBackend&) = delete;

    bool Open(const WindowDesc& desc) override;
    void Close() override;
    bool IsOpen() const override;
    uint32_t ClientWidth() const override;
    uint32_t ClientHeight() const override;
    bool Present(const PixelView& frame) override;

    // The reason of the last failure, from SDL.
    const std::string& LastError() const { return m_lastError; }

private:
    struct Window;
    std::unique_ptr<Window> m_window;
    std::string m_lastError;
};

} // namespace plat
