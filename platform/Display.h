#pragma once
// The display: its capabilities and modes, the cooperative level, and the factory of
// surfaces, palettes, clippers and the 3D interface. Shared by whoever holds a reference;
// the first renderer makes it and later ones reuse it.

#include "CapsProfile.h"
#include "DisplayConfig.h"
#include "Palette.h"
#include "Result.h"
#include "SurfaceDesc.h"

#include <memory>
#include <string>
#include <vector>

namespace plat
{

class Clipper;
class Graphics3D;
class Surface;
class WindowBackend;
struct DisplayContext;

// Cooperative levels.
constexpr uint32_t kCoopNormal = 0x1;
constexpr uint32_t kCoopFullScreen = 0x2;
constexpr uint32_t kCoopExclusive = 0x4;
constexpr uint32_t kCoopAllowReboot = 0x8;
constexpr uint32_t kCoopMultithreaded = 0x10;

// The drivers besides the primary one, from the program-wide configuration.
Result EnumerateDisplayDrivers(std::vector<DisplayDriver>& out);

class Display
{
public:
    // A display of the given configuration, or of the program-wide one.
    static Result Create(const DisplayConfig& config, std::shared_ptr<Display>& out);
    static Result Create(std::shared_ptr<Display>& out);
    // A display of one of the enumerated drivers: the program-wide configuration with that
    // driver's description and hardware capabilities.
    static Result Create(const DisplayDriver& driver, std::shared_ptr<Display>& out);

    const std::string& DriverDescription() const;
    Result GetCaps(DisplayCaps* hardware, DisplayCaps* emulation) const;

    // The current mode as a surface description (size, pitch, format).
    Result GetDisplayMode(SurfaceDesc& out) const;
    // The modes offered, at most kMaxDisplayModes of them.
    Result EnumDisplayModes(std::vector<DisplayMode>& out) const;
    // Exclusive level only. A change of mode loses every surface in video memory.
    Result SetDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel);
    Result RestoreDisplayMode();

    // Normal, or full screen together with exclusive (which needs a window).
    Result SetCooperativeLevel(WindowBackend* window, uint32_t flags);
    uint32_t CooperativeLevel() const;
    WindowBackend* CooperativeWindow() const;

    Result CreateSurface(const SurfaceDesc& desc, std::shared_ptr<Surface>& out);
    // 8-bit palettes only; entries are needed with kPaletteCapsInitialize.
    Result CreatePalette(uint32_t caps, const PaletteEntry* entries, std::shared_ptr<Palette>& out);
    Result CreateClipper(std::shared_ptr<Clipper>& out);
    // The display's own palette (see SystemPaletteEntries).
    Result GetSystemPaletteEntries(uint32_t start, uint32_t count, PaletteEntry* out) const;
    // Texture memory: the budget and what is left of it.
    Result GetAvailableVideoMemory(uint32_t caps, uint32_t& total, uint32_t& free) const;

    Result Query3D(std::shared_ptr<Graphics3D>& out);

    // What another program taking the display does: the primary and every surface in video
    // memory are lost until restored.
    void LoseSurfaces();
    // What a reset of the display does: every live surface is lost, system memory included.
    void LoseAllSurfaces();

private:
    explicit Display(std::shared_ptr<DisplayContext> context);

    Result ChangeMode(const DisplayMode& mode);

    std::shared_ptr<DisplayContext> m_context;
};

} // namespace plat
