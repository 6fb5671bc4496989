#pragma once
// The creation block the game fills to make a renderer: where it draws, in which mode, and
// with which options. Read once by the creation and then forgotten; the images are borrowed.

#include <cstdint>

class QrImage;

namespace plat
{
class WindowBackend;
}

struct QrRenderCreateParams
{
    enum : uint32_t
    {
        kFlagZBuffer = 0x1,
        kFlagPreferHardware = 0x2,
        kFlagFullScreen8Bit = 0x4,
        // 0x8: the game passes it; nothing reads it.
        // Texture formats: a palettised one alone when there is one; palettised only as a last resort.
        kFlagTexturePalettisedOnly = 0x10,
        kFlagTexturePalettisedLast = 0x20,
        kFlagNoDriverEnumeration = 0x40,
        kFlagTripleBuffer = 0x80,
        // Skips the multitexture trials and keeps one texture memory.
        kFlagNoMultitextureTrials = 0x100,
    };

    enum : uint32_t
    {
        kModeWindowed = 0,
        kModeFullScreen = 1,
        kModeOffscreen = 2,
    };

    // Must be set in windowed mode.
    plat::WindowBackend* window = nullptr;
    // Read only for palettised display modes; null keeps the system palette.
    const char* paletteFile = nullptr;
    uint32_t flags = 0;
    // Full-screen and off-screen modes; a window draws at its client size.
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t mode = kModeWindowed;
    // Renderer images to draw into instead of surfaces of the renderer's own.
    QrImage* frontImage = nullptr;
    QrImage* backImage = nullptr;
};
