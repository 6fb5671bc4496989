#pragma once
// The window of a run without a display: keeps the last presented frame in memory and
// writes it as a PNG on request. Leaves out everything a screen would show beyond that.

#include "WindowBackend.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plat
{

class HeadlessWindowBackend : public WindowBackend
{
public:
    bool Open(const WindowDesc& desc) override;
    void Close() override;
    bool IsOpen() const override { return m_open; }
    uint32_t ClientWidth() const override { return m_width; }
    uint32_t ClientHeight() const override { return m_height; }
    bool Present(const PixelView& frame) override;

    const std::string& Title() const { return m_title; }
    uint32_t PresentCount() const { return m_presentCount; }
    // The last frame as presented (its own size), RGB565 pixels row after row.
    uint32_t FrameWidth() const { return m_frameWidth; }
    uint32_t FrameHeight() const { return m_frameHeight; }
    const std::vector<uint16_t>& Frame() const { return m_frame; }
    // 8-bit RGB, each channel widened by repeating its top bits. False without a frame or
    // when the file cannot be written.
    bool WritePng(const std::string& path) const;

private:
    bool m_open = false;
    std::string m_title;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_presentCount = 0;
    uint32_t m_frameWidth = 0;
    uint32_t m_frameHeight = 0;
    std::vector<uint16_t> m_frame;
};

} // namespace plat
