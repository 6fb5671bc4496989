#pragma once
// What a display and its 3D devices claim to be able to do. Start-up picks a profile (the
// default: a 16-bit desktop, no hardware 3D, the MMX device failing and the RGB software
// device working); tests build others to reach every fallback of the renderer.

#include "DeviceState.h"
#include "PixelFormat.h"
#include "Result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plat
{

// The three device kinds, in the order a renderer tries them.
enum class DeviceKind : uint8_t
{
    Hardware,
    Mmx,
    Rgb
};
constexpr DeviceKind kDeviceKindOrder[] = {DeviceKind::Hardware, DeviceKind::Mmx, DeviceKind::Rgb};
constexpr uint32_t kDeviceKindCount = 3;
const char* DeviceKindName(DeviceKind kind);

struct DisplayCaps
{
    bool has3D = false;
    bool nonLocalVideoMemory = false;     // textures may live in memory across the bus
    bool nonLocalVideoMemoryCaps = false; // that memory has its own capabilities (the slower kind)
};

// Device capability bits.
constexpr uint32_t kDevCapsTextureSystemMemory = 0x1;
constexpr uint32_t kDevCapsTextureNonLocalVideoMemory = 0x2;
constexpr uint32_t kDevCapsSeparateTextureMemories = 0x4;

constexpr uint32_t kRasterCapsDither = 0x1;
constexpr uint32_t kRasterCapsFogVertex = 0x2;
constexpr uint32_t kRasterCapsFogTable = 0x4;
constexpr uint32_t kRasterCapsZBias = 0x8;
constexpr uint32_t kRasterCapsStippledAlpha = 0x10; // alpha drawn by stippling; software devices leave it clear

constexpr uint32_t kShadeCapsColorGouraudRgb = 0x1;
constexpr uint32_t kShadeCapsSpecularGouraudRgb = 0x2;

constexpr uint32_t kTextureCapsPerspective = 0x1;
constexpr uint32_t kTextureCapsSquareOnly = 0x2;
constexpr uint32_t kTextureCapsTransparency = 0x4;
constexpr uint32_t kTextureCapsAlpha = 0x8;
constexpr uint32_t kTextureCapsPow2 = 0x10;

// Filter capabilities come in two styles; a device reports one of them.
constexpr uint32_t kFilterCapsNearest = 0x1; // older style
constexpr uint32_t kFilterCapsLinear = 0x2;
constexpr uint32_t kFilterCapsMipNearest = 0x4;
constexpr uint32_t kFilterCapsMipLinear = 0x8;
constexpr uint32_t kFilterCapsLinearMipNearest = 0x10;
constexpr uint32_t kFilterCapsLinearMipLinear = 0x20;
constexpr uint32_t kFilterCapsMinPoint = 0x100; // newer style
constexpr uint32_t kFilterCapsMinLinear = 0x200;
constexpr uint32_t kFilterCapsMipPoint = 0x400;
constexpr uint32_t kFilterCapsMipFLinear = 0x800;
constexpr uint32_t kFilterCapsMagPoint = 0x1000;
constexpr uint32_t kFilterCapsMagLinear = 0x2000;
constexpr uint32_t kFilterCapsNewStyleMask = 0x3F00;

constexpr uint32_t kTextureBlendCapsDecalAlpha = 0x1;
constexpr uint32_t kTextureBlendCapsModulateAlpha = 0x2;
constexpr uint32_t kTextureBlendCapsModulate = 0x4;

constexpr uint32_t kAddressCapsWrap = 0x1;
constexpr uint32_t kAddressCapsClamp = 0x2;
constexpr uint32_t kAddressCapsIndependentUV = 0x4;

// Bit of a CompareFunc in zCompareCaps, of a BlendFactor in the blend masks, of a TextureOp in
// textureOpCaps.
template <typename E> constexpr uint32_t CapsBit(E value)
{
    return 1u << static_cast<uint32_t>(value);
}

// A device description. An empty one (hasTriangleCaps false) is what a software device
// reports as its hardware description and the other way round.
struct DeviceCaps
{
    bool hasTriangleCaps = false;
    uint32_t deviceCaps = 0;
    uint32_t rasterCaps = 0;
    uint32_t zCompareCaps = 0;
    uint32_t srcBlendCaps = 0;
    uint32_t destBlendCaps = 0;
    uint32_t shadeCaps = 0;
    uint32_t textureCaps = 0;
    uint32_t filterCaps = 0;
    uint32_t textureBlendCaps = 0;
    uint32_t textureOpCaps = 0; // bit per TextureOp the stages can do
    uint32_t addressCaps = 0;
    uint32_t maxVertexCount = 0; // 0: no limit stated
    uint32_t maxTextureWidth = 0;
    uint32_t maxTextureHeight = 0;
    uint32_t maxTextureBlendStages = 0;
    uint32_t maxSimultaneousTextures = 0;

    // A full software device: every state the renderer sends, vertex fog, two stages.
    static DeviceCaps Software();
};

struct DeviceProfile
{
    bool present = false;             // false: creating it answers Unsupported
    Result createResult = Result::Ok; // what creating it answers when present
    DeviceCaps caps;
    std::vector<PixelFormat> depthFormats;   // in enumeration order
    std::vector<PixelFormat> textureFormats; // in enumeration order
};

// A display driver besides the primary one, as enumeration lists it.
struct DisplayDriver
{
    std::string description;
    DisplayCaps hardwareCaps;
};

struct DisplayMode
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerPixel = 0;
};

// The surface format of a display depth: 8 palettised, 16 RGB565, 24 RGB888, 32 XRGB8888.
PixelFormat DisplayFormatForDepth(uint32_t bitsPerPixel);

struct CapsProfile
{
    std::string driverDescription = "Primary Display Driver";
    DisplayMode desktop{640, 480, 16};
    std::vector<DisplayMode> modes; // the display modes offered, at most the first 64 reported
    DisplayCaps hardwareCaps;
    DisplayCaps emulationCaps;
    uint32_t textureMemoryBytes = 16u * 1024u * 1024u; // video memory for textures
    uint32_t maxBackBuffers = 2;
    DeviceProfile devices[kDeviceKindCount];
    // Further drivers that enumeration reports; the primary one is never listed.
    std::vector<DisplayDriver> secondaryDrivers;

    const DeviceProfile& Device(DeviceKind kind) const { return devices[static_cast<uint32_t>(kind)]; }
    DeviceProfile& Device(DeviceKind kind) { return devices[static_cast<uint32_t>(kind)]; }

    // No hardware 3D, MMX device failing to open, RGB device working; desktop 640 x 480 x 16.
    static CapsProfile Default();
    // Default plus a hardware 3D display and hardware device with the software device's caps.
    static CapsProfile WithHardware();
};

constexpr uint32_t kMaxDisplayModes = 64;

} // namespace plat
