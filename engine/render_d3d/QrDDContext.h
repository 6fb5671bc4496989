#pragma once
// The display half of a renderer, owned by its device: finds or makes the display object,
// checks it can do 3D, sets the cooperative level and (full screen) the mode, makes the front,
// back and depth surfaces and the clipper, wraps front and back as renderer images, presents
// each frame (a blit in a window, a flip in full screen) and restores lost surfaces.
// What all renderers of the process share (the render window, the primary surface and its
// image, the cooperative level) lives in program-wide slots here.

#include "CapsProfile.h"
#include "QrPointer.h"
#include "SurfaceDesc.h"

#include <cstdint>
#include <memory>
#include <string>

class QrD3DRender;
class QrImage;
struct QrRenderCreateParams;

namespace plat
{
class Clipper;
class Display;
class Palette;
class Surface;
class WindowBackend;
} // namespace plat

class QrDDContext
{
public:
    enum : uint32_t
    {
        kFullScreen = 0x1,
        kFlipChain = 0x2,
        kWindowed = 0x4,
        kOffscreen = 0x8,
        // Presenting only locks and unlocks the back buffer; nothing sets it.
        kNoPresent = 0x10,
        kWant8Bit = 0x20,
        kWant16Bit = 0x40,
        kOwnsPrimary = 0x80,
        kHardware3D = 0x100,
    };

    static constexpr uint32_t kMaxDisplayModes = 64;

    QrDDContext();
    ~QrDDContext();
    QrDDContext(const QrDDContext&) = delete;
    QrDDContext& operator=(const QrDDContext&) = delete;

    // --- program-wide slots
    // The game stores its window before making a renderer. Borrowed.
    static void SetRenderWindow(plat::WindowBackend* window);
    static plat::WindowBackend* GetRenderWindow();
    static bool IsOnScreenRendererMade();
    static void SetOnScreenRendererMade();
    static bool IsCooperativeLevelSet();
    static plat::Surface* GetPrimarySurface();
    static QrImage* GetPrimaryImage();
    // Empties every slot; for a program (or test) that starts over with no renderer alive.
    static void ResetProgramState();

    // --- creation
    // Parameter checks, display object, capabilities, display mode, cooperative level.
    uint32_t Initialize(const QrRenderCreateParams& params, QrD3DRender* owner);
    // Front, back (and clipper) for the mode; hardware: in video memory.
    uint32_t CreateSurfaces(const QrRenderCreateParams& params, bool hardware);
    uint32_t CreateFlippingChain(uint32_t backBufferCount);
    // Finds a depth buffer attached to the back buffer or makes one of the format.
    uint32_t CreateZBuffer(bool hardware, plat::PixelFormat zFormat);
    // Attaches the depth buffer to the back buffer unless one is attached already.
    uint32_t AttachZBuffer();
    uint32_t WrapSurfaces();
    uint32_t AttachPalettes(const std::shared_ptr<plat::Palette>& palette);
    // Drops the depth buffer before a device attempt.
    void ClearZBuffer() { m_zBuffer.reset(); }

    // --- frames
    // Always 0: failures are logged and the frame is skipped.
    uint32_t Present();
    uint32_t RestoreSurfaces();
    uint32_t RefreshPalette();

    // --- teardown
    // Between device attempts: clipper, front, depth and back surfaces.
    void ReleaseSurfaces();
    void Shutdown();
    // After a failed later creation step: the cooperative level back to normal.
    void ResetCooperativeLevel();

    uint32_t GetFlags() const { return m_flags; }
    const std::shared_ptr<plat::Display>& GetDisplay() const { return m_display; }
    plat::Surface* GetFrontSurface() const { return m_front.get(); }
    plat::Surface* GetBackSurface() const { return m_back.get(); }
    const std::shared_ptr<plat::Surface>& GetBackSurfacePointer() const { return m_back; }
    plat::Surface* GetZBuffer() const { return m_zBuffer.get(); }
    QrImage* GetFrontImage() const { return m_frontImage.Get(); }
    QrImage* GetBackImage() const { return m_backImage.Get(); }
    uint32_t GetBufferWidth() const { return m_bufferWidth; }
    uint32_t GetBufferHeight() const { return m_bufferHeight; }
    // The image drawn into: the front of a flipping chain, else the back buffer; 0 without.
    uint32_t GetDrawingWidth() const;
    uint32_t GetDrawingHeight() const;
    uint32_t GetDisplayDepth() const { return m_displayDepth; }
    const char* GetDriverDescription() const { return m_description.c_str(); }
    bool IsPrimaryDriver() const { return m_primaryDriver != 0; }
    bool IsFlipPending() const { return m_flipPending != 0; }
    void SetFlipPending(bool pending) { m_flipPending = pending ? 1 : 0; }
    const std::shared_ptr<plat::Palette>& GetPalette() const { return m_palette; }
    const plat::DisplayCaps& GetHardwareCaps() const { return m_hardwareCaps; }

    // Where the back buffer lands on the front buffer.
    int32_t m_presentX = 0;
    int32_t m_presentY = 0;
    uint32_t m_presentWidth = 0;
    uint32_t m_presentHeight = 0;

private:
    uint32_t Fail(const char* message, uint32_t code);
    uint32_t FindDisplayObject(const QrRenderCreateParams& params);
    // The steps of Initialize: the mode's parameters, the display's 3D support, the mode's own set-up.
    uint32_t CheckMode(const QrRenderCreateParams& params);
    uint32_t ReadDisplayCaps(const QrRenderCreateParams& params);
    uint32_t SetUpWindowed();
    uint32_t SetUpFullScreen(const QrRenderCreateParams& params);
    uint32_t CreateWindowedSurfaces(const QrRenderCreateParams& params, bool hardware);
    uint32_t CreateFullScreenSurfaces(const QrRenderCreateParams& params);
    uint32_t CreateOffscreenSurfaces(const QrRenderCreateParams& params, bool hardware);
    // Makes a surface the program-wide primary, or fails when another one is.
    uint32_t ClaimPrimary(const std::shared_ptr<plat::Surface>& surface);
    void ReleasePrimary();
    // Restores a lost surface; the line is logged on failure.
    plat::Result RestoreOne(plat::Surface* surface, const char* failure);

    QrD3DRender* m_owner = nullptr;
    std::shared_ptr<plat::Display> m_display;
    plat::WindowBackend* m_window = nullptr;
    int32_t m_clientLeft = 0;
    int32_t m_clientTop = 0;
    int32_t m_clientRight = 0;
    int32_t m_clientBottom = 0;
    uint32_t m_flags = 0;
    uint32_t m_bufferHeight = 0;
    uint32_t m_bufferWidth = 0;
    uint32_t m_displayDepth = 0;
    plat::SurfaceDesc m_displayMode;
    plat::DisplayCaps m_hardwareCaps;
    plat::DisplayCaps m_emulationCaps;
    uint8_t m_primaryDriver = 0;
    std::shared_ptr<plat::Surface> m_front;
    std::shared_ptr<plat::Surface> m_back;
    std::shared_ptr<plat::Surface> m_zBuffer;
    std::shared_ptr<plat::Clipper> m_clipper;
    QrPointer<QrImage> m_frontImage;
    QrPointer<QrImage> m_backImage;
    std::shared_ptr<plat::Palette> m_palette;
    std::string m_description;
    uint8_t m_flipPending = 0;
};
